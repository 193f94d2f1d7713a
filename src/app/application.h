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

// The program: builds the port access, the window and the core, runs start-up, then the event
// loop until the window is closed.
int RunProgram(int argc, char* argv[]);

}  // namespace app
