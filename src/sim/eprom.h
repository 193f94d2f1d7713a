#pragma once

#include "sim/chip.h"

namespace sim {

// A UV EPROM. It reads when chip enable and output enable are asserted (and its program line,
// if it has one, is high). A programming pulse is the program line held asserted (chip enable
// on devices without a separate program line, with chip enable asserted on the others) while
// output enable is off and the programming voltage reaches the device's VPP pin; the byte on
// the bus then clears bits of the addressed cell once the cell has had its pulses.
class Eprom final : public Chip {
 public:
  // verify_without_ce: with the voltage applied the device shows its cell on output enable
  // alone (its program-verify mode has chip enable high).
  Eprom(std::string name, uint32_t size, const PinMap& pins, bool verify_without_ce);

  void EraseUV() override { FillErased(); }
  bool Driving() const override;
  uint8_t Output(Nanos now) override;

 protected:
  void OnLines(const Lines& before, const Lines& after, Nanos now) override;
  void OnSeated() override { pulse_.reset(); }

 private:
  bool Pulsing(const Lines& l) const;
  bool PulseConditions(const Lines& l) const { return l.vpp && !l.oe; }

  struct Pulse {
    uint32_t address;
    uint8_t data;
    bool valid;
  };
  bool has_program_line_;
  bool verify_without_ce_;
  std::optional<Pulse> pulse_;
};

}  // namespace sim
