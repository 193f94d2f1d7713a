// Write cycles of the Flash and EEPROM devices: the commands of the 32-pin Flash chips, sent on
// the board's fast latch writes, and the slower address/strobe cycles of the AT29C256 and the
// X28C256, whose write strobes sit on latch 1.
#include <algorithm>
#include <array>
#include <cstdint>
#include <span>

#include "operations/programmer.h"

namespace ops {
namespace {

constexpr int16_t kUnlock1 = 0xAA;
constexpr int16_t kUnlock2 = 0x55;
constexpr int16_t kUnlockAddress1 = 0x5555;
constexpr int16_t kUnlockAddress2 = 0x2AAA;

// Latch 3 during the 32-pin command cycles: chip enable off with the write strobe high (84h),
// chip enable on (04h), chip enable and write strobe both on (00h). The data driver stays on.
constexpr int16_t kChipOff = 0x84;
constexpr int16_t kChipOn = 0x04;
constexpr int16_t kStrobeOn = 0x00;

// Latch 3 before an AT29C256 / X28C256 cycle: chip enable off, data driver on, bit 1 high.
constexpr int16_t kLatch3PageDevices = 0x82;

int16_t I16(int value) {
  return static_cast<int16_t>(value);
}

// One address/data cycle of the AT29C256 / X28C256: latch 1 and latch 2 take the address (latch
// 1 with the strobe bits the device needs held high), latch 4 the data already in Reg4; then the
// write strobe (`strobe`, a latch-1 bit) is pulsed with chip enable on. The chips take a command
// only when each byte load starts within their byte-load window of the one before (AT29C256
// 150 us, X28C256 100 us), whatever the slider says: the latches are written fast, and the
// settling waits are short (5 us each), some 41 us a cycle.
void PageDeviceCycle(board::Board& b, int latch1, int latch2, int strobe) {
  b.Reg1 = I16(latch1);
  b.Reg2 = I16(latch2);
  b.FastLatchWrite(1, b.Reg1);
  b.DelayLoop10();
  b.FastLatchWrite(2, b.Reg2);
  b.DelayLoop10();
  b.FastLatchWrite(4, b.Reg4);
  b.Reg3 = I16(b.Reg3 & 0x7F);  // chip enable on
  b.FastLatchWrite(3, b.Reg3);
  b.Reg1 = I16(b.Reg1 & ~strobe);
  b.FastLatchWrite(1, b.Reg1);
  b.DelayLoop10();
  b.Reg1 = I16(b.Reg1 | strobe);
  b.FastLatchWrite(1, b.Reg1);
  b.DelayLoop10();
  b.Reg3 = I16(b.Reg3 | 0x80);  // chip enable off
  b.FastLatchWrite(3, b.Reg3);
}

using WriteCycle = void (Programmer::*)();

// A command sequence to the AT29C256 / X28C256: outputs off, latch 3 set for these devices, one
// write cycle per data/address pair, then the operator's write wait, or the chip's own
// `min_wait_ms` where that is longer.
void SendPageDeviceCycles(Programmer& p, std::span<const std::array<int16_t, 2>> cycles,
                          WriteCycle write_cycle, int32_t min_wait_ms = 0) {
  p.board.OEOFF();
  p.board.Reg3 = kLatch3PageDevices;
  p.board.SetReg3();
  for (const auto& [data, address] : cycles) {
    p.board.Reg4 = data;
    p.FlashCmdAddress = address;
    (p.*write_cycle)();
  }
  p.io.Sleep(std::max(p.SliderMax() - p.SliderValue() + 5, min_wait_ms));
}

// The three cycles of a 32-pin Flash command: AAh at 5555h, 55h at 2AAAh, the command at 5555h
// (latch-1 byte, latch-2 byte; A16 and up at 0). Parts that decode A14..A0 for their commands
// (SST39SF0x0, Atmel AT29C0x0) need these JEDEC addresses; parts that decode only A10..A0
// (Am29F0x0B, A29040, EN29F040) see 555h / 2AAh in them.
std::array<std::array<int16_t, 3>, 3> FlashCommandCycles(int16_t command) {
  return {{{kUnlock1, kUnlockAddress1 >> 8, kUnlockAddress1 & 0xFF},
           {kUnlock2, kUnlockAddress2 >> 8, kUnlockAddress2 & 0xFF},
           {command, kUnlockAddress1 >> 8, kUnlockAddress1 & 0xFF}}};
}

// Data and address out on the fast latches, then chip enable on and the write strobe on.
void StrobeFlashCycle(Programmer& p, int16_t data, int16_t mid, int16_t low) {
  p.board.FastLatchWrite(4, data);
  p.board.FastLatchWrite(1, mid);
  p.board.FastLatchWrite(2, low);
  p.board.FastLatchWrite(3, kChipOn);
  p.board.FastLatchWrite(3, kStrobeOn);
}

}  // namespace

// The AT29C256 takes its write strobe on latch-1 bit 7, where Reg1Mask holds it high.
void Programmer::WriteCycle_FLASH() {
  PageDeviceCycle(board, (FlashCmdAddress / 256) | board.Reg1Mask, FlashCmdAddress % 256, 0x80);
}

// The X28C256 has A14 on latch-1 bit 7 and its write strobe on bit 6, held high here.
void Programmer::WriteCycle_XICOR() {
  const int hi = FlashCmdAddress / 256;
  const int moved = hi != 0 ? hi + 0x40 : hi;
  PageDeviceCycle(board, moved | 0x40, FlashCmdAddress % 256, 0x40);
}

// The AT29C256 answers its codes only 10 ms after the identification command (its write cycle
// time), whatever the slider says.
void Programmer::Command_FLASH() {
  constexpr int32_t kCommandCycleMs = 10;
  const std::array<std::array<int16_t, 2>, 3> cycles = {
      {{kUnlock1, kUnlockAddress1}, {kUnlock2, kUnlockAddress2}, {FlashCommand, kUnlockAddress1}}};
  SendPageDeviceCycles(*this, cycles, &Programmer::WriteCycle_FLASH, kCommandCycleMs);
}

// The 32-pin chips latch address and data on the write strobe (latch-3 bit 2). Each cycle puts
// data and address out with chip enable off, enables the chip and pulses the strobe; chip enable
// drops at the start of the next cycle. 5555h / 2AAAh with A16 and up at 0; no wait afterwards.
void Programmer::SendFlashCommand() {
  switch (dev.Row.Commands) {
    case devices::FlashCommands::PageWrite:
      Command_FLASH();
      return;
    case devices::FlashCommands::None:
    case devices::FlashCommands::Strobed:
      break;
  }
  board.OEOFF();
  for (const auto& [data, mid, low] : FlashCommandCycles(I16(FlashCommand & 0xFF))) {
    board.FastLatchWrite(3, kChipOff);
    StrobeFlashCycle(*this, data, mid, low);
    board.FastLatchWrite(3, kChipOn);
  }
  board.FastLatchWrite(3, kChipOff);
}

// Byte program: three unlock cycles (AAh, 55h, A0h) where chip enable and the write strobe rise
// together, then the data cycle at the address the shadows hold. Only Reg3 changes here, and it
// ends as it began when its bits 7 and 2 were set.
void Programmer::ProgramFlashByte() {
  board.FastLatchWrite(3, kChipOff);
  for (const auto& [data, mid, low] : FlashCommandCycles(0xA0)) {
    StrobeFlashCycle(*this, data, mid, low);
    board.FastLatchWrite(3, kChipOff);
  }
  board.FastLatchWrite(4, ProgramByte);
  board.FastLatchWrite(1, board.Reg1);
  board.FastLatchWrite(2, board.Reg2);
  board.FastLatchWrite(3, board.Reg3);
  board.Reg3 = I16(board.Reg3 & 0x7F);
  board.FastLatchWrite(3, board.Reg3);
  board.Reg3 = I16(board.Reg3 & 0x7B);
  board.FastLatchWrite(3, board.Reg3);
  board.Reg3 = I16(board.Reg3 | 0x84);
  board.FastLatchWrite(3, board.Reg3);
}

namespace {

// Software data protection off: AAh, 55h, 80h, AAh, 55h, 20h at 5555h / 2AAAh / 5555h ...
constexpr std::array<std::array<int16_t, 2>, 6> kProtectionOff = {{{kUnlock1, kUnlockAddress1},
                                                                   {kUnlock2, kUnlockAddress2},
                                                                   {0x80, kUnlockAddress1},
                                                                   {kUnlock1, kUnlockAddress1},
                                                                   {kUnlock2, kUnlockAddress2},
                                                                   {0x20, kUnlockAddress1}}};

}  // namespace

void Programmer::SDPDisable_FLASH() {
  SendPageDeviceCycles(*this, kProtectionOff, &Programmer::WriteCycle_FLASH);
}

void Programmer::SDPDisable_XICOR() {
  SendPageDeviceCycles(*this, kProtectionOff, &Programmer::WriteCycle_XICOR);
}

}  // namespace ops
