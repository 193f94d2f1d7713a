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
void AppendHexLine(std::string& text, int32_t address, std::span<const uint8_t, 16> bytes,
                   AsciiRule rule);

// The lines for `lines` x 16 bytes starting at byte `first` of the image, each addressed from
// first. The caller keeps first + lines x 16 within the image.
std::string HexLines(std::span<const uint8_t> image, size_t first, int lines, AsciiRule rule);

// The page a scroll position stands for, kept to the pages that lie wholly inside a buffer of
// buffer_bytes: a position outside them shows the nearest page that exists.
int32_t PageWithin(int64_t position, size_t page_bytes, size_t buffer_bytes);

// The code view: page `position` of 256 bytes, sixteen lines after an empty first line.
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
