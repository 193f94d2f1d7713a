// The decision between a raw image and a load file, on a buffer of 8192 bytes: content whose
// first line is no record is a raw image, byte for byte, taken exactly when it fits; content
// whose first line is one is never taken as raw bytes. A load file taken lies within the
// buffer, FFh wherever no record gives a byte.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "buffers/buffers.h"
#include "buffers/image_file.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string path = (fuzzing::WorkDirectory() / "image").string();
  fuzzing::WriteFile(path, data, size);
  const std::span<const uint8_t> content(data, size);
  const buffers::ReadAs kind = buffers::RecogniseContent(content);
  const buffers::LoadedImage image = buffers::LoadImage(path, buffers::kMaxDataFile);

  if (kind == buffers::ReadAs::Binary) {
    fuzzing::Require(image.format == buffers::ImageFormat::Binary, "no record: a raw image");
    fuzzing::Require(image.ok() == (size <= buffers::kMaxDataFile),
                     "a raw image is taken exactly when it fits");
    if (image.ok()) {
      fuzzing::Require(std::equal(image.bytes.begin(), image.bytes.end(), data, data + size),
                       "a raw image is the file, byte for byte");
    }
    return 0;
  }
  fuzzing::Require(!(image.ok() && image.format == buffers::ImageFormat::Binary),
                   "a file that starts as a load file is never taken as raw bytes");
  if (!image.ok()) return 0;
  fuzzing::Require(image.bytes.size() <= buffers::kMaxDataFile,
                   "an image never outgrows its buffer");
  size_t given = 0;
  for (const buffers::AddressRange& range : image.ranges) {
    fuzzing::Require(range.first < range.end && range.end <= image.bytes.size(),
                     "the records lie within the image");
    given += range.end - range.first;
  }
  const auto erased = static_cast<size_t>(std::count(image.bytes.begin(), image.bytes.end(), 0xFF));
  fuzzing::Require(image.bytes.size() - given <= erased, "bytes no record gives are erased");
  return 0;
}
