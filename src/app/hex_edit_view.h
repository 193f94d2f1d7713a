#pragma once

#include <QAbstractScrollArea>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <utility>
#include <vector>

namespace app {

// The whole of an image as one continuous hex / ASCII view: 16 bytes a row, the address in
// front, the characters behind. Only the rows in sight are drawn, so a 2 MB image scrolls as
// lightly as a page. The operator moves a cursor over the bytes, selects a range (with Shift or
// the mouse) and types over bytes in hex or, in the ASCII column, as characters; the view does
// not change the bytes itself but says what was typed.
class HexEditView final : public QAbstractScrollArea {
 public:
  explicit HexEditView(QWidget* parent);

  // The bytes shown, read afresh for every paint and key: the image may move or change length.
  void SetImage(std::function<std::span<const uint8_t>()> image);
  // What the operator typed over the image: the bytes from the address on.
  std::function<void(uint32_t address, std::vector<uint8_t> bytes)> Typed;
  // The cursor or the selection moved.
  std::function<void()> Moved;

  // The image changed length or bytes: the scroll range and the rows in sight follow.
  void ImageChanged();
  uint32_t Cursor() const { return cursor_; }
  // Cursor to the address (the last byte at most), selection cleared, its row brought in sight.
  void GoTo(uint32_t address);
  // The bytes first..last selected, the cursor on the first, brought in sight.
  void Select(uint32_t first, uint32_t last);
  // The selected bytes, first and last included; nothing when none is selected.
  std::optional<std::pair<uint32_t, uint32_t>> Selection() const;
  bool InTextColumn() const { return text_column_; }

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  bool focusNextPrevChild(bool next) override;  // Tab switches between hex and ASCII
  void scrollContentsBy(int dx, int dy) override;

 private:
  struct Hit {
    uint32_t address;
    bool text_column;
  };
  uint64_t Length() const;
  uint64_t Rows() const;
  int RowsInSight() const;
  int CharWidth() const;
  int LineHeight() const;
  QRect CellRect(uint32_t address, bool text_column) const;
  std::optional<Hit> HitAt(QPoint at) const;
  void MoveCursor(int64_t to, bool extend);
  bool MoveByKey(const QKeyEvent& key);
  bool TypeByKey(const QKeyEvent& key);
  void EnsureVisible();
  void UpdateRanges();

  std::function<std::span<const uint8_t>()> image_;
  uint32_t cursor_ = 0;
  std::optional<uint32_t> anchor_;   // the other end of the selection
  std::optional<uint32_t> pressed_;  // where the mouse button went down
  bool text_column_ = false;
  bool low_nibble_ = false;  // the next hex digit typed is the byte's low one
};

}  // namespace app
