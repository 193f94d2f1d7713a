// Stopping an operation on the simulated board: where it stops, what the board, the log, the
// indicators and the chip are left with, and what the next operation finds.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "eprom_fixture.h"
#include "flash_fixture.h"
#include "sim/sim_board.h"

namespace {

using panel::Ctl;

struct StopRig {
  explicit StopRig(const char* chip) {
    EXPECT_TRUE(board.InsertDevice(chip));
    ui.SetValue(Ctl::CheckCode, 1);
    for (Ctl c : {Ctl::Program_button, Ctl::Verify_button, Ctl::Read_button, Ctl::Display_button})
      ui.SetEnabled(c, true);
    for (Ctl c : {Ctl::Error_label, Ctl::Program_label, Ctl::DataFlow_label})
      panel::SetIndicator(ui, c, false);
  }
  bool Lit(Ctl label) const { return panel::IndicatorLit(ui, label); }
  bool Logged(const std::string& line) const {
    return std::find(ui.log.begin(), ui.log.end(), line) != ui.log.end();
  }
  std::vector<uint8_t> Chip(size_t from, size_t count) const {
    const auto cells = board.chip()->Contents().subspan(from, count);
    return {cells.begin(), cells.end()};
  }

  sim::SimBoard board{5};
  platform::RecordingMachine io{&board, /*keep_trace=*/false};
  testing_support::FakePanel ui;
  testing_support::FakeClock clock;
  ops::Programmer p{io, ui, clock, "/nonexistent/meldrix5.ini"};
};

void Eprom27C512(ops::Programmer& p) {
  testing_support::BoardAt378(p, 5);
  testing_support::SelectInTheList(p, "Eprom 27C512");
}

// A 27C512 whose code image is `image` throughout, the operator stopping at the stop_at-th safe
// point.
struct Eprom27C512Rig : StopRig {
  Eprom27C512Rig(uint8_t image, int stop_at) : StopRig("Eprom 27C512") {
    Eprom27C512(p);
    std::fill_n(p.buf.CodeBuffer.begin(), p.dev.DeviceSize, image);
    testing_support::TakeAsImage(p, p.dev.DeviceSize);
    ui.stop_at = stop_at;
  }
};

void Flash(ops::Programmer& p, std::string_view d) {
  flash_testing::SelectOnModel5(p, d);
}

struct StopCase {
  const char* name;
  const char* chip;
  std::function<void(ops::Programmer&)> select;
  std::function<void(ops::Programmer&)> run;
  uint8_t image;        // every byte of the code buffer
  int stop_at;          // the safe point at which the operator stops
  const char* address;  // the first byte not handled, as the log gives it
  bool part_written;    // the chip holds part of what it was given: the error alert is raised
  bool program_lit;     // the Program indicator stays lit, as after a failed byte
};

const StopCase kCases[] = {
    {"Read", "Eprom 27C512", Eprom27C512, [](ops::Programmer& p) { p.Read_button_Click(); }, 0x5A,
     1000, "3E8", false, false},
    {"BlankCheck", "Eprom 27C512", Eprom27C512, [](ops::Programmer& p) { p.Blank_button_Click(); },
     0x5A, 300, "12C", false, false},
    {"Verify", "Eprom 27C512", Eprom27C512, [](ops::Programmer& p) { p.Verify_button_Click(); },
     0xFF, 77, "4D", false, false},
    {"EpromProgramming", "Eprom 27C512", Eprom27C512,
     [](ops::Programmer& p) { p.Program_button_Click(); }, 0x5A, 500, "1F4", true, true},
    {"FlashByteProgramming", "Flash AMD AM29F040",
     [](ops::Programmer& p) { Flash(p, flash_testing::kAM29F040); },
     [](ops::Programmer& p) { p.Program_button_Click(); }, 0x5A, 700, "2BC", true, true},
    {"EepromPageProgramming", "Eeprom XICOR X28C256",
     [](ops::Programmer& p) { Flash(p, flash_testing::kX28C256); },
     [](ops::Programmer& p) { p.Program_button_Click(); }, 0x5A, 10, "280", true, true},
};

class StopAtSafePoint : public ::testing::TestWithParam<StopCase> {};

TEST_P(StopAtSafePoint, BoardIdleLogSaysWhereAlertOnlyWherePartWritten) {
  const StopCase& c = GetParam();
  StopRig rig(c.chip);
  c.select(rig.p);
  std::fill_n(rig.p.buf.CodeBuffer.begin(), rig.p.dev.DeviceSize, c.image);
  testing_support::TakeAsImage(rig.p, rig.p.dev.DeviceSize);
  rig.ui.SetValue(Ctl::VerifyAfterProgramming, 1);
  rig.ui.stop_at = c.stop_at;
  c.run(rig.p);

  EXPECT_TRUE(
      rig.Logged(std::string("Operation Stopped by Operator at Address ") + c.address + "h"));
  // Reset: programming voltages off, address 0, chip and data driver off.
  EXPECT_EQ(rig.board.Latch(0), 0x40);
  EXPECT_EQ(rig.board.Latch(3) & 0xC4, 0xC4);
  EXPECT_EQ(rig.board.Latch(2), 0);
  EXPECT_EQ(rig.Lit(Ctl::Error_label), c.part_written);
  EXPECT_EQ(rig.Lit(Ctl::Program_label), c.program_lit);
  EXPECT_EQ(!rig.ui.sounds.empty() && rig.ui.sounds.back() == "ERROR", c.part_written);
  // Nothing ran past the stop: no success, no verify after programming, no second operation.
  EXPECT_FALSE(rig.Logged("Programming Device Successfull"));
  EXPECT_FALSE(rig.Logged("Device Contents MATCHES with Buffer Contents"));
  EXPECT_EQ(rig.Logged("Verify Function Started... Wait"), std::string(c.name) == "Verify");
}

INSTANTIATE_TEST_SUITE_P(EveryLongOperation, StopAtSafePoint, ::testing::ValuesIn(kCases),
                         [](const auto& row) { return std::string(row.param.name); });

// The EPROM holds the image up to the stop and is blank after it; once the alert is cleared a
// verify finds the first byte that was not programmed.
TEST(StopProgramming, ChipHoldsImageUpToTheStopAndVerifyFindsIt) {
  Eprom27C512Rig rig(0x00, 500);
  rig.p.Program_button_Click();
  EXPECT_EQ(rig.Chip(0, 500), std::vector<uint8_t>(500, 0x00));
  EXPECT_EQ(rig.Chip(500, 100), std::vector<uint8_t>(100, 0xFF));

  rig.p.Error_label_Click();
  rig.ui.stop_at = 0;
  rig.p.Stopped = false;  // as the window does when the next operation starts
  rig.ui.log.clear();
  rig.p.Verify_button_Click();
  EXPECT_TRUE(rig.Logged("Address: 1F4 ][ Buffer Data: 0 ][ Device Data: FF"));
}

// A stopped read leaves the code buffer as it was; a whole read replaces it.
TEST(StopReading, CodeBufferKeepsTheImageUntilTheWholeDeviceIsRead) {
  Eprom27C512Rig rig(0x5A, 40000);
  rig.p.Read_button_Click();
  EXPECT_TRUE(std::all_of(rig.p.buf.CodeBuffer.begin(),
                          rig.p.buf.CodeBuffer.begin() + rig.p.dev.DeviceSize,
                          [](uint8_t b) { return b == 0x5A; }));
  EXPECT_TRUE(rig.Logged("Code Buffer was left as it was"));

  rig.ui.stop_at = 0;
  rig.p.Stopped = false;
  rig.p.Read_button_Click();
  EXPECT_EQ(rig.p.buf.CodeBuffer[40000], 0xFF);  // the blank chip
}

}  // namespace
