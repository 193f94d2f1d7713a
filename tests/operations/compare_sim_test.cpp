// Compare and the whole-device blank report on the simulated board, with the chip's faults
// injected: the verdict must name what is wrong, and the device view must step to the bytes
// that differ and mark exactly those.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <string>
#include <vector>

#include "support/simulated_programmer.h"

namespace {

using panel::Ctl;

class CompareOnSimulatedBoard : public ::testing::Test,
                                protected testing_support::SimulatedProgrammer {
 protected:
  CompareOnSimulatedBoard() : SimulatedProgrammer("meldrix_compare") {
    testing_support::SelectInTheList(p, "Eprom 27C256");
    for (size_t i = 0; i < image.size(); ++i) image[i] = static_cast<uint8_t>(i * 7 + (i >> 8));
  }
  void LoadImage() {
    const std::string path = dir.path + "/image.bin";
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(image.data()), static_cast<std::streamsize>(4096));
    ASSERT_TRUE(p.LoadCodeFile(path));
    ui.log.clear();
    ui.sounds.clear();
  }
  bool Logged(const std::string& line) const {
    return std::find(ui.log.begin(), ui.log.end(), line) != ui.log.end();
  }
  std::vector<uint8_t> image = std::vector<uint8_t>(32768, 0xFF);
};

struct FaultCase {
  const char* what;
  void (*chip)(sim::Chip&, std::vector<uint8_t>&);  // holds the image's bytes until changed
  const char* verdict;
};

const FaultCase kFaults[] = {
    {"DeadDataLine",
     [](sim::Chip& chip, std::vector<uint8_t>& bytes) {
       chip.Load(bytes);
       chip.StuckDataLine(3);
     },
     "every difference is data bit D3 reading 0: a stuck data line or socket contact"},
    {"CellsReadOneWhereZeroWasProgrammed",
     [](sim::Chip& chip, std::vector<uint8_t>& bytes) {
       for (size_t i = 100; i < 140; ++i) bytes[i] |= 0x41;
       chip.Load(bytes);
     },
     "all differences are 1 to 0 bits: the chip can be programmed over without erasing"},
    {"BlankChip", [](sim::Chip&, std::vector<uint8_t>&) {},
     "all differences are 1 to 0 bits: the chip can be programmed over without erasing"},
    {"AnotherImage",
     [](sim::Chip& chip, std::vector<uint8_t>& bytes) {
       std::ranges::reverse(bytes);
       chip.Load(bytes);
     },
     "bytes need a 0 to 1 bit: erase the chip first"},
};

class InjectedFault : public CompareOnSimulatedBoard,
                      public ::testing::WithParamInterface<FaultCase> {};

TEST_P(InjectedFault, TheVerdictNamesIt) {
  LoadImage();
  std::vector<uint8_t> chip_bytes = image;
  GetParam().chip(*socket.chip(), chip_bytes);
  p.CompareCode();
  ASSERT_GE(ui.log.size(), 2U);
  EXPECT_TRUE(ui.log[ui.log.size() - 2].ends_with(GetParam().verdict)) << ui.log[ui.log.size() - 2];
  EXPECT_TRUE(panel::IndicatorLit(ui, Ctl::Error_label));
  EXPECT_EQ(ui.sounds.back(), "ERROR");
}

INSTANTIATE_TEST_SUITE_P(Chips, InjectedFault, ::testing::ValuesIn(kFaults),
                         [](const auto& test) { return std::string(test.param.what); });

// The view goes to each difference's page in turn, round the ends, and marks the bytes of the
// page that differ as they read now.
TEST_F(CompareOnSimulatedBoard, TheDeviceViewStepsThroughTheDifferences) {
  LoadImage();
  std::vector<uint8_t> chip_bytes = image;
  for (const size_t at : {0x010U, 0x011U, 0x0FFU, 0x9A0U}) chip_bytes[at] ^= 0x80;
  socket.chip()->Load(chip_bytes);
  p.CompareCode();
  p.Error_label_Click();
  ASSERT_TRUE(ui.Enabled(Ctl::menuNextDifference));

  p.StepToDifference(true);
  EXPECT_EQ(ui.log.back(), "Difference 1 of 4: Device Address 10h");
  EXPECT_EQ(ui.Caption(Ctl::Frame3), "Device Memory Hex/Ascii Display");
  EXPECT_EQ(ui.marked, (std::vector<uint16_t>{0x10, 0x11, 0xFF}));
  for (int i = 0; i < 3; ++i) p.StepToDifference(true);
  EXPECT_EQ(ui.log.back(), "Difference 4 of 4: Device Address 9A0h");
  EXPECT_EQ(ui.Value(Ctl::VScroll1), 9);
  EXPECT_EQ(ui.marked, (std::vector<uint16_t>{0xA0}));
  p.StepToDifference(true);
  EXPECT_EQ(ui.log.back(), "Difference 1 of 4: Device Address 10h");
  p.StepToDifference(false);
  EXPECT_EQ(ui.log.back(), "Difference 4 of 4: Device Address 9A0h");

  // Verify builds the image anew: the differences it was compared with are gone.
  p.Verify_button_Click();
  p.Error_label_Click();
  EXPECT_FALSE(ui.Enabled(Ctl::menuNextDifference));
  p.Display_button_Click();
  EXPECT_TRUE(ui.marked.empty());
}

TEST_F(CompareOnSimulatedBoard, BlankCheckOfEveryByteSaysHowManyAreProgrammedAndWhere) {
  p.BlankCheckAll();
  EXPECT_TRUE(Logged("Device bytes 0h..7FFFh are checked"));
  EXPECT_EQ(ui.log.back(), "Device IS BLANK (ERASED)");
  EXPECT_EQ(ui.sounds.back(), "OK");

  std::vector<uint8_t> programmed(32768, 0xFF);
  std::fill(programmed.begin() + 0x100, programmed.begin() + 0x200, 0x00);
  programmed[0x7FF0] = 0x7F;
  socket.chip()->Load(programmed);
  ui.log.clear();
  p.BlankCheckAll();
  EXPECT_TRUE(Logged("257 bytes of the Device are programmed (not FFh)"));
  EXPECT_TRUE(Logged("Differing bytes in 2 ranges: 100h..1FFh, 7FF0h"));
  EXPECT_TRUE(Logged("257 bytes need a 0 to 1 bit: erase the chip first"));
  EXPECT_EQ(ui.sounds.back(), "ERROR");
}

}  // namespace
