#include <algorithm>
#include <cstddef>

#include "board/board.h"

namespace board {
namespace {

// Control-port codes, bits 0..3: per latch, idle and strobe for model 4, then model 5.
constexpr std::array<int16_t, 20> kControlCodes = {
    0x0A, 0x0B, 0x02, 0x03, 0x08, 0x09, 0x00, 0x01, 0x0E, 0x0F,  // model 4, latches 0..4
    0x05, 0x04, 0x0D, 0x0C, 0x07, 0x06, 0x0F, 0x0E, 0x01, 0x00,  // model 5, latches 0..4
};

uint16_t Port(int16_t address) {
  return static_cast<uint16_t>(address);
}
uint8_t Byte(int16_t value) {
  return static_cast<uint8_t>(value);
}

}  // namespace

Board::Board(platform::Machine& io, panel::Panel& ui) : io_(io), ui_(ui) {}

void Board::InitControlCodes() {
  ControlCodeTable = kControlCodes;
}

void Board::SelectBoardModel() {
  ForgetLatches();  // another port or model: what the latches hold is not known
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
std::array<platform::PortWrite, 4> Board::LatchWrites(int latch, int16_t value) const {
  const auto n = static_cast<size_t>(latch);
  const uint16_t control = Port(ControlPort);
  return {{{Port(PortBase), Byte(value)},
           {control, Byte(LatchIdle[n])},
           {control, Byte(LatchStrobe[n])},
           {control, Byte(LatchIdle[n])}}};
}

void Board::SetFastPath(bool on) {
  fast_path_ = on;
  ForgetLatches();
}

void Board::EndPulseWith(void (Board::*write)()) {
  const bool fast = fast_path_;
  fast_path_ = false;
  (this->*write)();
  fast_path_ = fast;
}

bool Board::Holds(int latch, int16_t value) const {
  const auto& held = held_[static_cast<size_t>(latch)];
  return held.has_value() && *held == Byte(value);
}

void Board::Remember(int latch, int16_t value) {
  held_[static_cast<size_t>(latch)] = Byte(value);
  ++latch_writes_sent_;
}

void Board::WriteLatch(int latch, int16_t value) {
  if (fast_path_) {
    FastLatchWrite(latch, value);
    return;
  }
  const auto writes = LatchWrites(latch, value);
  io_.PortOut(writes[0].port, writes[0].value);
  LatchDelay();
  io_.PortOut(writes[1].port, writes[1].value);
  LatchDelay();
  io_.PortOut(writes[2].port, writes[2].value);
  io_.PortOut(writes[3].port, writes[3].value);
  Remember(latch, value);
}

void Board::FastLatchWrite(int latch, int16_t value) {
  if (fast_path_ && Holds(latch, value)) return;
  const auto n = static_cast<size_t>(latch);
  const uint16_t control = Port(ControlPort);
  io_.PortOut(Port(PortBase), Byte(value));
  io_.PortOut(control, Byte(LatchStrobe[n]));
  io_.PortOut(control, Byte(LatchIdle[n]));
  Remember(latch, value);
}

void Board::REG4ON() {
  Reg3 &= 0xBF;
  SetReg3();
}

void Board::REG4OFF() {
  Reg3 |= 0x40;
  SetReg3();
}

std::array<int16_t, 4> Board::IdleLatchValues() const {
  return {0x40, Reg1Mask, 0x00, static_cast<int16_t>(Reg3Mask | 0xC4)};
}

// Every latch is written whatever the shadow says: Reset is where the board is brought back to
// a known state, also after it has lost its latches.
void Board::Reset() {
  ForgetLatches();
  const auto idle = IdleLatchValues();
  Reg0 = idle[0];
  SetReg0();
  CurrentAddress = 0;
  Endereco2Adr();
  Reg1 = idle[1];
  SetReg1();
  Reg2 = idle[2];
  SetReg2();
  Reg3 = idle[3];
  SetReg3();
  ui_.SetMax(panel::Ctl::ProgressBar1, 100);
  ui_.SetValue(panel::Ctl::ProgressBar1, 0);
}

std::array<platform::PortWrite, 16> Board::ResetWrites() const {
  std::array<platform::PortWrite, 16> writes{};
  const auto idle = IdleLatchValues();
  for (size_t latch = 0; latch < idle.size(); ++latch) {
    const auto four = LatchWrites(static_cast<int>(latch), idle[latch]);
    std::copy(four.begin(), four.end(), writes.begin() + static_cast<std::ptrdiff_t>(latch * 4));
  }
  return writes;
}

}  // namespace board
