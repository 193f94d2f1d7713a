#include "app/help.h"

#include <QFile>
#include <QMessageBox>
#include <QScreen>
#include <QTextBrowser>
#include <QWidget>
#include <algorithm>
#include <memory>

#include "app/about_dialog.h"
#include "app/help_window.h"
#include "panel/panel.h"

namespace app {
namespace {

// A new help window opens over its owner, whole on the owner's screen.
void PlaceOnOwnersScreen(QWidget& window, const QWidget& owner) {
  const QScreen* screen = owner.screen();
  if (screen == nullptr) return;
  const QRect room = screen->availableGeometry();
  // Not shown yet, the window has no frame: it will get one like its owner's.
  const QSize frame = owner.frameGeometry().size() - owner.size();
  window.resize(window.size().boundedTo(room.size() * 9 / 10 - frame));
  QRect placed(QPoint(), window.size() + frame);
  placed.moveCenter(owner.frameGeometry().center());
  placed.moveLeft(std::clamp(placed.left(), room.left(), room.right() + 1 - placed.width()));
  placed.moveTop(std::clamp(placed.top(), room.top(), room.bottom() + 1 - placed.height()));
  window.move(placed.topLeft());
}

// The help window stays open beside the main window, one of it, until the operator closes it.
HelpWindow* OpenHelpWindow(QWidget& owner) {
  if (!QFile::exists(":/help/index.html")) {
    QMessageBox::critical(&owner, "MELDRIX5N",
                          "The help document is missing from this build of the program.",
                          QMessageBox::Ok);
    return nullptr;
  }
  auto* window = owner.findChild<HelpWindow*>("HelpWindow", Qt::FindDirectChildrenOnly);
  if (window == nullptr) {
    window = new HelpWindow(&owner);  // owned by owner
    PlaceOnOwnersScreen(*window, owner);
  }
  window->show();
  window->raise();
  window->activateWindow();
  return window;
}

}  // namespace

// The About box is created when the operator asks for it and unloaded when it closes; while it
// is open, asking again brings the same box forward.
void ShowAbout(QWidget& owner, const std::vector<std::string>& port_notes) {
  if (auto* open = owner.findChild<frmAbout*>("frmAbout", Qt::FindDirectChildrenOnly)) {
    open->raise();
    open->activateWindow();
    return;
  }
  const auto about = std::make_unique<frmAbout>(&owner, port_notes);
  about->exec();
}

void ShowHelpContents(QWidget& owner) {
  if (HelpWindow* window = OpenHelpWindow(owner)) window->ShowContents();
}

void ShowHelpSearch(QWidget& owner) {
  if (HelpWindow* window = OpenHelpWindow(owner)) {
    if (window->Browser()->source().isEmpty()) window->ShowContents();
    window->ShowSearch();
  }
}

}  // namespace app
