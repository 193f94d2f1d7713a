#include "buffers/record_collector.h"

#include <algorithm>
#include <utility>

#include "platform/hex_text.h"

namespace buffers {

void RecordCollector::Add(uint64_t address, std::span<const uint8_t> bytes, size_t line) {
  if (bytes.empty()) return;
  pieces_.push_back({address, std::vector<uint8_t>(bytes.begin(), bytes.end()), line});
}

std::optional<std::string> RecordCollector::Take(LoadFileImage& image) {
  std::stable_sort(pieces_.begin(), pieces_.end(),
                   [](const Piece& a, const Piece& b) { return a.address < b.address; });
  image.records = pieces_.size();
  image.blocks.clear();
  for (Piece& piece : pieces_) {
    if (image.blocks.empty() || piece.address > image.blocks.back().end()) {
      image.blocks.push_back({piece.address, std::move(piece.bytes)});
      continue;
    }
    ImageBlock& block = image.blocks.back();
    const uint64_t piece_end = piece.address + piece.bytes.size();
    const uint64_t overlap_end = std::min<uint64_t>(block.end(), piece_end);
    for (uint64_t a = piece.address; a < overlap_end; ++a) {
      if (block.bytes[a - block.address] != piece.bytes[a - piece.address]) {
        return (piece.line == 0 ? std::string() : "line " + std::to_string(piece.line) + ": ") +
               "address " + platform::Hex(a) + "h is given two different bytes";
      }
    }
    for (uint64_t a = overlap_end; a < piece_end; ++a) {
      block.bytes.push_back(piece.bytes[a - piece.address]);
    }
  }
  if (!image.blocks.empty()) {
    image.lowest = image.blocks.front().address;
    image.highest = image.blocks.back().end() - 1;
  }
  return std::nullopt;
}

}  // namespace buffers
