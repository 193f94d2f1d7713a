#include "app/buffer_editor.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QUndoCommand>
#include <QUndoStack>
#include <QVBoxLayout>
#include <utility>

#include "app/hex_edit_view.h"
#include "app/qt_text.h"
#include "buffers/checksums.h"

namespace app {
namespace {

// One edit on the undo stack; pushing it makes it.
class EditCommand final : public QUndoCommand {
 public:
  EditCommand(std::function<void(bool undo)> apply, const QString& text)
      : QUndoCommand(text), apply_(std::move(apply)) {}
  void redo() override { apply_(false); }
  void undo() override { apply_(true); }

 private:
  std::function<void(bool undo)> apply_;
};

QString Hex(uint64_t value) {
  return QString::number(value, 16).toUpper() + "h";
}

template <typename W>
W* Named(W* widget, const char* name) {
  widget->setObjectName(name);
  return widget;
}

QPushButton* Button(const char* caption, const char* name, QWidget* parent,
                    const std::function<void()>& run) {
  auto* button = Named(new QPushButton(caption, parent), name);
  button->setAutoDefault(false);
  QObject::connect(button, &QPushButton::clicked, parent, run);
  return button;
}

}  // namespace

frmBufferEditor::frmBufferEditor(QWidget* owner, Host host)
    : QWidget(owner, Qt::Window),
      host_(std::move(host)),
      view_(Named(new HexEditView(this), "EditorView")),
      buffer_(Named(new QComboBox(this), "EditorBuffer")),
      go_to_(Named(new QLineEdit(this), "EditorGoTo")),
      find_(Named(new QLineEdit(this), "EditorFind")),
      find_as_(Named(new QComboBox(this), "EditorFindAs")),
      fill_from_(Named(new QLineEdit(this), "EditorFillFrom")),
      fill_to_(Named(new QLineEdit(this), "EditorFillTo")),
      fill_value_(Named(new QLineEdit(this), "EditorFillValue")),
      checksums_(Named(new QLabel(this), "EditorChecksumText")),
      position_(Named(new QLabel(this), "EditorPosition")),
      message_(Named(new QLabel(this), "EditorMessage")) {
  setObjectName("frmBufferEditor");
  setWindowTitle("Buffer Editor");
  for (auto& stack : undo_) stack = new QUndoStack(this);
  for (int i = 0; i < 2; ++i) replaced_[static_cast<size_t>(i)] = host_.replaced(i == 1);

  buffer_->addItems({"Code Buffer", "Data Buffer"});
  find_as_->addItems({"Hex Bytes", "Text"});
  go_to_->setPlaceholderText("address, hex");
  find_->setPlaceholderText("DE AD BE EF or text");
  fill_from_->setPlaceholderText("from");
  fill_to_->setPlaceholderText("to");
  fill_value_->setPlaceholderText("byte");
  for (QLabel* label : {checksums_, position_, message_}) {
    label->setTextFormat(Qt::PlainText);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
  }
  checksums_->setWordWrap(true);

  auto* grid = new QGridLayout;
  grid->addWidget(new QLabel("Buffer:", this), 0, 0);
  grid->addWidget(buffer_, 0, 1);
  grid->addWidget(new QLabel("Go to:", this), 0, 2);
  grid->addWidget(go_to_, 0, 3);
  grid->addWidget(Button("&Go", "EditorGoButton", this, [this] { GoToAddress(); }), 0, 4);
  grid->addWidget(Button("&Undo", "EditorUndo", this, [this] { Undo(); }), 0, 5);
  grid->addWidget(Button("&Redo", "EditorRedo", this, [this] { Redo(); }), 0, 6);
  grid->addWidget(new QLabel("Find:", this), 1, 0);
  grid->addWidget(find_as_, 1, 1);
  grid->addWidget(find_, 1, 2, 1, 2);
  grid->addWidget(Button("Find &Next", "EditorFindNext", this, [this] { Find(true); }), 1, 4);
  grid->addWidget(Button("Find &Previous", "EditorFindPrevious", this, [this] { Find(false); }), 1,
                  5, 1, 2);
  auto* fill = new QHBoxLayout;
  fill->addWidget(fill_from_);
  fill->addWidget(new QLabel("..", this));
  fill->addWidget(fill_to_);
  fill->addWidget(new QLabel("with", this));
  fill->addWidget(fill_value_);
  grid->addWidget(new QLabel("Fill:", this), 2, 0);
  grid->addLayout(fill, 2, 1, 1, 3);
  grid->addWidget(Button("&Fill", "EditorFillButton", this, [this] { Fill(); }), 2, 4);
  grid->addWidget(Button("&Checksums", "EditorChecksums", this, [this] { ShowChecksums(); }), 2, 5,
                  1, 2);
  grid->setColumnStretch(3, 1);

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(grid);
  layout->addWidget(view_, 1);
  layout->addWidget(checksums_);
  auto* status = new QHBoxLayout;
  status->addWidget(position_, 1);
  status->addWidget(message_);
  layout->addLayout(status);

  connect(go_to_, &QLineEdit::returnPressed, this, [this] { GoToAddress(); });
  connect(find_, &QLineEdit::returnPressed, this, [this] { Find(true); });
  connect(buffer_, &QComboBox::currentIndexChanged, this, [this](int index) { UseBuffer(index); });
  view_->SetImage([this] { return Image(); });
  view_->Typed = [this](uint32_t address, std::vector<uint8_t> bytes) {
    Edit(buffers::OverwriteEdit(Image(), address, bytes));
  };
  view_->Moved = [this] { ShowPosition(); };
  const int row_width = view_->fontMetrics().horizontalAdvance(QString(80, '0'));
  resize(row_width + 60, 560);
  ShowPosition();
}

void frmBufferEditor::UseBuffer(int index) {
  data_ = index == 1;
  view_->ImageChanged();
  view_->GoTo(0);
  checksums_->clear();
  ShowPosition();
}

void frmBufferEditor::Refresh() {
  for (int i = 0; i < 2; ++i) {
    const auto slot = static_cast<size_t>(i);
    const uint32_t replaced = host_.replaced(i == 1);
    if (replaced == replaced_[slot]) continue;
    replaced_[slot] = replaced;
    undo_[slot]->clear();  // its records belong to the image that was replaced
  }
  view_->ImageChanged();
  ShowPosition();
}

void frmBufferEditor::Edit(buffers::ByteEdit edit) {
  if (edit.Empty()) return;
  const QString what = edit.after.size() == 1 ? "Byte at " + Hex(edit.address)
                                              : QString::number(edit.after.size()) +
                                                    " bytes from " + Hex(edit.address);
  const bool in_data = data_;
  undo_[in_data ? 1 : 0]->push(new EditCommand(
      [this, in_data, edit = std::move(edit)](bool undo) { host_.apply(in_data, edit, undo); },
      what));
  view_->viewport()->update();
  ShowPosition();
}

void frmBufferEditor::Undo() {
  undo_[data_ ? 1 : 0]->undo();
  view_->viewport()->update();
}

void frmBufferEditor::Redo() {
  undo_[data_ ? 1 : 0]->redo();
  view_->viewport()->update();
}

void frmBufferEditor::GoToAddress() {
  const auto address = buffers::ParseHexNumber(S(go_to_->text()));
  const uint64_t length = Image().size();
  if (!address) {
    Say("Type the address in hexadecimal, for example 1F00");
  } else if (*address >= length) {
    Say(length == 0 ? "The buffer is empty"
                    : "Address " + Hex(*address) + " lies beyond the buffer (last " +
                          Hex(length - 1) + ")");
  } else {
    view_->GoTo(*address);
    view_->setFocus();
    Say({});
  }
}

void frmBufferEditor::Find(bool forward) {
  std::vector<uint8_t> pattern;
  if (find_as_->currentIndex() == 0) {
    const auto bytes = buffers::ParseHexBytes(S(find_->text()));
    if (!bytes) {
      Say("Type the bytes as pairs of hex digits, for example DE AD BE EF");
      return;
    }
    pattern = *bytes;
  } else {
    const QByteArray text = find_->text().toLatin1();
    pattern.assign(text.begin(), text.end());
  }
  const uint32_t at = view_->Cursor();
  const auto found = forward ? buffers::FindForward(Image(), pattern, at + 1)
                             : buffers::FindBackward(Image(), pattern, at);
  if (!found) {
    Say(pattern.empty() ? "Nothing to find"
                        : QString("Not found ") + (forward ? "after " : "before ") + Hex(at));
    return;
  }
  view_->Select(*found, *found + static_cast<uint32_t>(pattern.size()) - 1);
  Say("Found at " + Hex(*found));
}

bool frmBufferEditor::FillRange(uint32_t& first, uint32_t& last) {
  if (fill_from_->text().trimmed().isEmpty() && fill_to_->text().trimmed().isEmpty()) {
    const auto selection = view_->Selection();
    if (!selection) return false;
    first = selection->first;
    last = selection->second;
    return true;
  }
  const auto from = buffers::ParseHexNumber(S(fill_from_->text()));
  const auto to = buffers::ParseHexNumber(S(fill_to_->text()));
  if (!from || !to) return false;
  first = *from;
  last = *to;
  return true;
}

void frmBufferEditor::Fill() {
  uint32_t first = 0;
  uint32_t last = 0;
  const auto value = buffers::ParseHexNumber(S(fill_value_->text()));
  if (!FillRange(first, last) || !value || *value > 0xFF) {
    Say("Fill needs a range (from and to in hex, or a selection) and a byte value in hex");
    return;
  }
  auto edit = buffers::FillEdit(Image(), first, last, static_cast<uint8_t>(*value));
  if (edit.Empty()) {
    Say("The range lies beyond the buffer");
    return;
  }
  Say("Filled " + Hex(edit.address) + ".." + Hex(edit.End() - 1) + " with " + Hex(*value));
  Edit(std::move(edit));
}

void frmBufferEditor::ShowChecksums() {
  const std::span<const uint8_t> image = Image();
  const auto selection = view_->Selection();
  if (!selection) {
    checksums_->setText("Whole buffer: " + Q(buffers::ChecksumLine(image)));
    return;
  }
  const auto part =
      image.subspan(selection->first, size_t{selection->second} - selection->first + 1);
  checksums_->setText("Selection " + Hex(selection->first) + ".." + Hex(selection->second) + ": " +
                      Q(buffers::ChecksumLine(part)));
}

void frmBufferEditor::Say(const QString& text) {
  message_->setText(text);
}

void frmBufferEditor::ShowPosition() {
  const uint64_t length = Image().size();
  QString text = buffer_->currentText() + ", " + QString::number(length) + " bytes";
  if (length > 0) text += ", cursor at " + Hex(view_->Cursor());
  if (const auto selection = view_->Selection()) {
    text += ", selected " + Hex(selection->first) + ".." + Hex(selection->second);
  }
  position_->setText(text);
}

}  // namespace app
