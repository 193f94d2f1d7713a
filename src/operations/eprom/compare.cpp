// Compare: the image's range of the device against the program buffer, every byte of it, with
// a report of what the differences mean; the same walk against the erased state reports every
// programmed byte of a chip that is not blank. The device view then steps from one difference
// to the next.
#include <algorithm>
#include <string>

#include "buffers/hex_page.h"
#include "operations/compare_tally.h"
#include "operations/programmer.h"
#include "platform/hex_text.h"

namespace ops {

using panel::Ctl;

namespace {

constexpr uint8_t kErased = 0xFF;

}  // namespace

// The walk covers the bytes programming would write, as Verify does, but does not stop at the
// first difference: it counts them all and reads their pattern.
void Programmer::CompareCode() {
  if (RefuseEmptyCodeBuffer("Compare") || RefuseWhileChipBusy()) return;
  DataFlowIndicatorOn();
  ui.LogMessage("Compare Function Started... Wait");
  BuildProgramBuffer();
  ui.LogMessage(ImageRangeText("are compared", "are not compared"));
  CompareWithProgramBuffer("Device Contents MATCHES with Buffer Contents");
}

// Blank Chk stops at the first programmed byte; this walks the whole device against the erased
// state and says how many bytes are programmed and where.
void Programmer::BlankCheckAll() {
  if (!DeviceWalkSupported() || RefuseWhileChipBusy()) return;
  DataFlowIndicatorOn();
  ui.LogMessage("Checking every byte of the Device for BLANK (Erased)... Wait");
  ProgramLength = DeviceLength();
  std::fill(ProgramBuffer.begin(), ProgramBuffer.end(), kErased);
  ui.LogMessage("Device bytes 0h.." + platform::Hex(static_cast<uint32_t>(ProgramLength - 1)) +
                "h are checked");
  CompareWithProgramBuffer("Device IS BLANK (ERASED)");
}

void Programmer::CompareWithProgramBuffer(std::string_view match_text) {
  ForgetDifferences();
  board.Reset();
  board.SETADR();
  io.Sleep(500);
  board.REG4OFF();
  board.CEOEON();
  CompareTally tally;
  DeviceScan(ProgramLength, [this, &tally] {
    const auto at = static_cast<uint32_t>(board.CurrentAddress);
    if (ProgramBuffer[at] != board.ReadBackByte) CompareDifferences.push_back(at);
    tally.Add(at, ProgramBuffer[at], board.ReadBackByte);
    ++board.CurrentAddress;
    return false;
  });
  DataFlowIndicatorOff();
  ui.SetValue(Ctl::ProgressBar1, 0);
  EnableDifferenceSteps();
  if (Stopped) {
    ReportStopped();
    ui.LogMessage("Up to there " + std::to_string(tally.Differing()) + " bytes differ");
    return;
  }
  board.Reset();
  if (tally.Differing() == 0) {
    ui.LogMessage(match_text);
    ui.PlayEventSound("OK");
    return;
  }
  LockButtonsOnError();
  const auto image = std::span(ProgramBuffer).first(static_cast<size_t>(ProgramLength));
  const bool erased_image = std::ranges::all_of(image, [](uint8_t b) { return b == kErased; });
  ui.LogMessage(std::to_string(tally.Differing()) +
                (erased_image ? " bytes of the Device are programmed (not FFh)"
                              : " bytes of the Device differ from the Buffer"));
  for (const std::string& line : tally.ReportLines()) ui.LogMessage(line);
  ui.LogMessage("Click on [ERROR] Alert to Reset the Situation");
  ui.PlayEventSound("ERROR");
}

// The differences of the last compare are kept until the next one, or until the image to
// compare with is built again; the device view can step through them meanwhile.
void Programmer::ForgetDifferences() {
  CompareDifferences.clear();
  DifferenceShown = SIZE_MAX;
  EnableDifferenceSteps();
}

void Programmer::EnableDifferenceSteps() {
  ui.SetEnabled(Ctl::menuNextDifference, !CompareDifferences.empty());
  ui.SetEnabled(Ctl::menuPreviousDifference, !CompareDifferences.empty());
}

// Shows the device page that holds the next (or previous) difference of the last compare and
// says which one it is; the page is read from the device as the device view reads any page.
void Programmer::StepToDifference(bool forward) {
  if (CompareDifferences.empty() || RefuseWhileChipBusy()) return;
  const size_t count = CompareDifferences.size();
  if (DifferenceShown >= count) {
    DifferenceShown = forward ? 0 : count - 1;
  } else {
    DifferenceShown = (DifferenceShown + (forward ? 1 : count - 1)) % count;
  }
  const uint32_t at = CompareDifferences[DifferenceShown];
  ui.LogMessage("Difference " + std::to_string(DifferenceShown + 1) + " of " +
                std::to_string(count) + ": Device Address " + platform::Hex(at) + "h");
  ui.SetCaption(Ctl::Frame3, "Device Memory Hex/Ascii Display");
  SetScrollMax(buffers::LastPage(DeviceLength(), board::kPageBytes));
  DisplayMode = "DisplayEprom";
  const auto page = static_cast<int>(at / board::kPageBytes);
  if (ui.Value(Ctl::VScroll1) == page) {
    DisplayEprom();
  } else {
    SetScrollValue(page);
  }
}

// The device view marks the bytes of its page that differ from the image last compared, as
// they read now; without a compare's differences nothing is marked.
void Programmer::MarkDifferencesOnPage(int32_t page) {
  std::vector<uint16_t> marked;
  if (!CompareDifferences.empty()) {
    for (uint16_t i = 0; i < board::kPageBytes; ++i) {
      const int32_t at = page * board::kPageBytes + i;
      if (at < ProgramLength && PageBuffer[i] != ProgramBuffer[static_cast<size_t>(at)]) {
        marked.push_back(i);
      }
    }
  }
  ui.MarkPageBytes(marked);
}

}  // namespace ops
