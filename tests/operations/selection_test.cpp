#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "devices/catalogue.h"
#include "operations/programmer.h"
#include "platform/recording_machine.h"
#include "support/fake_clock.h"
#include "support/fake_panel.h"

namespace {

using panel::Ctl;
using panel::ToolbarButton;
using panel::Voltage_button;

class Selection : public ::testing::Test {
 protected:
  Selection() { p.FillDeviceList(); }

  // Selects the list row holding the device and forgets what was reported before.
  void Select(int row) {
    ui.log.clear();
    ui.sounds.clear();
    p.SetDeviceIndex(row);
  }

  platform::RecordingMachine io;
  testing_support::FakePanel ui;
  testing_support::FakeClock clock;
  ops::Programmer p{io, ui, clock, "unused.ini"};
};

constexpr int kEprom2764 = 4, kEprom27C256 = 9, kEprom27C080 = 18, kOtp = 19;
constexpr int kAT29C256 = 20, kAM29F040 = 24, kX28C256 = 30, kMicro = 37;

TEST_F(Selection, ListHoldsEveryRowInOrder) {
  ASSERT_EQ(ui.ListCount(), static_cast<int>(devices::kDeviceCount));
  EXPECT_EQ(ui.ListItem(0), "Eprom 2732A                   ");
  EXPECT_EQ(ui.ListItem(kOtp), "N/A - Eprom 27C080 OTP              ");
  EXPECT_EQ(ui.ListItem(kMicro), "N/A - uC Atmel AT90S2313 Micro      ");
}

TEST_F(Selection, UnsupportedEntryKeepsTheDeviceAndTheListShowsIt) {
  p.SetDeviceIndex(kOtp);  // nothing chosen yet: the prompt
  EXPECT_EQ(ui.ListIndex(), -1);
  EXPECT_EQ(ui.Caption(Ctl::Device), "Please Select Device on this List");
  Select(kEprom27C256);
  ui.log.clear();
  p.SetDeviceIndex(kOtp);
  EXPECT_EQ(ui.ListIndex(), kEprom27C256);
  EXPECT_TRUE(ui.log.empty());
  EXPECT_EQ(p.dev.DeviceName, "Eprom 27C256");
  EXPECT_EQ(p.dev.DeviceCode, "P4");
  EXPECT_EQ(p.buf.CodeLength, 32768);
}

TEST_F(Selection, Eprom2764SetsSlowTimingAndTwelveVoltsAndLogsInOrder) {
  std::vector<std::string> told;
  p.DeviceSelected = [&](std::string_view name) { told.emplace_back(name); };
  Select(kEprom2764);
  EXPECT_EQ(ui.log,
            (std::vector<std::string>{"Most Common Programming Voltage Selected: 12.5 Volts!!!",
                                      "Device Eprom 2764 was Selected",
                                      "Device Size is: 8192 Bytes, Initial VPP suggested: 12.5V"}));
  EXPECT_EQ(ui.sounds, std::vector<std::string>{"DONE"});
  EXPECT_EQ(told, std::vector<std::string>{"Eprom 2764"});
  EXPECT_EQ(p.dev.DeviceCode, "P2");
  EXPECT_EQ(p.dev.ProgVoltage, 12);
  EXPECT_EQ(p.board.Reg1Mask, 0xC0);
  EXPECT_EQ(p.board.Reg3Mask, 2);
  EXPECT_EQ(p.board.LatchDelayFactor, 50);
  EXPECT_EQ(p.board.ShortDelayFactor, 20000);
  EXPECT_EQ(p.board.LongDelayFactor, 100000);
  EXPECT_FALSE(ui.Enabled(Voltage_button(0)));
  for (int i = 1; i <= 3; ++i) EXPECT_TRUE(ui.Enabled(Voltage_button(i))) << i;
  EXPECT_EQ(ui.Value(Voltage_button(1)), 1);
  EXPECT_EQ(ui.Max(Ctl::VScroll1), 31);
  EXPECT_TRUE(ui.Enabled(Ctl::Read_button));
  EXPECT_TRUE(ui.Enabled(Ctl::Blank_button));
  EXPECT_FALSE(ui.Enabled(Ctl::EraseFlash_button));
  EXPECT_FALSE(ui.Enabled(Ctl::Program_button));  // nothing loaded yet
  EXPECT_EQ(ui.Caption(Ctl::Show_button), "Show Code");
  EXPECT_EQ(ui.Value(Ctl::CheckCode), 1);
  EXPECT_FALSE(ui.Visible(Ctl::PleaseSelect));
}

TEST_F(Selection, Eprom27C080UsesFastTimingAndPagesOverOneMegabyte) {
  Select(kEprom27C080);
  EXPECT_EQ(p.board.LatchDelayFactor, 2);
  EXPECT_EQ(p.board.ShortDelayFactor, 50);
  EXPECT_EQ(p.board.LongDelayFactor, 250);
  EXPECT_EQ(ui.Max(Ctl::VScroll1), 4095);
  EXPECT_EQ(p.dev.DeviceSize, 1048576);
}

TEST_F(Selection, FourMegabitFlashMovesAddressBit18AndOffersOnlyFiveVolts) {
  Select(kEprom2764);  // a 21 V choice must not survive into a 5 V part
  p.SelectOption(Voltage_button(2));
  Select(kAM29F040);
  for (int i = 1; i <= 3; ++i) EXPECT_FALSE(ui.Enabled(Voltage_button(i))) << i;
  EXPECT_TRUE(ui.Enabled(Voltage_button(0)));
  EXPECT_EQ(ui.Value(Voltage_button(0)), 1);
  EXPECT_EQ(p.dev.ProgVoltage, 21);  // kept: only EPROM selections reset it
  EXPECT_EQ(ui.log.back(), "Device Size is: 524288 Bytes, Initial VPP suggested: 5V");
  const std::vector<int16_t> high(p.board.AddrHighMap.begin(), p.board.AddrHighMap.begin() + 9);
  EXPECT_EQ(high, (std::vector<int16_t>{0, 1, 2, 3, 8, 9, 10, 11, 8}));
  EXPECT_TRUE(ui.Enabled(Ctl::EraseFlash_button));
  EXPECT_TRUE(ui.Enabled(Ctl::menuFlashShowCodeID));
  EXPECT_EQ(p.board.LatchDelayFactor, 5);
}

TEST_F(Selection, X28C256MovesAddressBit14AndLaterSelectionsRestoreTheMaps) {
  Select(kX28C256);
  EXPECT_EQ(p.board.AddrMidMap[63], 63);
  EXPECT_EQ(p.board.AddrMidMap[64], 128);
  EXPECT_EQ(p.board.AddrMidMap[127], 191);
  EXPECT_EQ(p.board.AddrMidMap[128], 128);
  EXPECT_EQ(p.board.AddrMidMap[255], 255);
  Select(kEprom2764);
  EXPECT_EQ(p.board.AddrMidMap[64], 64);
}

TEST_F(Selection, LoadedCodeEnablesProgrammingAndLengthFollowsTheDevice) {
  p.buf.CodeLoaded = 1;
  p.buf.CodeLength = 100;
  Select(kAT29C256);
  for (Ctl c : {Ctl::Program_button, Ctl::Verify_button, Ctl::Erase_button, Ctl::menuProgramCode,
                Ctl::menuVerifyCode, Ctl::menuEraseCode}) {
    EXPECT_TRUE(ui.Enabled(c)) << static_cast<int>(c);
  }
  EXPECT_EQ(p.buf.CodeLength, 32768);
}

TEST_F(Selection, NonMicroSelectionForgetsTheDataImage) {
  p.buf.DataLoaded = 1;
  Select(kEprom2764);
  EXPECT_EQ(p.buf.DataLoaded, 0);
  EXPECT_EQ(ui.Value(Ctl::CheckData), 0);
  EXPECT_FALSE(ui.Visible(ToolbarButton(4)));
  EXPECT_FALSE(ui.Visible(Ctl::FileNameDataText));
}

TEST_F(Selection, SpeedDelaysAtTheSlidersEndsAndBelowTen) {
  struct Case {
    int value;
    int32_t latch, shortc, longc;
  };
  // Default factors 5, 100, 500 and a maximum of 20.
  for (const Case& c : {Case{20, 2, 2, 2}, Case{18, 12, 202, 1002}, Case{10, 52, 1002, 5002},
                        Case{9, 1102, 1102, 5502}, Case{1, 1902, 1902, 9502}}) {
    ui.SetValue(Ctl::Slider1, c.value);
    p.SetSpeedDelays();
    EXPECT_EQ(p.board.LatchDelayCount, c.latch) << c.value;
    EXPECT_EQ(p.board.ShortDelayCount, c.shortc) << c.value;
    EXPECT_EQ(p.board.LongDelayCount, c.longc) << c.value;
  }
}

TEST_F(Selection, SliderChangeLogsRecomputesAndSounds) {
  p.SetSliderValue(10);
  ui.log.clear();
  ui.sounds.clear();
  p.SetSliderValue(9);
  EXPECT_EQ(ui.log, std::vector<std::string>{"Program Speed Slider set to: 9"});
  EXPECT_EQ(ui.sounds, std::vector<std::string>{"SLIDE"});
  EXPECT_EQ(p.board.LatchDelayCount, 1102);
}

TEST_F(Selection, HighVoltageOptionsWarnTheOperator) {
  p.Voltage_button_Click(3);
  EXPECT_EQ(p.dev.ProgVoltage, 25);
  p.Voltage_button_Click(2);
  EXPECT_EQ(p.dev.ProgVoltage, 21);
  p.Voltage_button_Click(0);
  EXPECT_EQ(p.dev.ProgVoltage, 21);
  EXPECT_EQ(ui.log, (std::vector<std::string>{
                        "BE CAREFULL!!! You just Selected Programming Voltage as 25 Volts!!!",
                        "BE CAREFULL!!! You just Selected Programming Voltage as 21 Volts!!!"}));
}

TEST_F(Selection, NoDeviceControlsBeforeASelection) {
  p.DisableDeviceControls();
  for (Ctl c : {Ctl::Read_button, Ctl::Program_button, Ctl::Show_button, Ctl::menuBlankCheck,
                Ctl::menuFlashShowCodeID}) {
    EXPECT_FALSE(ui.Enabled(c)) << static_cast<int>(c);
  }
  EXPECT_FALSE(ui.Enabled(ToolbarButton(2)));
  EXPECT_FALSE(ui.Visible(ToolbarButton(3)));
  EXPECT_EQ(ui.Caption(Ctl::Show_button), "Show Data");
  EXPECT_EQ(ui.Caption(Ctl::Frame3), "Code Buffer Hex/Ascii Display");
}

}  // namespace
