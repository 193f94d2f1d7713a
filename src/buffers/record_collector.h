#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "buffers/image_formats.h"

namespace buffers {

// The data records of a load file as they come, and the image they make once all are read:
// blocks in address order, a record that gives an address the same byte as an earlier one
// taken, one that gives it another byte refused.
class RecordCollector {
 public:
  // line: where the record is, for the refusal (0: not known).
  void Add(uint64_t address, std::span<const uint8_t> bytes, size_t line);
  size_t records() const { return pieces_.size(); }

  // The blocks, or "line 7: address 10h is given two different bytes".
  std::optional<std::string> Take(LoadFileImage& image);

 private:
  struct Piece {
    uint64_t address;
    std::vector<uint8_t> bytes;
    size_t line;
  };
  std::vector<Piece> pieces_;
};

}  // namespace buffers
