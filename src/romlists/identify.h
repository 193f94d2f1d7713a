#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "romlists/rom_index.h"

namespace romlists {

// A part of an image looked up on its own: the whole image, a half or a quarter of it. A ROM
// smaller than its chip sits in one half or quarter, or fills the chip several times over
// where the chip's upper address lines are not wired.
struct ImagePart {
  uint32_t first = 0;
  uint32_t length = 0;
  int parts = 1;  // 1 the whole image, 2 a half, 4 a quarter
  int index = 0;  // which half or quarter, from the lowest address
  // Every byte holds this value (FFh: erased, or no chip answering): such a part names no ROM
  // and is not looked up, though some lists carry blank fillers of these lengths.
  std::optional<uint8_t> fill;
  uint32_t crc32 = 0;
  std::array<uint8_t, 20> sha1{};
  std::vector<RomEntry> matches;
};

struct Identification {
  std::vector<ImagePart> parts;  // the whole first, then the halves, then the quarters
  int64_t searched = 0;          // entries in the index
  std::optional<std::string> error;
  bool Identified() const;
};

// Looks up the whole image, its halves (when its length is even) and its quarters (when it
// divides by four) by length, CRC-32 and SHA-1.
Identification Identify(const RomIndex& index, std::span<const uint8_t> image);

// What is looked up: "Looking up bytes 0h..7FFFh of the Code Buffer in the ROM lists, whole,
// by halves and by quarters". `where` names the buffer.
std::string LookupLine(uint32_t length, std::string_view where);

// What was found: the "Identified: ..." lines, each half or quarter introduced by a line with
// its address range, or "Not in the ROM lists (N entries searched)".
std::vector<std::string> ReportLines(const Identification& found);

// How to give the program a list to look in, for an index that holds no entry.
std::string NoListsLine(const Sources& sources);

}  // namespace romlists
