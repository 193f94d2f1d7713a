#include "sim/page_eeprom.h"

#include <gtest/gtest.h>

#include <chrono>
#include <ostream>
#include <vector>

#include "sim/sim_board.h"
#include "sim_driver.h"

namespace {

using namespace std::chrono_literals;
using sim::SimBoard;
using sim_test::Driver;

// The two page-write parts differ only in wiring: the AT29C256's write strobe is latch-1 bit 7
// with A8..A14 below it; the X28C256's is latch-1 bit 6, with A14 moved up to bit 7.
struct PageCase {
  const char* name;
  bool atmel;
};
void PrintTo(const PageCase& c, std::ostream* os) {
  *os << c.name;
}
const PageCase kAtmel{"Flash Atmel AT29C256", true};
const PageCase kXicor{"Eeprom XICOR X28C256", false};

struct PageSocket {
  explicit PageSocket(const PageCase& c, int model = 5)
      : board(model), d(board, model), atmel(c.atmel) {
    EXPECT_TRUE(board.InsertDevice(c.name));
    chip = dynamic_cast<sim::PageEeprom*>(board.chip());
    chip->SetWriteTime(2ms);  // these tests are about sequences; shorter than the datasheet's
    d.Idle(Strobe(), 0x02);
  }
  uint8_t Strobe() const { return atmel ? 0x80 : 0x40; }
  uint8_t Mid(uint32_t a) const {
    const auto mid = static_cast<uint8_t>((a >> 8) & 0x7F);
    if (atmel) return static_cast<uint8_t>(mid | 0x80);
    return static_cast<uint8_t>((mid & 0x3F) | (mid & 0x40) << 1 | 0x40);
  }
  // One write cycle: address and byte presented, chip enabled, strobe low (for `low`) and high,
  // chip off.
  void Write(uint32_t a, uint8_t data, sim::Nanos low = sim::Nanos{0}) {
    d.OutputEnable(false);
    d.Set(3, 0x82);  // chip off, driver on, fixed bit 1
    d.Set(1, Mid(a));
    d.Set(2, static_cast<uint8_t>(a));
    d.Latch(4, data);
    d.ChipEnable(true);
    d.ClearBits(1, Strobe());
    board.TimePassed(low);
    d.SetBits(1, Strobe());
    d.ChipEnable(false);
  }
  void Command(uint8_t third) {
    Write(0x5555, 0xAA);
    Write(0x2AAA, 0x55);
    Write(0x5555, third);
  }
  void DisableProtection() {
    Command(0x80);
    Command(0x20);
    board.TimePassed(10ms);
  }
  void LoadPage(uint32_t first, const std::vector<uint8_t>& bytes) {
    for (size_t i = 0; i < bytes.size(); ++i) Write(static_cast<uint32_t>(first + i), bytes[i]);
  }
  uint8_t Read(uint32_t a) {
    d.Set(3, 0xC2);
    d.Set(1, Mid(a));
    d.Set(2, static_cast<uint8_t>(a));
    d.DriverOff();
    return d.ReadCycle();
  }

