#pragma once

#include <array>
#include <cstdint>

#include "sim/sim_board.h"

namespace sim_test {

// Drives a simulated board by hand-written port sequences, with the program's control codes
// copied from the board's latch table, so the tests do not lean on the board layer's code.
class Driver {
 public:
  // Idle and strobe codes of latches 0..4.
  static constexpr std::array<uint8_t, 5> kIdle4{0x0A, 0x02, 0x08, 0x00, 0x0E};
  static constexpr std::array<uint8_t, 5> kStrobe4{0x0B, 0x03, 0x09, 0x01, 0x0F};
  static constexpr std::array<uint8_t, 5> kIdle5{0x05, 0x0D, 0x07, 0x0F, 0x01};
  static constexpr std::array<uint8_t, 5> kStrobe5{0x04, 0x0C, 0x06, 0x0E, 0x00};

  Driver(sim::SimBoard& board, int model, uint16_t base = 0x378)
      : board_(board), model_(model), base_(base) {}

  // One latch write: the byte, idle, strobe, idle.
  void Latch(int n, uint8_t value) {
    const auto i = static_cast<size_t>(n);
    board_.PortOut(base_, value);
    board_.PortOut(Control(), IdleCodes()[i]);
    board_.PortOut(Control(), StrobeCodes()[i]);
    board_.PortOut(Control(), IdleCodes()[i]);
    shadow_[i] = value;
  }
  // The Flash command cycles' fast form: the byte, strobe, idle; no delays, shadow unchanged.
  void FastLatch(int n, uint8_t value) {
    const auto i = static_cast<size_t>(n);
    board_.PortOut(base_, value);
    board_.PortOut(Control(), StrobeCodes()[i]);
    board_.PortOut(Control(), IdleCodes()[i]);
  }
  uint8_t Shadow(int n) const { return shadow_[static_cast<size_t>(n)]; }
  void Set(int n, uint8_t value) {
    if (Shadow(n) != value) Latch(n, value);
  }
  void SetBits(int n, uint8_t bits) { Set(n, static_cast<uint8_t>(Shadow(n) | bits)); }
  void ClearBits(int n, uint8_t bits) { Set(n, static_cast<uint8_t>(Shadow(n) & ~bits)); }

  // Board idle: outputs off, address 0, chip disabled, driver off, data latch FFh.
  void Idle(uint8_t reg1_mask = 0, uint8_t reg3_mask = 0) {
    Latch(0, 0x40);
    Latch(1, reg1_mask);
    Latch(2, 0x00);
    Latch(3, static_cast<uint8_t>(0xC4 | reg3_mask));
    Latch(4, 0xFF);
  }
  // Address through latches 2 (A0-A7), 1 (A8-A15, ORed with fixed bits) and the low nibble of
  // latch 3 (A16-A19 as given, ORed with fixed bits), keeping latch 3's upper half.
  void Address(uint32_t a, uint8_t reg1_fixed = 0, uint8_t reg3_low = 0) {
    Set(1, static_cast<uint8_t>(((a >> 8) & 0xFF) | reg1_fixed));
    Set(2, static_cast<uint8_t>(a & 0xFF));
    Set(3, static_cast<uint8_t>((Shadow(3) & 0xF0) | reg3_low));
  }
  void DriverOn() { ClearBits(3, 0x40); }
  void DriverOff() { SetBits(3, 0x40); }
  void ChipEnable(bool on) { on ? ClearBits(3, 0x80) : SetBits(3, 0x80); }
  void OutputEnable(bool on) { on ? ClearBits(0, 0xC0) : SetBits(0, 0x40); }

  // The two-write, two-read nibble read-back, decoded by hand from the status bits.
  uint8_t ReadBack() {
    const bool m4 = model_ == 4;
    board_.PortOut(Control(), m4 ? 0x00 : 0x05);
    const uint8_t s1 = board_.PortIn(Status());
    board_.PortOut(Control(), m4 ? 0x04 : 0x01);
    const uint8_t s2 = board_.PortIn(Status());
    return static_cast<uint8_t>(Nibble(s1) | Nibble(s2) << 4);
  }
  // Chip and outputs on, read back, outputs and chip off (the address already set).
  uint8_t ReadCycle() {
    ChipEnable(true);
    OutputEnable(true);
    const uint8_t b = ReadBack();
    OutputEnable(false);
    ChipEnable(false);
    return b;
  }
  // Driver off, then a read cycle at that address.
  uint8_t ReadAt(uint32_t a, uint8_t reg1_fixed = 0, uint8_t reg3_low = 0) {
    Address(a, reg1_fixed, reg3_low);
    DriverOff();
    return ReadCycle();
  }

  uint16_t Control() const { return static_cast<uint16_t>(base_ + 2); }
  uint16_t Status() const { return static_cast<uint16_t>(base_ + 1); }

 private:
  const std::array<uint8_t, 5>& IdleCodes() const { return model_ == 4 ? kIdle4 : kIdle5; }
  const std::array<uint8_t, 5>& StrobeCodes() const { return model_ == 4 ? kStrobe4 : kStrobe5; }
  uint8_t Nibble(uint8_t s) const {
    auto bit = [s](int b) { return (s >> b) & 1; };
    if (model_ == 4) {
      return static_cast<uint8_t>(bit(6) | (bit(7) ^ 1) << 1 | bit(5) << 2 | bit(4) << 3);
    }
    return static_cast<uint8_t>((s >> 3) & 0x0F);
  }

  sim::SimBoard& board_;
  int model_;
  uint16_t base_;
  std::array<uint8_t, 5> shadow_{0x40, 0x00, 0x00, 0xC4, 0xFF};
};

}  // namespace sim_test
