#include "buffers/image_file.h"

#include <algorithm>
#include <cstddef>
#include <utility>

#include "platform/files.h"
#include "platform/hex_text.h"

namespace buffers {
namespace {

// Enough of a file to see whether its first line starts as a record.
constexpr uint64_t kRecognisedBytes = 4096;

}  // namespace

LoadedImage LoadImage(const std::string& path, size_t max_bytes, ReadAs how) {
  LoadedImage image;
  const platform::SizeResult size = platform::RegularFileSize(path);
  if (size.error) {
    image.error = size.error->reason;
    return image;
  }
  image.length = size.size;
  const uint64_t limit = how == ReadAs::Binary ? max_bytes : LoadFileLimit(max_bytes);
  if (size.size > limit) {
    image.too_long = true;
    return image;
  }
  // A raw image longer than the buffer is refused by its first line alone, unread.
  if (how == ReadAs::Content && size.size > max_bytes) {
    const platform::ReadResult start = platform::ReadFileStart(path, kRecognisedBytes);
    if (!start.error && RecogniseContent(start.bytes) == ReadAs::Binary) {
      image.too_long = true;
      return image;
    }
  }
  platform::ReadResult read = platform::ReadWholeFile(path, limit);
  if (read.error) {
    image.error = read.error->reason;
    return image;
  }
  const ReadAs kind = how == ReadAs::Content ? RecogniseContent(read.bytes) : how;
  if (kind == ReadAs::Binary) {
    image.length = read.bytes.size();
    if (image.length > max_bytes) {
      image.too_long = true;
      return image;
    }
    image.bytes = std::move(read.bytes);
    return image;
  }
  const std::string_view text(reinterpret_cast<const char*>(read.bytes.data()), read.bytes.size());
  LoadFileResult file = kind == ReadAs::IntelHex  ? ReadIntelHex(text)
                        : kind == ReadAs::SRecord ? ReadSRecord(text)
                                                  : ReadLibraryFormat(kind, text);
  if (!file.image) {
    image.error = file.refusal.value_or("no records of this format");
    return image;
  }
  image.format = file.image->format;
  image.summary = LoadFileSummary(*file.image);
  image.lowest = file.image->lowest;
  image.highest = file.image->highest;
  image.notes = std::move(file.image->notes);
  image.blocks = std::move(file.image->blocks);
  PlaceLoadFile(image, 0, max_bytes);
  return image;
}

bool PlaceLoadFile(LoadedImage& image, uint64_t down, size_t max_bytes) {
  image.bytes.clear();
  image.ranges.clear();
  if (down > image.lowest || (!image.blocks.empty() && image.highest - down >= max_bytes)) {
    image.beyond = true;
    const uint64_t at = down > image.lowest ? image.lowest : image.highest;
    image.error = "address " + platform::Hex(at) + "h lies beyond the buffer of " +
                  std::to_string(max_bytes) + " bytes";
    return false;
  }
  image.beyond = false;
  image.error.reset();
  image.moved = down;
  if (image.blocks.empty()) return true;
  image.bytes.assign(static_cast<size_t>(image.highest - down + 1), 0xFF);
  for (const ImageBlock& block : image.blocks) {
    const uint64_t first = block.address - down;
    std::copy(block.bytes.begin(), block.bytes.end(),
              image.bytes.begin() + static_cast<std::ptrdiff_t>(first));
    image.ranges.push_back({first, first + block.bytes.size()});
  }
  return true;
}

std::vector<ImageSpan> LoadFileParts(std::span<const uint8_t> buffer,
                                     std::span<const AddressRange> ranges, uint64_t moved) {
  std::vector<ImageSpan> parts;
  for (const AddressRange& range : ranges) {
    if (range.first >= range.end || range.end > buffer.size()) continue;
    parts.push_back(
        {range.first + moved, buffer.subspan(static_cast<size_t>(range.first),
                                             static_cast<size_t>(range.end - range.first))});
  }
  return parts;
}

void PlaceImage(std::span<uint8_t> buffer, std::span<const uint8_t> image) {
  const size_t count = std::min(buffer.size(), image.size());
  std::copy_n(image.begin(), count, buffer.begin());
  std::fill(buffer.begin() + static_cast<std::ptrdiff_t>(count), buffer.end(), uint8_t{0xFF});
}

std::span<const uint8_t> ImagePart(std::span<const uint8_t> buffer, int64_t length) {
  const auto count = std::clamp<int64_t>(length, 0, static_cast<int64_t>(buffer.size()));
  return buffer.first(static_cast<size_t>(count));
}

}  // namespace buffers
