// Nothing reported as done that was not, and nothing sent to a chip that is not in the socket:
// the operator's commands on the simulated board.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "sim/command_flash.h"
#include "support/simulated_programmer.h"

namespace {

using panel::Ctl;

class OnSimulatedBoard : public ::testing::Test, protected testing_support::SimulatedProgrammer {
 protected:
  OnSimulatedBoard() : SimulatedProgrammer("meldrix_reports") {}
  void Select(const std::string& name) { testing_support::SelectInTheList(p, name); }
  std::string ImageFile(size_t length) {
    const std::string path = dir.path + "/image.bin";
    std::ofstream(path, std::ios::binary) << std::string(length, '\x5A');
    return path;
  }
  size_t Logged(const std::string& part) const {
    return static_cast<size_t>(std::count_if(ui.log.begin(), ui.log.end(), [&](const auto& l) {
      return l.find(part) != std::string::npos;
    }));
  }
};

// A 0-byte file leaves nothing to compare or program: each command says so, and none of them
// claims a match or a programmed chip. (Read and Blank Chk walk the device, not the image.)
TEST_F(OnSimulatedBoard, EmptyCodeBufferIsRefusedByEveryDeviceCommand) {
  struct Command {
    const char* device;
    const char* operation;
    void (ops::Programmer::*click)();
  };
  for (const Command& c :
       {Command{"Eprom 27C256", "Verify", &ops::Programmer::Verify_button_Click},
        Command{"Eprom 27C256", "Program", &ops::Programmer::Program_button_Click},
        Command{"Flash AMD AM29F010", "Program", &ops::Programmer::Program_button_Click}}) {
    SCOPED_TRACE(std::string(c.device) + " " + c.operation);
    Select(c.device);
    ASSERT_TRUE(p.LoadCodeFile(ImageFile(0)));
    ui.log.clear();
    ui.sounds.clear();
    const uint64_t pulses = socket.chip()->ProgramPulses();
    (p.*c.click)();
    EXPECT_EQ(Logged("Code Buffer is Empty (0 Bytes): nothing to " + std::string(c.operation)), 1U);
    EXPECT_EQ(Logged("IS BLANK") + Logged("MATCHES") + Logged("Successfull") + Logged("Read from"),
              0U);
    EXPECT_EQ(std::count(ui.sounds.begin(), ui.sounds.end(), "OK"), 0);
    EXPECT_EQ(socket.chip()->ProgramPulses(), pulses);
  }
}

TEST_F(OnSimulatedBoard, VerifyAfterProgrammingRunsOnlyWhenProgrammingRan) {
  Select("Flash AMD AM29F040");
  ASSERT_TRUE(p.LoadCodeFile(ImageFile(256)));
  ui.SetValue(Ctl::VerifyAfterProgramming, 1);
  dynamic_cast<sim::CommandFlash&>(*socket.chip()).AnswerIds(0xC2, 0x4F);
  ui.log.clear();
  p.Program_button_Click();
  EXPECT_EQ(Logged("Device ID# C24F - Not Supported"), 1U);
  EXPECT_EQ(Logged("Verify Function Started") + Logged("MATCHES"), 0U);
}

// A 64 KB file on a 32 KB chip: said once, whichever came first, the file or the device.
TEST_F(OnSimulatedBoard, FileLongerThanTheDeviceIsToldOnceWhenTheTwoMeet) {
  const std::string told = "only the first 32768 bytes will be used";
  Select("Eprom 27C256");
  ui.log.clear();
  ASSERT_TRUE(p.LoadCodeFile(ImageFile(65536)));
  EXPECT_EQ(Logged("Code File is 65536 bytes, the Device 32768 bytes: " + told), 1U);

  Select("Eprom 27C512");  // a device the file fits: nothing to tell
  ui.log.clear();
  ASSERT_TRUE(p.LoadCodeFile(ImageFile(65536)));
  EXPECT_EQ(Logged(told) + Logged("bytes will be used"), 0U);
  Select("Eprom 27C256");
  EXPECT_EQ(Logged(told), 1U);
}

// The AT29C256 is asked for its identification as it is selected; those command cycles are
// writes to a chip, and must reach the AT29C256, not the X28C256 that sat in the socket before.
TEST_F(OnSimulatedBoard, SelectionCommandsReachTheNewChipOnly) {
  Select("Eeprom XICOR X28C256");
  sim::Chip* before = socket.chip();
  ASSERT_NE(before, nullptr);
  const std::vector<uint8_t> pattern(32768, 0x3C);
  before->Load(pattern);
  Select("Flash Atmel AT29C256");
  ASSERT_NE(socket.chip(), before);
  const auto cells = before->Contents();
  EXPECT_TRUE(std::equal(cells.begin(), cells.end(), pattern.begin(), pattern.end()));
}

}  // namespace
