// The programming command and what the algorithms do around the pulses: voltages, skipped
// bytes, the give-up after 254 pulses, the failure report and the progress pacing.
#include <gtest/gtest.h>

#include <ostream>

#include "eprom_fixture.h"
#include "support/catalogue_rows.h"

namespace eprom_test {
namespace {

using panel::Ctl;

using Algorithm = void (ops::Programmer::*)();

struct VoltageCase {
  const char* device;
  int model;
  int16_t volts;
  int reg0;     // latch 0 while programming
  bool settle;  // the 1500 ms wait for the higher voltages
};

void PrintTo(const VoltageCase& c, std::ostream* os) {
  *os << c.device << " model " << c.model << " " << c.volts << " V";
}

class ProgrammingVoltage : public ::testing::TestWithParam<VoltageCase> {};

// The algorithm each EPROM type takes.
Algorithm AlgorithmFor(const std::string& device) {
  switch (testing_support::RowNamed(device).Type) {
    case '1':
      return &ops::Programmer::P2732;
    case '2':
    case '3':
      return &ops::Programmer::P2764_128;
    case '4':
    case '8':
      return &ops::Programmer::P27256_040;
    case '5':
    case '9':
      return &ops::Programmer::P27080;
    default:
      return &ops::Programmer::P27010_020;
  }
}

// 21 V and 25 V only on model 5 for the class-3 devices of P2732 and P2764_128; the settling
// wait follows the chosen voltage alone.
TEST_P(ProgrammingVoltage, Latch0AndSettlingWait) {
  const VoltageCase c = GetParam();
  Rig rig(c.model, c.device);
  rig.p.dev.ProgVoltage = c.volts;
  rig.PrepareProgramming({0xFF});
  (rig.p.*AlgorithmFor(c.device))();
  const auto reg0 = rig.Latch(0);
  ASSERT_GE(reg0.size(), 2U);
  EXPECT_EQ(reg0[1], c.reg0);  // after the chip and outputs were switched off
  EXPECT_EQ(rig.Count(Z(1500)), c.settle ? 1 : 0);
  std::vector<std::string> log;
  if (c.settle) log.emplace_back("Wait 1500ms second VPP Settling");
  log.emplace_back("Programming Started... Wait ");
  EXPECT_EQ(rig.ui.log, log);
}

INSTANTIATE_TEST_SUITE_P(Table, ProgrammingVoltage,
                         ::testing::Values(VoltageCase{"Eprom 2764", 5, 25, 0x5B, true},
                                           VoltageCase{"Eprom 2764", 5, 21, 0x5A, true},
                                           VoltageCase{"Eprom 2764", 4, 25, 0x5C, true},
                                           VoltageCase{"Eprom 27C64", 5, 12, 0x58, false},
                                           VoltageCase{"Eprom 27C64", 5, 21, 0x58,
                                                       true},  // class 1: no 21 V setting
                                           VoltageCase{"Eprom 2732A", 5, 21, 0x4A, true},
                                           VoltageCase{"Eprom 2732A", 5, 25, 0x4B, true},
                                           VoltageCase{"Eprom 2732B", 5, 12, 0x48, false},
                                           VoltageCase{"Eprom 27256", 5, 25, 0x58, false},
                                           VoltageCase{"Eprom 27C040", 4, 12, 0x6C, false},
                                           VoltageCase{"Eprom 27C4001", 5, 12, 0x68, false},
                                           VoltageCase{"Eprom 27C080", 5, 25, 0x48, false},
                                           VoltageCase{"Eprom 27C020", 4, 12, 0x6C, false}));

// A board of no known model leaves latch 0 as it was before the algorithm's ORs.
TEST(ProgrammingVoltage, UnknownModelKeepsLatch0) {
  Rig rig(5, "Eprom 27C040");
  rig.PrepareProgramming({0xFF});
  rig.p.board.BoardModel = 0;
  rig.p.P27256_040();
  EXPECT_EQ(rig.Latch(0), (std::vector<int>{0x40, 0x60, 0x68}));  // CEOEOFF, OR 20h, lamp
}

struct FailureCase {
  const char* device;
  bool lengthened;  // P2732's pulse is a fixed 5 ms sleep
};

void PrintTo(const FailureCase& c, std::ostream* os) {
  *os << c.device;
}

class NeverPrograms : public ::testing::TestWithParam<FailureCase> {};

// A cell that never takes its byte: exactly 254 pulses, the last 199 lengthened, the report
// with the device address and both bytes, the alert raised and the rest left unprogrammed.
TEST_P(NeverPrograms, GivesUpAfter254PulsesAndReports) {
  const FailureCase c = GetParam();
  Rig rig(5, c.device);
  rig.ui.SetEnabled(Ctl::Program_button, true);
  rig.PrepareProgramming({0xFF, 0xFF, 0x00, 0x00});
  (rig.p.*AlgorithmFor(c.device))();
  const auto& b = rig.p.board;
  if (c.lengthened) {
    EXPECT_EQ(rig.Count(S(b.ShortDelayCount)), 254);
    EXPECT_EQ(rig.Count(S(b.LongDelayCount)), 199);
  } else {
    EXPECT_EQ(rig.Count(Z(5)), 254);
  }
  EXPECT_EQ(rig.ui.log, (std::vector<std::string>{
                            "Programming Started... Wait ", "*** Programming Failure ***",
                            "*** Address:2h, Programming BYTE:0h, Read BYTE:FFh",
                            "*** Aborting Programming - Click on [ERROR] Indicator to Reset"}));
  EXPECT_EQ(rig.ui.sounds, std::vector<std::string>{"ERROR"});
  EXPECT_EQ(rig.p.ProgramFailed, 1);
  EXPECT_TRUE(panel::IndicatorLit(rig.ui, Ctl::Error_label));
  EXPECT_TRUE(panel::IndicatorLit(rig.ui, Ctl::Program_label));
  EXPECT_FALSE(rig.ui.Enabled(Ctl::Program_button));
  EXPECT_EQ(rig.p.SavedButtonStates[0], "True");
  // Voltage off, chip off, outputs off: the last latch writes; byte 3 never reached.
  const auto reg0 = rig.Latch(0);
  ASSERT_GE(reg0.size(), 2U);
  EXPECT_EQ(reg0[reg0.size() - 2], 0x00);
  EXPECT_EQ(reg0.back(), 0x40);
  EXPECT_EQ(b.CurrentAddress, 2);
}

INSTANTIATE_TEST_SUITE_P(EveryAlgorithm, NeverPrograms,
                         ::testing::Values(FailureCase{"Eprom 2732", false},
                                           FailureCase{"Eprom 27128", true},
                                           FailureCase{"Eprom 27C4001", true},
                                           FailureCase{"Eprom 27C801", true},
                                           FailureCase{"Eprom 27C2001", true}));

struct SkipCase {
  const char* device;
  bool skips_equal;  // the byte is read before pulsing and left alone when it already matches
};

void PrintTo(const SkipCase& c, std::ostream* os) {
  *os << c.device;
}

class SkippedBytes : public ::testing::TestWithParam<SkipCase> {};

// FFh bytes are never pulsed; a byte the device already holds is left alone only by the
// algorithms that read first. Every byte still steps the address and the lamp.
TEST_P(SkippedBytes, FFAndAlreadyEqualBytes) {
  const SkipCase c = GetParam();
  Rig rig(4, c.device);
  rig.device.answer = [](int64_t) { return uint8_t{0x12}; };  // the device already holds 12h
  std::vector<uint8_t> image(1024, 0xFF);
  image[700] = 0x12;
  rig.PrepareProgramming(image);
  (rig.p.*AlgorithmFor(c.device))();
  const auto latch4 = rig.Latch(4);
  const bool pulsed = std::find(latch4.begin(), latch4.end(), 0x12) != latch4.end();
  EXPECT_EQ(pulsed, !c.skips_equal);
  EXPECT_EQ(rig.p.ProgramFailed, 0);
  EXPECT_EQ(rig.p.board.CurrentAddress, 1024);
  // The lamp toggles on bytes 0, 64, 128, ... / 0, 512 / 0 (periods 64, 512, 1024).
  int toggles = 0;
  for (const auto& r : rig.ui.repaints) toggles += r == panel::Ref(Ctl::Program_label) ? 1 : 0;
  EXPECT_EQ(toggles, c.device == std::string("Eprom 2732")     ? 16
                     : c.device == std::string("Eprom 27C512") ? 1
                                                               : 2);
}

INSTANTIATE_TEST_SUITE_P(EveryAlgorithm, SkippedBytes,
                         ::testing::Values(SkipCase{"Eprom 2732", true},
                                           SkipCase{"Eprom 2764", false},
                                           SkipCase{"Eprom 27C256", false},
                                           SkipCase{"Eprom 27C512", true},
                                           SkipCase{"Eprom 27C1001", false}));

// --- The command -----------------------------------------------------------------------------

struct CommandRig : Rig {
  CommandRig() : Rig(5, "Eprom 27C256") {
    for (Ctl c : {Ctl::Program_button, Ctl::Verify_button, Ctl::Read_button, Ctl::Display_button})
      ui.SetEnabled(c, true);
    panel::SetIndicator(ui, Ctl::Error_label, false);
    panel::SetIndicator(ui, Ctl::Program_label, false);
    std::fill_n(p.buf.CodeBuffer.begin(), 32768, uint8_t{0xFF});
    testing_support::TakeAsImage(p, 32768);
  }
  bool Programmed() const {  // any byte other than FFh driven onto the device
    const auto latch4 = Latch(4);
    return std::any_of(latch4.begin(), latch4.end(), [](int v) { return v != 0xFF; });
  }
};

TEST(ProgramCode, CancelAtTheQuestionTouchesNothing) {
  CommandRig rig;
  rig.p.buf.CodeBuffer[5] = 0x00;
  rig.ui.ok_cancel_replies = {false};
  rig.p.Program_button_Click();
  EXPECT_TRUE(rig.ui.boxes.at(0).text.starts_with("Program the Device?\n"));
  EXPECT_EQ(rig.ui.boxes.at(0).title, "Safety Question");
  EXPECT_EQ(rig.ui.log, (std::vector<std::string>{"Programming Button Pressed",
                                                  "Programming was Canceled by Operator"}));
  EXPECT_FALSE(rig.Programmed());
  EXPECT_EQ(rig.device.reads, 0);
}

// An all-FFh image programs nothing yet walks every byte, then the verify runs and matches.
TEST(ProgramCode, BlankImageSucceedsAndVerifies) {
  CommandRig rig;
  rig.ui.SetValue(Ctl::VerifyAfterProgramming, 1);
  rig.p.Program_button_Click();
  EXPECT_EQ(rig.ui.log, (std::vector<std::string>{
                            "Programming Button Pressed",
                            testing_support::WholeDeviceLine(32768, "are programmed"),
                            "Programming Started... Wait ", "Programming Device Successfull",
                            "Verify Function Started... Wait",
                            testing_support::WholeDeviceLine(32768, "are compared"),
                            "Device Contents MATCHES with Buffer Contents"}));
  EXPECT_EQ(rig.ui.sounds, (std::vector<std::string>{"OK", "OK"}));
  EXPECT_FALSE(rig.Programmed());
  EXPECT_EQ(rig.device.reads, 32768);  // the verify's reads only
  EXPECT_FALSE(panel::IndicatorLit(rig.ui, Ctl::DataFlow_label));
  EXPECT_FALSE(panel::IndicatorLit(rig.ui, Ctl::Program_label));
  EXPECT_EQ(rig.ui.BackColor(Ctl::Verify_button), panel::kButtonFace);
}

// A failed blank check stops the command without a word of its own.
TEST(ProgramCode, NotBlankStopsBeforeProgramming) {
  CommandRig rig;
  rig.p.buf.CodeBuffer[0] = 0x00;
  rig.ui.SetValue(Ctl::CheckBlankPriorProgramming, 1);
  rig.ui.SetValue(Ctl::VerifyAfterProgramming, 1);
  rig.device.answer = [](int64_t n) { return n == 3 ? uint8_t{0x7E} : uint8_t{0xFF}; };
  rig.p.Program_button_Click();
  EXPECT_EQ(rig.ui.log,
            (std::vector<std::string>{
                "Programming Button Pressed", "Checking Device for BLANK (Erased)... Wait",
                "Device bytes 0h..7FFFh are checked", "Device IS NOT BLANK (ERASED)",
                "Address: 3 ][ Device Data: 7E", "Click on [ERROR] alert to Reset the Situation"}));
  EXPECT_FALSE(rig.Programmed());
  EXPECT_EQ(rig.device.reads, 4);
}

// After a programming failure no verify runs; the board is reset at the end of the command.
TEST(ProgramCode, FailureSkipsTheVerify) {
  CommandRig rig;
  rig.p.buf.CodeBuffer[0x10] = 0x00;
  rig.ui.SetValue(Ctl::VerifyAfterProgramming, 1);
  rig.p.Program_button_Click();
  ASSERT_EQ(rig.ui.log.size(), 6U);
  EXPECT_EQ(rig.ui.log[4], "*** Address:10h, Programming BYTE:0h, Read BYTE:FFh");
  EXPECT_EQ(rig.ui.log.back(), "*** Aborting Programming - Click on [ERROR] Indicator to Reset");
  EXPECT_EQ(rig.device.reads, 254);
  EXPECT_TRUE(panel::IndicatorLit(rig.ui, Ctl::DataFlow_label));
  EXPECT_EQ(rig.p.board.Reg3, 0xC6);  // reset: chip off, data driver off
  EXPECT_EQ(rig.p.board.Reg0, 0x40);
}

TEST(ProgramCode, UnknownDeviceCodeIsStatus9) {
  CommandRig rig;
  rig.p.dev.DeviceCode = "PM";  // a row the list offers as N/A, so only a fault could set it
  rig.p.dev.Row = testing_support::RowOfCode("PM");
  rig.p.Program_button_Click();
  EXPECT_EQ(rig.ui.log,
            (std::vector<std::string>{"Programming Button Pressed",
                                      testing_support::WholeDeviceLine(32768, "are programmed"),
                                      "Device Not Supported - Status 9 - Please Report"}));
  EXPECT_EQ(rig.ui.sounds, std::vector<std::string>{"ERROR"});
  EXPECT_EQ(rig.p.ProgramStatus, 9);
}

// An alert not yet cleared stops the command after the question, silently.
TEST(ProgramCode, LitErrorIndicatorStopsSilently) {
  CommandRig rig;
  rig.p.buf.CodeBuffer[0] = 0x00;
  panel::SetIndicator(rig.ui, Ctl::Error_label, true);
  rig.p.Program_button_Click();
  EXPECT_EQ(rig.ui.log, std::vector<std::string>{"Programming Button Pressed"});
  EXPECT_FALSE(rig.Programmed());
}

// "Hi Byte" on a 2732: 2048 bytes, a step every 20; the bar stops at its maximum.
TEST(GoProgressiveBar1, StepsEveryProgressStepAndStopsAtMax) {
  Rig rig(5, "Eprom 2732");
  rig.ui.SetMax(Ctl::ProgressBar1, 100);
  rig.ui.SetValue(Ctl::ProgressBar1, 0);
  rig.p.ProgressStep = static_cast<int16_t>(2048 / 99);
  rig.p.ProgressCount = 0;
  for (int i = 0; i < 39; ++i) rig.p.GoProgressiveBar1();
  EXPECT_EQ(rig.ui.Value(Ctl::ProgressBar1), 1);
  for (int i = 39; i < 2048; ++i) rig.p.GoProgressiveBar1();
  EXPECT_EQ(rig.ui.Value(Ctl::ProgressBar1), 100);
}

}  // namespace
}  // namespace eprom_test
