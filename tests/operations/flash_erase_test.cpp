// Chip erase of the Flash devices and the FFh fill of the X28C256.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "flash_fixture.h"

namespace {

using flash_testing::Count;
using flash_testing::Rig;
using Lines = std::vector<std::string>;
using panel::Ctl;

Lines Filtered(const Lines& steps, const std::string& prefix) {
  Lines out;
  for (const auto& s : steps) {
    if (s.rfind(prefix, 0) == 0) out.push_back(s);
  }
  return out;
}

// After the ID bytes and the two array-mode bytes, the chip reads busy (00h) `busy_polls` times
// and then erased (FFh); busy_polls < 0: it never finishes.
void ChipErasing(Rig& r, uint8_t maker, uint8_t device, int busy_polls) {
  r.socket.answer = [maker, device, busy_polls](const flash_testing::ScriptedSocket& s) {
    if (s.reads == 1) return maker;
    if (s.reads == 2) return device;
    if (s.reads <= 4) return uint8_t{0x00};
    const bool done = busy_polls >= 0 && s.reads - 4 > busy_polls;
    return done ? uint8_t{0xFF} : uint8_t{0x00};
  };
}

TEST(EraseFlash, EonChipAsAM29F040GetsTheSixCycleEraseAndPollsAt5555h) {
  Rig r(flash_testing::kAM29F040);
  ChipErasing(r, 0x1C, 0x04, 3);
  r.p.EraseFlash_button_Click();
  EXPECT_EQ(r.ui.log,
            (Lines{"Device ID# 1C04 - EON EN29F040 Flash Memory",
                   "The chip in the socket is an EON EN29F040: select Flash EON EN29F040",
                   "Erasing AMIC/AMD/EON Flash Memory... Wait", "Flash Memory Erase Complete"}));
  EXPECT_EQ(r.ui.sounds, (Lines{"DONE"}));
  const Lines steps = r.Steps();
  EXPECT_EQ(Filtered(steps, "F4="), (Lines{"F4=AA", "F4=55", "F4=90", "F4=AA", "F4=55", "F4=F0",
                                           "F4=AA", "F4=55", "F4=80", "F4=AA", "F4=55", "F4=10"}));
  EXPECT_EQ(Count(steps, "sleep100"), 1);
  EXPECT_EQ(Count(steps, "sleep5"), 3);
  EXPECT_EQ(r.socket.reads, 4 + 4);
  EXPECT_EQ(r.socket.read_addresses.back(), 0x5555);
  EXPECT_EQ(r.p.board.Reg3 & 0xC0, 0x80);  // chip enable off, data driver back on
  EXPECT_EQ(r.ui.Value(Ctl::ProgressBar1), 0);
  EXPECT_EQ(r.ui.Max(Ctl::ProgressBar1), 100);
}

TEST(EraseFlash, AT29C256GetsSixCommandCyclesWithoutSliderWaitAndPollsAt5555h) {
  Rig r(flash_testing::kAT29C256);
  ChipErasing(r, 0x1F, 0xDC, 0);
  r.p.EraseFlash_button_Click();
  EXPECT_EQ(r.ui.log,
            (Lines{"Device ID# 1FDC - ATMEL 29C256 Flash Memory",
                   "Erasing Atmel 29C256 Flash Memory... Wait", "Flash Memory Erase Complete"}));
  const Lines steps = r.Steps();
  EXPECT_EQ(Filtered(steps, "F4="), (Lines{"F4=AA", "F4=55", "F4=90", "F4=AA", "F4=55", "F4=F0",
                                           "F4=AA", "F4=55", "F4=80", "F4=AA", "F4=55", "F4=10"}));
  // Identification: entry and exit each end with the chip's 10 ms; the erase does not.
  EXPECT_EQ(Filtered(steps, "sleep"),
            (Lines{"sleep10", "sleep10", "sleep20", "sleep20", "sleep100"}));
  EXPECT_EQ(r.socket.latch[1], 0xD5);
  EXPECT_EQ(r.socket.latch[2], 0x55);
  EXPECT_EQ(r.ui.sounds, (Lines{"DONE"}));
}

struct RefusalCase {
  const char* name;
  std::string_view device;
  uint8_t maker, device_code;
};

class EraseRefused : public ::testing::TestWithParam<RefusalCase> {};

TEST_P(EraseRefused, ChipOfTheWrongMakerGetsNoEraseCommand) {
  const RefusalCase c = GetParam();
  Rig r(c.device);
  ChipErasing(r, c.maker, c.device_code, 0);
  r.p.EraseFlash_button_Click();
  EXPECT_EQ(r.ui.log.back(), "*** DEVICE NOT SUPPORTED ***");
  const Lines steps = r.Steps();
  EXPECT_EQ(Count(steps, "F4=80") + Count(steps, "L4=80"), 0);
  EXPECT_EQ(Count(steps, "sleep100"), 0);
  EXPECT_EQ(r.socket.reads, 4);
  EXPECT_TRUE(r.ui.sounds.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Makers, EraseRefused,
    ::testing::Values(RefusalCase{"AtmelInAM29F040Row", flash_testing::kAM29F040, 0x1F, 0xDC},
                      RefusalCase{"AmdInAT29C256Row", flash_testing::kAT29C256, 0x01, 0xA4},
                      RefusalCase{"EmptySocket", flash_testing::kAM29F010, 0xFF, 0xFF}),
    [](const auto& test) { return std::string(test.param.name); });

struct TimeoutCase {
  const char* name;
  std::string_view device;
  uint8_t maker, device_code;
  int polls;  // the 32-pin chips: 100 ms + 12780 x 5 ms cover the family's 64 s chip erase
};

class EraseTimeout : public ::testing::TestWithParam<TimeoutCase> {};

// A chip that never reads erased: polls 5 ms apart for as long as its erase may take, then a
// failure line and the error alert, never "Flash Memory Erase Complete".
TEST_P(EraseTimeout, ReportsTheFailureAndRaisesTheErrorAlert) {
  const TimeoutCase c = GetParam();
  Rig r(c.device);
  r.ui.SetEnabled(Ctl::Program_button, true);
  ChipErasing(r, c.maker, c.device_code, -1);
  r.p.EraseFlash_button_Click();
  const Lines steps = r.Steps();
  EXPECT_EQ(r.socket.reads, 4 + c.polls + 2);  // two more find the chip not toggling
  EXPECT_EQ(Count(steps, "sleep5"), c.polls);
  EXPECT_EQ(r.p.FlashPollState, 0);
  EXPECT_EQ(r.ui.log.back(), "*** Flash Memory Erase Failed - Device did not Read Erased (" +
                                 std::to_string(c.polls) + " Polls) ***");
  EXPECT_EQ(std::count(r.ui.log.begin(), r.ui.log.end(), "Flash Memory Erase Complete"), 0);
  EXPECT_EQ(r.ui.sounds, (Lines{"ERROR"}));
  EXPECT_TRUE(panel::IndicatorLit(r.ui, Ctl::Error_label));
  EXPECT_FALSE(r.ui.Enabled(Ctl::Program_button));
  EXPECT_EQ(r.p.SavedButtonStates[0], "True");
  EXPECT_EQ(r.ui.Value(Ctl::ProgressBar1), 0);
  EXPECT_EQ(r.p.board.Reg3 & 0xC0, 0x80);
}

INSTANTIATE_TEST_SUITE_P(
    Chips, EraseTimeout,
    ::testing::Values(TimeoutCase{"Amic", flash_testing::kAM29F040, 0x37, 0x86, 12780},
                      TimeoutCase{"AT29C256", flash_testing::kAT29C256, 0x1F, 0xDC, 500}),
    [](const auto& test) { return std::string(test.param.name); });

TEST(WaitErased, ProgressMovesTowardsOneHundredWhileTheChipIsBusy) {
  Rig r(flash_testing::kAT29C256);
  std::vector<int> progress;
  r.socket.answer = [&r, &progress](const flash_testing::ScriptedSocket& s) {
    progress.push_back(r.ui.Value(Ctl::ProgressBar1));
    return s.reads > 250 ? uint8_t{0xFF} : uint8_t{0x00};
  };
  r.p.ProgramByte = 0xFF;
  r.p.WaitErased();
  ASSERT_EQ(progress.size(), 251U);
  // Seen at poll k + 1: after poll k (counter 501 - k) the bar shows 100 - counter / 5, rounded.
  EXPECT_EQ(progress[0], 0);
  EXPECT_EQ(progress[3], 0);     // 100 - 498 / 5 = 0.4
  EXPECT_EQ(progress[4], 1);     // 100 - 497 / 5 = 0.6
  EXPECT_EQ(progress[250], 50);  // 100 - 251 / 5 = 49.8
  EXPECT_EQ(r.p.FlashPollState, 250);
  EXPECT_EQ(r.ui.Value(Ctl::ProgressBar1), 0);
}

TEST(EraseFlash, X28C256IsProgrammedWithFFhAndTheCodeBufferIsUntouched) {
  Rig r(flash_testing::kX28C256);
  for (size_t i = 0; i < 32768; ++i) r.p.buf.CodeBuffer[i] = static_cast<uint8_t>(i % 251);
  testing_support::TakeAsImage(r.p, 32768);
  const std::vector<uint8_t> code = r.p.buf.CodeBuffer;
  r.socket.answer = [&r](const flash_testing::ScriptedSocket& s) {
    return r.p.ProgramBuffer[static_cast<size_t>(s.AddressX28C256())];
  };
  r.p.EraseFlash_button_Click();
  EXPECT_EQ(r.ui.log,
            (Lines{"Erasing Program Buffer", "Erasing XICOR 28C256",
                   "Programming 28C256 XICOR Device", "XICOR 28C256 Programmed Sucessfully"}));
  EXPECT_EQ(Count(r.Steps(), "F4=FF"), 32768);
  EXPECT_EQ(r.p.buf.CodeBuffer, code);
  // The operator's image is back in the program buffer afterwards.
  EXPECT_TRUE(std::equal(code.begin(), code.begin() + 32768, r.p.ProgramBuffer.begin()));
}

TEST(EraseFlash, ButtonDoesNothingForAnEprom) {
  Rig r(flash_testing::kEprom27C256);
  r.p.EraseFlash_button_Click();
  EXPECT_EQ(r.io.Totals().outs, 0);
  EXPECT_TRUE(r.ui.log.empty());
}

}  // namespace
