// The Device list, what choosing a device sets up, the speed slider and the voltage options.
#include <algorithm>
#include <array>
#include <cstdint>
#include <limits>
#include <string>
#include <string_view>

#include "buffers/hex_page.h"
#include "devices/catalogue.h"
#include "operations/programmer.h"

namespace ops {

using panel::Ctl;
using panel::Ref;
using panel::ToolbarButton;
using panel::Voltage_button;

namespace {

constexpr std::string_view kSelectPrompt = "Please Select Device on this List";

std::string Trimmed(std::string_view text) {
  const auto first = text.find_first_not_of(' ');
  if (first == std::string_view::npos) return {};
  const auto last = text.find_last_not_of(' ');
  return std::string(text.substr(first, last - first + 1));
}

// Counts are computed wide and kept within 32 bits, whatever the slider holds.
int32_t DelayCount(int64_t steps, int32_t factor) {
  const int64_t count = steps * factor + 2;
  return static_cast<int32_t>(std::clamp<int64_t>(count, std::numeric_limits<int32_t>::min(),
                                                  std::numeric_limits<int32_t>::max()));
}

constexpr std::array<Ctl, 12> kDeviceMenuEntries = {
    Ctl::menuProgramData, Ctl::menuReadData,    Ctl::menuDisplayData, Ctl::menuVerifyData,
    Ctl::menuEraseData,   Ctl::menuProgramCode, Ctl::menuDisplayCode, Ctl::menuReadCode,
    Ctl::menuVerifyCode,  Ctl::menuEraseCode,   Ctl::menuEraseFlash,  Ctl::menuBlankCheck};

constexpr std::array<Ctl, 9> kDeviceButtons = {
    Ctl::EraseFlash_button, Ctl::Verify_button,  Ctl::Program_button,
    Ctl::Read_button,       Ctl::Display_button, Ctl::Blank_button,
    Ctl::Erase_button,      Ctl::CheckData,      Ctl::CheckCode};

}  // namespace

void Programmer::FillDeviceList() {
  // The list may hold entries put there when the window was designed.
  ui.ClearList();
  for (const devices::DeviceEntry& entry : devices::DeviceTable) {
    ui.AddListItem(devices::ListEntry(entry));
  }
}

void Programmer::DisableDeviceControls() {
  for (int i = 0; i < 4; ++i) ui.SetEnabled(Voltage_button(i), false);
  for (int i = 0; i < 4; ++i) ui.SetValue(Voltage_button(i), 0);
  ui.SetEnabled(ToolbarButton(2), false);
  for (int i = 3; i <= 5; ++i) ui.SetVisible(ToolbarButton(i), false);
  ui.SetEnabled(ToolbarButton(4), false);
  ui.SetEnabled(ToolbarButton(5), false);
  ui.SetEnabled(Ctl::Show_button, false);
  ui.SetCaption(Ctl::Show_button, "Show Data");
  for (Ctl entry : kDeviceMenuEntries) ui.SetEnabled(entry, false);
  for (Ctl button : kDeviceButtons) ui.SetEnabled(button, false);
  ui.SetVisible(Ctl::FileNameDataLabel, false);
  ui.SetVisible(Ctl::FileNameDataSize, false);
  ui.SetVisible(Ctl::FileNameDataText, false);
  ui.SetEnabled(Ctl::menuFlashShowCodeID, false);
  ui.SetCaption(Ctl::Frame3, "Code Buffer Hex/Ascii Display");
}

void Programmer::Device_Click() {
  const int index = ui.ListIndex();
  if (index < 0 || index >= static_cast<int>(devices::kDeviceCount)) {
    ShowDeviceInForce();
    return;
  }
  // An entry without an algorithm cannot be chosen: the selection is cleared, and the device
  // chosen before stays in force.
  std::string name = Trimmed(ui.ListItem(index));
  if (name.starts_with("N/A")) {
    SetDeviceIndex(-1);
    return;
  }
  const devices::DeviceEntry& row = devices::DeviceTable[static_cast<size_t>(index)];
  TakeDeviceRow(row, std::move(name));
  dev.ListIndex = index;
  // The socket holds the new chip before the selection talks to it (the AT29C256 is asked for
  // its identification below): commands meant for it must never reach the chip before it.
  if (DeviceSelected) DeviceSelected(dev.DeviceName);
  board.SetAddressMaps(dev.Row.Wiring);
  SetSpeedFactorsOfDevice();
  SetSpeedDelays();

  dev.DeviceSize = dev.DeviceSizeKB * 1024;
  const int32_t image_length = buf.CodeLength;
  const bool image_of_file = buf.CodeLoaded == 1 && buf.CodeHoldsFile;
  // The buffer now covers the device: a file of another length would not be saved back as it
  // was loaded.
  if (image_length != dev.DeviceSize) buf.CodeHoldsFile = false;
  buf.CodeLength = dev.DeviceSize;
  SetScrollMax(buffers::LastPage(buf.CodeLength, buffers::kCodePageBytes));

  for (Ctl frame : {Ctl::Frame5, Ctl::CheckBlankPriorProgramming, Ctl::VerifyAfterProgramming,
                    Ctl::FrameVoltageSelection}) {
    ui.SetVisible(frame, true);
  }
  DisableDeviceControls();
  for (Ctl control : {Ctl::Read_button, Ctl::menuReadCode, Ctl::Display_button,
                      Ctl::menuDisplayCode, Ctl::Blank_button, Ctl::menuBlankCheck}) {
    ui.SetEnabled(control, true);
  }
  if (dev.Row.Erase != devices::EraseAlgorithm::None) {
    for (Ctl control : {Ctl::EraseFlash_button, Ctl::menuFlashShowCodeID, Ctl::menuEraseFlash}) {
      ui.SetEnabled(control, true);
    }
  }
  ui.SetVisible(Ctl::PleaseSelect, false);
  ui.SetVisible(Ctl::Frame3, true);
  ui.SetVisible(Ctl::BufferDisplay, true);
  ProbeFlashIdOnSelection();
  switch (dev.Row.Memory) {
    case devices::Memories::Code:
      ShowCodeOnlyControls();
      break;
    case devices::Memories::CodeAndData:
      ShowCodeAndDataControls();
      break;
  }
  OfferVoltagesOfDevice();

  if (buf.CodeLoaded == 1) {
    for (Ctl control : {Ctl::Erase_button, Ctl::menuEraseCode, Ctl::Program_button,
                        Ctl::menuProgramCode, Ctl::Verify_button, Ctl::menuVerifyCode}) {
      ui.SetEnabled(control, true);
    }
  }
  if (buf.DataLoaded == 1) {
    ui.SetValue(Ctl::CheckData, 1);
    for (Ctl control : {Ctl::Erase_button, Ctl::menuEraseData, Ctl::Program_button,
                        Ctl::menuProgramData, Ctl::Verify_button, Ctl::menuVerifyData}) {
      ui.SetEnabled(control, true);
    }
  }
  ErrorIndicatorOff();
  DataFlowIndicatorOff();
  ui.LogMessage("Device " + dev.DeviceName + " was Selected");
  ui.LogMessage("Device Size is: " + std::to_string(buf.CodeLength) +
                " Bytes, Initial VPP suggested: " + std::string(devices::SuggestedVoltage(row)));
  if (image_of_file) ReportImageLongerThanDevice(image_length);
  ui.PlayEventSound("DONE");
}

// With no selection the list shows the device the operations act on, or its prompt when no
// device was chosen yet: Read, Blank Chk and Program never act on a device the list hides.
void Programmer::ShowDeviceInForce() {
  ui.SetCaption(Ctl::Device, kSelectPrompt);
  if (dev.ListIndex >= 0) ui.SetListIndex(dev.ListIndex);
}

// A setup slot saved while no device was chosen restores that: no device is in force, so that
// the list, the operations it leaves enabled and the next Save Setup agree that none is.
void Programmer::ClearDeviceSelection() {
  dev = devices::SelectedDevice{};
  ui.SetListIndex(-1);
  ui.SetCaption(Ctl::Device, kSelectPrompt);
  DisableDeviceControls();
}

void Programmer::TakeDeviceRow(const devices::DeviceEntry& row, std::string name) {
  dev.DeviceName = std::move(name);
  dev.DeviceFamily = std::string(1, row.Family);
  dev.DeviceType = std::string(1, row.Type);
  dev.DeviceCode = dev.DeviceFamily + dev.DeviceType;
  dev.DeviceSizeKB = row.SizeKB;
  board.Reg1Mask = row.Reg1Mask;
  board.Reg3Mask = row.Reg3Mask;
  dev.VppClass = row.VppClass;
  dev.Row = row;
}

// The AT29C256 is read once in its ID mode when it is selected.
void Programmer::ProbeFlashIdOnSelection() {
  switch (dev.Row.Commands) {
    case devices::FlashCommands::PageWrite:
      ProbeFlashID();
      break;
    case devices::FlashCommands::None:
    case devices::FlashCommands::Strobed:
      break;
  }
}

// The old NMOS 2732 and 2764 parts need long pulses; the 8-Mbit parts take short ones.
void Programmer::SetSpeedFactorsOfDevice() {
  switch (dev.Row.Speed) {
    case devices::SpeedClass::Standard:
      SetSpeedFactors(5, 100, 500);
      break;
    case devices::SpeedClass::Nmos:
      SetSpeedFactors(50, 20000, 100000);
      break;
    case devices::SpeedClass::EightMegabit:
      SetSpeedFactors(2, 50, 250);
      break;
  }
}

void Programmer::SetSpeedFactors(int32_t latch, int32_t shorter, int32_t longer) {
  board.LatchDelayFactor = latch;
  board.ShortDelayFactor = shorter;
  board.LongDelayFactor = longer;
}

void Programmer::ShowCodeOnlyControls() {
  ui.SetValue(Ctl::CheckData, 0);
  ui.SetEnabled(Ctl::CheckData, false);
  ui.SetValue(Ctl::CheckCode, 1);
  ui.SetEnabled(Ctl::CheckCode, false);
  buf.DataLoaded = 0;
  ui.SetEnabled(Ctl::Show_button, true);
  ui.SetCaption(Ctl::Show_button, "Show Code");
}

// The microcontroller has separate program and data memories: both buffers are in play.
void Programmer::ShowCodeAndDataControls() {
  for (Ctl entry :
       {Ctl::menuEraseFlash, Ctl::menuEraseData, Ctl::menuDisplayData, Ctl::menuReadData}) {
    ui.SetEnabled(entry, true);
  }
  for (int i = 3; i <= 5; ++i) ui.SetVisible(ToolbarButton(i), true);
  ui.SetEnabled(ToolbarButton(4), true);
  ui.SetEnabled(Ctl::Show_button, true);
  ui.SetCaption(Ctl::Show_button, "Show Data");
  for (Ctl label : {Ctl::FileNameDataLabel, Ctl::FileNameDataSize, Ctl::FileNameDataText}) {
    ui.SetVisible(label, true);
  }
  for (Ctl control : {Ctl::mnuFileOpenData, Ctl::CheckCode, Ctl::CheckData}) {
    ui.SetEnabled(control, true);
  }
}

// 5 V parts get only the 5 V option; EPROMs start at 12.5 V and may be offered 21 V and 25 V.
void Programmer::OfferVoltagesOfDevice() {
  if (dev.VppClass <= 0 || dev.VppClass > 3) {
    ui.SetEnabled(Voltage_button(0), true);
    SelectOption(Voltage_button(0));
    return;
  }
  for (int i = 1; i <= dev.VppClass; ++i) ui.SetEnabled(Voltage_button(i), true);
  SelectOption(Voltage_button(1));
  dev.ProgVoltage = 12;
}

void Programmer::SetSpeedDelays() {
  const int64_t steps = static_cast<int64_t>(SliderMax()) - SliderValue();
  board.LongDelayCount = DelayCount(steps, board.LongDelayFactor);
  board.ShortDelayCount = DelayCount(steps, board.ShortDelayFactor);
  board.LatchDelayCount = DelayCount(steps, board.LatchDelayFactor);
  if (SliderValue() < 10) board.LatchDelayCount = DelayCount(steps, board.ShortDelayFactor);
}

void Programmer::Slider1_Change() {
  ui.LogMessage("Program Speed Slider set to: " + std::to_string(SliderValue()));
  SetSpeedDelays();
  ui.PlayEventSound("SLIDE");
}

void Programmer::Voltage_button_Click(int index) {
  switch (index) {
    case 1:
      dev.ProgVoltage = 12;
      ui.LogMessage(std::string("Most Common Programming Voltage Selected: ") + "12.5 Volts!!!");
      break;
    case 2:
      dev.ProgVoltage = 21;
      ui.LogMessage(std::string("BE CAREFULL!!! You just Selected Programming Voltage as ") +
                    "21 Volts!!!");
      break;
    case 3:
      dev.ProgVoltage = 25;
      ui.LogMessage(std::string("BE CAREFULL!!! You just Selected Programming Voltage as ") +
                    "25 Volts!!!");
      break;
    default:
      break;
  }
}

}  // namespace ops
