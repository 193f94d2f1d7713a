// The buffer editor in the main window: its menu, and the edits it makes through the core.
#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <algorithm>

#include "app/buffer_editor.h"
#include "app/frm_main.h"
#include "operations/programmer.h"

namespace app {

// The Display menu, beside the Command menu, before Setup.
void frmMain::BuildDisplayMenu() {
  auto* menu = new QMenu("&Display", this);
  menu->setObjectName("mnuDisplay");
  menu->menuAction()->setObjectName("mnuDisplay");
  menuBar()->insertMenu(Widget<QAction>(panel::Ctl::Setup), menu);
  QAction* editor = menu->addAction("&Buffer Editor...");
  editor->setObjectName("mnuDisplayBufferEditor");
  editor->setShortcut(QKeySequence("Ctrl+E"));
  connect(editor, &QAction::triggered, this, [this] { mnuDisplayBufferEditor_Click(); });
}

void frmMain::mnuDisplayBufferEditor_Click() {
  if (programmer_ == nullptr) return;
  if (editor_ == nullptr) {
    frmBufferEditor::Host host{
        [this](bool in_data) {
          return std::span<const uint8_t>(programmer_->EditableImage(in_data));
        },
        [this](bool in_data, const buffers::ByteEdit& edit, bool undo) {
          Route([&](ops::Programmer& p) { p.ApplyBufferEdit(in_data, edit, undo); });
        },
        [this](bool in_data) {
          return in_data ? programmer_->buf.DataReplaced : programmer_->buf.CodeReplaced;
        }};
    editor_ = new frmBufferEditor(this, std::move(host));
    // Never taller than the screen.
    const QRect screen = ScreenAt(x(), y());
    editor_->resize(editor_->width(), std::min(editor_->height(), screen.height() * 4 / 5));
  }
  editor_->Refresh();
  editor_->show();
  editor_->raise();
  editor_->activateWindow();
}

// Closing ends the program and with it the edits no file holds: the operator says first,
// unless the system asked the program to end.
bool frmMain::EditsMayBeLostOnClose() {
  if (close_after_ || programmer_ == nullptr) return true;
  if (!programmer_->buf.CodeEdited && !programmer_->buf.DataEdited) return true;
  return dialogs_->AskOkCancel(
      this, "The Buffer holds edits that are not saved. Exit and lose them?", "Unsaved Edits");
}

}  // namespace app
