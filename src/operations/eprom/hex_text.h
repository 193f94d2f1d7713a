#pragma once

#include <cstdint>
#include <string>

namespace ops {

// A number as the log shows addresses and bytes: upper-case hexadecimal digits, no leading
// zeros, no suffix (0 is "0", 255 is "FF").
inline std::string Hex(uint32_t value) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  std::string text;
  do {
    text.insert(text.begin(), kDigits[value & 0xFU]);
    value >>= 4U;
  } while (value != 0);
  return text;
}

}  // namespace ops
