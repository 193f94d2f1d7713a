#include "sim/socket_kinds.h"

#include <array>
#include <initializer_list>

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

// Programming time of one cell, from the devices' datasheets:
// - the 2732 family takes the standard algorithm's single 50 ms pulse;
// - the NMOS 2764, 27128 and 27256 take 1 ms pulses (their "intelligent" algorithm);
// - the CMOS parts up to the 27C040 take the 100 us pulse of the quick-pulse algorithm;
// - the 8-Mbit 27C801 / 27C080 take a 50 us pulse.
constexpr Nanos kStandardPulse = std::chrono::milliseconds(50);
constexpr Nanos kNmosPulse = std::chrono::milliseconds(1);
constexpr Nanos kQuickPulse = std::chrono::microseconds(100);
constexpr Nanos kEightMegabitPulse = std::chrono::microseconds(50);

// Page write cycles (the maximum write-cycle time both datasheets give).
constexpr Nanos kAt29c256PageWrite = std::chrono::milliseconds(10);
constexpr Nanos kX28c256PageWrite = std::chrono::milliseconds(5);

constexpr SocketKind Uv(std::string_view name, uint32_t size, const PinMap& pins,
                        Nanos program_time, bool verify_without_ce = false) {
  return {name, ChipFamily::UvEprom, size, pins, verify_without_ce, 0, 0, 0, false, program_time};
}
constexpr SocketKind Flash(std::string_view name, uint32_t size, const PinMap& pins, uint8_t maker,
                           uint8_t device, uint32_t sector) {
  return {name, ChipFamily::CommandFlash, size, pins, false, maker, device, sector};
}

constexpr uint32_t K = 1024;

constexpr std::array kKinds{
    Uv("Eprom 2732A", 4 * K, kP2732, kStandardPulse),
    Uv("Eprom 2732B", 4 * K, kP2732, kStandardPulse),
    Uv("Eprom 2732", 4 * K, kP2732, kStandardPulse),
    Uv("Eprom 27C32", 4 * K, kP2732, kStandardPulse),
    Uv("Eprom 2764", 8 * K, kP2764, kNmosPulse),
    Uv("Eprom 27C64", 8 * K, kP2764, kQuickPulse),
    Uv("Eprom 27128", 16 * K, kP27128, kNmosPulse),
    Uv("Eprom 27C128", 16 * K, kP27128, kQuickPulse),
    Uv("Eprom 27256", 32 * K, kP27256, kNmosPulse, true),
    Uv("Eprom 27C256", 32 * K, kP27256, kQuickPulse, true),
    Uv("Eprom 27C512", 64 * K, kP27512, kQuickPulse),
    Uv("Eprom 27C1001", 128 * K, kP27010, kQuickPulse),
    Uv("Eprom 27C010", 128 * K, kP27010, kQuickPulse),
    Uv("Eprom 27C2001", 256 * K, kP27020, kQuickPulse),
    Uv("Eprom 27C020", 256 * K, kP27020, kQuickPulse),
    Uv("Eprom 27C4001", 512 * K, kP27040, kQuickPulse, true),
    Uv("Eprom 27C040", 512 * K, kP27040, kQuickPulse, true),
    Uv("Eprom 27C801", 1024 * K, kP27080, kEightMegabitPulse),
    Uv("Eprom 27C080", 1024 * K, kP27080, kEightMegabitPulse),
    SocketKind{"Flash Atmel AT29C256", ChipFamily::PageEeprom, 32 * K, kAt29c256, false, 0x1F, 0xDC,
               64, true, kAt29c256PageWrite},
    Flash("Flash AMIC A29040", 512 * K, kF040, 0x37, 0x86, 64 * K),
    Flash("Flash AMD AM29F010", 128 * K, kF010, 0x01, 0x20, 16 * K),
    Flash("Flash AMD AM29F020", 256 * K, kF020, 0x01, 0x8C, 32 * K),
    Flash("Flash AMD AM29F040", 512 * K, kF040, 0x01, 0xA4, 64 * K),
    Flash("Flash EON EN29F040", 512 * K, kF040, 0x1C, 0x04, 64 * K),
    SocketKind{"Eeprom XICOR X28C256", ChipFamily::PageEeprom, 32 * K, kX28c256, false, 0, 0, 64,
               false, kX28c256PageWrite},
};

}  // namespace

const SocketKind* FindSocketKind(std::string_view name) {
  while (!name.empty() && name.back() == ' ') name.remove_suffix(1);
  for (const SocketKind& kind : kKinds) {
    if (kind.name == name) return &kind;
  }
  return nullptr;
}

std::unique_ptr<Chip> MakeChip(const SocketKind& kind) {
  std::string name(kind.name);
  switch (kind.family) {
    case ChipFamily::UvEprom:
      return std::make_unique<Eprom>(std::move(name), kind.size, kind.pins, kind.verify_without_ce,
                                     kind.program_time);
    case ChipFamily::CommandFlash:
      return std::make_unique<CommandFlash>(std::move(name), kind);
    case ChipFamily::PageEeprom:
      return std::make_unique<PageEeprom>(std::move(name), kind);
  }
  return nullptr;
}

}  // namespace sim
