#include "buffers/image_file.h"

#include <algorithm>
#include <cstddef>
#include <utility>

#include "platform/files.h"

namespace buffers {

LoadedImage LoadImage(const std::string& path, size_t max_bytes) {
  LoadedImage image;
  const platform::SizeResult size = platform::RegularFileSize(path);
  if (size.error) {
    image.error = size.error->reason;
    return image;
  }
  image.length = size.size;
  if (size.size > LoadFileLimit(max_bytes)) {
    image.too_long = true;
    return image;
  }
  platform::ReadResult read = platform::ReadWholeFile(path, LoadFileLimit(max_bytes));
  if (read.error) {
    image.error = read.error->reason;
    return image;
  }
  if (LooksLikeText(read.bytes)) {
    LoadFileResult text = ReadLoadFile(path, max_bytes);
    if (text.refusal) {
      image.error = std::move(text.refusal);
      return image;
    }
    if (text.image) {
      image.format = text.image->format;
      image.summary = LoadFileSummary(*text.image);
      image.bytes = std::move(text.image->bytes);
      return image;
    }
  }
  image.length = read.bytes.size();
  if (image.length > max_bytes) {
    image.too_long = true;
    return image;
  }
  image.bytes = std::move(read.bytes);
  return image;
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
