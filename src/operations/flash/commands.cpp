// Write cycles of the Flash and EEPROM devices: the fast latch writes the 32-pin Flash chips
// take their commands through, and the slower address/strobe cycles of the AT29C256 and the
// X28C256, whose write strobes sit on latch 1.
#include <array>
#include <cstdint>

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

}  // namespace

void Programmer::FastLatchWrite(int latch, int value) {
  const auto n = static_cast<size_t>(latch);
  io.PortOut(static_cast<uint16_t>(board.PortBase), static_cast<uint8_t>(value));
  io.PortOut(static_cast<uint16_t>(board.ControlPort), static_cast<uint8_t>(board.LatchStrobe[n]));
  io.PortOut(static_cast<uint16_t>(board.ControlPort), static_cast<uint8_t>(board.LatchIdle[n]));
}

// The AT29C256 takes its write strobe on latch-1 bit 7, where Reg1Mask holds it high.
void Programmer::WriteCycle_FLASH() {
  const int hi = FlashCmdAddress / 256;
  const int lo = FlashCmdAddress % 256;
  board.Reg1 = I16(hi | board.Reg1Mask);
  board.Reg2 = I16(lo);
  board.SetReg1();
  board.DelayLoop300();
  board.SetReg2();
  board.DelayLoop300();
  board.SetReg4();
  board.CEON();
  board.WEA15ON();
  board.DelayLoop300();
  board.WEA15OFF();
  board.DelayLoop300();
  board.CEOFF();
}

// The X28C256 has A14 on latch-1 bit 7 and its write strobe on bit 6, held high here.
void Programmer::WriteCycle_XICOR() {
  const int hi = FlashCmdAddress / 256;
  const int lo = FlashCmdAddress % 256;
  const int moved = hi != 0 ? hi + 0x40 : hi;
  board.Reg1 = I16(moved | 0x40);
  board.Reg2 = I16(lo);
  board.SetReg1();
  board.DelayLoop300();
  board.SetReg2();
  board.DelayLoop300();
  board.SetReg4();
  board.CEON();
  board.WEA14ON();
  board.DelayLoop300();
  board.WEA14OFF();
  board.DelayLoop300();
  board.CEOFF();
}

void Programmer::Command_FLASH() {
  board.OEOFF();
  board.Reg3 = kLatch3PageDevices;
  board.SetReg3();
  const std::array<std::array<int16_t, 2>, 3> cycles = {
      {{kUnlock1, kUnlockAddress1}, {kUnlock2, kUnlockAddress2}, {FlashCommand, kUnlockAddress1}}};
  for (const auto& [data, address] : cycles) {
    board.Reg4 = data;
    FlashCmdAddress = address;
    WriteCycle_FLASH();
  }
  io.Sleep(SliderMax() - SliderValue() + 5);
}

// The 32-pin chips latch address and data on the write strobe (latch-3 bit 2). Each cycle puts
// data and address out with chip enable off, enables the chip and pulses the strobe; chip enable
// drops at the start of the next cycle. 555h / 2AAh with A16 and up at 0; no wait afterwards.
void Programmer::SendFlashCommand() {
  if (dev.DeviceCode == "FA") {
    Command_FLASH();
    return;
  }
  board.OEOFF();
  const std::array<std::array<int, 3>, 3> cycles = {
      {{kUnlock1, 0x05, 0x55}, {kUnlock2, 0x02, 0xAA}, {FlashCommand & 0xFF, 0x05, 0x55}}};
  for (const auto& [data, mid, low] : cycles) {
    FastLatchWrite(3, kChipOff);
    FastLatchWrite(4, data);
    FastLatchWrite(1, mid);
    FastLatchWrite(2, low);
    FastLatchWrite(3, kChipOn);
    FastLatchWrite(3, kStrobeOn);
    FastLatchWrite(3, kChipOn);
  }
  FastLatchWrite(3, kChipOff);
}

// Byte program: three unlock cycles (AAh, 55h, A0h) where chip enable and the write strobe rise
// together, then the data cycle at the address the shadows hold. Only Reg3 changes here, and it
// ends as it began when its bits 7 and 2 were set.
void Programmer::ProgramFlashByte() {
  FastLatchWrite(3, kChipOff);
  const std::array<std::array<int, 3>, 3> cycles = {
      {{kUnlock1, 0x05, 0x55}, {kUnlock2, 0x02, 0xAA}, {0xA0, 0x05, 0x55}}};
  for (const auto& [data, mid, low] : cycles) {
    FastLatchWrite(4, data);
    FastLatchWrite(1, mid);
    FastLatchWrite(2, low);
    FastLatchWrite(3, kChipOn);
    FastLatchWrite(3, kStrobeOn);
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
  board.OEOFF();
  board.Reg3 = kLatch3PageDevices;
  board.SetReg3();
  for (const auto& [data, address] : kProtectionOff) {
    board.Reg4 = data;
    FlashCmdAddress = address;
    WriteCycle_FLASH();
  }
  io.Sleep(SliderMax() - SliderValue() + 5);
}

void Programmer::SDPDisable_XICOR() {
  board.OEOFF();
  board.Reg3 = kLatch3PageDevices;
  board.SetReg3();
  for (const auto& [data, address] : kProtectionOff) {
    board.Reg4 = data;
    FlashCmdAddress = address;
    WriteCycle_XICOR();
  }
  io.Sleep(SliderMax() - SliderValue() + 5);
}

}  // namespace ops
