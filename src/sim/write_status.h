// What the Flash and EEPROM chips, which time their own writes, share: when they drive the bus,
// the write cycles they take, and the status byte they answer with while a write runs.
#pragma once

#include <cstdint>

#include "sim/chip.h"

namespace sim {

// These chips put a byte on the bus while CE and OE are asserted and no write strobe is.
inline bool ReadCycle(const Lines& l) {
  return l.ce && l.oe && !l.strobe;
}

// A write cycle: CE and the write strobe asserted, OE not.
inline bool WriteCycle(const Lines& l) {
  return l.ce && l.strobe && !l.oe;
}

// The address is taken as a write cycle starts and the data as it ends, on the edge of whichever
// of CE and the write strobe ends it, so the data is the bus level just before that edge.
struct WriteCycleEdges {
  uint32_t address = 0;  // of the cycle under way

  // After every change of the lines; true when a write cycle has just ended, its data being
  // before.bus.
  bool Ended(const Lines& before, const Lines& after) {
    if (!WriteCycle(before) && WriteCycle(after)) address = after.address;
    return WriteCycle(before) && !WriteCycle(after);
  }
};

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
