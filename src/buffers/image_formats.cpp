#include "buffers/image_formats.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <optional>

#include "platform/hex_text.h"

namespace buffers {
namespace {

constexpr size_t kRecordBytes = 16;

// About how many records the parts take: a sparse image high in the address space takes as many
// as its bytes need, not as many as its highest address would.
size_t RecordsFor(std::span<const ImageSpan> parts) {
  size_t records = 1;
  for (const ImageSpan& part : parts) records += part.bytes.size() / kRecordBytes + 1;
  return records;
}

constexpr std::string_view kDigits = "0123456789ABCDEF";

// A record under construction: its hex digits and the sum of the bytes they stand for.
class RecordLine {
 public:
  explicit RecordLine(std::string& out) : out_(out) {}
  void Byte(uint32_t byte) {
    const auto b = static_cast<uint8_t>(byte & 0xFF);
    out_ += kDigits[b >> 4];
    out_ += kDigits[b & 0x0F];
    sum_ = static_cast<uint8_t>(sum_ + b);
  }
  void BigEndian(uint64_t value, int bytes) {
    for (int i = bytes - 1; i >= 0; --i) Byte(static_cast<uint32_t>(value >> (8 * i)));
  }
  void Bytes(std::span<const uint8_t> bytes) {
    for (uint8_t b : bytes) Byte(b);
  }
  uint8_t Sum() const { return sum_; }
  // Intel HEX closes a record with the two's complement of its sum, S-records with the one's.
  void EndIntel() { End(static_cast<uint8_t>(0x100 - sum_)); }
  void EndMotorola() { End(static_cast<uint8_t>(~sum_)); }

