// The buffer editor's work on an image, without a window: edits and their undo, finding bytes,
// the operator's hex text, and the records of a load file growing to hold an edit.
#include "buffers/buffer_edit.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace {

using buffers::AddressRange;

std::vector<uint8_t> Bytes(const std::string& text) {
  return {text.begin(), text.end()};
}

// An edit cut at the image's end changes only the image's bytes, and its undo gives back
// exactly what was there; an edit at or beyond the end is empty.
TEST(ByteEdits, OverwriteAndFillAreCutAtTheEndAndUndoneExactly) {
  std::vector<uint8_t> image = Bytes("ABCDEFGH");
  const auto edit = buffers::OverwriteEdit(image, 6, Bytes("xyz"));
  EXPECT_EQ(edit.before, Bytes("GH"));
  EXPECT_EQ(edit.after, Bytes("xy"));
  buffers::ApplyEdit(image, edit);
  EXPECT_EQ(image, Bytes("ABCDEFxy"));
  buffers::ApplyEdit(image, edit, true);
  EXPECT_EQ(image, Bytes("ABCDEFGH"));
  EXPECT_TRUE(buffers::OverwriteEdit(image, 8, Bytes("x")).Empty());

  const auto fill = buffers::FillEdit(image, 5, 2, '-');  // either order
  EXPECT_EQ(fill.address, 2U);
  buffers::ApplyEdit(image, fill);
  EXPECT_EQ(image, Bytes("AB----GH"));
  EXPECT_EQ(buffers::FillEdit(image, 6, 0xFFFFFFFF, '.').after, Bytes(".."));
  EXPECT_TRUE(buffers::FillEdit(image, 9, 12, '.').Empty());
}

struct FindCase {
  const char* pattern;
  uint32_t at;
  std::optional<uint32_t> forward;   // searched from `at` on
  std::optional<uint32_t> backward;  // searched before `at`
};

TEST(FindInImage, ForwardFromTheCursorAndBackBeforeIt) {
  const std::vector<uint8_t> image = Bytes("abcabcab");
  const FindCase cases[] = {
      {"abc", 0, 0, std::nullopt},  // a match at the cursor is found forward, not back
      {"abc", 1, 3, 0},
      {"abc", 3, 3, 0},
      {"abc", 4, std::nullopt, 3},
      {"ab", 7, std::nullopt, 6},  // a match that begins before the cursor but ends after it
      {"ab", 8, std::nullopt, 6},
      {"bca", 0, 1, std::nullopt},
      {"x", 0, std::nullopt, std::nullopt},
      {"abcabcabc", 9, std::nullopt, std::nullopt},  // longer than the image
      {"", 0, std::nullopt, std::nullopt},
  };
  for (const FindCase& c : cases) {
    SCOPED_TRACE(std::string(c.pattern) + " at " + std::to_string(c.at));
    EXPECT_EQ(buffers::FindForward(image, Bytes(c.pattern), c.at), c.forward);
    EXPECT_EQ(buffers::FindBackward(image, Bytes(c.pattern), c.at), c.backward);
  }
}

TEST(OperatorsHexText, BytesAndNumbers) {
  using Parsed = std::optional<std::vector<uint8_t>>;
  EXPECT_EQ(buffers::ParseHexBytes("DE AD be ef"), Parsed({0xDE, 0xAD, 0xBE, 0xEF}));
  EXPECT_EQ(buffers::ParseHexBytes(" 0a0B "), Parsed({0x0A, 0x0B}));
  for (const char* bad : {"", " ", "A", "ABC", "A B", "GG", "12,34", "0x12"}) {
    EXPECT_EQ(buffers::ParseHexBytes(bad), std::nullopt) << bad;
  }
  EXPECT_EQ(buffers::ParseHexNumber("1F00"), 0x1F00U);
  EXPECT_EQ(buffers::ParseHexNumber(" 1f00h "), 0x1F00U);
  EXPECT_EQ(buffers::ParseHexNumber("0x1F00"), 0x1F00U);
  EXPECT_EQ(buffers::ParseHexNumber("FFFFFFFF"), 0xFFFFFFFFU);
  for (const char* bad : {"", "h", "0x", "-1", "1 2", "100000000", "12hh", "0x12h"}) {
    EXPECT_EQ(buffers::ParseHexNumber(bad), std::nullopt) << bad;
  }
}

struct CoverCase {
  AddressRange added;
  std::vector<AddressRange> expected;
};

// Records 10h..1Fh and 40h..4Fh; what an edit makes of them.
TEST(LoadFileRecords, GrowToHoldAnEditAndStayApart) {
  const CoverCase cases[] = {
      {{0x12, 0x14}, {{0x10, 0x20}, {0x40, 0x50}}},                // inside: unchanged
      {{0x30, 0x31}, {{0x10, 0x20}, {0x30, 0x31}, {0x40, 0x50}}},  // in the gap: a record
      {{0x20, 0x21}, {{0x10, 0x21}, {0x40, 0x50}}},                // touching: one record
      {{0x1F, 0x41}, {{0x10, 0x50}}},                              // across the gap: one
      {{0x00, 0x01}, {{0x00, 0x01}, {0x10, 0x20}, {0x40, 0x50}}},  // before the first
      {{0x60, 0x60}, {{0x10, 0x20}, {0x40, 0x50}}},                // empty: nothing
  };
  for (const CoverCase& c : cases) {
    std::vector<AddressRange> ranges = {{0x10, 0x20}, {0x40, 0x50}};
    buffers::CoverRange(ranges, c.added);
    EXPECT_EQ(ranges, c.expected) << std::hex << c.added.first << ".." << c.added.end;
  }
}

}  // namespace
