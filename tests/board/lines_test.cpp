#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "board/board.h"
#include "platform/recording_machine.h"
#include "support/catalogue_rows.h"
#include "support/fake_panel.h"

namespace {

using platform::RecordingMachine;

struct BoardOn {
  explicit BoardOn(int16_t model = 5) {
    board.PortBase = 0x378;
    board.BoardModel = model;
    board.InitControlCodes();
    board.SelectBoardModel();
    board.SetIdentityMaps();
  }
  // The latches written, in order, told by the strobe code seen on the control port.
  std::vector<int> LatchesWritten() const {
    std::vector<int> latches;
    for (const auto& e : io.PortAccesses()) {
      if (e.kind != RecordingMachine::Kind::Out || e.port != 0x37A) continue;
      for (int n = 0; n < 5; ++n) {
        if (e.value == board.LatchStrobe[static_cast<size_t>(n)]) latches.push_back(n);
      }
    }
    return latches;
  }
  RecordingMachine io;
  testing_support::FakePanel ui;
  board::Board board{io, ui};
};

struct SplitCase {
  int32_t address;
  int32_t high, mid, low;
};

TEST(Endereco2Adr, SplitsIntoBankPageAndByte) {
  const SplitCase cases[] = {
      {0x12345, 1, 0x23, 0x45},    {0, 0, 0, 0},       {0xFF, 0, 0, 0xFF}, {0x100, 0, 1, 0},
      {0xFFFFF, 0x0F, 0xFF, 0xFF}, {0x80000, 8, 0, 0},
  };
  for (const auto& c : cases) {
    BoardOn b;
    b.board.CurrentAddress = c.address;
    b.board.Endereco2Adr();
    EXPECT_EQ(b.board.AddrHigh, c.high) << std::hex << c.address;
    EXPECT_EQ(b.board.AddrMid, c.mid) << std::hex << c.address;
    EXPECT_EQ(b.board.AddrLow, c.low) << std::hex << c.address;
    EXPECT_EQ(b.io.Trace().size(), 0U);
  }
}

TEST(IncADR, CarriesThroughEveryPartAndKeepsTheCounterInStep) {
  const int32_t starts[] = {0, 0xFE, 0xFF, 0x1FF, 0xFFFF, 0x1FFFF, 0x7FFFF};
  for (int32_t start : starts) {
    BoardOn b;
    b.board.CurrentAddress = start;
    b.board.Endereco2Adr();
    b.board.IncADR();
    EXPECT_EQ(b.board.CurrentAddress, start + 1);
    const int32_t high = b.board.AddrHigh, mid = b.board.AddrMid, low = b.board.AddrLow;
    b.board.Endereco2Adr();  // the split of the advanced counter must agree
    EXPECT_EQ(high, b.board.AddrHigh) << std::hex << start;
    EXPECT_EQ(mid, b.board.AddrMid) << std::hex << start;
    EXPECT_EQ(low, b.board.AddrLow) << std::hex << start;
    EXPECT_EQ(b.io.Trace().size(), 0U);
  }
}

struct MapCase {
  const char* code;
  int32_t high, mid;
  int reg3_low_nibble;
  int reg1;
};

// The Flash parts move A18 to latch-3 bit 3; the EEPROM "EN" moves A14 to latch-1 bit 7. Every
// other entry and every other device stays identity.
TEST(SETADR, LoadsTheAddressThroughTheDeviceMaps) {
  const MapCase cases[] = {
      {"FS", 5, 0, 9, 0},       {"FS", 9, 0, 9, 0},       {"FM", 4, 0, 8, 0},
      {"FL", 7, 0, 0xB, 0},     {"FR", 6, 0, 0xA, 0},     {"FS", 3, 0x41, 3, 0x41},
      {"EN", 0, 0x41, 0, 0x81}, {"EN", 0, 0x40, 0, 0x80}, {"EN", 0, 0x7F, 0, 0xBF},
      {"EN", 0, 0x3F, 0, 0x3F}, {"EN", 0, 0x80, 0, 0x80}, {"EN", 5, 0, 5, 0},
      {"P4", 5, 0x41, 5, 0x41}, {"FA", 6, 0x7F, 6, 0x7F},
  };
  for (const auto& c : cases) {
    BoardOn b;
    b.board.SetAddressMaps(testing_support::RowOfCode(c.code).Wiring);
    b.board.AddrHigh = c.high;
    b.board.AddrMid = c.mid;
    b.board.AddrLow = 0x5A;
    b.board.SETADR();
    EXPECT_EQ(b.board.Reg3 & 0x0F, c.reg3_low_nibble) << c.code << " high " << c.high;
    EXPECT_EQ(b.board.Reg1, c.reg1) << c.code << " mid " << c.mid;
    EXPECT_EQ(b.board.Reg2, 0x5A);
    EXPECT_EQ(b.LatchesWritten(), (std::vector<int>{1, 2, 3}));
  }
}

TEST(SETADR, KeepsTheControlHalfOfLatchThreeAndAddsTheMasks) {
  const int upper_halves[] = {0x00, 0x40, 0x80, 0xC0, 0x30};
  for (int upper : upper_halves) {
    BoardOn b;
    b.board.Reg3 = static_cast<int16_t>(upper | 0x0F);  // low half replaced, upper kept
    b.board.Reg1Mask = 0x40;
    b.board.Reg3Mask = 0x08;
    b.board.CurrentAddress = 0x21234;
    b.board.Endereco2Adr();
    b.board.SETADR_FLASH();
    EXPECT_EQ(b.board.Reg3, upper | 0x08 | 0x02) << upper;
    EXPECT_EQ(b.board.Reg1, 0x52);
    EXPECT_EQ(b.board.Reg2, 0x34);
  }
}

TEST(SETADR_XICOR, AddsFortyToNonZeroPagesAndWritesOnlyChangedLatches) {
  struct Case {
    int32_t mid;
    int reg1;
  };
  const Case cases[] = {{0, 0x40}, {0x3F, 0x7F | 0x40}, {0x01, 0x41}, {0x41, 0xC1}, {0x7F, 0xFF}};
  for (const auto& c : cases) {
    BoardOn b;
    b.board.Reg1Mask = 0x40;
    b.board.Reg1 = 0x11;
    b.board.Reg2 = 0x22;
    b.board.Reg3 = 0xC4;
    b.board.AddrMid = c.mid;
    b.board.AddrLow = 0x10;
    b.board.SETADR_XICOR();
    EXPECT_EQ(b.board.Reg1, c.reg1) << c.mid;
    EXPECT_EQ(b.board.Reg3, 0xC0);
    EXPECT_EQ(b.LatchesWritten(), (std::vector<int>{1, 2, 3}));
    // The same address again: every latch already holds it.
    b.io.Clear();
    b.board.SETADR_XICOR();
    EXPECT_EQ(b.io.Totals().outs, 0) << c.mid;
  }
}

TEST(SETADR_XICOR, NextByteInThePageCostsOneLatchWrite) {
  BoardOn b;
  b.board.CurrentAddress = 0x1234;
  b.board.Endereco2Adr();
  b.board.SETADR_XICOR();
  b.io.Clear();
  b.board.IncADR();
  b.board.SETADR_XICOR();
  EXPECT_EQ(b.LatchesWritten(), (std::vector<int>{2}));
  EXPECT_EQ(b.board.Reg2, 0x35);
}

TEST(SETADR_XICOR, AgreesWithSETADRThroughTheEepromMap) {
  for (int32_t mid = 0; mid < 0x80; ++mid) {
    BoardOn xicor, mapped;
    mapped.board.SetAddressMaps(board::AddressWiring::A14OnL1Bit7);
    for (BoardOn* b : {&xicor, &mapped}) {
      b->board.Reg1Mask = 0x40;
      b->board.AddrMid = mid;
    }
    xicor.board.SETADR_XICOR();
    mapped.board.SETADR();
    EXPECT_EQ(xicor.board.Reg1, mapped.board.Reg1) << mid;
  }
}

struct LineCase {
  const char* name;
  void (board::Board::*operation)();
  int reg0_before, reg3_before;
  int reg0_after, reg3_after;
  std::vector<int> latches;
};
void PrintTo(const LineCase& c, std::ostream* os) {
  *os << c.name;
}

class LineOperation : public ::testing::TestWithParam<LineCase> {};

TEST_P(LineOperation, ChangesItsBitsAndWritesItsLatchesInOrder) {
  const LineCase& c = GetParam();
  BoardOn b;
  b.board.Reg0 = static_cast<int16_t>(c.reg0_before);
  b.board.Reg3 = static_cast<int16_t>(c.reg3_before);
  b.board.Reg1 = 0x3C;
  (b.board.*c.operation)();
  EXPECT_EQ(b.board.Reg0, c.reg0_after);
  EXPECT_EQ(b.board.Reg3, c.reg3_after);
  EXPECT_EQ(b.LatchesWritten(), c.latches);
  EXPECT_EQ(b.io.Totals().outs, static_cast<int64_t>(4 * c.latches.size()));
}

using B = board::Board;
INSTANTIATE_TEST_SUITE_P(
    Table, LineOperation,
    ::testing::Values(LineCase{"CEON", &B::CEON, 0x40, 0xC4, 0x40, 0x44, {3}},
                      LineCase{"CEOFF", &B::CEOFF, 0x40, 0x44, 0x40, 0xC4, {3}},
                      LineCase{"OEON", &B::OEON, 0xCB, 0xC4, 0x0B, 0xC4, {0}},
                      LineCase{"OEOFF", &B::OEOFF, 0x0B, 0xC4, 0x4B, 0xC4, {0}},
                      LineCase{"CEOEON", &B::CEOEON, 0xC8, 0xC4, 0x08, 0x44, {3, 0}},
                      LineCase{"CEOEOFF", &B::CEOEOFF, 0x08, 0x44, 0x48, 0xC4, {3, 0}},
                      LineCase{"VPP24_ON", &B::VPP24_ON, 0x08, 0xC4, 0xC8, 0xC4, {0}},
                      LineCase{"VPP24_OFF", &B::VPP24_OFF, 0xC8, 0xC4, 0x08, 0xC4, {0}},
                      LineCase{"LampOn", &B::LampOn, 0x40, 0xC4, 0x48, 0xC4, {0}},
                      LineCase{"LampOff", &B::LampOff, 0x4C, 0xC4, 0x44, 0xC4, {0}},
                      LineCase{"WEA18ON", &B::WEA18ON, 0x40, 0xC4, 0x40, 0xC0, {3}},
                      LineCase{"WEA18OFF", &B::WEA18OFF, 0x40, 0xC0, 0x40, 0xC4, {3}},
                      LineCase{"WEA15ON", &B::WEA15ON, 0x40, 0xC4, 0x40, 0xC4, {1}},
                      LineCase{"WEA14OFF", &B::WEA14OFF, 0x40, 0xC4, 0x40, 0xC4, {1}}),
    [](const auto& param_info) { return std::string(param_info.param.name); });

TEST(WriteStrobes, LatchOneBitsSixAndSeven) {
  struct Case {
    void (board::Board::*operation)();
    int before, after;
  };
  const Case cases[] = {{&B::WEA15ON, 0xFF, 0x7F},
                        {&B::WEA15OFF, 0x00, 0x80},
                        {&B::WEA14ON, 0xFF, 0xBF},
                        {&B::WEA14OFF, 0x00, 0x40}};
  for (const auto& c : cases) {
    BoardOn b;
    b.board.Reg1 = static_cast<int16_t>(c.before);
    (b.board.*c.operation)();
    EXPECT_EQ(b.board.Reg1, c.after);
  }
}

TEST(ToggleProgramLamp, IndicatorAndBoardLampBlinkTogether) {
  BoardOn b;
  const panel::Ref label = panel::Ctl::Program_label;
  b.ui.SetForeColor(label, panel::kGreyText);
  b.board.Reg0 = 0x4C;
  b.board.ToggleProgramLamp();
  EXPECT_EQ(b.ui.ForeColor(label), panel::kWhite);
  EXPECT_EQ(b.board.Reg0, 0x44);
  EXPECT_EQ(b.ui.repaints.back(), label);
  b.board.ToggleProgramLamp();
  EXPECT_EQ(b.ui.ForeColor(label), panel::kGreyText);
  EXPECT_EQ(b.board.Reg0, 0x4C);
  EXPECT_EQ(b.LatchesWritten(), (std::vector<int>{0, 0}));
  EXPECT_EQ(b.ui.repaints.size(), 2U);
}

}  // namespace
