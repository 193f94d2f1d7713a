#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "buffers/image_formats.h"

namespace buffers {

// An image as read from a file: a load file (Intel HEX, S-record, ...) by its records' addresses,
// anything else raw, byte i of the file being byte i of the image.
struct LoadedImage {
  std::vector<uint8_t> bytes;
  uint64_t length = 0;               // the file's length, also when it was too long to take
  bool too_long = false;             // longer than the buffer it was meant for; nothing read
  std::optional<std::string> error;  // missing, unreadable, a directory, a damaged load file
  ImageFormat format = ImageFormat::Binary;
  std::string summary;  // a load file's format, record count and address range
  bool ok() const { return !too_long && !error; }
};

// Reads a whole image file for a buffer of max_bytes: a raw image of at most max_bytes, or a
// load file whose addresses lie below max_bytes.
LoadedImage LoadImage(const std::string& path, size_t max_bytes);

// Copies the image into the start of the buffer and sets every byte after it to FFh, the
// erased state, so that nothing of an earlier image is left behind it. An image longer than
// the buffer is cut to the buffer.
void PlaceImage(std::span<uint8_t> buffer, std::span<const uint8_t> image);

// The first `length` bytes of a buffer, as a save writes them; a length outside 0..size is
// kept to the buffer.
std::span<const uint8_t> ImagePart(std::span<const uint8_t> buffer, int64_t length);

}  // namespace buffers
