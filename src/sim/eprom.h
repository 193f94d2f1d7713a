#pragma once

#include "sim/chip.h"
#include "sim/socket_kinds.h"

namespace sim {

// The timing a UV EPROM asks of its programmer, from the datasheets' tables; a pulse or a read
// that does not give the chip these times does not count.
// - Programming (Atmel AT27C512R, "Table 4-6. AC Programming Characteristics"; ST M27C256B
//   "Table 10. Programming Mode AC Characteristics" and Atmel AT27C800 "AC Programming
//   Characteristics" give the same 2 us): address (tAS), data (tDS) and the programming voltage
//   (tVPS, on the OE/VPP pin tOES) settled 2 us before the pulse begins; data held 2 us after it
//   ends (tDH), the voltage 2 us (tOEH); the outputs valid 2 us after the voltage leaves the
//   OE/VPP pin (tVR).
// - Reading (AMD Am27C256, "Switching Characteristics", the slowest grade -255): output valid
//   250 ns after the address (tACC) and after chip enable (tCE), 50 ns after output enable (tOE);
//   AT27C256R "Table 5-7. AC programming characteristics" gives 150 ns from output enable in
//   program verify, which is taken for both.
struct EpromTiming {
  Nanos address_setup = std::chrono::microseconds(2);
  Nanos data_setup = std::chrono::microseconds(2);
  Nanos vpp_setup = std::chrono::microseconds(2);
  Nanos data_hold = std::chrono::microseconds(2);
  Nanos vpp_hold = std::chrono::microseconds(2);
  Nanos vpp_recovery = std::chrono::microseconds(2);
  Nanos address_access = std::chrono::nanoseconds(250);
  Nanos chip_enable_access = std::chrono::nanoseconds(250);
  Nanos output_enable_access = std::chrono::nanoseconds(150);
};
inline constexpr EpromTiming kEpromTiming{};

// A UV EPROM. It reads when chip enable and output enable are asserted (and its program line,
// if it has one, is high). A programming pulse is the program line held asserted (chip enable
// on devices without a separate program line, with chip enable asserted on the others) while
// output enable is off and the programming voltage reaches the device's VPP pin; the byte on
// the bus then clears bits of the addressed cell once the pulses the cell received add up to
// its programming time, measured from assertion to release on the board's clock. A cell given
// short pulses keeps what it had until enough of them have come. The chip keeps its datasheet's
// timing (kEpromTiming): a pulse without the setup times before it or the hold times after it
// programs nothing, and a byte read before the outputs are valid reads as the complement of
// the cell.
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
  void Tick(Nanos now) override { SettleEndedPulse(now, lines()); }

 protected:
  void OnLines(const Lines& before, const Lines& after, Nanos now) override;
  void OnSeated() override {
    pulse_.reset();
    ended_.reset();
    CheckVoltage(lines());
  }

 private:
  bool Pulsing(const Lines& l) const;
  bool PulseConditions(const Lines& l) const {
    return l.vpp && !l.oe && l.vpp_level >= part_.vpp.min;
  }
  void CheckVoltage(const Lines& l);
  bool SetUpBefore(const Lines& l, Nanos now) const;
  // A pulse that has ended programs its cell once data and voltage have been held after it;
  // `l` are the lines at `now`.
  void SettleEndedPulse(Nanos now, const Lines& l);
  void NoteChanges(const Lines& before, const Lines& after, Nanos now);

  struct Pulse {
    uint32_t address;
    uint8_t data;
    bool valid;
    Nanos start;
  };
  struct EndedPulse {
    Pulse pulse;
    Nanos end;
    Millivolts vpp_level;
  };
  bool has_program_line_;
  bool verify_without_ce_;
  EpromPart part_;
  Nanos program_time_;
  std::optional<Pulse> pulse_;
  std::optional<EndedPulse> ended_;
  // When each line last changed (chip enable and output enable: last asserted; the voltage:
  // last removed); long ago for lines that have not moved since the chip was made.
  static constexpr Nanos kLongAgo = -std::chrono::hours(1);
  Nanos address_since_ = kLongAgo;
  Nanos bus_since_ = kLongAgo;
  Nanos vpp_since_ = kLongAgo;
  Nanos vpp_off_since_ = kLongAgo;
  Nanos ce_since_ = kLongAgo;
  Nanos oe_since_ = kLongAgo;
};

}  // namespace sim
