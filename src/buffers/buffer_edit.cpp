#include "buffers/buffer_edit.h"

#include <algorithm>
#include <charconv>
#include <functional>

namespace buffers {
namespace {

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

std::string_view Trim(std::string_view text) {
  const auto first = text.find_first_not_of(" \t");
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

}  // namespace

ByteEdit OverwriteEdit(std::span<const uint8_t> image, uint32_t address,
                       std::span<const uint8_t> bytes) {
  ByteEdit edit{address, {}, {}};
  if (address >= image.size()) return edit;
  const size_t count = std::min(bytes.size(), image.size() - address);
  const auto held = image.subspan(address, count);
  const auto written = bytes.first(count);
  edit.before.assign(held.begin(), held.end());
  edit.after.assign(written.begin(), written.end());
  return edit;
}

ByteEdit FillEdit(std::span<const uint8_t> image, uint32_t first, uint32_t last, uint8_t value) {
  if (first > last) std::swap(first, last);
  if (first >= image.size()) return {first, {}, {}};
  const size_t count = std::min<uint64_t>(uint64_t{last} + 1, image.size()) - first;
  return OverwriteEdit(image, first, std::vector<uint8_t>(count, value));
}

void ApplyEdit(std::span<uint8_t> image, const ByteEdit& edit, bool undo) {
  const std::vector<uint8_t>& bytes = undo ? edit.before : edit.after;
  if (edit.address >= image.size()) return;
  const size_t count = std::min(bytes.size(), image.size() - edit.address);
  std::copy_n(bytes.begin(), count, image.subspan(edit.address).begin());
}

std::optional<uint32_t> FindForward(std::span<const uint8_t> image,
                                    std::span<const uint8_t> pattern, uint32_t from) {
  if (pattern.empty() || from >= image.size()) return std::nullopt;
  const auto rest = image.subspan(from);
  const auto found = std::search(
      rest.begin(), rest.end(), std::boyer_moore_horspool_searcher(pattern.begin(), pattern.end()));
  if (found == rest.end()) return std::nullopt;
  return from + static_cast<uint32_t>(found - rest.begin());
}

std::optional<uint32_t> FindBackward(std::span<const uint8_t> image,
                                     std::span<const uint8_t> pattern, uint32_t before) {
  if (pattern.empty() || pattern.size() > image.size()) return std::nullopt;
  // The last match beginning before `before` ends at most pattern.size() - 1 bytes after it.
  const size_t end = std::min<uint64_t>(image.size(), uint64_t{before} + pattern.size() - 1);
  const auto window = image.first(end);
  const auto found = std::find_end(window.begin(), window.end(), pattern.begin(), pattern.end());
  if (found == window.end()) return std::nullopt;
  return static_cast<uint32_t>(found - window.begin());
}

std::optional<std::vector<uint8_t>> ParseHexBytes(std::string_view text) {
  std::vector<uint8_t> bytes;
  int high = -1;
  for (char c : text) {
    if (c == ' ' || c == '\t') {
      if (high >= 0) return std::nullopt;  // a blank inside a byte
      continue;
    }
    const int digit = HexDigit(c);
    if (digit < 0) return std::nullopt;
    if (high < 0) {
      high = digit;
    } else {
      bytes.push_back(static_cast<uint8_t>(high * 16 + digit));
      high = -1;
    }
  }
  if (high >= 0 || bytes.empty()) return std::nullopt;
  return bytes;
}

std::optional<uint32_t> ParseHexNumber(std::string_view text) {
  text = Trim(text);
  if (text.starts_with("0x") || text.starts_with("0X")) {
    text.remove_prefix(2);
  } else if (text.ends_with('h') || text.ends_with('H')) {
    text.remove_suffix(1);
  }
  uint32_t value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, 16);
  if (text.empty() || error != std::errc() || end != text.data() + text.size()) {
    return std::nullopt;
  }
  return value;
}

void CoverRange(std::vector<AddressRange>& ranges, AddressRange added) {
  if (added.first >= added.end) return;
  std::vector<AddressRange> merged;
  merged.reserve(ranges.size() + 1);
  for (const AddressRange& range : ranges) {
    if (range.end < added.first || range.first > added.end) {
      merged.push_back(range);
    } else {  // touching or overlapping: one range
      added.first = std::min(added.first, range.first);
      added.end = std::max(added.end, range.end);
    }
  }
  merged.push_back(added);
  std::ranges::sort(merged, {}, &AddressRange::first);
  ranges = std::move(merged);
}

}  // namespace buffers
