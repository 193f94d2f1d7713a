#include "devices/catalogue.h"

namespace devices {

// Placeholder until the catalogue is written in; replaced by that work.
const std::array<DeviceEntry, kDeviceCount> DeviceTable{};

}  // namespace devices
