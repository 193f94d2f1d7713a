// Intel HEX and Motorola S-record files as the toolchains of the field write them, the other
// marked formats put in the shape the SRecord library reads, and which format a file's content
// is.
#include <algorithm>
#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "buffers/image_formats.h"
#include "buffers/record_collector.h"
#include "platform/hex_text.h"

namespace buffers {
namespace {

constexpr uint8_t kEndOfFileMark = 0x1A;  // CP/M pads the last 128-byte block with it
constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";  // UTF-8

bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\f' || c == '\v';
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

bool IsHex(char c) {
  return HexValue(c) >= 0;
}

std::string_view Trim(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

// The lines of a text as an editor numbers them from 1: CR LF, LF and CR each end a line. A
// CP/M end-of-file mark ends the text where it stands.
class Lines {
 public:
  explicit Lines(std::string_view text) : text_(text) {}

  // The next line without its blanks around it; false once the text or the mark is reached.
  bool Next(std::string_view& line) {
    if (at_ >= text_.size() || marked_) return false;
    ++number_;
    size_t end = at_;
    while (end < text_.size() && text_[end] != '\r' && text_[end] != '\n' &&
           static_cast<uint8_t>(text_[end]) != kEndOfFileMark) {
      ++end;
    }
    line = Trim(text_.substr(at_, end - at_));
    if (end < text_.size() && static_cast<uint8_t>(text_[end]) == kEndOfFileMark) {
      marked_ = true;
      mark_line_ = number_;
    } else if (end < text_.size() && text_[end] == '\r' && end + 1 < text_.size() &&
               text_[end + 1] == '\n') {
      end += 2;
    } else {
      ++end;
    }
    at_ = end;
    return true;
  }
  size_t number() const { return number_; }

  // After the end record: the first line that holds anything but blanks, or the line of the
  // end-of-file mark; 0 when nothing follows.
  size_t FirstLineOfRest() {
    if (marked_) return mark_line_;
    std::string_view line;
    while (Next(line)) {
      if (!line.empty()) return number_;
    }
    return marked_ ? mark_line_ : 0;
  }

 private:
  std::string_view text_;
  size_t at_ = 0;
  size_t number_ = 0;
  bool marked_ = false;
  size_t mark_line_ = 0;
};

// "'G' is not a hex digit", or for a byte that is no printable character "byte 00h is ...".
std::string NotHex(char c) {
  const auto u = static_cast<uint8_t>(c);
  if (u >= 0x20 && u < 0x7F) return std::string("'") + c + "' is not a hex digit";
  return "byte " + platform::Hex(u, 2) + "h is not a hex digit";
}

// The bytes a record's hex digits stand for, or why they are not pairs of hex digits.
std::optional<std::string> Decode(std::string_view digits, std::vector<uint8_t>& bytes) {
  bytes.clear();
  for (char c : digits) {
    if (!IsHex(c)) return NotHex(c);
  }
  if (digits.size() % 2 != 0) return "odd number of hex digits";
  for (size_t i = 0; i < digits.size(); i += 2) {
    bytes.push_back(static_cast<uint8_t>(HexValue(digits[i]) * 16 + HexValue(digits[i + 1])));
  }
  return std::nullopt;
}

uint64_t BigEndian(const std::vector<uint8_t>& bytes, size_t at, size_t count) {
  uint64_t value = 0;
  for (size_t i = 0; i < count; ++i) value = value << 8U | bytes[at + i];
  return value;
}

uint8_t SumOf(const std::vector<uint8_t>& bytes, size_t count) {
  uint8_t sum = 0;
  for (size_t i = 0; i < count; ++i) sum = static_cast<uint8_t>(sum + bytes[i]);
  return sum;
}

std::string ChecksumReason(uint8_t found, uint8_t needed) {
  return "checksum " + platform::Hex(found, 2) + "h, the line needs " + platform::Hex(needed, 2) +
         "h";
}

// What one reading makes: the records collected, and the refusal or the image.
class Reading {
 public:
  Reading(ImageFormat format, std::string_view name) : name_(name) { image_.format = format; }

  LoadFileResult Refuse(size_t line, const std::string& reason) {
    LoadFileResult result;
    result.refusal = name_ + " line " + std::to_string(line) + ": " + reason;
    return result;
  }
  LoadFileResult RefuseWhole(const std::string& reason) {
    LoadFileResult result;
    result.refusal = name_ + ": " + reason;
    return result;
  }
  void Add(uint64_t address, std::span<const uint8_t> bytes, size_t line) {
    records_.Add(address, bytes, line);
  }
  size_t records() const { return records_.records(); }
  void Note(std::string note) { image_.notes.push_back(name_ + ": " + std::move(note)); }
  void NoteRest(Lines& lines) {
    if (const size_t rest = lines.FirstLineOfRest(); rest != 0) {
      Note("line " + std::to_string(rest) + " and after: ignored, they follow the end record");
    }
  }
  LoadFileResult Finish() {
    image_.format_name = name_;
    if (auto wrong = records_.Take(image_)) return RefuseWhole(*wrong);
    LoadFileResult result;
    result.image = std::move(image_);
    return result;
  }

 private:
  std::string name_;
  RecordCollector records_;
  LoadFileImage image_;
};

// The formats read through the SRecord library whose records start with a character of their
// own, and how their end record looks.
struct MarkedFormat {
  ReadAs how;
  char marker;
  std::string_view end_record;  // in words, for the refusal of a file cut short
  bool (*ends)(std::string_view line);
};

constexpr std::array<MarkedFormat, 4> kMarkedFormats = {{
    // "/AAAA00CC": a record of no bytes, its address where the program starts.
    {ReadAs::Tektronix, '/', "a record of 00 bytes",
     [](std::string_view line) {
       return line.size() >= 7 && line[0] == '/' && line.substr(5, 2) == "00";
     }},
    // "%LL8CC...": a record of type 8.
    {ReadAs::TektronixExtended, '%', "a record of type 8",
     [](std::string_view line) { return line.size() >= 4 && line[0] == '%' && line[3] == '8'; }},
    // ";00NNNNCCCC": a record of no bytes that counts the records before it.
    {ReadAs::MosTech, ';', "a record of 00 bytes",
     [](std::string_view line) {
       return line.size() >= 3 && line[0] == ';' && line.substr(1, 2) == "00";
     }},
    {ReadAs::TiTxt, '@', "q", [](std::string_view line) { return line == "q" || line == "Q"; }},
}};

constexpr std::string_view kIntelName = "Intel HEX";
constexpr std::string_view kSRecordName = "Motorola S-record";

}  // namespace

LoadFileResult ReadIntelHex(std::string_view text) {
  Reading reading(ImageFormat::IntelHex, kIntelName);
  Lines lines(text);
  std::string_view line;
  std::vector<uint8_t> bytes;
  uint64_t base = 0;  // from the extended segment or linear address record in force
  size_t last = 0;
  while (lines.Next(line)) {
    if (line.empty()) continue;
    const size_t n = lines.number();
    last = n;
    if (line.front() != ':') return reading.Refuse(n, "not a record: it does not start with ':'");
    if (auto wrong = Decode(line.substr(1), bytes)) return reading.Refuse(n, *wrong);
    if (bytes.size() < 5)
      return reading.Refuse(
          n, "a record has at least 5 bytes, this one " + std::to_string(bytes.size()));
    const size_t count = bytes[0];
    if (bytes.size() != count + 5) {
      return reading.Refuse(n, std::string("the record is ") +
                                   (bytes.size() < count + 5 ? "shorter" : "longer") +
                                   " than its count of " + std::to_string(count) + " data bytes");
    }
    const auto needed = static_cast<uint8_t>(0x100 - SumOf(bytes, bytes.size() - 1));
    if (bytes.back() != needed) return reading.Refuse(n, ChecksumReason(bytes.back(), needed));
    const uint64_t offset = BigEndian(bytes, 1, 2);
    const uint8_t type = bytes[3];
    switch (type) {
      case 0x00:
        reading.Add(base + offset, std::span(bytes).subspan(4, count), n);
        break;
      case 0x01:
        reading.NoteRest(lines);
        return reading.Finish();
      case 0x02:
      case 0x04:
        if (count != 2) {
          return reading.Refuse(
              n, "an address record holds 2 bytes, this one " + std::to_string(count));
        }
        base = BigEndian(bytes, 4, 2) << (type == 0x02 ? 4U : 16U);
        break;
      case 0x03:
      case 0x05:
        break;  // the start address of the program: nothing for the chip
      default:
        return reading.Refuse(
            n, "record type " + platform::Hex(type, 2) + "h is not one of Intel HEX (00h to 05h)");
    }
  }
  return reading.RefuseWhole("no end record (:00000001FF) after line " + std::to_string(last) +
                             ": the file is cut short");
}

LoadFileResult ReadSRecord(std::string_view text) {
  Reading reading(ImageFormat::SRecord, kSRecordName);
  Lines lines(text);
  std::string_view line;
  std::vector<uint8_t> bytes;
  size_t last = 0;
  size_t count_line = 0;  // the last count record (S5 / S6)
  bool data_after_count = false;
  while (lines.Next(line)) {
    if (line.empty()) continue;
    const size_t n = lines.number();
    last = n;
    if (line.size() < 2 || (line[0] != 'S' && line[0] != 's') || line[1] < '0' || line[1] > '9') {
      return reading.Refuse(n, "not a record: it does not start with S and a type digit");
    }
    const int type = line[1] - '0';
    if (auto wrong = Decode(line.substr(2), bytes)) return reading.Refuse(n, *wrong);
    if (bytes.empty()) return reading.Refuse(n, "the record has no count");
    const size_t count = bytes[0];
    if (bytes.size() != count + 1) {
      return reading.Refuse(n, std::string("the record is ") +
                                   (bytes.size() < count + 1 ? "shorter" : "longer") +
                                   " than its count of " + std::to_string(count) + " bytes");
    }
    constexpr std::array<size_t, 10> kAddressBytes = {2, 2, 3, 4, 0, 2, 3, 4, 3, 2};
    const size_t address_bytes = kAddressBytes[static_cast<size_t>(type)];
    if (address_bytes == 0) return reading.Refuse(n, "S4 is not a record type");
    if (count < address_bytes + 1) {
      return reading.Refuse(n, "an S" + std::to_string(type) + " record has at least " +
                                   std::to_string(address_bytes + 1) +
                                   " bytes after its count, this one " + std::to_string(count));
    }
    const auto needed = static_cast<uint8_t>(~SumOf(bytes, bytes.size() - 1));
    if (bytes.back() != needed) return reading.Refuse(n, ChecksumReason(bytes.back(), needed));
    const uint64_t address = BigEndian(bytes, 1, address_bytes);
    switch (type) {
      case 1:
      case 2:
      case 3:
        reading.Add(address, std::span(bytes).subspan(1 + address_bytes, count - address_bytes - 1),
                    n);
        data_after_count = true;
        break;
      case 5:
      case 6:
        if (address != reading.records()) {
          return reading.Refuse(n, "the count record says " + std::to_string(address) +
                                       " data records, the file has " +
                                       std::to_string(reading.records()) + " before it");
        }
        count_line = n;
        data_after_count = false;
        break;
      case 7:
      case 8:
      case 9:
        reading.NoteRest(lines);
        return reading.Finish();
      default:
        break;  // S0: the header, a name for the file
    }
  }
  if (count_line == 0 || data_after_count) {
    return reading.RefuseWhole("no end record (S7, S8 or S9) and no count record after line " +
                               std::to_string(last) + ": the file is cut short");
  }
  reading.Note("no end record (S7, S8 or S9); the count record of line " +
               std::to_string(count_line) + " confirms all " + std::to_string(reading.records()) +
               " data records");
  return reading.Finish();
}

TidiedText TidyMarkedText(ReadAs how, std::string_view text) {
  TidiedText tidied;
  const auto* format = std::find_if(kMarkedFormats.begin(), kMarkedFormats.end(),
                                    [how](const MarkedFormat& f) { return f.how == how; });
  if (format == kMarkedFormats.end()) {
    tidied.text = text;
    return tidied;
  }
  tidied.marked = true;
  if (text.starts_with(kByteOrderMark)) text.remove_prefix(kByteOrderMark.size());
  tidied.text.reserve(text.size());
  Lines lines(text);
  std::string_view line;
  size_t last = 0;
  while (lines.Next(line)) {
    tidied.text.append(line).push_back('\n');  // one line for each, so that line numbers hold
    if (line.empty()) continue;
    last = lines.number();
    if (format->ends(line)) {
      if (const size_t rest = lines.FirstLineOfRest(); rest != 0) {
        tidied.notes.push_back("line " + std::to_string(rest) +
                               " and after: ignored, they follow the end record");
      }
      return tidied;
    }
  }
  tidied.refusal = "no end record (" + std::string(format->end_record) + ") after line " +
                   std::to_string(last) + ": the file is cut short";
  return tidied;
}

ReadAs RecogniseContent(std::span<const uint8_t> content) {
  std::string_view text(reinterpret_cast<const char*>(content.data()), content.size());
  if (text.starts_with(kByteOrderMark)) text.remove_prefix(kByteOrderMark.size());
  const size_t start = text.find_first_not_of(" \t\f\v\r\n");
  if (start == std::string_view::npos) return ReadAs::Binary;
  text.remove_prefix(start);
  const auto hex_at = [text](size_t i) { return i < text.size() && IsHex(text[i]); };
  ReadAs marked = ReadAs::Binary;
  switch (text[0]) {
    case ':':
      if (hex_at(1) && hex_at(2)) marked = ReadAs::IntelHex;
      break;
    case 'S':
    case 's':
      if (text.size() > 1 && text[1] >= '0' && text[1] <= '9' && hex_at(2) && hex_at(3)) {
        marked = ReadAs::SRecord;
      }
      break;
    default:
      for (const MarkedFormat& format : kMarkedFormats) {
        if (text[0] == format.marker && hex_at(1) && hex_at(2)) marked = format.how;
      }
      break;
  }
  if (marked == ReadAs::Binary) return marked;
  // The whole first line must be text: a raw image may start with a colon and two digits.
  const std::string_view first = text.substr(0, text.find_first_of("\r\n\x1A"));
  for (char c : first) {
    if ((static_cast<uint8_t>(c) < 0x20 || static_cast<uint8_t>(c) >= 0x7F) && c != '\t') {
      return ReadAs::Binary;
    }
  }
  return marked;
}

namespace {

constexpr std::array<ReadAsChoice, 19> kChoices = {{
    {ReadAs::Content, "", "All Files (*.*)|*.*"},
    {ReadAs::Binary, "binary", "Raw Binary (*.*)|*.*"},
    {ReadAs::IntelHex, "intel-hex", "Intel HEX (*.hex;*.ihx)|*.hex;*.ihx"},
    {ReadAs::SRecord, "srecord",
     "Motorola S-record (*.s19;*.s28;*.s37;*.srec;*.mot)|*.s19;*.s28;*.s37;*.srec;*.mot"},
    {ReadAs::Tektronix, "tektronix", "Tektronix (*.tek)|*.tek"},
    {ReadAs::TektronixExtended, "tektronix-extended", "Extended Tektronix (*.tek)|*.tek"},
    {ReadAs::MosTech, "mos-tech", "MOS Technology (*.mos)|*.mos"},
    {ReadAs::TiTxt, "ti-txt", "TI-TXT (*.txt)|*.txt"},
    {ReadAs::AsciiHex, "ascii-hex", "ASCII Hex (*.*)|*.*"},
    {ReadAs::AtmelGeneric, "atmel-generic", "Atmel Generic (*.*)|*.*"},
    {ReadAs::BRecord, "brecord", "Motorola MC68EZ328 B-record (*.*)|*.*"},
    {ReadAs::Emon52, "emon52", "Elektor EMON52 (*.*)|*.*"},
    {ReadAs::Fairchild, "fairchild", "Fairchild Fairbug (*.*)|*.*"},
    {ReadAs::FourPackedCode, "fpc", "Four Packed Code (*.*)|*.*"},
    {ReadAs::Mif, "mif", "Memory Initialization File (*.mif)|*.mif"},
    {ReadAs::Os65v, "os65v", "Ohio Scientific OS65V (*.*)|*.*"},
    {ReadAs::Signetics, "signetics", "Signetics (*.*)|*.*"},
    {ReadAs::TiTagged, "ti-tagged", "TI-Tagged (*.*)|*.*"},
    {ReadAs::TiTagged16, "ti-tagged-16", "TI-Tagged 16-bit (*.*)|*.*"},
}};

}  // namespace

std::span<const ReadAsChoice> ReadAsChoices() {
  return kChoices;
}

std::string OpenFilter() {
  std::string filter;
  for (const ReadAsChoice& choice : kChoices) {
    if (!filter.empty()) filter += '|';
    filter += choice.filter;
  }
  return filter;
}

ReadAs ReadAsOfFilter(int index) {
  if (index < 0 || static_cast<size_t>(index) >= kChoices.size()) return ReadAs::Content;
  return kChoices[static_cast<size_t>(index)].how;
}

std::optional<ReadAs> ReadAsOfOption(std::string_view name) {
  for (const ReadAsChoice& choice : kChoices) {
    if (!choice.option.empty() && choice.option == name) return choice.how;
  }
  return std::nullopt;
}

}  // namespace buffers
