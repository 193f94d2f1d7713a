#include "app/help_window.h"

#include <QDir>
#include <QFile>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRegularExpression>
#include <QSplitter>
#include <QTextBrowser>
#include <QTextDocumentFragment>
#include <QVBoxLayout>
#include <algorithm>

namespace app {
namespace {

QString PlainText(const QString& html) {
  return QTextDocumentFragment::fromHtml(html).toPlainText().simplified();
}

// The pages in reading order: the contents page, the pages in the order it links them, then any
// page it does not link.
QStringList PagesInReadingOrder() {
  QStringList pages{"index.html"};
  QFile contents(":/help/index.html");
  if (contents.open(QIODevice::ReadOnly)) {
    static const QRegularExpression link(R"re(href="([A-Za-z0-9_-]+\.html))re");
    for (auto it = link.globalMatch(QString::fromUtf8(contents.readAll())); it.hasNext();) {
      const QString page = it.next().captured(1);
      if (!pages.contains(page)) pages << page;
    }
  }
  for (const QString& page : QDir(":/help").entryList({"*.html"}, QDir::Files, QDir::Name)) {
    if (!pages.contains(page)) pages << page;
  }
  return pages;
}

}  // namespace

HelpIndex::HelpIndex() {
  for (const QString& page : PagesInReadingOrder()) AddPage(page);
}

// Every heading that carries an id starts a section, which runs to the next such heading.
void HelpIndex::AddPage(const QString& page) {
  QFile file(":/help/" + page);
  if (!file.open(QIODevice::ReadOnly)) return;
  const QString html = QString::fromUtf8(file.readAll());
  static const QRegularExpression heading(
      R"re(<h([1-4])\s+id="([^"]+)"[^>]*>(.*?)</h\1>)re",
      QRegularExpression::DotMatchesEverythingOption | QRegularExpression::CaseInsensitiveOption);
  std::vector<QRegularExpressionMatch> matches;
  for (auto it = heading.globalMatch(html); it.hasNext();) matches.push_back(it.next());
  for (size_t i = 0; i < matches.size(); ++i) {
    const auto& m = matches[i];
    const qsizetype start = m.capturedEnd();
    const qsizetype end = i + 1 < matches.size() ? matches[i + 1].capturedStart() : html.size();
    QUrl url("qrc:/help/" + page);
    url.setFragment(m.captured(2));
    sections_.push_back({PlainText(m.captured(3)), url, PlainText(html.mid(start, end - start))});
  }
}

std::vector<HelpIndex::Hit> HelpIndex::Search(const QString& keyword) const {
  const QStringList words = keyword.toLower().split(' ', Qt::SkipEmptyParts);
  if (words.isEmpty()) return {};
  const QString phrase = words.join(' ');
  std::vector<Hit> in_title, in_text;
  for (const Section& s : sections_) {
    const QString title = s.title.toLower();
    const QString all = title + ' ' + s.text.toLower();
    const bool found =
        std::all_of(words.begin(), words.end(), [&](const QString& w) { return all.contains(w); });
    if (!found) continue;
    (title.contains(phrase) ? in_title : in_text).push_back({s.title, s.url});
  }
  in_title.insert(in_title.end(), in_text.begin(), in_text.end());
  return in_title;
}

HelpWindow::HelpWindow(QWidget* owner)
    : QWidget(owner, Qt::Window),
      keyword_(new QLineEdit(this)),
      results_(new QListWidget(this)),
      browser_(new QTextBrowser(this)) {
  setObjectName("HelpWindow");
  setWindowTitle("MELDRIX5N Help");

  keyword_->setObjectName("helpKeyword");
  keyword_->setPlaceholderText("Type a word to search for");
  keyword_->setClearButtonEnabled(true);
  results_->setObjectName("helpResults");
  browser_->setObjectName("helpBrowser");
  browser_->setOpenExternalLinks(true);
  auto* contents = new QPushButton("&Contents", this);
  contents->setObjectName("helpContents");

  connect(keyword_, &QLineEdit::textChanged, this, &HelpWindow::Search);
  connect(results_, &QListWidget::currentRowChanged, this, &HelpWindow::OpenHit);
  connect(contents, &QPushButton::clicked, this, &HelpWindow::ShowContents);

  auto* side = new QWidget(this);
  auto* side_layout = new QVBoxLayout(side);
  side_layout->setContentsMargins(0, 0, 0, 0);
  side_layout->addWidget(contents);
  side_layout->addWidget(new QLabel("&Search For Help On:", side));
  side_layout->addWidget(keyword_);
  side_layout->addWidget(results_, 1);
  qobject_cast<QLabel*>(side_layout->itemAt(1)->widget())->setBuddy(keyword_);

  auto* splitter = new QSplitter(this);
  splitter->addWidget(side);
  splitter->addWidget(browser_);
  splitter->setStretchFactor(1, 1);
  auto* layout = new QHBoxLayout(this);
  layout->addWidget(splitter);
  resize(860, 600);
}

void HelpWindow::ShowContents() {
  browser_->setSource(QUrl(kHelpContentsPage));
}

void HelpWindow::ShowSearch() {
  keyword_->clear();
  keyword_->setFocus();
}

void HelpWindow::Search(const QString& keyword) {
  if (keyword_->text() != keyword) {
    keyword_->setText(keyword);  // the box's change signal runs the search
    return;
  }
  hits_ = index_.Search(keyword);
  const QSignalBlocker quiet(results_);
  results_->clear();
  for (const auto& hit : hits_) {
    auto* item = new QListWidgetItem(hit.title, results_);  // owned by the list
    item->setToolTip(hit.title);
  }
  if (!keyword.trimmed().isEmpty() && hits_.empty()) {
    results_->addItem("(no topic holds \"" + keyword.trimmed() + "\")");
  }
}

void HelpWindow::OpenHit(int row) {
  if (row < 0 || static_cast<size_t>(row) >= hits_.size()) return;
  browser_->setSource(hits_[static_cast<size_t>(row)].url);
}

}  // namespace app
