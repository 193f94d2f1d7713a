// Image files opened into the code or the data buffer (the first input byte chooses which):
// a file taken fills exactly its length and erases the rest of the buffer (FFh), so that nothing
// of an earlier image is left behind it; a refused file changes nothing; a saved image reads
// back byte for byte.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "buffers/buffers.h"
#include "buffers/image_formats.h"
#include "fuzz_support.h"

namespace {

// What a load may change, taken before it.
struct Image {
  std::vector<uint8_t> buffer;
  int32_t length;
  int16_t loaded;
  std::string name;
  bool operator==(const Image&) const = default;
};

Image CodeImage(const ops::Programmer& p) {
  return {p.buf.CodeBuffer, p.buf.CodeLength, p.buf.CodeLoaded, p.buf.CodeFileName};
}
Image DataImage(const ops::Programmer& p) {
  return {p.buf.DataBuffer, p.buf.DataLength, p.buf.DataLoaded, p.buf.DataFileName};
}

void FillWithMarks(std::vector<uint8_t>& buffer) {
  for (size_t i = 0; i < buffer.size(); ++i) buffer[i] = static_cast<uint8_t>(i * 31 + 7);
}

void RequireTakenOrUntouched(const Image& before, const Image& after, bool taken,
                             const std::string& path) {
  if (!taken) {
    fuzzing::Require(after == before, "a refused file changes nothing");
    return;
  }
  fuzzing::Require(after.name == path && after.loaded == 1, "a file taken becomes the image");
}

// A raw binary image is the file itself: exactly its length, its bytes, and the rest of the
// buffer erased.
void RequireRawImage(const Image& after, const uint8_t* file, size_t size) {
  fuzzing::Require(static_cast<size_t>(after.length) == size, "the image is as long as the file");
  fuzzing::Require(std::equal(file, file + size, after.buffer.begin()),
                   "the image holds the file's bytes");
  fuzzing::Require(std::all_of(after.buffer.begin() + static_cast<std::ptrdiff_t>(size),
                               after.buffer.end(), [](uint8_t b) { return b == 0xFF; }),
                   "bytes after the image are erased");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  fuzzing::WorkDirectory();
  const bool code = (data[0] & 1) == 0;
  const uint8_t* file = data + 1;
  const size_t length = size - 1;
  const std::string path = "image.bin";
  fuzzing::WriteFile(path, file, length);

  fuzzing::Bench bench;
  bench.BoardAt378();
  bench.p.SetDeviceIndex(9);  // Eprom 27C256
  FillWithMarks(bench.p.buf.CodeBuffer);
  FillWithMarks(bench.p.buf.DataBuffer);
  bench.p.buf.CodeFileName = "before.bin";
  bench.p.buf.DataFileName = "before.bin";

  const Image before = code ? CodeImage(bench.p) : DataImage(bench.p);
  const bool taken = code ? bench.p.LoadCodeFile(path) : bench.p.LoadDataFile(path);
  const Image after = code ? CodeImage(bench.p) : DataImage(bench.p);
  RequireTakenOrUntouched(before, after, taken, path);
  const size_t limit = code ? buffers::kCodeBufferSize : buffers::kMaxDataFile;
  const buffers::ImageFormat format =
      code ? bench.p.buf.CodeFileFormat : bench.p.buf.DataFileFormat;
  if (taken && format == buffers::ImageFormat::Binary) RequireRawImage(after, file, length);
  // A file whose first line is no record is raw binary, taken exactly when it fits.
  if (buffers::RecogniseContent(std::span(file, length)) == buffers::ReadAs::Binary) {
    fuzzing::Require(taken == (length <= limit), "a binary file is taken exactly when it fits");
  }
  fuzzing::Require(!taken || static_cast<size_t>(after.length) <= limit,
                   "an image never outgrows its buffer");
  fuzzing::RequireCleanLog(bench.ui);
  bench.RequirePortsInBlocks();

  if (taken) {
    const std::string saved = "saved.bin";
    const bool written = code ? bench.p.SaveCodeFile(saved, true, buffers::ImageFormat::Binary)
                              : bench.p.SaveDataFile(saved, true, buffers::ImageFormat::Binary);
    fuzzing::Require(written, "the image saves");
    const std::vector<uint8_t> back = fuzzing::ReadFile(saved);
    fuzzing::Require(back.size() == static_cast<size_t>(after.length) &&
                         std::equal(back.begin(), back.end(), after.buffer.begin()),
                     "the saved file holds the image's bytes");
  }
  return 0;
}
