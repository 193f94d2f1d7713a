#pragma once

#include <memory>
#include <string_view>

#include "sim/chip.h"

namespace sim {

enum class ChipFamily : uint8_t { UvEprom, CommandFlash, PageEeprom };

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
  // UV EPROMs: the pulse time a cell needs. Page devices: the write cycle of a page.
  Nanos program_time{0};
};

// The kind of this name, or nullptr for a device the socket does not simulate.
const SocketKind* FindSocketKind(std::string_view name);
// A blank chip of that kind.
std::unique_ptr<Chip> MakeChip(const SocketKind& kind);

}  // namespace sim
