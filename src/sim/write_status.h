// What the Flash and EEPROM chips, which time their own writes, share: when they drive the bus,
// and the status byte they answer with while a write runs.
#pragma once

#include <cstdint>

#include "sim/chip.h"

namespace sim {

// These chips put a byte on the bus while CE and OE are asserted and no write strobe is.
inline bool ReadCycle(const Lines& l) {
  return l.ce && l.oe && !l.strobe;
}

// While a write runs a read answers bit 7 the complement of the byte being written (data
// polling) and bit 6 flipping at every new read (toggle bit).
struct WriteStatus {
  Nanos until{0};       // the write ends then
  uint8_t data = 0xFF;  // the byte being written
  uint8_t toggle = 0;

  bool Busy(Nanos now) const { return now < until; }
  uint8_t Byte() const { return static_cast<uint8_t>((~data & 0x80) | toggle); }
  // After every change of the lines: a read that has just started flips the toggle bit.
  void LinesChanged(const Lines& before, bool reading_now) {
    if (!ReadCycle(before) && reading_now) toggle ^= 0x40;
  }
};

}  // namespace sim
