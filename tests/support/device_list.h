#pragma once

#include <stdexcept>
#include <string>
#include <string_view>

#include "devices/catalogue.h"
#include "operations/programmer.h"

namespace testing_support {

// A board of this model at 378h, its codes and read-back tables ready, as detection leaves it.
inline void BoardAt378(ops::Programmer& p, int model) {
  auto& b = p.board;
  b.PortBase = 0x378;
  b.BoardModel = static_cast<int16_t>(model);
  b.InitControlCodes();
  b.SelectBoardModel();
  b.BuildReadBackTables();
}

// Chooses the device of this name the way the operator does: the device list is filled when it
// is empty and the entry clicked, so the program's own selection handler sets up the board and
// the device, with the slider where the window has it. A row the list offers as "N/A" cannot be
// chosen, and asking for one is the test's mistake.
inline void SelectInTheList(ops::Programmer& p, std::string_view name) {
  if (p.ui.ListCount() == 0) p.FillDeviceList();
  for (size_t i = 0; i < devices::kDeviceCount; ++i) {
    if (devices::DeviceTable[i].Name != name) continue;
    p.SetDeviceIndex(static_cast<int>(i));
    if (p.dev.DeviceName != name) break;
    return;
  }
  throw std::invalid_argument("the device list offers no " + std::string(name));
}

// The 2732A is a 21 V part, the 2732 and the 27C32 25 V parts: the operator picks their voltage
// after the device (the list selects 12.5 V, which the cells of these parts do not take).
inline void ChooseTheChipsVoltage(ops::Programmer& p) {
  const std::string_view name = p.dev.DeviceName;
  if (name == "Eprom 2732A") p.Voltage_button_Click(2);
  if (name == "Eprom 2732" || name == "Eprom 27C32") p.Voltage_button_Click(3);
}

}  // namespace testing_support
