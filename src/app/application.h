#pragma once

namespace app {

// The program: builds the port access, the window and the core, runs start-up, then the event
// loop until the window is closed.
int RunProgram(int argc, char* argv[]);

}  // namespace app
