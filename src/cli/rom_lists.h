#pragma once

#include <iosfwd>
#include <optional>
#include <string>

#include "cli/session.h"
#include "platform/signals.h"
#include "romlists/rom_index.h"

namespace cli {

// The ROM lists of the default places, the DAT folder as --dats gives it (empty: the default).
romlists::Sources RomListSources(const std::string& dats);

struct PreparedRomLists {
  std::optional<romlists::RomIndex> index;
  std::optional<ExitStatus> failed;  // stopped, or no index could be made
};

// The index of the ROM lists, built first when a list was added, changed or removed since it
// was made: the progress, the files skipped and the outcome go to the error stream, the bar only
// when that is a terminal. Ctrl+C stops the build, leaving the index as it was.
PreparedRomLists PrepareRomLists(const romlists::Sources& sources, std::ostream& err,
                                 bool err_is_terminal, const platform::StopSignals& signals);

// The index as it is, when it is current for the sources; nothing is built.
std::optional<romlists::RomIndex> CurrentRomLists(const romlists::Sources& sources);

}  // namespace cli
