// Reading text load files through the SRecord library.
#include <srecord/input/file/ascii_hex.h>
#include <srecord/input/file/atmel_generic.h>
#include <srecord/input/file/brecord.h>
#include <srecord/input/file/cosmac.h>
#include <srecord/input/file/emon52.h>
#include <srecord/input/file/fairchild.h>
#include <srecord/input/file/four_packed_code.h>
#include <srecord/input/file/intel.h>
#include <srecord/input/file/mif.h>
#include <srecord/input/file/mos_tech.h>
#include <srecord/input/file/os65v.h>
#include <srecord/input/file/signetics.h>
#include <srecord/input/file/tektronix.h>
#include <srecord/input/file/tektronix_extended.h>
#include <srecord/input/file/ti_tagged.h>
#include <srecord/input/file/ti_tagged_16.h>
#include <srecord/input/file/ti_txt.h>
#include <srecord/quit.h>
#include <srecord/record.h>

#include <algorithm>
#include <array>
#include <cstdarg>
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "buffers/image_formats.h"
#include "buffers/record_collector.h"
#include "platform/files.h"

namespace buffers {
namespace {

using Create = srecord::input_file::pointer (*)(const std::string&);

struct LibraryFormat {
  ReadAs how;
  Create create;
};

// The formats read through the library; Intel HEX and S-records are read by the program itself.
const std::array<LibraryFormat, 15> kLibraryFormats{{
    {ReadAs::Tektronix, srecord::input_file_tektronix::create},
    {ReadAs::TektronixExtended, srecord::input_file_tektronix_extended::create},
    {ReadAs::MosTech, srecord::input_file_mos_tech::create},
    {ReadAs::TiTxt, srecord::input_file_ti_txt::create},
    {ReadAs::AsciiHex, srecord::input_file_ascii_hex::create},
    {ReadAs::AtmelGeneric, srecord::input_file_atmel_generic::create_be},
    {ReadAs::BRecord, srecord::input_file_brecord::create},
    {ReadAs::Emon52, srecord::input_file_emon52::create},
    {ReadAs::Fairchild, srecord::input_file_fairchild::create},
    {ReadAs::FourPackedCode, srecord::input_file_four_packed_code::create},
    {ReadAs::Mif, srecord::input_file_mif::create},
    {ReadAs::Os65v, srecord::input_file_os65v::create},
    {ReadAs::Signetics, srecord::input_file_signetics::create},
    {ReadAs::TiTagged, srecord::input_file_ti_tagged::create},
    {ReadAs::TiTagged16, srecord::input_file_ti_tagged_16::create},
}};

// Remarks of the readers that say nothing is wrong with the bytes: a missing or repeated header,
// a repeated end record, an empty record.
constexpr std::array<std::string_view, 8> kHarmlessRemarks{
    "no header record",
    "redundant header record",
    "address in header record ignored",
    "empty data record ignored",
    "redundant execution start address record",
    "redundant termination record",
    "data in termination record ignored",
    "end-of-file record's address field should be zero",
};

struct Refused {
  std::string message;  // "<path>: <line>: <reason>"
};

// The library reports errors and remarks through a quit object, which by default ends the
// program after an error. This one keeps every message and throws instead of ending; the
// remarks it kept tell afterwards whether the file is damaged.
class ThrowingQuit final : public srecord::quit {
 public:
  void message_v(const char* format, va_list args) override {
    std::array<char, 1024> text{};
    std::vsnprintf(text.data(), text.size(), format, args);
    messages_.emplace_back(text.data());
  }
  // The error that ends the reading may follow from an earlier remark (a record count that
  // misses the line that was no record): the earlier one names the cause.
  void exit(int) override {
    if (auto damage = Damage()) throw Refused{*damage};
    throw Refused{messages_.empty() ? std::string("the file could not be read") : messages_.back()};
  }
  // The first remark that means the bytes cannot be trusted (a line that is no record, a
  // missing end record), if any.
  std::optional<std::string> Damage() const {
    for (const std::string& text : messages_) {
      const bool harmless = std::any_of(
          kHarmlessRemarks.begin(), kHarmlessRemarks.end(), [&text](std::string_view remark) {
            return text.find(": " + std::string(remark)) != std::string::npos;
          });
      if (!harmless) return text;
    }
    return std::nullopt;
  }

