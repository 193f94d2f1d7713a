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

// A run of bytes at consecutive addresses, as a load file's records give them.
struct ImageBlock {
  uint64_t address = 0;
  std::vector<uint8_t> bytes;
  uint64_t end() const { return address + bytes.size(); }
};

// Addresses first .. end - 1 of an image.
struct AddressRange {
  uint64_t first = 0;
  uint64_t end = 0;
  bool operator==(const AddressRange&) const = default;
};

// A load file read whole: the bytes its records give, by address, in ascending blocks that
// neither touch nor overlap.
struct LoadFileImage {
  std::vector<ImageBlock> blocks;
  ImageFormat format = ImageFormat::Other;
  std::string format_name;  // as the file format is known, "Intel HEX"
  size_t records = 0;       // data records
  uint64_t lowest = 0;      // first and last address given
  uint64_t highest = 0;
  // What the reader passed over that the operator should hear of ("line 346 and after:
  // ignored, they follow the end record").
  std::vector<std::string> notes;
};

// What came of reading a file as a load file. refusal: it is a load file, but damaged; says
// where and why ("Intel HEX line 12: checksum 5Ch, the line needs F3h").
struct LoadFileResult {
  std::optional<LoadFileImage> image;
  std::optional<std::string> refusal;
};

// How a file is read. Content: as its first line says, a load file of a format that marks its
// records (Intel HEX ":", S-record "S1".., Tektronix "/", Extended Tektronix "%", MOS
// Technology ";", TI-TXT "@"), raw binary otherwise. The others only when the operator chooses
// them: their lines are plain hex digits, which a raw image or a text could pass for.
enum class ReadAs : uint8_t {
  Content,
  Binary,
  IntelHex,
  SRecord,
  Tektronix,
  TektronixExtended,
  MosTech,
  TiTxt,
  AsciiHex,
  AtmelGeneric,
  BRecord,
  Emon52,
  Fairchild,
  FourPackedCode,
  Mif,
  Os65v,
  Signetics,
  TiTagged,
  TiTagged16,
};

// One choice of the Open dialog's filter and of the command line's --format.
struct ReadAsChoice {
  ReadAs how;
  std::string_view option;  // --format NAME
  std::string_view filter;  // "description|patterns"
};
// The choices, in the order of the Open dialog's filter: reading by content first.
std::span<const ReadAsChoice> ReadAsChoices();
// The Open dialog's filter, "All Files (*.*)|*.*|..." with one entry a choice.
std::string OpenFilter();
// The choice of the filter's entry `index` (0 the first); Content where there is none.
ReadAs ReadAsOfFilter(int index);
// The choice named on the command line ("intel-hex", "brecord", ...), if any.
std::optional<ReadAs> ReadAsOfOption(std::string_view name);

// What a file's content is, as its first line tells: a marked load file format, or Binary.
// A first line that starts as a record (":10", "S1", "s1", after blanks or blank lines) makes
// the file a load file of that format, also when a later line is damaged.
ReadAs RecogniseContent(std::span<const uint8_t> content);

// The two common formats, read from the text itself: record letters and hex digits in either
// case, blanks around a record, CR LF, LF or CR line ends and blank lines are all taken;
// reading stops at the end record or at a CP/M end-of-file mark (1Ah).
LoadFileResult ReadIntelHex(std::string_view text);
LoadFileResult ReadSRecord(std::string_view text);

// A text of Tektronix, Extended Tektronix, MOS Technology or TI-TXT records with the same
// tolerance as the two above, put in the shape the SRecord library reads: each line without the
// blanks around it and ended by LF alone, one line for each line of the file so that the
// library's line numbers are the file's, up to the end record. What follows the end record (a
// trailer, CP/M 1Ah padding) is left out with a note; a text with no end record before its end
// or its 1Ah mark is refused as cut short. The text of any other format is taken as it is.
struct TidiedText {
  bool marked = false;  // one of the four formats
  std::string text;
  std::vector<std::string> notes;
  std::optional<std::string> refusal;  // "no end record (q) after line 6: the file is cut short"
};
TidiedText TidyMarkedText(ReadAs how, std::string_view text);

// The other formats, through the SRecord library; the marked ones tidied first.
LoadFileResult ReadLibraryFormat(ReadAs how, std::string_view text);

// The longest file that may hold an image of `capacity` bytes as text records.
uint64_t LoadFileLimit(size_t capacity);

// A part of an image to write, at the address the file gives it.
struct ImageSpan {
  uint64_t address = 0;
  std::span<const uint8_t> bytes;
};

// The parts as Intel HEX: 16 data bytes a record, extended linear address records once an
// address passes 64 KB, the end-of-file record; lines end in CR LF.
std::string IntelHexText(std::span<const ImageSpan> parts);
// The parts as Motorola S-records: a header, S1 data with S9 end up to 64 KB, S2 with S8 up to
// 16 MB, S3 with S7 beyond; the record count (S5, or S6 past 65535 records) before the end.
std::string SRecordText(std::span<const ImageSpan> parts);
// A whole image from address 0.
std::string IntelHexText(std::span<const uint8_t> image);
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
std::string ImageFileText(ImageFormat format, std::span<const ImageSpan> parts);

// For the log: "Intel HEX: 2048 records, addresses 0h to 7FFFh".
std::string LoadFileSummary(const LoadFileImage& image);

}  // namespace buffers
