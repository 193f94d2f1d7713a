// Load files in the shapes the field's tools write them, each built from known records, read
// by the program, and checked against those records and, where SRecord's srec_cat is
// installed, against its reading of the same records written plainly.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "buffers/image_file.h"
#include "buffers/image_formats.h"
#include "support/temp_dir.h"

namespace {

using buffers::ImageFormat;
using buffers::ReadAs;

struct Rec {
  uint64_t address;
  std::vector<uint8_t> bytes;
  bool operator==(const Rec&) const = default;
};

std::string HexByte(unsigned value) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  return {kDigits[(value >> 4) & 15], kDigits[value & 15]};
}

std::string IntelLine(unsigned type, unsigned address, const std::vector<uint8_t>& data) {
  std::vector<uint8_t> b = {static_cast<uint8_t>(data.size()), static_cast<uint8_t>(address >> 8),
                            static_cast<uint8_t>(address), static_cast<uint8_t>(type)};
  b.insert(b.end(), data.begin(), data.end());
  unsigned sum = 0;
  std::string line = ":";
  for (uint8_t x : b) {
    sum += x;
    line += HexByte(x);
  }
  return line + HexByte((0x100 - (sum & 0xFF)) & 0xFF);
}

// Type 04 records before every record above 64 KB, as linkers write them.
std::vector<std::string> IntelLines(const std::vector<Rec>& recs) {
  std::vector<std::string> lines;
  for (const Rec& r : recs) {
    if (r.address > 0xFFFF) {
      lines.push_back(IntelLine(
          4, 0, {static_cast<uint8_t>(r.address >> 24), static_cast<uint8_t>(r.address >> 16)}));
    }
    lines.push_back(IntelLine(0, static_cast<unsigned>(r.address & 0xFFFF), r.bytes));
  }
  lines.push_back(":00000001FF");
  return lines;
}

std::string SLine(int type, uint64_t address, int address_bytes, const std::vector<uint8_t>& data) {
  std::vector<uint8_t> b = {
      static_cast<uint8_t>(data.size() + static_cast<size_t>(address_bytes) + 1)};
  for (int i = address_bytes - 1; i >= 0; --i)
    b.push_back(static_cast<uint8_t>(address >> (8 * i)));
  b.insert(b.end(), data.begin(), data.end());
  unsigned sum = 0;
  std::string line = "S" + std::to_string(type);
  for (uint8_t x : b) {
    sum += x;
    line += HexByte(x);
  }
  return line + HexByte(~sum & 0xFF);
}

// kind 1, 2 or 3: S1/S9, S2/S8, S3/S7; count and end record as asked.
std::vector<std::string> SLines(const std::vector<Rec>& recs, int kind, bool count, bool end) {
  std::vector<std::string> lines = {SLine(0, 0, 2, {'R', 'O', 'M'})};
  for (const Rec& r : recs) lines.push_back(SLine(kind, r.address, kind + 1, r.bytes));
  if (count) lines.push_back(SLine(5, recs.size(), 2, {}));
  if (end) lines.push_back(SLine(10 - kind, 0, kind + 1, {}));
  return lines;
}

std::string Join(const std::vector<std::string>& lines, const std::string& end) {
  std::string text;
  for (const std::string& line : lines) text += line + end;
  return text;
}

std::string Lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; });
  return text;
}

std::vector<std::string> Indented(std::vector<std::string> lines) {
  for (std::string& line : lines) line = "  " + line + " \t";
  return lines;
}

std::vector<std::string> WithBlankLines(std::vector<std::string> lines) {
  std::vector<std::string> out = {""};
  for (const std::string& line : lines) {
    out.push_back(line);
    out.emplace_back("   ");
  }
  return out;
}

std::vector<std::string> Replaced(std::vector<std::string> lines, size_t at, std::string line) {
  lines.at(at) = std::move(line);
  return lines;
}

// The image the records make: FFh between them, from address 0.
std::vector<uint8_t> Dense(const std::vector<Rec>& recs) {
  std::vector<uint8_t> image;
  for (const Rec& r : recs) {
    if (image.size() < r.address + r.bytes.size()) image.resize(r.address + r.bytes.size(), 0xFF);
    std::copy(r.bytes.begin(), r.bytes.end(),
              image.begin() + static_cast<std::ptrdiff_t>(r.address));
  }
  return image;
}

