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
  void exit(int) override {
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

// "<path>: 12: checksum mismatch" becomes "line 12: checksum mismatch", and a remark
// "<path>: 3: warning: ignoring garbage lines" "line 3: ignoring garbage lines".
std::string Reason(const std::string& path, const std::string& message) {
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
  return line + std::string(text);
}

}  // namespace

LoadFileResult ReadLibraryFormat(ReadAs how, const std::string& path) {
  const auto* format = std::find_if(kLibraryFormats.begin(), kLibraryFormats.end(),
                                    [how](const LibraryFormat& f) { return f.how == how; });
  if (format == kLibraryFormats.end()) return {};
  LoadFileResult result;
  ThrowingQuit strict;
  RecordCollector records;
  std::string name = "load file";
  try {
    srecord::input_file::pointer in = format->create(path);
    in->set_quit(strict);
    name = in->get_file_format_name();
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
    result.image = std::move(image);
  } catch (const Refused& refused) {
    result.refusal = name + " " + Reason(path, refused.message);
  }
  return result;
}

}  // namespace buffers
