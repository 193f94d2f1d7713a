#include "operations/compare_tally.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace {

using Pairs = std::vector<std::pair<uint8_t, uint8_t>>;  // buffer, device

ops::CompareTally Tally(const Pairs& pairs) {
  ops::CompareTally tally;
  uint32_t address = 0;
  for (const auto& [buffer, device] : pairs) tally.Add(address++, buffer, device);
  return tally;
}

// The verdict names the most telling reading: one data line always at one level, else whether
// programming can still reach the image (it only turns 1s into 0s).
TEST(CompareTally, TheVerdictReadsThePatternOfTheDifferences) {
  struct Case {
    const char* what;
    Pairs pairs;
    const char* verdict;
  };
  const Case cases[] = {
      {"D3 dead low",
       {{0x08, 0x00}, {0xFF, 0xF7}, {0x00, 0x00}, {0x5A, 0x52}},
       "every difference is data bit D3 reading 0: a stuck data line or socket contact"},
      {"D7 stuck high",
       {{0x00, 0x80}, {0x7F, 0xFF}},
       "every difference is data bit D7 reading 1: a stuck data line or socket contact"},
      {"cells still erased",
       {{0x00, 0xFF}, {0x12, 0x3F}, {0xAA, 0xAA}},
       "all differences are 1 to 0 bits: the chip can be programmed over without erasing"},
      {"D3 both ways is not a stuck line",
       {{0x08, 0x00}, {0x00, 0x08}},
       "1 bytes need a 0 to 1 bit: erase the chip first"},
      {"another image",
       {{0xFF, 0x00}, {0x0F, 0xF0}, {0x00, 0x01}},
       "2 bytes need a 0 to 1 bit: erase the chip first"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Tally(c.pairs).Verdict(), c.verdict) << c.what;
  }
}

TEST(CompareTally, ListsTheFirstSixteenAndCountsEveryLine) {
  Pairs pairs(40, {0xFF, 0xFE});  // D0 reads 0 everywhere
  pairs[20] = {0x00, 0x02};       // and once D1 reads 1
  const ops::CompareTally tally = Tally(pairs);
  EXPECT_EQ(tally.Differing(), 40);
  EXPECT_EQ(tally.ReadZero(0), 39);
  EXPECT_EQ(tally.ReadOne(1), 1);
  const std::vector<std::string> lines = tally.ReportLines();
  ASSERT_EQ(lines.size(), 16U + 1 + 1 + 2 + 1);
  EXPECT_EQ(lines[0], "Address: 0 ][ Buffer Data: FF ][ Device Data: FE");
  EXPECT_EQ(lines[16], "... and 24 more");
  EXPECT_EQ(lines[17], "Differing bytes in 1 range: 0h..27h");
  EXPECT_EQ(lines[18], "D0: 39 bytes read 0 where the image has 1, 0 read 1 where it has 0");
  EXPECT_EQ(lines[19], "D1: 0 bytes read 0 where the image has 1, 1 read 1 where it has 0");
  EXPECT_EQ(lines[20], "39 bytes need a 0 to 1 bit: erase the chip first");
}

// Runs of consecutive addresses make one range each; the sixteenth still grows after it is
// listed, the ones after it are only counted.
TEST(CompareTally, GathersTheDifferencesIntoRanges) {
  ops::CompareTally tally;
  for (uint32_t run = 0; run < 20; ++run) {
    for (uint32_t i = 0; i < 3; ++i) tally.Add(run * 16 + i, 0xFF, 0x00);
  }
  EXPECT_EQ(tally.RangeCount(), 20);
  ASSERT_EQ(tally.FirstRanges().size(), 16U);
  EXPECT_EQ(tally.FirstRanges()[15].first, 0xF0U);
  EXPECT_EQ(tally.FirstRanges()[15].last, 0xF2U);
  EXPECT_TRUE(tally.RangesText().starts_with("0h..2h, 10h..12h, "));
  EXPECT_TRUE(tally.RangesText().ends_with(", F0h..F2h and 4 more"));
}

}  // namespace
