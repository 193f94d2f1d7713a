// The SST39SF0x0, AT29C0x0 and AT28C parts, driven as the program drives them: every command
// cycle to 5555h / 2AAAh, loads as fast strobed cycles, status polled until the chip is done.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

#include "sim/sim_board.h"
#include "sim_driver.h"

namespace {

using namespace std::chrono_literals;
using sim::Nanos;
using sim::SimBoard;
using sim_test::Driver;

enum class Kind : uint8_t { AmdFlash, SstFlash, AtmelFlash, AtmelEeprom };

struct Part {
  const char* name;
  uint32_t size;
  Kind kind;
  uint8_t maker, device;
  uint32_t page;  // sector (SST: erase sector; AT29C: program sector; AT28C: page)
};

// A socket on a model-5 board. 32-pin parts: A16, A17 on latch-3 bits 0, 1, A18 on bit 3, WE on
// bit 2. 28-pin parts: WE on latch-1 bit 6, A14 on bit 7.
struct Socket {
  explicit Socket(const Part& p) : part(p), board(5), d(board, 5) {
    EXPECT_TRUE(board.InsertDevice(p.name));
    pin32 = p.kind != Kind::AtmelEeprom;
    d.Idle(pin32 ? 0x00 : 0x40, pin32 ? 0x04 : 0x00);
  }
  uint8_t High(uint32_t a) const {  // latch 3's address bits, 32-pin
    const auto h = static_cast<uint8_t>((a >> 16) & 0x07);
    return static_cast<uint8_t>((h & 0x03) | (h & 0x04) << 1);
  }
  uint8_t Mid(uint32_t a) const {  // latch 1 without WE, 28-pin
    const auto mid = static_cast<uint8_t>((a >> 8) & 0x7F);
    return static_cast<uint8_t>((mid & 0x3F) | (mid & 0x40) << 1);
  }
  // One fast strobed write cycle: chip off, data, address, chip on, WE low, WE high, chip off.
  void Cycle(uint32_t a, uint8_t data) {
    if (pin32) {
      d.FastLatch(3, 0x84);
      d.FastLatch(4, data);
      d.FastLatch(1, static_cast<uint8_t>(a >> 8));
      d.FastLatch(2, static_cast<uint8_t>(a));
      const uint8_t h = High(a);
      for (const int ctl : {0x04, 0x00, 0x04, 0x84}) d.FastLatch(3, static_cast<uint8_t>(ctl | h));
    } else {
      d.FastLatch(3, 0x80);
      d.FastLatch(4, data);
      d.FastLatch(2, static_cast<uint8_t>(a));
      const uint8_t mid = Mid(a);
      const auto we_high = static_cast<uint8_t>(mid | 0x40);
      d.FastLatch(1, we_high);
      d.FastLatch(3, 0x00);
      d.FastLatch(1, mid);
      d.FastLatch(1, we_high);
      d.FastLatch(3, 0x80);
    }
  }
  void Command(uint8_t command, uint32_t unlock1 = 0x5555, uint32_t unlock2 = 0x2AAA) {
    Cycle(unlock1, 0xAA);
    Cycle(unlock2, 0x55);
    Cycle(unlock1, command);
  }
  uint8_t Read(uint32_t a) {
    d.Latch(0, 0x40);
    d.Latch(4, 0xFF);
    if (pin32) {
      d.Latch(3, static_cast<uint8_t>(0xC4 | High(a)));
      d.Latch(1, static_cast<uint8_t>(a >> 8));
    } else {
      d.Latch(3, 0xC0);
      d.Latch(1, static_cast<uint8_t>(Mid(a) | 0x40));
    }
    d.Latch(2, static_cast<uint8_t>(a));
    return d.ReadCycle();
  }
  // Polls the toggle bit until it stops; how long the chip was busy from `since`.
  Nanos BusyFrom(Nanos since, uint32_t a) {
    uint8_t last = Read(a);
    for (int i = 0; i < 100000; ++i) {
      const uint8_t now = Read(a);
      if (((now ^ last) & 0x40) == 0) return board.Now() - since;
      last = now;
    }
    return Nanos::max();
  }

