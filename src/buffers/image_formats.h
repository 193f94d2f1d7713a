#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace buffers {

// How an image file is laid out. Other: a load file the program reads but does not write
// (Tektronix, MOS Technology, ...).
enum class ImageFormat : uint8_t { Binary, IntelHex, SRecord, Other };

// A load file read whole: its bytes placed by their addresses, FFh (the erased state) where no
// record gives one, up to the highest address given.
struct LoadFileImage {
  std::vector<uint8_t> bytes;
  ImageFormat format = ImageFormat::Other;
  std::string format_name;  // as the file format is known, "Intel Hexadecimal (MCS-86)"
  size_t records = 0;       // data records
  uint64_t lowest = 0;      // first and last address given
  uint64_t highest = 0;
};

// What came of reading a file as a load file. Neither set: no format recognises it, so it is a
// raw binary image. refusal: it is a load file, but damaged; says where and why ("line 12:
// checksum mismatch (3C != 00)").
struct LoadFileResult {
  std::optional<LoadFileImage> image;
  std::optional<std::string> refusal;
};

// Whether the content can be a text load file at all: printable characters, tabs, line ends
// and the end-of-file marks some tools add. Raw images hold other bytes almost always.
bool LooksLikeText(std::span<const uint8_t> content);

// Reads the file at path as a load file of any text format known; addresses must lie below
// capacity. The caller has read the file already, so it exists and can be opened.
LoadFileResult ReadLoadFile(const std::string& path, size_t capacity);

// The longest file that may hold an image of `capacity` bytes as text records.
uint64_t LoadFileLimit(size_t capacity);

// The image as Intel HEX: 16 data bytes a record, extended linear address records once the
// image passes 64 KB, the end-of-file record; lines end in CR LF.
std::string IntelHexText(std::span<const uint8_t> image);
// The image as Motorola S-records: a header, S1 data with S9 end up to 64 KB, S2 with S8 up to
// 16 MB, S3 with S7 beyond; the record count (S5, or S6 past 65535 records) before the end.
std::string SRecordText(std::span<const uint8_t> image);

// The save dialog's choices, raw binary first (and the default); ImageFormatChosen turns the
// operator's choice into a format.
inline constexpr std::string_view kSaveFilter =
    "Raw Binary (*.*)|*.*|Intel HEX (*.hex;*.ihx)|*.hex;*.ihx|"
    "Motorola S-record (*.s19;*.s28;*.s37;*.srec;*.mot)|*.s19;*.s28;*.s37;*.srec;*.mot";

// The format a file's name announces, if any (".hex", ".s19", ...; ".bin" is raw binary).
std::optional<ImageFormat> FormatOfName(std::string_view path);
// Intel HEX or S-record when the operator picked that filter (1 or 2); with the default filter
// the name's extension decides, and raw binary where it says nothing.
ImageFormat ImageFormatChosen(std::string_view path, int filter_index);

// The file's bytes for an image in a format the program writes (not Other).
std::string ImageFileText(ImageFormat format, std::span<const uint8_t> image);

// For the log: "Intel Hexadecimal (MCS-86): 2048 records, addresses 0h to 7FFFh".
std::string LoadFileSummary(const LoadFileImage& image);

}  // namespace buffers
