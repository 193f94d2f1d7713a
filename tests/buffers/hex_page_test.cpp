#include "buffers/hex_page.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <numeric>
#include <string>
#include <vector>

#include "buffers/buffers.h"

namespace {

using buffers::AsciiRule;

std::string Line(int32_t address, const std::array<uint8_t, 16>& bytes, AsciiRule rule) {
  std::string text;
  buffers::AppendHexLine(text, address, bytes, rule);
  return text;
}

TEST(HexPage, LineHasAddressFourGroupsAndSixteenCharacters) {
  std::array<uint8_t, 16> bytes{};
  std::iota(bytes.begin(), bytes.end(), uint8_t{0});
  EXPECT_EQ(Line(0, bytes, AsciiRule::Buffer),
            "\r\n000000| 00010203 04050607 08090A0B 0C0D0E0F | ................");
  bytes = {0x41, 0x20, 0x7E, 0x22, 0x60, 0x7B, 0x7C, 0x7D,
           0x7A, 0x21, 0x5C, 0x30, 0xFF, 0x80, 0x0D, 0xAB};
  EXPECT_EQ(Line(0x1FFFF0, bytes, AsciiRule::Buffer),
            "\r\n1FFFF0| 41207E22 607B7C7D 7A215C30 FF800DAB | A....{|}z!\\0....");
  EXPECT_EQ(Line(0x1FFFF0, bytes, AsciiRule::Device),
            "\r\n1FFFF0| 41207E22 607B7C7D 7A215C30 FF800DAB | A .\"`...z!\\0....");
}

TEST(HexPage, BufferRuleShowsExactlyTheNinetyOnePrintables) {
  int shown = 0;
  for (int code = 0; code < 256; ++code) {
    const char c = buffers::AsciiOf(static_cast<uint8_t>(code), AsciiRule::Buffer);
    const bool printable = code >= 33 && code <= 125 && code != 34 && code != 96;
    EXPECT_EQ(c != '.' || code == '.', printable) << code;
    if (printable) ++shown;
  }
  EXPECT_EQ(shown, 91);
  EXPECT_EQ(buffers::kPrintableChars.size(), 91U);
}

TEST(HexPage, CodePageOfZerosStartsWithAnEmptyLine) {
  const std::vector<uint8_t> code(buffers::kCodeBufferSize, 0);
  std::string expected;
  for (int line = 0; line < 16; ++line) {
    char address[8];
    std::snprintf(address, sizeof address, "%06X", line * 16);
    expected +=
        std::string("\r\n") + address + "| 00000000 00000000 00000000 00000000 | ................";
  }
  EXPECT_EQ(buffers::CodePageText(code, 0), expected);
}

TEST(HexPage, PagesAreAddressedFromTheirPositionAndKeptInsideTheBuffer) {
  std::vector<uint8_t> code(buffers::kCodeBufferSize, 0);
  code[buffers::kCodeBufferSize - 1] = 0x5A;  // the last page holds 33 bytes
  struct Case {
    int64_t position;
    const char* first_address;
    const char* last_address;
  };
  for (const Case& c :
       {Case{3, "000300", "0003F0"}, Case{-1, "000000", "0000F0"}, Case{8202, "200A00", "200AF0"},
        Case{8203, "200B00", "200B20"}, Case{1LL << 40, "200B00", "200B20"}}) {
    const std::string text = buffers::CodePageText(code, c.position);
    EXPECT_EQ(text.substr(2, 6), c.first_address) << c.position;
    EXPECT_EQ(text.substr(text.rfind("\r\n") + 2, 6), c.last_address) << c.position;
  }
  // The last page shows only the bytes that exist, the columns of its last line in place.
  EXPECT_TRUE(
      buffers::CodePageText(code, 8203).ends_with("\r\n200B20| 5A" + std::string(34, ' ') + "| Z"));
  EXPECT_EQ(buffers::LastPage(buffers::kCodeBufferSize, buffers::kCodePageBytes), 8203);
  EXPECT_EQ(buffers::LastPage(1000, buffers::kCodePageBytes), 3);
  EXPECT_EQ(buffers::LastPage(1024, buffers::kCodePageBytes), 3);
  EXPECT_EQ(buffers::LastPage(0, buffers::kCodePageBytes), -1);
  EXPECT_EQ(buffers::CodePageText({}, 0), "");
}

TEST(HexPage, DataPageHasHeaderBlankLineAndEightLines) {
  std::vector<uint8_t> data(8192, 0x41);
  const std::string text = buffers::DataPageText(data, 3);
  const std::string header = "             *** BUFFER DATA ***\r\n";
  ASSERT_EQ(text.substr(0, header.size()), header);
  EXPECT_EQ(text.substr(header.size(), 8), "\r\n000180");
  EXPECT_EQ(text.substr(text.rfind("\r\n") + 2),
            "0001F0| 41414141 41414141 41414141 41414141 | AAAAAAAAAAAAAAAA");
  EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 9);
  // Page 64 would lie past the 8192 bytes: the last page is shown instead.
  EXPECT_EQ(buffers::DataPageText(data, 64).substr(header.size(), 8), "\r\n001F80");
}

TEST(HexPage, DevicePageUsesTheDeviceRuleAndItsPageAddress) {
  std::array<uint8_t, 256> page{};
  page.fill(0x20);
  const std::string text = buffers::DevicePageText(page, 0x0FFF);
  EXPECT_EQ(text.substr(0, 64),
            "\r\n0FFF00| 20202020 20202020 20202020 20202020 |                 ");
  EXPECT_EQ(text.substr(text.rfind("\r\n") + 2, 6), "0FFFF0");
}

TEST(HexPage, BufferDisplayFileHasFourHeaderLinesAndTheCharacterSum) {
  const std::string view = "\r\nAB\xFF";  // 13 + 10 + 65 + 66 + 255 = 409
  EXPECT_EQ(buffers::StatCode(view), 409.0);
  EXPECT_EQ(buffers::BufferDisplayFile("Maker", "12/07/2026", "22:41:07", view),
            "MELDRIX5 BUFFER DISPLAY FILE - Maker\r\n"
            "The following contents are the contents from Buffer DIsplay\r\n"
            "12/07/2026 22:41:07 StatCode: 409 \r\n" +
                std::string(60, '-') + "\r\n\r\nAB\xFF\r\n");
}

}  // namespace
