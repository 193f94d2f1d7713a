#pragma once

#include <stdexcept>
#include <string>
#include <string_view>

#include "devices/catalogue.h"

namespace testing_support {

// The catalogue row of this name, as the Device list would select it.
inline const devices::DeviceEntry& RowNamed(std::string_view name) {
  for (const devices::DeviceEntry& row : devices::DeviceTable) {
    if (row.Name == name) return row;
  }
  throw std::invalid_argument("no device " + std::string(name));
}

// The first catalogue row of a device code ("P4", "FM", ...).
inline const devices::DeviceEntry& RowOfCode(std::string_view code) {
  for (const devices::DeviceEntry& row : devices::DeviceTable) {
    if (code.size() == 2 && row.Family == code[0] && row.Type == code[1]) return row;
  }
  throw std::invalid_argument("no device code " + std::string(code));
}

}  // namespace testing_support
