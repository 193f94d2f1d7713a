// The program buffer (the image as the device should hold it) and the verify against it.
#include <algorithm>
#include <string>

#include "operations/programmer.h"
#include "platform/hex_text.h"

namespace ops {

using panel::Ctl;
using platform::Hex;

namespace {

enum class Half : uint8_t { Both, Hi, Low };

}  // namespace

// "Hi Byte" takes the odd bytes of the code buffer, "Low Byte" the even ones, for 16-bit
// systems whose two halves sit in two devices. Only the first DeviceSize code bytes are used.
void Programmer::BuildProgramBuffer() {
  Half half = Half::Both;
  if (ui.Value(panel::HiLow_button(1)) != 0)
    half = Half::Hi;
  else if (ui.Value(panel::HiLow_button(2)) != 0)
    half = Half::Low;
  const auto size = static_cast<size_t>(
      std::clamp<int32_t>(dev.DeviceSize, 0, static_cast<int32_t>(ProgramBuffer.size() - 1)));
  const auto& code = buf.CodeBuffer;
  if (half == Half::Both) {
    std::copy_n(code.begin(), size, ProgramBuffer.begin());
    ProgramLength = static_cast<int32_t>(size);
    return;
  }
  const size_t first = half == Half::Hi ? 1 : 0;
  for (size_t i = 0; i < size; i += 2) ProgramBuffer[i / 2] = code[i + first];
  ProgramLength = static_cast<int32_t>(size / 2);
}

void Programmer::Verify_button_Click() {
  if (Checked(Ctl::CheckCode)) VerifyCode();
  if (Checked(Ctl::CheckData) && !Stopped) VerifyData();
}

void Programmer::VerifyData() {
  ui.MessageBox("Please Write AT90S2313 VerifyData Routine", panel::kAppTitle, panel::Icon::None);
}

// The walk covers the code length, but never more than the program buffer built for this
// device holds: with "Hi Byte" or "Low Byte" that is half the device.
void Programmer::VerifyCode() {
  if (RefuseEmptyCodeBuffer("Verify")) return;
  ui.SetBackColor(Ctl::Verify_button, panel::kButtonHighlight);
  ui.Repaint(Ctl::Verify_button);
  DataFlowIndicatorOn();
  ui.LogMessage("Verify Function Started... Wait");
  BuildProgramBuffer();
  ui.SetValue(Ctl::ProgressBar1, 0);
  board.Reset();
  board.SETADR();
  io.Sleep(500);
  board.REG4OFF();
  board.CEOEON();
  const int32_t length = std::min(ScanLength(buf.CodeLength), ProgramLength);
  bool matches = true;
  DeviceScan(length, [this, &matches] {
    const auto at = static_cast<size_t>(board.CurrentAddress);
    if (at >= ProgramBuffer.size()) return true;
    if (board.ReadBackByte == ProgramBuffer[at]) {
      ++board.CurrentAddress;
      return false;
    }
    ByteIndex = board.CurrentAddress;
    ReportVerifyMismatch();
    matches = false;
    return true;
  });
  if (!matches) return;
  DataFlowIndicatorOff();
  if (Stopped) {
    ui.SetBackColor(Ctl::Verify_button, panel::kButtonFace);
    ReportStopped();
    return;
  }
  ui.LogMessage("Device Contents MATCHES with Buffer Contents");
  ui.SetValue(Ctl::ProgressBar1, 0);
  ui.SetBackColor(Ctl::Verify_button, panel::kButtonFace);
  ui.PlayEventSound("OK");
  board.Reset();
}

void Programmer::ReportVerifyMismatch() {
  LockButtonsOnError();
  DataFlowIndicatorOff();
  ui.LogMessage(std::string(50, '*'));
  ui.LogMessage("Device Memory DOES NOT VERIFY with Buffer Contents");
  const auto at = static_cast<size_t>(ByteIndex);
  const uint32_t wanted = at < ProgramBuffer.size() ? ProgramBuffer[at] : 0U;
  ui.LogMessage("Address: " + Hex(static_cast<uint32_t>(ByteIndex)) +
                " ][ Buffer Data: " + Hex(wanted) + " ][ Device Data: " + Hex(board.ReadBackByte));
  ui.LogMessage("Click on [ERROR] Alert to Reset the Situation");
  ui.SetBackColor(Ctl::Verify_button, panel::kButtonFace);
  ui.PlayEventSound("ERROR");
  board.Reset();
}

}  // namespace ops
