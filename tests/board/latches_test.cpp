#include <gtest/gtest.h>

#include "board/board.h"
#include "platform/recording_machine.h"
#include "support/fake_panel.h"

namespace {

using platform::In;
using platform::Out;
using platform::RecordingMachine;
using platform::SpinOf;

struct BoardOn {
  explicit BoardOn(int16_t model, int16_t port = 0x378) {
    board.PortBase = port;
    board.BoardModel = model;
    board.InitControlCodes();
    board.SelectBoardModel();
    board.LatchDelayCount = 12;
  }
  RecordingMachine io;
  testing_support::FakePanel ui;
  board::Board board{io, ui};
};

struct LatchCase {
  int16_t model;
  int latch;
  int idle, strobe;
};

class LatchWrite : public ::testing::TestWithParam<LatchCase> {};

// Every latch of both models: the value on the data lines, a delay, idle, a delay, strobe, idle.
TEST_P(LatchWrite, WritesValueThenIdleStrobeIdleWithTwoDelays) {
  const LatchCase c = GetParam();
  BoardOn b(c.model);
  int16_t* regs[] = {&b.board.Reg0, &b.board.Reg1, &b.board.Reg2, &b.board.Reg3, &b.board.Reg4};
  *regs[c.latch] = 0x5A;
  void (board::Board::*writes[])() = {&board::Board::SetReg0, &board::Board::SetReg1,
                                      &board::Board::SetReg2, &board::Board::SetReg3,
                                      &board::Board::SetReg4};
  (b.board.*writes[c.latch])();
  EXPECT_EQ(b.io.Trace(), (std::vector<RecordingMachine::Event>{
                              Out(0x378, 0x5A), SpinOf(12), Out(0x37A, c.idle), SpinOf(12),
                              Out(0x37A, c.strobe), Out(0x37A, c.idle)}));
}

// The fast write of the same latch: the value, then strobe and idle, with no delay whatever the
// slider set.
TEST_P(LatchWrite, FastWriteIsValueStrobeIdleWithoutDelays) {
  const LatchCase c = GetParam();
  BoardOn b(c.model);
  b.board.FastLatchWrite(c.latch, 0xA5);
  EXPECT_EQ(b.io.Trace(), (std::vector<RecordingMachine::Event>{
                              Out(0x378, 0xA5), Out(0x37A, c.strobe), Out(0x37A, c.idle)}));
}

INSTANTIATE_TEST_SUITE_P(BothModels, LatchWrite,
                         ::testing::Values(LatchCase{4, 0, 0x0A, 0x0B}, LatchCase{4, 1, 0x02, 0x03},
                                           LatchCase{4, 2, 0x08, 0x09}, LatchCase{4, 3, 0x00, 0x01},
                                           LatchCase{4, 4, 0x0E, 0x0F}, LatchCase{5, 0, 0x05, 0x04},
                                           LatchCase{5, 1, 0x0D, 0x0C}, LatchCase{5, 2, 0x07, 0x06},
                                           LatchCase{5, 3, 0x0F, 0x0E},
                                           LatchCase{5, 4, 0x01, 0x00}));

TEST(SelectBoardModel, UnknownModelSetsPortsButKeepsCodes) {
  BoardOn b(5, 0x278);
  b.board.BoardModel = 0;
  b.board.PortBase = 0x3BC;
  b.board.SelectBoardModel();
  EXPECT_EQ(b.board.StatusPort, 0x3BD);
  EXPECT_EQ(b.board.ControlPort, 0x3BE);
  EXPECT_EQ(b.board.LatchIdle[2], 0x07);
  EXPECT_EQ(b.board.NibbleSelectLow, 5);
  EXPECT_EQ(b.board.NibbleSelectHigh, 1);
}

TEST(SelectBoardModel, NibbleSelectCodesPerModel) {
  BoardOn four(4);
  EXPECT_EQ(four.board.NibbleSelectLow, 0);
  EXPECT_EQ(four.board.NibbleSelectHigh, 4);
}

TEST(LatchDelay, NoPassesBelowOneStillRecordsTheCall) {
  BoardOn b(4);
  b.board.LatchDelayCount = -3;
  b.board.Reg2 = 1;
  b.board.SetReg2();
  EXPECT_EQ(b.io.Totals().spin_passes, 0);
  EXPECT_EQ(b.io.Totals().outs, 4);
}

TEST(Reset, IdlesTheLatchesAndLeavesLatchFour) {
  BoardOn b(5);
  b.board.Reg4 = 0x33;
  b.board.CurrentAddress = 0x12345;
  b.board.Reset();
  EXPECT_EQ(b.board.Reg0, 0x40);
  EXPECT_EQ(b.board.Reg1, 0x00);
  EXPECT_EQ(b.board.Reg2, 0x00);
  EXPECT_EQ(b.board.Reg3, 0xC4);
  EXPECT_EQ(b.board.Reg4, 0x33);
  EXPECT_EQ(b.board.CurrentAddress, 0);
  // Latches 0, 1, 2, 3 in that order, four writes each; latch 4 untouched.
  std::vector<int> data;
  for (const auto& e : b.io.PortAccesses()) {
    if (e.port == 0x378) data.push_back(e.value);
  }
  EXPECT_EQ(data, (std::vector<int>{0x40, 0x00, 0x00, 0xC4}));
  EXPECT_EQ(b.io.Totals().outs, 16);
  EXPECT_EQ(b.ui.Max(panel::Ctl::ProgressBar1), 100);
  EXPECT_EQ(b.ui.Value(panel::Ctl::ProgressBar1), 0);
}

TEST(Reset, CarriesTheDeviceMasks) {
  BoardOn b(4);
  b.board.Reg1Mask = 0xC0;
  b.board.Reg3Mask = 0x02;
  b.board.Reset();
  EXPECT_EQ(b.board.Reg1, 0xC0);
  EXPECT_EQ(b.board.Reg3, 0xC6);
}

TEST(DataDriver, OnThenOffRestoresLatchThreeWithOneWriteEach) {
  BoardOn b(4);
  b.board.Reg3 = 0xC4;
  b.board.REG4ON();
  EXPECT_EQ(b.board.Reg3, 0x84);
  b.board.REG4OFF();
  EXPECT_EQ(b.board.Reg3, 0xC4);
  EXPECT_EQ(b.io.Totals().outs, 8);
}

TEST(PortGuard, NoPortIsTouchedWhileNoBoardPortIsKnown) {
  BoardOn b(5, 0);
  b.board.Reset();
  b.board.GetNibbles();
  EXPECT_EQ(b.io.Totals().outs + b.io.Totals().ins, 0);
  EXPECT_GT(b.io.Totals().refused, 0);
}

}  // namespace

