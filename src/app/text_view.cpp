#include "app/text_view.h"

#include <QFontMetricsF>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <cmath>

#include "buffers/hex_page.h"

namespace app {
namespace {

// The editor shows paragraphs; the core writes carriage return and line feed.
QString ForDisplay(const std::string& text) {
  QString shown = QString::fromStdString(text);
  shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  return shown;
}

// Smallest and largest sizes the page font takes, in pixels.
constexpr int kSmallestPixels = 6;
constexpr int kLargestPixels = 40;

}  // namespace

TextView::TextView(QWidget* parent) : QPlainTextEdit(parent) {
  setReadOnly(true);
  setLineWrapMode(QPlainTextEdit::NoWrap);
  setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
}

void TextView::SetText(std::string text) {
  text_ = std::move(text);
  setExtraSelections({});
  setPlainText(ForDisplay(text_));
}

void TextView::MarkPageBytes(std::span<const uint16_t> offsets) {
  QList<QTextEdit::ExtraSelection> marks;
  QTextCharFormat marked;
  marked.setBackground(QColor(255, 160, 160));
  marked.setForeground(Qt::black);
  const auto mark = [&](const QTextBlock& line, int column, int width) {
    QTextCursor cursor(line);
    cursor.movePosition(QTextCursor::Right, QTextCursor::MoveAnchor, column);
    cursor.movePosition(QTextCursor::Right, QTextCursor::KeepAnchor, width);
    marks.push_back({cursor, marked});
  };
  for (const uint16_t offset : offsets) {
    const QTextBlock line = document()->findBlockByNumber(1 + offset / buffers::kBytesPerLine);
    if (!line.isValid()) continue;
    const int i = offset % buffers::kBytesPerLine;
    mark(line, buffers::HexColumn(i), 2);
    mark(line, buffers::AsciiColumn(i), 1);
  }
  setExtraSelections(marks);
}

void TextView::Append(const std::string& text) {
  text_ += text;
  QTextCursor end(document());
  end.movePosition(QTextCursor::End);
  end.insertText(ForDisplay(text));
}

void TextView::CaretToEnd() {
  moveCursor(QTextCursor::End);
  ensureCursorVisible();
}

void TextView::ShowWhole(int lines, int columns) {
  lines_ = lines;
  columns_ = columns;
  if (lines_ <= 0) return;
  setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  FitFont();
}

void TextView::mouseDoubleClickEvent(QMouseEvent* event) {
  QPlainTextEdit::mouseDoubleClickEvent(event);
  emit doubleClicked();
}

void TextView::resizeEvent(QResizeEvent* event) {
  QPlainTextEdit::resizeEvent(event);
  if (lines_ > 0) FitFont();
}

// The largest font whose lines and columns fit the room the view has for text: its contents
// less the document's margin on every side and the cursor's width at the end of a line.
void TextView::FitFont() {
  const QRect room = contentsRect();
  const double margin = 2 * document()->documentMargin();
  const double width = room.width() - margin - cursorWidth() - 1;
  const double height = room.height() - margin;
  QFont font = this->font();
  int pixels = kLargestPixels;
  for (; pixels > kSmallestPixels; --pixels) {
    font.setPixelSize(pixels);
    const QFontMetricsF metrics(font);
    // The editor lays each line on whole pixels.
    const double line_height = std::ceil(metrics.lineSpacing());
    const double text_width = metrics.horizontalAdvance(QString(columns_, QLatin1Char('0')));
    if (line_height * lines_ <= height && text_width <= width) break;
  }
  font.setPixelSize(pixels);
  if (font != this->font()) setFont(font);
}

}  // namespace app