std::vector<uint8_t> Bytes(size_t n, unsigned seed) {
  std::vector<uint8_t> b(n);
  for (size_t i = 0; i < n; ++i) b[i] = static_cast<uint8_t>(i * 37 + seed);
  return b;
}

const std::vector<Rec> kRom = {
    {0x0000, Bytes(16, 1)}, {0x0010, Bytes(16, 2)}, {0x0020, Bytes(5, 3)}};
// A few ranges with gaps between them, one above 64 KB.
const std::vector<Rec> kSparse = {
    {0x0100, Bytes(16, 4)}, {0x0110, Bytes(3, 5)}, {0x2000, Bytes(8, 6)}, {0x10004, Bytes(4, 7)}};

struct Shape {
  std::string what;
  ImageFormat format;
  std::vector<Rec> recs;  // what a load gives
  std::string text;
  std::string refusal;  // empty: it loads; otherwise a part of the reason, with its line
  std::string note;     // a part of a log line the load must give
};

std::vector<Shape> Shapes() {
  const auto intel = IntelLines(kRom);
  const auto sparse = IntelLines(kSparse);
  const auto s1 = SLines(kRom, 1, true, true);
  const std::string pad(100, '\x1A');
  return {
      {"Intel HEX, CR LF", ImageFormat::IntelHex, kRom, Join(intel, "\r\n"), "", ""},
      {"Intel HEX, lower case, LF", ImageFormat::IntelHex, kRom, Lower(Join(intel, "\n")), "", ""},
      {"Intel HEX, blanks around each line, CR", ImageFormat::IntelHex, kRom,
       Join(Indented(intel), "\r"), "", ""},
      {"Intel HEX, blank lines", ImageFormat::IntelHex, kRom, Join(WithBlankLines(intel), "\r\n"),
       "", ""},
      {"Intel HEX, CP/M padding after the end", ImageFormat::IntelHex, kRom,
       Join(intel, "\r\n") + pad, "", "line 5 and after: ignored"},
      {"Intel HEX, a trailer after the end", ImageFormat::IntelHex, kRom,
       Join(intel, "\n") + "\n; built by make\n", "", "line 6 and after: ignored"},
      {"Intel HEX, sparse ranges", ImageFormat::IntelHex, kSparse, Join(sparse, "\r\n"), "", ""},
      {"Intel HEX, checksum damaged",
       ImageFormat::IntelHex,
       {},
       Join(Replaced(intel, 1, intel[1].substr(0, intel[1].size() - 2) + "00"), "\n"),
       "line 2: checksum 00h, the line needs " + intel[1].substr(intel[1].size() - 2) + "h",
       ""},
      {"Intel HEX, no end record",
       ImageFormat::IntelHex,
       {},
       Join(std::vector(intel.begin(), intel.end() - 1), "\n"),
       "no end record",
       ""},
      {"Intel HEX, padding before the end record",
       ImageFormat::IntelHex,
       {},
       intel[0] + "\n" + pad + Join(intel, "\n"),
       "no end record",
       ""},
      {"Intel HEX, a line that is no record",
       ImageFormat::IntelHex,
       {},
       Join(Replaced(intel, 1, "hello"), "\n"),
       "line 2: not a record",
       ""},
      {"Intel HEX, a digit that is no hex digit",
       ImageFormat::IntelHex,
       {},
       Join(Replaced(intel, 1, ":1000100G" + intel[1].substr(9)), "\n"),
       "line 2: 'G' is not a hex digit",
       ""},
      {"Intel HEX, record longer than its count",
       ImageFormat::IntelHex,
       {},
       Join(Replaced(intel, 2, intel[2] + "00"), "\n"),
       "line 3: the record is longer",
       ""},
      {"Intel HEX, one address given two bytes",
       ImageFormat::IntelHex,
       {},
       Join(Replaced(intel, 1, IntelLine(0, 0x000F, {0x00, 0x01})), "\n"),
       "address Fh is given two different bytes",
       ""},
      {"S1 with S5 and S9", ImageFormat::SRecord, kRom, Join(s1, "\r\n"), "", ""},
      {"S1 lower case, blanks, LF", ImageFormat::SRecord, kRom, Lower(Join(Indented(s1), "\n")), "",
       ""},
      {"S2 with S8, sparse", ImageFormat::SRecord, kSparse,
       Join(SLines(kSparse, 2, false, true), "\n"), "", ""},
      {"S3 with S7, CP/M padding", ImageFormat::SRecord, kRom,
       Join(SLines(kRom, 3, true, true), "\r\n") + pad, "", "ignored"},
      {"S5 without S9", ImageFormat::SRecord, kRom, Join(SLines(kRom, 1, true, false), "\n"), "",
       "confirms all 3 data records"},
      {"S5 without S9, CP/M padding", ImageFormat::SRecord, kRom,
       Join(SLines(kRom, 1, true, false), "\r\n") + pad, "", "confirms all 3 data records"},
      {"S-records cut short: no count, no end",
       ImageFormat::SRecord,
       {},
       Join(SLines(kRom, 1, false, false), "\n"),
       "cut short",
       ""},
      {"S-records cut short after the count",
       ImageFormat::SRecord,
       {},
       Join(SLines(kRom, 1, true, false), "\n") + SLine(1, 0x40, 2, {1}) + "\n",
       "cut short",
       ""},
      {"S5 that miscounts",
       ImageFormat::SRecord,
       {},
       Join(Replaced(s1, 4, SLine(5, 2, 2, {})), "\n"),
       "line 5: the count record says 2",
       ""},
      {"S-record checksum damaged",
       ImageFormat::SRecord,
       {},
       Join(Replaced(s1, 2, s1[2].substr(0, s1[2].size() - 2) + "FF"), "\n"),
       "line 3: checksum FFh, the line needs " + s1[2].substr(s1[2].size() - 2) + "h",
       ""},
  };
}

