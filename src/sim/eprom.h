#pragma once

#include "sim/chip.h"
#include "sim/socket_kinds.h"

namespace sim {

// A UV EPROM. It reads when chip enable and output enable are asserted (and its program line,
// if it has one, is high). A programming pulse is the program line held asserted (chip enable
// on devices without a separate program line, with chip enable asserted on the others) while
// output enable is off and the programming voltage reaches the device's VPP pin; the byte on
// the bus then clears bits of the addressed cell once the pulses the cell received add up to
// its programming time, measured from assertion to release on the board's clock. A cell given
// short pulses keeps what it had until enough of them have come.
//
// The programming voltage must be within the part's programming range for a pulse to count; a
// level above its absolute maximum rating damages the part the moment it reaches the pin.
class Eprom final : public Chip {
 public:
  // verify_without_ce: with the voltage applied the device shows its cell on output enable
  // alone (its program-verify mode has chip enable high). part: which part of the catalogue
  // row this is, with its datasheet voltages and the pulse time one cell needs.
  Eprom(std::string name, uint32_t size, const PinMap& pins, bool verify_without_ce,
        const EpromPart& part);

  const EpromPart& Part() const { return part_; }
  Nanos ProgramTime() const { return program_time_; }
  void SetProgramTime(Nanos t) { program_time_ = t; }

  void EraseUV() override { FillErased(); }
  bool Driving() const override;
  uint8_t Output(Nanos now) override;

 protected:
  void OnLines(const Lines& before, const Lines& after, Nanos now) override;
  void OnSeated() override {
    pulse_.reset();
    CheckVoltage(lines());
  }

 private:
  bool Pulsing(const Lines& l) const;
  bool PulseConditions(const Lines& l) const {
    return l.vpp && !l.oe && l.vpp_level >= part_.vpp.min;
  }
  void CheckVoltage(const Lines& l);

  struct Pulse {
    uint32_t address;
    uint8_t data;
    bool valid;
    Nanos start;
  };
  bool has_program_line_;
  bool verify_without_ce_;
  EpromPart part_;
  Nanos program_time_;
  std::optional<Pulse> pulse_;
};

}  // namespace sim