namespace {

// What a fatal-signal handler repeats is exactly what Reset writes, for either model and any
// device masks.
TEST(ResetWrites, AreThePortWritesOfReset) {
  for (const int16_t model : {int16_t{4}, int16_t{5}}) {
    BoardOn b(model, 0x278);
    b.board.Reg1Mask = 0xC0;
    b.board.Reg3Mask = 0x0C;
    const auto expected = b.board.ResetWrites();
    b.board.Reset();
    std::vector<platform::PortWrite> written;
    for (const auto& e : b.io.PortAccesses()) {
      written.push_back({e.port, static_cast<uint8_t>(e.value)});
    }
    EXPECT_EQ(written, std::vector<platform::PortWrite>(expected.begin(), expected.end()))
        << "model " << model;
  }
}

}  // namespace

namespace {

// The fast path on model 5 (latch 2: strobe 06h, idle 07h; latch 3: strobe 0Eh, idle 0Fh): a
// latch written again with what it holds costs no port access, a new value goes out as the fast
// write, and wherever the board may have lost its latches the next write goes out again. Reset
// writes latches 0..3 whatever the shadow says; the write that ends a pulse is the full one.
TEST(FastPath, WritesOnlyWhatChangesAndForgetsWhereTheBoardMayHaveLost) {
  using Trace = std::vector<RecordingMachine::Event>;
  BoardOn b(5);
  b.board.SetFastPath(true);
  const Trace written{Out(0x378, 0x11), Out(0x37A, 0x06), Out(0x37A, 0x07)};
  b.board.Reg2 = 0x11;
  for (const auto& lose : {+[](board::Board&) {}, +[](board::Board& d) { d.ForgetLatches(); },
                           +[](board::Board& d) { d.SelectBoardModel(); },
                           +[](board::Board& d) { d.SetFastPath(true); }}) {
    lose(b.board);
    b.io.Clear();
    b.board.SetReg2();
    b.board.FastLatchWrite(2, 0x11);
    EXPECT_EQ(b.io.Trace(), written);
  }
  b.board.Reset();
  b.io.Clear();
  b.board.Reset();
  EXPECT_EQ(b.io.Totals().outs, 12);
  b.board.Reg3 = 0x44;
  b.board.CEON();
  b.io.Clear();
  b.board.EndPulseWith(&board::Board::CEOFF);
  b.board.CEOFF();
  EXPECT_EQ(b.io.Trace(), (Trace{Out(0x378, 0xC4), SpinOf(12), Out(0x37A, 0x0F), SpinOf(12),
                                 Out(0x37A, 0x0E), Out(0x37A, 0x0F)}));
}

}  // namespace
