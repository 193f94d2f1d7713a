#pragma once

namespace ops {
class Programmer;
}
namespace frontend {
class PortAccess;
}

namespace app {

class frmMain;

// Joins the window, the core and the port access: the window routes to the core and shows how
// the port is reached, a selected device goes into a simulated socket, and the port's notes go
// to the log.
void ConnectWindow(frmMain& window, ops::Programmer& programmer, frontend::PortAccess& access);

// Runs start-up, shows the window and runs the event loop until the window is closed. Meanwhile
// SIGINT, SIGTERM and SIGHUP stop the operation in progress and then close the window, and a
// fatal signal resets the board on its way out.
int RunWindow(frmMain& window, ops::Programmer& programmer, frontend::PortAccess& access);

// The program: builds the port access, the window and the core, then runs the window.
int RunProgram(int argc, char* argv[]);

}  // namespace app
