// A setup slot file, restored over a window with the 27256 selected and a code file loaded:
// no port outside the three blocks, the voltage option shown is one the device offers and the
// one in force, no control character in the log or the Setup menu, and the code file changes
// only to a file that was loaded whole.
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>

#include "buffers/buffers.h"
#include "fuzz_support.h"

namespace {

// Files a slot may name: one that loads, an empty one, one too long for the code buffer, and a
// directory.
void MakeCodeFiles() {
  static const bool made = [] {
    const uint8_t good[] = {0x11, 0x22, 0x33, 0x44};
    fuzzing::WriteFile("good.bin", good, sizeof good);
    fuzzing::WriteFile("empty.bin", nullptr, 0);
    fuzzing::WriteFile("huge.bin", nullptr, 0);
    std::filesystem::resize_file("huge.bin", buffers::kCodeBufferSize + 1);
    std::filesystem::create_directory("dir.bin");
    const uint8_t first[] = {0xA5};
    fuzzing::WriteFile("first.bin", first, sizeof first);
    return true;
  }();
  (void)made;
}

int SelectedVoltage(const testing_support::FakePanel& ui, int& selected_count) {
  int selected = -1;
  selected_count = 0;
  for (int i = 0; i < 4; ++i) {
    if (ui.Value(panel::Voltage_button(i)) != 0) {
      selected = i;
      ++selected_count;
    }
  }
  return selected;
}

void RequireVoltageInForce(const fuzzing::Bench& bench) {
  const ops::Programmer& p = bench.p;
  if (p.dev.DeviceCode.empty()) return;
  int count = 0;
  const int shown = SelectedVoltage(bench.ui, count);
  fuzzing::Require(count == 1, "exactly one voltage option is shown");
  fuzzing::Require(bench.ui.Enabled(panel::Voltage_button(shown)),
                   "the voltage shown is one the device offers");
  const int vpp = p.dev.VppClass;
  fuzzing::Require(vpp == 0 ? shown == 0 : shown >= 1 && shown <= vpp,
                   "the voltage shown is one the device offers");
  if (vpp == 3) {
    constexpr int kVolts[] = {5, 12, 21, 25};
    fuzzing::Require(p.dev.ProgVoltage == kVolts[shown], "the voltage shown is the one in force");
  }
}

void RequireCodeFileLoadedWhole(const ops::Programmer& p) {
  if (p.buf.CodeFileName == "first.bin") return;
  const std::vector<uint8_t> file = fuzzing::ReadFile(p.buf.CodeFileName);
  fuzzing::Require(!p.buf.CodeFileName.empty() || p.buf.CodeLength >= 0, "a code length");
  if (p.buf.CodeFileName.empty()) return;
  fuzzing::Require(static_cast<size_t>(p.buf.CodeLength) == file.size() &&
                       std::equal(file.begin(), file.end(), p.buf.CodeBuffer.begin()),
                   "a new code file is one that was loaded whole");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzzing::WorkDirectory();
  MakeCodeFiles();
  fuzzing::WriteFile("MXSetup1.INI", data, size);
  fuzzing::Bench bench;
  bench.BoardAt378();
  bench.p.SetDeviceIndex(8);  // Eprom 27256: 12.5 V, 21 V and 25 V on offer
  bench.p.LoadCodeFile("first.bin");

  bench.p.Setup_Click();
  bench.p.LoadSetup_Click(1);

  bench.RequirePortsInBlocks();
  RequireVoltageInForce(bench);
  fuzzing::RequireCleanLog(bench.ui);
  fuzzing::Require(!fuzzing::HasControlCharacter(bench.ui.Caption(panel::Ctl::LoadSetup1)),
                   "no control character in the Setup menu");
  RequireCodeFileLoadedWhole(bench.p);
  return 0;
}
