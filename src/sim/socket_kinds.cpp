#include "sim/socket_kinds.h"

#include <array>
#include <initializer_list>
#include <string>

#include "sim/command_flash.h"
#include "sim/eprom.h"
#include "sim/page_eeprom.h"

namespace sim {
namespace {

// A0..A7 always come from latch 2; A8 upward from the first `mid_lines` bits of latch 1; the
// lines above that from the latch bits listed.
constexpr PinMap Wire(uint8_t mid_lines, std::initializer_list<LatchBit> upper,
                      std::optional<LatchBit> strobe, uint8_t vpp_bits) {
  PinMap p;
  uint8_t n = 0;
  for (uint8_t b = 0; b < 8; ++b) p.address[n++] = LatchBit{2, b};
  for (uint8_t b = 0; b < mid_lines; ++b) p.address[n++] = LatchBit{1, b};
  for (const LatchBit lb : upper) p.address[n++] = lb;
  p.address_lines = n;
  p.strobe = strobe;
  p.vpp_bits = vpp_bits;
  return p;
}

// Latch-0 bits that route the programming voltage: onto pin 24 (the output-enable / VPP pin
// of the 24-pin 2732 family and of the 27C512 / 27C080), onto the VPP pin of the 28-pin parts,
// onto pin 1 of the 32-pin parts.
constexpr uint8_t kVppPin24 = 0x80;
constexpr uint8_t kVpp28Pin = 0x10;
constexpr uint8_t kVpp32Pin = 0x20;

constexpr LatchBit kPgm28{1, 6};  // PGM of the 2764 / 27128, where a 27256 has A14
constexpr LatchBit kPgm32{3, 2};  // PGM of the 27C010 / 27C020 (pin 31)
constexpr LatchBit kWe32{3, 2};   // WE of the 32-pin Flash (pin 31); A18 moves to latch 3 bit 3
constexpr LatchBit kWeAtmel{1, 7};
constexpr LatchBit kWeXicor{1, 6};  // A14 moves to latch 1 bit 7

constexpr PinMap kP2732 = Wire(4, {}, std::nullopt, kVppPin24);
constexpr PinMap kP2764 = Wire(5, {}, kPgm28, kVpp28Pin);
constexpr PinMap kP27128 = Wire(6, {}, kPgm28, kVpp28Pin);
constexpr PinMap kP27256 = Wire(7, {}, std::nullopt, kVpp28Pin);
constexpr PinMap kP27512 = Wire(8, {}, std::nullopt, kVppPin24);
constexpr PinMap kP27010 = Wire(8, {{3, 0}}, kPgm32, kVpp32Pin);
constexpr PinMap kP27020 = Wire(8, {{3, 0}, {3, 1}}, kPgm32, kVpp32Pin);
constexpr PinMap kP27040 = Wire(8, {{3, 0}, {3, 1}, {3, 2}}, std::nullopt, kVpp32Pin);
constexpr PinMap kP27080 = Wire(8, {{3, 0}, {3, 1}, {3, 2}, {3, 3}}, std::nullopt, kVppPin24);
constexpr PinMap kF010 = Wire(8, {{3, 0}}, kWe32, 0);
constexpr PinMap kF020 = Wire(8, {{3, 0}, {3, 1}}, kWe32, 0);
constexpr PinMap kF040 = Wire(8, {{3, 0}, {3, 1}, {3, 3}}, kWe32, 0);
constexpr PinMap kAt29c256 = Wire(7, {}, kWeAtmel, 0);
constexpr PinMap kX28c256 = Wire(6, {{1, 7}}, kWeXicor, 0);
// The 8 KB AT28C64B in the same socket: A13 (pin 26) and A14 (pin 1) are not connected on it.
constexpr PinMap kAt28c64b = Wire(5, {}, kWeXicor, 0);

// Programming time of one cell:
// - the CMOS parts up to the 27C040 take the quick-pulse algorithm's 100 us pulse (ST M27C256B,
//   "Table 10. Programming Mode AC Characteristics": tPW 95 to 105 us; ST M27C1001 the same);
// - the 8-Mbit 27C801 / 27C080 take a 50 us pulse (ST M27C801, "Programming Flowchart");
// - the 2732 family the standard algorithm's single 50 ms pulse, and the NMOS 2764, 27128 and
//   27256 the 1 ms pulses of their "intelligent" algorithm: their AC programming tables were not
//   at hand, so these two are the algorithms' names for them, not table figures.
constexpr Nanos kStandardPulse = std::chrono::milliseconds(50);
constexpr Nanos kNmosPulse = std::chrono::milliseconds(1);
constexpr Nanos kQuickPulse = std::chrono::microseconds(100);
constexpr Nanos kEightMegabitPulse = std::chrono::microseconds(50);

// Programming voltages: the range a pulse needs, and the absolute maximum rating above which
// the part is damaged.
// - 12.5 V parts: 12.75 V +-0.25 V while programming, absolute maximum 14 V (ST M27C256B,
//   "Table 9. Programming Mode DC Characteristics" and "Table 2. Absolute Maximum Ratings"; the
//   M27C1001, M27C4001 and M27C801 give the same 12.75 V +-0.25 V). The NMOS 2764A, 27128A and
//   27256 share the 14 V maximum (ST M2764A, M27128A, M27256, "Table 2. Absolute Maximum
//   Ratings"); their programming tables were not at hand, so they take the CMOS range, which
//   their "12V" programming voltage and 12.5 V verify level fall in.
// - 21 V parts: absolute maximum 22 V (ST M2732A and NTE2764, "Absolute Maximum Ratings"). Only
//   the nominal "21-V" supply was at hand (TI TMS2732A), not its tolerance: they take 21 V only.
// - 25 V parts (the 2732, and the 27C32 made "compatible with NMOS 2732"): no table was at hand;
//   they take the 25 V their name stands for, and the board cannot go above it.
constexpr VppRating kVpp12{12500, 13000, 14000};
constexpr VppRating kVpp21{21000, 21000, 22000};
constexpr VppRating kVpp25{25000, 25000, 25000};

constexpr EpromPart Part(std::string_view name, const VppRating& vpp, Nanos pulse) {
  return {name, vpp, pulse};
}

// Page write cycles, the longest a page may take: the AT29C256's 10 ms (Atmel AT29C256
// features: "Page (64 Byte) Program Time - 10 ms"); the X28C256's 10 ms, twice its typical 5 ms
// (Xicor X28C256 features: "Byte or Page Write Cycle: 5 ms Typical"; its write-cycle table was
// not at hand). The AT29C256's codes come 10 ms after the identification command, one write
// cycle (its datasheet's note on that wait was not at hand either).
constexpr Nanos kAt29c256PageWrite = std::chrono::milliseconds(10);
constexpr Nanos kX28c256PageWrite = std::chrono::milliseconds(10);
constexpr Nanos kAt29c256IdEntry = std::chrono::milliseconds(10);
// Byte-load windows: the AT29C256's 150 us from the end of the last load; the X28C256's 100 us
// from the start of the last load, its table not at hand, taken from its sibling X28HC256
// ("Page Write Operation": the next load "must begin within 100us of the falling edge of the
// preceding WE").
constexpr Nanos kAt29c256ByteLoad = std::chrono::microseconds(150);
constexpr Nanos kX28c256ByteLoad = std::chrono::microseconds(100);

// AT29C010A / AT29C020 / AT29C040A: "Fast Sector Program Cycle Time - 10 ms" (their feature
// lists); 128-byte sectors on the AT29C010A ("1024 Sectors (128 bytes/sector)"), 256 bytes on
// the others ("1024 Sectors (256 bytes/sector)", "2048 Sectors (256 bytes/sector)"). Their byte
// load table (tBLC) was not at hand: they take the AT29C256's 150 us from the end of the last
// load, the AT29C040A's description calling its algorithm "compatible with other devices in
// Atmel's 5-volt-only Flash family". Chip erase: 20 ms, tEC of Atmel's application note
// "Software Chip Erase" for its parallel EEPROMs (0544B, "Chip Erase Cycle Characteristics":
// "tEC Chip Erase Cycle Time 20 ms Max"); the AT29C0x0's own figure was not at hand. No wait
// after the identification command was found in their text, so the codes come at once.
constexpr Nanos kAt29cSectorWrite = std::chrono::milliseconds(10);
constexpr Nanos kAt29cChipErase = std::chrono::milliseconds(20);

// AT28C256 and AT28C64B, "Page Mode Characteristics" (Microchip AT28C256 6.7, AT28C64B 6.14):
// "Write Cycle Time tWC 10 ms" max, "Byte Load Cycle Time tBLC 150 us" max, 64-byte pages
// ("Page Write": "1 to 64 bytes", "A6-A14" / "A6-A12" select the page). The text says "Each
// successive byte must be written within 150 us (tBLC) of the previous byte"; tBLC being a cycle
// time, it is counted from one load's start to the next one's start. SDP (AT28C64B 6.6.2):
// "any attempt to write to the device without the 3-byte command sequence will start the
// internal write timers. No data will be written", and the enable sequence itself is followed
// by tWC.
constexpr Nanos kAt28cPageWrite = std::chrono::milliseconds(10);
constexpr Nanos kAt28cByteLoad = std::chrono::microseconds(150);

// SST39SF010A / 020A / 040 (SST S71147, Microchip DS20005022C features and "Product
// Description"): "maximum Byte-Program time of 20 usec" (14 us typical); "Sector-Erase Time:
// 18 ms (typical)", "Chip-Erase Time: 70 ms (typical)": the TSE / TSCE maxima of the AC table
// were not at hand, so the erases take their typical times. "Uniform 4 KByte sectors". Table 4
// "Software Command Sequence", note 1: "Address format A14-A0 (Hex), Addresses A15 - AMS can
// be VIL or VIH". The AMD-style parts decode A10..A0: "Address bits A18-A11 are don't cares for
// unlock and command cycles" (AMD Am29LV004, Table 5 note 4; the Am29F040B's own table was not
// at hand); the EN29F040 table gives 555h / 2AAh.
constexpr uint32_t kA10ToA0 = 0x7FF;
constexpr uint32_t kA14ToA0 = 0x7FFF;
constexpr uint32_t kA12ToA0 = 0x1FFF;
constexpr Nanos kSstByteProgram = std::chrono::microseconds(20);
constexpr Nanos kSstSectorErase = std::chrono::milliseconds(18);
constexpr Nanos kSstChipErase = std::chrono::milliseconds(70);

constexpr SocketKind Uv(std::string_view name, uint32_t size, const PinMap& pins,
                        const EpromPart& part, const EpromPart& other = {},
                        bool verify_without_ce = false) {
  SocketKind k{name, ChipFamily::UvEprom, size, pins};
  k.verify_without_ce = verify_without_ce;
  k.part = part;
  k.other_part = other;
  return k;
}
constexpr SocketKind Flash(std::string_view name, uint32_t size, const PinMap& pins, uint8_t maker,
                           uint8_t device, uint32_t sector) {
  SocketKind k{name, ChipFamily::CommandFlash, size, pins, false, maker, device, sector};
  k.command_address_mask = kA10ToA0;
  return k;
}
// SST39SF0x0: maker BFh, 4 KB sectors, commands on A14..A0, no DQ5.
constexpr SocketKind SstFlash(std::string_view name, uint32_t size, const PinMap& pins,
                              uint8_t device) {
  SocketKind k = Flash(name, size, pins, 0xBF, device, 4 * 1024);
  k.command_address_mask = kA14ToA0;
  k.has_dq5 = false;
  k.program_time = kSstByteProgram;
  k.sector_erase_time = kSstSectorErase;
  k.chip_erase_time = kSstChipErase;
  return k;
}
constexpr SocketKind Page(std::string_view name, uint32_t size, const PinMap& pins,
                          uint32_t page_size, Nanos write_time, Nanos byte_load,
                          bool window_from_start) {
  SocketKind k{name, ChipFamily::PageEeprom, size, pins};
  k.sector_size = page_size;
  k.program_time = write_time;
  k.byte_load_window = byte_load;
  k.window_from_cycle_start = window_from_start;
  k.command_address_mask = size >= 32 * 1024 ? kA14ToA0 : kA12ToA0;
  return k;
}
// The Atmel sector Flash: identification and chip erase, codes answered at once.
constexpr SocketKind AtmelFlash(std::string_view name, uint32_t size, const PinMap& pins,
                                uint8_t device, uint32_t sector) {
  SocketKind k = Page(name, size, pins, sector, kAt29cSectorWrite, kAt29c256ByteLoad, false);
  k.maker = 0x1F;
  k.device = device;
  k.has_id_and_erase = true;
  k.chip_erase_time = kAt29cChipErase;
  return k;
}
constexpr SocketKind AtmelEeprom(std::string_view name, uint32_t size, const PinMap& pins) {
  SocketKind k = Page(name, size, pins, 64, kAt28cPageWrite, kAt28cByteLoad, true);
  k.protected_loads_run_write_cycle = true;
  return k;
}

constexpr uint32_t K = 1024;

constexpr std::array kKinds{
    Uv("Eprom 2732A", 4 * K, kP2732, Part("2732A", kVpp21, kStandardPulse)),
    Uv("Eprom 2732B", 4 * K, kP2732, Part("2732B", kVpp12, kStandardPulse)),
    Uv("Eprom 2732", 4 * K, kP2732, Part("2732", kVpp25, kStandardPulse)),
    Uv("Eprom 27C32", 4 * K, kP2732, Part("27C32", kVpp25, kStandardPulse)),
    Uv("Eprom 2764", 8 * K, kP2764, Part("2764A", kVpp12, kNmosPulse),
       Part("2764", kVpp21, kNmosPulse)),
    Uv("Eprom 27C64", 8 * K, kP2764, Part("27C64", kVpp12, kQuickPulse)),
    Uv("Eprom 27128", 16 * K, kP27128, Part("27128A", kVpp12, kNmosPulse),
       Part("27128", kVpp21, kNmosPulse)),
    Uv("Eprom 27C128", 16 * K, kP27128, Part("27C128", kVpp12, kQuickPulse)),
    Uv("Eprom 27256", 32 * K, kP27256, Part("27256", kVpp12, kNmosPulse), {}, true),
    Uv("Eprom 27C256", 32 * K, kP27256, Part("27C256", kVpp12, kQuickPulse), {}, true),
    Uv("Eprom 27C512", 64 * K, kP27512, Part("27C512", kVpp12, kQuickPulse)),
    Uv("Eprom 27C1001", 128 * K, kP27010, Part("27C1001", kVpp12, kQuickPulse)),
    Uv("Eprom 27C010", 128 * K, kP27010, Part("27C010", kVpp12, kQuickPulse)),
    Uv("Eprom 27C2001", 256 * K, kP27020, Part("27C2001", kVpp12, kQuickPulse)),
    Uv("Eprom 27C020", 256 * K, kP27020, Part("27C020", kVpp12, kQuickPulse)),
    Uv("Eprom 27C4001", 512 * K, kP27040, Part("27C4001", kVpp12, kQuickPulse), {}, true),
    Uv("Eprom 27C040", 512 * K, kP27040, Part("27C040", kVpp12, kQuickPulse), {}, true),
    Uv("Eprom 27C801", 1024 * K, kP27080, Part("27C801", kVpp12, kEightMegabitPulse)),
    Uv("Eprom 27C080", 1024 * K, kP27080, Part("27C080", kVpp12, kEightMegabitPulse)),
    [] {
      SocketKind k = Page("Flash Atmel AT29C256", 32 * K, kAt29c256, 64, kAt29c256PageWrite,
                          kAt29c256ByteLoad, false);
      k.maker = 0x1F;
      k.device = 0xDC;
      k.has_id_and_erase = true;
      k.id_entry_time = kAt29c256IdEntry;
      return k;
    }(),
    Flash("Flash AMIC A29040", 512 * K, kF040, 0x37, 0x86, 64 * K),
    Flash("Flash AMD AM29F010", 128 * K, kF010, 0x01, 0x20, 16 * K),
    Flash("Flash AMD AM29F020", 256 * K, kF020, 0x01, 0x8C, 32 * K),
    Flash("Flash AMD AM29F040", 512 * K, kF040, 0x01, 0xA4, 64 * K),
    Flash("Flash EON EN29F040", 512 * K, kF040, 0x1C, 0x04, 64 * K),
    Page("Eeprom XICOR X28C256", 32 * K, kX28c256, 64, kX28c256PageWrite, kX28c256ByteLoad, true),
    // IDs: SST S71147 Table 4 note 5 (BFh; B5h, B6h, B7h).
    SstFlash("Flash SST SST39SF010A", 128 * K, kF010, 0xB5),
    SstFlash("Flash SST SST39SF020A", 256 * K, kF020, 0xB6),
    SstFlash("Flash SST SST39SF040", 512 * K, kF040, 0xB7),
    // IDs: AT29C040A "Operating Modes" note 4 ("Manufacturer Code: 1F, Device Code: A4"); the
    // AT29C010A's D5h and the AT29C020's DAh were not found in an excerpt of theirs.
    AtmelFlash("Flash Atmel AT29C010A", 128 * K, kF010, 0xD5, 128),
    AtmelFlash("Flash Atmel AT29C020", 256 * K, kF020, 0xDA, 256),
    AtmelFlash("Flash Atmel AT29C040A", 512 * K, kF040, 0xA4, 256),
    AtmelEeprom("Eeprom Atmel AT28C256", 32 * K, kX28c256),
    AtmelEeprom("Eeprom Atmel AT28C64B", 8 * K, kAt28c64b),
};

}  // namespace

const SocketKind* FindSocketKind(std::string_view name) {
  while (!name.empty() && name.back() == ' ') name.remove_suffix(1);
  for (const SocketKind& kind : kKinds) {
    if (kind.name == name) return &kind;
  }
  return nullptr;
}

std::unique_ptr<Chip> MakeChip(const SocketKind& kind, bool other_part) {
  std::string name(kind.name);
  switch (kind.family) {
    case ChipFamily::UvEprom:
      return std::make_unique<Eprom>(
          std::move(name), kind.size, kind.pins, kind.verify_without_ce,
          other_part && !kind.other_part.name.empty() ? kind.other_part : kind.part);
    case ChipFamily::CommandFlash:
      return std::make_unique<CommandFlash>(std::move(name), kind);
    case ChipFamily::PageEeprom:
      return std::make_unique<PageEeprom>(std::move(name), kind);
  }
  return nullptr;
}

std::string VoltText(Millivolts level) {
  const int tenths = (level + 50) / 100;
  std::string text = std::to_string(tenths / 10);
  if (tenths % 10 != 0) text += "." + std::to_string(tenths % 10);
  return text + " V";
}

}  // namespace sim
