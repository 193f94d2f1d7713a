#include "app/hex_edit_view.h"

#include <QFontDatabase>
#include <QKeyEvent>
#include <QPainter>
#include <QScrollBar>
#include <algorithm>

namespace app {
namespace {

constexpr int kBytesPerRow = 16;
// Character columns of a row: "000000  00 01 .. 07  08 .. 0F  ................".
constexpr int kHexColumn = 8;
constexpr int kTextColumn = kHexColumn + 3 * kBytesPerRow + 2;
constexpr int kRowColumns = kTextColumn + kBytesPerRow;
constexpr int kMargin = 4;

int HexColumnOf(int byte_in_row) {
  return kHexColumn + 3 * byte_in_row + (byte_in_row >= kBytesPerRow / 2 ? 1 : 0);
}

QString HexByte(uint8_t value) {
  return QString::number(value, 16).toUpper().rightJustified(2, '0');
}

QChar Shown(uint8_t value) {
  return value >= 0x20 && value < 0x7F ? QChar(value) : QChar('.');
}

}  // namespace

HexEditView::HexEditView(QWidget* parent) : QAbstractScrollArea(parent) {
  setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  setFocusPolicy(Qt::StrongFocus);
  viewport()->setCursor(Qt::IBeamCursor);
  verticalScrollBar()->setSingleStep(1);
}

void HexEditView::SetImage(std::function<std::span<const uint8_t>()> image) {
  image_ = std::move(image);
  ImageChanged();
}

uint64_t HexEditView::Length() const {
  return image_ ? image_().size() : 0;
}

uint64_t HexEditView::Rows() const {
  return (Length() + kBytesPerRow - 1) / kBytesPerRow;
}

int HexEditView::CharWidth() const {
  return std::max(1, fontMetrics().horizontalAdvance(QLatin1Char('0')));
}

int HexEditView::LineHeight() const {
  return std::max(1, fontMetrics().lineSpacing());
}

int HexEditView::RowsInSight() const {
  return std::max(1, (viewport()->height() - 2 * kMargin) / LineHeight());
}

void HexEditView::ImageChanged() {
  const uint64_t length = Length();
  if (length == 0) {
    cursor_ = 0;
    anchor_.reset();
  } else {
    cursor_ = static_cast<uint32_t>(std::min<uint64_t>(cursor_, length - 1));
    if (anchor_) anchor_ = static_cast<uint32_t>(std::min<uint64_t>(*anchor_, length - 1));
  }
  UpdateRanges();
  viewport()->update();
}

void HexEditView::UpdateRanges() {
  const auto rows = static_cast<int>(std::min<uint64_t>(Rows(), INT32_MAX));
  verticalScrollBar()->setRange(0, std::max(0, rows - RowsInSight()));
  verticalScrollBar()->setPageStep(RowsInSight());
  const int width = kRowColumns * CharWidth() + 2 * kMargin;
  horizontalScrollBar()->setRange(0, std::max(0, width - viewport()->width()));
  horizontalScrollBar()->setPageStep(viewport()->width());
}

void HexEditView::resizeEvent(QResizeEvent* event) {
  QAbstractScrollArea::resizeEvent(event);
  UpdateRanges();
}

QRect HexEditView::CellRect(uint32_t address, bool text_column) const {
  const int64_t row = int64_t{address / kBytesPerRow} - verticalScrollBar()->value();
  const int in_row = static_cast<int>(address % kBytesPerRow);
  const int column = text_column ? kTextColumn + in_row : HexColumnOf(in_row);
  const int x = kMargin + column * CharWidth() - horizontalScrollBar()->value();
  const auto y = static_cast<int>(kMargin + row * LineHeight());
  return {x, y, (text_column ? 1 : 2) * CharWidth(), LineHeight()};
}

void HexEditView::paintEvent(QPaintEvent* /*event*/) {
  QPainter painter(viewport());
  const QPalette& colours = palette();
  painter.fillRect(viewport()->rect(), colours.color(QPalette::Base));
  const std::span<const uint8_t> image = image_ ? image_() : std::span<const uint8_t>();
  if (image.empty()) {
    painter.setPen(colours.color(QPalette::PlaceholderText));
    painter.drawText(viewport()->rect(), Qt::AlignCenter,
                     "The buffer is empty: open a file or read a device first.");
    return;
  }
  const auto selection = Selection();
  const int ascent = fontMetrics().ascent();
  const uint64_t first_row = static_cast<uint64_t>(verticalScrollBar()->value());
  const uint64_t last_row =
      std::min<uint64_t>(Rows(), first_row + static_cast<uint64_t>(RowsInSight()) + 1);
  const int left = kMargin - horizontalScrollBar()->value();
  for (uint64_t row = first_row; row < last_row; ++row) {
    const auto base = static_cast<uint32_t>(row * kBytesPerRow);
    const int y = CellRect(base, false).y();
    painter.setPen(colours.color(QPalette::PlaceholderText));
    painter.drawText(left, y + ascent, QString::number(base, 16).toUpper().rightJustified(6, '0'));
    for (uint32_t address = base; address < base + kBytesPerRow && address < image.size();
         ++address) {
      const bool selected =
          selection && address >= selection->first && address <= selection->second;
      for (const bool text : {false, true}) {
        const QRect cell = CellRect(address, text);
        const bool at_cursor = address == cursor_;
        if (selected) painter.fillRect(cell, colours.color(QPalette::Highlight));
        if (at_cursor && text == text_column_) {
          painter.fillRect(cell, colours.color(QPalette::Highlight).darker(130));
        }
        const bool light = selected || (at_cursor && text == text_column_);
        painter.setPen(colours.color(light ? QPalette::HighlightedText : QPalette::Text));
        painter.drawText(cell.x(), y + ascent,
                         text ? QString(Shown(image[address])) : HexByte(image[address]));
        if (at_cursor && text != text_column_) {
          painter.setPen(colours.color(QPalette::Text));
          painter.drawRect(cell.adjusted(0, 0, -1, -1));
        }
      }
    }
  }
  // The digit the next hex key replaces is underlined.
  if (!text_column_) {
    QRect cell = CellRect(cursor_, false);
    if (low_nibble_) cell.translate(CharWidth(), 0);
    painter.fillRect(cell.x(), cell.bottom() - 1, CharWidth(), 2, colours.color(QPalette::Text));
  }
}

std::optional<HexEditView::Hit> HexEditView::HitAt(QPoint at) const {
  const uint64_t length = Length();
  if (length == 0) return std::nullopt;
  const int column = (at.x() - kMargin + horizontalScrollBar()->value()) / CharWidth();
  const int64_t row = std::max(0, at.y() - kMargin) / LineHeight() + verticalScrollBar()->value();
  int in_row = 0;
  bool text = false;
  if (column >= kTextColumn) {
    in_row = std::min(column - kTextColumn, kBytesPerRow - 1);
    text = true;
  } else {
    in_row = std::clamp((column - kHexColumn + 1) / 3, 0, kBytesPerRow - 1);
    if (in_row >= kBytesPerRow / 2 && column < HexColumnOf(in_row)) --in_row;
  }
  const auto address =
      std::min<uint64_t>(static_cast<uint64_t>(row * kBytesPerRow + in_row), length - 1);
  return Hit{static_cast<uint32_t>(address), text};
}

void HexEditView::mousePressEvent(QMouseEvent* event) {
  const auto hit = HitAt(event->position().toPoint());
  if (!hit || event->button() != Qt::LeftButton) return;
  text_column_ = hit->text_column;
  if (event->modifiers() & Qt::ShiftModifier) {
    MoveCursor(hit->address, true);
    return;
  }
  pressed_ = hit->address;
  MoveCursor(hit->address, false);
}

void HexEditView::mouseMoveEvent(QMouseEvent* event) {
  if (!(event->buttons() & Qt::LeftButton) || !pressed_) return;
  const auto hit = HitAt(event->position().toPoint());
  if (!hit || hit->address == cursor_) return;
  anchor_ = *pressed_;
  cursor_ = hit->address;
  low_nibble_ = false;
  EnsureVisible();
  viewport()->update();
  if (Moved) Moved();
}

void HexEditView::MoveCursor(int64_t to, bool extend) {
  const uint64_t length = Length();
  if (length == 0) return;
  if (extend && !anchor_) anchor_ = cursor_;
  if (!extend) anchor_.reset();
  cursor_ = static_cast<uint32_t>(std::clamp<int64_t>(to, 0, static_cast<int64_t>(length - 1)));
  low_nibble_ = false;
  EnsureVisible();
  viewport()->update();
  if (Moved) Moved();
}

void HexEditView::GoTo(uint32_t address) {
  MoveCursor(address, false);
}

void HexEditView::Select(uint32_t first, uint32_t last) {
  MoveCursor(last, false);
  MoveCursor(first, true);
}

std::optional<std::pair<uint32_t, uint32_t>> HexEditView::Selection() const {
  if (!anchor_) return std::nullopt;
  return std::pair{std::min(*anchor_, cursor_), std::max(*anchor_, cursor_)};
}

void HexEditView::EnsureVisible() {
  const auto row = static_cast<int>(cursor_ / kBytesPerRow);
  QScrollBar& bar = *verticalScrollBar();
  if (row < bar.value()) bar.setValue(row);
  if (row >= bar.value() + RowsInSight()) bar.setValue(row - RowsInSight() + 1);
}

bool HexEditView::MoveByKey(const QKeyEvent& key) {
  const bool extend = key.modifiers() & Qt::ShiftModifier;
  const bool whole = key.modifiers() & Qt::ControlModifier;
  const int64_t at = cursor_;
  const int64_t page = int64_t{RowsInSight()} * kBytesPerRow;
  switch (key.key()) {
    case Qt::Key_Left:
      MoveCursor(at - 1, extend);
      return true;
    case Qt::Key_Right:
      MoveCursor(at + 1, extend);
      return true;
    case Qt::Key_Up:
      MoveCursor(at - kBytesPerRow, extend);
      return true;
    case Qt::Key_Down:
      MoveCursor(at + kBytesPerRow, extend);
      return true;
    case Qt::Key_PageUp:
      MoveCursor(at - page, extend);
      return true;
    case Qt::Key_PageDown:
      MoveCursor(at + page, extend);
      return true;
    case Qt::Key_Home:
      MoveCursor(whole ? 0 : at - at % kBytesPerRow, extend);
      return true;
    case Qt::Key_End:
      MoveCursor(whole ? static_cast<int64_t>(Length()) - 1 : at - at % kBytesPerRow + 15, extend);
      return true;
    case Qt::Key_Escape:
      MoveCursor(at, false);
      return true;
    default:
      return false;
  }
}

// A hex digit replaces the digit under the cursor, high then low; a character in the ASCII
// column replaces the byte. The cursor moves on once a byte is done.
bool HexEditView::TypeByKey(const QKeyEvent& key) {
  const QString text = key.text();
  const std::span<const uint8_t> image = image_ ? image_() : std::span<const uint8_t>();
  if (text.size() != 1 || image.empty() || !Typed) return false;
  const char16_t c = text.front().unicode();
  if (text_column_) {
    if (c < 0x20 || c >= 0x7F) return false;
    Typed(cursor_, {static_cast<uint8_t>(c)});
    MoveCursor(int64_t{cursor_} + 1, false);
    return true;
  }
  bool hex = false;
  const int digit = QString(text).toInt(&hex, 16);
  if (!hex) return false;
  const uint8_t held = image[cursor_];
  const auto byte =
      static_cast<uint8_t>(low_nibble_ ? (held & 0xF0) | digit : (digit << 4) | (held & 0x0F));
  Typed(cursor_, {byte});
  if (low_nibble_) {
    MoveCursor(int64_t{cursor_} + 1, false);
  } else {
    anchor_.reset();
    low_nibble_ = true;
    viewport()->update();
  }
  return true;
}

void HexEditView::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Tab || event->key() == Qt::Key_Backtab) {
    text_column_ = !text_column_;
    low_nibble_ = false;
    viewport()->update();
    return;
  }
  if (MoveByKey(*event) || TypeByKey(*event)) return;
  QAbstractScrollArea::keyPressEvent(event);
}

bool HexEditView::focusNextPrevChild(bool /*next*/) {
  return false;
}

// Only the rows in sight are drawn: a scroll draws them anew.
void HexEditView::scrollContentsBy(int /*dx*/, int /*dy*/) {
  viewport()->update();
}

}  // namespace app
