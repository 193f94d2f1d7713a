#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "board/board.h"

namespace devices {

// How the program writes a device. Each EPROM algorithm is named after the parts it serves.
enum class ProgramAlgorithm : uint8_t {
  None,          // no algorithm yet: the programming command reports Status 9
  P2732,         // 2732: VPP on OE, the pulse on CE
  P2764_128,     // 2764 / 27128: the pulse on PGM (latch-1 bit 6)
  P27256,        // 27256: the pulse on CE, VPP routed by latch-0 bit 4
  P27C040,       // 27C4001 / 27C040: as the 27256, VPP routed by latch-0 bit 5
  P27080,        // 27C512 / 27C080: VPP on OE, the pulse on CE
  P27010_020,    // 27C010 / 27C020: the pulse on PGM (latch-3 bit 2)
  X28C256,       // the X28C256 EEPROM's page writes
  AT29C256,      // the AT29C256's page writes
  CommandFlash,  // 32-pin byte-programming Flash, chosen by the maker its ID mode reports
  SectorFlash,   // 32-pin Atmel sector-write Flash: the same walk, which writes whole sectors
  AtmelEeprom,   // the AT28C256 / AT28C64B EEPROMs' page writes, on the X28C256's wiring
};

// How the program erases a device.
enum class EraseAlgorithm : uint8_t {
  None,          // the erase commands do not apply
  ProgramFF,     // an EEPROM without an erase command: written with FFh throughout
  AT29C256,      // the six-cycle chip erase, erased within 20 ms
  CommandFlash,  // the 32-pin chip erase, which may take seconds and reports DQ5 on failure
  SectorFlash,   // the 32-pin Atmel chip erase: the same command, erased within 20 ms
};

// How the program talks to a Flash chip's command interface (ID mode, erase, reset).
enum class FlashCommands : uint8_t {
  None,       // no command interface
  PageWrite,  // the AT29C256: 5555h / 2AAAh, sent as its page-write cycles
  Strobed,    // the 32-pin chips: 5555h / 2AAAh, strobed on latch-3 bit 2
};

// How the device walk (read, blank check, verify) and the view load an address on the latches.
enum class AddressLoad : uint8_t {
  None,   // the device cannot be walked or viewed yet
  Eprom,  // all three address latches through the maps
  Xicor,  // the X28C256 wiring, writing only the latches that change
  Flash,  // as an EPROM, through the Flash parts' maps
};

// Which busy-wait lengths the device's timing needs.
enum class SpeedClass : uint8_t {
  Standard,
  Nmos,          // the old 2732 / 2764 generation needs long pulses and slow latches
  EightMegabit,  // the 8-Mbit parts take short ones
};

// What memories the device has: the microcontroller has a data memory beside its program.
enum class Memories : uint8_t { Code, CodeAndData };

// One row of the device catalogue: what the list shows and what the program does with the part.
struct DeviceEntry {
  std::string_view Name;  // without the padding to 30 characters
  char Family = ' ';      // 'P' EPROM, 'F' Flash, 'E' EEPROM, 'M' microcontroller
  char Type = ' ';        // type code within the family
  int32_t SizeKB = 0;
  int16_t Reg1Mask = 0;
  int16_t Reg3Mask = 0;
  int16_t VppClass = 0;  // 0..3: which programming voltages the device may take
  bool Supported = false;
  ProgramAlgorithm Program = ProgramAlgorithm::None;
  EraseAlgorithm Erase = EraseAlgorithm::None;
  AddressLoad Addressing = AddressLoad::None;
  board::AddressWiring Wiring = board::AddressWiring::Straight;
  SpeedClass Speed = SpeedClass::Standard;
  Memories Memory = Memories::Code;
  FlashCommands Commands = FlashCommands::None;
  uint8_t FlashMaker = 0;  // what the chip's ID mode reports
  uint8_t FlashDevice = 0;
};

inline constexpr size_t kDeviceCount = 46;
extern const std::array<DeviceEntry, kDeviceCount> DeviceTable;

// The makers whose 32-pin Flash the byte-program command serves: those of the rows programmed
// by ProgramAlgorithm::CommandFlash.
bool ByteProgrammingMaker(int maker);
// The makers whose 32-pin Flash writes whole sectors: those of the ProgramAlgorithm::SectorFlash
// rows.
bool SectorWritingMaker(int maker);
// The makers whose chips raise DQ5 when an erase or byte program exceeds its time, and then
// answer status until a read / reset command (AMIC, AMD, EON). The others have no such bit.
bool ReportsExceededTiming(int maker);
// The row of the chip whose ID mode reports these codes; nullptr when no row names it.
const DeviceEntry* RowOfChip(int maker, int device);
// The part a row stands for, without the family word: "SST SST39SF040" for "Flash SST
// SST39SF040".
std::string_view PartName(const DeviceEntry& entry);
// Whether the device's erase is a chip-erase command that is polled until the chip reads erased.
bool ErasePolled(EraseAlgorithm erase);

// The name padded with blanks to exactly 30 characters, as the list shows it.
std::string PaddedName(const DeviceEntry& entry);
// The Device list's entry for a row: the padded name, or "N/A - " before it when unsupported.
std::string ListEntry(const DeviceEntry& entry);
// The programming voltage a device starts with: "5V" for the 5 V parts, else "12.5V".
inline std::string_view SuggestedVoltage(const DeviceEntry& entry) {
  return entry.VppClass == 0 ? "5V" : "12.5V";
}

// Tool tips of the programming-voltage options: 12.5 V, and the 21 V and 25 V options.
inline constexpr std::string_view kVoltageTip12 =
    "Most CMOS actual Eproms use this Programming Voltage.";
inline constexpr std::string_view kVoltageTipHigh =
    "Carefull. Few Eproms Use This Programming Voltage.  Can damage wrong eproms.";

// The selected device, as every operation reads it.
struct SelectedDevice {
  std::string DeviceName;    // list text without leading and trailing blanks
  std::string DeviceFamily;  // "P", "F", "E", "M"
  std::string DeviceType;
  std::string DeviceCode;  // family letter + type: "P4", "FM", "EN", ...; empty: none selected
  int32_t DeviceSizeKB = 0;
  int32_t DeviceSize = 0;
  int16_t VppClass = 0;
  int16_t ProgVoltage = 0;  // 12 (for 12.5 V), 21 or 25
  int ListIndex = -1;       // its entry in the Device list; -1: none selected
  DeviceEntry Row{};        // what the program does with it; the defaults while none is selected
};

}  // namespace devices
