#pragma once

namespace platform {

// Whether the standard streams reach a person at a terminal (not a file, a pipe or nothing).
bool StandardInputIsTerminal();
bool StandardErrorIsTerminal();

}  // namespace platform
