#pragma once

// A model-5 board at 378h (the tests' board double) with a scripted chip in its socket, for the
// Flash and EEPROM tests: the chip sees the address the latches carry and answers each byte read
// with a test-chosen function.

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "operations/programmer.h"
#include "platform/recording_machine.h"
#include "support/catalogue_rows.h"
#include "support/fake_clock.h"
#include "support/fake_panel.h"
#include "support/scripted_boards.h"

namespace flash_testing {

// The chip in the socket of a model-5 board at 378h: answers each byte read with `answer`.
class ScriptedSocket {
 public:
  ScriptedSocket() {
    board.chip = [this] {
      ++reads;
      if (keep_addresses) read_addresses.push_back(Address());
      return answer(*this);
    };
  }
  ScriptedSocket(const ScriptedSocket&) = delete;
  ScriptedSocket& operator=(const ScriptedSocket&) = delete;

  testing_support::ScriptedBoards board{0x378, 5};
  const std::array<uint8_t, 5>& latch = board.Latches(0x378);

  // Address lines as the 32-pin Flash wiring carries them: latch 2 A0..A7, latch 1 A8..A15,
  // latch-3 bits 0, 1 and 3 A16, A17, A18 (bit 2 is the write strobe).
  int32_t Address() const {
    return latch[2] | latch[1] << 8 | (latch[3] & 0x03) << 16 | ((latch[3] >> 3) & 1) << 18;
  }
  // The AT29C256: latch-1 bit 7 is the write strobe, A8..A14 on bits 0..6.
  int32_t AddressAT29C256() const { return latch[2] | (latch[1] & 0x7F) << 8; }
  // The X28C256: A14 on latch-1 bit 7, bit 6 the write strobe.
  int32_t AddressX28C256() const {
    return latch[2] | (latch[1] & 0x3F) << 8 | ((latch[1] >> 7) & 1) << 14;
  }

  std::function<uint8_t(const ScriptedSocket&)> answer = [](const ScriptedSocket&) {
    return uint8_t{0xFF};
  };
  int reads = 0;  // bytes read back
  bool keep_addresses = true;
  std::vector<int32_t> read_addresses;
};

struct Device {
  const char* code;
  int32_t size;
  int16_t reg1_mask, reg3_mask;
};
inline constexpr Device kAT29C256{"FA", 32768, 0x80, 2};
inline constexpr Device kX28C256{"EN", 32768, 0x40, 2};
inline constexpr Device kAM29F040{"FM", 524288, 0, 4};
inline constexpr Device kAM29F010{"FS", 131072, 0, 4};
inline constexpr Device kAM29F020{"FR", 262144, 0, 4};
inline constexpr Device kA29040{"FL", 524288, 0, 4};
inline constexpr Device kEprom27256{"P4", 32768, 0, 0};

// The board and device state the device list sets up when this device is selected.
inline void SelectLikeTheDeviceList(ops::Programmer& p, const Device& d) {
  p.board.PortBase = 0x378;
  p.board.BoardModel = 5;
  p.board.InitControlCodes();
  p.board.SelectBoardModel();
  p.board.BuildReadBackTables();
  p.board.SetIdentityMaps();
  p.board.LatchDelayCount = 2;
  const std::string code = d.code;
  p.dev.DeviceFamily = code.substr(0, 1);
  p.dev.DeviceType = code.substr(1, 1);
  p.dev.DeviceCode = code;
  p.dev.Row = testing_support::RowOfCode(code);
  p.dev.DeviceSize = d.size;
  p.dev.DeviceSizeKB = d.size / 1024;
  p.buf.CodeLength = d.size;
  p.board.Reg1Mask = d.reg1_mask;
  p.board.Reg3Mask = d.reg3_mask;
  if (code == "FM" || code == "FL" || code == "FR" || code == "FS") {
    for (int16_t i = 4; i < 8; ++i) p.board.AddrHighMap[static_cast<size_t>(i)] = i + 4;
  }
  if (code == "EN") {
    for (int16_t i = 64; i < 128; ++i) p.board.AddrMidMap[static_cast<size_t>(i)] = i + 64;
  }
  for (size_t i = 0; i < p.ProgramBuffer.size(); ++i) {
    p.ProgramBuffer[i] = static_cast<uint8_t>((i * 7 + i / 256) & 0xFF);
  }
}

// The programmer, with a device selected, on a board whose socket holds a scripted chip.
struct Rig {
  explicit Rig(const Device& d, bool keep_trace = true) : io(&socket.board, keep_trace) {
    socket.keep_addresses = keep_trace;
    SelectLikeTheDeviceList(p, d);
  }