bool HaveSrecCat() {
  return std::system("command -v srec_cat >/dev/null 2>&1") == 0;
}

std::vector<uint8_t> ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

// A refused load: an error that gives the reason, and no bytes taken.
void ExpectRefused(const buffers::LoadedImage& loaded, const std::string& refusal) {
  ASSERT_TRUE(loaded.error.has_value());
  EXPECT_NE(loaded.error->find(refusal), std::string::npos) << *loaded.error;
  EXPECT_TRUE(loaded.bytes.empty());
}

class LoadFileShapes : public ::testing::Test {
 protected:
  std::string Write(const std::string& name, const std::string& text) {
    const std::string path = dir.path + "/" + name;
    std::ofstream(path, std::ios::binary)
        .write(text.data(), static_cast<std::streamsize>(text.size()));
    return path;
  }
  // srec_cat's reading of the records written plainly: upper case, one record a line.
  std::vector<uint8_t> SrecCatReading(const Shape& shape) {
    const bool intel = shape.format == ImageFormat::IntelHex;
    const std::string plain = Write(
        "plain", Join(intel ? IntelLines(shape.recs) : SLines(shape.recs, 3, true, true), "\n"));
    const std::string type = intel ? " -Intel" : " -Motorola";
    const std::string out = dir.path + "/srec_cat.bin";
    const std::string command = "srec_cat '" + plain + "'" + type + " -fill 0xFF -over '" + plain +
                                "'" + type + " -o '" + out + "' -binary 2>/dev/null";
    EXPECT_EQ(std::system(command.c_str()), 0) << command;
    return ReadAll(out);
  }
  testing_support::TempDir dir{"meldrix_shapes"};
};

