// Blank check: every byte of the device must read FFh before it is programmed.
#include "operations/programmer.h"
#include "platform/hex_text.h"

namespace ops {

using panel::Ctl;
using platform::Hex;

void Programmer::Blank_button_Click() {
  if (Checked(Ctl::CheckCode)) BlankCheckCode();
  if (Checked(Ctl::CheckData) && !Stopped) BlankCheckData();
}

void Programmer::BlankCheckCode() {
  if (!DeviceWalkSupported()) {
    ui.MessageBox("Please Write Missing Routines at BLANKCODE", "Missing Routine",
                  panel::Icon::None);
    return;
  }
  if (RefuseWhileChipBusy()) return;
  BlankCheckDevice();
}

void Programmer::BlankCheckData() {
  ui.MessageBox("Please Write AT90S2313 Check Blank Eeprom Routine", "Routine Not Ready",
                panel::Icon::None);
}

void Programmer::BlankCheckDevice() {
  DataFlowIndicatorOn();
  ui.LogMessage("Checking Device for BLANK (Erased)... Wait");
  const int32_t length = DeviceLength();
  ui.LogMessage("Device bytes 0h.." + Hex(static_cast<uint32_t>(length - 1)) + "h are checked");
  board.Reset();
  board.SETADR();
  io.Sleep(500);
  board.REG4OFF();
  board.CEOEON();
  bool blank = true;
  DeviceScan(length, [this, &blank] {
    if (board.ReadBackByte == 0xFF) return false;
    ByteIndex = board.AddrMid * board::kPageBytes + board.AddrHigh * board::kBankBytes + board.Reg2;
    ReportNotBlank();
    blank = false;
    return true;
  });
  if (!blank) return;
  DataFlowIndicatorOff();
  if (Stopped) {
    // As after a byte that was not blank, the bar shows how far the check got.
    const int pages = ui.Max(Ctl::ProgressBar1);
    const int reached = ui.Value(Ctl::ProgressBar1);
    ReportStopped();
    ui.SetMax(Ctl::ProgressBar1, pages);
    ui.SetValue(Ctl::ProgressBar1, reached);
    return;
  }
  ui.LogMessage("Device IS BLANK (ERASED)");
  ui.SetValue(Ctl::ProgressBar1, 0);
  ui.PlayEventSound("OK");
  board.Reset();
}

// The board stays as the failing read left it (chip and outputs enabled) until the operator
// clears the alert, which resets it.
void Programmer::ReportNotBlank() {
  LockButtonsOnError();
  DataFlowIndicatorOff();
  ui.LogMessage("Device IS NOT BLANK (ERASED)");
  ui.LogMessage("Address: " + Hex(static_cast<uint32_t>(ByteIndex)) +
                " ][ Device Data: " + Hex(board.ReadBackByte));
  ui.LogMessage("Click on [ERROR] alert to Reset the Situation");
  ui.PlayEventSound("ERROR");
}

}  // namespace ops
