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
  Nanos program_time{0};           // page devices: the write cycle of a page; Flash: a byte
  Nanos id_entry_time{0};          // page devices: from the identification command to its codes
  // The address lines a Flash or page device compares in its command cycles (A10..A0 on the
  // 555h / 2AAh parts, A14..A0 on the 5555h / 2AAAh parts); the lines above are don't care.
  uint32_t command_address_mask = 0x7FF;
  // Command Flash: whether a program or erase that cannot finish raises DQ5 (exceeded timing
  // limits) and waits for a reset; without it the operation just ends after its time.
  bool has_dq5 = true;
  Nanos chip_erase_time{0};    // Flash, 0: the family's figure
  Nanos sector_erase_time{0};  // command Flash, 0: the family's figure
  // Page devices: how long after the previous byte load the next one must start, and whether
  // that is counted from the previous load's start (falling edge to falling edge) or its end.
  Nanos byte_load_window{0};
  bool window_from_cycle_start = false;
  // Page devices: while protected, loads without the unlock prefix (and the protection command
  // alone) still run a write cycle, writing nothing, during which reads poll.
  bool protected_loads_run_write_cycle = false;
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