  SimBoard board;
  Driver d;
  bool atmel;
  sim::PageEeprom* chip = nullptr;
};

std::vector<uint8_t> Pattern(size_t n, uint8_t seed) {
  std::vector<uint8_t> v(n);
  for (size_t i = 0; i < n; ++i) v[i] = static_cast<uint8_t>(seed + i * 3);
  return v;
}

class PageParts : public ::testing::TestWithParam<PageCase> {};

// A page loaded after protection is off is written once the load window closes and the write
// time has passed; until then reads show bit 7 of the last byte inverted.
TEST_P(PageParts, WritesALoadedPageAfterItsWriteTime) {
  for (const int model : {4, 5}) {
    PageSocket s(GetParam(), model);
    ASSERT_NE(s.chip, nullptr);
    s.DisableProtection();
    const uint32_t sector = 0x7FC0;  // the top page: A14 and every line below in use
    const auto page = Pattern(64, 0x80);
    s.LoadPage(sector, page);
    EXPECT_EQ(s.Read(sector + 63) & 0x80, ~page[63] & 0x80);
    s.board.TimePassed(3ms);
    for (uint32_t i = 0; i < 64; ++i) ASSERT_EQ(s.Read(sector + i), page[i]) << i;
    EXPECT_EQ(s.chip->ProgramPulses(), 1U);
    EXPECT_EQ(s.Read(0x3FC0), 0xFF);  // A14 really decoded
  }
}

TEST_P(PageParts, ProtectedChipTakesOnlyPrefixedPages) {
  PageSocket s(GetParam());
  s.chip->SetProtected(true);
  s.LoadPage(0x100, Pattern(64, 0));
  s.board.TimePassed(5ms);
  EXPECT_EQ(s.Read(0x100), 0xFF);
  EXPECT_EQ(s.chip->ProgramPulses(), 0U);
  s.Command(0xA0);
  s.LoadPage(0x100, Pattern(64, 0));
  s.board.TimePassed(5ms);
  EXPECT_EQ(s.Read(0x101), 3);
  EXPECT_TRUE(s.chip->Protected());
  s.DisableProtection();
  EXPECT_FALSE(s.chip->Protected());
  s.LoadPage(0x140, Pattern(64, 9));
  s.board.TimePassed(5ms);
  EXPECT_EQ(s.Read(0x140), 9);
}

// Bytes written further apart than the byte-load window are separate write cycles, and loads
// arriving while a page is being written are lost.
TEST_P(PageParts, LoadWindowAndBusyPeriodBoundThePage) {
  PageSocket s(GetParam());
  s.Write(0x200, 0x11);
  s.board.TimePassed(1ms);
  s.Write(0x201, 0x22);  // during the first byte's write: ignored
  s.board.TimePassed(5ms);
  s.Write(0x202, 0x33);
  s.board.TimePassed(5ms);
  EXPECT_EQ(s.chip->ProgramPulses(), 2U);
  EXPECT_EQ(s.Read(0x201), 0xFF);
  EXPECT_EQ(s.Read(0x202), 0x33);
  // The Flash's second write rewrote the whole sector, the first byte with it.
  EXPECT_EQ(s.Read(0x200), s.atmel ? 0xFF : 0x11);
}

// Where each part measures its byte-load window from: the AT29C256 from the end of the last load
// (150 us until the next one starts), the X28C256 from its start (100 us, falling edge to falling
// edge). A load that starts in time joins the page however long its strobe is then held; a late
// one finds the chip writing the first byte alone and is lost. One write cycle of this rig takes
// some 36 us of port accesses, 32 us from strobe high to the next strobe low.
TEST(PageEeprom, ByteLoadWindowIsMeasuredAsEachPartCountsIt) {
  using std::chrono::microseconds;
  struct Case {
    microseconds first_low, gap, second_low;
    bool atmel_takes_both, xicor_takes_both;
  };
  const Case cases[] = {
      {microseconds(0), microseconds(40), microseconds(0), true, true},     // 72 us / 76 us
      {microseconds(60), microseconds(50), microseconds(0), true, false},   // 82 us / 146 us
      {microseconds(0), microseconds(100), microseconds(60), true, false},  // held past 150 us
      {microseconds(0), microseconds(130), microseconds(0), false, false},  // 162 us / 166 us
  };
  for (const Case& c : cases) {
    for (const PageCase& part : {kAtmel, kXicor}) {
      PageSocket s(part);
      s.Write(0x300, 0x12, c.first_low);
      s.board.TimePassed(c.gap);
      s.Write(0x301, 0x34, c.second_low);
      s.board.TimePassed(5ms);
      const bool both = part.atmel ? c.atmel_takes_both : c.xicor_takes_both;
      EXPECT_EQ(s.chip->ProgramPulses(), 1U) << part.name;
      EXPECT_EQ(s.Read(0x300), 0x12) << part.name;
      EXPECT_EQ(s.Read(0x301), both ? 0x34 : 0xFF)
          << part.name << ", gap " << c.gap.count() << " us";
    }
  }
}

TEST_P(PageParts, IgnoringCommandsMeansNothingIsWritten) {
  PageSocket s(GetParam());
  s.chip->IgnoreCommands(true);
  s.LoadPage(0, Pattern(64, 1));
  s.board.TimePassed(5ms);
  EXPECT_EQ(s.Read(0), 0xFF);
}

INSTANTIATE_TEST_SUITE_P(Both, PageParts, ::testing::Values(kAtmel, kXicor),
                         [](const ::testing::TestParamInfo<PageCase>& p) {
                           return std::string(p.param.atmel ? "AT29C256" : "X28C256");
                         });

// Half a page loaded: the Flash rewrites its whole 64-byte sector (unloaded bytes FFh); the
// EEPROM writes only the bytes loaded.
TEST(PageEeprom, UnloadedBytesOfAPage) {
  for (const PageCase& c : {kAtmel, kXicor}) {
    PageSocket s(c);
    s.chip->Load(std::vector<uint8_t>(64, 0x00), 0x400);
    s.LoadPage(0x400, Pattern(32, 0x40));
    s.board.TimePassed(5ms);
    EXPECT_EQ(s.Read(0x400), 0x40) << c.name;
    EXPECT_EQ(s.Read(0x43F), c.atmel ? 0xFF : 0x00) << c.name;
  }
}

TEST(PageEeprom, AtmelIdentificationAndChipErase) {
  PageSocket s(kAtmel);
  s.chip->Load(std::vector<uint8_t>{0x00, 0x01, 0x02});
  s.Command(0x90);
  EXPECT_TRUE(s.chip->InIdMode());
  EXPECT_EQ(s.Read(0), 0x00);  // the codes come 10 ms after the command; until then the cells
  s.board.TimePassed(10ms);
  EXPECT_EQ(s.Read(0), 0x1F);
  EXPECT_EQ(s.Read(1), 0xDC);
  s.Command(0xF0);
  EXPECT_EQ(s.Read(1), 0x01);
  s.Command(0x80);
  s.Command(0x10);
  EXPECT_NE(s.Read(2), 0xFF);  // erasing
  s.board.TimePassed(100ms);
  EXPECT_EQ(s.Read(2), 0xFF);
  EXPECT_EQ(s.chip->Erases(), 1U);
}

TEST(PageEeprom, XicorHasNoIdentificationMode) {
  PageSocket s(kXicor);
  s.chip->SetProtected(true);  // the three cycles are then no loads either
  s.Command(0x90);
  EXPECT_FALSE(s.chip->InIdMode());
  EXPECT_EQ(s.Read(0), 0xFF);
  EXPECT_EQ(s.Read(1), 0xFF);
}

TEST(PageEeprom, ReadsBackAfterBeingTakenOutAndPutBack) {
  SimBoard board;
  ASSERT_TRUE(board.InsertDevice("Eeprom XICOR X28C256"));
  board.chip()->Load(std::vector<uint8_t>{0x77});
  ASSERT_TRUE(board.InsertDevice("Eprom 27C256"));
  ASSERT_TRUE(board.InsertDevice("Eeprom XICOR X28C256"));
  EXPECT_EQ(board.chip()->Contents()[0], 0x77);
}

}  // namespace
