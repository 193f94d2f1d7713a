#pragma once

// A model-5 board at 378h (the tests' board double) with a scripted chip in its socket, for the
// Flash and EEPROM tests: the chip sees the address the latches carry and answers each byte read
// with a test-chosen function.

#include <gtest/gtest.h>

#include <array>
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

// Devices of the catalogue the Flash tests use, by their names in the device list.
inline constexpr std::string_view kAT29C256 = "Flash Atmel AT29C256";
inline constexpr std::string_view kX28C256 = "Eeprom XICOR X28C256";
inline constexpr std::string_view kAM29F040 = "Flash AMD AM29F040";
inline constexpr std::string_view kAM29F010 = "Flash AMD AM29F010";
inline constexpr std::string_view kAM29F020 = "Flash AMD AM29F020";
inline constexpr std::string_view kA29040 = "Flash AMIC A29040";
inline constexpr std::string_view kEprom27C256 = "Eprom 27C256";

// A model-5 board at 378h with this device chosen from the device list, the slider at 18 of 20,
// and a program buffer that differs from byte to byte and from page to page.
inline void SelectOnModel5(ops::Programmer& p, std::string_view device) {
  testing_support::BoardAt378(p, 5);
  testing_support::SelectInTheList(p, device);
  for (size_t i = 0; i < p.ProgramBuffer.size(); ++i) {
    p.ProgramBuffer[i] = static_cast<uint8_t>((i * 7 + i / 256) & 0xFF);
  }
}

// The programmer, with a device selected, on a board whose socket holds a scripted chip.
// What the selection did (the AT29C256 is asked for its ID) and reported is forgotten.
struct Rig {
  explicit Rig(std::string_view device, bool keep_trace = true) : io(&socket.board, keep_trace) {
    socket.keep_addresses = keep_trace;
    SelectOnModel5(p, device);
    io.Clear();
    ui.ForgetReports();
    socket.reads = 0;
    socket.read_addresses.clear();
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

  // The trace so far, in steps.
  std::vector<std::string> Steps() const {
    return testing_support::StepsOf(io.Trace(), 5, p.board.LatchDelayCount);
  }

  ScriptedSocket socket;
  platform::RecordingMachine io;
  testing_support::FakePanel ui;
  testing_support::FakeClock clock;
  ops::Programmer p{io, ui, clock, "/nonexistent/meldrix5.ini"};
};

using testing_support::Count;
using testing_support::ExpectSteps;

// One WriteCycle_FLASH / WriteCycle_XICOR in steps: address, data, chip enable, the
// write strobe on latch 1, all on fast latch writes with 5 us waits between.
inline std::vector<std::string> CommandCycle(const std::string& data, const std::string& reg1,
                                             const std::string& reg2,
                                             const std::string& reg1_strobed) {
  return {"F1=" + reg1,         "spin10", "F2=" + reg2, "spin10", "F4=" + data, "F3=02",
          "F1=" + reg1_strobed, "spin10", "F1=" + reg1, "spin10", "F3=82"};
}

}  // namespace flash_testing
