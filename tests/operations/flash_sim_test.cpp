// Identification, programming and erase of every Flash and EEPROM row on the simulated board.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <string>
#include <tuple>
#include <vector>

#include "flash_fixture.h"
#include "platform/hex_text.h"
#include "sim/command_flash.h"
#include "sim/page_eeprom.h"
#include "sim/sim_board.h"

namespace {

using std::string_view;
using Lines = std::vector<std::string>;

struct SimRig {
  // `chip` in the socket, `device` chosen from the list.
  SimRig(const char* chip, std::string_view device) {
    EXPECT_TRUE(board.InsertDevice(chip));
    flash_testing::SelectOnModel5(p, device);
    ui.ForgetReports();
  }
  std::vector<uint8_t> Image() const {
    return {p.ProgramBuffer.begin(), p.ProgramBuffer.begin() + p.dev.DeviceSize};
  }
  std::vector<uint8_t> Contents() const {
    const auto cells = board.chip()->Contents();
    return {cells.begin(), cells.end()};
  }
  sim::CommandFlash& flash() { return dynamic_cast<sim::CommandFlash&>(*board.chip()); }

  sim::SimBoard board{5};
  platform::RecordingMachine io{&board, /*keep_trace=*/false};
  testing_support::FakePanel ui;
  testing_support::FakeClock clock;
  ops::Programmer p{io, ui, clock, "/nonexistent/meldrix5.ini"};
};

struct Row {
  const char* chip;
  std::string_view device;
  const char* id_line;
};

const Row kRows[] = {
    {"Flash Atmel AT29C256", flash_testing::kAT29C256,
     "Device ID# 1FDC - ATMEL 29C256 Flash Memory"},
    {"Flash AMIC A29040", flash_testing::kA29040, "Device ID# 3786 - AMIC A29040 Flash Memory"},
    {"Flash AMD AM29F010", flash_testing::kAM29F010, "Device ID# 0120 - AMD am29F010 Flash Memory"},
    {"Flash AMD AM29F020", flash_testing::kAM29F020, "Device ID# 018C -  Not Valid!!!"},
    {"Flash AMD AM29F040", flash_testing::kAM29F040, "Device ID# 01A4 - AMD am29F040 Flash Memory"},
    {"Flash EON EN29F040", "Flash EON EN29F040", "Device ID# 1C04 - EON EN29F040 Flash Memory"},
    {"Eeprom XICOR X28C256", flash_testing::kX28C256, nullptr},
    {"Flash SST SST39SF010A", "Flash SST SST39SF010A",
     "Device ID# BFB5 - SST 39SF010A Flash Memory"},
    {"Flash SST SST39SF020A", "Flash SST SST39SF020A",
     "Device ID# BFB6 - SST 39SF020A Flash Memory"},
    {"Flash SST SST39SF040", "Flash SST SST39SF040", "Device ID# BFB7 - SST 39SF040 Flash Memory"},
    {"Flash Atmel AT29C010A", "Flash Atmel AT29C010A",
     "Device ID# 1FD5 - ATMEL 29C010 Flash Memory"},
    {"Flash Atmel AT29C020", "Flash Atmel AT29C020", "Device ID# 1FDA - ATMEL 29C020 Flash Memory"},
    {"Flash Atmel AT29C040A", "Flash Atmel AT29C040A",
     "Device ID# 1FA4 - ATMEL 29C040A Flash Memory"},
    {"Eeprom Atmel AT28C256", "Eeprom Atmel AT28C256", nullptr},
    {"Eeprom Atmel AT28C64B", "Eeprom Atmel AT28C64B", nullptr},
};

class SimulatedRow : public ::testing::TestWithParam<Row> {};

TEST_P(SimulatedRow, IdentifiesTheChip) {
  const Row row = GetParam();
  SimRig r(row.chip, row.device);
  r.p.menuFlashShowCodeID_Click();
  Lines expected = {"Reading Flash Code ID_________________ wait"};
  if (row.id_line != nullptr) expected.emplace_back(row.id_line);
  EXPECT_EQ(r.ui.log, expected);
}

// Programs a full image (the 32-pin chips: the first 192 KB, across three banks, or the whole
// chip when smaller), reads it back from the chip's cells and through the device walk, then
// erases the chip.
TEST_P(SimulatedRow, ProgramsReadsBackAndErasesTheChip) {
  const Row row = GetParam();
  SimRig r(row.chip, row.device);
  const int32_t size = r.p.dev.DeviceSize;
  const bool walk_by_id = r.p.dev.Row.Commands == devices::FlashCommands::Strobed;
  r.p.ProgramLength = walk_by_id ? std::min(size, 3 * 65536) : size;
  (r.p.*ops::Programmer::ProgrammingAlgorithm(r.p.dev.Row.Program))();
  const auto length = static_cast<ptrdiff_t>(r.p.ProgramLength);
  const std::vector<uint8_t> image = r.Image(), cells = r.Contents();
  EXPECT_TRUE(std::equal(image.begin(), image.begin() + length, cells.begin()))
      << "first difference at "
      << std::mismatch(image.begin(), image.begin() + length, cells.begin()).first - image.begin();
  EXPECT_EQ(r.p.ProgramFailed, 0);
  r.p.ReadDeviceToBuffer();
  EXPECT_TRUE(std::equal(cells.begin(), cells.end(), r.p.buf.CodeBuffer.begin()));

  r.ui.log.clear();
  r.p.EraseFlash_button_Click();
  const std::vector<uint8_t> erased = r.Contents();
  EXPECT_EQ(std::count(erased.begin(), erased.end(), 0xFF), size);
  if (r.p.dev.Row.Family == 'F') {
    EXPECT_EQ(r.ui.log.back(), "Flash Memory Erase Complete");
  }
  EXPECT_FALSE(panel::IndicatorLit(r.ui, panel::Ctl::Error_label));
}

INSTANTIATE_TEST_SUITE_P(Catalogue, SimulatedRow, ::testing::ValuesIn(kRows), [](const auto& test) {
  std::string name = test.param.chip;
  name.erase(std::remove_if(name.begin(), name.end(), [](char c) { return !std::isalnum(c); }),
             name.end());
  return name;
});

// A chip whose ID names another row points the operator to it; one that did not answer in ID
// mode (its codes are array data) points nowhere.
TEST(SimulatedFlash, AChipInAnotherRowPointsToItsOwn) {
  SimRig r("Flash SST SST39SF040", flash_testing::kAM29F040);
  r.p.menuFlashShowCodeID_Click();
  EXPECT_EQ(r.ui.log.back(),
            "The chip in the socket is an SST SST39SF040: select Flash SST SST39SF040");
}

TEST(SimulatedFlash, ChipIgnoringCommandsIsNotAFlashUnit) {
  SimRig r("Flash AMD AM29F040", flash_testing::kAM29F040);
  const std::vector<uint8_t> start = {0x01, 0xA4};
  r.board.chip()->Load(start);
  r.board.chip()->IgnoreCommands(true);
  r.p.IdentifyFlash();
  EXPECT_EQ(r.ui.log, (Lines{"*** Not a Flash Unit, Address 00&01 = FlashCode ***",
                             "Device ID# 01A4 - AMD am29F040 Flash Memory"}));
}

// Another maker's chip, and Atmel's 16-bit AT29C1024, are refused by programming and erase alike
// and keep every cell.
TEST(SimulatedFlash, ChipOfAnotherMakerIsRefusedAndLeftUntouched) {
  for (const auto& [maker, device, line] :
       {std::tuple{0xC2, 0x4F, "Device ID# C24F - Not Supported"},
        {0x1F, 0x25,
         "Device ID# 1F25 - Not Supported: a 16-bit part, and the socket has 8 data lines"}}) {
    SimRig r("Flash AMD AM29F040", flash_testing::kAM29F040);
    const std::vector<uint8_t> held = {0x12, 0x34, 0x56};
    r.board.chip()->Load(held, 0x100);
    r.flash().AnswerIds(static_cast<uint8_t>(maker), static_cast<uint8_t>(device));
    const std::vector<uint8_t> before = r.Contents();
    r.p.ProgramStatus = 1;
    r.p.ProgramFlashByID();
    EXPECT_EQ(r.ui.log.back(), line);
    EXPECT_EQ(r.p.ProgramStatus, 0);
    r.p.EraseFlash_button_Click();
    EXPECT_EQ(r.ui.log.back(), "*** DEVICE NOT SUPPORTED ***");
    EXPECT_EQ(r.board.chip()->ProgramPulses(), 0U);
    EXPECT_EQ(r.flash().Erases(), 0U);
    EXPECT_EQ(r.Contents(), before);
  }
}

TEST(SimulatedFlash, AnAmdChipInTheAT29C256RowIsRefused) {
  SimRig r("Flash AMD AM29F040", flash_testing::kAT29C256);
  r.p.EraseFlash_button_Click();
  EXPECT_EQ(r.ui.log.back(), "*** DEVICE NOT SUPPORTED ***");
  EXPECT_EQ(r.flash().Erases(), 0U);
}

TEST(SimulatedFlash, ByteThatNeverProgramsStopsAfterFortyNineCommands) {
  SimRig r("Flash EON EN29F040", flash_testing::kAM29F040);
  r.board.chip()->NeverPrograms(0x123);
  r.p.ProgramLength = 0x200;
  r.p.ProgramFlashByID();
  EXPECT_EQ(r.p.board.CurrentAddress, 0x123);
  EXPECT_EQ(r.board.chip()->ProgramPulses(), 0x123U + 49U);
  EXPECT_EQ(r.p.ProgramFailed, 1);
  EXPECT_EQ(r.ui.log.end()[-2], "*** Address:123h, Programming BYTE:" +
                                    platform::Hex(r.p.ProgramBuffer[0x123]) + "h, Read BYTE:FFh");
}

// A byte that would need a 0 turned into a 1: the chip raises DQ5 and answers status until it
// is reset. The failure names the byte, and the chip is reset before anything else, so the
// identification that follows reads its codes.
TEST(SimulatedFlash, ZeroToOneIsReportedAndTheChipResetBeforeAnythingElse) {
  SimRig r("Flash AMD AM29F040", flash_testing::kAM29F040);
  r.board.chip()->Load(std::vector<uint8_t>{0x00}, 0x10);
  std::fill_n(r.p.ProgramBuffer.begin(), 0x20, uint8_t{0x5A});
  r.p.ProgramLength = 0x20;
  r.p.ProgramFlashByID();
  EXPECT_EQ(r.p.ProgramFailed, 1);
  // What the failed byte read is the chip's status, DQ5 among it.
  EXPECT_TRUE(r.ui.log.end()[-2].starts_with("*** Address:10h, Programming BYTE:5Ah, Read BYTE:"));
  EXPECT_FALSE(r.p.ChipBusy);
  r.ui.log.clear();
  r.p.menuFlashShowCodeID_Click();
  EXPECT_EQ(r.ui.log.back(), "Device ID# 01A4 - AMD am29F040 Flash Memory");
}

TEST(SimulatedFlash, SectorThatNeverVerifiesStopsAfterSeventyNineLoads) {
  SimRig r("Flash Atmel AT29C256", flash_testing::kAT29C256);
  r.board.chip()->NeverPrograms(0x105);
  r.p.ProgramLength = 32768;
  r.p.ProgramAT29C256();
  EXPECT_EQ(r.p.board.CurrentAddress, 0x105);
  EXPECT_EQ(r.board.chip()->ProgramPulses(), 4U + 79U);
  EXPECT_EQ(r.p.ProgramFailed, 1);
  EXPECT_EQ(r.ui.log.end()[-2], "*** Address:105h, Programming BYTE:" +
                                    platform::Hex(r.p.ProgramBuffer[0x105]) + "h, Read BYTE:FFh");
  EXPECT_EQ(r.p.board.Reg0, 0);
}

// Erase waits on the simulated clock. A 10 s erase (the family's typical figures are seconds) is
// waited for and reported complete. A chip whose erase fails raises DQ5 after 2 s: the wait stops
// at once, reports the failure and resets the chip to read mode. One that would take 100 s is
// given up after the datasheet's 64 s maximum.
TEST(SimulatedFlash, EraseWaitsAsLongAsTheChipMayTakeAndStopsOnDq5) {
  using std::chrono::seconds;
  struct Case {
    seconds erase;
    bool fails;
    const char* last_line;
    int64_t min_sleep_ms, max_sleep_ms;  // after the identification's 2 x 20 ms and the 100 ms
  };
  const Case cases[] = {
      {seconds(10), false, "Flash Memory Erase Complete", 9800, 9905},
      {seconds(2), true,
       "*** Flash Memory Erase Failed - Device reported Exceeded Timing Limits ***", 1800, 1905},
      {seconds(100), false,
       "*** Flash Memory Erase Failed - Device did not Read Erased (12780 Polls) ***", 63900,
       63900},
  };
  for (const Case& c : cases) {
    SimRig r("Flash AMIC A29040", flash_testing::kA29040);
    r.flash().SetEraseTime(c.erase);
    r.flash().FailErases(c.fails);
    r.p.EraseFlash_button_Click();
    EXPECT_EQ(r.ui.log.back(), c.last_line);
    const bool complete = c.last_line == std::string("Flash Memory Erase Complete");
    EXPECT_EQ(panel::IndicatorLit(r.ui, panel::Ctl::Error_label), !complete);
    EXPECT_GE(r.io.Totals().sleep_ms, 40 + 100 + c.min_sleep_ms) << c.last_line;
    EXPECT_LE(r.io.Totals().sleep_ms, 40 + 100 + c.max_sleep_ms) << c.last_line;
    if (c.fails) {  // back in read mode: it identifies again
      r.ui.log.clear();
      r.p.IdentifyFlash();
      EXPECT_EQ(r.ui.log.back(), "Device ID# 3786 - AMIC A29040 Flash Memory");
    }
  }
}

// With their write cycle at the datasheet maximum (AT29C256 10 ms, X28C256 5 ms) both page
// devices program at every slider position, each sector written once: the latch delays and
// sleeps the slider sets run on the board's clock, the byte loads still fall within the chip's
// byte-load window, and where the slider's sleep is shorter than the write cycle the program
// waits for the chip before it verifies.
TEST(SimulatedFlash, PageDevicesAtTheirLongestWriteCycleProgramAtEverySliderPosition) {
  using std::chrono::milliseconds;
  struct Case {
    const char* chip;
    std::string_view device;
    milliseconds write;
    void (ops::Programmer::*program)();
  };
  const Case cases[] = {
      {"Flash Atmel AT29C256", flash_testing::kAT29C256, milliseconds(10),
       &ops::Programmer::ProgramAT29C256},
      {"Eeprom XICOR X28C256", flash_testing::kX28C256, milliseconds(10),
       &ops::Programmer::ProgramX28C256},
  };
  for (const Case& c : cases) {
    for (int slider = 1; slider <= 20; ++slider) {
      SimRig r(c.chip, c.device);
      dynamic_cast<sim::PageEeprom&>(*r.board.chip()).SetWriteTime(c.write);
      r.ui.SetValue(panel::Ctl::Slider1, slider);
      r.p.SetSpeedFactorsOfDevice();
      r.p.SetSpeedDelays();
      r.p.ProgramLength = 32768;
      (r.p.*c.program)();
      EXPECT_EQ(r.p.ProgramFailed, 0) << c.chip << " slider " << slider;
      EXPECT_EQ(r.board.chip()->ProgramPulses(), 512U) << c.chip << " slider " << slider;
      EXPECT_EQ(r.Contents(), r.Image()) << c.chip << " slider " << slider;
    }
  }
}

// A 32-pin chip taking its longest byte program time at every byte: the program waits for each
// byte, whatever the slider.
TEST(SimulatedFlash, ByteProgramsAtTheirLongestTimeProgramAtEverySliderPosition) {
  for (const int slider : {1, 10, 20}) {
    SimRig r("Flash AMD AM29F040", flash_testing::kAM29F040);
    r.flash().SetProgramTime(std::chrono::microseconds(300));
    r.ui.SetValue(panel::Ctl::Slider1, slider);
    r.p.SetSpeedFactorsOfDevice();
    r.p.SetSpeedDelays();
    for (int i = 0; i < 0x100; ++i)
      r.p.ProgramBuffer[static_cast<size_t>(i)] = static_cast<uint8_t>(i);
    r.p.ProgramLength = 0x100;
    r.p.ProgramFlashByID();
    EXPECT_EQ(r.p.ProgramFailed, 0) << "slider " << slider;
    EXPECT_EQ(r.board.chip()->ProgramPulses(), 0x100U) << "slider " << slider;
    EXPECT_TRUE(std::equal(r.p.ProgramBuffer.begin(), r.p.ProgramBuffer.begin() + 0x100,
                           r.board.chip()->Contents().begin()))
        << "slider " << slider;
  }
}

// The operator's way: the row picked from the device list, an image in the code buffer, then
// Program and Verify.
TEST(SimulatedFlash, ProgramAndVerifyCommandsOnAnAM29F010PickedFromTheList) {
  SimRig r("Flash AMD AM29F010", flash_testing::kAM29F010);
  r.p.FillDeviceList();
  r.p.SetDeviceIndex(22);
  ASSERT_EQ(r.p.dev.DeviceCode, "FS");
  for (size_t i = 0; i < 131072; ++i) r.p.buf.CodeBuffer[i] = static_cast<uint8_t>(i * 5 + 1);
  testing_support::TakeAsImage(r.p, 131072);
  r.ui.log.clear();
  r.p.Program_button_Click();
  EXPECT_EQ(r.ui.log.back(), "Programming Device Successfull");
  r.p.Verify_button_Click();
  EXPECT_EQ(r.ui.log.back(), "Device Contents MATCHES with Buffer Contents");
  const std::vector<uint8_t> cells = r.Contents();
  EXPECT_TRUE(std::equal(cells.begin(), cells.end(), r.p.buf.CodeBuffer.begin()));
}

}  // namespace
