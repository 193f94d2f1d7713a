// Compare: the image's range of the device against the program buffer, every byte of it, with
// a report of what the differences mean.
#include <string>

#include "operations/compare_tally.h"
#include "operations/programmer.h"

namespace ops {

using panel::Ctl;

// The walk covers the bytes programming would write, as Verify does, but does not stop at the
// first difference: it counts them all and reads their pattern.
void Programmer::CompareCode() {
  if (RefuseEmptyCodeBuffer("Compare") || RefuseWhileChipBusy()) return;
  DataFlowIndicatorOn();
  ui.LogMessage("Compare Function Started... Wait");
  BuildProgramBuffer();
  ui.LogMessage(ImageRangeText("are compared", "are not compared"));
  board.Reset();
  board.SETADR();
  io.Sleep(500);
  board.REG4OFF();
  board.CEOEON();
  CompareTally tally;
  DeviceScan(ProgramLength, [this, &tally] {
    const auto at = static_cast<uint32_t>(board.CurrentAddress);
    tally.Add(at, ProgramBuffer[at], board.ReadBackByte);
    ++board.CurrentAddress;
    return false;
  });
  DataFlowIndicatorOff();
  ui.SetValue(Ctl::ProgressBar1, 0);
  if (Stopped) {
    ReportStopped();
    ui.LogMessage("Up to there " + std::to_string(tally.Differing()) + " bytes differ");
    return;
  }
  board.Reset();
  if (tally.Differing() == 0) {
    ui.LogMessage("Device Contents MATCHES with Buffer Contents");
    ui.PlayEventSound("OK");
    return;
  }
  LockButtonsOnError();
  ui.LogMessage(std::to_string(tally.Differing()) + " bytes of the Device differ from the Buffer");
  for (const std::string& line : tally.ReportLines()) ui.LogMessage(line);
  ui.LogMessage("Click on [ERROR] Alert to Reset the Situation");
  ui.PlayEventSound("ERROR");
}

}  // namespace ops
