// The device walk and the three operations built on it: read, blank check and verify.
#include <gtest/gtest.h>

#include <ostream>

#include "buffers/checksums.h"
#include "eprom_fixture.h"
#include "support/catalogue_rows.h"

namespace eprom_test {
namespace {

using panel::Ctl;

// Some device contents that differ from byte to byte and from page to page.
uint8_t Pattern(int64_t address) {
  return static_cast<uint8_t>((address * 7) ^ (address >> 8));
}

// Bank latch, page latch, then for every byte its low address and a read-back.
TEST(DeviceScan, FirstPageIsBankPageThenByteReads) {
  for (int model : {4, 5}) {
    Rig rig(model, "Eprom 27C256");
    rig.p.board.Reg3 = 0x42;  // chip enabled, data driver off, as the callers leave it
    rig.device.answer = Pattern;
    int bytes = 0;
    rig.p.DeviceScan(256, [&bytes] { return ++bytes == 256; });
    std::vector<std::string> steps = {L(3, 0x42), L(1, 0x80)};
    for (int i = 0; i < 256; ++i) steps.insert(steps.end(), {L(2, i), R(Pattern(i))});
    SCOPED_TRACE(model);
    testing_support::ExpectSteps(rig.Steps(), steps);
    EXPECT_EQ(rig.ui.Max(Ctl::ProgressBar1), 1);
    EXPECT_EQ(rig.ui.Value(Ctl::ProgressBar1), 1);
  }
}

struct WalkCase {
  const char* device;
  int32_t code_length;
  std::vector<int> banks;  // latch-3 address nibbles, in order
  int pages;               // latch-1 writes
  int bytes;               // read-backs
};

void PrintTo(const WalkCase& c, std::ostream* os) {
  *os << c.device << ", " << c.code_length << " bytes";
}

class Walk : public ::testing::TestWithParam<WalkCase> {};

// Exactly the bytes asked for are read, the last page in part; banks go through the high map
// with the device's mask.
TEST_P(Walk, CoversTheLengthExactly) {
  const WalkCase c = GetParam();
  Rig rig(5, c.device);
  rig.p.board.Reg3 = 0x40;
  rig.p.DeviceScan(c.code_length, [] { return false; });
  std::vector<int> banks;
  for (int v : rig.Latch(3)) banks.push_back(v & 0x0F);
  EXPECT_EQ(banks, c.banks);
  EXPECT_EQ(static_cast<int>(rig.Latch(1).size()), c.pages);
  EXPECT_EQ(rig.device.reads, c.bytes);
  EXPECT_EQ(rig.ui.Max(Ctl::ProgressBar1), c.pages);
}

INSTANTIATE_TEST_SUITE_P(
    Table, Walk,
    ::testing::Values(WalkCase{"Eprom 27C512", 65536, {2}, 256, 65536},
                      WalkCase{"Eprom 27C256", 1000, {2}, 4, 1000},
                      WalkCase{"Eprom 27C010", 96 * 1024, {0x0C, 0x0D}, 384, 98304},
                      WalkCase{
                          "Eprom 27C040", 524288, {8, 9, 10, 11, 12, 13, 14, 15}, 2048, 524288},
                      WalkCase{"Eprom 2732", 4096, {0}, 16, 4096},
                      WalkCase{"Eprom 27C256", 0, {}, 0, 0}));

// --- Read --------------------------------------------------------------------------------------

TEST(Read, FillsCodeBufferAndReports) {
  Rig rig(4, "Eprom 27C040");
  rig.device.answer = Pattern;
  rig.p.Read_button_Click();
  const auto& code = rig.p.buf.CodeBuffer;
  EXPECT_EQ(code[0], Pattern(0));
  EXPECT_EQ(code[300000], Pattern(300000));
  EXPECT_EQ(code[524287], Pattern(524287));
  std::vector<uint8_t> expected(524288);
  for (size_t i = 0; i < expected.size(); ++i) expected[i] = Pattern(static_cast<int32_t>(i));
  EXPECT_EQ(
      rig.ui.log,
      (std::vector<std::string>{
          "524288 bytes Read from Device", "Data is available at above Window, use Scroll Bar",
          "You can Save the file using [FILE - Save As] menu", buffers::ChecksumLine(expected)}));
  EXPECT_EQ(rig.ui.sounds, std::vector<std::string>{"OK"});
  EXPECT_EQ(rig.p.buf.CodeLoaded, 1);
  EXPECT_EQ(rig.p.DisplayMode, "Read");
  EXPECT_EQ(rig.ui.Max(Ctl::VScroll1), 2047);
  for (Ctl c : {Ctl::Verify_button, Ctl::menuVerifyCode, Ctl::Program_button, Ctl::menuProgramCode,
                Ctl::Erase_button, Ctl::menuEraseCode, Ctl::mnuFileSaveCodeAs})
    EXPECT_TRUE(rig.ui.Enabled(c));
  EXPECT_FALSE(panel::IndicatorLit(rig.ui, Ctl::DataFlow_label));
  EXPECT_EQ(rig.Count(Z(500)), 1);
  EXPECT_EQ(rig.p.board.Reg3, 0xC4 | 8);  // reset at the end
}

// After a short file the whole device is read all the same; the buffer then holds the device
// and says so, with nothing of the file left behind it.
TEST(Read, WholeDeviceWhateverFileWasLoaded) {
  Rig rig(5, "Eprom 27C256");
  std::fill_n(rig.p.buf.CodeBuffer.begin(), 40000, uint8_t{0x11});
  testing_support::TakeAsImage(rig.p, 1000);
  rig.device.answer = Pattern;
  rig.p.ReadCode();
  EXPECT_EQ(rig.device.reads, 32768);
  EXPECT_EQ(rig.p.buf.CodeBuffer[32767], Pattern(32767));
  EXPECT_EQ(rig.p.buf.CodeBuffer[32768], 0xFF);
  EXPECT_EQ(rig.ui.log.at(0), "32768 bytes Read from Device");
  EXPECT_EQ(rig.p.buf.CodeLength, 32768);
  EXPECT_EQ(rig.p.buf.CodeImageLength, 32768);
  EXPECT_EQ(rig.ui.Caption(Ctl::FileNameCodeText), "Read from Device Eprom 27C256");
  EXPECT_EQ(rig.ui.Caption(Ctl::FileNameCodeSize), "(32768)");
  EXPECT_EQ(rig.ui.Caption(Ctl::Frame3), "Code Buffer Hex/Ascii Display");
  EXPECT_EQ(rig.ui.Max(Ctl::VScroll1), 127);
}

// Both boxes checked: the device is read, then the data read says it has no routine.
TEST(Read, DataReadOnlyReports) {
  Rig rig(5, "Eprom 2732");
  rig.ui.SetValue(Ctl::CheckData, 1);
  rig.p.Read_button_Click();
  EXPECT_EQ(rig.device.reads, 4096);
  ASSERT_EQ(rig.ui.boxes.size(), 1U);
  EXPECT_EQ(rig.ui.boxes[0].text, "Please Write AT90S2313 Eeprom Read Routine");
  EXPECT_EQ(rig.ui.boxes[0].title, "Routine Not Ready");
  EXPECT_EQ(rig.ui.log.back(), "Start Device Reading Operation");
  EXPECT_EQ(rig.ui.Caption(Ctl::sbStatusBar), "Reading Device... Wait");
}

TEST(Read, FamilyWithoutRoutineIsRefused) {
  Rig rig(5, "Eprom 2732");
  rig.p.dev.DeviceFamily = "M";  // as the microcontroller rows would set it, were they selectable
  rig.p.dev.DeviceCode = "MJ";
  rig.p.dev.Row = testing_support::RowOfCode("MJ");
  rig.p.Read_button_Click();
  EXPECT_EQ(rig.device.reads, 0);
  ASSERT_EQ(rig.ui.boxes.size(), 1U);
  EXPECT_EQ(rig.ui.boxes[0].text, "Please Write Missing Routines at READCODE");
}

// --- Blank check -------------------------------------------------------------------------------

TEST(BlankCheck, ErasedDeviceIsBlank) {
  Rig rig(4, "Eprom 2732");
  rig.p.Blank_button_Click();
  EXPECT_EQ(rig.ui.log, (std::vector<std::string>{"Checking Device for BLANK (Erased)... Wait",
                                                  "Device bytes 0h..FFFh are checked",
                                                  "Device IS BLANK (ERASED)"}));
  EXPECT_EQ(rig.ui.sounds, std::vector<std::string>{"OK"});
  EXPECT_EQ(rig.device.reads, 4096);
  EXPECT_FALSE(panel::IndicatorLit(rig.ui, Ctl::Error_label));
}

struct NotBlankCase {
  const char* device;
  int64_t at;
  uint8_t data;
  const char* range;
  const char* line;
};

void PrintTo(const NotBlankCase& c, std::ostream* os) {
  *os << c.device << " at " << c.at;
}

class NotBlank : public ::testing::TestWithParam<NotBlankCase> {};

// The first byte that is not FFh ends the check; the board stays active for the operator.
TEST_P(NotBlank, ReportsFirstByteAndLocksButtons) {
  const NotBlankCase c = GetParam();
  Rig rig(5, c.device);
  for (Ctl b : {Ctl::Program_button, Ctl::Verify_button, Ctl::Read_button, Ctl::Display_button})
    rig.ui.SetEnabled(b, true);
  rig.device.answer = [c](int64_t n) { return n == c.at ? c.data : uint8_t{0xFF}; };
  rig.p.Blank_button_Click();
  EXPECT_EQ(rig.ui.log,
            (std::vector<std::string>{"Checking Device for BLANK (Erased)... Wait", c.range,
                                      "Device IS NOT BLANK (ERASED)", c.line,
                                      "Click on [ERROR] alert to Reset the Situation"}));
  EXPECT_EQ(rig.ui.sounds, std::vector<std::string>{"ERROR"});
  EXPECT_EQ(rig.device.reads, c.at + 1);
  for (Ctl b : {Ctl::Program_button, Ctl::Verify_button, Ctl::Read_button, Ctl::Display_button})
    EXPECT_FALSE(rig.ui.Enabled(b));
  EXPECT_EQ(rig.p.board.Reg3 & 0x80, 0);  // chip still enabled: not reset
  const auto& last = rig.io.Trace().back();
  EXPECT_EQ(last.kind, platform::RecordingMachine::Kind::In);
}

INSTANTIATE_TEST_SUITE_P(Table, NotBlank,
                         ::testing::Values(NotBlankCase{"Eprom 27C256", 0x7FFF, 0x00,
                                                        "Device bytes 0h..7FFFh are checked",
                                                        "Address: 7FFF ][ Device Data: 0"},
                                           NotBlankCase{"Eprom 2764", 0, 0xFE,
                                                        "Device bytes 0h..1FFFh are checked",
                                                        "Address: 0 ][ Device Data: FE"},
                                           NotBlankCase{"Eprom 27C080", 0xABCDE, 0x7F,
                                                        "Device bytes 0h..FFFFFh are checked",
                                                        "Address: ABCDE ][ Device Data: 7F"}));

// --- Program buffer and verify ------------------------------------------------------------------

// The program buffer holds the image's bytes (or the chosen half of them), cut to the device,
// and FFh after them: nothing beyond the image, and nothing of an earlier build, is ever taken.
TEST(BuildProgramBuffer, TakesTheImageOrItsHalfCutToTheDevice) {
  struct Case {
    int half;  // HiLow_button option: 0 both, 1 odd bytes, 2 even bytes
    int32_t image;
    int32_t length;
  };
  for (const Case c :
       {Case{0, 40000, 32768}, Case{0, 100, 100}, Case{2, 40000, 20000}, Case{1, 40000, 20000},
        Case{1, 65536, 32768}, Case{2, 70000, 32768}, Case{1, 5, 2}, Case{2, 5, 3}}) {
    SCOPED_TRACE(std::to_string(c.half) + " " + std::to_string(c.image));
    Rig rig(5, "Eprom 27C256");
    auto& code = rig.p.buf.CodeBuffer;
    for (size_t i = 0; i < 80000; ++i) code[i] = Pattern(static_cast<int64_t>(i));
    std::fill(rig.p.ProgramBuffer.begin(), rig.p.ProgramBuffer.end(), uint8_t{0x5A});
    testing_support::TakeAsImage(rig.p, c.image);
    for (int i = 0; i < 3; ++i) rig.ui.SetValue(panel::HiLow_button(i), i == c.half ? 1 : 0);
    rig.p.BuildProgramBuffer();
    const auto& program = rig.p.ProgramBuffer;
    ASSERT_EQ(rig.p.ProgramLength, c.length);
    const size_t step = c.half == 0 ? 1 : 2;
    const size_t first = c.half == 1 ? 1 : 0;
    for (size_t i = 0; i < static_cast<size_t>(c.length); ++i) {
      ASSERT_EQ(program[i], code[step * i + first]) << i;
    }
    EXPECT_TRUE(std::all_of(program.begin() + c.length, program.end(),
                            [](uint8_t b) { return b == 0xFF; }));
  }
}

TEST(Verify, MismatchIsReportedAndBoardReset) {
  Rig rig(4, "Eprom 27C64");
  auto& code = rig.p.buf.CodeBuffer;
  for (size_t i = 0; i < 8192; ++i) code[i] = Pattern(static_cast<int64_t>(i));
  code[0x10] = 0x3C;
  testing_support::TakeAsImage(rig.p, 8192);
  rig.device.answer = [](int64_t n) { return n == 0x10 ? uint8_t{0x3D} : Pattern(n); };
  rig.p.Verify_button_Click();
  EXPECT_EQ(
      rig.ui.log,
      (std::vector<std::string>{
          "Verify Function Started... Wait", testing_support::WholeDeviceLine(8192, "are compared"),
          std::string(50, '*'), "Device Memory DOES NOT VERIFY with Buffer Contents",
          "Address: 10 ][ Buffer Data: 3C ][ Device Data: 3D",
          "Click on [ERROR] Alert to Reset the Situation"}));
  EXPECT_EQ(rig.ui.sounds, std::vector<std::string>{"ERROR"});
  EXPECT_EQ(rig.device.reads, 0x11);
  EXPECT_TRUE(panel::IndicatorLit(rig.ui, Ctl::Error_label));
  EXPECT_EQ(rig.ui.BackColor(Ctl::Verify_button), panel::kButtonFace);
  EXPECT_EQ(rig.p.board.Reg3, 0xC6);  // reset
}

// Reading then verifying the same device matches.
TEST(Verify, ReadThenVerifyMatches) {
  Rig rig(5, "Eprom 27C512");
  rig.device.answer = [](int64_t n) { return Pattern(n % 65536); };
  rig.p.ReadCode();
  rig.ui.log.clear();
  rig.p.VerifyCode();
  EXPECT_EQ(rig.ui.log,
            (std::vector<std::string>{"Verify Function Started... Wait",
                                      testing_support::WholeDeviceLine(65536, "are compared"),
                                      "Device Contents MATCHES with Buffer Contents"}));
  EXPECT_FALSE(panel::IndicatorLit(rig.ui, Ctl::Error_label));
}

// With "Low Byte" the device holds half the image: the verify stops there and does not compare
// the upper half with what an earlier build left in the program buffer.
TEST(Verify, HalfImageStopsAtProgramLength) {
  Rig rig(5, "Eprom 27C256");
  auto& code = rig.p.buf.CodeBuffer;
  for (size_t i = 0; i < 32768; ++i) code[i] = Pattern(static_cast<int64_t>(i));
  testing_support::TakeAsImage(rig.p, 32768);
  std::fill_n(rig.p.ProgramBuffer.begin(), 32768, uint8_t{0x55});  // an earlier build
  rig.ui.SetValue(panel::HiLow_button(0), 0);
  rig.ui.SetValue(panel::HiLow_button(2), 1);
  rig.device.answer = [](int64_t n) { return n < 16384 ? Pattern(2 * n) : uint8_t{0xFF}; };
  rig.p.VerifyCode();
  EXPECT_EQ(rig.device.reads, 16384);
  EXPECT_EQ(rig.ui.log.back(), "Device Contents MATCHES with Buffer Contents");
}

}  // namespace
}  // namespace eprom_test
