#pragma once

#include <iosfwd>

#include "cli/options.h"

namespace cli {

// What a script can rely on when the command ends.
enum class ExitStatus : int {
  Done = 0,
  DeviceFailed = 1,  // not blank, verify mismatch, programming or erase failure, unknown ID
  Usage = 2,
  NoBoard = 3,     // no board found, or no access to its port
  FileFailed = 4,  // an image or log file could not be read or written
  Stopped = 130,   // Ctrl+C (or SIGTERM, SIGHUP) stopped the operation; the board was reset
};

// The standard streams the command talks through, and what they reach.
struct Console {
  std::ostream& out;
  std::ostream& err;
  std::istream& in;
  bool err_is_terminal;
  bool in_is_terminal;
};

// Runs one command as the window's handlers run it, on a real port or the simulated board.
ExitStatus RunCommand(const Request& request, Console console);

}  // namespace cli
