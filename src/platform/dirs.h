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

// The folder where the operator keeps ROM list files (Logiqx / ClrMamePro XML DAT files):
// $XDG_DATA_HOME/meldrix5/dats (~/.local/share/meldrix5/dats). Not created: it is the
// operator's to fill. Empty when neither variable nor a home directory is known.
std::string RomDatDirectory();

// Where the program keeps what it can always make again (the index of the ROM lists):
// $XDG_CACHE_HOME/meldrix5 (~/.cache/meldrix5), created on demand. Empty when neither the
// variable nor a home directory is known.
std::string CacheDirectory();

// Where Debian's mame-data package installs MAME's software lists.
std::string MameSoftwareListDirectory();

// Joins a directory and a file name with the platform's separator.
std::string JoinPath(const std::string& directory, const std::string& name);

}  // namespace platform
