#include "sim/command_flash.h"

namespace sim {
namespace {

// The unlock addresses as the 5555h / 2AAAh parts decode them (A14..A0); the 555h / 2AAh
// parts see them through their A10..A0 mask, so either form reaches them.
constexpr uint32_t kUnlock1 = 0x5555;
constexpr uint32_t kUnlock2 = 0x2AAA;

}  // namespace

CommandFlash::CommandFlash(std::string name, const SocketKind& kind)
    : Chip(std::move(name), kind.size, kind.pins),
      maker_(kind.maker),
      device_(kind.device),
      sector_size_(kind.sector_size),
      command_mask_(kind.command_address_mask),
      has_dq5_(kind.has_dq5) {
  if (kind.program_time > Nanos{0}) program_time_ = kind.program_time;
  if (kind.sector_erase_time > Nanos{0}) sector_erase_time_ = kind.sector_erase_time;
  if (kind.chip_erase_time > Nanos{0}) erase_time_ = kind.chip_erase_time;
}

void CommandFlash::OnSeated() {
  // Taken out and put back: power-up puts it in read mode, any running operation finished.
  step_ = Step::Idle;
  autoselect_ = false;
  status_.until = Nanos{0};
  failing_ = false;
}

bool CommandFlash::Driving() const {
  return ReadCycle(lines());
}

uint8_t CommandFlash::Output(Nanos now) {
  if (TimedOut(now)) return static_cast<uint8_t>(status_.Byte() | 0x20);
  if (status_.Busy(now)) return status_.Byte();
  if (autoselect_) {
    switch (lines().address & 0x03) {
      case 0:
        return maker_;
      case 1:
        return device_;
      default:
        return 0x00;  // sector protection: none
    }
  }
  return Cell(lines().address);
}

void CommandFlash::OnLines(const Lines& before, const Lines& after, Nanos now) {
  if (cycle_.Ended(before, after)) Write(cycle_.address, before.bus, now);
  // Each new output enable (or chip enable) during an operation flips the toggle bit.
  status_.LinesChanged(before, Driving());
}

void CommandFlash::Write(uint32_t address, uint8_t data, Nanos now) {
  if (ignores_commands()) return;
  if (TimedOut(now) && data == 0xF0) {  // the only way out of a failed operation
    failing_ = false;
    step_ = Step::Idle;
    return;
  }
  if (failing_ || status_.Busy(now)) return;
  if (step_ == Step::ProgramArmed) {
    step_ = Step::Idle;
    CountProgramPulse();
    // A 1 asked where the cell holds a 0 cannot be programmed: a chip with DQ5 keeps trying
    // until its time limit, then raises DQ5 and answers status until it is reset; one without
    // it ends after its program time, the cell keeping its 0s.
    failing_ = has_dq5_ && (data & ~Cell(address)) != 0;
    ProgramCell(address, data, Cells::ClearOnly);
    StartBusy(now, failing_ ? program_limit_ : program_time_, data);
    return;
  }
  Command(address, data, now);
}

void CommandFlash::Command(uint32_t address, uint8_t data, Nanos now) {
  const uint32_t a = address & command_mask_;
  const uint32_t unlock1 = kUnlock1 & command_mask_;
  const uint32_t unlock2 = kUnlock2 & command_mask_;
  if (data == 0xF0) {  // read / reset, from any step
    step_ = Step::Idle;
    autoselect_ = false;
    return;
  }
  switch (step_) {
    case Step::Idle:
    case Step::Erase:
      if (a == unlock1 && data == 0xAA) {
        step_ = step_ == Step::Erase ? Step::EraseUnlocked1 : Step::Unlocked1;
        return;
      }
      break;
    case Step::Unlocked1:
    case Step::EraseUnlocked1:
      if (a == unlock2 && data == 0x55) {
        step_ = step_ == Step::Unlocked1 ? Step::Unlocked2 : Step::EraseUnlocked2;
        return;
      }
      break;
    case Step::Unlocked2:
      if (a == unlock1 && data == 0x90) {
        autoselect_ = true;
        step_ = Step::Idle;
        return;
      }
      if (a == unlock1 && data == 0xA0) {
        step_ = Step::ProgramArmed;
        return;
      }
      if (a == unlock1 && data == 0x80) {
        step_ = Step::Erase;
        return;
      }
      break;
    case Step::EraseUnlocked2:
      if (a == unlock1 && data == 0x10) {
        StartErase(now, erase_time_, 0, size());
        return;
      }
      if (data == 0x30) {
        StartErase(now, sector_erase_time_, address / sector_size_ * sector_size_, sector_size_);
        return;
      }
      break;
    case Step::ProgramArmed:
      break;
  }
  step_ = Step::Idle;  // a cycle out of sequence drops the command
}

void CommandFlash::StartErase(Nanos now, Nanos length, uint32_t first, uint32_t count) {
  ++erases_;
  autoselect_ = false;
  step_ = Step::Idle;
  // A failing erase leaves the cells as they are; only a chip with DQ5 then reports it.
  failing_ = has_dq5_ && FailsErases();
  Erase(first, count);
  StartBusy(now, length, 0xFF);
}

void CommandFlash::StartBusy(Nanos now, Nanos length, uint8_t data) {
  status_.until = now + length;
  status_.data = data;
}

}  // namespace sim
