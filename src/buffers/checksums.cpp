#include "buffers/checksums.h"

#include <nettle/sha1.h>
#include <zlib.h>

#include <algorithm>
#include <cstdio>
#include <limits>

namespace buffers {
namespace {

// zlib and nettle take their lengths in 32-bit counts and plain sizes; both are fed in pieces
// that fit.
constexpr size_t kPiece = size_t{1} << 30;

std::string HexDigits(uint32_t value, int digits) {
  std::array<char, 9> text{};
  std::snprintf(text.data(), text.size(), "%0*X", digits, static_cast<unsigned>(value));
  return text.data();
}

}  // namespace

uint32_t Crc32Of(std::span<const uint8_t> image) {
  uLong crc = crc32(0L, Z_NULL, 0);
  for (size_t at = 0; at < image.size(); at += kPiece) {
    const size_t count = std::min(kPiece, image.size() - at);
    crc = crc32(crc, image.data() + at, static_cast<uInt>(count));
  }
  return static_cast<uint32_t>(crc);
}

ImageChecksums ChecksumsOf(std::span<const uint8_t> image) {
  ImageChecksums sums;
  uint32_t sum = 0;
  for (uint8_t byte : image) sum += byte;
  sums.sum = static_cast<uint16_t>(sum & 0xFFFF);
  sums.crc32 = Crc32Of(image);
  sha1_ctx sha;
  sha1_init(&sha);
  for (size_t at = 0; at < image.size(); at += kPiece) {
    sha1_update(&sha, std::min(kPiece, image.size() - at), image.data() + at);
  }
  sha1_digest(&sha, sums.sha1.size(), sums.sha1.data());
  return sums;
}

std::string Crc32Text(uint32_t crc) {
  return HexDigits(crc, 8) + "h";
}

std::string ChecksumLine(std::span<const uint8_t> image) {
  const ImageChecksums sums = ChecksumsOf(image);
  std::string sha1;
  for (uint8_t byte : sums.sha1) {
    constexpr std::string_view kDigits = "0123456789abcdef";
    sha1 += kDigits[byte >> 4];
    sha1 += kDigits[byte & 0x0F];
  }
  return "Checksums of " + std::to_string(image.size()) + " bytes: sum " + HexDigits(sums.sum, 4) +
         "h, CRC-32 " + Crc32Text(sums.crc32) + ", SHA-1 " + sha1;
}

}  // namespace buffers
