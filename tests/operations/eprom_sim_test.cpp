// End to end on the simulated board: every EPROM of the catalogue blank-checked, programmed,
// verified and read back, and the failures an operator must see.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <random>

#include "eprom_fixture.h"
#include "sim/eprom.h"
#include "sim/sim_board.h"

namespace eprom_test {
namespace {

using panel::Ctl;

// A model-5 board at 378h with the device in its socket; sleeps and busy-waits cost no real
// time but reach the simulated board as time passed.
struct SimRig {
  explicit SimRig(const std::string& device, int model = 5) : board(model) {
    testing_support::BoardAt378(p, model);
    testing_support::SelectInTheList(p, device);
    testing_support::ChooseTheChipsVoltage(p);
    ui.ForgetReports();
    EXPECT_TRUE(board.InsertDevice(device));
    ui.SetValue(Ctl::CheckCode, 1);
    panel::SetIndicator(ui, Ctl::Error_label, false);
    panel::SetIndicator(ui, Ctl::Program_label, false);
    for (Ctl c : {Ctl::Program_button, Ctl::Verify_button, Ctl::Read_button, Ctl::Display_button})
      ui.SetEnabled(c, true);
    p.board.Reset();
  }
  int32_t Size() const { return p.dev.DeviceSize; }
  std::span<const uint8_t> Chip() const { return board.chip()->Contents(); }
  void LoadCode(const std::vector<uint8_t>& image) {
    std::copy(image.begin(), image.end(), p.buf.CodeBuffer.begin());
    testing_support::TakeAsImage(p, static_cast<int32_t>(image.size()));
  }
  bool Logged(const std::string& line) const {
    return std::find(ui.log.begin(), ui.log.end(), line) != ui.log.end();
  }
  void HiLow(int option) {
    for (int i = 0; i < 3; ++i) ui.SetValue(panel::HiLow_button(i), i == option ? 1 : 0);
  }

