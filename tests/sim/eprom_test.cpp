#include "sim/eprom.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "sim/sim_board.h"
#include "sim_driver.h"

namespace {

using sim::SimBoard;
using sim_test::Driver;

enum class Pulse { ChipEnable, Latch1Bit6, Latch3Bit2 };

struct EpromCase {
  const char* name;
  uint32_t size;
  uint8_t reg1_mask, reg3_mask;
  Pulse pulse;
  uint8_t vpp_bit;    // the latch-0 bit that puts the programming voltage on this device
  uint8_t level = 0;  // the latch-0 bits that raise it to the part's 21 V (02h) or 25 V (03h)
};

// The device rows with their fixed latch bits and the pulse and voltage routing their
// programming algorithm uses.
const EpromCase kEproms[] = {
    {"Eprom 2732A", 4096, 0x20, 0x00, Pulse::ChipEnable, 0x80, 0x02},
    {"Eprom 27C32", 4096, 0x20, 0x00, Pulse::ChipEnable, 0x80, 0x03},
    {"Eprom 2764", 8192, 0xC0, 0x02, Pulse::Latch1Bit6, 0x10},
    {"Eprom 27C128", 16384, 0xC0, 0x02, Pulse::Latch1Bit6, 0x10},
    {"Eprom 27C256", 32768, 0x80, 0x02, Pulse::ChipEnable, 0x10},
    {"Eprom 27C512", 65536, 0x00, 0x02, Pulse::ChipEnable, 0x80},
    {"Eprom 27C010", 131072, 0x00, 0x0C, Pulse::Latch3Bit2, 0x20},
    {"Eprom 27C2001", 262144, 0x00, 0x0C, Pulse::Latch3Bit2, 0x20},
    {"Eprom 27C4001", 524288, 0x00, 0x08, Pulse::ChipEnable, 0x20},
    {"Eprom 27C080", 1048576, 0x00, 0x00, Pulse::ChipEnable, 0x80},
};

void PrintTo(const EpromCase& c, std::ostream* os) {
  *os << c.name;
}

struct Socket {
  Socket(const EpromCase& wiring, int model) : board(model), d(board, model), c(wiring) {
    EXPECT_TRUE(board.InsertDevice(c.name));
    d.Idle(c.reg1_mask, c.reg3_mask);
  }
  uint8_t High(uint32_t a) const { return static_cast<uint8_t>(((a >> 16) & 0x0F) | c.reg3_mask); }
  void At(uint32_t a) { d.Address(a, c.reg1_mask, High(a)); }

  sim::Nanos ProgramTime() { return dynamic_cast<sim::Eprom&>(*board.chip()).ProgramTime(); }

  // One programming pulse: byte on the bus, outputs off, the given voltage bits, the program
  // line asserted, held for `hold` (the device's programming time unless given) and released,
  // voltage off again.
  void PulseAt(uint32_t a, uint8_t data, uint8_t voltage_bits, sim::Nanos hold = {}) {
    if (hold == sim::Nanos{}) hold = ProgramTime();
    At(a);
    d.Set(0, static_cast<uint8_t>(0x48 | c.level | voltage_bits));
    d.DriverOn();
    d.Latch(4, data);
    switch (c.pulse) {
      case Pulse::ChipEnable:
        d.ChipEnable(true);
        board.TimePassed(hold);
        d.ChipEnable(false);
        break;
      case Pulse::Latch1Bit6:
      case Pulse::Latch3Bit2: {
        const int latch = c.pulse == Pulse::Latch1Bit6 ? 1 : 3;
        const uint8_t bit = c.pulse == Pulse::Latch1Bit6 ? 0x40 : 0x04;
        d.ChipEnable(true);
        d.ClearBits(latch, bit);
        board.TimePassed(hold);
        d.SetBits(latch, bit);
        d.ChipEnable(false);
        break;
      }
    }
    d.Set(0, 0x48);
    d.DriverOff();
  }
  uint8_t Read(uint32_t a) { return d.ReadAt(a, c.reg1_mask, High(a)); }

