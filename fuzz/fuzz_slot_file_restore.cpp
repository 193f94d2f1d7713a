// A setup slot file's bytes restored by themselves, off the disk, on one programmer kept from
// input to input and put back before each (the 27256 selected, port 378h, a code file loaded);
// fuzz_slot_file writes the file and starts a programmer for each input. No port outside the
// three blocks, the voltage option shown is one the device offers and the one in force, no
// control character in the log or the Setup menu's name of the slot, and the code file changes
// only to a file that was loaded whole.
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "buffers/buffers.h"
#include "fuzz_support.h"
#include "slot_checks.h"

namespace {

// The longest slot file a restore reads; a longer one is refused before any line is applied.
constexpr size_t kMaxSlotFileBytes = 64 * 1024;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static fuzzing::Bench& bench = []() -> fuzzing::Bench& {
    fuzzing::WorkDirectory();
    fuzzing::MakeSlotCodeFiles();
    static fuzzing::Bench made;
    made.BoardAt378();
    // A restore never reaches the chip but to identify an AT29C256, which an empty socket
    // answers as well; a chip made for every selection would cost more than the restore.
    made.p.DeviceSelected = nullptr;
    return made;
  }();
  if (size > kMaxSlotFileBytes) return 0;
  const std::span<const uint8_t> slot_file(data, size);
  ops::Programmer& p = bench.p;
  p.SelectOption(panel::LPTSelection(0));
  p.SetDeviceIndex(8);               // Eprom 27256: 12.5 V, 21 V and 25 V on offer
  p.buf.CodeFileName = "first.bin";  // as a load of it leaves the name and flag
  p.buf.CodeLoaded = 1;

  p.ApplySetup("MXSetup1.INI", slot_file);

  fuzzing::RequireSlotRestored(bench, ops::Programmer::SlotMenuName(1, slot_file));
  // What the fake window kept of this input goes with it: memory an input leaves allocated makes
  // libFuzzer run the input a second time to look for a leak.
  bench.ui.ForgetReports();
  return 0;
}
