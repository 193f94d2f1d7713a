#include "sim/chip.h"

#include <algorithm>

namespace sim {

Chip::Chip(std::string name, uint32_t size, const PinMap& pins)
    : name_(std::move(name)), pins_(pins), address_mask_(size - 1), cells_(size, 0xFF) {}

void Chip::Load(std::span<const uint8_t> bytes, uint32_t at) {
  if (at >= size()) return;
  const auto count = std::min<size_t>(bytes.size(), size() - at);
  for (size_t i = 0; i < count; ++i) {
    const auto address = static_cast<uint32_t>(at + i);
    cells_[address] = Faulted(address, bytes[i]);
  }
}

void Chip::NeverPrograms(uint32_t address) {
  never_programs_.insert(address & address_mask_);
}

void Chip::StuckAtZero(uint32_t address, int bit) {
  if (bit < 0 || bit > 7) return;
  const uint32_t a = address & address_mask_;
  stuck_at_zero_[a] = static_cast<uint8_t>(stuck_at_zero_[a] | (1U << bit));
  cells_[a] = Faulted(a, cells_[a]);
}

void Chip::StuckDataLine(int bit) {
  if (bit < 0 || bit > 7) return;
  stuck_lines_ = static_cast<uint8_t>(stuck_lines_ | (1U << bit));
  for (uint32_t a = 0; a < size(); ++a) cells_[a] = Faulted(a, cells_[a]);
}

void Chip::SetPulsesNeeded(int n) {
  pulses_needed_ = std::max(n, 1);
}

void Chip::SlowCell(uint32_t address, int pulses) {
  slow_cells_[address & address_mask_] = std::max(pulses, 1);
}

void Chip::Seat(const Latches& latches, Millivolts vpp_supply, Nanos /*now*/) {
  lines_ = Decode(latches, vpp_supply);
  highest_vpp_ = std::max(highest_vpp_, lines_.vpp_level);
  OnSeated();
}

void Chip::Update(const Latches& latches, Millivolts vpp_supply, Nanos now) {
  const Lines after = Decode(latches, vpp_supply);
  if (after == lines_) return;
  highest_vpp_ = std::max(highest_vpp_, after.vpp_level);
  const Lines before = lines_;
  lines_ = after;
  if (recording_pins_) pin_record_.push_back({now, after});
  OnLines(before, after, now);
}

Lines Chip::Decode(const Latches& latches, Millivolts vpp_supply) const {
  Lines l;
  uint32_t address = 0;
  for (uint8_t i = 0; i < pins_.address_lines; ++i) {
    if (pins_.address[i].High(latches)) address |= 1U << i;
  }
  l.address = address & address_mask_;
  l.ce = !kChipEnable.High(latches);
  // With the programming voltage on pin 24 the output-enable input sits far above its logic
  // high: the outputs stay off.
  l.oe = !kOutputEnable.High(latches) && !kVppOnPin24.High(latches);
  l.strobe = pins_.strobe.has_value() && !pins_.strobe->High(latches);
  l.vpp = (latches[0] & pins_.vpp_bits) != 0;
  l.vpp_level = l.vpp ? vpp_supply : 0;
  l.bus = kDriverEnable.High(latches) ? uint8_t{0xFF} : latches[4];
  return l;
}

uint8_t Chip::Faulted(uint32_t address, uint8_t value) const {
  value = static_cast<uint8_t>(value & ~stuck_lines_);
  if (stuck_at_zero_.empty()) return value;
  const auto it = stuck_at_zero_.find(address);
  return it == stuck_at_zero_.end() ? value : static_cast<uint8_t>(value & ~it->second);
}

void Chip::ProgramCell(uint32_t address, uint8_t data, Cells how, int64_t dose, int64_t full_dose) {
  if (!damage_.empty() || never_programs_.contains(address)) return;
  const uint8_t old = cells_[address];
  const uint8_t wanted =
      Faulted(address, how == Cells::ClearOnly ? static_cast<uint8_t>(old & data) : data);
  if (wanted == old) return;
  const auto slow = slow_cells_.find(address);
  const int64_t needed = (slow == slow_cells_.end() ? pulses_needed_ : slow->second) * full_dose;
  if (dose < needed) {
    int64_t& taken = dose_taken_[address];
    taken += dose;
    if (taken < needed) return;
    dose_taken_.erase(address);
  }
  cells_[address] = wanted;
}

void Chip::Damaged(std::string what) {
  if (damage_.empty()) damage_ = std::move(what);
}

void Chip::FillErased() {
  Erase(0, size());
}

void Chip::Erase(uint32_t first, uint32_t count) {
  if (fail_erases_ || !damage_.empty()) return;
  const uint32_t end = std::min(first + count, size());
  for (uint32_t a = first; a < end; ++a) cells_[a] = Faulted(a, 0xFF);
  if (!dose_taken_.empty()) {
    std::erase_if(dose_taken_, [&](const auto& p) { return p.first >= first && p.first < end; });
  }
}

}  // namespace sim