  SimBoard board;
  Driver d;
  const EpromCase& c;
};

class Eproms : public ::testing::TestWithParam<EpromCase> {};

// A pulse with the voltage on the device's own VPP route programs the cell at the top
// address (every address line in use) and nothing else.
TEST_P(Eproms, PulseWithVoltageProgramsTheAddressedCell) {
  for (const int model : {4, 5}) {
    if (model == 4 && GetParam().level != 0) continue;  // model 4 gives 12.5 V only
    Socket s(GetParam(), model);
    const uint32_t top = s.c.size - 1;
    s.PulseAt(top, 0x5A, s.c.vpp_bit);
    EXPECT_EQ(s.Read(top), 0x5A) << "model " << model;
    EXPECT_EQ(s.board.chip()->ProgramPulses(), 1U);
    s.PulseAt(0x155, 0xA5, s.c.vpp_bit);
    EXPECT_EQ(s.Read(0x155), 0xA5);
    EXPECT_EQ(s.Read(0x154), 0xFF);
    size_t programmed = 0;
    for (const uint8_t b : s.board.chip()->Contents()) programmed += b != 0xFF;
    EXPECT_EQ(programmed, 2U);
  }
}

// Without the voltage, or with it routed to another pin, the pulse does nothing.
TEST_P(Eproms, RefusesToProgramWithoutVoltageOnItsPin) {
  Socket s(GetParam(), 5);
  for (const uint8_t wrong : {uint8_t{0x00}, uint8_t{0x80}, uint8_t{0x10}, uint8_t{0x20}}) {
    if (wrong == s.c.vpp_bit) continue;
    s.PulseAt(0x123, 0x00, wrong);
    EXPECT_EQ(s.Read(0x123), 0xFF) << "voltage bits " << int{wrong};
  }
  EXPECT_EQ(s.board.chip()->ProgramPulses(), 0U);
}

TEST_P(Eproms, CellsOnlyLoseBitsUntilErasedByUltraviolet) {
  Socket s(GetParam(), 5);
  s.PulseAt(7, 0x0F, s.c.vpp_bit);
  s.PulseAt(7, 0xF3, s.c.vpp_bit);
  EXPECT_EQ(s.Read(7), 0x03);
  s.board.chip()->EraseUV();
  EXPECT_EQ(s.Read(7), 0xFF);
}

INSTANTIATE_TEST_SUITE_P(EveryWiring, Eproms, ::testing::ValuesIn(kEproms),
                         [](const ::testing::TestParamInfo<EpromCase>& p) {
                           return std::string(p.param.name + 6);  // without "Eprom "
                         });

// The datasheet's setup and hold times around a pulse (2 us each) on a 27C256 driven with port
// accesses of 100 ns, a latch write taking 400 ns: the line that moves `gap` + 400 ns before the
// pulse (or after it) spoils it when that is under 2 us. A byte read within 150 ns of output
// enable is not the cell's.
enum class Moves { Address, Data, Voltage, DataAfter, VoltageAfter };

class PulseTiming : public ::testing::TestWithParam<Moves> {};

TEST_P(PulseTiming, LineMovingWithinTwoMicrosecondsOfThePulseSpoilsIt) {
  using std::chrono::microseconds;
  const Moves moves = GetParam();
  for (const auto gap : {microseconds(1), microseconds(2)}) {
    Socket s(kEproms[4], 5);  // 27C256: pulse on CE, VPP on latch-0 bit 4
    s.board.SetAccessTime(std::chrono::nanoseconds(100));
    s.At(0x40);
    s.d.Set(0, moves == Moves::Voltage ? 0x48 : 0x58);
    s.d.DriverOn();
    s.d.Latch(4, moves == Moves::Data ? 0xFF : 0x12);
    s.board.TimePassed(microseconds(10));
    if (moves == Moves::Address) s.At(0x41);
    if (moves == Moves::Data) s.d.Latch(4, 0x12);
    if (moves == Moves::Voltage) s.d.Set(0, 0x58);
    s.board.TimePassed(gap);
    s.d.ChipEnable(true);
    s.board.TimePassed(s.ProgramTime());
    s.d.ChipEnable(false);
    s.board.TimePassed(gap);
    if (moves == Moves::DataAfter) s.d.Latch(4, 0xFF);
    if (moves == Moves::VoltageAfter) s.d.Set(0, 0x48);
    s.board.TimePassed(microseconds(10));
    s.d.Set(0, 0x48);
    s.d.DriverOff();
    const uint32_t at = moves == Moves::Address ? 0x41 : 0x40;
    s.board.SetAccessTime(std::chrono::nanoseconds(50));
    EXPECT_NE(s.Read(at), 0x12);  // 100 ns after output enable: too soon, programmed or not
    s.board.SetAccessTime(microseconds(1));
    EXPECT_EQ(s.Read(at), gap == microseconds(2) ? 0x12 : 0xFF) << gap.count() << " us";
  }
}

INSTANTIATE_TEST_SUITE_P(SetupAndHold, PulseTiming,
                         ::testing::Values(Moves::Address, Moves::Data, Moves::Voltage,
                                           Moves::DataAfter, Moves::VoltageAfter));

TEST(Eprom, CellsTakeTheirConfiguredNumberOfPulses) {
  Socket s(kEproms[4], 5);  // 27C256
  sim::Chip& chip = *s.board.chip();
  chip.SetPulsesNeeded(3);
  chip.SlowCell(0x20, 5);
  for (int pulse = 1; pulse <= 5; ++pulse) {
    s.PulseAt(0x10, 0x42, 0x10);
    s.PulseAt(0x20, 0x42, 0x10);
    EXPECT_EQ(s.Read(0x10), pulse < 3 ? 0xFF : 0x42) << pulse;
    EXPECT_EQ(s.Read(0x20), pulse < 5 ? 0xFF : 0x42) << pulse;
  }
  EXPECT_EQ(chip.ProgramPulses(), 10U);
}

// Pulse time adds up over pulses, measured from assertion to release: a pulse far shorter than
// the datasheet's leaves the cell as it was, and the cell programs on the pulse that completes
// its time (the port writes of the release count as well).
TEST(Eprom, ShortPulsesProgramOnlyOnceTheirTimeAddsUp) {
  using std::chrono::microseconds;
  using std::chrono::milliseconds;
  struct Case {
    size_t row;
    sim::Nanos needed, hold;
    int pulses;
  };
  const Case cases[] = {
      {4, microseconds(100), microseconds(1), 20},  // 27C256: 1 us + 4 port accesses a pulse
      {4, microseconds(100), microseconds(30), 3},  // 34 us a pulse
      {9, microseconds(50), microseconds(20), 3},   // 27C080: 24 us a pulse
      {0, milliseconds(50), milliseconds(5), 10},   // 2732A, the program's 5 ms pulses
  };
  for (const Case& c : cases) {
    Socket s(kEproms[c.row], 5);
    ASSERT_EQ(s.ProgramTime(), c.needed) << kEproms[c.row].name;
    for (int pulse = 1; pulse <= c.pulses; ++pulse) {
      s.PulseAt(0x33, 0x00, s.c.vpp_bit, c.hold);
      EXPECT_EQ(s.Read(0x33), pulse < c.pulses ? 0xFF : 0x00) << s.c.name << " pulse " << pulse;
    }
  }
}

TEST(Eprom, InjectedFaultsHoldThroughProgrammingAndErase) {
  Socket s(kEproms[9], 4);  // 27C080
  sim::Chip& chip = *s.board.chip();
  chip.NeverPrograms(0xFFFFF);
  chip.StuckAtZero(0x80000, 7);
  s.PulseAt(0xFFFFF, 0x00, 0x80);
  EXPECT_EQ(s.Read(0xFFFFF), 0xFF);
  EXPECT_EQ(s.Read(0x80000), 0x7F);
  chip.EraseUV();
  EXPECT_EQ(s.Read(0x80000), 0x7F);
  const std::vector<uint8_t> image{0xFF, 0xFF};
  chip.Load(image, 0x80000);
  EXPECT_EQ(chip.Contents()[0x80000], 0x7F);
}

// The program reads a 27256 / 27C040 during programming with chip enable high and output
// enable low, the voltage still applied (their verify mode); without the voltage that reads
// nothing, and a pulse with output enable low is no pulse.
TEST(Eprom, VerifyModeOfTheChipEnableProgrammedParts) {
  Socket s(kEproms[4], 5);
  s.board.chip()->Load(std::vector<uint8_t>{0x99}, 0x40);
  s.At(0x40);
  s.d.Set(0, 0x58);
  s.d.OutputEnable(true);  // clears the voltage bits' neighbours only: 18h stays
  EXPECT_EQ(s.d.Shadow(0), 0x18);
  EXPECT_EQ(s.d.ReadBack(), 0x99);
  s.d.Set(0, 0x08);
  EXPECT_EQ(s.d.ReadBack(), 0xFF);
  // Pulse with outputs enabled: refused.
  s.d.Set(0, 0x18);
  s.d.DriverOn();
  s.d.Latch(4, 0x00);
  s.d.ChipEnable(true);
  s.d.ChipEnable(false);
  s.d.DriverOff();
  EXPECT_EQ(s.board.chip()->Contents()[0x40], 0x99);
}

// The whole of a 27C080 comes back through the nibble read-back on both models.
TEST(Eprom, ReadBackReturnsTheChipsBytesOnBothModels) {
  std::vector<uint8_t> image(1048576);
  for (size_t i = 0; i < image.size(); ++i) image[i] = static_cast<uint8_t>(i * 7 + (i >> 12));
  for (const int model : {4, 5}) {
    Socket s(kEproms[9], model);
    s.board.chip()->Load(image);
    s.d.DriverOff();
    s.d.ChipEnable(true);
    s.d.OutputEnable(true);
    for (uint32_t a = 0; a < image.size(); a += 97) {
      s.At(a);
      ASSERT_EQ(s.d.ReadBack(), image[a]) << "model " << model << " address " << a;
    }
  }
}

}  // namespace
