#include "operations/programmer.h"

#include <algorithm>
#include <cstdio>
#include <utility>

namespace ops {

using panel::Ctl;
using panel::Ref;

Programmer::Programmer(platform::Machine& io_, panel::Panel& ui_, const platform::Clock& clock_,
                       std::string settings_path)
    : io(io_),
      ui(ui_),
      clock(clock_),
      board(io_, ui_),
      detect(board, ui_, clock_, std::move(settings_path)) {
  io.WhileSleeping([this] { ui.AnswerDesktop(); });
}

Programmer::~Programmer() {
  io.WhileSleeping({});
}

// Tenths of a second from a second on; below that, the milliseconds count.
void Programmer::TellTimeTaken(std::chrono::nanoseconds took) {
  const double seconds = std::chrono::duration<double>(took).count();
  char text[64];
  std::snprintf(text, sizeof text, "Took %.*f s on the board's clock", seconds < 1.0 ? 3 : 1,
                seconds);
  ui.LogMessage(text);
}

void Programmer::TellFastPath() {
  if (board.FastPath()) ui.LogMessage(std::string(kFastPathLine));
}

void Programmer::StartUp() {
  board.BoardModel = 0;
  board.LatchDelayFactor = 5;
  board.ShortDelayFactor = 100;
  board.LongDelayFactor = 500;
  DisableDeviceControls();
  ui.SetCaption(Ctl::MeldrixHardwareFound, "NO HARDWARE FOUND !!!");
  ui.SetForeColor(Ctl::Ready_label, panel::kGreyText);
  detect.FoundPort = 0;
  board.PortBase = 0;
  board.InitControlCodes();
  detect.LoadBoardSettings();
  if (board.PortBase == 0) detect.TestHardware_button_Click();
  board.SelectBoardModel();
  DataFlowIndicatorOff();
  ProgramIndicatorOff();
  ErrorIndicatorOff();
  ui.SetCaption(Ctl::SystemLog, "");
  SetScrollMax(0);
  FillDeviceList();
  board.Reset();
  board.BuildReadBackTables();
  board.SetIdentityMaps();
  ui.PlayEventSound("INIT");
}

void Programmer::ShutDown() {
  board.Reset();
}

void Programmer::tbToolBar_ButtonClick(std::string_view key) {
  // A failure inside a handler started from the toolbar ends that handler quietly.
  try {
    if (key == "OpenCode") {
      mnuFileOpenCode_Click();
    } else if (key == "OpenData") {
      mnuFileOpenData_Click();
    } else if (key == "SaveCode") {
      mnuFileSaveCode_Click();
    } else if (key == "SaveData") {
      mnuFileSaveData_Click();
    }
  } catch (...) {  // NOLINT(bugprone-empty-catch)
  }
}

// The four buttons an operation failure locks, in the order their states are kept, and the
// Command-menu entries that start the same operations: the alert locks and restores both, so
// the menu is no way around it.
static constexpr std::array<Ctl, 4> kLockedButtons = {Ctl::Program_button, Ctl::Verify_button,
                                                      Ctl::Read_button, Ctl::Display_button};
static constexpr std::array<Ctl, 4> kLockedMenuEntries = {Ctl::menuProgramCode, Ctl::menuVerifyCode,
                                                          Ctl::menuReadCode, Ctl::menuDisplayCode};

void Programmer::LockButtonsOnError() {
  ErrorIndicatorOn();
  for (size_t i = 0; i < kLockedButtons.size(); ++i) {
    SavedButtonStates[i] = ui.Enabled(kLockedButtons[i]) ? "True" : "False";
    SavedMenuStates[i] = ui.Enabled(kLockedMenuEntries[i]);
  }
  for (size_t i = 0; i < kLockedButtons.size(); ++i) {
    ui.SetEnabled(kLockedButtons[i], false);
    ui.SetEnabled(kLockedMenuEntries[i], false);
  }
}

void Programmer::Error_label_Click() {
  if (!panel::IndicatorLit(ui, Ctl::Error_label)) return;
  ErrorIndicatorOff();
  ProgramIndicatorOff();
  DataFlowIndicatorOff();
  ui.LogMessage("Error Alert was Turned Off");
  ui.SetValue(Ctl::ProgressBar1, 0);
  for (size_t i = 0; i < kLockedButtons.size(); ++i) {
    ui.SetEnabled(kLockedButtons[i], SavedButtonStates[i] == "True");
    ui.SetEnabled(kLockedMenuEntries[i], SavedMenuStates[i]);
  }
  board.Reset();
}

namespace {

int GroupSize(Ctl group) {
  switch (group) {
    case Ctl::Voltage_button:
      return 4;
    case Ctl::LPTSelection:
    case Ctl::HiLow_button:
      return 3;
    default:
      return 0;
  }
}

}  // namespace

// Selecting an option clears the others of its group and runs the group's click handler, even
// when the option was selected already, as an operator's click on it would.
void Programmer::SelectOption(Ref option) {
  const int size = GroupSize(option.ctl);
  if (option.index < 0 || option.index >= size) return;
  for (int i = 0; i < size; ++i) ui.SetValue(Ref(option.ctl, i), i == option.index ? 1 : 0);
  if (option.ctl == Ctl::Voltage_button) Voltage_button_Click(option.index);
  if (option.ctl == Ctl::LPTSelection) detect.LPTSelection_Click(option.index);
}

void Programmer::SetDeviceIndex(int index) {
  ui.SetListIndex(index);
  Device_Click();
}

void Programmer::SetSliderValue(int value) {
  if (ui.Value(Ctl::Slider1) == value) return;
  ui.SetValue(Ctl::Slider1, value);
  Slider1_Change();
}

void Programmer::SetScrollValue(int value) {
  if (ui.Value(Ctl::VScroll1) == value) return;
  ui.SetValue(Ctl::VScroll1, value);
  VScroll1_Change();
}

// A maximum below the minimum (0) is allowed, as for a 100-byte file (-1); the position then
// stays within the two. A range that shrinks below the position moves it to the new end, and
// the view follows, as it does for any change of position. The window's scroll bar may already
// have moved the position itself, so the position taken is the one from before the change.
void Programmer::SetScrollMax(int max) {
  const int before = ui.Value(Ctl::VScroll1);
  ui.SetMax(Ctl::VScroll1, max);
  const int position = std::clamp(before, std::min(0, max), std::max(0, max));
  if (position == before) return;
  ui.SetValue(Ctl::VScroll1, position);
  VScroll1_Change();
}

}  // namespace ops
