#pragma once

#include <string>

namespace platform {

// The directory that holds the program's executable (its sounds lie there).
std::string ExecutableDirectory();

// Where the program keeps its own files ("meldrix5.ini"): the executable's directory when the
// program may write there, otherwise $XDG_CONFIG_HOME/meldrix5 (~/.config/meldrix5), created
// on demand.
std::string ProgramDirectory();

// Joins a directory and a file name with the platform's separator.
std::string JoinPath(const std::string& directory, const std::string& name);

}  // namespace platform
