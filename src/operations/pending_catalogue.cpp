// Placeholder bodies until this area is built; this file is removed by that work.
#include "operations/programmer.h"

namespace ops {
void Programmer::FillDeviceList() {}
void Programmer::DisableDeviceControls() {}
void Programmer::Device_Click() {}
void Programmer::SetSpeedDelays() {}
void Programmer::Slider1_Change() {}
void Programmer::Voltage_button_Click(int) {}
}  // namespace ops
