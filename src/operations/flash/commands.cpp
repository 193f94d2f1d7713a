// Write cycles of the Flash and EEPROM devices: the fast latch writes the 32-pin Flash chips
// take their commands through, and the slower address/strobe cycles of the AT29C256 and the
// X28C256, whose write strobes sit on latch 1.
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
constexpr int kChipOff = 0x84;
constexpr int kChipOn = 0x04;
constexpr int kStrobeOn = 0x00;

// Latch 3 before an AT29C256 / X28C256 cycle: chip enable off, data driver on, bit 1 high.
constexpr int16_t kLatch3PageDevices = 0x82;

int16_t I16(int value) {
  return static_cast<int16_t>(value);
}

using BoardStep = void (board::Board::*)();

// One address/data cycle of the AT29C256 / X28C256: latch 1 and latch 2 take the address (latch
// 1 with the strobe bits the device needs held high), latch 4 the data already in Reg4; then the
// write strobe is pulsed with chip enable on. The chips take a command only when each byte load
// starts within their byte-load window of the one before (AT29C256 150 us, X28C256 100 us), so
// the settling waits are short (5 us each): four 300-pass waits would be 600 us a cycle.
void PageDeviceCycle(board::Board& b, int latch1, int latch2, BoardStep strobe_on,
                     BoardStep strobe_off) {
  b.Reg1 = I16(latch1);
  b.Reg2 = I16(latch2);
  b.SetReg1();
  b.DelayLoop10();
  b.SetReg2();
  b.DelayLoop10();
  b.SetReg4();
  b.CEON();
  (b.*strobe_on)();
  b.DelayLoop10();
  (b.*strobe_off)();
  b.DelayLoop10();
  b.CEOFF();
}

using WriteCycle = void (Programmer::*)();

// A command sequence to the AT29C256 / X28C256: outputs off, latch 3 set for these devices, one
// write cycle per data/address pair, then the operator's write wait.
void SendPageDeviceCycles(Programmer& p, std::span<const std::array<int16_t, 2>> cycles,
                          WriteCycle write_cycle) {
  p.board.OEOFF();
  p.board.Reg3 = kLatch3PageDevices;
  p.board.SetReg3();
  for (const auto& [data, address] : cycles) {
    p.board.Reg4 = data;
    p.FlashCmdAddress = address;
    (p.*write_cycle)();
  }
  p.io.Sleep(p.SliderMax() - p.SliderValue() + 5);
}

// The three cycles of a 32-pin Flash command: AAh at 555h, 55h at 2AAh, the command at 555h
// (latch-1 byte, latch-2 byte; A16 and up at 0).
std::array<std::array<int, 3>, 3> FlashCommandCycles(int command) {
  return {{{kUnlock1, 0x05, 0x55}, {kUnlock2, 0x02, 0xAA}, {command, 0x05, 0x55}}};
}

// Data and address out on the fast latches, then chip enable on and the write strobe on.
void StrobeFlashCycle(Programmer& p, int data, int mid, int low) {
  p.FastLatchWrite(4, data);
  p.FastLatchWrite(1, mid);
  p.FastLatchWrite(2, low);
  p.FastLatchWrite(3, kChipOn);
  p.FastLatchWrite(3, kStrobeOn);
}

}  // namespace

void Programmer::FastLatchWrite(int latch, int value) {
  const auto n = static_cast<size_t>(latch);
  io.PortOut(static_cast<uint16_t>(board.PortBase), static_cast<uint8_t>(value));
  io.PortOut(static_cast<uint16_t>(board.ControlPort), static_cast<uint8_t>(board.LatchStrobe[n]));
  io.PortOut(static_cast<uint16_t>(board.ControlPort), static_cast<uint8_t>(board.LatchIdle[n]));
}

// The AT29C256 takes its write strobe on latch-1 bit 7, where Reg1Mask holds it high.
void Programmer::WriteCycle_FLASH() {
  PageDeviceCycle(board, (FlashCmdAddress / 256) | board.Reg1Mask, FlashCmdAddress % 256,
                  &board::Board::WEA15ON, &board::Board::WEA15OFF);
}

// The X28C256 has A14 on latch-1 bit 7 and its write strobe on bit 6, held high here.
void Programmer::WriteCycle_XICOR() {
  const int hi = FlashCmdAddress / 256;
  const int moved = hi != 0 ? hi + 0x40 : hi;
  PageDeviceCycle(board, moved | 0x40, FlashCmdAddress % 256, &board::Board::WEA14ON,
                  &board::Board::WEA14OFF);
}

void Programmer::Command_FLASH() {
  const std::array<std::array<int16_t, 2>, 3> cycles = {
      {{kUnlock1, kUnlockAddress1}, {kUnlock2, kUnlockAddress2}, {FlashCommand, kUnlockAddress1}}};
  SendPageDeviceCycles(*this, cycles, &Programmer::WriteCycle_FLASH);
}

// The 32-pin chips latch address and data on the write strobe (latch-3 bit 2). Each cycle puts
// data and address out with chip enable off, enables the chip and pulses the strobe; chip enable
// drops at the start of the next cycle. 555h / 2AAh with A16 and up at 0; no wait afterwards.
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
  for (const auto& [data, mid, low] : FlashCommandCycles(FlashCommand & 0xFF)) {
    FastLatchWrite(3, kChipOff);
    StrobeFlashCycle(*this, data, mid, low);
    FastLatchWrite(3, kChipOn);
  }
  FastLatchWrite(3, kChipOff);
}

// Byte program: three unlock cycles (AAh, 55h, A0h) where chip enable and the write strobe rise
// together, then the data cycle at the address the shadows hold. Only Reg3 changes here, and it
// ends as it began when its bits 7 and 2 were set.
void Programmer::ProgramFlashByte() {
  FastLatchWrite(3, kChipOff);
  for (const auto& [data, mid, low] : FlashCommandCycles(0xA0)) {
    StrobeFlashCycle(*this, data, mid, low);
    FastLatchWrite(3, kChipOff);
  }
  FastLatchWrite(4, ProgramByte);
  FastLatchWrite(1, board.Reg1);
  FastLatchWrite(2, board.Reg2);
  FastLatchWrite(3, board.Reg3);
  board.Reg3 = I16(board.Reg3 & 0x7F);
  FastLatchWrite(3, board.Reg3);
  board.Reg3 = I16(board.Reg3 & 0x7B);
  FastLatchWrite(3, board.Reg3);
  board.Reg3 = I16(board.Reg3 | 0x84);
  FastLatchWrite(3, board.Reg3);
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
