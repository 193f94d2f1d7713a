#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "buffers/checksums.h"
#include "platform/hex_text.h"

namespace testing_support {

// One <rom> element of a ROM list for these bytes, with their length, CRC-32 and SHA-1 written
// as the lists write them; MAME's software lists give the length in hexadecimal.
inline std::string RomElement(const std::string& name, std::span<const uint8_t> bytes,
                              bool hex_size = false) {
  const buffers::ImageChecksums sums = buffers::ChecksumsOf(bytes);
  std::string sha1;
  for (uint8_t byte : sums.sha1) sha1 += platform::Hex(byte, 2);
  const std::string size =
      hex_size ? "0x" + platform::Hex(bytes.size()) : std::to_string(bytes.size());
  return "<rom name=\"" + name + "\" size=\"" + size + "\" crc=\"" + platform::Hex(sums.crc32, 8) +
         "\" sha1=\"" + sha1 + "\"/>";
}

// A Logiqx DAT file titled `title` whose one game, mon ("Bench Monitor", 1984, Acme), holds
// `bytes` as rom_name.
inline std::string OneRomDat(const std::string& title, const std::string& rom_name,
                             std::span<const uint8_t> bytes) {
  return "<?xml version=\"1.0\"?>\n<datafile><header><name>" + title +
         "</name></header><game name=\"mon\"><description>Bench Monitor</description>"
         "<year>1984</year><manufacturer>Acme</manufacturer>" +
         RomElement(rom_name, bytes) + "</game></datafile>\n";
}

}  // namespace testing_support
