// Command cycles and identification of the Flash and EEPROM devices, as latch traces.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "flash_fixture.h"

namespace {

using flash_testing::CommandCycle;
using flash_testing::Count;
using flash_testing::Rig;
using Lines = std::vector<std::string>;

Lines Concat(std::initializer_list<Lines> parts) {
  Lines all;
  for (const Lines& part : parts) all.insert(all.end(), part.begin(), part.end());
  return all;
}

TEST(SendFlashCommand, ThirtyTwoPinChipsTakeTwentyTwoFastWritesAfterOutputEnableOff) {
  Rig r(flash_testing::kAM29F040);
  r.p.FlashCommand = 0x90;
  r.p.SendFlashCommand();
  EXPECT_EQ(r.Steps(),
            (Lines{"L0=40",                                                        // OEOFF
                   "F3=84", "F4=AA", "F1=55", "F2=55", "F3=04", "F3=00", "F3=04",  // AAh at 5555h
                   "F3=84", "F4=55", "F1=2A", "F2=AA", "F3=04", "F3=00", "F3=04",  // 55h at 2AAAh
                   "F3=84", "F4=90", "F1=55", "F2=55", "F3=04", "F3=00", "F3=04", "F3=84"}));
  // The shadows still describe the latches as they were before the fast writes.
  EXPECT_EQ(r.p.board.Reg1, 0);
  EXPECT_EQ(r.p.board.Reg3, 0);
  EXPECT_EQ(r.p.board.Reg4, 0);
}

TEST(SendFlashCommand, AT29C256TakesThreeCommandCyclesAndItsWriteCycle) {
  Rig r(flash_testing::kAT29C256);
  r.p.FlashCommand = 0xF0;
  r.p.SendFlashCommand();
  const Lines steps = r.Steps();
  EXPECT_EQ(steps, Concat({{"L0=40", "L3=82"},
                           CommandCycle("AA", "D5", "55", "55"),
                           CommandCycle("55", "AA", "AA", "2A"),
                           CommandCycle("F0", "D5", "55", "55"),
                           {"sleep10"}}));  // the chip's 10 ms: longer than slider 18's 7
}

// The slider's wait, never shorter than the chip's 10 ms write cycle.
TEST(SendFlashCommand, SliderSetsTheWaitAfterTheAT29C256Command) {
  for (const auto& [slider, wait] : {std::pair{1, 24}, std::pair{15, 10}, std::pair{20, 10}}) {
    Rig r(flash_testing::kAT29C256);
    r.ui.SetValue(panel::Ctl::Slider1, slider);
    r.p.FlashCommand = 0x90;
    r.p.SendFlashCommand();
    EXPECT_EQ(r.Steps().back(), "sleep" + std::to_string(wait));
  }
}

struct ProtectionCase {
  const char* name;
  std::string_view device;
  void (ops::Programmer::*disable)();
  const char* strobed_5555;  // latch 1 while the write strobe is active, at 5555h and 2AAAh
  const char* at_2aaa;
  const char* strobed_2aaa;
};

class ProtectionDisable : public ::testing::TestWithParam<ProtectionCase> {};

TEST_P(ProtectionDisable, SixCyclesBetweenLatchThreeSetupAndTheSliderWait) {
  const ProtectionCase c = GetParam();
  Rig r(c.device);
  (r.p.*c.disable)();
  EXPECT_EQ(r.Steps(), Concat({{"L0=40", "L3=82"},
                               CommandCycle("AA", "D5", "55", c.strobed_5555),
                               CommandCycle("55", c.at_2aaa, "AA", c.strobed_2aaa),
                               CommandCycle("80", "D5", "55", c.strobed_5555),
                               CommandCycle("AA", "D5", "55", c.strobed_5555),
                               CommandCycle("55", c.at_2aaa, "AA", c.strobed_2aaa),
                               CommandCycle("20", "D5", "55", c.strobed_5555),
                               {"sleep7"}}));
}

INSTANTIATE_TEST_SUITE_P(BothPageDevices, ProtectionDisable,
                         ::testing::Values(
                             // AT29C256: strobe on latch-1 bit 7, A8..A14 straight.
                             ProtectionCase{"AT29C256", flash_testing::kAT29C256,
                                            &ops::Programmer::SDPDisable_FLASH, "55", "AA", "2A"},
                             // X28C256: strobe on latch-1 bit 6 held high, A14 moved to bit 7.
                             ProtectionCase{"X28C256", flash_testing::kX28C256,
                                            &ops::Programmer::SDPDisable_XICOR, "95", "6A", "2A"}),
                         [](const auto& test) { return std::string(test.param.name); });

TEST(ProgramFlashByte, ThreeUnlockCyclesThenTheDataCycleFromTheShadows) {
  Rig r(flash_testing::kAM29F040);
  r.p.board.Reg1 = 0x12;
  r.p.board.Reg2 = 0x34;
  r.p.board.Reg3 = 0x8C;  // bank 4 (A18 on bit 3), data driver on, chip off, strobe high
  r.p.ProgramByte = 0x5A;
  r.p.ProgramFlashByte();
  EXPECT_EQ(r.Steps(),
            (Lines{"F3=84",                                               //
                   "F4=AA", "F1=55", "F2=55", "F3=04", "F3=00", "F3=84",  // AAh at 5555h
                   "F4=55", "F1=2A", "F2=AA", "F3=04", "F3=00", "F3=84",  // 55h at 2AAAh
                   "F4=A0", "F1=55", "F2=55", "F3=04", "F3=00", "F3=84",  // A0h at 5555h
                   "F4=5A", "F1=12", "F2=34", "F3=8C", "F3=0C", "F3=08", "F3=8C"}));
  EXPECT_EQ(r.p.board.Reg3, 0x8C);
  EXPECT_EQ(r.p.board.Reg1, 0x12);
  EXPECT_EQ(r.p.board.Reg2, 0x34);
}

TEST(ResetFlash, OneResetCommandStrobedOnLatchThreeBitTwo) {
  Rig r(flash_testing::kAM29F040);
  r.p.ResetFlash_Click();
  EXPECT_EQ(r.Steps(), (Lines{"L3=80", "L0=40", "L4=F0", "L3=80", "L3=00", "L3=80", "L3=84"}));
  EXPECT_TRUE(r.ui.log.empty());
}

TEST(LoopFlashTest, RepeatsTheProgramCommandAThousandTimesPerSliderStep) {
  Rig r(flash_testing::kAM29F040, /*keep_trace=*/false);
  r.ui.SetValue(panel::Ctl::Slider1, 2);
  r.p.LoopFlashTest_Click();
  EXPECT_EQ(r.io.Totals().outs, 2000 * 26 * 3);
  EXPECT_EQ(r.io.Totals().spins, 2000);
  EXPECT_EQ(r.io.Totals().spin_passes, 2000 * 10000);
  EXPECT_EQ(r.io.Totals().ins, 0);
  EXPECT_TRUE(r.ui.log.empty());
}

// --- Identification -----------------------------------------------------------------------------

struct IdCase {
  const char* name;
  uint8_t maker, device;   // answered in ID mode
  uint8_t plain0, plain1;  // the bytes at addresses 0 and 1 in array mode
  const char* code;
  Lines log;
  int16_t sector_size;
};

class Identify : public ::testing::TestWithParam<IdCase> {};

TEST_P(Identify, NamesTheChipFromItsCodes) {
  const IdCase c = GetParam();
  Rig r(flash_testing::kAM29F040);
  r.ChipWithId(c.maker, c.device, [&c](int32_t a) { return a == 0 ? c.plain0 : c.plain1; });
  r.p.IdentifyFlash();
  EXPECT_EQ(r.p.FlashCode, c.code);
  EXPECT_EQ(r.ui.log, c.log);
  EXPECT_EQ(r.p.FlashSectorSize, c.sector_size);
  EXPECT_EQ(r.p.FlashMaker, c.maker);
  EXPECT_EQ(r.p.FlashDevice, c.device);
  // ID mode and then array mode, each at addresses 0 and 1.
  EXPECT_EQ(r.socket.read_addresses, (std::vector<int32_t>{0, 1, 0, 1}));
}

INSTANTIATE_TEST_SUITE_P(
    Codes, Identify,
    ::testing::Values(IdCase{"Eon",
                             0x1C,
                             0x04,
                             0x00,
                             0x00,
                             "1C04",
                             {"Device ID# 1C04 - EON EN29F040 Flash Memory",
                              "The chip in the socket is an EON EN29F040: select Flash EON "
                              "EN29F040"},
                             512},
                      IdCase{"Amd010",
                             0x01,
                             0x20,
                             0x12,
                             0x34,
                             "0120",
                             {"Device ID# 0120 - AMD am29F010 Flash Memory",
                              "The chip in the socket is an AMD AM29F010: select Flash AMD "
                              "AM29F010"},
                             512},
                      IdCase{"Amic",
                             0x37,
                             0x86,
                             0xFF,
                             0xFF,
                             "3786",
                             {"Device ID# 3786 - AMIC A29040 Flash Memory",
                              "The chip in the socket is an AMIC A29040: select Flash AMIC A29040"},
                             512},
                      IdCase{"Atmel040A",
                             0x1F,
                             0xA4,
                             0xFF,
                             0xFF,
                             "1FA4",
                             {"Device ID# 1FA4 - ATMEL 29C040A Flash Memory",
                              "The chip in the socket is an Atmel AT29C040A: select Flash Atmel "
                              "AT29C040A"},
                             256},
                      IdCase{"CodeNotInTable",
                             0x01,
                             0x0A,
                             0xFF,
                             0xFF,
                             "010A",
                             {"Device ID# 010A -  Not Valid!!!"},
                             0},
                      // A chip that ignores the commands shows its first two bytes in both modes.
                      IdCase{"IgnoresCommands",
                             0x1F,
                             0xDC,
                             0x1F,
                             0xDC,
                             "1FDC",
                             {"*** Not a Flash Unit, Address 00&01 = FlashCode ***",
                              "Device ID# 1FDC - ATMEL 29C256 Flash Memory"},
                             64},
                      IdCase{"EmptySocket",
                             0xFF,
                             0xFF,
                             0xFF,
                             0xFF,
                             "FFFF",
                             {"*** Not a Flash Unit, Address 00&01 = FlashCode ***",
                              "Device ID# FFFF -  Not Valid!!!"},
                             0}),
    [](const auto& test) { return std::string(test.param.name); });

TEST(Identify, EntersIdModeReadsExitsThenReadsArrayModeAndLeavesTheBoardIdle) {
  Rig r(flash_testing::kAM29F040);
  r.ChipWithId(0x1C, 0x04);
  r.p.IdentifyFlash();
  const Lines steps = r.Steps();
  // Lamp on and output enable off after the reset; F4 carries 90h (entry) and F0h (exit).
  std::vector<std::string> commands;
  for (const auto& s : steps) {
    if (s.rfind("F4=", 0) == 0) commands.push_back(s);
  }
  EXPECT_EQ(commands, (Lines{"F4=AA", "F4=55", "F4=90", "F4=AA", "F4=55", "F4=F0"}));
  EXPECT_EQ(Count(steps, "sleep20"), 2);
  EXPECT_EQ(Count(steps, "read="), 4);
  EXPECT_EQ(r.p.board.Reg0 & 0x48, 0x40);  // lamp off, output enable inactive
  EXPECT_EQ(r.p.board.Reg3 & 0xC0, 0xC0);  // chip enable inactive, data driver off
  EXPECT_EQ(r.p.board.CurrentAddress, 2);
  EXPECT_EQ(r.p.FlashPlainCode, "0007");  // what ProgramBuffer (the default array) holds
}

TEST(ShowFlashCodeId, AnEepromGetsTheFirstLineOnlyAndKeepsTheLastMaker) {
  Rig r(flash_testing::kX28C256);
  r.p.FlashMaker = 0x37;
  r.p.FlashSectorSize = 512;
  r.p.menuFlashShowCodeID_Click();
  EXPECT_EQ(r.ui.log, (Lines{"Reading Flash Code ID_________________ wait"}));
  EXPECT_EQ(r.p.FlashMaker, 0x37);
  EXPECT_EQ(r.p.FlashSectorSize, 0);
  EXPECT_EQ(r.io.Totals().outs, 0);
}

TEST(ShowFlashCodeId, AFlashChipIsIdentifiedAfterTheFirstLine) {
  Rig r(flash_testing::kAM29F040);
  r.ChipWithId(0x01, 0xA4);
  r.p.menuFlashShowCodeID_Click();
  EXPECT_EQ(r.ui.log, (Lines{"Reading Flash Code ID_________________ wait",
                             "Device ID# 01A4 - AMD am29F040 Flash Memory"}));
}

TEST(ProbeFlashId, AT29C256ReadsBothCodesInIdModeAndReturnsToArrayModeSilently) {
  Rig r(flash_testing::kAT29C256);
  r.ChipWithId(0x1F, 0xDC);
  const int32_t address = r.p.board.CurrentAddress;  // where the probe at selection left it
  r.p.ProbeFlashID();
  const Lines steps = r.Steps();
  Lines waits;
  for (const auto& s : steps) {
    if (s.rfind("sleep", 0) == 0) waits.push_back(s);
  }
  EXPECT_EQ(waits, (Lines{"sleep10", "sleep10", "sleep20"}));  // entry, exit, settle
  EXPECT_EQ(Count(steps, "F4=90"), 1);
  EXPECT_EQ(Count(steps, "F4=F0"), 1);
  EXPECT_EQ(Count(steps, "read="), 2);
  EXPECT_EQ(Count(steps, "F3=84"), 0);  // no fast writes for this chip
  EXPECT_EQ(r.p.board.CurrentAddress, address + 1);
  EXPECT_TRUE(r.ui.log.empty());
}

}  // namespace
