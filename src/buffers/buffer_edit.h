#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include "buffers/image_formats.h"

namespace buffers {

// One change of an image's bytes from `address` on, as the buffer editor makes it: what they
// held before and what they hold after. It is its own undo record: undoing writes `before` back.
struct ByteEdit {
  uint32_t address = 0;
  std::vector<uint8_t> before;
  std::vector<uint8_t> after;
  bool Empty() const { return after.empty(); }
  uint64_t End() const { return uint64_t{address} + after.size(); }
};

// The edit that writes `bytes` over the image from `address` on, cut at the image's end; empty
// when the address lies beyond it. Nothing is changed yet.
ByteEdit OverwriteEdit(std::span<const uint8_t> image, uint32_t address,
                       std::span<const uint8_t> bytes);
// The edit that fills addresses first..last (both included, in either order) with `value`, cut
// at the image's end.
ByteEdit FillEdit(std::span<const uint8_t> image, uint32_t first, uint32_t last, uint8_t value);
// Writes the edit's `after` bytes (undo: its `before` bytes) into the image; the part of it that
// lies beyond the image is left out.
void ApplyEdit(std::span<uint8_t> image, const ByteEdit& edit, bool undo = false);

// Where `pattern` next begins at or after `from`; where it last begins before `before`. Nothing
// when it does not occur there, or the pattern is empty.
std::optional<uint32_t> FindForward(std::span<const uint8_t> image,
                                    std::span<const uint8_t> pattern, uint32_t from);
std::optional<uint32_t> FindBackward(std::span<const uint8_t> image,
                                     std::span<const uint8_t> pattern, uint32_t before);

// Bytes as the operator types them: pairs of hexadecimal digits, with or without blanks between
// the bytes ("DE AD be ef", "DEADBEEF"). Nothing for any other character, an odd digit count
// or no digits at all.
std::optional<std::vector<uint8_t>> ParseHexBytes(std::string_view text);
// An address or a byte value in hexadecimal, with an optional "h" after it or "0x" before it
// ("1F00", "1F00h", "0x1F00"). Nothing for anything else or a value beyond 32 bits.
std::optional<uint32_t> ParseHexNumber(std::string_view text);

// A load file's records (buffer addresses), extended so that they cover `added` as well: the
// file written from them then holds an edit made between or beyond its records. The records
// stay ascending, neither touching nor overlapping.
void CoverRange(std::vector<AddressRange>& ranges, AddressRange added);

}  // namespace buffers
