#include "sim/page_eeprom.h"

#include <algorithm>
#include <array>

namespace sim {
namespace {

constexpr std::array<uint32_t, 6> kCommandAddresses{0x5555, 0x2AAA, 0x5555, 0x5555, 0x2AAA, 0x5555};
constexpr std::array<uint8_t, 5> kCommandPrefix{0xAA, 0x55, 0x80, 0xAA, 0x55};

}  // namespace

PageEeprom::PageEeprom(std::string name, const SocketKind& kind)
    : Chip(std::move(name), kind.size, kind.pins),
      maker_(kind.maker),
      device_(kind.device),
      has_id_and_erase_(kind.has_id_and_erase),
      unloaded_bytes_erased_(kind.has_id_and_erase),
      page_size_(kind.sector_size),
      command_mask_(kind.command_address_mask),
      load_window_(kind.byte_load_window),
      write_time_(kind.program_time),
      id_entry_time_(kind.id_entry_time),
      window_from_cycle_start_(kind.window_from_cycle_start),
      protected_loads_timed_(kind.protected_loads_run_write_cycle),
      page_(page_size_, -1) {
  if (kind.chip_erase_time > Nanos{0}) erase_time_ = kind.chip_erase_time;
}

void PageEeprom::OnSeated() {
  loading_ = false;
  page_has_bytes_ = false;
  empty_write_ = false;
  std::fill(page_.begin(), page_.end(), int16_t{-1});
  command_.clear();
  id_mode_ = false;
  in_cycle_ = false;
  status_.until = Nanos{0};
}

bool PageEeprom::Driving() const {
  return ReadCycle(lines());
}

uint8_t PageEeprom::Output(Nanos now) {
  Settle(now);
  if (Busy(now)) return status_.Byte();
  if (id_mode_ && now >= id_from_) return (lines().address & 1U) != 0 ? device_ : maker_;
  return Cell(lines().address);
}

// A byte load that starts within the window belongs to the page, however long its strobe is
// then held.
void PageEeprom::OnLines(const Lines& before, const Lines& after, Nanos now) {
  Settle(now);
  const bool starts = !WriteCycle(before) && WriteCycle(after);
  if (cycle_.Ended(before, after)) {
    in_cycle_ = false;
    if (Write(cycle_.address, before.bus, now) && !window_from_cycle_start_) window_from_ = now;
  }
  if (starts) {
    in_cycle_ = true;
    if (window_from_cycle_start_ && !ignores_commands() && !Busy(now)) window_from_ = now;
  }
  status_.LinesChanged(before, Driving());
}

bool PageEeprom::Write(uint32_t address, uint8_t data, Nanos now) {
  if (ignores_commands() || Busy(now)) return false;
  if (loading_) {
    LoadByte({address, data});
    return true;
  }
  command_.push_back({address, data});
  switch (MatchCommand()) {
    case Match::Partial:
      return true;
    case Match::Mismatch:
      FlushCommandAsLoads();
      return true;
    case Match::EnableAndLoad:
      protected_ = true;
      loading_ = true;  // the bytes that follow are the page to write
      empty_write_ = protected_loads_timed_;
      status_.data = data;
      break;
    case Match::Disable:
      protected_ = false;
      status_.until = now + write_time_;
      status_.data = 0x20;
      break;
    case Match::IdEntry:
      id_mode_ = true;
      id_from_ = now + id_entry_time_;
      break;
    case Match::IdExit:
      id_mode_ = false;
      break;
    case Match::ChipErase:
      ++erases_;
      FillErased();
      status_.until = now + erase_time_;
      status_.data = 0xFF;
      break;
  }
  command_.clear();
  return true;
}

PageEeprom::Match PageEeprom::MatchCommand() const {
  const size_t n = command_.size();
  if (n > kCommandAddresses.size()) return Match::Mismatch;
  for (size_t i = 0; i < n; ++i) {
    if ((command_[i].address & command_mask_) != (kCommandAddresses[i] & command_mask_)) {
      return Match::Mismatch;
    }
  }
  // Every cycle but the last of a sequence carries a fixed byte.
  for (size_t i = 0; i + 1 < n; ++i) {
    if (command_[i].data != kCommandPrefix[i]) return Match::Mismatch;
  }
  const uint8_t last = command_.back().data;
  switch (n) {
    case 1:
    case 2:
    case 4:
    case 5:
      return last == kCommandPrefix[n - 1] ? Match::Partial : Match::Mismatch;
    case 3:
      if (last == 0xA0) return Match::EnableAndLoad;
      if (last == 0x80) return Match::Partial;
      if (has_id_and_erase_ && last == 0x90) return Match::IdEntry;
      if (has_id_and_erase_ && last == 0xF0) return Match::IdExit;
      return Match::Mismatch;
    case 6:
      if (last == 0x20) return Match::Disable;
      if (has_id_and_erase_ && last == 0x10) return Match::ChipErase;
      return Match::Mismatch;
    default:
      return Match::Mismatch;
  }
}

void PageEeprom::FlushCommandAsLoads() {
  // Cycles that turned out not to be a command are plain byte loads, which count only while
  // the protection is off and the chip is in its normal mode.
  const std::vector<Cycle> cycles = std::move(command_);
  command_.clear();
  if (protected_ && protected_loads_timed_ && !cycles.empty()) {
    // The chip runs its write cycle all the same, with nothing to write.
    loading_ = true;
    empty_write_ = true;
    status_.data = cycles.back().data;
  }
  if (protected_ || id_mode_) return;
  for (const Cycle& c : cycles) LoadByte(c);
}

void PageEeprom::LoadByte(const Cycle& c) {
  if (!page_has_bytes_) page_base_ = c.address & ~(page_size_ - 1);
  loading_ = true;
  page_has_bytes_ = true;
  page_[c.address & (page_size_ - 1)] = c.data;
  status_.data = c.data;
}

void PageEeprom::Settle(Nanos now) {
  if (Busy(now) || in_cycle_ || now - window_from_ < load_window_) return;
  // The byte-load window has closed.
  if (!command_.empty()) FlushCommandAsLoads();
  if (page_has_bytes_ || empty_write_) {
    CommitPage(window_from_ + load_window_);
  } else {
    loading_ = false;
  }
}

void PageEeprom::CommitPage(Nanos start) {
  if (page_has_bytes_) CountProgramPulse();
  for (uint32_t i = 0; i < page_size_; ++i) {
    if (page_[i] >= 0) {
      ProgramCell(page_base_ + i, static_cast<uint8_t>(page_[i]), Cells::Rewrite);
    } else if (unloaded_bytes_erased_) {
      ProgramCell(page_base_ + i, 0xFF, Cells::Rewrite);
    }
    page_[i] = -1;
  }
  page_has_bytes_ = false;
  empty_write_ = false;
  loading_ = false;
  status_.until = start + write_time_;
}

}  // namespace sim
