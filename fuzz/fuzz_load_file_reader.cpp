// Every load-file reader, fed directly: the first input byte chooses the format (Intel HEX and
// S-records read by the program, the others through the library from a file in memory). A file is
// read or refused, never both; a refusal names its line in words a log can show; the blocks of an
// image are in address order, apart, and agree with its lowest and highest address; and an Intel
// HEX or S-record image written out by the program reads back as the same blocks.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "buffers/image_formats.h"
#include "fuzz_support.h"

namespace {

using buffers::ReadAs;

void RequireWellFormed(const buffers::LoadFileImage& image) {
  fuzzing::Require(image.records >= image.blocks.size(), "every block comes from a record");
  for (size_t i = 0; i < image.blocks.size(); ++i) {
    fuzzing::Require(!image.blocks[i].bytes.empty(), "no empty block");
    if (i > 0) {
      fuzzing::Require(image.blocks[i].address > image.blocks[i - 1].end(),
                       "blocks in address order, apart");
    }
  }
  if (!image.blocks.empty()) {
    fuzzing::Require(image.lowest == image.blocks.front().address &&
                         image.highest == image.blocks.back().end() - 1,
                     "lowest and highest address are the blocks'");
  }
  for (const std::string& note : image.notes) {
    fuzzing::Require(!fuzzing::HasControlCharacter(note), "no control character in a note");
  }
}

buffers::LoadFileResult ReadText(ReadAs how, std::string_view text) {
  return how == ReadAs::IntelHex ? buffers::ReadIntelHex(text) : buffers::ReadSRecord(text);
}

void RequireRoundTrip(ReadAs how, const buffers::LoadFileImage& image) {
  if (!image.blocks.empty() && image.highest > 0xFFFFFFFFU) return;  // no 32-bit record for it
  std::vector<buffers::ImageSpan> parts;
  for (const buffers::ImageBlock& block : image.blocks)
    parts.push_back({block.address, block.bytes});
  const std::string text = buffers::ImageFileText(image.format, parts);
  const buffers::LoadFileResult back = ReadText(how, text);
  fuzzing::Require(back.image.has_value(), "a written image reads back");
  fuzzing::Require(back.image->blocks.size() == image.blocks.size(), "the same blocks read back");
  for (size_t i = 0; i < image.blocks.size(); ++i) {
    fuzzing::Require(back.image->blocks[i].address == image.blocks[i].address &&
                         back.image->blocks[i].bytes == image.blocks[i].bytes,
                     "the same blocks read back");
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const auto choices = buffers::ReadAsChoices();
  // Every choice but reading by content and raw binary.
  const ReadAs how = choices[2 + data[0] % (choices.size() - 2)].how;
  const std::string_view text(reinterpret_cast<const char*>(data + 1), size - 1);
  const bool own = how == ReadAs::IntelHex || how == ReadAs::SRecord;
  const buffers::LoadFileResult result =
      own ? ReadText(how, text) : buffers::ReadLibraryFormat(how, text);
  fuzzing::Require(result.image.has_value() != result.refusal.has_value(),
                   "a load file is read or refused, not both");
  if (result.refusal) {
    if (own) {
      fuzzing::Require(!fuzzing::HasControlCharacter(*result.refusal),
                       "no control character in a refusal");
    }
    return 0;
  }
  RequireWellFormed(*result.image);
  if (own) RequireRoundTrip(how, *result.image);
  return 0;
}
