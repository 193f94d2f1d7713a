#pragma once

#include <cstdint>
#include <string>

#include "operations/programmer.h"
#include "platform/hex_text.h"

namespace testing_support {

// The first `length` bytes of the code buffer, filled in place by a test, become the operator's
// image as a loaded file of that length would.
inline void TakeAsImage(ops::Programmer& p, int32_t length) {
  p.buf.CodeLength = length;
  p.buf.CodeImageLength = length;
  p.buf.CodeImageSource = "test image";
  p.buf.CodeLoaded = 1;
}

// The log line of programming ("are programmed") or verify ("are compared") for an image that
// covers the whole device of `size` bytes.
inline std::string WholeDeviceLine(int32_t size, const std::string& done) {
  return "Image is " + std::to_string(size) + " bytes: Device bytes 0h.." +
         platform::Hex(static_cast<uint32_t>(size - 1)) + "h " + done + " (the whole Device)";
}

}  // namespace testing_support
