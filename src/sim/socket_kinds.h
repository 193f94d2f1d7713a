#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "sim/chip.h"

namespace sim {

enum class ChipFamily : uint8_t { UvEprom, CommandFlash, PageEeprom };

// A UV EPROM's programming voltage as its datasheet gives it.
struct VppRating {
  Millivolts min = 0;           // the lowest level that programs
  Millivolts max = 0;           // the highest level the programming range allows
  Millivolts absolute_max = 0;  // above it the device is damaged
};

// One part that fits a UV EPROM row: its name, its voltages and the pulse time one cell needs.
struct EpromPart {
  std::string_view name;  // empty: the row has no such part
  VppRating vpp;
  Nanos program_time{0};
};

// One device the simulated socket can hold, as the board designer wired it.
struct SocketKind {
  std::string_view name;  // as the device list shows it, without trailing blanks
  ChipFamily family;
  uint32_t size;
  PinMap pins;
  bool verify_without_ce = false;  // UV EPROMs whose verify mode needs chip enable high
  uint8_t maker = 0, device = 0;   // codes answered in identification mode
  uint32_t sector_size = 0;        // Flash sector, EEPROM page
  bool has_id_and_erase = false;   // EEPROM-style Flash with identification and chip erase
  Nanos program_time{0};           // page devices: the write cycle of a page
  Nanos id_entry_time{0};          // page devices: from the identification command to its codes
  // UV EPROMs: the part the socket holds unless told otherwise, and the part of the other
  // programming voltage that the same row stands for (none when the row names one part).
  EpromPart part{};
  EpromPart other_part{};
};

// The kind of this name, or nullptr for a device the socket does not simulate.
const SocketKind* FindSocketKind(std::string_view name);
// A blank chip of that kind: its common part, or the part of its other voltage.
std::unique_ptr<Chip> MakeChip(const SocketKind& kind, bool other_part = false);
// "12.5 V", "21 V".
std::string VoltText(Millivolts level);

}  // namespace sim
