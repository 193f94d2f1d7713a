#include "board/board.h"

namespace board {
namespace {

// Control-port codes, bits 0..3: per latch, idle and strobe for model 4, then model 5.
constexpr std::array<int16_t, 20> kControlCodes = {
    0x0A, 0x0B, 0x02, 0x03, 0x08, 0x09, 0x00, 0x01, 0x0E, 0x0F,  // model 4, latches 0..4
    0x05, 0x04, 0x0D, 0x0C, 0x07, 0x06, 0x0F, 0x0E, 0x01, 0x00,  // model 5, latches 0..4
};

uint16_t Port(int16_t address) { return static_cast<uint16_t>(address); }
uint8_t Byte(int16_t value) { return static_cast<uint8_t>(value); }

}  // namespace

Board::Board(platform::Machine& io, platform::Panel& ui) : io_(io), ui_(ui) {}

void Board::InitControlCodes() { ControlCodeTable = kControlCodes; }

void Board::SelectBoardModel() {
  StatusPort = static_cast<int16_t>(PortBase + 1);
  ControlPort = static_cast<int16_t>(PortBase + 2);
  if (BoardModel != 4 && BoardModel != 5) return;
  const size_t model = BoardModel == 4 ? 0 : 1;
  for (size_t latch = 0; latch < 5; ++latch) {
    LatchIdle[latch] = ControlCodeTable[model * 10 + latch * 2];
    LatchStrobe[latch] = ControlCodeTable[model * 10 + latch * 2 + 1];
  }
  NibbleSelectLow = BoardModel == 4 ? 0 : 5;
  NibbleSelectHigh = BoardModel == 4 ? 4 : 1;
}

// The byte goes onto the data lines, the latch is selected, then strobed: it takes the byte when
// the strobe goes inactive again. No delay between strobe and release.
void Board::WriteLatch(int latch, int16_t value) {
  const auto n = static_cast<size_t>(latch);
  io_.PortOut(Port(PortBase), Byte(value));
  LatchDelay();
  io_.PortOut(Port(ControlPort), Byte(LatchIdle[n]));
  LatchDelay();
  io_.PortOut(Port(ControlPort), Byte(LatchStrobe[n]));
  io_.PortOut(Port(ControlPort), Byte(LatchIdle[n]));
}

void Board::REG4ON() {
  Reg3 &= 0xBF;
  SetReg3();
}

void Board::REG4OFF() {
  Reg3 |= 0x40;
  SetReg3();
}

void Board::Reset() {
  Reg0 = 0x40;
  SetReg0();
  CurrentAddress = 0;
  Endereco2Adr();
  Reg1 = static_cast<int16_t>(Reg1Mask | AddrMid);
  SetReg1();
  Reg2 = static_cast<int16_t>(AddrLow);
  SetReg2();
  Reg3 = static_cast<int16_t>(Reg3Mask | 0xC4);
  SetReg3();
  ui_.SetMax(platform::Ctl::ProgressBar1, 100);
  ui_.SetValue(platform::Ctl::ProgressBar1, 0);
}

}  // namespace board
