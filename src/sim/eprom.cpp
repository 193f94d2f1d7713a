#include "sim/eprom.h"

#include <algorithm>
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

uint8_t Eprom::Output(Nanos now) {
  SettleEndedPulse(now, lines());
  const Nanos valid = std::max(
      {address_since_ + kEpromTiming.address_access, ce_since_ + kEpromTiming.chip_enable_access,
       oe_since_ + kEpromTiming.output_enable_access, vpp_off_since_ + kEpromTiming.vpp_recovery});
  const uint8_t cell = Cell(lines().address);
  // Outputs not yet valid show no dependable byte; the complement never passes for the cell.
  return now < valid ? static_cast<uint8_t>(~cell) : cell;
}

bool Eprom::SetUpBefore(const Lines& l, Nanos now) const {
  return now - address_since_ >= kEpromTiming.address_setup &&
         now - bus_since_ >= kEpromTiming.data_setup &&
         now - vpp_since_ >= kEpromTiming.vpp_setup && PulseConditions(l);
}

void Eprom::SettleEndedPulse(Nanos now, const Lines& l) {
  if (!ended_) return;
  const Nanos held = now - ended_->end;
  if (held >= kEpromTiming.data_hold && held >= kEpromTiming.vpp_hold) {
    const Pulse& p = ended_->pulse;
    ProgramCell(p.address, p.data, Cells::ClearOnly, (ended_->end - p.start).count(),
                program_time_.count());
    ended_.reset();
    return;
  }
  // Data or voltage moved before the hold time was over: the cell takes nothing.
  if (l.bus != ended_->pulse.data || l.vpp_level != ended_->vpp_level) ended_.reset();
}

void Eprom::NoteChanges(const Lines& before, const Lines& after, Nanos now) {
  if (after.address != before.address) address_since_ = now;
  if (after.bus != before.bus) bus_since_ = now;
  if (after.vpp_level != before.vpp_level) vpp_since_ = now;
  if (before.vpp && !after.vpp) vpp_off_since_ = now;
  if (after.ce && !before.ce) ce_since_ = now;
  if (after.oe && !before.oe) oe_since_ = now;
}

void Eprom::OnLines(const Lines& before, const Lines& after, Nanos now) {
  CheckVoltage(after);
  SettleEndedPulse(now, after);
  const bool pulsing = Pulsing(after);
  const bool starts = !pulse_ && pulsing;
  if (starts) pulse_ = Pulse{after.address, after.bus, SetUpBefore(after, now), now};
  NoteChanges(before, after, now);
  if (!pulse_ || starts) return;
  // Anything moving under a pulse, or the voltage or output enable going wrong, spoils it.
  if (!PulseConditions(after) || after.address != pulse_->address || after.bus != pulse_->data) {
    pulse_->valid = false;
  }
  if (pulsing) return;
  if (pulse_->valid) {
    CountProgramPulse();
    ended_ = EndedPulse{*pulse_, now, before.vpp_level};
  }
  pulse_.reset();
}

}  // namespace sim
