#include "sim/eprom.h"

#include <string>

namespace sim {

Eprom::Eprom(std::string name, uint32_t size, const PinMap& pins, bool verify_without_ce,
             const EpromPart& part)
    : Chip(std::move(name), size, pins),
      has_program_line_(pins.strobe.has_value()),
      verify_without_ce_(verify_without_ce),
      part_(part),
      program_time_(part.program_time) {}

void Eprom::CheckVoltage(const Lines& l) {
  if (l.vpp_level <= part_.vpp.absolute_max) return;
  Damaged(VoltText(l.vpp_level) + " on the VPP pin of a " + std::string(part_.name) +
          ", whose absolute maximum is " + VoltText(part_.vpp.absolute_max));
}

bool Eprom::Pulsing(const Lines& l) const {
  return has_program_line_ ? (l.ce && l.strobe) : l.ce;
}

bool Eprom::Driving() const {
  const Lines& l = lines();
  if (!l.oe) return false;
  if (has_program_line_ && l.strobe) return false;
  return l.ce || (verify_without_ce_ && l.vpp);
}

uint8_t Eprom::Output(Nanos /*now*/) {
  return Cell(lines().address);
}

void Eprom::OnLines(const Lines& /*before*/, const Lines& after, Nanos now) {
  CheckVoltage(after);
  const bool pulsing = Pulsing(after);
  if (!pulse_ && pulsing) {
    pulse_ = Pulse{after.address, after.bus, PulseConditions(after), now};
    return;
  }
  if (!pulse_) return;
  // Anything moving under a pulse, or the voltage or output enable going wrong, spoils it.
  if (!PulseConditions(after) || after.address != pulse_->address || after.bus != pulse_->data) {
    pulse_->valid = false;
  }
  if (pulsing) return;
  if (pulse_->valid) {
    CountProgramPulse();
    ProgramCell(pulse_->address, pulse_->data, Cells::ClearOnly, (now - pulse_->start).count(),
                program_time_.count());
  }
  pulse_.reset();
}

}  // namespace sim
