#pragma once

#include <string_view>

#include "operations/programmer.h"
#include "platform/recording_machine.h"
#include "sim/sim_board.h"
#include "support/device_list.h"
#include "support/fake_clock.h"
#include "support/fake_panel.h"
#include "support/temp_dir.h"

namespace testing_support {

// The operator's program on a model-5 simulated board at 378h: each device chosen from the list
// puts a fresh chip of its kind into the socket, and the Code box is checked.
struct SimulatedProgrammer {
  explicit SimulatedProgrammer(const char* temp_name) : dir{temp_name} {
    BoardAt378(p, 5);
    p.DeviceSelected = [this](std::string_view name) { socket.InsertDevice(name); };
    p.FillDeviceList();
    ui.SetValue(panel::Ctl::CheckCode, 1);
  }

  TempDir dir;
  sim::SimBoard socket{5, 0x378};
  platform::RecordingMachine io{&socket, false};
  FakePanel ui;
  FakeClock clock;
  ops::Programmer p{io, ui, clock, "unused.ini"};
};

}  // namespace testing_support
