#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <map>
#include <string>

#include "platform/port_io.h"
#include "support/board_steps.h"

namespace testing_support {

// The tests' one board double: boards of either model at chosen port blocks, as the board's
// electronics answer. A latch takes the data register when the control register leaves that
// latch's strobe code; with latch-3 bit 6 low the board drives latch 4 onto the data bus,
// otherwise the chip in the socket does (an empty socket lets the bus float high); the read-back
// multiplexer puts one nibble of the bus on the status lines.
class ScriptedBoards final : public platform::PortIo {
 public:
  ScriptedBoards() = default;
  ScriptedBoards(uint16_t base, int model) { Place(base, model); }
  void Place(uint16_t base, int model) { boards_[base] = Board{model}; }
  // What the five latches of the board at `base` hold.
  const std::array<uint8_t, 5>& Latches(uint16_t base) const { return boards_.at(base).latch; }

  // The chip in every socket: asked for the byte it drives each time the low nibble of the bus
  // is read, as the program reads a byte low nibble first; the high nibble read sees the same
  // byte.
  std::function<uint8_t()> chip;
  size_t status_reads = 0;  // reads of a board's status port

  void PortOut(uint16_t port, uint8_t value) override {
    Board* b = At(port);
    if (b == nullptr) return;
    if (port == Base(port)) b->data = value;
    if (port == Base(port) + 2) {
      const auto& strobes = CodesOf(b->model).strobe;
      for (size_t latch = 0; latch < 5; ++latch) {
        if (b->control == strobes[latch] && value != b->control) b->latch[latch] = b->data;
      }
      b->control = value;
    }
  }

  uint8_t PortIn(uint16_t port) override {
    Board* b = At(port);
    if (b == nullptr || port != Base(port) + 1) return 0xFF;
    ++status_reads;
    const bool control_bit2 = (b->control & 0x04) != 0;
    const bool low_nibble = control_bit2 == (b->model != 4);
    if (low_nibble && chip) b->chip_byte = chip();
    const unsigned bus = (b->latch[3] & 0x40) == 0 ? b->latch[4] : b->chip_byte;
    return StatusFor(b->model, low_nibble ? bus : bus >> 4);
  }

  std::string Describe() const override { return "scripted boards"; }

 private:
  struct Board {
    int model = 0;
    uint8_t data = 0xFF, control = 0x04;
    std::array<uint8_t, 5> latch = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
    uint8_t chip_byte = 0xFF;
  };
  static uint16_t Base(uint16_t port) {
    return port >= 0x3BC ? 0x3BC : static_cast<uint16_t>(port & ~3U);
  }
  Board* At(uint16_t port) {
    auto it = boards_.find(Base(port));
    return it == boards_.end() ? nullptr : &it->second;
  }
  std::map<uint16_t, Board> boards_;
};

}  // namespace testing_support
