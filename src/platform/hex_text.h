#pragma once

#include <cstdint>
#include <string>

namespace platform {

// A number as the messages and the settings file show addresses, bytes and ports: upper-case
// hexadecimal digits, no suffix, no leading zeros beyond `min_digits` (0 is "0", 255 is "FF";
// Hex(10, 2) is "0A").
inline std::string Hex(uint64_t value, int min_digits = 1) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  std::string text;
  do {
    text.insert(text.begin(), kDigits[value & 0xFU]);
    value >>= 4U;
  } while (value != 0 || static_cast<int>(text.size()) < min_digits);
  return text;
}

}  // namespace platform
