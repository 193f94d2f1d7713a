#include "app/help.h"

#include <QFile>
#include <QMessageBox>
#include <QTextBrowser>
#include <QWidget>
#include <memory>

#include "app/about_dialog.h"
#include "app/help_window.h"
#include "panel/panel.h"

namespace app {
namespace {

// The help window stays open beside the main window, one of it, until the operator closes it.
HelpWindow* OpenHelpWindow(QWidget& owner) {
  if (!QFile::exists(":/help/index.html")) {
    QMessageBox::critical(&owner, "MELDRIX5N",
                          "The help document is missing from this build of the program.",
                          QMessageBox::Ok);
    return nullptr;
  }
  auto* window = owner.findChild<HelpWindow*>("HelpWindow", Qt::FindDirectChildrenOnly);
  if (window == nullptr) window = new HelpWindow(&owner);  // owned by owner
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
