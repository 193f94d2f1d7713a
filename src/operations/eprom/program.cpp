// The programming command: confirmation, optional blank check, the algorithm the device's
// catalogue row names, the result report and the optional verify.
#include <algorithm>
#include <string>

#include "operations/programmer.h"
#include "platform/hex_text.h"

namespace ops {

using panel::Ctl;
using platform::Hex;

void Programmer::Program_button_Click() {
  SetScrollValue(0);
  board.CurrentAddress = 0;
  board.Endereco2Adr();
  if (Checked(Ctl::CheckCode)) ProgramCode();
  if (Checked(Ctl::CheckData) && !Stopped) ProgramData();
}

void Programmer::ProgramData() {
  ui.MessageBox("Please Write A90S2313 Program Data Routine", panel::kAppTitle, panel::Icon::None);
}

Programmer::Algorithm Programmer::ProgrammingAlgorithm(devices::ProgramAlgorithm algorithm) {
  switch (algorithm) {
    case devices::ProgramAlgorithm::None:
      return nullptr;
    case devices::ProgramAlgorithm::P2732:
      return &Programmer::P2732;
    case devices::ProgramAlgorithm::P2764_128:
      return &Programmer::P2764_128;
    case devices::ProgramAlgorithm::P27256:
    case devices::ProgramAlgorithm::P27C040:
      return &Programmer::P27256_040;
    case devices::ProgramAlgorithm::P27080:
      return &Programmer::P27080;
    case devices::ProgramAlgorithm::P27010_020:
      return &Programmer::P27010_020;
    case devices::ProgramAlgorithm::X28C256:
      return &Programmer::ProgramX28C256;
    case devices::ProgramAlgorithm::AT29C256:
      return &Programmer::ProgramAT29C256;
    case devices::ProgramAlgorithm::CommandFlash:
    case devices::ProgramAlgorithm::SectorFlash:
      return &Programmer::ProgramFlashByID;
    case devices::ProgramAlgorithm::AtmelEeprom:
      return &Programmer::ProgramAtmelEeprom;
  }
  return nullptr;
}

namespace {

std::string YesNo(bool yes) {
  return yes ? "yes" : "no";
}

}  // namespace

// The question names what the operator is about to do to a chip that may not be replaceable:
// which device, which image and which of its bytes, and the checks around it.
std::string Programmer::ProgramQuestion() const {
  std::string text = "Program the Device?\n\n";
  text += "Device: " + dev.DeviceName + " (" + std::to_string(dev.DeviceSize) + " bytes)\n";
  text += "Image: " + buf.CodeImageSource + "\n";
  text += ImageRangeText("are programmed", "are left as they are") + "\n";
  text += "Blank check first: " + YesNo(Checked(Ctl::CheckBlankPriorProgramming)) + "\n";
  text += "Verify afterwards: " + YesNo(Checked(Ctl::VerifyAfterProgramming));
  return text;
}

void Programmer::ProgramCode() {
  ui.LogMessage("Programming Button Pressed");
  if (RefuseEmptyCodeBuffer("Program") || RefuseWhileChipBusy()) return;
  if (!ui.AskOkCancel(ProgramQuestion(), "Safety Question")) {
    ui.LogMessage("Programming was Canceled by Operator");
    board.Reset();
    return;
  }
  if (Checked(Ctl::CheckBlankPriorProgramming)) Blank_button_Click();
  // A failed or stopped blank check (or an alert not yet cleared) has said all there is to say.
  if (Stopped || panel::IndicatorLit(ui, Ctl::Error_label)) {
    board.Reset();
    return;
  }
  BuildProgramBuffer();
  ui.LogMessage(ImageRangeText("are programmed", "are left as they are"));
  board.Reset();
  board.SETADR();
  io.Sleep(500);
  ProgressStep = static_cast<int16_t>(ProgramLength / 99);
  ProgressCount = 0;
  ui.SetValue(Ctl::ProgressBar1, 0);
  DataFlowIndicatorOn();
  ProgramIndicatorOn();
  ProgramFailed = 0;
  ProgramStatus = 9;

  if (const Algorithm algorithm = ProgrammingAlgorithm(dev.Row.Program); algorithm != nullptr) {
    ProgramStatus = 1;
    (this->*algorithm)();
  }

  if (ProgramFailed == 0 && ProgramStatus == 1) {
    ui.LogMessage("Programming Device Successfull");
    DataFlowIndicatorOff();
    ProgramIndicatorOff();
    ui.PlayEventSound("OK");
  }
  if (ProgramStatus == 9) {
    ui.LogMessage("Device Not Supported - Status 9 - Please Report");
    ui.PlayEventSound("ERROR");
  }
  board.Reg0 = 0x40;
  board.SetReg0();
  ui.SetValue(Ctl::ProgressBar1, 0);
  // Only a programming run that ran to its end is verified: a refused device has nothing new
  // to compare, and a "MATCHES" then would report a success that did not happen.
  const bool programmed = ProgramFailed == 0 && ProgramStatus == 1;
  if (Checked(Ctl::VerifyAfterProgramming) && programmed) Verify_button_Click();
  board.Reset();
}

// The board stops driving the data bus, so that the device's byte at the latched address can be
// read; the caller enables the chip's outputs around it.
void Programmer::ReadBack() {
  board.Reg4 = 0xFF;
  board.SetReg4();
  board.SettleDelay(10);
  board.REG4OFF();
  board.SettleDelay(10);
  board.GetNibbles();
}

void Programmer::PresentProgramByte() {
  board.REG4ON();
  board.Reg4 = ProgramByte;
  board.SetReg4();
}

int16_t Programmer::ProgrammingReg0(bool voltage_selectable) const {
  if (board.BoardModel == 4) return 0x4C;
  if (board.BoardModel != 5) return board.Reg0;
  int16_t value = 0x48;
  if (voltage_selectable && dev.VppClass == 3) {
    if (dev.ProgVoltage == 21) value |= 0x02;
    if (dev.ProgVoltage == 25) value |= 0x03;
  }
  return value;
}

namespace {
constexpr const char* kAbortingProgramming =
    "*** Aborting Programming - Click on [ERROR] Indicator to Reset";
}  // namespace

// Programming voltage off first, then the chip: nothing more reaches the cells.
void Programmer::AbortProgramming(std::initializer_list<std::string> report) {
  board.Reg0 = 0x00;
  board.SetReg0();
  board.CEOFF();
  board.OEOFF();
  for (const std::string& line : report) ui.LogMessage(line);
  LockButtonsOnError();
  ProgramIndicatorOn();
  ProgramFailed = 1;
  ui.PlayEventSound("ERROR");
}

void Programmer::ReportProgramFailure() {
  AbortProgramming({"*** Programming Failure ***",
                    "*** Address:" + Hex(static_cast<uint32_t>(board.CurrentAddress)) +
                        "h, Programming BYTE:" + Hex(ProgramByte) +
                        "h, Read BYTE:" + Hex(board.ReadBackByte) + "h",
                    kAbortingProgramming});
}

// The chip holds part of the image: the alert stays until the operator clears it, and the
// board goes idle at once, whichever algorithm was running.
void Programmer::ReportProgrammingStopped() {
  AbortProgramming({StoppedAtText(), kAbortingProgramming});
  board.Reset();
}

// One call per byte (per page for the page-mode devices); the bar moves one step every
// ProgressStep calls and stops at its maximum. Fewer than 99 bytes give a step of 0: the bar
// then stays put.
void Programmer::GoProgressiveBar1() {
  if (ProgressStep <= 0) return;
  if (++ProgressCount != ProgressStep) return;
  ProgressCount = 0;
  const int value = ui.Value(Ctl::ProgressBar1);
  if (value >= ui.Max(Ctl::ProgressBar1)) return;
  ui.SetValue(Ctl::ProgressBar1, value + 1);
  ui.Repaint(Ctl::ProgressBar1);
}

}  // namespace ops