  Part part;
  SimBoard board;
  Driver d;
  bool pin32 = true;
};

const Part kSst010{"Flash SST SST39SF010A", 128 * 1024, Kind::SstFlash, 0xBF, 0xB5, 4096};
const Part kSst020{"Flash SST SST39SF020A", 256 * 1024, Kind::SstFlash, 0xBF, 0xB6, 4096};
const Part kSst040{"Flash SST SST39SF040", 512 * 1024, Kind::SstFlash, 0xBF, 0xB7, 4096};
const Part kAt010{"Flash Atmel AT29C010A", 128 * 1024, Kind::AtmelFlash, 0x1F, 0xD5, 128};
const Part kAt020{"Flash Atmel AT29C020", 256 * 1024, Kind::AtmelFlash, 0x1F, 0xDA, 256};
const Part kAt040{"Flash Atmel AT29C040A", 512 * 1024, Kind::AtmelFlash, 0x1F, 0xA4, 256};
const Part kAt256{"Eeprom Atmel AT28C256", 32 * 1024, Kind::AtmelEeprom, 0, 0, 64};
const Part kAt64{"Eeprom Atmel AT28C64B", 8 * 1024, Kind::AtmelEeprom, 0, 0, 64};

// Identification at 5555h / 2AAAh reaches every part with it; the same command at 555h / 2AAh
// reaches only the parts that decode A10..A0 (the others see loads or nothing and keep showing
// the array).
TEST(JedecParts, IdentificationAndTheCommandAddressLinesEachPartDecodes) {
  const Part parts[] = {
      kSst010,
      kSst020,
      kSst040,
      kAt010,
      kAt020,
      kAt040,
      {"Flash AMD AM29F010", 128 * 1024, Kind::AmdFlash, 0x01, 0x20, 0},
      {"Flash AMIC A29040", 512 * 1024, Kind::AmdFlash, 0x37, 0x86, 0},
  };
  for (const Part& p : parts) {
    SCOPED_TRACE(p.name);
    Socket s(p);
    s.board.chip()->Load(std::vector<uint8_t>{0x12, 0x34});
    s.Command(0x90, 0x555, 0x2AA);
    s.board.TimePassed(30ms);  // an AT29C takes the three cycles as a sector load and writes it
    const bool short_decoder = p.kind == Kind::AmdFlash;
    EXPECT_EQ(s.Read(0), short_decoder ? p.maker : 0x12);
    EXPECT_EQ(s.Read(1), short_decoder ? p.device : 0x34);
    if (short_decoder) s.Cycle(0, 0xF0);
    s.Command(0x90);
    EXPECT_EQ(s.Read(0), p.maker);  // at once: no wait after the command
    EXPECT_EQ(s.Read(p.size - 0xFFFF), p.device);
    if (p.kind == Kind::AtmelFlash) {
      s.Command(0xF0);
    } else {
      s.Cycle(0x3456, 0xF0);  // a single F0h anywhere leaves it too
    }
    EXPECT_EQ(s.Read(0), 0x12);
    EXPECT_EQ(s.Read(1), 0x34);
  }
}

// Loads split by a pause longer than the byte-load window make two writes; the loads after the
// pause reach a chip already writing and are lost. Meanwhile reads poll: DQ7 the complement of
// the last byte loaded, DQ6 toggling, for the write cycle's 10 ms. The sector Flash rewrites its
// whole sector (unloaded bytes erased); the EEPROMs keep the bytes not loaded.
TEST(JedecParts, ALateLoadSplitsTheSectorAndStatusShowsTheWrite) {
  for (const Part& p : {kAt010, kAt020, kAt040, kAt256, kAt64}) {
    SCOPED_TRACE(p.name);
    Socket s(p);
    const uint32_t base = p.size - p.page;  // the top sector: every address line in use
    s.board.chip()->Load(std::vector<uint8_t>(p.page, 0x00), base);
    const uint32_t half = p.page / 2;
    for (uint32_t i = 0; i < half; ++i) s.Cycle(base + i, static_cast<uint8_t>(0x80 + i));
    s.board.TimePassed(200us);  // the window has closed: the write runs from here
    const Nanos written_from = s.board.Now();
    for (uint32_t i = half; i < p.page; ++i) s.Cycle(base + i, 0x11);
    const uint8_t last = static_cast<uint8_t>(0x80 + half - 1);
    const uint8_t first = s.Read(base + half - 1);
    const uint8_t second = s.Read(base + half - 1);
    EXPECT_EQ(first & 0x80, ~last & 0x80);
    EXPECT_NE(first & 0x40, second & 0x40);
    const Nanos busy = s.BusyFrom(written_from, base);
    EXPECT_GE(busy, 10ms - 200us);  // the window closed up to 150 us before written_from
    EXPECT_LE(busy, 10ms + 1ms);
    for (uint32_t i = 0; i < p.page; ++i) {
      const uint8_t want = i < half                     ? static_cast<uint8_t>(0x80 + i)
                           : p.kind == Kind::AtmelFlash ? uint8_t{0xFF}
                                                        : uint8_t{0x00};
      ASSERT_EQ(s.Read(base + i), want) << i;
    }
  }
}

// The SST parts have no DQ5: a program asking a 0 to become 1 ends after the program time, the
// 0 kept, and the chip takes the next command without a reset. Sector erase (4 KB) takes 18 ms,
// chip erase 70 ms.
TEST(JedecParts, SstProgramAndEraseTimesWithoutDq5) {
  for (const Part& p : {kSst010, kSst020, kSst040}) {
    SCOPED_TRACE(p.name);
    Socket s(p);
    const uint32_t a = p.size - 1;
    s.Command(0xA0);
    s.Cycle(a, 0x0F);
    s.Command(0xA0);
    s.Cycle(a, 0xF3);
    EXPECT_NE(s.Read(a) & 0x80, 0xF3 & 0x80);  // busy: DQ7 inverted
    s.board.TimePassed(20us);
    EXPECT_EQ(s.Read(a), 0x03);
    EXPECT_EQ(s.Read(a) & 0x20, 0x00);
    s.Command(0xA0);
    s.Cycle(a - p.page, 0x00);  // the sector below
    s.board.TimePassed(20us);
    s.Command(0x80);  // sector erase: the sixth cycle, 30h, at an address in the top sector
    s.Cycle(0x5555, 0xAA);
    s.Cycle(0x2AAA, 0x55);
    s.Cycle(a - 5, 0x30);
    Nanos busy = s.BusyFrom(s.board.Now(), a);
    EXPECT_GE(busy, 17ms);
    EXPECT_LE(busy, 19ms);
    EXPECT_EQ(s.Read(a), 0xFF);
    EXPECT_EQ(s.Read(a - p.page), 0x00);  // the sector below kept
    s.Command(0x80);
    s.Command(0x10);
    busy = s.BusyFrom(s.board.Now(), 0);
    EXPECT_GE(busy, 69ms);
    EXPECT_LE(busy, 71ms);
    EXPECT_EQ(s.Read(a - p.page), 0xFF);
  }
}

// Software data protection of the AT28C parts, at the addresses each decodes: the AT28C64B sees
// 5555h as 1555h and takes either; to the AT28C256 1555h is just another byte. While protected, a
// load without the prefix writes nothing but still runs a 10 ms write cycle that reads poll.
TEST(JedecParts, At28cSoftwareDataProtection) {
  struct Case {
    Part part;
    uint32_t unlock1, unlock2;
    bool protects;
  };
  const Case cases[] = {
      {kAt256, 0x5555, 0x2AAA, true},
      {kAt256, 0x1555, 0x0AAA, false},
      {kAt64, 0x5555, 0x2AAA, true},
      {kAt64, 0x1555, 0x0AAA, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.part.name) + " at " + std::to_string(c.unlock1));
    Socket s(c.part);
    s.Command(0xA0, c.unlock1, c.unlock2);  // protection on (or three stray loads)
    s.board.TimePassed(11ms);
    s.Cycle(0x0101, 0x24);  // unprefixed
    const Nanos loaded = s.board.Now();
    s.board.TimePassed(200us);  // past the byte-load window: the write cycle runs
    const Nanos busy = s.BusyFrom(loaded, 0x0101);
    EXPECT_EQ(s.Read(0x0101), c.protects ? 0xFF : 0x24);
    if (c.protects) {
      EXPECT_GE(busy, 9ms);
      EXPECT_LE(busy, 11ms);
      s.Command(0xA0, c.unlock1, c.unlock2);
      s.Cycle(0x0100, 0x42);
      s.board.TimePassed(11ms);
      EXPECT_EQ(s.Read(0x0100), 0x42);
      s.Command(0x80, c.unlock1, c.unlock2);  // protection off
      s.Command(0x20, c.unlock1, c.unlock2);
      s.board.TimePassed(11ms);
      s.Cycle(0x0102, 0x66);
      s.board.TimePassed(11ms);
      EXPECT_EQ(s.Read(0x0102), 0x66);
    }
  }
}

}  // namespace
