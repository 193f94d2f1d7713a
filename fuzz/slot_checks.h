#pragma once

// What a restored setup slot must leave behind, for the two slot-file targets.

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <vector>

#include "buffers/buffers.h"
#include "buffers/image_formats.h"
#include "fuzz_support.h"

namespace fuzzing {

// Files a slot may name: one that loads, an empty one, one too long for the code buffer, and a
// directory.
inline void MakeSlotCodeFiles() {
  static const bool made = [] {
    const uint8_t good[] = {0x11, 0x22, 0x33, 0x44};
    WriteFile("good.bin", good, sizeof good);
    WriteFile("empty.bin", nullptr, 0);
    WriteFile("huge.bin", nullptr, 0);
    std::filesystem::resize_file("huge.bin", buffers::kCodeBufferSize + 1);
    std::filesystem::create_directory("dir.bin");
    const uint8_t first[] = {0xA5};
    WriteFile("first.bin", first, sizeof first);
    return true;
  }();
  (void)made;
}

FUZZ_CHECK inline int SelectedVoltage(const testing_support::FakePanel& ui, int& selected_count) {
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

FUZZ_CHECK inline void RequireVoltageInForce(const Bench& bench) {
  const ops::Programmer& p = bench.p;
  if (p.dev.DeviceCode.empty()) return;
  int count = 0;
  const int shown = SelectedVoltage(bench.ui, count);
  Require(count == 1, "exactly one voltage option is shown");
  Require(bench.ui.Enabled(panel::Voltage_button(shown)),
          "the voltage shown is one the device offers");
  const int vpp = p.dev.VppClass;
  Require(vpp == 0 ? shown == 0 : shown >= 1 && shown <= vpp,
          "the voltage shown is one the device offers");
  if (vpp == 3) {
    constexpr int kVolts[] = {5, 12, 21, 25};
    Require(p.dev.ProgVoltage == kVolts[shown], "the voltage shown is the one in force");
  }
}

// A raw code file is in the buffer byte for byte; a load file by its records.
FUZZ_CHECK inline void RequireCodeFileLoadedWhole(const ops::Programmer& p) {
  if (p.buf.CodeFileName == "first.bin" || p.buf.CodeFileName.empty()) return;
  const std::vector<uint8_t> file = ReadFile(p.buf.CodeFileName);
  Require(p.buf.CodeLoaded == 1, "a new code file is one that was loaded");
  if (buffers::RecogniseContent(file) != buffers::ReadAs::Binary) return;
  Require(static_cast<size_t>(p.buf.CodeLength) == file.size() &&
              std::equal(file.begin(), file.end(), p.buf.CodeBuffer.begin()),
          "a new code file is one that was loaded whole");
}

// menu_name: what the Setup menu offers the slot under.
FUZZ_CHECK inline void RequireSlotRestored(const Bench& bench, const std::string& menu_name) {
  bench.RequirePortsInBlocks();
  RequireVoltageInForce(bench);
  RequireCleanLog(bench.ui);
  Require(!HasControlCharacter(menu_name), "no control character in the Setup menu");
  RequireCodeFileLoadedWhole(bench.p);
}

}  // namespace fuzzing