TEST_F(LoadFileShapes, EachShapeLoadsAsItsRecordsOrIsRefusedWithLineAndReason) {
  const bool srec_cat = HaveSrecCat();
  for (const Shape& shape : Shapes()) {
    SCOPED_TRACE(shape.what);
    const std::string path = Write("shape", shape.text);
    const std::vector<uint8_t> content(shape.text.begin(), shape.text.end());
    EXPECT_EQ(buffers::RecogniseContent(content),
              shape.format == ImageFormat::IntelHex ? ReadAs::IntelHex : ReadAs::SRecord);
    const buffers::LoadedImage loaded = buffers::LoadImage(path, 0x20000);
    if (!shape.refusal.empty()) {
      ASSERT_NO_FATAL_FAILURE(ExpectRefused(loaded, shape.refusal));
      continue;
    }
    ASSERT_TRUE(loaded.ok()) << loaded.error.value_or("too long");
    EXPECT_EQ(loaded.format, shape.format);
    const std::vector<uint8_t> expected = Dense(shape.recs);
    EXPECT_TRUE(loaded.bytes == expected);
    EXPECT_EQ(loaded.ranges.size(), shape.recs == kSparse ? 3U : 1U);
    const bool noted = std::any_of(loaded.notes.begin(), loaded.notes.end(), [&](const auto& n) {
      return n.find(shape.note) != std::string::npos;
    });
    EXPECT_TRUE(shape.note.empty() ? loaded.notes.empty() : noted);
    if (!srec_cat) continue;
    const std::vector<uint8_t> reference = SrecCatReading(shape);
    ASSERT_EQ(reference.size(), expected.size());
    const auto lowest = static_cast<std::ptrdiff_t>(loaded.lowest);
    EXPECT_TRUE(
        std::equal(reference.begin() + lowest, reference.end(), loaded.bytes.begin() + lowest));
  }
}

// The formats read through the SRecord library that mark their records, each written here from
// its records, with its end record, its checksum field and srec_cat's name for it.
struct Marked {
  std::string name;
  ReadAs how;
  std::vector<std::string> (*lines)(const std::vector<Rec>&);
  int checksum_at;         // where the checksum of a data line is (less than 0: from its end)
  size_t checksum_digits;  // 0: the format has none
  std::string srec_cat;
};

unsigned NibbleSum(const std::string& digits) {
  unsigned sum = 0;
  for (char c : digits) sum += static_cast<unsigned>(c <= '9' ? c - '0' : c - 'A' + 10);
  return sum & 0xFF;
}

std::string HexDigits(const std::vector<uint8_t>& bytes) {
  std::string digits;
  for (uint8_t b : bytes) digits += HexByte(b);
  return digits;
}

std::string Hex16(unsigned value) {
  return HexByte(value >> 8 & 0xFF) + HexByte(value & 0xFF);
}

// "/AAAALLHHdata..DD": the header's and the data's digits summed as nibbles.
std::vector<std::string> TektronixLines(const std::vector<Rec>& recs) {
  std::vector<std::string> lines;
  for (const Rec& r : recs) {
    const std::string head =
        Hex16(static_cast<unsigned>(r.address)) + HexByte(static_cast<unsigned>(r.bytes.size()));
    const std::string data = HexDigits(r.bytes);
    lines.push_back("/" + head + HexByte(NibbleSum(head)) + data + HexByte(NibbleSum(data)));
  }
  lines.emplace_back("/00000000");
  return lines;
}

// "%LL6CC8AAAAAAAAdata..": the length of what follows '%', every digit but the checksum's summed.
std::vector<std::string> ExtendedTektronixLines(const std::vector<Rec>& recs) {
  const auto line = [](char type, uint64_t address, const std::vector<uint8_t>& bytes) {
    const std::string rest = "8" + Hex16(static_cast<unsigned>(address >> 16)) +
                             Hex16(address & 0xFFFF) + HexDigits(bytes);
    const std::string length = HexByte(static_cast<unsigned>(rest.size() + 5));
    return "%" + length + type + HexByte(NibbleSum(length + type + rest)) + rest;
  };
  std::vector<std::string> lines;
  for (const Rec& r : recs) lines.push_back(line('6', r.address, r.bytes));
  lines.push_back(line('8', 0, {}));
  return lines;
}

