#pragma once

#include <QPlainTextEdit>
#include <cstdint>
#include <span>
#include <string>

namespace app {

// A read-only text view that reports a double click (the log, the hex view). It keeps the exact
// text it was given, line ends as written, which the editor itself would turn into paragraphs.
class TextView final : public QPlainTextEdit {
  Q_OBJECT
 public:
  explicit TextView(QWidget* parent);
  const std::string& Text() const { return text_; }
  void SetText(std::string text);
  void Append(const std::string& text);
  void CaretToEnd();
  // Marks byte `offset` of a hex page (16 bytes a line, the first line after one empty line),
  // its hex digits and its character; SetText clears the marks.
  void MarkPageBytes(std::span<const uint16_t> offsets);
  // The view always shows `lines` lines of `columns` characters whole: the font is sized to the
  // view, and the view has no scroll bar of its own. 0 lines: the font stays as set.
  void ShowWhole(int lines, int columns);

 signals:
  void doubleClicked();

 protected:
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  void FitFont();

  std::string text_;
  int lines_ = 0;
  int columns_ = 0;
};

}  // namespace app
