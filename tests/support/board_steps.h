#pragma once

// The tests' one way of describing port traces: a recorded trace is read back into the steps the
// board sees, one string a step, and expected sequences are written in the same strings.
//
//   "L3=84"     a latch write with its settling waits: data, wait, idle, wait, strobe, idle
//   "F3=84"     a fast latch write: data, strobe, idle
//   "read=5A"   one byte read back through the multiplexer, low nibble first
//   "spin10"    a busy-wait of 10 passes
//   "sleep7"    a 7 ms sleep
//   anything else as the raw access: "out37A=0B", "in379=87"
//
// The control codes and status lines are written down here from the board's wiring, not taken
// from the program, so that a wrong code table in the program shows as a wrong trace.

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/hex_text.h"
#include "platform/recording_machine.h"

namespace testing_support {

// Control-register codes of each board model: per latch the idle and strobe codes, and the two
// codes that put the low and the high nibble of the bus on the status lines.
struct ControlCodes {
  std::array<uint8_t, 5> idle, strobe;
  uint8_t low_nibble, high_nibble;
};
inline constexpr ControlCodes kModel4Codes{
    {0x0A, 0x02, 0x08, 0x00, 0x0E}, {0x0B, 0x03, 0x09, 0x01, 0x0F}, 0x00, 0x04};
inline constexpr ControlCodes kModel5Codes{
    {0x05, 0x0D, 0x07, 0x0F, 0x01}, {0x04, 0x0C, 0x06, 0x0E, 0x00}, 0x05, 0x01};
inline const ControlCodes& CodesOf(int model) {
  return model == 4 ? kModel4Codes : kModel5Codes;
}

// The status lines of each model for one nibble of the bus; the lines that carry no data bit read
// high. Model 4 takes D1 inverted on BUSY (bit 7); model 5 has the nibble on bits 3..6.
inline uint8_t StatusFor(int model, unsigned nibble) {
  nibble &= 0x0FU;
  if (model != 4) return static_cast<uint8_t>((nibble << 3U) | 0x87U);
  return static_cast<uint8_t>(((nibble & 1U) << 6U) | ((~nibble & 2U) << 6U) |
                              ((nibble & 4U) << 3U) | ((nibble & 8U) << 1U) | 0x07U);
}
inline unsigned NibbleOf(int model, unsigned status) {
  if (model != 4) return (status >> 3U) & 0x0FU;
  return ((status >> 6U) & 1U) | ((~status >> 6U) & 2U) | ((status >> 3U) & 4U) |
         ((status >> 1U) & 8U);
}

inline std::string Hex2(int value) {
  return platform::Hex(static_cast<unsigned>(value) & 0xFFU, 2);
}

// Expected steps, written as the decoder writes them.
inline std::string L(int latch, int value) {
  return "L" + std::to_string(latch) + "=" + Hex2(value);
}
inline std::string F(int latch, int value) {
  return "F" + std::to_string(latch) + "=" + Hex2(value);
}
inline std::string R(int byte) {
  return "read=" + Hex2(byte);
}
inline std::string S(int passes) {
  return "spin" + std::to_string(passes);
}
inline std::string Z(int milliseconds) {
  return "sleep" + std::to_string(milliseconds);
}

// A trace of the board of this model at `base`, read back into steps. A latch write counts as
// one only when both its waits are `latch_delay` passes long; otherwise its accesses show raw.
inline std::vector<std::string> StepsOf(const std::vector<platform::RecordingMachine::Event>& t,
                                        int model, int latch_delay, uint16_t base = 0x378) {
  using K = platform::RecordingMachine::Kind;
  const ControlCodes& c = CodesOf(model);
  const auto data = base, status = static_cast<uint16_t>(base + 1),
             control = static_cast<uint16_t>(base + 2);
  const auto out = [&](size_t i, uint16_t port, int value) {
    return i < t.size() && t[i].kind == K::Out && t[i].port == port && t[i].value == value;
  };
  const auto in = [&](size_t i) {
    return i < t.size() && t[i].kind == K::In && t[i].port == status;
  };
  const auto settle = [&](size_t i) {
    return i < t.size() && t[i].kind == K::Spin && t[i].value == latch_delay;
  };
  std::vector<std::string> steps;
  for (size_t i = 0; i < t.size();) {
    const auto& e = t[i];
    const size_t before = i;
    if (e.kind == K::Out && e.port == data) {
      for (int n = 0; n < 5 && i == before; ++n) {
        const uint8_t idle = c.idle[static_cast<size_t>(n)];
        const uint8_t strobe = c.strobe[static_cast<size_t>(n)];
        if (settle(i + 1) && out(i + 2, control, idle) && settle(i + 3) &&
            out(i + 4, control, strobe) && out(i + 5, control, idle)) {
          steps.push_back(L(n, e.value));
          i += 6;
        } else if (out(i + 1, control, strobe) && out(i + 2, control, idle)) {
          steps.push_back(F(n, e.value));
          i += 3;
        }
      }
    } else if (out(i, control, c.low_nibble) && in(i + 1) && out(i + 2, control, c.high_nibble) &&
               in(i + 3)) {
      const auto low = NibbleOf(model, static_cast<unsigned>(t[i + 1].value));
      const auto high = NibbleOf(model, static_cast<unsigned>(t[i + 3].value));
      steps.push_back(R(static_cast<int>(low | high << 4U)));
      i += 4;
    } else if (e.kind == K::Spin) {
      steps.push_back(S(e.value));
      ++i;
    } else if (e.kind == K::Sleep) {
      steps.push_back(Z(e.value));
      ++i;
    }
    if (i == before) {
      steps.push_back((e.kind == K::Out ? "out" : "in") + platform::Hex(e.port) + "=" +
                      Hex2(e.value));
      ++i;
    }
  }
  return steps;
}

// The values written to one latch, in order, by latch writes of either kind.
inline std::vector<int> LatchValues(const std::vector<std::string>& steps, int latch) {
  std::vector<int> values;
  const std::string normal = "L" + std::to_string(latch) + "=",
                    fast = "F" + std::to_string(latch) + "=";
  for (const std::string& s : steps) {
    if (s.starts_with(normal) || s.starts_with(fast))
      values.push_back(std::stoi(s.substr(3), nullptr, 16));
  }
  return values;
}

// How many steps are `step`; with a step ending in '=' ("read="), how many begin with it.
inline int Count(const std::vector<std::string>& steps, std::string_view step) {
  const bool prefix = step.ends_with('=');
  int n = 0;
  for (const std::string& s : steps) n += (prefix ? s.starts_with(step) : s == step) ? 1 : 0;
  return n;
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

}  // namespace testing_support