// ";LLAAAAdata..SSSS": the 16-bit sum of the bytes; the end record counts the records.
std::vector<std::string> MosTechnologyLines(const std::vector<Rec>& recs) {
  const auto line = [](const std::vector<uint8_t>& bytes) {
    unsigned sum = 0;
    for (uint8_t b : bytes) sum += b;
    return ";" + HexDigits(bytes) + Hex16(sum & 0xFFFF);
  };
  std::vector<std::string> lines;
  for (const Rec& r : recs) {
    std::vector<uint8_t> bytes = {static_cast<uint8_t>(r.bytes.size()),
                                  static_cast<uint8_t>(r.address >> 8),
                                  static_cast<uint8_t>(r.address)};
    bytes.insert(bytes.end(), r.bytes.begin(), r.bytes.end());
    lines.push_back(line(bytes));
  }
  lines.push_back(
      line({0, static_cast<uint8_t>(recs.size() >> 8), static_cast<uint8_t>(recs.size())}));
  return lines;
}

// "@AAAA", then the bytes in lines of up to 16, "q" at the end.
std::vector<std::string> TiTxtLines(const std::vector<Rec>& recs) {
  std::vector<std::string> lines;
  for (const Rec& r : recs) {
    lines.push_back("@" + Hex16(static_cast<unsigned>(r.address)));
    for (size_t i = 0; i < r.bytes.size(); i += 16) {
      std::string line;
      for (size_t j = i; j < std::min(i + 16, r.bytes.size()); ++j)
        line += (j > i ? " " : "") + HexByte(r.bytes[j]);
      lines.push_back(line);
    }
  }
  lines.emplace_back("q");
  return lines;
}

const std::vector<Marked> kMarked = {
    {"Tektronix", ReadAs::Tektronix, TektronixLines, -2, 2, "-Tektronix"},
    {"Extended Tektronix", ReadAs::TektronixExtended, ExtendedTektronixLines, 4, 2,
     "-Tektronix_Extended"},
    {"MOS Technology", ReadAs::MosTech, MosTechnologyLines, -4, 4, "-MOS_Technologies"},
    {"TI-TXT", ReadAs::TiTxt, TiTxtLines, 0, 0, "-Texas_Instruments_TeXT"},
};

// Sparse records within 16-bit addresses, which all four formats can give.
const std::vector<Rec> kSparse16 = {
    {0x0100, Bytes(16, 4)}, {0x0110, Bytes(3, 5)}, {0x2000, Bytes(8, 6)}};

