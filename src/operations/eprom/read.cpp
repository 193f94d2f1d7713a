// Reading the device into the code buffer.
#include <cstdint>
#include <string>
#include <vector>

#include "buffers/checksums.h"
#include "buffers/image_file.h"
#include "operations/programmer.h"

namespace ops {

using panel::Ctl;

void Programmer::Read_button_Click() {
  if (Checked(Ctl::CheckCode)) ReadCode();
  if (Checked(Ctl::CheckData) && !Stopped) ReadData();
}

void Programmer::ReadCode() {
  if (!DeviceWalkSupported()) {
    ui.MessageBox("Please Write Missing Routines at READCODE", "Routine Not Ready",
                  panel::Icon::None);
    return;
  }
  if (RefuseWhileChipBusy()) return;
  if (!EditsMayBeLost(false, "Read the Device", "Reading")) return;
  ReadDeviceToBuffer();
}

void Programmer::ReadDeviceToBuffer() {
  DataFlowIndicatorOn();
  board.Reset();
  board.SETADR();
  io.Sleep(500);  // supply and address lines settle before the first read
  DisplayMode = "Read";
  board.REG4OFF();
  board.CEOEON();
  const int32_t length = DeviceLength();
  // The bytes go to a copy of the code buffer, which replaces it once the whole device is read:
  // a stopped read leaves the operator's image as it was, not half overwritten. Nothing of an
  // earlier image stays behind the device's bytes.
  std::vector<uint8_t> code(buf.CodeBuffer.size(), 0xFF);
  DeviceScan(length, [this, &code] {
    const auto at = static_cast<size_t>(board.CurrentAddress);
    if (at >= code.size()) return true;
    code[at] = board.ReadBackByte;
    ++board.CurrentAddress;
    return false;
  });
  DataFlowIndicatorOff();
  if (Stopped) {
    ReportStopped();
    ui.LogMessage("Code Buffer was left as it was");
    return;
  }
  buf.CodeBuffer.swap(code);
  ImageReplaced(false);
  buf.CodeLength = length;
  buf.CodeImageLength = length;
  buf.CodeImageSource = "Read from Device " + dev.DeviceName;
  ui.LogMessage(std::to_string(length) + " bytes Read from Device");
  ui.SetCaption(Ctl::BufferDisplay, "");
  ShowCodeImageCaptions();
  ui.LogMessage("Data is available at above Window, use Scroll Bar");
  ui.LogMessage("You can Save the file using [FILE - Save As] menu");
  ui.LogMessage(buffers::ChecksumLine(buffers::ImagePart(buf.CodeBuffer, length)));
  ShowBufferView();
  ui.SetValue(Ctl::ProgressBar1, 0);
  ui.SetCaption(Ctl::sbStatusBar, "");
  for (Ctl c : {Ctl::Verify_button, Ctl::menuVerifyCode, Ctl::Program_button, Ctl::menuProgramCode,
                Ctl::Erase_button, Ctl::menuEraseCode, Ctl::mnuFileSaveCodeAs}) {
    ui.SetEnabled(c, true);
  }
  buf.CodeLoaded = 1;
  buf.CodeHoldsFile = false;  // the chip's bytes now, not the file's
  ui.PlayEventSound("OK");
  board.Reset();
  if (RomLists != nullptr) IdentifyCodeImage();
}

// The microcontroller's data memory has no read routine: the operator is told so and the board
// is left as the message found it.
void Programmer::ReadData() {
  DisplayMode = "Read";
  board.REG4OFF();
  board.CEOEON();
  DataFlowIndicatorOn();
  ui.LogMessage("Start Device Reading Operation");
  ui.SetCaption(Ctl::sbStatusBar, "Reading Device... Wait");
  ui.MessageBox("Please Write AT90S2313 Eeprom Read Routine", "Routine Not Ready",
                panel::Icon::None);
}

}  // namespace ops