  sim::SimBoard board;
  platform::RecordingMachine io{&board, /*keep_trace=*/false};
  testing_support::FakePanel ui;
  testing_support::FakeClock clock;
  ops::Programmer p{io, ui, clock, "/nonexistent/meldrix5.ini"};
};

// Random bytes with long runs of FFh between them, the way real images look.
std::vector<uint8_t> Image(int32_t size, uint32_t seed) {
  std::mt19937 random(seed);
  std::vector<uint8_t> image(static_cast<size_t>(size));
  for (size_t i = 0; i < image.size(); ++i) {
    const bool erased_run = (i / 1024) % 4 != 1;  // 1 KB of data in every 4 KB
    image[i] = erased_run ? uint8_t{0xFF} : static_cast<uint8_t>(random());
  }
  return image;
}

// Pulses a byte takes at the default slider, the simulated cells needing their datasheet time.
// The CMOS parts: one (101 us + the latch write that ends the pulse, against 100 us; 51 us + it
// against the 8-Mbit parts' 50 us). The 2732 family: ten of the fixed 5 ms pulses for its 50 ms.
// The NMOS 27128 / 27256: nine of 117 us for their 1 ms. The 2764: its 20 ms pulse covers 1 ms.
int PulsesPerByte(std::string_view device) {
  if (device.starts_with("Eprom 2732") || device == "Eprom 27C32") return 10;
  if (device == "Eprom 27128" || device == "Eprom 27256") return 9;
  return 1;
}

int64_t BytesToProgram(const std::vector<uint8_t>& image) {
  return std::count_if(image.begin(), image.end(), [](uint8_t b) { return b != 0xFF; });
}

// Every EPROM the device list lets the operator program.
std::vector<std::string_view> EpromNames() {
  std::vector<std::string_view> names;
  for (const devices::DeviceEntry& row : devices::DeviceTable) {
    if (row.Family == 'P' && row.Program != devices::ProgramAlgorithm::None) {
      names.push_back(row.Name);
    }
  }
  return names;
}

class EveryEprom : public ::testing::TestWithParam<std::string_view> {};

// Blank, program with verify, read back: the chip and the code buffer both hold the image, and
// every byte took the pulses its cells need.
TEST_P(EveryEprom, BlankProgramVerifyRead) {
  SimRig rig{std::string(GetParam())};
  rig.p.Blank_button_Click();
  EXPECT_EQ(rig.ui.log.back(), "Device IS BLANK (ERASED)");
  const auto image = Image(rig.Size(), static_cast<uint32_t>(rig.Size()));
  rig.LoadCode(image);
  rig.ui.SetValue(Ctl::VerifyAfterProgramming, 1);
  rig.ui.log.clear();
  rig.p.Program_button_Click();
  EXPECT_TRUE(rig.Logged("Programming Device Successfull"));
  EXPECT_EQ(rig.ui.log.back(), "Device Contents MATCHES with Buffer Contents");
  EXPECT_TRUE(std::equal(image.begin(), image.end(), rig.Chip().begin(), rig.Chip().end()));
  EXPECT_EQ(rig.board.chip()->ProgramPulses(),
            static_cast<uint64_t>(BytesToProgram(image) * PulsesPerByte(GetParam())));
  std::fill_n(rig.p.buf.CodeBuffer.begin(), rig.Size(), uint8_t{0});
  rig.p.Read_button_Click();
  EXPECT_TRUE(std::equal(image.begin(), image.end(), rig.p.buf.CodeBuffer.begin()));
  EXPECT_FALSE(panel::IndicatorLit(rig.ui, Ctl::Error_label));
}

INSTANTIATE_TEST_SUITE_P(Catalogue, EveryEprom, ::testing::ValuesIn(EpromNames()),
                         [](const auto& row) {
                           std::string name(row.param.substr(6));
                           std::replace(name.begin(), name.end(), ' ', '_');
                           return name;
                         });

// "Low Byte" and "Hi Byte": each device gets every other byte of a two-device image, which
// fills it, and the verify covers the half it holds.
TEST(EpromOnSimulator, HiAndLowByteSplits) {
  for (int option : {1, 2}) {
    SimRig rig("Eprom 27C64");
    const auto image = Image(2 * rig.Size(), 7);
    rig.LoadCode(image);
    rig.HiLow(option);
    rig.ui.SetValue(Ctl::VerifyAfterProgramming, 1);
    rig.p.Program_button_Click();
    EXPECT_EQ(rig.ui.log.back(), "Device Contents MATCHES with Buffer Contents");
    const auto chip = rig.Chip();
    const size_t first = option == 1 ? 1 : 0;
    for (size_t i = 0; i < 8192; ++i) ASSERT_EQ(chip[i], image[2 * i + first]) << i;
  }
}

TEST(EpromOnSimulator, NotBlankNamesAddressAndData) {
  SimRig rig("Eprom 27C2001");
  const uint8_t programmed[] = {0x00};
  rig.board.chip()->Load(programmed, 0x2ABCD);
  rig.p.Blank_button_Click();
  EXPECT_EQ(rig.ui.log,
            (std::vector<std::string>{
                "Checking Device for BLANK (Erased)... Wait", "Device bytes 0h..3FFFFh are checked",
                "Device IS NOT BLANK (ERASED)", "Address: 2ABCD ][ Device Data: 0",
                "Click on [ERROR] alert to Reset the Situation"}));
}

class CellNeverPrograms : public ::testing::TestWithParam<const char*> {};

// Exactly 254 pulses reach the bad cell, the report names it, nothing after it is programmed
// and no verify runs.
TEST_P(CellNeverPrograms, ReportsAfter254PulsesWithoutVerify) {
  SimRig rig(GetParam());
  std::vector<uint8_t> image(static_cast<size_t>(rig.Size()), 0xFF);
  image[0x0FF] = 0x11;
  image[0x100] = 0x00;
  image[0x101] = 0x22;
  rig.LoadCode(image);
  rig.board.chip()->NeverPrograms(0x100);
  rig.ui.SetValue(Ctl::VerifyAfterProgramming, 1);
  rig.p.Program_button_Click();
  const auto before = static_cast<uint64_t>(PulsesPerByte(GetParam()));  // the byte at 0FFh
  EXPECT_EQ(rig.board.chip()->ProgramPulses(), before + 254U);
  std::vector<std::string> expected{
      "Programming Button Pressed",
      testing_support::WholeDeviceLine(rig.Size(), "are programmed"),
      "Programming Started... Wait ",
      "*** Programming Failure ***",
      "*** Address:100h, Programming BYTE:0h, Read BYTE:FFh",
      "*** Aborting Programming - Click on [ERROR] Indicator to Reset"};
  if (rig.p.dev.ProgVoltage > 12)
    expected.insert(expected.begin() + 2, "Wait 1500ms second VPP Settling");
  EXPECT_EQ(rig.ui.log, expected);
  EXPECT_EQ(rig.Chip()[0x0FF], 0x11);
  EXPECT_EQ(rig.Chip()[0x101], 0xFF);
  EXPECT_TRUE(panel::IndicatorLit(rig.ui, Ctl::Error_label));
}

INSTANTIATE_TEST_SUITE_P(EveryAlgorithm, CellNeverPrograms,
                         ::testing::Values("Eprom 2732A", "Eprom 27128", "Eprom 27256",
                                           "Eprom 27C080", "Eprom 27C1001"));

// A bit stuck at zero programs fine (EPROM cells only lose bits) but fails the verify.
TEST(EpromOnSimulator, VerifyMismatchAfterProgramming) {
  SimRig rig("Eprom 27C512");
  rig.board.chip()->StuckAtZero(0x20, 0);
  rig.ui.SetValue(Ctl::VerifyAfterProgramming, 1);
  std::fill_n(rig.p.buf.CodeBuffer.begin(), rig.Size(), uint8_t{0xFF});
  rig.p.buf.CodeBuffer[0x10] = 0x3C;
  testing_support::TakeAsImage(rig.p, rig.Size());
  rig.p.Program_button_Click();
  EXPECT_EQ(
      rig.ui.log,
      (std::vector<std::string>{
          "Programming Button Pressed", testing_support::WholeDeviceLine(65536, "are programmed"),
          "Programming Started... Wait ", "Programming Device Successfull",
          "Verify Function Started... Wait",
          testing_support::WholeDeviceLine(65536, "are compared"), std::string(50, '*'),
          "Device Memory DOES NOT VERIFY with Buffer Contents",
          "Address: 20 ][ Buffer Data: FF ][ Device Data: FE",
          "Click on [ERROR] Alert to Reset the Situation"}));
}

// Slow cells need a multiple of the datasheet time: at the default slider a cell needing three
// times it gets three pulses on the CMOS parts; one needing eighty times it runs into the
// lengthened pulses (55 short ones, then three of short + long) and still programs. On a 2732
// the fixed 5 ms pulses cannot give 80 x 50 ms in 254 tries: the run reports the failure.
TEST(EpromOnSimulator, SlowCellsTakeTheirMultipleOfThePulseTime) {
  struct Case {
    const char* device;
    uint64_t normal, triple, eighty;  // pulses; eighty = 254: the failure report
  };
  const Case cases[] = {
      {"Eprom 2732", 10, 30, 254}, {"Eprom 2764", 1, 1, 4},    {"Eprom 27C256", 1, 3, 58},
      {"Eprom 27C512", 1, 3, 58},  {"Eprom 27C010", 1, 3, 58}, {"Eprom 27C080", 1, 3, 58},
  };
  for (const Case& c : cases) {
    SimRig rig(c.device);
    std::vector<uint8_t> image(512, 0xFF);
    image[5] = 0x00;
    image[6] = 0x55;
    image[7] = 0x0F;
    rig.LoadCode(image);
    rig.p.buf.CodeLength = 512;
    rig.p.dev.DeviceSize = 512;  // a short run is enough
    rig.board.chip()->SlowCell(6, 3);
    rig.board.chip()->SlowCell(7, 80);
    rig.p.Program_button_Click();
    EXPECT_EQ(rig.board.chip()->ProgramPulses(), c.normal + c.triple + c.eighty) << c.device;
    EXPECT_EQ(rig.Chip()[6], 0x55) << c.device;
    const bool fails = c.eighty == 254;
    EXPECT_EQ(rig.Logged("Programming Device Successfull"), !fails) << c.device;
    EXPECT_EQ(rig.Logged("*** Programming Failure ***"), fails) << c.device;
    EXPECT_EQ(rig.Chip()[7], fails ? 0xFF : 0x0F) << c.device;
  }
}

// The time told after an operation is the board's: on the simulated board, its clock, which
// the read of a 27C256 moves on by far more than the test's own run takes.
TEST(EpromOnSimulator, TheTimeTakenIsToldOnTheSimulatedBoardsClock) {
  SimRig rig("Eprom 27C256");
  const sim::Nanos started = rig.board.Now();
  const std::chrono::nanoseconds clock_started = rig.p.io.BoardClock();
  rig.p.Read_button_Click();
  rig.p.TellTimeTaken(rig.p.io.BoardClock() - clock_started);
  const double seconds = std::chrono::duration<double>(rig.board.Now() - started).count();
  EXPECT_GT(seconds, 0.3);  // some 20 us a byte
  char expected[64];
  std::snprintf(expected, sizeof expected, "Took %.1f s on the board's clock", seconds);
  EXPECT_EQ(rig.ui.log.back(), expected);
}

// A programming pulse as the chip's pins saw it: the program line (chip enable on the parts
// without one) held with the voltage on and the outputs off.
struct PinPulse {
  uint32_t address;
  uint8_t data;
  sim::Nanos width;
  bool settled_before;  // address and data were on the pins before the pulse began
  bool steady;          // and stayed there until it ended
};

std::vector<PinPulse> PulsesOf(const std::vector<sim::Chip::PinChange>& record) {
  const bool program_line =
      std::ranges::any_of(record, [](const auto& c) { return c.lines.strobe; });
  const auto pulsing = [&](const sim::Lines& l) {
    return l.ce && (l.strobe || !program_line) && l.vpp && !l.oe;
  };
  std::vector<PinPulse> pulses;
  for (size_t i = 1; i < record.size(); ++i) {
    const sim::Lines& l = record[i].lines;
    const sim::Lines& before = record[i - 1].lines;
    if (!pulsing(l) || pulsing(before)) continue;
    PinPulse pulse{l.address, l.bus, {}, before.address == l.address && before.bus == l.bus, true};
    size_t end = i + 1;
    for (; end < record.size() && pulsing(record[end].lines); ++end) {
      pulse.steady =
          pulse.steady && record[end].lines.address == l.address && record[end].lines.bus == l.bus;
    }
    if (end == record.size()) break;  // a pulse never ended: no width to take
    pulse.width = record[end].at - record[i].at;
    pulses.push_back(pulse);
  }
  return pulses;
}

// What the chip's pins see while each algorithm programs: for every byte, in order, pulses with
// address and data settled before the program line and steady under it, as long as the part
// needs (a cell needing one pulse: at least its programming time).
TEST(EpromOnSimulator, PinsSeeSettledAddressAndDataUnderEachPulse) {
  for (const char* device : {"Eprom 2732", "Eprom 2764", "Eprom 27C256", "Eprom 27C080"}) {
    SCOPED_TRACE(device);
    SimRig rig(device);
    const std::vector<uint8_t> image{0x00, 0x5A, 0xFF, 0xC3};
    rig.LoadCode(image);
    rig.p.buf.CodeLength = 4;
    rig.p.dev.DeviceSize = 4;
    rig.board.chip()->RecordPins(true);
    rig.p.Program_button_Click();
    ASSERT_TRUE(std::equal(image.begin(), image.end(), rig.Chip().begin()));
    const auto pulses = PulsesOf(rig.board.chip()->PinRecord());
    const auto per_byte = static_cast<size_t>(PulsesPerByte(device));
    ASSERT_EQ(pulses.size(), 3 * per_byte);  // FFh needs no pulse
    const auto* eprom = dynamic_cast<const sim::Eprom*>(rig.board.chip());
    ASSERT_NE(eprom, nullptr);
    for (size_t i = 0; i < pulses.size(); ++i) {
      const uint32_t address = i < per_byte ? 0 : i < 2 * per_byte ? 1 : 3;
      EXPECT_EQ(pulses[i].address, address) << i;
      EXPECT_EQ(pulses[i].data, image[address]) << i;
      EXPECT_TRUE(pulses[i].settled_before) << i;
      EXPECT_TRUE(pulses[i].steady) << i;
      if (per_byte == 1) {
        EXPECT_GE(pulses[i].width, eprom->ProgramTime()) << i;
      }
    }
  }
}

// At the fastest slider every count is 2: a 27C256 pulse is 1 us of busy-wait plus the latch
// write that ends it (four port accesses, two 1 us latch delays), 7 us, so a 100 us cell takes
// 15 pulses. A cell needing twenty times that would take 55 x 7 us and then 202 pulses of 8 us:
// more than 254, and the run ends in the failure report, never "Successfull".
TEST(EpromOnSimulator, FastestSliderProgramsByThePulseArithmeticOrReportsTheFailure) {
  for (const bool slow_cell : {false, true}) {
    SimRig rig("Eprom 27C256");
    rig.p.board.LatchDelayCount = rig.p.board.ShortDelayCount = rig.p.board.LongDelayCount = 2;
    std::vector<uint8_t> image(1024, 0xFF);
    for (size_t i = 0; i < 64; ++i) image[i * 16] = static_cast<uint8_t>(i);
    rig.LoadCode(image);
    rig.p.buf.CodeLength = 1024;
    rig.p.dev.DeviceSize = 1024;
    if (slow_cell) rig.board.chip()->SlowCell(0x100, 20);
    rig.ui.SetValue(Ctl::VerifyAfterProgramming, 1);
    rig.p.Program_button_Click();
    if (!slow_cell) {
      EXPECT_EQ(rig.board.chip()->ProgramPulses(), 64U * 15U);
      EXPECT_EQ(rig.ui.log.back(), "Device Contents MATCHES with Buffer Contents");
    } else {
      EXPECT_EQ(rig.board.chip()->ProgramPulses(), 16U * 15U + 254U);
      EXPECT_FALSE(rig.Logged("Programming Device Successfull"));
      EXPECT_TRUE(rig.Logged("*** Address:100h, Programming BYTE:10h, Read BYTE:FFh"));
    }
  }
}

TEST(EpromOnSimulator, CancelLeavesTheChipBlank) {
  SimRig rig("Eprom 27C256");
  rig.LoadCode(Image(rig.Size(), 1));
  rig.ui.ok_cancel_replies = {false};
  rig.p.Program_button_Click();
  EXPECT_EQ(rig.ui.log.back(), "Programming was Canceled by Operator");
  EXPECT_EQ(rig.board.chip()->ProgramPulses(), 0U);
  EXPECT_TRUE(
      std::all_of(rig.Chip().begin(), rig.Chip().end(), [](uint8_t b) { return b == 0xFF; }));
}

}  // namespace
}  // namespace eprom_test
