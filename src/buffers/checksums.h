#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>

namespace buffers {

// The three figures an operator compares an image with: the 16-bit byte sum that chip labels
// and vendor tools print, and the CRC-32 and SHA-1 that ROM collections list.
struct ImageChecksums {
  uint16_t sum = 0;
  uint32_t crc32 = 0;
  std::array<uint8_t, 20> sha1{};
};

ImageChecksums ChecksumsOf(std::span<const uint8_t> image);
uint32_t Crc32Of(std::span<const uint8_t> image);

// "CBF43926h": eight digits, as ROM lists give them.
std::string Crc32Text(uint32_t crc);

// The log line: "Checksums of 9 bytes: sum 01DDh, CRC-32 CBF43926h, SHA-1 f7c3bc1d...".
std::string ChecksumLine(std::span<const uint8_t> image);

}  // namespace buffers