 private:
  std::vector<std::string> messages_;
};

// The checksum remarks of the readers of the marked formats in the program's words: "data
// checksum mismatch (93 != 00)" (Tektronix, and MOS Technology without "data") gives the sum the
// line needs first, "checksum mismatch (file says 0xB2, expected 0xA1)" (Extended Tektronix)
// names both.
std::optional<std::string> ChecksumInWords(std::string_view text) {
  constexpr std::string_view kMismatch = "checksum mismatch (";
  const auto at = text.find(kMismatch);
  if (at == std::string_view::npos || !text.ends_with(')')) return std::nullopt;
  const std::string_view what = text.substr(0, at);  // "data ", "header " or nothing
  std::string_view sums = text.substr(at + kMismatch.size());
  sums.remove_suffix(1);
  std::string_view found;
  std::string_view needed;
  constexpr std::string_view kSays = "file says 0x";
  constexpr std::string_view kExpected = ", expected 0x";
  if (const auto apart = sums.find(" != "); apart != std::string_view::npos) {
    needed = sums.substr(0, apart);
    found = sums.substr(apart + 4);
  } else if (const auto expected = sums.find(kExpected);
             sums.starts_with(kSays) && expected != std::string_view::npos) {
    found = sums.substr(kSays.size(), expected - kSays.size());
    needed = sums.substr(expected + kExpected.size());
  } else {
    return std::nullopt;
  }
  return std::string(what) + "checksum " + std::string(found) + "h, the line needs " +
         std::string(needed) + "h";
}

// "<path>: 12: checksum mismatch" becomes "line 12: checksum mismatch"; a remark "<path>: 3:
// warning: ignoring garbage lines", which refuses the file, "line 3: not a record of this
// format".
std::string Reason(const std::string& path, const std::string& message, bool marked) {
  std::string_view text = message;
  if (text.starts_with(path + ": ")) text.remove_prefix(path.size() + 2);
  std::string line;
  const auto colon = text.find(": ");
  if (colon != std::string_view::npos && colon > 0 &&
      text.substr(0, colon).find_first_not_of("0123456789") == std::string_view::npos) {
    line = "line " + std::string(text.substr(0, colon)) + ": ";
    text.remove_prefix(colon + 2);
  }
  if (text.starts_with("warning: ")) text.remove_prefix(9);
  if (text == "ignoring garbage lines") return line + "not a record of this format";
  if (marked) {
    if (auto checksum = ChecksumInWords(text)) return line + *checksum;
  }
  return line + std::string(text);
}

std::span<const uint8_t> BytesOf(std::string_view text) {
  return {reinterpret_cast<const uint8_t*>(text.data()), text.size()};
}

}  // namespace

LoadFileResult ReadLibraryFormat(ReadAs how, std::string_view text) {
  const auto* format = std::find_if(kLibraryFormats.begin(), kLibraryFormats.end(),
                                    [how](const LibraryFormat& f) { return f.how == how; });
  if (format == kLibraryFormats.end()) return {};
  LoadFileResult result;
  TidiedText tidied = TidyMarkedText(how, text);
  // The library reads files only; the text goes to it as one held in memory.
  const platform::FileInMemory file(BytesOf(tidied.text));
  if (file.error()) {
    result.refusal = "the load file could not be handed to its reader: " + file.error()->reason;
    return result;
  }
  ThrowingQuit strict;
  RecordCollector records;
  std::string name = "load file";
  try {
    srecord::input_file::pointer in = format->create(file.path());
    in->set_quit(strict);
    name = in->get_file_format_name();
    if (tidied.refusal) throw Refused{*tidied.refusal};
    srecord::record record;
    while (in->read(record)) {
      if (record.get_type() != srecord::record::type_data || record.get_length() == 0) continue;
      records.Add(record.get_address(), std::span(record.get_data(), record.get_length()), 0);
    }
    if (auto damage = strict.Damage()) throw Refused{*damage};
    LoadFileImage image;
    image.format = ImageFormat::Other;
    image.format_name = name;
    if (auto wrong = records.Take(image)) throw Refused{*wrong};
    for (std::string& note : tidied.notes) image.notes.push_back(name + ": " + std::move(note));
    result.image = std::move(image);
  } catch (const Refused& refused) {
    const std::string reason = Reason(file.path(), refused.message, tidied.marked);
    result.refusal = name + (reason.starts_with("line ") ? " " : ": ") + reason;
  }
  return result;
}

}  // namespace buffers
