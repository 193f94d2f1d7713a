#include "sim/sim_board.h"

#include <gtest/gtest.h>

#include <array>
#include <tuple>

#include "platform/port_io.h"
#include "sim/chip.h"
#include "sim_driver.h"

namespace {

using sim::SimBoard;
using sim_test::Driver;

// The detection probe for a model-5 board, as the program sends it: A = s1 * 256 + s2.
int ProbeModel5(platform::PortIo& io, uint16_t p) {
  const auto c = static_cast<uint16_t>(p + 2), s = static_cast<uint16_t>(p + 1);
  io.PortOut(p, 0xBF), io.PortOut(c, 0x0E), io.PortOut(c, 0x00);
  io.PortOut(p, 0x00), io.PortOut(c, 0x06);
  const int s1 = io.PortIn(s) & 0x70;
  io.PortOut(c, 0x00), io.PortOut(p, 0xFF), io.PortOut(c, 0x06);
  const int s2 = io.PortIn(s) & 0x70;
  return s1 * 256 + s2;
}

// The detection probe for a model-4 board: B = t1 * 256 + t2.
int ProbeModel4(platform::PortIo& io, uint16_t p) {
  const auto c = static_cast<uint16_t>(p + 2), s = static_cast<uint16_t>(p + 1);
  io.PortOut(c, 0x09), io.PortOut(p, 0xBF), io.PortOut(c, 0x01), io.PortOut(c, 0x09);
  io.PortOut(p, 0x00), io.PortOut(c, 0x0F), io.PortOut(c, 0x09);
  const int t1 = io.PortIn(s) & 0x70;
  io.PortOut(p, 0xFF), io.PortOut(c, 0x0F), io.PortOut(c, 0x09);
  const int t2 = io.PortIn(s) & 0x70;
  io.PortOut(c, 0x08);
  return t1 * 256 + t2;
}

constexpr int kAnswers = 0x0070;

class Detection : public ::testing::TestWithParam<std::tuple<int, uint16_t>> {};

// Each probe finds a board of its own model at every port, and neither finds the other model
// (whichever probe ran first), nor anything at a port where no board sits.
TEST_P(Detection, EachProbeAnswersOnlyOnItsOwnModelAndPort) {
  const int model = std::get<0>(GetParam());
  const uint16_t port = std::get<1>(GetParam());
  for (const bool own_probe_first : {true, false}) {
    SimBoard board(model, port);
    board.InsertDevice("Eprom 27C256");
    auto own = [&] { return model == 5 ? ProbeModel5(board, port) : ProbeModel4(board, port); };
    auto other = [&] { return model == 5 ? ProbeModel4(board, port) : ProbeModel5(board, port); };
    if (own_probe_first) {
      EXPECT_EQ(own(), kAnswers);
      EXPECT_NE(other(), kAnswers);
    } else {
      EXPECT_NE(other(), kAnswers);
      EXPECT_EQ(own(), kAnswers);
    }
    for (const uint16_t elsewhere : {uint16_t{0x378}, uint16_t{0x278}, uint16_t{0x3BC}}) {
      if (elsewhere == port) continue;
      EXPECT_NE(ProbeModel5(board, elsewhere), kAnswers) << std::hex << elsewhere;
      EXPECT_NE(ProbeModel4(board, elsewhere), kAnswers) << std::hex << elsewhere;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(ModelsAndPorts, Detection,
                         ::testing::Combine(::testing::Values(4, 5),
                                            ::testing::Values(uint16_t{0x378}, uint16_t{0x278},
                                                              uint16_t{0x3BC})));

TEST(Detection, NothingAnswersOnAnEmptyPort) {
  platform::NullPort nothing;
  EXPECT_NE(ProbeModel5(nothing, 0x378), kAnswers);
  EXPECT_NE(ProbeModel4(nothing, 0x378), kAnswers);
}

TEST(SimBoard, ReadsFFhAndIgnoresWritesOutsideItsBlock) {
  SimBoard board(5, 0x278);
  Driver here(board, 5, 0x278), there(board, 5, 0x378);
  there.Latch(3, 0x00);  // would turn the driver on
  there.Latch(4, 0x12);
  EXPECT_EQ(board.Latch(3), 0xC4);
  EXPECT_EQ(board.PortIn(0x379), 0xFF);
  EXPECT_EQ(board.Describe(), "simulated board");
  here.Latch(4, 0x12);
  EXPECT_EQ(board.Latch(4), 0x12);
}

class Latches : public ::testing::TestWithParam<int> {};

// A latch takes the data register only when the control register leaves its strobe code: a
// data change while strobing, or a strobe code written twice, does not clock it early.
TEST_P(Latches, TakeTheDataWhenTheStrobeEnds) {
  const int model = GetParam();
  SimBoard board(model);
  const auto& idle = model == 4 ? Driver::kIdle4 : Driver::kIdle5;
  const auto& strobe = model == 4 ? Driver::kStrobe4 : Driver::kStrobe5;
  for (size_t n = 0; n < 5; ++n) {
    std::array<uint8_t, 5> before{};
    for (size_t i = 0; i < 5; ++i) before[i] = board.Latch(static_cast<int>(i));
    const auto value = static_cast<uint8_t>(0x11 * (n + 1));
    board.PortOut(0x378, 0x5A);
    board.PortOut(0x37A, idle[n]);
    board.PortOut(0x37A, strobe[n]);
    board.PortOut(0x37A, strobe[n]);
    EXPECT_EQ(board.Latch(static_cast<int>(n)), before[n]) << "latch " << n;
    board.PortOut(0x378, value);
    board.PortOut(0x37A, idle[n]);
    for (size_t i = 0; i < 5; ++i) {
      EXPECT_EQ(board.Latch(static_cast<int>(i)), i == n ? value : before[i]) << n << i;
    }
  }
}

// Every byte on the bus comes back through the nibble read-back of both models.
TEST_P(Latches, ReadBackReturnsEveryBusByte) {
  const int model = GetParam();
  SimBoard board(model);
  Driver d(board, model);
  d.DriverOn();
  for (int v = 0; v < 256; ++v) {
    d.Latch(4, static_cast<uint8_t>(v));
    ASSERT_EQ(d.ReadBack(), v) << "model " << model;
  }
  d.DriverOff();
  EXPECT_EQ(d.ReadBack(), 0xFF);  // pull-ups with nothing driving
}

INSTANTIATE_TEST_SUITE_P(BothModels, Latches, ::testing::Values(4, 5));

TEST(ReadBack, StatusBitsFollowEachModelsWiring) {
  SimBoard m4(4), m5(5);
  Driver d4(m4, 4), d5(m5, 5);
  d4.DriverOn(), d5.DriverOn();
  d4.Latch(4, 0x00), d5.Latch(4, 0x00);
  // Model 4, all data low: inverted BUSY reads 1, pulled-up ERROR and reserved bits read 1.
  m4.PortOut(0x37A, 0x00);
  EXPECT_EQ(m4.PortIn(0x379), 0x8F);
  d4.Latch(4, 0x0D);  // D0, D2, D3 set, D1 clear: bits 6, 5, 4 set and bit 7 set
  m4.PortOut(0x37A, 0x00);
  EXPECT_EQ(m4.PortIn(0x379), 0xFF);
  m4.PortOut(0x37A, 0x04);  // high nibble 0
  EXPECT_EQ(m4.PortIn(0x379), 0x8F);
  // Model 5: low nibble on control bit 2 set, bits 3..6.
  d5.Latch(4, 0x5A);
  m5.PortOut(0x37A, 0x05);
  EXPECT_EQ(m5.PortIn(0x379), 0x07 | 0x0A << 3);
  m5.PortOut(0x37A, 0x01);
  EXPECT_EQ(m5.PortIn(0x379), 0x07 | 0x05 << 3);
}

TEST(SimBoard, LampFollowsLatchZeroBitThree) {
  SimBoard board;
  Driver d(board, 5);
  EXPECT_FALSE(board.LampOn());
  d.SetBits(0, 0x08);
  EXPECT_TRUE(board.LampOn());
  d.ClearBits(0, 0x08);
  EXPECT_FALSE(board.LampOn());
}

// Board driver and chip outputs on together is one contention event however long it lasts;
// a chip that is not selected, or with its outputs off, is no contention.
TEST(SimBoard, CountsEachBusContentionOnce) {
  SimBoard board;
  ASSERT_TRUE(board.InsertDevice("Eprom 27C256"));
  Driver d(board, 5);
  d.Address(0, 0x80, 0x02);
  d.DriverOn();
  d.OutputEnable(true);
  EXPECT_EQ(board.Contentions(), 0U);
  d.ChipEnable(true);
  EXPECT_EQ(board.Contentions(), 1U);
  d.Latch(4, 0x33);  // still contending
  d.Address(5, 0x80, 0x02);
  EXPECT_EQ(board.Contentions(), 1U);
  EXPECT_EQ(board.Bus(), 0x33);  // the board's driver wins
  d.DriverOff();
  EXPECT_EQ(board.Bus(), 0xFF);  // the blank chip
  d.DriverOn();
  EXPECT_EQ(board.Contentions(), 2U);
  d.OutputEnable(false);
  d.OutputEnable(true);
  EXPECT_EQ(board.Contentions(), 3U);
}

TEST(SimBoard, KeepsOneChipPerKindForTheWholeRun) {
  SimBoard board;
  EXPECT_EQ(board.chip(), nullptr);
  ASSERT_TRUE(board.InsertDevice("Eprom 27C64"));
  sim::Chip* first = board.chip();
  const uint8_t programmed[] = {0x12, 0x34};
  first->Load(programmed);
  ASSERT_TRUE(board.InsertDevice("Flash AMD AM29F040   "));  // padded as the list shows it
  EXPECT_EQ(board.chip()->name(), "Flash AMD AM29F040");
  EXPECT_EQ(board.chip()->size(), 512U * 1024U);
  EXPECT_FALSE(board.InsertDevice("Eprom 27C080 OTP"));
  EXPECT_EQ(board.chip(), nullptr);
  ASSERT_TRUE(board.InsertDevice("Eprom 27C64"));
  EXPECT_EQ(board.chip(), first);
  EXPECT_EQ(board.chip()->Contents()[1], 0x34);
  board.EmptySocket();
  EXPECT_EQ(board.chip(), nullptr);
}

}  // namespace
