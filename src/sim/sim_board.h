#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>

#include "platform/port_io.h"
#include "sim/chip.h"
#include "sim/socket_kinds.h"

namespace sim {

// A model-4 or model-5 programmer board on a parallel port, with its socket, as the program
// sees it through the port's three registers.
//
// - Latch N takes the data register when the control register leaves latch N's strobe code.
// - Data bus: latch 4 while the board's driver is on (latch 3 bit 6 low); otherwise the chip's
//   outputs when it drives them; otherwise the pull-ups (FFh). Board and chip driving at once
//   is bus contention, counted once each time it begins.
// - Read-back: control bit 2 selects which nibble of the bus reaches the status lines; model 4
//   puts D0/D1/D2/D3 on status bits 6/7/5/4 (bit 7 is BUSY and reads inverted) with the low
//   nibble on bit 2 low, model 5 puts them on bits 3/4/5/6 with the low nibble on bit 2 high.
// - The activity lamp is latch 0 bit 3.
// - The programming-voltage generator: on model 5 latch-0 bit 1 raises it from 12.5 V to 21 V,
//   bits 1 and 0 together to 25 V (bit 0 alone leaves 12.5 V); the model-4 board has no
//   selection bits and gives 12.5 V. Latch-0 bits 4, 5 and 7 route it to the socket's pins.
//
// Time moves on with every port access (one I/O bus cycle) and whenever the program reports a
// busy-wait or sleep through TimePassed; write and erase cycles of the chips run on it.
class SimBoard final : public platform::PortIo {
 public:
  explicit SimBoard(int model = 5, uint16_t base = 0x378);
  ~SimBoard() override;

  void SetModel(int model);
  int Model() const { return model_; }
  // The board answers only at base..base+2; elsewhere writes are ignored and reads give FFh.
  void SetBase(uint16_t base) { base_ = base; }
  uint16_t Base() const { return base_; }

  // Puts a chip of this catalogue kind in the socket ("Eprom 27C256", "Flash AMD AM29F040",
  // "Eeprom XICOR X28C256"; trailing blanks are ignored). One chip per kind lives as long as
  // the board, blank when first made, so a chip programmed earlier reads back later. A kind
  // that is not simulated leaves the socket empty and gives false.
  bool InsertDevice(std::string_view name);
  void EmptySocket();
  // The kind in the socket; nullptr while it is empty.
  const SocketKind* Kind() const { return kind_; }
  // Takes the chip out of the socket and puts a new blank one of the same kind in its place,
  // which the kind keeps from then on: its common part, or the part of the other voltage.
  // Nothing happens while the socket is empty.
  Chip* PutNewChip(bool other_part = false);
  // The generator's level now.
  Millivolts VppSupply() const;
  Chip* chip() { return chip_; }
  const Chip* chip() const { return chip_; }

  uint64_t Contentions() const { return contentions_; }
  bool LampOn() const { return (latches_[0] & 0x08) != 0; }
  // What latch n (0..4) holds; 0 for any other n.
  uint8_t Latch(int n) const {
    return n >= 0 && n < 5 ? latches_[static_cast<size_t>(n)] : uint8_t{0};
  }
  // The byte on the device's data bus now.
  uint8_t Bus();
  Nanos Now() const { return now_; }
  // Time one port access takes (an ISA I/O cycle: 1 us unless set).
  void SetAccessTime(Nanos t) { access_time_ = t; }

  void PortOut(uint16_t port, uint8_t value) override;
  uint8_t PortIn(uint16_t port) override;
  void TimePassed(std::chrono::nanoseconds elapsed) override;
  bool KeepsOwnTime() const override { return true; }
  std::chrono::nanoseconds OwnTime() const override { return now_; }
  std::string Describe() const override { return "simulated board"; }

 private:
  void WriteControl(uint8_t value);
  void LatchesChanged();
  uint8_t Status();

  int model_ = 5;
  uint16_t base_ = 0x378;
  uint8_t data_ = 0;
  uint8_t control_ = 0x08;
  Latches latches_{0x40, 0x00, 0x00, 0xC4, 0xFF};  // the idle pattern
  Nanos now_{0};
  Nanos access_time_{1000};
  uint64_t contentions_ = 0;
  bool contended_ = false;
  Chip* chip_ = nullptr;
  const SocketKind* kind_ = nullptr;
  std::map<std::string, std::unique_ptr<Chip>, std::less<>> chips_;
};

}  // namespace sim
