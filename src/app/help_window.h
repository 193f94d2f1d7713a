#pragma once

#include <QString>
#include <QStringList>
#include <QUrl>
#include <QWidget>
#include <vector>

class QLineEdit;
class QListWidget;
class QTextBrowser;

namespace app {

// The operator's help document, compiled into the program.
inline constexpr const char* kHelpContentsPage = "qrc:/help/index.html";

// The sections of the help pages (each heading with an id and the text up to the next such
// heading), searchable by keyword.
class HelpIndex {
 public:
  struct Section {
    QString title;
    QUrl url;      // page and anchor
    QString text;  // plain text of the section
  };
  struct Hit {
    QString title;
    QUrl url;
  };

  // Reads every page of the help document, in reading order (the contents page's order).
  HelpIndex();
  // Sections that hold every word of the keyword text, ignoring case; those whose title holds
  // the whole keyword text come first, each group in reading order. An empty keyword finds nothing.
  std::vector<Hit> Search(const QString& keyword) const;
  const std::vector<Section>& Sections() const { return sections_; }

 private:
  void AddPage(const QString& page);
  std::vector<Section> sections_;
};

// The help window: the page on the right, a keyword search with its hits on the left.
class HelpWindow final : public QWidget {
  Q_OBJECT
 public:
  explicit HelpWindow(QWidget* owner);

  void ShowContents();  // the contents page
  void ShowSearch();    // an empty keyword box, ready for typing
  void Search(const QString& keyword);

  QTextBrowser* Browser() const { return browser_; }
  QListWidget* Results() const { return results_; }

 private:
  void OpenHit(int row);

  HelpIndex index_;
  std::vector<HelpIndex::Hit> hits_;
  QLineEdit* keyword_;
  QListWidget* results_;
  QTextBrowser* browser_;
};

}  // namespace app
