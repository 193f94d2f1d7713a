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
  std::vector<uint8_t> bytes;        // as placed in the buffer: byte i at buffer address i
  uint64_t length = 0;               // the file's length, also when it was too long to take
  bool too_long = false;             // longer than the buffer it was meant for; nothing read
  std::optional<std::string> error;  // missing, unreadable, a directory, a damaged load file
  ImageFormat format = ImageFormat::Binary;
  std::string summary;  // a load file's format, record count and address range
  // A load file only: its records' bytes by the addresses the file gives, what the reader
  // passed over, and where the records lie in the buffer once placed.
  std::vector<ImageBlock> blocks;
  std::vector<std::string> notes;
  uint64_t lowest = 0;  // the file's lowest and highest address
  uint64_t highest = 0;
  bool beyond = false;  // not placed: its addresses lie beyond the buffer (error says which)
  uint64_t moved = 0;   // subtracted from every address of the file when placed
  std::vector<AddressRange> ranges;  // the buffer addresses the records cover, once placed
  bool load_file() const { return format != ImageFormat::Binary; }
  bool ok() const { return !too_long && !error; }
};

// Reads a whole image file for a buffer of max_bytes: a raw image of at most max_bytes, or a
// load file, placed at its own addresses when they lie below max_bytes. `how`: by the file's
// content, or in the format the operator chose.
LoadedImage LoadImage(const std::string& path, size_t max_bytes, ReadAs how = ReadAs::Content);

// Places a load file's records with `down` subtracted from every address, in a buffer of
// max_bytes: the image's bytes from address 0 up to its highest, FFh (the erased state) where
// no record gives one. False, with the image's error and `beyond` set, when an address would
// lie below 0 or at max_bytes or above.
bool PlaceLoadFile(LoadedImage& image, uint64_t down, size_t max_bytes);

// The parts of a buffer a load file's records covered, at the addresses the file gave them.
std::vector<ImageSpan> LoadFileParts(std::span<const uint8_t> buffer,
                                     std::span<const AddressRange> ranges, uint64_t moved);

// Copies the image into the start of the buffer and sets every byte after it to FFh, the
// erased state, so that nothing of an earlier image is left behind it. An image longer than
// the buffer is cut to the buffer.
void PlaceImage(std::span<uint8_t> buffer, std::span<const uint8_t> image);

// The first `length` bytes of a buffer, as a save writes them; a length outside 0..size is
// kept to the buffer.
std::span<const uint8_t> ImagePart(std::span<const uint8_t> buffer, int64_t length);

}  // namespace buffers
