#include <array>
#include <cstddef>
#include <cstdint>

#include "board/board.h"

namespace board {
namespace {

int16_t Narrow(int32_t value) {
  return static_cast<int16_t>(value);
}

// Every latch pattern the same as its address byte; made when the program is built, so that
// each device selection copies it rather than counting through it.
constexpr std::array<int16_t, 256> kIdentityMap = [] {
  std::array<int16_t, 256> map{};
  for (size_t i = 0; i < map.size(); ++i) map[i] = static_cast<int16_t>(i);
  return map;
}();

}  // namespace

void Board::SetIdentityMaps() {
  AddrMidMap = kIdentityMap;
  AddrHighMap = kIdentityMap;
}

void Board::SetAddressMaps(AddressWiring wiring) {
  SetIdentityMaps();
  switch (wiring) {
    case AddressWiring::Straight:
      break;
    case AddressWiring::A18OnL3Bit3:
      for (size_t high = 4; high <= 7; ++high)
        AddrHighMap[high] = Narrow(static_cast<int32_t>(high) + 4);
      break;
    case AddressWiring::A14OnL1Bit7:
      for (size_t mid = 64; mid <= 127; ++mid)
        AddrMidMap[mid] = Narrow(static_cast<int32_t>(mid) + 64);
      break;
  }
}

void Board::Endereco2Adr() {
  AddrHigh = CurrentAddress / kBankBytes;
  const int32_t rest = CurrentAddress - AddrHigh * kBankBytes;
  AddrMid = rest / kPageBytes;
  AddrLow = rest - AddrMid * kPageBytes;
}

void Board::IncADR() {
  ++CurrentAddress;
  if (++AddrLow > 255) {
    AddrLow = 0;
    if (++AddrMid > 255) {
      AddrMid = 0;
      ++AddrHigh;
    }
  }
}

// Latch 3 keeps its control half (chip enable, data driver); only the address nibble changes.
void Board::SETADR() {
  Reg1 = Narrow(AddrMidMap[static_cast<size_t>(AddrMid & 0xFF)] | Reg1Mask);
  SetReg1();
  Reg2 = Narrow(AddrLow);
  SetReg2();
  Reg3 = Narrow(AddrHighMap[static_cast<size_t>(AddrHigh & 0xFF)] | (Reg3 & 0xF0) | Reg3Mask);
  SetReg3();
}

// The X28C256 wiring: A14 on latch-1 bit 7, bit 6 held high (its write strobe stays inactive).
void Board::SETADR_XICOR() {
  const int32_t mid = AddrMid != 0 ? AddrMid + 0x40 : 0;
  if (const int16_t candidate = Narrow(mid | Reg1Mask); candidate != Reg1) {
    Reg1 = candidate;
    SetReg1();
  }
  if (AddrLow != Reg2) {
    Reg2 = Narrow(AddrLow);
    SetReg2();
  }
  if (const int16_t candidate = Narrow((Reg3 & 0xF0) | Reg3Mask | AddrHigh); candidate != Reg3) {
    Reg3 = candidate;
    SetReg3();
  }
}

void Board::CEON() {
  Reg3 &= 0x7F;
  SetReg3();
}

void Board::CEOFF() {
  Reg3 |= 0x80;
  SetReg3();
}

void Board::OEON() {
  Reg0 &= 0x3F;
  SetReg0();
}

void Board::OEOFF() {
  Reg0 |= 0x40;
  SetReg0();
}

void Board::CEOEON() {
  Reg3 &= 0x7F;
  Reg0 &= 0x3F;
  SetReg3();
  SetReg0();
}

void Board::CEOEOFF() {
  Reg3 |= 0x80;
  Reg0 |= 0x40;
  SetReg3();
  SetReg0();
}

void Board::VPP24_ON() {
  Reg0 |= 0xC0;
  SetReg0();
}

void Board::VPP24_OFF() {
  Reg0 &= 0x3F;
  SetReg0();
}

void Board::LampOn() {
  Reg0 |= 0x08;
  SetReg0();
}

void Board::LampOff() {
  Reg0 &= 0xF7;
  SetReg0();
}

void Board::ToggleProgramLamp() {
  const panel::Ref label = panel::Ctl::Program_label;
  const bool grey = ui_.ForeColor(label) == panel::kGreyText;
  ui_.SetForeColor(label, grey ? panel::kWhite : panel::kGreyText);
  ui_.Repaint(label);
  Reg0 ^= 0x08;
  SetReg0();
}

void Board::WEA15ON() {
  Reg1 &= 0x7F;
  SetReg1();
}

void Board::WEA15OFF() {
  Reg1 |= 0x80;
  SetReg1();
}

void Board::WEA14ON() {
  Reg1 &= 0xBF;
  SetReg1();
}

void Board::WEA14OFF() {
  Reg1 |= 0x40;
  SetReg1();
}

void Board::WEA18ON() {
  Reg3 &= 0xFB;
  SetReg3();
}

void Board::WEA18OFF() {
  Reg3 |= 0x04;
  SetReg3();
}

}  // namespace board