  // A 32-pin chip that answers its ID bytes to the first two reads and then reads as `array`
  // says at the Flash wiring's address; by default what ProgramBuffer holds there, as a chip
  // that took every byte would.
  void ChipWithId(uint8_t maker, uint8_t device, std::function<uint8_t(int32_t)> array = nullptr) {
    if (!array) {
      array = [this](int32_t a) { return p.ProgramBuffer[static_cast<size_t>(a)]; };
    }
    socket.answer = [maker, device, array](const ScriptedSocket& s) -> uint8_t {
      if (s.reads == 1) return maker;
      if (s.reads == 2) return device;
      return array(s.Address());
    };
  }

  ScriptedSocket socket;
  platform::RecordingMachine io;
  testing_support::FakePanel ui;
  testing_support::FakeClock clock;
  ops::Programmer p{io, ui, clock, "/nonexistent/meldrix5.ini"};
};

// The recorded trace in board terms, one step a line: "L3=84" a normal latch write (value,
// delay, idle, delay, strobe, idle), "F3=84" a fast one (value, strobe, idle), "read" a nibble
// read-back, "spin10", "sleep7"; anything else raw.
inline std::vector<std::string> Steps(const platform::RecordingMachine& io, const board::Board& b) {
  using K = platform::RecordingMachine::Kind;
  const auto& t = io.Trace();
  std::vector<std::string> steps;
  const auto is_out = [&](size_t i, uint16_t port, int value) {
    return i < t.size() && t[i].kind == K::Out && t[i].port == port && t[i].value == value;
  };
  const auto is_in = [&](size_t i) { return i < t.size() && t[i].kind == K::In; };
  const auto is_spin = [&](size_t i) { return i < t.size() && t[i].kind == K::Spin; };
  const auto ctl = static_cast<uint16_t>(b.ControlPort);
  const auto data = static_cast<uint16_t>(b.PortBase);
  char text[32];
  for (size_t i = 0; i < t.size();) {
    const auto& e = t[i];
    bool done = false;
    if (e.kind == K::Out && e.port == data) {
      for (size_t n = 0; n < 5 && !done; ++n) {
        if (is_spin(i + 1) && is_out(i + 2, ctl, b.LatchIdle[n]) && is_spin(i + 3) &&
            is_out(i + 4, ctl, b.LatchStrobe[n]) && is_out(i + 5, ctl, b.LatchIdle[n])) {
          std::snprintf(text, sizeof text, "L%zu=%02X", n, static_cast<unsigned>(e.value));
          i += 6;
          done = true;
        } else if (is_out(i + 1, ctl, b.LatchStrobe[n]) && is_out(i + 2, ctl, b.LatchIdle[n])) {
          std::snprintf(text, sizeof text, "F%zu=%02X", n, static_cast<unsigned>(e.value));
          i += 3;
          done = true;
        }
      }
    } else if (is_out(i, ctl, b.NibbleSelectLow) && is_in(i + 1) &&
               is_out(i + 2, ctl, b.NibbleSelectHigh) && is_in(i + 3)) {
      std::snprintf(text, sizeof text, "read");
      i += 4;
      done = true;
    } else if (e.kind == K::Spin || e.kind == K::Sleep) {
      std::snprintf(text, sizeof text, "%s%d", e.kind == K::Spin ? "spin" : "sleep", e.value);
      ++i;
      done = true;
    }
    if (!done) {
      std::snprintf(text, sizeof text, "raw%d:%X=%02X", static_cast<int>(e.kind), e.port,
                    static_cast<unsigned>(e.value));
      ++i;
    }
    steps.emplace_back(text);
  }
  return steps;
}

// One WriteCycle_FLASH / WriteCycle_XICOR as Steps shows it: address, data, chip enable, the
// write strobe on latch 1, all on fast latch writes with 5 us waits between.
inline std::vector<std::string> CommandCycle(const std::string& data, const std::string& reg1,
                                             const std::string& reg2,
                                             const std::string& reg1_strobed) {
  return {"F1=" + reg1,         "spin10", "F2=" + reg2, "spin10", "F4=" + data, "F3=02",
          "F1=" + reg1_strobed, "spin10", "F1=" + reg1, "spin10", "F3=82"};
}

// Compares step lists and, on a difference, shows where it starts.
inline void ExpectSteps(const std::vector<std::string>& actual,
                        const std::vector<std::string>& expected) {
  size_t i = 0;
  while (i < actual.size() && i < expected.size() && actual[i] == expected[i]) ++i;
  if (i == actual.size() && i == expected.size()) return;
  std::string context;
  for (size_t k = i >= 3 ? i - 3 : 0; k < i + 4; ++k) {
    context += "\n  #" + std::to_string(k) + " actual " +
               (k < actual.size() ? actual[k] : "(end)") + ", expected " +
               (k < expected.size() ? expected[k] : "(end)");
  }
  ADD_FAILURE() << "steps differ from #" << i << " (" << actual.size() << " actual, "
                << expected.size() << " expected):" << context;
}

inline int Count(const std::vector<std::string>& steps, const std::string& step) {
  int n = 0;
  for (const auto& s : steps) n += s == step ? 1 : 0;
  return n;
}

}  // namespace flash_testing
