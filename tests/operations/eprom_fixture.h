#pragma once

// A programmer on a recording port, with a device in the socket whose read-back bytes a test
// scripts: enough to follow every port access of the EPROM operations.

#include <algorithm>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "operations/programmer.h"
#include "platform/recording_machine.h"
#include "support/board_steps.h"
#include "support/device_list.h"
#include "support/fake_clock.h"
#include "support/fake_panel.h"
#include "support/image.h"
#include "support/scripted_boards.h"

namespace eprom_test {

using testing_support::L;
using testing_support::R;
using testing_support::S;
using testing_support::Z;

inline constexpr uint16_t kData = 0x378;

// The device in the socket of the tests' board double at 378h: the n-th byte read (from 0)
// answers answer(n).
class ScriptedDevice {
 public:
  explicit ScriptedDevice(int model) : board(kData, model) {
    board.chip = [this] { return answer(reads++); };
  }
  ScriptedDevice(const ScriptedDevice&) = delete;
  ScriptedDevice& operator=(const ScriptedDevice&) = delete;

  std::function<uint8_t(int64_t)> answer = [](int64_t) { return uint8_t{0xFF}; };
  int64_t reads = 0;  // read-backs so far
  testing_support::ScriptedBoards board;
};

// A programmer with a board of the given model at 378h and a device chosen from the device
// list, the slider at 18 of 20. What the selection did and reported is forgotten.
struct Rig {
  explicit Rig(int board_model, const std::string& device_name)
      : device(board_model), model(board_model) {
    testing_support::BoardAt378(p, board_model);
    testing_support::SelectInTheList(p, device_name);
    ui.SetValue(panel::Ctl::CheckCode, 1);
    io.Clear();
    ui.ForgetReports();
  }

  // The state ProgramCode leaves before it runs an algorithm: board reset, address 0 loaded.
  void PrepareProgramming(std::vector<uint8_t> image) {
    std::copy(image.begin(), image.end(), p.ProgramBuffer.begin());
    p.ProgramLength = static_cast<int32_t>(image.size());
    p.board.Reset();
    p.board.SETADR();
    io.Clear();
    ui.log.clear();
  }

  // The trace so far, in steps.
  std::vector<std::string> Steps() const {
    return testing_support::StepsOf(io.Trace(), model, p.board.LatchDelayCount);
  }
  std::vector<int> Latch(int latch) const { return testing_support::LatchValues(Steps(), latch); }
  int Count(std::string_view step) const { return testing_support::Count(Steps(), step); }

  ScriptedDevice device;
  platform::RecordingMachine io{&device.board};
  testing_support::FakePanel ui;
  testing_support::FakeClock clock;
  ops::Programmer p{io, ui, clock, "/nonexistent/meldrix5.ini"};
  int model;
};

}  // namespace eprom_test