 private:
  void End(uint8_t checksum) {
    out_ += kDigits[checksum >> 4];
    out_ += kDigits[checksum & 0x0F];
    out_ += "\r\n";
  }
  std::string& out_;
  uint8_t sum_ = 0;
};

void IntelRecord(std::string& out, uint32_t type, uint32_t address, std::span<const uint8_t> data) {
  out += ':';
  RecordLine line(out);
  line.Byte(static_cast<uint32_t>(data.size()));
  line.BigEndian(address & 0xFFFF, 2);
  line.Byte(type);
  line.Bytes(data);
  line.EndIntel();
}

void MotorolaRecord(std::string& out, char type, uint64_t address, int address_bytes,
                    std::span<const uint8_t> data) {
  out += 'S';
  out += type;
  RecordLine line(out);
  line.Byte(static_cast<uint32_t>(data.size()) + static_cast<uint32_t>(address_bytes) + 1);
  line.BigEndian(address, address_bytes);
  line.Bytes(data);
  line.EndMotorola();
}

std::string Lower(std::string_view text) {
  std::string out(text);
  std::transform(out.begin(), out.end(), out.begin(),
                 [](char c) { return static_cast<char>(std::tolower(static_cast<uint8_t>(c))); });
  return out;
}

}  // namespace

uint64_t LoadFileLimit(size_t capacity) {
  // One byte a record at 32-bit addresses takes 16 characters a byte; headers and comments
  // get 64 KB on top.
  return uint64_t{capacity} * 16 + 65536;
}

std::string IntelHexText(std::span<const ImageSpan> parts) {
  std::string out;
  uint64_t end = 0;
  for (const ImageSpan& part : parts)
    end = std::max<uint64_t>(end, part.address + part.bytes.size());
  out.reserve(RecordsFor(parts) * 45);
  // Addresses past 64 KB need the upper half of the address in a record of its own; a record
  // never crosses a 64 KB boundary, as the readers take its address within one.
  const bool extended = end > 0x10000;
  std::optional<uint64_t> upper;
  for (const ImageSpan& part : parts) {
    for (size_t at = 0; at < part.bytes.size();) {
      const uint64_t address = part.address + at;
      if (extended && upper != address >> 16) {
        upper = address >> 16;
        const std::array<uint8_t, 2> half{static_cast<uint8_t>(address >> 24),
                                          static_cast<uint8_t>(address >> 16)};
        IntelRecord(out, 4, 0, half);
      }
      const size_t count = static_cast<size_t>(
          std::min<uint64_t>({kRecordBytes, part.bytes.size() - at, 0x10000 - (address & 0xFFFF)}));
      IntelRecord(out, 0, static_cast<uint32_t>(address), part.bytes.subspan(at, count));
      at += count;
    }
  }
  IntelRecord(out, 1, 0, {});
  return out;
}

std::string SRecordText(std::span<const ImageSpan> parts) {
  uint64_t end = 0;
  for (const ImageSpan& part : parts)
    end = std::max<uint64_t>(end, part.address + part.bytes.size());
  const int address_bytes = end <= 0x10000 ? 2 : end <= 0x1000000 ? 3 : 4;
  const char data_type = static_cast<char>('1' + address_bytes - 2);
  const char end_type = static_cast<char>('9' - (address_bytes - 2));
  std::string out;
  out.reserve(RecordsFor(parts) * 48);
  constexpr std::string_view kHeader = "MELDRIX5N";
  MotorolaRecord(out, '0', 0, 2,
                 {reinterpret_cast<const uint8_t*>(kHeader.data()), kHeader.size()});
  size_t records = 0;
  for (const ImageSpan& part : parts) {
    for (size_t at = 0; at < part.bytes.size(); at += kRecordBytes) {
      const size_t count = std::min(kRecordBytes, part.bytes.size() - at);
      MotorolaRecord(out, data_type, part.address + at, address_bytes,
                     part.bytes.subspan(at, count));
      ++records;
    }
  }
  if (records <= 0xFFFF) {
    MotorolaRecord(out, '5', records, 2, {});
  } else {
    MotorolaRecord(out, '6', records, 3, {});
  }
  MotorolaRecord(out, end_type, 0, address_bytes, {});
  return out;
}

std::string IntelHexText(std::span<const uint8_t> image) {
  const ImageSpan whole{0, image};
  return IntelHexText(std::span(&whole, 1));
}

std::string SRecordText(std::span<const uint8_t> image) {
  const ImageSpan whole{0, image};
  return SRecordText(std::span(&whole, 1));
}

std::optional<ImageFormat> FormatOfName(std::string_view path) {
  const auto dot = path.rfind('.');
  const auto slash = path.find_last_of("/\\");
  if (dot == std::string_view::npos || (slash != std::string_view::npos && dot < slash)) {
    return std::nullopt;
  }
  const std::string ext = Lower(path.substr(dot + 1));
  if (ext == "hex" || ext == "ihx" || ext == "ihex") return ImageFormat::IntelHex;
  for (std::string_view s : {"s19", "s28", "s37", "srec", "mot", "s"}) {
    if (ext == s) return ImageFormat::SRecord;
  }
  if (ext == "bin") return ImageFormat::Binary;
  return std::nullopt;
}

ImageFormat ImageFormatChosen(std::string_view path, int filter_index) {
  if (filter_index == 1) return ImageFormat::IntelHex;
  if (filter_index == 2) return ImageFormat::SRecord;
  return FormatOfName(path).value_or(ImageFormat::Binary);
}

std::string ImageFileText(ImageFormat format, std::span<const uint8_t> image) {
  return format == ImageFormat::SRecord ? SRecordText(image) : IntelHexText(image);
}

std::string ImageFileText(ImageFormat format, std::span<const ImageSpan> parts) {
  return format == ImageFormat::SRecord ? SRecordText(parts) : IntelHexText(parts);
}

std::string LoadFileSummary(const LoadFileImage& image) {
  return image.format_name + ": " + std::to_string(image.records) + " records, addresses " +
         platform::Hex(image.lowest) + "h to " + platform::Hex(image.highest) + "h";
}

}  // namespace buffers
