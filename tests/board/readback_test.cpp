#include <gtest/gtest.h>

#include <array>
#include <vector>

#include "board/board.h"
#include "platform/port_io.h"
#include "platform/recording_machine.h"
#include "support/fake_panel.h"

namespace {

using platform::In;
using platform::Out;
using platform::RecordingMachine;

// Answers the status port from a list, one value per read.
class StatusScript final : public platform::PortIo {
 public:
  std::vector<uint8_t> status;
  void PortOut(uint16_t, uint8_t) override {}
  uint8_t PortIn(uint16_t) override { return status.at(next_++); }
  std::string Describe() const override { return "status script"; }

 private:
  size_t next_ = 0;
};

struct BoardOn {
  BoardOn(int16_t model, std::vector<uint8_t> status) : io(&script) {
    script.status = std::move(status);
    board.PortBase = 0x278;
    board.BoardModel = model;
    board.InitControlCodes();
    board.SelectBoardModel();
    board.BuildReadBackTables();
  }
  StatusScript script;
  RecordingMachine io;
  testing_support::FakePanel ui;
  board::Board board{io, ui};
};

struct NibbleCase {
  int16_t model;
  uint8_t first, second;
  uint8_t byte;
};
void PrintTo(const NibbleCase& c, std::ostream* os) {
  *os << "model " << c.model << std::hex << ", status " << int{c.first} << " " << int{c.second};
}

class GetNibbles : public ::testing::TestWithParam<NibbleCase> {};

// Two select writes and two status reads, low nibble first, no delay, nothing else.
TEST_P(GetNibbles, AssemblesTheByteFromTwoStatusReads) {
  const NibbleCase c = GetParam();
  BoardOn b(c.model, {c.first, c.second});
  b.board.GetNibbles();
  EXPECT_EQ(b.board.ReadBackByte, c.byte);
  const int low = c.model == 4 ? 0 : 5, high = c.model == 4 ? 4 : 1;
  EXPECT_EQ(b.io.Trace(),
            (std::vector<RecordingMachine::Event>{Out(0x27A, low), In(0x279, c.first),
                                                  Out(0x27A, high), In(0x279, c.second)}));
}

INSTANTIATE_TEST_SUITE_P(
    BothModels, GetNibbles,
    ::testing::Values(NibbleCase{4, 0x00, 0x00, 0x22}, NibbleCase{4, 0xFF, 0xFF, 0xDD},
                      NibbleCase{4, 0x70, 0x70, 0xFF}, NibbleCase{4, 0x0F, 0x0F, 0x22},
                      // low nibble 5 (D0, D2) and high nibble A (D5, D7): 0101 / 1010
                      NibbleCase{4, 0xE0, 0x10, 0xA5}, NibbleCase{5, 0x78, 0x00, 0x0F},
                      NibbleCase{5, 0xFF, 0x87, 0x0F}, NibbleCase{5, 0x00, 0x78, 0xF0},
                      NibbleCase{5, 0x28, 0x50, 0xA5}, NibbleCase{5, 0x87, 0x87, 0x00}));

TEST(GetNibbles, WithoutAKnownModelTouchesNothingAndKeepsTheLastByte) {
  BoardOn b(0, {});
  b.board.ReadBackByte = 0x5C;
  b.board.GetNibbles();
  EXPECT_EQ(b.board.ReadBackByte, 0x5C);
  EXPECT_TRUE(b.io.Trace().empty());
}

TEST(ReadBackTables, KnownEntries) {
  BoardOn b(4, {});
  const std::array<uint8_t, 16> model4_first = {0x22, 0x2A, 0x26, 0x2E, 0x23, 0x2B, 0x27, 0x2F,
                                                0x20, 0x28, 0x24, 0x2C, 0x21, 0x29, 0x25, 0x2D};
  for (size_t r = 0; r < model4_first.size(); ++r) {
    EXPECT_EQ(b.board.Model4DecodeTable[r], model4_first[r]) << r;
  }
  EXPECT_EQ(b.board.Model4DecodeTable[0xFF], 0xDD);
  EXPECT_EQ(b.board.NibbleLowTable[0x78], 0x0F);
  EXPECT_EQ(b.board.NibbleLowTable[0x87], 0x00);
  EXPECT_EQ(b.board.NibbleHighTable[0x78], 0xF0);
  EXPECT_EQ(b.board.NibbleHighTable[0x48], 0x90);
}

// Every byte a model-4 board can put out must come back as itself: the decode is a bijection
// that undoes the board's wiring and the inverted BUSY line.
TEST(ReadBackTables, ModelFourWiringRoundTripsEveryByte) {
  BoardOn b(4, {});
  std::array<bool, 256> seen{};
  for (unsigned data = 0; data < 256; ++data) {
    // The board's lines for one nibble: bit 6 = D0, bit 7 = NOT D1, bit 5 = D2, bit 4 = D3.
    auto status = [](unsigned nibble) {
      return static_cast<uint8_t>(((nibble & 1U) << 6) | ((~nibble & 2U) << 6) |
                                  ((nibble & 4U) << 3) | ((nibble & 8U) << 1));
    };
    const uint8_t first = status(data & 0x0F), second = status(data >> 4);
    const unsigned r = (second & 0xF0U) | (first >> 4U);
    EXPECT_EQ(b.board.Model4DecodeTable[r], data);
    seen[b.board.Model4DecodeTable[r]] = true;
  }
  for (bool s : seen) EXPECT_TRUE(s);
}

}  // namespace
