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

// Debian's development package leaves out the header of the Motorola S-record reader, which the
// library itself carries; its factory is all that is needed here.
namespace srecord {
class input_file_motorola {
 public:
  static input_file::pointer create(const std::string& file_name);
};
}  // namespace srecord

namespace buffers {
namespace {

using Create = srecord::input_file::pointer (*)(const std::string&);

struct TextFormat {
  Create create;
  ImageFormat format;
};

// The text formats, the two common ones first. Left out on purpose, since a raw image could pass
// for them and raw images must load as they are: the library's binary formats, and the text
// formats without a mark of their own (Needham, Verilog VMEM and SPASM take any lines of hex
// digits, LSI Logic Fast Load any run of letters and digits).
const std::array<TextFormat, 17> kTextFormats{{
    {srecord::input_file_intel::create, ImageFormat::IntelHex},
    {srecord::input_file_motorola::create, ImageFormat::SRecord},
    {srecord::input_file_tektronix_extended::create, ImageFormat::Other},
    {srecord::input_file_tektronix::create, ImageFormat::Other},
    {srecord::input_file_mos_tech::create, ImageFormat::Other},
    {srecord::input_file_signetics::create, ImageFormat::Other},
    {srecord::input_file_ti_tagged::create, ImageFormat::Other},
    {srecord::input_file_ti_tagged_16::create, ImageFormat::Other},
    {srecord::input_file_ti_txt::create, ImageFormat::Other},
    {srecord::input_file_atmel_generic::create_be, ImageFormat::Other},
    {srecord::input_file_ascii_hex::create, ImageFormat::Other},
    {srecord::input_file_emon52::create, ImageFormat::Other},
    {srecord::input_file_fairchild::create, ImageFormat::Other},
    {srecord::input_file_four_packed_code::create, ImageFormat::Other},
    {srecord::input_file_mif::create, ImageFormat::Other},
    {srecord::input_file_os65v::create, ImageFormat::Other},
    {srecord::input_file_brecord::create, ImageFormat::Other},
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

// Whether the format's reader takes the file's first record; checksums are not looked at yet,
// so a file whose first record is damaged is still known for what it is.
bool FirstRecordReads(const TextFormat& format, const std::string& path) {
  ThrowingQuit quiet;
  try {
    srecord::input_file::pointer in = format.create(path);
    in->set_quit(quiet);
    srecord::input& reader = *in;  // the file readers keep this one to themselves
    reader.disable_checksum_validation();
    srecord::record record;
    return in->read(record);
  } catch (const Refused&) {
    return false;
  }
}

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

class ImageBuilder {
 public:
  explicit ImageBuilder(size_t capacity) : capacity_(capacity) {}

  // Places one data record; answers why not when it lies beyond the buffer or gives an
  // address other bytes than an earlier record did.
  std::optional<std::string> Place(const srecord::record& record) {
    const uint64_t first = record.get_address();
    const uint64_t end = first + record.get_length();
    if (end > capacity_) {
      return "address " + HexOf(end > first ? end - 1 : first) + "h lies beyond the buffer of " +
             std::to_string(capacity_) + " bytes";
    }
    if (end > bytes_.size()) {
      bytes_.resize(end, 0xFF);
      given_.resize(end, false);
    }
    for (uint64_t a = first; a < end; ++a) {
      const auto byte = static_cast<uint8_t>(record.get_data(a - first));
      if (given_[a] && bytes_[a] != byte) {
        return "address " + HexOf(a) + "h is given two different bytes";
      }
      bytes_[a] = byte;
      given_[a] = true;
    }
    lowest_ = records_ == 0 ? first : std::min(lowest_, first);
    ++records_;
    return std::nullopt;
  }

  LoadFileImage Take(const TextFormat& format, std::string name) {
    LoadFileImage image;
    image.format = format.format;
    image.format_name = std::move(name);
    image.records = records_;
    image.lowest = lowest_;
    image.highest = bytes_.empty() ? 0 : bytes_.size() - 1;
    image.bytes = std::move(bytes_);
    return image;
  }

 private:
  static std::string HexOf(uint64_t value) {
    std::array<char, 20> text{};
    std::snprintf(text.data(), text.size(), "%llX", static_cast<unsigned long long>(value));
    return text.data();
  }
  size_t capacity_;
  std::vector<uint8_t> bytes_;
  std::vector<bool> given_;
  size_t records_ = 0;
  uint64_t lowest_ = 0;
};

// Reads every record of the file in the format found, checksums and all.
LoadFileResult ReadWhole(const TextFormat& format, const std::string& path, size_t capacity) {
  LoadFileResult result;
  ThrowingQuit strict;
  ImageBuilder builder(capacity);
  srecord::input_file::pointer in = format.create(path);
  in->set_quit(strict);
  const std::string name = in->get_file_format_name();
  try {
    srecord::record record;
    while (in->read(record)) {
      if (record.get_type() != srecord::record::type_data || record.get_length() == 0) continue;
      if (auto wrong = builder.Place(record)) {
        in->fatal_error("%s", wrong->c_str());  // names the line the record came from
      }
    }
    if (auto damage = strict.Damage()) throw Refused{*damage};
    result.image = builder.Take(format, name);
  } catch (const Refused& refused) {
    result.refusal = name + " " + Reason(path, refused.message);
  }
  return result;
}

}  // namespace

LoadFileResult ReadLoadFile(const std::string& path, size_t capacity) {
  for (const TextFormat& format : kTextFormats) {
    if (FirstRecordReads(format, path)) return ReadWhole(format, path, capacity);
  }
  return {};
}

}  // namespace buffers
