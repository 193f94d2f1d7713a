#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace romlists {

// One ROM as a list gives it: its file name in the set, its length and its checksums.
struct ListedRom {
  std::string name;
  uint64_t size = 0;
  uint32_t crc32 = 0;
  std::optional<std::array<uint8_t, 20>> sha1;
};

// A software of a MAME software list, or a game or machine of a Logiqx DAT file, with those of
// its ROMs that carry a CRC-32 (a ROM never dumped has none and names nothing).
struct ListedSet {
  std::string name;
  std::string description;
  std::string year;
  std::string maker;  // the software's publisher, the game's manufacturer
  std::vector<ListedRom> roms;
};

struct ListReading {
  std::string title;  // the software list's description (else its name), the DAT's header name
  // Why the file is not a ROM list, or where it is broken; the sets handed over before the fault
  // were read all the same.
  std::optional<std::string> problem;
  bool stopped = false;  // keep_reading answered false
};

// Reads one list file through the XML parser, a piece at a time, so that a list of any length
// takes little memory: a MAME software list (softwarelist > software > part > dataarea > rom) or
// a Logiqx / ClrMamePro DAT file (datafile > game | machine > rom). `take` gets each set as its
// end is read; `keep_reading` is told how many bytes of the file have been read so far and
// answers false to stop.
ListReading ReadRomList(const std::string& path, const std::function<void(ListedSet&)>& take,
                        const std::function<bool(uint64_t bytes_read)>& keep_reading);

}  // namespace romlists
