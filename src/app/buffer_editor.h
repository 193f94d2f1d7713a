#pragma once

#include <QWidget>
#include <array>
#include <cstdint>
#include <functional>
#include <span>

#include "buffers/buffer_edit.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QUndoStack;

namespace app {

class HexEditView;

// The buffer editor (frmBufferEditor): the whole code or data image in one hex / ASCII view
// that grows with its window; go to an address, find hex bytes or text forward and back,
// overwrite bytes in hex or ASCII, fill a range, undo and redo, and the checksums of the image
// or of the selected range. Every change goes to the program through `Host`, which marks the
// image edited and keeps the main window's page view in step.
class frmBufferEditor final : public QWidget {
  Q_OBJECT
 public:
  struct Host {
    // The image as far as it can be edited (data: the data image).
    std::function<std::span<const uint8_t>(bool data)> image;
    // Makes the edit, or undoes it.
    std::function<void(bool data, const buffers::ByteEdit& edit, bool undo)> apply;
    // How many times the image was replaced whole: undo records of an earlier image are void.
    std::function<uint32_t(bool data)> replaced;
  };
  frmBufferEditor(QWidget* owner, Host host);

  // After any operation of the program: the image may have changed length or been replaced.
  void Refresh();
  // The operator's commands, as the window's buttons run them.
  void GoToAddress();
  void Find(bool forward);
  void Fill();
  void ShowChecksums();
  void Undo();
  void Redo();

 private:
  void UseBuffer(int index);
  void Edit(buffers::ByteEdit edit);
  void Say(const QString& text);
  void ShowPosition();
  std::span<const uint8_t> Image() const { return host_.image(data_); }
  // The range the fields name, or the selection when they are empty.
  bool FillRange(uint32_t& first, uint32_t& last);

  Host host_;
  bool data_ = false;
  std::array<QUndoStack*, 2> undo_{};  // code, data
  std::array<uint32_t, 2> replaced_{};
  HexEditView* view_;
  QComboBox* buffer_;
  QLineEdit* go_to_;
  QLineEdit* find_;
  QComboBox* find_as_;
  QLineEdit* fill_from_;
  QLineEdit* fill_to_;
  QLineEdit* fill_value_;
  QLabel* checksums_;
  QLabel* position_;
  QLabel* message_;
};

}  // namespace app
