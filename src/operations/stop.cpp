// Stopping a running operation where the board is between two steps.
#include "operations/programmer.h"
#include "platform/hex_text.h"

namespace ops {

using platform::Hex;

bool Programmer::StopRequestedAt(int32_t address) {
  if (Stopped) return true;
  if (!ui.StopRequested()) return false;
  Stopped = true;
  StopAddress = address;
  return true;
}

std::string Programmer::StoppedAtText() const {
  return "Operation Stopped by Operator at Address " + Hex(static_cast<uint32_t>(StopAddress)) +
         "h";
}

void Programmer::ReportStopped() {
  board.Reset();
  ui.LogMessage(StoppedAtText());
}

}  // namespace ops
