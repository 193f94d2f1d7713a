#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace devices {

// One row of the device catalogue.
struct DeviceEntry {
  std::string_view Name;  // without the padding to 30 characters
  char Family;            // 'P' EPROM, 'F' Flash, 'E' EEPROM, 'M' microcontroller
  char Type;              // type code within the family
  int32_t SizeKB;
  int16_t Reg1Mask;
  int16_t Reg3Mask;
  int16_t VppClass;  // 0..3: which programming voltages the device may take
  bool Supported;
};

inline constexpr size_t kDeviceCount = 38;
extern const std::array<DeviceEntry, kDeviceCount> DeviceTable;

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
};

}  // namespace devices
