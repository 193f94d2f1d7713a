#pragma once

#include "sim/chip.h"

namespace sim {

// A UV EPROM. It reads when chip enable and output enable are asserted (and its program line,
// if it has one, is high). A programming pulse is the program line held asserted (chip enable
// on devices without a separate program line, with chip enable asserted on the others) while
// output enable is off and the programming voltage reaches the device's VPP pin; the byte on
// the bus then clears bits of the addressed cell once the pulses the cell received add up to
// its programming time, measured from assertion to release on the board's clock. A cell given
// short pulses keeps what it had until enough of them have come.
class Eprom final : public Chip {
 public:
  // verify_without_ce: with the voltage applied the device shows its cell on output enable
  // alone (its program-verify mode has chip enable high). program_time: the pulse time one cell
  // needs, as the device's datasheet prescribes it.
  Eprom(std::string name, uint32_t size, const PinMap& pins, bool verify_without_ce,
        Nanos program_time);

  Nanos ProgramTime() const { return program_time_; }
  void SetProgramTime(Nanos t) { program_time_ = t; }

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
    Nanos start;
  };
  bool has_program_line_;
  bool verify_without_ce_;
  Nanos program_time_;
  std::optional<Pulse> pulse_;
};

}  // namespace sim
