#include "buffers/image_formats.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "buffers/buffers.h"
#include "buffers/checksums.h"
#include "buffers/image_file.h"
#include "support/temp_dir.h"

namespace {

using buffers::ImageFormat;
using buffers::LoadImage;

std::vector<uint8_t> Pattern(size_t length) {
  std::vector<uint8_t> bytes(length);
  for (size_t i = 0; i < length; ++i) bytes[i] = static_cast<uint8_t>((i * 13 + i / 251) & 0xFF);
  return bytes;
}

class ImageFiles : public ::testing::Test {
 protected:
  std::string Write(const std::string& name, std::string_view text) {
    const std::string path = dir.path + "/" + name;
    std::ofstream(path, std::ios::binary)
        .write(text.data(), static_cast<std::streamsize>(text.size()));
    return path;
  }
  std::string Write(const std::string& name, const std::vector<uint8_t>& bytes) {
    return Write(name, std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
  }
  testing_support::TempDir dir{"meldrix_formats"};
};

// Each writer's file reads back as the same image, just below and above the 64 KB and 1 MB
// marks where the address records change.
TEST_F(ImageFiles, WrittenFilesReadBackAsTheSameImage) {
  struct Case {
    ImageFormat format;
    size_t length;
    std::string_view data_tag, end_tag;  // the record kinds the file must use
  };
  const Case cases[] = {
      {ImageFormat::IntelHex, 100, ":10", ":00000001FF"},
      {ImageFormat::IntelHex, 0x10000 + 5, ":020000040001F9", ":00000001FF"},
      {ImageFormat::IntelHex, 0x100000 + 7, ":020000040010EA", ":00000001FF"},
      {ImageFormat::SRecord, 100, "\nS113", "\nS9030000FC"},
      {ImageFormat::SRecord, 0x10000 + 5, "\nS214", "\nS804000000FB"},
      {ImageFormat::SRecord, 0x1000000 + 3, "\nS315", "\nS70500000000FA"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.length));
    const auto image = Pattern(c.length);
    const std::string text = buffers::ImageFileText(c.format, image);
    EXPECT_NE(text.find(c.data_tag), std::string::npos);
    EXPECT_NE(text.find(c.end_tag), std::string::npos);
    EXPECT_EQ(text.find(":02000004") != std::string::npos,
              c.format == ImageFormat::IntelHex && c.length > 0x10000);
    const size_t capacity = std::max(c.length, buffers::kCodeBufferSize);
    const auto loaded = LoadImage(Write("image", text), capacity);
    ASSERT_TRUE(loaded.ok()) << loaded.error.value_or("too long");
    EXPECT_EQ(loaded.format, c.format);
    EXPECT_TRUE(loaded.bytes == image);
  }
}

TEST_F(ImageFiles, RecordsPlaceBytesByAddressAndGapsReadErased) {
  // Two records with a hole between them, one of them given twice with the same bytes.
  const auto loaded = LoadImage(Write("gaps.hex",
                                      ":020004001122C7\r\n"
                                      ":020004001122C7\r\n"
                                      ":01000900AA4C\r\n"
                                      ":00000001FF\r\n"),
                                buffers::kMaxDataFile);
  ASSERT_TRUE(loaded.ok()) << *loaded.error;
  EXPECT_EQ(loaded.bytes,
            (std::vector<uint8_t>{0xFF, 0xFF, 0xFF, 0xFF, 0x11, 0x22, 0xFF, 0xFF, 0xFF, 0xAA}));
  EXPECT_EQ(loaded.summary, "Intel HEX: 3 records, addresses 4h to 9h");
}

TEST_F(ImageFiles, TheLibrarysOtherTextFormatsLoad) {
  // MOS Technology: ";", count, address, data, 16-bit sum; the last record counts the others.
  const auto loaded =
      LoadImage(Write("image.mos", ";0300100102030019\n;0000010001\n"), buffers::kMaxDataFile);
  ASSERT_TRUE(loaded.ok()) << *loaded.error;
  EXPECT_EQ(loaded.format, ImageFormat::Other);
  EXPECT_EQ(loaded.bytes.size(), 0x13U);
  EXPECT_EQ(loaded.bytes[0x10], 1);
  EXPECT_EQ(loaded.bytes[0x12], 3);
}

// Records beyond the buffer are refused with the address (damaged Intel HEX and S-record files
// are in the table of load file shapes).
TEST_F(ImageFiles, RecordsBeyondTheBufferAreRefusedWithTheAddress) {
  const auto loaded = LoadImage(Write("damaged", ":0100000011EE\n:02200000AABB79\n:00000001FF\n"),
                                buffers::kMaxDataFile);
  ASSERT_TRUE(loaded.error.has_value());
  EXPECT_EQ(*loaded.error, "address 2001h lies beyond the buffer of 8192 bytes");
  EXPECT_TRUE(loaded.bytes.empty());
}

// Raw images load as they are, whatever their first bytes look like.
TEST_F(ImageFiles, FilesThatAreNoLoadFileLoadAsRawBinary) {
  const std::vector<std::vector<uint8_t>> files = {
      {':', '1', '0', 0x00, 0xFF, 0x12},
      {'S', '1', 0x13, 0x00, 0x00, 0x7E},
      {':', 'X', 'Y', '\n'},
      {'S', 'Q', 'L', ' ', 'd', 'u', 'm', 'p', '\n'},
      {'H', 'e', 'l', 'l', 'o', '\r', '\n'},
  };
  for (const auto& bytes : files) {
    const auto loaded = LoadImage(Write("raw", bytes), buffers::kMaxDataFile);
    ASSERT_TRUE(loaded.ok()) << loaded.error.value_or("too long");
    EXPECT_EQ(loaded.format, ImageFormat::Binary);
    EXPECT_EQ(loaded.bytes, bytes);
    EXPECT_TRUE(loaded.summary.empty());
  }
}

// The library ends the program on errors unless told otherwise; nothing it is fed may do so.
TEST_F(ImageFiles, ArbitraryTextNeverEndsTheProgram) {
  std::mt19937 random(17);
  constexpr std::string_view kAlphabet = ":S0123456789ABCDEF;%/$@_ \n";
  for (int n = 0; n < 300; ++n) {
    std::string text(1 + random() % 200, ' ');
    for (char& c : text) c = kAlphabet[random() % kAlphabet.size()];
    if (n % 2 == 0) text[0] = kAlphabet[random() % 8];
    const auto loaded = LoadImage(Write("noise", text), buffers::kMaxDataFile);
    EXPECT_TRUE(loaded.ok() || loaded.error.has_value());
  }
}

TEST(ImageFormatChoice, FilterFirstThenTheNamesExtension) {
  struct Case {
    std::string_view path;
    int filter;
    ImageFormat format;
  };
  const Case cases[] = {
      {"/x/fw.hex", 0, ImageFormat::IntelHex}, {"/x/FW.S19", 0, ImageFormat::SRecord},
      {"/x/fw.srec", 0, ImageFormat::SRecord}, {"/x/fw.rom", 0, ImageFormat::Binary},
      {"/x.hex/fw", 0, ImageFormat::Binary},   {"/x/fw.bin", 1, ImageFormat::IntelHex},
      {"/x/fw.hex", 2, ImageFormat::SRecord},  {"/x/fw", 1, ImageFormat::IntelHex},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(buffers::ImageFormatChosen(c.path, c.filter), c.format) << c.path;
  }
}

TEST(Checksums, KnownValues) {
  const std::string digits = "123456789";
  const std::vector<uint8_t> nine(digits.begin(), digits.end());
  EXPECT_EQ(buffers::ChecksumLine(nine),
            "Checksums of 9 bytes: sum 01DDh, CRC-32 CBF43926h, "
            "SHA-1 f7c3bc1d808e04732adf679965ccc34ca7ae3441");
  EXPECT_EQ(buffers::ChecksumLine(std::vector<uint8_t>(1024, 0)),
            "Checksums of 1024 bytes: sum 0000h, CRC-32 EFB5AF2Eh, "
            "SHA-1 60cacbf3d72e1e7834203da608037b1bf83b40e8");
  EXPECT_EQ(buffers::ChecksumLine({}),
            "Checksums of 0 bytes: sum 0000h, CRC-32 00000000h, "
            "SHA-1 da39a3ee5e6b4b0d3255bfef95601890afd80709");
  // The byte sum wraps at 16 bits: 300 bytes of FFh sum to 12AD4h.
  EXPECT_EQ(buffers::ChecksumsOf(std::vector<uint8_t>(300, 0xFF)).sum, 0x2AD4);
}

}  // namespace