// Each marked format in every shape the field writes: as its records, with the same note, or
// refused with the line and the reason.
TEST_F(LoadFileShapes, MarkedLibraryFormatsTakeTheShapesOfIntelHexAndSRecords) {
  const bool srec_cat = HaveSrecCat();
  const std::string pad(100, '\x1A');
  for (const Marked& format : kMarked) {
    const auto lines = format.lines(kSparse16);
    const size_t end_line = lines.size();  // 1-based: the end record
    const std::string after = " and after: ignored, they follow the end record";
    struct Case {
      std::string what;
      std::string text;
      std::string refusal;
      std::string note;
    };
    std::vector<Case> cases = {
        {"CR LF", Join(lines, "\r\n"), "", ""},
        {"lower case, LF", Lower(Join(lines, "\n")), "", ""},
        {"blanks around each line, CR", Join(Indented(lines), "\r"), "", ""},
        {"blank lines", Join(WithBlankLines(lines), "\r\n"), "", ""},
        {"byte order mark", "\xEF\xBB\xBF" + Join(lines, "\n"), "", ""},
        {"CP/M padding after the end", Join(lines, "\r\n") + pad, "",
         "line " + std::to_string(end_line + 1) + after},
        {"a trailer after the end", Join(lines, "\n") + "\n; built by make\n", "",
         "line " + std::to_string(end_line + 2) + after},
        {"no end record", Join(std::vector(lines.begin(), lines.end() - 1), "\n"), "no end record",
         ""},
        {"padding before the end record",
         Join(std::vector(lines.begin(), lines.end() - 1), "\n") + pad + lines.back() + "\n",
         "after line " + std::to_string(end_line - 1) + ": the file is cut short", ""},
        {"a line that is no record", Join(Replaced(lines, 1, "hello"), "\n"), "line 2: ", ""},
    };
    if (format.checksum_digits != 0) {
      const auto at = static_cast<size_t>(
          format.checksum_at < 0 ? static_cast<int>(lines[1].size()) + format.checksum_at
                                 : format.checksum_at);
      const std::string needed = lines[1].substr(at, format.checksum_digits);
      const std::string zeros(format.checksum_digits, '0');
      std::string damaged = lines[1];
      damaged.replace(at, format.checksum_digits, zeros);
      cases.push_back({"checksum damaged", Join(Replaced(lines, 1, damaged), "\n"),
                       "line 2: " + std::string(format.how == ReadAs::Tektronix ? "data " : "") +
                           "checksum " + zeros + "h, the line needs " + needed + "h",
                       ""});
    }
    for (const Case& shape : cases) {
      SCOPED_TRACE(format.name + ", " + shape.what);
      const std::vector<uint8_t> content(shape.text.begin(), shape.text.end());
      EXPECT_EQ(buffers::RecogniseContent(content), format.how);
      const buffers::LoadedImage loaded = buffers::LoadImage(Write("shape", shape.text), 0x10000);
      if (!shape.refusal.empty()) {
        ASSERT_NO_FATAL_FAILURE(ExpectRefused(loaded, shape.refusal));
        continue;
      }
      ASSERT_TRUE(loaded.ok()) << loaded.error.value_or("too long");
      EXPECT_EQ(loaded.bytes, Dense(kSparse16));
      EXPECT_EQ(loaded.ranges.size(), 2U);
      const bool noted = std::any_of(loaded.notes.begin(), loaded.notes.end(), [&](const auto& n) {
        return n.find(shape.note) != std::string::npos;
      });
      EXPECT_TRUE(shape.note.empty() ? loaded.notes.empty() : noted);
    }
    if (!srec_cat) continue;
    // srec_cat's reading of the plain file is the records the test wrote.
    const std::string plain = Write("plain", Join(lines, "\n"));
    const std::string out = dir.path + "/srec_cat.bin";
    const std::string command = "srec_cat '" + plain + "' " + format.srec_cat +
                                " -fill 0xFF -over '" + plain + "' " + format.srec_cat + " -o '" +
                                out + "' -binary 2>/dev/null";
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
    const std::vector<uint8_t> reference = ReadAll(out);
    const std::vector<uint8_t> dense = Dense(kSparse16);
    ASSERT_EQ(reference.size(), dense.size()) << format.name;
    EXPECT_TRUE(std::equal(reference.begin() + 0x100, reference.end(), dense.begin() + 0x100))
        << format.name;
  }
}

// Plain hex text has no mark of a format: it is raw unless the operator names its format.
TEST_F(LoadFileShapes, UnmarkedFormatsAreReadOnlyWhenChosen) {
  const std::string brecord = "0000000004DEADBEEF\r\n";
  const std::string path = Write("image.txt", brecord);
  const auto raw = buffers::LoadImage(path, 8192);
  ASSERT_TRUE(raw.ok());
  EXPECT_EQ(raw.format, ImageFormat::Binary);
  EXPECT_EQ(raw.bytes, std::vector<uint8_t>(brecord.begin(), brecord.end()));
  const auto chosen = buffers::LoadImage(path, 8192, ReadAs::BRecord);
  ASSERT_TRUE(chosen.ok()) << *chosen.error;
  EXPECT_EQ(chosen.bytes, (std::vector<uint8_t>{0xDE, 0xAD, 0xBE, 0xEF}));
  // A file that would read as records is taken byte for byte when the operator says so.
  const std::string hex = Join(IntelLines(kRom), "\n");
  const auto forced = buffers::LoadImage(Write("rom.hex", hex), 8192, ReadAs::Binary);
  EXPECT_EQ(forced.bytes, std::vector<uint8_t>(hex.begin(), hex.end()));
  for (const std::string& text :
       std::vector<std::string>{"000000:0102\n", "hello\n", std::string("\x00:10", 4)}) {
    EXPECT_EQ(buffers::RecogniseContent(std::vector<uint8_t>(text.begin(), text.end())),
              ReadAs::Binary)
        << text;
  }
}

}  // namespace
