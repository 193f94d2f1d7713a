// A setup slot file, restored over a window with the 27256 selected and a code file loaded:
// no port outside the three blocks, the voltage option shown is one the device offers and the
// one in force, no control character in the log or the Setup menu, and the code file changes
// only to a file that was loaded whole.
#include <cstddef>
#include <cstdint>
#include <string>

#include "buffers/buffers.h"
#include "fuzz_support.h"
#include "slot_checks.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzzing::WorkDirectory();
  fuzzing::MakeSlotCodeFiles();
  fuzzing::WriteFile("MXSetup1.INI", data, size);
  fuzzing::Bench bench;
  bench.BoardAt378();
  bench.p.SetDeviceIndex(8);  // Eprom 27256: 12.5 V, 21 V and 25 V on offer
  bench.p.LoadCodeFile("first.bin");

  bench.p.Setup_Click();
  bench.p.LoadSetup_Click(1);

  fuzzing::RequireSlotRestored(bench, bench.ui.Caption(panel::Ctl::LoadSetup1));
  return 0;
}
