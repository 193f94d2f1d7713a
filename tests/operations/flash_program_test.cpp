// Programming the AT29C256 and X28C256 sector by sector and the 32-pin Flash chips byte by byte.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "flash_fixture.h"

namespace {

using flash_testing::CommandCycle;
using flash_testing::Count;
using flash_testing::Rig;
using Lines = std::vector<std::string>;
using panel::Ctl;

using testing_support::Hex2;
using testing_support::R;

struct PageCase {
  const char* name;
  std::string_view device;
  void (ops::Programmer::*program)();
  // Latch 3 as the selection left it: the AT29C256's ID probe ends with chip enable off (bit 7).
  std::string latch3_at_start;
  Lines address_load;        // the first address load, before the 500 ms wait
  Lines reset_address_load;  // address load after the reset
  std::string r1_5555_strobed, r1_2aaa, r1_2aaa_strobed;
  std::string settle;        // wait after protection-disable
  std::string sector0_reg1;  // latch 1 for sector 0, strobe inactive / active
  std::string sector0_reg1_strobed;
  Lines log;
};

class PageProgramming : public ::testing::TestWithParam<PageCase> {
 protected:
  // The chip reads back what ProgramBuffer holds at the address its own wiring decodes.
  static void ChipThatTakesEverySector(Rig& r, bool x28c256) {
    r.socket.answer = [&r, x28c256](const flash_testing::ScriptedSocket& s) {
      const int32_t a = x28c256 ? s.AddressX28C256() : s.AddressAT29C256();
      return r.p.ProgramBuffer[static_cast<size_t>(a)];
    };
  }
};

// Protection off, then sector 0: loaded byte by byte with chip enable and the latch-1 strobe on
// fast latch writes (no settling waits, so every load falls within the chip's byte-load
// window), the slider-set write time, then read back with chip enable held on.
TEST_P(PageProgramming, PreparesTheChipAndWritesSectorZeroExactly) {
  const PageCase c = GetParam();
  Rig r(c.device);
  r.p.ProgramLength = 32768;
  ChipThatTakesEverySector(r, c.device == flash_testing::kX28C256);
  (r.p.*c.program)();

  const auto held = [&r](int i) { return r.p.ProgramBuffer[static_cast<size_t>(i)]; };
  Lines expected = c.address_load;
  expected.insert(expected.end(),
                  {"sleep500", "L3=" + c.latch3_at_start, "L0=40", "L3=82"});  // REG4ON OEOFF CEOFF
  expected.insert(expected.end(), {"L0=40", "L1=" + c.sector0_reg1, "L2=00", "L3=C6"});  // Reset
  expected.insert(expected.end(), c.reset_address_load.begin(), c.reset_address_load.end());
  expected.insert(expected.end(), {"L0=40", "L3=82"});
  for (const auto& [data, at5555] : {std::pair{"AA", true},
                                     {"55", false},
                                     {"80", true},
                                     {"AA", true},
                                     {"55", false},
                                     {"20", true}}) {
    const Lines cycle = at5555 ? CommandCycle(data, "D5", "55", c.r1_5555_strobed)
                               : CommandCycle(data, c.r1_2aaa, "AA", c.r1_2aaa_strobed);
    expected.insert(expected.end(), cycle.begin(), cycle.end());
  }
  expected.insert(expected.end(), {"sleep7", c.settle, "L0=40", "L3=82"});
  expected.insert(expected.end(), {"sleep3", "L3=82", "L1=" + c.sector0_reg1});
  for (int i = 0; i < 64; ++i) {
    expected.insert(
        expected.end(),
        {"F2=" + Hex2(i), "F3=82", "F4=" + Hex2(r.p.ProgramBuffer[static_cast<size_t>(i)]), "F3=02",
         "F1=" + c.sector0_reg1_strobed, "F1=" + c.sector0_reg1, "F3=82"});
  }
  // 5 ms is shorter than the chip's write cycle: two reads, at the last byte loaded, show the
  // toggle bit at rest first.
  expected.insert(expected.end(), {"sleep5", "L3=C2", "L3=42", "L0=00", R(held(63)), "L0=40",
                                   "L3=42", "L0=00", R(held(63)), "L0=40"});
  for (int i = 0; i < 64; ++i) {
    expected.insert(expected.end(), {"L2=" + Hex2(i), "L3=42", "L0=00", R(held(i)), "L0=40"});
  }
  expected.push_back("L0=48");  // lamp toggled for sector 0

  const Lines steps = r.Steps();
  ASSERT_GE(steps.size(), expected.size());
  testing_support::ExpectSteps(
      Lines(steps.begin(), steps.begin() + static_cast<ptrdiff_t>(expected.size())), expected);
}

// Every sector takes at its first load: 512 loads, a lamp toggle every 8 sectors, reset at the
// end, and both log lines. The read-back would not match if A14 went to the wrong latch bit.
TEST_P(PageProgramming, AllSectorsVerifyFirstTime) {
  const PageCase c = GetParam();
  Rig r(c.device);
  r.p.ProgramLength = 32768;
  ChipThatTakesEverySector(r, c.device == flash_testing::kX28C256);
  (r.p.*c.program)();
  const Lines steps = r.Steps();
  EXPECT_EQ(r.ui.log, c.log);
  EXPECT_EQ(Count(steps, "sleep3"), 512);
  EXPECT_EQ(Count(steps, "sleep5"), 512);
  EXPECT_EQ(Count(steps, "read="), 32768 + 512 * 2);
  EXPECT_EQ(std::count(r.ui.repaints.begin(), r.ui.repaints.end(), panel::Ref(Ctl::Program_label)),
            64);
  EXPECT_EQ(r.p.ProgressStep, 8);
  EXPECT_EQ(r.ui.Max(Ctl::ProgressBar1), 100);  // the final reset
  EXPECT_EQ(r.p.board.Reg0, 0x40);
}

// Sector 4 never reads back at its byte 5: 79 loads of it, then the failure with the address
// of the byte that differed and Reg0 at 00h; no success line, no reset.
TEST_P(PageProgramming, ASectorThatNeverVerifiesFailsAfterSeventyNineLoads) {
  const PageCase c = GetParam();
  Rig r(c.device);
  r.p.ProgramLength = 32768;
  const bool x28 = c.device == flash_testing::kX28C256;
  constexpr int32_t kBad = 4 * 64 + 5;
  r.socket.answer = [&r, x28](const flash_testing::ScriptedSocket& s) {
    const int32_t a = x28 ? s.AddressX28C256() : s.AddressAT29C256();
    const uint8_t held = r.p.ProgramBuffer[static_cast<size_t>(a)];
    return a == kBad ? static_cast<uint8_t>(held ^ 0x10) : held;
  };
  (r.p.*c.program)();
  const Lines steps = r.Steps();
  EXPECT_EQ(Count(steps, "sleep3"), 4 + 79);
  // and two more after the failure, which find the chip no longer writing
  EXPECT_EQ(Count(steps, "read="), 4 * 64 + 79 * 6 + (4 + 79) * 2 + 2);
  EXPECT_EQ(r.p.board.CurrentAddress, kBad);
  EXPECT_EQ(r.p.ProgramByte, r.p.ProgramBuffer[kBad]);
  EXPECT_EQ(r.p.board.ReadBackByte, r.p.ProgramBuffer[kBad] ^ 0x10);
  EXPECT_EQ(r.p.board.Reg0, 0);
  const auto last_latch0 = std::find_if(steps.rbegin(), steps.rend(),
                                        [](const std::string& s) { return s.starts_with("L0="); });
  ASSERT_NE(last_latch0, steps.rend());
  EXPECT_EQ(*last_latch0, "L0=00");  // the voltage stays off
  EXPECT_EQ(r.p.ProgramFailed, 1);
  EXPECT_TRUE(panel::IndicatorLit(r.ui, Ctl::Error_label));
  EXPECT_EQ(std::count(r.ui.log.begin(), r.ui.log.end(), c.log.back()), 0);
}

INSTANTIATE_TEST_SUITE_P(
    BothPageDevices, PageProgramming,
    ::testing::Values(
        PageCase{"AT29C256",
                 flash_testing::kAT29C256,
                 &ops::Programmer::ProgramAT29C256,
                 "82",
                 {"L1=80", "L2=00", "L3=82"},
                 {"L1=80", "L2=00", "L3=C2"},
                 "55",
                 "AA",
                 "2A",
                 "sleep50",
                 "80",
                 "00",
                 {"Programming Atmel AT29C256", "FLASH Atmel AT29C256 Programmed Sucessfully"}},
        // SETADR_XICOR writes only the latches that change.
        PageCase{"X28C256",
                 flash_testing::kX28C256,
                 &ops::Programmer::ProgramX28C256,
                 "02",
                 {"L1=40", "L3=02"},
                 {"L3=C2"},
                 "95",
                 "6A",
                 "2A",
                 "sleep40",
                 "40",
                 "00",
                 {"Programming 28C256 XICOR Device", "XICOR 28C256 Programmed Sucessfully"}}),
    [](const auto& test) { return std::string(test.param.name); });

// --- The 32-pin Flash byte walk ----------------------------------------------------------------

// Byte-program commands in a trace: the A0h cycle between the 55h cycle and the 5555h address
// (a data byte of A0h is preceded by latch 3 and followed by the page's latch-1 value).
int ProgramCommands(const Lines& steps) {
  int n = 0;
  for (size_t i = 6; i + 1 < steps.size(); ++i) {
    n += steps[i] == "F4=A0" && steps[i - 6] == "F4=55" && steps[i + 1] == "F1=55" ? 1 : 0;
  }
  return n;
}

// The walk ends with the image's last byte, inside its page: the bytes after it are the chip's.
TEST(ProgramFlashById, AmdChipAcrossABankBoundaryEndsWithTheImage) {
  Rig r(flash_testing::kAM29F010, /*keep_trace=*/false);
  r.ChipWithId(0x01, 0x20);
  r.p.ProgramLength = 100000;
  r.p.ProgramFlashByID();
  EXPECT_EQ(r.ui.log, (Lines{"Device ID# 0120 - AMD am29F010 Flash Memory",
                             "Device ID# 0120 - Start programming"}));
  EXPECT_EQ(r.p.LastBank, 1);
  EXPECT_EQ(r.p.LastPage, 134);
  // Every byte read back right at the first try, at its own address.
  EXPECT_EQ(r.p.board.CurrentAddress, 100000);
  EXPECT_EQ(r.socket.reads, 4 + 100000);
  EXPECT_EQ(r.ui.Max(Ctl::ProgressBar1), 391);
  EXPECT_EQ(r.ui.Value(Ctl::ProgressBar1), 391);
  EXPECT_EQ(r.p.board.Reg3 & 0xC4, 0x84);  // chip enable and strobe inactive, driver on
}

TEST(ProgramFlashById, WholeAM29F040ReachesTheBanksBehindTheMovedA18) {
  Rig r(flash_testing::kAM29F040, /*keep_trace=*/false);
  r.ChipWithId(0x01, 0xA4);
  r.p.ProgramLength = 524288;
  r.p.ProgramFlashByID();
  EXPECT_EQ(r.p.board.CurrentAddress, 524288);
  EXPECT_EQ(r.socket.reads, 4 + 524288);
  EXPECT_EQ(r.ui.Max(Ctl::ProgressBar1), 2048);
}

TEST(ProgramFlashById, ByteThatNeverProgramsFailsAfterFortyNineCommands) {
  Rig r(flash_testing::kAM29F040);
  r.ChipWithId(0x37, 0x86, [&r](int32_t a) {
    const uint8_t held = r.p.ProgramBuffer[static_cast<size_t>(a)];
    return a == 0x10 ? static_cast<uint8_t>(held ^ 0x01) : held;
  });
  r.p.ProgramLength = 256;
  r.p.ProgramFlashByID();
  const Lines steps = r.Steps();
  EXPECT_EQ(ProgramCommands(steps), 16 + 49);
  // Each failed verify: two reads that find the chip not busy and one more verify; at the end
  // two that find it no longer busy.
  EXPECT_EQ(r.socket.reads, 4 + 16 + 49 * (1 + 2 + 1) + 2);
  EXPECT_EQ(r.p.board.CurrentAddress, 0x10);
  EXPECT_EQ(r.p.ProgramByte, r.p.ProgramBuffer[0x10]);
  EXPECT_EQ(r.p.ProgramFailed, 1);
  EXPECT_EQ(r.ui.log.end()[-3], "*** Programming Failure ***");
  EXPECT_EQ(r.p.FlashPollState, 1);
}

// An Atmel sector-write part (1Fh) whose sector size the ID table does not give is refused as
// well: a sector walk of the wrong size would leave bytes of each sector undefined.
TEST(ProgramFlashById, ChipOfAnotherMakerIsRefusedWithoutAProgramCommand) {
  for (const auto& [maker, line] : {std::pair{0xFF, "FFFF - Not Supported"},
                                    {0xC2, "C2FF - Not Supported"},
                                    {0x1F, "1FFF - Not Supported: its sector size is not known"}}) {
    Rig r(flash_testing::kAM29F040);
    r.ChipWithId(static_cast<uint8_t>(maker), 0xFF, [](int32_t) { return uint8_t{0xFF}; });
    r.p.ProgramStatus = 1;
    r.p.ProgramFlashByID();
    EXPECT_EQ(r.ui.log.back(), "Device ID# " + std::string(line));
    EXPECT_EQ(r.p.ProgramStatus, 0);
    EXPECT_EQ(ProgramCommands(r.Steps()), 0);
  }
}

TEST(VerifyFlashByte, ReadsWithChipAndOutputEnableAndFlagsAMismatch) {
  for (const auto& [held, state] : {std::pair{0x5A, 0}, {0x5B, 1}}) {
    Rig r(flash_testing::kAM29F040);
    r.socket.answer = [held = held](const flash_testing::ScriptedSocket&) {
      return static_cast<uint8_t>(held);
    };
    r.p.board.Reg3 = 0x84;
    r.p.ProgramByte = 0x5A;
    r.p.VerifyFlashByte();
    EXPECT_EQ(r.Steps(), (Lines{"L3=C4", "L3=44", "L0=00", R(held), "L0=40", "L3=C4", "L3=84"}));
    EXPECT_EQ(r.p.FlashPollState, state);
  }
}

}  // namespace
