#pragma once

// A programmer on a recording port, with a device in the socket whose read-back bytes a test
// scripts: enough to follow every port access of the EPROM operations.

#include <algorithm>
#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "operations/programmer.h"
#include "platform/recording_machine.h"
#include "support/catalogue_rows.h"
#include "support/fake_clock.h"
#include "support/fake_panel.h"
#include "support/scripted_boards.h"

namespace eprom_test {

using Event = platform::RecordingMachine::Event;

inline constexpr uint16_t kData = 0x378, kStatus = 0x379, kControl = 0x37A;

// Control codes of the board, per model: latch idle / strobe, nibble selects.
struct Codes {
  int idle[5], strobe[5], low, high;
};
inline constexpr Codes kModel4{
    {0x0A, 0x02, 0x08, 0x00, 0x0E}, {0x0B, 0x03, 0x09, 0x01, 0x0F}, 0, 4};
inline constexpr Codes kModel5{
    {0x05, 0x0D, 0x07, 0x0F, 0x01}, {0x04, 0x0C, 0x06, 0x0E, 0x00}, 5, 1};
inline const Codes& CodesOf(int model) {
  return model == 4 ? kModel4 : kModel5;
}

// What the status lines show for one nibble of a data byte on each board model (the lines that
// carry no data bit read high).
inline uint8_t StatusFor(int model, unsigned nibble) {
  if (model == 5) return static_cast<uint8_t>(((nibble & 0xFU) << 3U) | 0x87U);
  const unsigned d0 = nibble & 1U, d1 = (nibble >> 1U) & 1U, d2 = (nibble >> 2U) & 1U,
                 d3 = (nibble >> 3U) & 1U;
  return static_cast<uint8_t>((d0 << 6U) | ((d1 ^ 1U) << 7U) | (d2 << 5U) | (d3 << 4U) | 0x07U);
}

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

// One expected step of a port sequence, expanded to port events per board model.
struct Step {
  enum Kind : uint8_t { Latch, Spin, Sleep, ReadBack } kind;
  int a = 0, b = 0;
};
inline Step L(int latch, int value) {
  return {Step::Latch, latch, value};
}
inline Step S(int passes) {
  return {Step::Spin, passes, 0};
}
inline Step Z(int ms) {
  return {Step::Sleep, ms, 0};
}
inline Step R(int byte) {
  return {Step::ReadBack, byte, 0};
}

inline std::vector<Event> Expand(int model, int latch_delay, const std::vector<Step>& steps) {
  const Codes& c = CodesOf(model);
  std::vector<Event> events;
  for (const Step& s : steps) {
    switch (s.kind) {
      case Step::Latch:
        events.insert(
            events.end(),
            {platform::Out(kData, s.b), platform::SpinOf(latch_delay),
             platform::Out(kControl, c.idle[s.a]), platform::SpinOf(latch_delay),
             platform::Out(kControl, c.strobe[s.a]), platform::Out(kControl, c.idle[s.a])});
        break;
      case Step::Spin:
        events.push_back(platform::SpinOf(s.a));
        break;
      case Step::Sleep:
        events.push_back(platform::SleepOf(s.a));
        break;
      case Step::ReadBack:
        events.insert(events.end(),
                      {platform::Out(kControl, c.low),
                       platform::In(kStatus, StatusFor(model, static_cast<unsigned>(s.a) & 0xFU)),
                       platform::Out(kControl, c.high),
                       platform::In(kStatus, StatusFor(model, static_cast<unsigned>(s.a) >> 4U))});
        break;
    }
  }
  return events;
}

// The values written to one latch, in order, read off a trace.
inline std::vector<int> LatchValues(const std::vector<Event>& trace, int model, int latch) {
  const Codes& c = CodesOf(model);
  std::vector<int> values;
  int on_data = -1;
  int previous_control = -1;
  for (const Event& e : trace) {
    if (e.kind != platform::RecordingMachine::Kind::Out) continue;
    if (e.port == kData) on_data = e.value;
    if (e.port != kControl) continue;
    if (previous_control == c.strobe[latch] && e.value == c.idle[latch]) values.push_back(on_data);
    previous_control = e.value;
  }
  return values;
}

// The EPROM rows of the device catalogue: name, type, size in KB, masks, voltage class.
struct EpromRow {
  std::string_view name;
  char type;
  int32_t size_kb;
  int16_t reg1_mask, reg3_mask, vpp_class;
};
inline constexpr EpromRow kEpromRows[] = {
    {"Eprom 2732A", '1', 4, 0x20, 0, 3},    {"Eprom 2732B", '1', 4, 0x20, 0, 1},
    {"Eprom 2732", '1', 4, 0x20, 0, 3},     {"Eprom 27C32", '1', 4, 0x20, 0, 3},
    {"Eprom 2764", '2', 8, 0xC0, 2, 3},     {"Eprom 27C64", '2', 8, 0xC0, 2, 1},
    {"Eprom 27128", '3', 16, 0xC0, 2, 3},   {"Eprom 27C128", '3', 16, 0xC0, 2, 1},
    {"Eprom 27256", '4', 32, 0x80, 2, 3},   {"Eprom 27C256", '4', 32, 0x80, 2, 1},
    {"Eprom 27C512", '5', 64, 0, 2, 1},     {"Eprom 27C1001", '6', 128, 0, 0x0C, 1},
    {"Eprom 27C010", '6', 128, 0, 0x0C, 1}, {"Eprom 27C2001", '7', 256, 0, 0x0C, 1},
    {"Eprom 27C020", '7', 256, 0, 0x0C, 1}, {"Eprom 27C4001", '8', 512, 0, 8, 1},
    {"Eprom 27C040", '8', 512, 0, 8, 1},    {"Eprom 27C801", '9', 1024, 0, 0, 1},
    {"Eprom 27C080", '9', 1024, 0, 0, 1},
};

// Selects an EPROM row the way the device list does: selected-device state, masks, identity
// maps, speed delays at slider 18 of 20, code length = device size, 12.5 V.
inline void SelectLikeTheList(ops::Programmer& p, const std::string& name) {
  const EpromRow* row = nullptr;
  for (const auto& entry : kEpromRows) {
    if (entry.name == name) row = &entry;
  }
  if (row == nullptr) throw std::runtime_error("no device " + name);
  auto& d = p.dev;
  d.DeviceName = name;
  d.DeviceFamily = "P";
  d.DeviceType = std::string(1, row->type);
  d.DeviceCode = d.DeviceFamily + d.DeviceType;
  d.Row = testing_support::RowNamed(name);
  d.DeviceSizeKB = row->size_kb;
  d.DeviceSize = row->size_kb * 1024;
  d.VppClass = row->vpp_class;
  if (row->vpp_class > 0) d.ProgVoltage = 12;
  auto& b = p.board;
  b.Reg1Mask = row->reg1_mask;
  b.Reg3Mask = row->reg3_mask;
  b.SetIdentityMaps();
  int latch = 5, shorter = 100, longer = 500;
  if (d.DeviceType < "3") latch = 50, shorter = 20000, longer = 100000;
  if (d.DeviceType == "9") latch = 2, shorter = 50, longer = 250;
  b.LatchDelayCount = 2 * latch + 2;
  b.ShortDelayCount = 2 * shorter + 2;
  b.LongDelayCount = 2 * longer + 2;
  p.buf.CodeLength = d.DeviceSize;
}

// A board of this model at 378h, its codes and read-back tables ready.
inline void BoardAt378(ops::Programmer& p, int model) {
  auto& b = p.board;
  b.PortBase = 0x378;
  b.BoardModel = static_cast<int16_t>(model);
  b.InitControlCodes();
  b.SelectBoardModel();
  b.BuildReadBackTables();
}

// A programmer with a board of the given model at 378h and the device of a catalogue row
// selected the way the device list does it, slider at 18 of 20.
struct Rig {
  explicit Rig(int board_model, const std::string& device_name)
      : device(board_model), model(board_model) {
    BoardAt378(p, board_model);
    Select(device_name);
    ui.SetValue(platform::Ctl::CheckCode, 1);
  }

  void Select(const std::string& name) { SelectLikeTheList(p, name); }

  // The state ProgramCode leaves before it runs an algorithm: board reset, address 0 loaded.
  void PrepareProgramming(std::vector<uint8_t> image) {
    std::copy(image.begin(), image.end(), p.ProgramBuffer.begin());
    p.ProgramLength = static_cast<int32_t>(image.size());
    p.board.Reset();
    p.board.SETADR();
    io.Clear();
    ui.log.clear();
  }

  std::vector<Event> Expected(const std::vector<Step>& steps) const {
    return Expand(model, p.board.LatchDelayCount, steps);
  }
  std::vector<int> Latch(int latch) const { return LatchValues(io.Trace(), model, latch); }
  int64_t Count(Event e) const {
    int64_t n = 0;
    for (const Event& t : io.Trace()) n += t == e ? 1 : 0;
    return n;
  }

  ScriptedDevice device;
  platform::RecordingMachine io{&device.board};
  testing_support::FakePanel ui;
  testing_support::FakeClock clock;
  ops::Programmer p{io, ui, clock, "/nonexistent/meldrix5.ini"};
  int model;
};

}  // namespace eprom_test
