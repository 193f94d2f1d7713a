#pragma once

#include <string>

namespace platform {

// The directory that holds the program's executable.
std::string ExecutableDirectory();

// Where the event sounds lie: beside the executable when they are there (the build folder, or a
// copy of the program carried with its sounds), otherwise in the installed program's data
// directory, share/meldrix5/sounds under the prefix the executable is installed in.
std::string SoundDirectory(const std::string& executable_directory);
std::string SoundDirectory();

// True when the executable sits in an installed tree: its data directory is found under the
// prefix. Such a program never writes its own files into the package's bin directory.
bool RunsInstalled(const std::string& executable_directory);

// Where the program keeps its own files ("meldrix5.ini"): the executable's directory when the
// program may write there and it is not an installed program, otherwise
// $XDG_CONFIG_HOME/meldrix5 (~/.config/meldrix5), created on demand.
std::string ProgramDirectory(const std::string& executable_directory);
std::string ProgramDirectory();

// Where the ROM lists (DAT files) lie unless the operator chose another folder:
// $XDG_DATA_HOME/meldrix5/dats (~/.local/share/meldrix5/dats); not created here. Empty when the
// user has no home directory.
std::string RomListDirectory();

// Joins a directory and a file name with the platform's separator.
std::string JoinPath(const std::string& directory, const std::string& name);

}  // namespace platform
