#include "romlists/list_file.h"

#include <expat.h>

#include <charconv>
#include <memory>
#include <span>
#include <string_view>

#include "platform/files.h"

namespace romlists {
namespace {

// The file is handed to the parser in pieces of this length.
constexpr size_t kPiece = 64 * 1024;

template <typename Number>
std::optional<Number> HexNumber(std::string_view text) {
  Number value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, 16);
  if (text.empty() || error != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return value;
}

// A ROM length as the lists write it: decimal, or hexadecimal after 0x.
std::optional<uint64_t> Length(std::string_view text) {
  if (text.starts_with("0x") || text.starts_with("0X")) return HexNumber<uint64_t>(text.substr(2));
  uint64_t value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || error != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return value;
}

std::optional<std::array<uint8_t, 20>> Sha1(std::string_view text) {
  std::array<uint8_t, 20> digest{};
  if (text.size() != 2 * digest.size()) return std::nullopt;
  for (size_t i = 0; i < digest.size(); ++i) {
    const auto byte = HexNumber<uint8_t>(text.substr(2 * i, 2));
    if (!byte) return std::nullopt;
    digest[i] = *byte;
  }
  return digest;
}

std::string_view Attribute(const XML_Char** attributes, std::string_view name) {
  for (const XML_Char** at = attributes; *at != nullptr; at += 2) {
    if (name == at[0]) return at[1];
  }
  return {};
}

// A ROM without a CRC-32 (never dumped, or a piece loaded over another) is no entry.
std::optional<ListedRom> RomOf(const XML_Char** attributes) {
  const auto crc = HexNumber<uint32_t>(Attribute(attributes, "crc"));
  const auto size = Length(Attribute(attributes, "size"));
  if (!crc || !size) return std::nullopt;
  return ListedRom{std::string(Attribute(attributes, "name")), *size, *crc,
                   Sha1(Attribute(attributes, "sha1"))};
}

void TrimEnd(std::string& text) {
  while (!text.empty() && (text.back() == ' ' || text.back() == '\n' || text.back() == '\r' ||
                           text.back() == '\t')) {
    text.pop_back();
  }
}

struct ParserDeleter {
  void operator()(XML_Parser parser) const { XML_ParserFree(parser); }
};

// Follows the elements of one list file as the parser reports them.
class ListParser {
 public:
  ListParser(const std::function<void(ListedSet&)>& take, ListReading& reading)
      : parser_(XML_ParserCreate("UTF-8")), take_(take), reading_(reading) {
    XML_SetUserData(parser_.get(), this);
    XML_SetElementHandler(parser_.get(), &ListParser::OnStart, &ListParser::OnEnd);
    XML_SetCharacterDataHandler(parser_.get(), &ListParser::OnText);
  }

  // False once the file has been found not to be a ROM list or broken (reading_.problem says).
  bool Parse(std::span<const uint8_t> bytes, bool last) {
    const auto status = XML_Parse(parser_.get(), reinterpret_cast<const char*>(bytes.data()),
                                  static_cast<int>(bytes.size()), last ? XML_TRUE : XML_FALSE);
    if (status == XML_STATUS_OK) {
      if (last && kind_ == Kind::Unknown) reading_.problem = "it holds no XML element";
      return true;
    }
    if (!reading_.problem) {
      reading_.problem = "line " + std::to_string(XML_GetCurrentLineNumber(parser_.get())) + ": " +
                         XML_ErrorString(XML_GetErrorCode(parser_.get()));
    }
    return false;
  }

 private:
  enum class Kind { Unknown, SoftwareList, DatFile };

  static void OnStart(void* self, const XML_Char* name, const XML_Char** attributes) {
    static_cast<ListParser*>(self)->Start(name, attributes);
  }
  static void OnEnd(void* self, const XML_Char*) { static_cast<ListParser*>(self)->End(); }
  static void OnText(void* self, const XML_Char* text, int length) {
    auto& parser = *static_cast<ListParser*>(self);
    if (parser.text_ != nullptr) parser.text_->append(text, static_cast<size_t>(length));
  }

  void Start(std::string_view name, const XML_Char** attributes) {
    ++depth_;
    if (depth_ == 1) {
      StartList(name, attributes);
    } else if (kind_ == Kind::DatFile && depth_ == 2 && name == "header") {
      in_header_ = true;
    } else if (in_header_ && depth_ == 3 && name == "name") {
      text_ = &reading_.title;
    } else if (set_depth_ == 0 && IsSet(name)) {
      set_depth_ = depth_;
      set_.name = Attribute(attributes, "name");
    } else if (set_depth_ != 0 && name == "rom") {
      if (auto rom = RomOf(attributes)) set_.roms.push_back(std::move(*rom));
    } else if (set_depth_ != 0 && depth_ == set_depth_ + 1) {
      text_ = SetText(name);
    }
  }

  void StartList(std::string_view name, const XML_Char** attributes) {
    if (name == "softwarelist") {
      kind_ = Kind::SoftwareList;
      reading_.title = Attribute(attributes, "description");
      if (reading_.title.empty()) reading_.title = Attribute(attributes, "name");
    } else if (name == "datafile") {
      kind_ = Kind::DatFile;
    } else {
      reading_.problem = "not a MAME software list nor a Logiqx DAT file (its root element is <" +
                         std::string(name) + ">)";
      XML_StopParser(parser_.get(), XML_FALSE);
    }
  }

  bool IsSet(std::string_view name) const {
    if (kind_ == Kind::SoftwareList) return name == "software";
    return name == "game" || name == "machine";
  }

  // Where the text of a direct child of the set goes; nullptr for one the index does not keep.
  std::string* SetText(std::string_view name) {
    if (name == "description") return &set_.description;
    if (name == "year") return &set_.year;
    if (name == (kind_ == Kind::SoftwareList ? "publisher" : "manufacturer")) return &set_.maker;
    return nullptr;
  }

  void End() {
    if (text_ != nullptr) TrimEnd(*text_);
    text_ = nullptr;
    if (depth_ == set_depth_) {
      take_(set_);
      set_ = {};
      set_depth_ = 0;
    }
    if (depth_ == 2) in_header_ = false;
    --depth_;
  }

  std::unique_ptr<XML_ParserStruct, ParserDeleter> parser_;
  const std::function<void(ListedSet&)>& take_;
  ListReading& reading_;
  Kind kind_ = Kind::Unknown;
  int depth_ = 0;
  int set_depth_ = 0;  // the depth of the set being read; 0 outside every set
  bool in_header_ = false;
  std::string* text_ = nullptr;  // where the text of the element being read goes
  ListedSet set_;
};

}  // namespace

ListReading ReadRomList(const std::string& path, const std::function<void(ListedSet&)>& take,
                        const std::function<bool(uint64_t bytes_read)>& keep_reading) {
  ListReading reading;
  ListParser parser(take, reading);
  uint64_t read = 0;
  bool broken = false;
  const auto error = platform::ReadFileInPieces(path, kPiece, [&](std::span<const uint8_t> piece) {
    read += piece.size();
    broken = !parser.Parse(piece, false);
    reading.stopped = !broken && !keep_reading(read);
    return !broken && !reading.stopped;
  });
  if (error) {
    reading.problem = error->reason;
  } else if (!broken && !reading.stopped) {
    parser.Parse({}, true);
  }
  return reading;
}

}  // namespace romlists
