#include "devices/catalogue.h"

namespace devices {

// The devices the board can take, in list order. Reg1Mask and Reg3Mask are the fixed levels
// (supply, program and chip-select pins that sit where larger parts have address lines) that
// every address load ORs into latches 1 and 3; VppClass says which programming voltages the
// part may be given.
constexpr std::array<DeviceEntry, kDeviceCount> DeviceTable{{
    {"Eprom 2732A", 'P', '1', 4, 0x20, 0, 3, true},
    {"Eprom 2732B", 'P', '1', 4, 0x20, 0, 1, true},
    {"Eprom 2732", 'P', '1', 4, 0x20, 0, 3, true},
    {"Eprom 27C32", 'P', '1', 4, 0x20, 0, 3, true},
    {"Eprom 2764", 'P', '2', 8, 0xC0, 2, 3, true},
    {"Eprom 27C64", 'P', '2', 8, 0xC0, 2, 1, true},
    {"Eprom 27128", 'P', '3', 16, 0xC0, 2, 3, true},
    {"Eprom 27C128", 'P', '3', 16, 0xC0, 2, 1, true},
    {"Eprom 27256", 'P', '4', 32, 0x80, 2, 3, true},
    {"Eprom 27C256", 'P', '4', 32, 0x80, 2, 1, true},
    {"Eprom 27C512", 'P', '5', 64, 0, 2, 1, true},
    {"Eprom 27C1001", 'P', '6', 128, 0, 0x0C, 1, true},
    {"Eprom 27C010", 'P', '6', 128, 0, 0x0C, 1, true},
    {"Eprom 27C2001", 'P', '7', 256, 0, 0x0C, 1, true},
    {"Eprom 27C020", 'P', '7', 256, 0, 0x0C, 1, true},
    {"Eprom 27C4001", 'P', '8', 512, 0, 8, 1, true},
    {"Eprom 27C040", 'P', '8', 512, 0, 8, 1, true},
    {"Eprom 27C801", 'P', '9', 1024, 0, 0, 1, true},
    {"Eprom 27C080", 'P', '9', 1024, 0, 0, 1, true},
    {"Eprom 27C080 OTP", 'P', 'M', 1024, 0, 0, 1, false},
    {"Flash Atmel AT29C256", 'F', 'A', 32, 0x80, 2, 0, true},
    {"Flash AMIC A29040", 'F', 'L', 512, 0, 4, 0, true},
    {"Flash AMD AM29F010", 'F', 'S', 128, 0, 4, 0, true},
    {"Flash AMD AM29F020", 'F', 'R', 256, 0, 4, 0, true},
    {"Flash AMD AM29F040", 'F', 'M', 512, 0, 4, 0, true},
    {"Flash EON EN29F040", 'F', 'M', 512, 0, 4, 0, true},
    {"Flash Atmel AT29F040", 'F', 'N', 512, 0, 4, 0, false},
    {"Flash Catalyst CAT28F001", 'F', 'O', 128, 0, 0x0C, 0, false},
    {"Flash Catalyst CAT28F010", 'F', 'P', 128, 0, 0x0C, 0, false},
    {"Flash Catalyst CAT28F020", 'F', 'Q', 256, 0, 0x0C, 0, false},
    {"Eeprom XICOR X28C256", 'E', 'N', 32, 0x40, 2, 0, true},
    {"Eeprom Catalyst CAT28C256", 'E', 'O', 32, 0x40, 2, 0, false},
    {"Eeprom Catalyst CAT28C257", 'E', 'P', 32, 0x40, 2, 0, false},
    {"Eeprom 24C08 Serial (8 pins)", 'E', 'A', 1, 0, 0, 0, false},
    {"Eeprom 24C16 Serial (8 pins)", 'E', 'B', 2, 0, 0, 0, false},
    {"Eeprom 24C32 Serial (8 pins)", 'E', 'C', 4, 0, 0, 0, false},
    {"Eeprom 24C256 Serial (8 pins)", 'E', 'E', 32, 0, 0, 0, false},
    {"uC Atmel AT90S2313 Micro", 'M', 'J', 1024, 0, 0, 0, false},
}};

namespace {
// The list shows every name in a column of this width.
constexpr size_t kNameWidth = 30;

constexpr bool NamesFitTheColumn() {
  for (const DeviceEntry& entry : DeviceTable) {
    if (entry.Name.empty() || entry.Name.size() > kNameWidth) return false;
  }
  return true;
}
static_assert(NamesFitTheColumn(), "every device name must fit the list's 30-character column");
}  // namespace

std::string PaddedName(const DeviceEntry& entry) {
  std::string name(entry.Name);
  if (name.size() < kNameWidth) name.append(kNameWidth - name.size(), ' ');
  return name;
}

std::string ListEntry(const DeviceEntry& entry) {
  return entry.Supported ? PaddedName(entry) : "N/A - " + PaddedName(entry);
}

}  // namespace devices
