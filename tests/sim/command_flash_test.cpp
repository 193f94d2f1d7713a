#include "sim/command_flash.h"

#include <gtest/gtest.h>

#include <chrono>
#include <ostream>
#include <string>
#include <vector>

#include "sim/sim_board.h"
#include "sim_driver.h"

namespace {

using namespace std::chrono_literals;
using sim::SimBoard;
using sim_test::Driver;

struct FlashCase {
  const char* name;
  uint32_t size;
  uint8_t maker, device;
};
void PrintTo(const FlashCase& c, std::ostream* os) {
  *os << c.name;
}

const FlashCase kFlashes[] = {
    {"Flash AMD AM29F040", 524288, 0x01, 0xA4}, {"Flash EON EN29F040", 524288, 0x1C, 0x04},
    {"Flash AMIC A29040", 524288, 0x37, 0x86},  {"Flash AMD AM29F010", 131072, 0x01, 0x20},
    {"Flash AMD AM29F020", 262144, 0x01, 0x8C},
};

// A 32-pin Flash on a model-5 board, driven with the cycles the program sends: fixed latch-3
// values 84h (chip off, strobe high, driver on), 04h (chip on), 00h (strobe low as well).
struct FlashSocket {
  explicit FlashSocket(const char* name, int model = 5) : board(model), d(board, model) {
    EXPECT_TRUE(board.InsertDevice(name));
    flash = dynamic_cast<sim::CommandFlash*>(board.chip());
    d.Idle(0x00, 0x04);
  }
  // A16, A17 on latch-3 bits 0 and 1, A18 on bit 3; bit 2 is the write strobe, held high.
  static uint8_t High(uint32_t a) {
    const auto h = static_cast<uint8_t>((a >> 16) & 0x07);
    return static_cast<uint8_t>((h & 0x03) | (h & 0x04) << 1 | 0x04);
  }
  void Cycle(uint32_t a, uint8_t data) {
    d.FastLatch(3, 0x84);
    d.FastLatch(4, data);
    d.FastLatch(1, static_cast<uint8_t>(a >> 8));
    d.FastLatch(2, static_cast<uint8_t>(a));
    const auto h = static_cast<uint8_t>(High(a) & 0x0B);
    d.FastLatch(3, static_cast<uint8_t>(0x04 | h));
    d.FastLatch(3, static_cast<uint8_t>(0x00 | h));
    d.FastLatch(3, static_cast<uint8_t>(0x04 | h));
    d.FastLatch(3, static_cast<uint8_t>(0x84 | h));
  }
  void Command(uint8_t command) {
    d.OutputEnable(false);
    Cycle(0x555, 0xAA);
    Cycle(0x2AA, 0x55);
    Cycle(0x555, command);
  }
  void Program(uint32_t a, uint8_t data) {
    Command(0xA0);
    Cycle(a, data);
  }
  // Normal latch writes take the shadow back in hand after the fast cycles.
  uint8_t Read(uint32_t a) {
    d.Latch(0, 0x40), d.Latch(1, 0), d.Latch(2, 0), d.Latch(3, 0xC4), d.Latch(4, 0xFF);
    return d.ReadAt(a, 0x00, High(a));
  }

