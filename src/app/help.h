#pragma once

class QWidget;

namespace app {

// The Help menu's entries, for the main window to connect.
void ShowAbout(QWidget& owner);         // "&About ": the About box, modal over owner
void ShowHelpContents(QWidget& owner);  // "&Contents": the help window at its contents page
void ShowHelpSearch(QWidget& owner);    // "&Search For Help On...": the help window's search

}  // namespace app
