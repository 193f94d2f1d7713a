// The bank / page / byte walk over the device that reading, blank checking and verifying share.
#include <algorithm>
#include <string>
#include <string_view>

#include "operations/programmer.h"

namespace ops {

using panel::Ctl;

namespace {

using board::kBankBytes;
using board::kPageBytes;

// The largest device of the catalogue; without a selected device no walk goes further, so the
// program buffer (one byte longer) and the code buffer always hold the bytes walked.
constexpr int32_t kLargestDevice = 1048576;

}  // namespace

int32_t Programmer::DeviceLength() const {
  return std::clamp(dev.DeviceSize, 0, kLargestDevice);
}

bool Programmer::RefuseEmptyCodeBuffer(std::string_view operation) {
  const std::string nothing = ": nothing to " + std::string(operation);
  if (buf.CodeImageLength <= 0) {
    ui.LogMessage("Code Buffer is Empty (0 Bytes)" + nothing);
    return true;
  }
  const ImageSpan span = ImageToProgram();  // a half of a 1-byte image has no byte
  if (span.length > 0) return false;
  ui.LogMessage(span.name + " is 0 bytes" + nothing);
  return true;
}

// Latch 3 (bank) is loaded once per bank, latch 1 (page) once per page and latch 2 for every
// byte, so that a byte costs one latch write and one read-back. The progress bar counts pages.
// Between two bytes the walk may be stopped: Stopped is then set, with the first byte not read in
// StopAddress.
void Programmer::DeviceScan(int32_t length, const ScanAction& action) {
  const int32_t pages = length > 0 ? (length + kPageBytes - 1) / kPageBytes : 0;
  ui.SetValue(Ctl::ProgressBar1, 0);
  ui.SetMax(Ctl::ProgressBar1, pages);
  if (pages == 0) return;
  LastBank = static_cast<int16_t>((length - 1) / kBankBytes);
  LastPage = static_cast<int16_t>(((length - 1) % kBankBytes) / kPageBytes);
  int progress = 0;
  for (board.AddrHigh = 0; board.AddrHigh <= LastBank; ++board.AddrHigh) {
    board.Reg3 = static_cast<int16_t>(board.AddrHighMap[static_cast<size_t>(board.AddrHigh)] |
                                      (board.Reg3 & 0xF0) | board.Reg3Mask);
    board.SetReg3();
    const int32_t last_page = board.AddrHigh == LastBank ? LastPage : 255;
    for (board.AddrMid = 0; board.AddrMid <= last_page; ++board.AddrMid) {
      board.Reg1 = static_cast<int16_t>(board.AddrMidMap[static_cast<size_t>(board.AddrMid)] |
                                        board.Reg1Mask);
      board.SetReg1();
      ui.SetValue(Ctl::ProgressBar1, ++progress);
      ui.Repaint(Ctl::ProgressBar1);
      for (int16_t low = 0; low < kPageBytes; ++low) {
        const int32_t address = board.AddrHigh * kBankBytes + board.AddrMid * kPageBytes + low;
        if (address >= length) return;  // a walk over an image ends with its last byte
        if (address > 0 && StopRequestedAt(address)) return;
        board.Reg2 = low;
        board.SetReg2();
        board.GetNibbles();
        if (action()) return;
      }
    }
  }
}

}  // namespace ops
