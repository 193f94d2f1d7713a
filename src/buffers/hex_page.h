#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace buffers {

inline constexpr std::string_view kCrLf = "\r\n";

// The characters the buffer views show as themselves; every other byte shows as a dot.
inline constexpr std::string_view kPrintableChars =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz1234567890-=\\!@#$%^&*()_+|[]}{;:'/?.>,<";

// Which bytes the ASCII column shows as characters: the buffer views use the printable set,
// the device view every code from the blank up to "z".
enum class AsciiRule : uint8_t { Buffer, Device };

inline constexpr int kBytesPerLine = 16;
inline constexpr int kCodePageBytes = 256;
inline constexpr int kDataPageBytes = 128;

char AsciiOf(uint8_t byte, AsciiRule rule);

// Appends CR LF and one line of the view: six-digit address, "| ", four groups of four bytes
// in hex each followed by a blank, "| ", then the sixteen characters.
// A line of fewer than sixteen bytes (the end of an image) leaves the missing bytes' columns
// blank and shows only the characters of the bytes it has.
void AppendHexLine(std::string& text, int32_t address, std::span<const uint8_t> bytes,
                   AsciiRule rule);

// Where byte `i` (0..15) of a line stands in it: the first of its two hex digits, and its
// character in the ASCII column.
constexpr int HexColumn(int i) {
  return 8 + 2 * i + i / 4;
}
constexpr int AsciiColumn(int i) {
  return 8 + 2 * kBytesPerLine + kBytesPerLine / 4 + 2 + i;
}

// The lines for up to `lines` x 16 bytes starting at byte `first` of the image, each addressed
// from first; the lines stop where the image ends.
std::string HexLines(std::span<const uint8_t> image, size_t first, int lines, AsciiRule rule);

// The number of the last page of `bytes` bytes, a partial page counted whole: the scroll bar's
// maximum, so that every byte can be shown. -1 when there is no byte.
int32_t LastPage(int64_t bytes, size_t page_bytes);

// The page a scroll position stands for, kept to the pages of a buffer of buffer_bytes (the
// last one may be partial): a position outside them shows the nearest page that exists.
int32_t PageWithin(int64_t position, size_t page_bytes, size_t buffer_bytes);

// The code view: page `position` of 256 bytes of the image, as many lines as the page has.
std::string CodePageText(std::span<const uint8_t> code, int64_t position);
// The data view: a header line, an empty line, then eight lines of page `position` of 128 bytes.
std::string DataPageText(std::span<const uint8_t> data, int64_t position);
// A page of 256 bytes read from the device, addressed from page x 256.
std::string DevicePageText(std::span<const uint8_t, 256> page, int32_t page_number);

// The sum of the character codes (0..255) of every character of the text.
double StatCode(std::string_view text);

// The buffer display file: four header lines, then the view's text as it stands.
std::string BufferDisplayFile(std::string_view vendor, std::string_view date, std::string_view time,
                              std::string_view view_text);

}  // namespace buffers
