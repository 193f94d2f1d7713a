#pragma once

#include "sim/chip.h"
#include "sim/socket_kinds.h"
#include "sim/write_status.h"

namespace sim {

// A 32-pin 5 V Flash with the usual command set: unlock cycles AAh at 5555h and 55h at 2AAh
// as far as the part decodes them (A10..A0 on the AMD-style parts, which so also take 555h and
// 2AAh; A14..A0 on the SST39SF0x0, which take only 5555h / 2AAAh and drop a sequence sent to
// 555h), then 90h autoselect (maker at 0, device at 1), A0h byte program,
// 80h + AAh, 55h, 10h chip erase (or 30h at a sector for that sector), F0h read / reset.
// Writes are clocked by the write strobe with chip enable asserted and output enable off.
// While a program or erase runs, reads return status (bit 7 the complement of the data being
// written, bit 6 toggling with each output enable) and commands are ignored.
//
// Times: 7 us a byte, 1 s a sector erase, 8 s a chip erase, used for the whole family as the
// Am29F040B's typical figures (its "Erase and Programming Performance" table was not at hand to
// confirm them). An erase that goes wrong (FailErases) runs its time, then
// sets DQ5 (exceeded timing limits) and stays busy until a read / reset command. So does a
// byte program that asks a 0 to become a 1 (Am29F040B datasheet, 21445E5, "Program Command
// Sequence" and "DQ5: Exceeded Timing Limits": the device halts, DQ5 produces a 1 once the
// operation has exceeded its timing limit, and only the reset command returns it to reading
// array data), after the longest byte program time. Parts without DQ5 (the SST39SF0x0) end
// such a program or erase after its normal time, the cells as they were.
class CommandFlash final : public Chip {
 public:
  CommandFlash(std::string name, const SocketKind& kind);

  // A chip answering other codes in autoselect (another maker's chip in this socket).
  void AnswerIds(uint8_t maker, uint8_t device) {
    maker_ = maker;
    device_ = device;
  }
  void SetProgramTime(Nanos t) { program_time_ = t; }
  // How long a byte program that cannot succeed runs before DQ5 rises.
  void SetProgramLimit(Nanos t) { program_limit_ = t; }
  void SetEraseTime(Nanos t) { erase_time_ = t; }  // chip erase
  void SetSectorEraseTime(Nanos t) { sector_erase_time_ = t; }
  uint64_t Erases() const { return erases_; }
  bool InAutoselect() const { return autoselect_; }

  bool Driving() const override;
  uint8_t Output(Nanos now) override;

 protected:
  void OnLines(const Lines& before, const Lines& after, Nanos now) override;
  void OnSeated() override;

 private:
  enum class Step : uint8_t {
    Idle,
    Unlocked1,
    Unlocked2,
    ProgramArmed,
    Erase,
    EraseUnlocked1,
    EraseUnlocked2
  };
  void Write(uint32_t address, uint8_t data, Nanos now);
  void Command(uint32_t address, uint8_t data, Nanos now);
  void StartBusy(Nanos now, Nanos length, uint8_t data);
  void StartErase(Nanos now, Nanos length, uint32_t first, uint32_t count);
  bool TimedOut(Nanos now) const { return failing_ && now >= status_.until; }

  uint8_t maker_, device_;
  uint32_t sector_size_;
  uint32_t command_mask_;  // the address lines the command cycles compare
  bool has_dq5_;
  Step step_ = Step::Idle;
  bool autoselect_ = false;
  WriteCycleEdges cycle_;
  WriteStatus status_;
  uint64_t erases_ = 0;
  Nanos program_time_{std::chrono::microseconds(7)};
  // The longest byte programming time: 300 us in the "Erase and Programming Performance"
  // table of the family's 3 V member, the Am29LV040B (the 5 V table was not at hand).
  Nanos program_limit_{std::chrono::microseconds(300)};
  Nanos sector_erase_time_{std::chrono::seconds(1)};
  Nanos erase_time_{std::chrono::seconds(8)};
  bool failing_ = false;  // the erase under way will end in DQ5
};

}  // namespace sim
