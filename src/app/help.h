#pragma once

#include <string>
#include <vector>

class QWidget;

namespace app {

// The Help menu's entries, for the main window to connect.
// "&About ": the About box, modal over owner; port_notes as frmAbout takes them.
void ShowAbout(QWidget& owner, const std::vector<std::string>& port_notes = {});
void ShowHelpContents(QWidget& owner);  // "&Contents": the help window at its contents page
void ShowHelpSearch(QWidget& owner);    // "&Search For Help On...": the help window's search

}  // namespace app
