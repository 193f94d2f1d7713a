// The program buffer (the image as the device should hold it) and the verify against it.
#include <algorithm>
#include <cstddef>
#include <string>

#include "operations/programmer.h"
#include "platform/hex_text.h"

namespace ops {

using panel::Ctl;
using platform::Hex;

namespace {

enum class Half : uint8_t { Both, Hi, Low };

Half HalfChosen(const panel::Panel& ui) {
  if (ui.Value(panel::HiLow_button(1)) != 0) return Half::Hi;
  if (ui.Value(panel::HiLow_button(2)) != 0) return Half::Low;
  return Half::Both;
}

std::string DeviceBytes(int32_t first, int32_t last) {
  return Hex(static_cast<uint32_t>(first)) + "h.." + Hex(static_cast<uint32_t>(last)) + "h";
}

}  // namespace

// "Hi Byte" takes the odd bytes of the image, "Low Byte" the even ones, for 16-bit systems
// whose two halves sit in two devices: a 64 KB image fills two 32 KB devices. Whatever part
// is chosen, it is cut to the device.
Programmer::ImageSpan Programmer::ImageToProgram() const {
  const int32_t image =
      std::clamp<int32_t>(buf.CodeImageLength, 0, static_cast<int32_t>(buf.CodeBuffer.size()));
  const int32_t device =
      std::clamp<int32_t>(dev.DeviceSize, 0, static_cast<int32_t>(ProgramBuffer.size() - 1));
  switch (HalfChosen(ui)) {
    case Half::Both:
      break;
    case Half::Hi:
      return {"Hi Byte half of the Image", std::min(image / 2, device)};
    case Half::Low:
      return {"Low Byte half of the Image", std::min((image + 1) / 2, device)};
  }
  return {"Image", std::min(image, device)};
}

// Only the image's bytes are ever taken: the rest of the program buffer is FFh, so that no
// byte of an earlier image can reach the device.
void Programmer::BuildProgramBuffer() {
  ForgetDifferences();
  ProgramLength = ImageToProgram().length;
  const auto length = static_cast<size_t>(ProgramLength);
  const auto& code = buf.CodeBuffer;
  const Half half = HalfChosen(ui);
  if (half == Half::Both) {
    std::copy_n(code.begin(), length, ProgramBuffer.begin());
  } else {
    const size_t first = half == Half::Hi ? 1 : 0;
    for (size_t i = 0; i < length; ++i) ProgramBuffer[i] = code[2 * i + first];
  }
  std::fill(ProgramBuffer.begin() + static_cast<std::ptrdiff_t>(length), ProgramBuffer.end(),
            uint8_t{0xFF});
}

std::string Programmer::ImageRangeText(std::string_view done, std::string_view rest) const {
  const ImageSpan span = ImageToProgram();
  if (span.length == 0) return span.name + " is empty";
  std::string text = span.name + " is " + std::to_string(span.length) + " bytes: ";
  text += "Device bytes " + DeviceBytes(0, span.length - 1) + " " + std::string(done);
  if (span.length >= dev.DeviceSize) return text + " (the whole Device)";
  return text + ", " + DeviceBytes(span.length, dev.DeviceSize - 1) + " " + std::string(rest);
}

void Programmer::Verify_button_Click() {
  if (Checked(Ctl::CheckCode)) VerifyCode();
  if (Checked(Ctl::CheckData) && !Stopped) VerifyData();
}

void Programmer::VerifyData() {
  ui.MessageBox("Please Write AT90S2313 VerifyData Routine", panel::kAppTitle, panel::Icon::None);
}

// The walk covers exactly the bytes programming writes: the image (or its chosen half), never
// more than the device.
void Programmer::VerifyCode() {
  if (RefuseEmptyCodeBuffer("Verify") || RefuseWhileChipBusy()) return;
  ui.SetBackColor(Ctl::Verify_button, panel::kButtonHighlight);
  ui.Repaint(Ctl::Verify_button);
  DataFlowIndicatorOn();
  ui.LogMessage("Verify Function Started... Wait");
  BuildProgramBuffer();
  ui.LogMessage(ImageRangeText("are compared", "are not compared"));
  ui.SetValue(Ctl::ProgressBar1, 0);
  board.Reset();
  board.SETADR();
  io.Sleep(500);
  board.REG4OFF();
  board.CEOEON();
  bool matches = true;
  DeviceScan(ProgramLength, [this, &matches] {
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
