#include "buffers/hex_page.h"

#include <algorithm>
#include <cstdio>

namespace buffers {
namespace {

constexpr std::string_view kHexDigits = "0123456789ABCDEF";

void AppendHexByte(std::string& text, uint8_t byte) {
  text.push_back(kHexDigits[byte >> 4]);
  text.push_back(kHexDigits[byte & 0x0F]);
}

}  // namespace

char AsciiOf(uint8_t byte, AsciiRule rule) {
  const char c = static_cast<char>(byte);
  if (rule == AsciiRule::Device) return byte >= 32 && byte <= 122 ? c : '.';
  return byte != 0 && kPrintableChars.find(c) != std::string_view::npos ? c : '.';
}

void AppendHexLine(std::string& text, int32_t address, std::span<const uint8_t> bytes,
                   AsciiRule rule) {
  text += kCrLf;
  char digits[16];
  std::snprintf(digits, sizeof digits, "%06X", static_cast<unsigned>(address));
  text += digits;
  text += "| ";
  for (size_t i = 0; i < kBytesPerLine; ++i) {
    if (i < bytes.size()) {
      AppendHexByte(text, bytes[i]);
    } else {
      text += "  ";  // past the end of the image: the column stays in place, empty
    }
    if (i % 4 == 3) text.push_back(' ');
  }
  text += "| ";
  for (uint8_t byte : bytes) text.push_back(AsciiOf(byte, rule));
}

std::string HexLines(std::span<const uint8_t> image, size_t first, int lines, AsciiRule rule) {
  std::string text;
  text.reserve(static_cast<size_t>(lines) * 70);
  for (int line = 0; line < lines; ++line) {
    const size_t base = first + static_cast<size_t>(line) * kBytesPerLine;
    if (base >= image.size()) break;
    const size_t count = std::min<size_t>(kBytesPerLine, image.size() - base);
    AppendHexLine(text, static_cast<int32_t>(base), image.subspan(base, count), rule);
  }
  return text;
}

int32_t LastPage(int64_t bytes, size_t page_bytes) {
  const auto size = static_cast<int64_t>(page_bytes);
  return static_cast<int32_t>((std::max<int64_t>(bytes, 0) + size - 1) / size - 1);
}

int32_t PageWithin(int64_t position, size_t page_bytes, size_t buffer_bytes) {
  const int32_t last = LastPage(static_cast<int64_t>(buffer_bytes), page_bytes);
  if (last < 0) return 0;
  return static_cast<int32_t>(std::clamp<int64_t>(position, 0, last));
}

std::string CodePageText(std::span<const uint8_t> code, int64_t position) {
  const int32_t page = PageWithin(position, kCodePageBytes, code.size());
  return HexLines(code, static_cast<size_t>(page) * kCodePageBytes, kCodePageBytes / kBytesPerLine,
                  AsciiRule::Buffer);
}

std::string DataPageText(std::span<const uint8_t> data, int64_t position) {
  std::string text = "             *** BUFFER DATA ***";
  text += kCrLf;
  const int32_t page = PageWithin(position, kDataPageBytes, data.size());
  text += HexLines(data, static_cast<size_t>(page) * kDataPageBytes, kDataPageBytes / kBytesPerLine,
                   AsciiRule::Buffer);
  return text;
}

std::string DevicePageText(std::span<const uint8_t, 256> page, int32_t page_number) {
  std::string text;
  text.reserve(16 * 70);
  for (int line = 0; line < 16; ++line) {
    const auto offset = static_cast<size_t>(line) * kBytesPerLine;
    AppendHexLine(text, page_number * kCodePageBytes + static_cast<int32_t>(offset),
                  page.subspan(offset).first<kBytesPerLine>(), AsciiRule::Device);
  }
  return text;
}

double StatCode(std::string_view text) {
  double sum = 0;
  for (char c : text) sum += static_cast<unsigned char>(c);
  return sum;
}

std::string BufferDisplayFile(std::string_view vendor, std::string_view date, std::string_view time,
                              std::string_view view_text) {
  char stat[32];
  std::snprintf(stat, sizeof stat, " %.0f ", StatCode(view_text));
  std::string file = "MELDRIX5 BUFFER DISPLAY FILE - ";
  file += vendor;
  file += kCrLf;
  file += "The following contents are the contents from Buffer DIsplay";
  file += kCrLf;
  file += date;
  file += ' ';
  file += time;
  file += " StatCode:";
  file += stat;
  file += kCrLf;
  file += std::string(60, '-');
  file += kCrLf;
  file += view_text;
  file += kCrLf;
  return file;
}

}  // namespace buffers