  SimBoard board;
  Driver d;
  sim::CommandFlash* flash = nullptr;
};

class Flashes : public ::testing::TestWithParam<FlashCase> {};

TEST_P(Flashes, AutoselectAnswersItsCodesUntilReset) {
  const FlashCase& c = GetParam();
  FlashSocket s(c.name);
  ASSERT_NE(s.flash, nullptr);
  s.flash->Load(std::vector<uint8_t>{0x12, 0x34});
  s.Command(0x90);
  EXPECT_EQ(s.Read(0), c.maker);
  EXPECT_EQ(s.Read(1), c.device);
  EXPECT_EQ(s.Read(0x10000), c.maker);  // in every sector
  s.Command(0xF0);
  EXPECT_EQ(s.Read(0), 0x12);
  EXPECT_EQ(s.Read(1), 0x34);
}

TEST_P(Flashes, ProgramsBytesAtTheTopAndBottomOfTheArray) {
  const FlashCase& c = GetParam();
  FlashSocket s(c.name);
  s.Program(c.size - 1, 0x5A);
  s.Program(0, 0xC3);
  EXPECT_EQ(s.Read(c.size - 1), 0x5A);
  EXPECT_EQ(s.Read(0), 0xC3);
  EXPECT_EQ(s.flash->ProgramPulses(), 2U);
  size_t programmed = 0;
  for (const uint8_t b : s.flash->Contents()) programmed += b != 0xFF;
  EXPECT_EQ(programmed, 2U);
}

INSTANTIATE_TEST_SUITE_P(EveryFlash, Flashes, ::testing::ValuesIn(kFlashes),
                         [](const ::testing::TestParamInfo<FlashCase>& p) {
                           std::string n = p.param.name;
                           return n.substr(n.rfind(' ') + 1);
                         });

TEST(CommandFlash, CyclesOutOfSequenceOrAtOtherAddressesAreNoCommand) {
  FlashSocket s("Flash AMD AM29F040");
  s.Cycle(0x555, 0xA0);  // no unlock
  s.Cycle(0x100, 0x00);
  s.Cycle(0x555, 0xAA);  // second unlock at the wrong address
  s.Cycle(0x2AB, 0x55);
  s.Cycle(0x555, 0xA0);
  s.Cycle(0x101, 0x00);
  EXPECT_EQ(s.Read(0x100), 0xFF);
  EXPECT_EQ(s.Read(0x101), 0xFF);
  EXPECT_EQ(s.flash->ProgramPulses(), 0U);
  // Only A0..A10 take part in the unlock addresses.
  s.Cycle(0x7555, 0xAA);
  s.Cycle(0x12AA, 0x55);
  s.Cycle(0x0D55, 0xA0);
  s.Cycle(0x102, 0x00);
  EXPECT_EQ(s.Read(0x102), 0x00);
}

// A program asking a 0 to become a 1 clears what it can, then the chip stays busy: past its
// longest byte program time it raises DQ5, ignores commands, and only a reset brings back the
// cells, the 0s still 0.
TEST(CommandFlash, ProgrammingAZeroToOneSetsDq5UntilReset) {
  FlashSocket s("Flash EON EN29F040");
  s.Program(0x40000, 0x0F);
  s.Program(0x40000, 0xF1);
  EXPECT_EQ(s.Read(0x40000) & 0x20, 0x00);  // still trying
  s.board.TimePassed(std::chrono::microseconds(300));
  EXPECT_EQ(s.Read(0x40000) & 0xA0, 0x20);  // DQ5, and DQ7 the complement of the data's 1
  EXPECT_NE(s.Read(0x40000) & 0x40, s.Read(0x40000) & 0x40);  // still toggling
  s.Program(0x100, 0x00);
  s.Cycle(0x40000, 0xF0);
  EXPECT_EQ(s.Read(0x40000), 0x01);
  EXPECT_EQ(s.Read(0x100), 0xFF);  // the program command given while it had failed was lost
}

// With no time between the program cycle and the read (port accesses taking none), the
// chip is still writing: bit 7 reads inverted and bit 6 toggles from read to read.
TEST(CommandFlash, ShowsStatusWhileProgramming) {
  FlashSocket s("Flash AMD AM29F010");
  s.board.SetAccessTime(0ns);
  s.Program(0x20, 0x80);
  s.d.Latch(0, 0x40), s.d.Latch(1, 0), s.d.Latch(2, 0x20), s.d.Latch(3, 0xC4);
  s.d.ChipEnable(true);
  s.d.OutputEnable(true);
  const uint8_t first = s.d.ReadBack();
  s.d.OutputEnable(false);
  s.d.OutputEnable(true);
  const uint8_t second = s.d.ReadBack();
  EXPECT_EQ(first & 0x80, 0x00);
  EXPECT_EQ((first ^ second) & 0x40, 0x40);
  s.board.TimePassed(10us);
  EXPECT_EQ(s.d.ReadBack(), 0x80);
}

// Chip erase: 80h then 10h. Reads during the busy period never give FFh; afterwards every
// cell is FFh, stuck bits excepted.
TEST(CommandFlash, ChipEraseTakesItsBusyPeriod) {
  FlashSocket s("Flash AMIC A29040");
  s.flash->SetEraseTime(300ms);
  s.flash->StuckAtZero(0x555, 0);
  s.Program(0x555, 0x00);
  s.Program(0x7FFFF, 0x00);
  s.Command(0x80);
  s.Command(0x10);
  // Poll at the address the command left on the latches, as the erase wait does.
  s.d.Latch(0, 0x40), s.d.Latch(3, 0xC4);
  s.d.ChipEnable(true);
  int busy_reads = 0;
  for (int poll = 0; poll < 500; ++poll) {
    s.d.OutputEnable(true);
    const uint8_t b = s.d.ReadBack();
    s.d.OutputEnable(false);
    if (b == 0xFE) break;  // bit 0 stuck at 0
    ASSERT_NE(b, 0xFF);
    ++busy_reads;
    s.board.TimePassed(5ms);
  }
  EXPECT_GE(busy_reads, 59);
  EXPECT_LE(busy_reads, 61);
  EXPECT_EQ(s.flash->Erases(), 1U);
  EXPECT_EQ(s.Read(0x7FFFF), 0xFF);
}

// An erase that fails inside the chip: status while it runs, then DQ5 (exceeded timing limits)
// with DQ7 still not the erased value, commands ignored and the cells not erased, until a read /
// reset command brings the array back.
TEST(CommandFlash, FailedEraseRaisesDq5UntilReset) {
  FlashSocket s("Flash AMD AM29F040");
  s.Program(0x100, 0x00);
  s.flash->SetEraseTime(2s);
  s.flash->FailErases(true);
  s.Command(0x80);
  s.Command(0x10);
  s.d.Latch(0, 0x40), s.d.Latch(3, 0xC4);
  s.d.ChipEnable(true);
  const auto poll = [&s] {
    s.d.OutputEnable(true);
    const uint8_t b = s.d.ReadBack();
    s.d.OutputEnable(false);
    return b;
  };
  EXPECT_EQ(poll() & 0xA0, 0x00);
  s.board.TimePassed(2s);
  EXPECT_EQ(poll() & 0xA0, 0x20);
  s.Program(0x200, 0x00);  // ignored
  s.d.Latch(0, 0x40), s.d.Latch(3, 0xC4);
  s.d.ChipEnable(true);
  EXPECT_EQ(poll() & 0xA0, 0x20);
  s.d.OutputEnable(false);
  s.Cycle(0x555, 0xF0);
  EXPECT_EQ(s.Read(0x100), 0x00);
  EXPECT_EQ(s.Read(0x200), 0xFF);
}

TEST(CommandFlash, SectorEraseLeavesOtherSectors) {
  FlashSocket s("Flash AMD AM29F040");
  s.Program(0x10000, 0x00);
  s.Program(0x20000, 0x00);
  s.Command(0x80);
  s.d.OutputEnable(false);
  s.Cycle(0x555, 0xAA);
  s.Cycle(0x2AA, 0x55);
  s.Cycle(0x1FFFF, 0x30);
  s.board.TimePassed(1s);
  EXPECT_EQ(s.Read(0x10000), 0xFF);
  EXPECT_EQ(s.Read(0x20000), 0x00);
}

TEST(CommandFlash, AChipIgnoringCommandsReadsItsArray) {
  FlashSocket s("Flash AMD AM29F040");
  s.flash->Load(std::vector<uint8_t>{0x1F, 0xDC});
  s.flash->IgnoreCommands(true);
  s.Command(0x90);
  EXPECT_EQ(s.Read(0), 0x1F);
  EXPECT_EQ(s.Read(1), 0xDC);
  s.Program(5, 0x00);
  EXPECT_EQ(s.Read(5), 0xFF);
  s.flash->IgnoreCommands(false);
  s.flash->AnswerIds(0x1F, 0x5B);
  s.Command(0x90);
  EXPECT_EQ(s.Read(1), 0x5B);
}

TEST(CommandFlash, SlowAndDeadCellsNeedOrRefuseRepeatedCommands) {
  FlashSocket s("Flash AMD AM29F040");
  s.flash->SlowCell(0x30, 3);
  s.flash->NeverPrograms(0x31);
  for (int attempt = 1; attempt <= 3; ++attempt) {
    s.Program(0x30, 0x42);
    s.Program(0x31, 0x42);
    EXPECT_EQ(s.Read(0x30), attempt < 3 ? 0xFF : 0x42) << attempt;
  }
  EXPECT_EQ(s.Read(0x31), 0xFF);
}

}  // namespace
