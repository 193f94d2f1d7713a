// The buffer editor's changes of the code and data images, and what they mean for the files
// the images came from.
#include <algorithm>

#include "operations/programmer.h"

namespace ops {

std::span<uint8_t> Programmer::EditableImage(bool data) {
  std::vector<uint8_t>& buffer = data ? buf.DataBuffer : buf.CodeBuffer;
  const int32_t length = data ? buf.DataLength : buf.CodeLength;
  const auto count = std::clamp<int64_t>(length, 0, static_cast<int64_t>(buffer.size()));
  return std::span<uint8_t>(buffer).first(static_cast<size_t>(count));
}

void Programmer::ApplyBufferEdit(bool data, const buffers::ByteEdit& edit, bool undo) {
  const std::span<uint8_t> image = EditableImage(data);
  buffers::ApplyEdit(image, edit, undo);
  const uint64_t end = std::min<uint64_t>(edit.End(), image.size());
  // A load file is saved as its records: an edit between or beyond them must be in one.
  auto& ranges = data ? buf.DataFileRanges : buf.CodeFileRanges;
  if (!ranges.empty()) buffers::CoverRange(ranges, {edit.address, end});
  // Programming and verify cover the code image: a patch just beyond it is part of it now.
  if (!data && buf.CodeImageLength > 0) {
    buf.CodeImageLength = std::max(buf.CodeImageLength, static_cast<int32_t>(end));
  }
  (data ? buf.DataEdited : buf.CodeEdited) = true;
  ShowEditedMark(data);
  if (DisplayMode == "Read") DisplayPageMemory();
}

void Programmer::ImageReplaced(bool data) {
  (data ? buf.DataEdited : buf.CodeEdited) = false;
  ++(data ? buf.DataReplaced : buf.CodeReplaced);
}

bool Programmer::EditsMayBeLost(bool data, std::string_view replace, std::string_view canceled) {
  if (!(data ? buf.DataEdited : buf.CodeEdited)) return true;
  const std::string buffer = data ? "Data Buffer" : "Code Buffer";
  if (ui.AskOkCancel("The " + buffer + " holds edits that are not saved. " + std::string(replace) +
                         " over them?",
                     "Unsaved Edits")) {
    return true;
  }
  ui.LogMessage(std::string(canceled) + " was Canceled: the " + buffer + " keeps its edits");
  return false;
}

}  // namespace ops
