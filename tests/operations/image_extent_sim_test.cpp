// The chip, the buffer and the file agree, on the simulated board: a short image leaves the rest
// of the chip as it was, programming and verify cover the same bytes and say which, Read and
// Blank Chk walk the whole device whatever file was loaded, and a chip still erasing is never
// read as data.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <string>
#include <vector>

#include "platform/hex_text.h"
#include "sim/command_flash.h"
#include "support/simulated_programmer.h"

namespace {

using panel::Ctl;

class ImageExtent : public ::testing::TestWithParam<const char*>,
                    protected testing_support::SimulatedProgrammer {
 protected:
  ImageExtent() : SimulatedProgrammer("meldrix_extent") {
    testing_support::SelectInTheList(p, GetParam());
    testing_support::ChooseTheChipsVoltage(p);
  }
  int32_t Size() const { return p.dev.DeviceSize; }
  std::vector<uint8_t> Chip() const {
    const auto cells = socket.chip()->Contents();
    return {cells.begin(), cells.end()};
  }
  std::string File(const std::string& name, const std::vector<uint8_t>& bytes) {
    const std::string path = dir.path + "/" + name;
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
    return path;
  }
  bool Logged(const std::string& line) const {
    return std::find(ui.log.begin(), ui.log.end(), line) != ui.log.end();
  }
  std::string Last() const { return platform::Hex(static_cast<uint32_t>(Size() - 1)); }
};

// Bytes the chip already holds: none of them is FFh, so a stray program or erase shows.
std::vector<uint8_t> Held(int32_t size) {
  std::vector<uint8_t> held(static_cast<size_t>(size));
  for (size_t i = 0; i < held.size(); ++i) held[i] = static_cast<uint8_t>((i * 7 + 3) % 0xFF);
  return held;
}

// A 100-byte image after a 1000-byte one, into a chip that holds data beyond byte 100 (blank
// before it, so that an EPROM can take it): the chip ends holding the image and, after it,
// exactly what it held. Programming and verify say which bytes they covered.
TEST_P(ImageExtent, ShortImageLeavesTheRestOfTheChipAsItWas) {
  std::vector<uint8_t> before = Held(Size());
  std::fill_n(before.begin(), 100, uint8_t{0xFF});
  socket.chip()->Load(before);
  ASSERT_TRUE(p.LoadCodeFile(File("long.bin", std::vector<uint8_t>(1000, 0x11))));
  std::vector<uint8_t> image(100);
  for (size_t i = 0; i < image.size(); ++i) image[i] = static_cast<uint8_t>(i ^ 0xA5);
  ASSERT_TRUE(p.LoadCodeFile(File("short.bin", image)));
  ui.SetValue(Ctl::VerifyAfterProgramming, 1);
  ui.log.clear();
  p.Program_button_Click();

  ASSERT_EQ(ui.boxes.size(), 1U);
  EXPECT_EQ(ui.boxes[0].text, "Program the Device?\n\nDevice: " + std::string(GetParam()) + " (" +
                                  std::to_string(Size()) + " bytes)\nImage: " + dir.path +
                                  "/short.bin\nImage is 100 bytes: Device bytes 0h..63h are "
                                  "programmed, 64h.." +
                                  Last() +
                                  "h are left as they are\nBlank check first: no\nVerify "
                                  "afterwards: yes");
  const std::vector<uint8_t> after = Chip();
  EXPECT_TRUE(std::equal(image.begin(), image.end(), after.begin()));
  EXPECT_TRUE(std::equal(after.begin() + 100, after.end(), before.begin() + 100))
      << "first change at "
      << std::mismatch(after.begin() + 100, after.end(), before.begin() + 100).first -
             after.begin();
  EXPECT_TRUE(Logged("Image is 100 bytes: Device bytes 0h..63h are programmed, 64h.." + Last() +
                     "h are left as they are"));
  EXPECT_TRUE(Logged("Image is 100 bytes: Device bytes 0h..63h are compared, 64h.." + Last() +
                     "h are not compared"));
  EXPECT_TRUE(Logged("Programming Device Successfull"));
  EXPECT_EQ(ui.log.back(), "Device Contents MATCHES with Buffer Contents");
  EXPECT_FALSE(panel::IndicatorLit(ui, Ctl::Error_label));
}

// A device read gives an image of the whole device: programmed into a blank chip of the same
// kind it makes a copy of every byte.
TEST_P(ImageExtent, ReadThenProgramCopiesTheWholeDevice) {
  socket.chip()->Load(Held(Size()));
  ASSERT_TRUE(p.LoadCodeFile(File("short.bin", {1, 2, 3})));
  p.Read_button_Click();
  EXPECT_EQ(p.buf.CodeImageLength, Size());
  socket.InsertDevice(GetParam());  // a blank chip of the same kind
  ui.SetValue(Ctl::VerifyAfterProgramming, 1);
  ui.log.clear();
  p.Program_button_Click();
  EXPECT_EQ(Chip(), Held(Size()));
  EXPECT_TRUE(Logged("Image is " + std::to_string(Size()) + " bytes: Device bytes 0h.." + Last() +
                     "h are programmed (the whole Device)"));
  EXPECT_EQ(ui.log.back(), "Device Contents MATCHES with Buffer Contents");
}

// After a short file, Blank Chk still finds a byte programmed at the device's last address, and
// Read takes the whole device into the buffer.
TEST_P(ImageExtent, BlankCheckAndReadWalkTheWholeDeviceAfterAShortFile) {
  const uint8_t last[] = {0x00};
  socket.chip()->Load(last, static_cast<uint32_t>(Size() - 1));
  ASSERT_TRUE(p.LoadCodeFile(File("short.bin", std::vector<uint8_t>(52, 0x22))));
  ui.log.clear();
  p.Blank_button_Click();
  EXPECT_TRUE(Logged("Device IS NOT BLANK (ERASED)"));
  EXPECT_TRUE(Logged("Address: " + Last() + " ][ Device Data: 0"));
  p.Error_label_Click();
  ui.log.clear();
  p.Read_button_Click();
  EXPECT_TRUE(Logged(std::to_string(Size()) + " bytes Read from Device"));
  EXPECT_EQ(p.buf.CodeLength, Size());
  EXPECT_EQ(p.buf.CodeBuffer[static_cast<size_t>(Size() - 1)], 0x00);
  EXPECT_EQ(p.buf.CodeBuffer[51], 0xFF);  // the chip's byte, not the file's
  EXPECT_EQ(ui.Caption(Ctl::FileNameCodeText), "Read from Device " + std::string(GetParam()));
}

// One row of each programming algorithm, the 32-pin Flash, both page devices.
INSTANTIATE_TEST_SUITE_P(EveryAlgorithm, ImageExtent,
                         ::testing::Values("Eprom 2732A", "Eprom 2764", "Eprom 27C256",
                                           "Eprom 27C512", "Eprom 27C010", "Eprom 27C040",
                                           "Flash AMD AM29F040", "Flash Atmel AT29C256",
                                           "Eeprom XICOR X28C256"),
                         [](const auto& row) {
                           std::string name = row.param;
                           std::erase(name, ' ');
                           return name;
                         });

class Captions : public ImageExtent {};

// The captions say what the buffer holds: the file's path as it is (file names are
// case-sensitive), the bytes held, the erased buffer, the file a Save As wrote; every byte of a
// short image can be scrolled to, and the device view pages over the whole device.
TEST_P(Captions, FollowTheBuffer) {
  const std::string path = File("Boot Rom.bin", std::vector<uint8_t>(1000, 0x5A));
  ASSERT_TRUE(p.LoadCodeFile(path));
  EXPECT_EQ(ui.Caption(Ctl::FileNameCodeText), path);
  EXPECT_EQ(ui.Caption(Ctl::FileNameCodeSize), "(1000)");
  EXPECT_EQ(ui.Caption(Ctl::Frame3), "Code Buffer Hex/Ascii Display");
  EXPECT_EQ(ui.Max(Ctl::VScroll1), 3);  // bytes 300h..3E7h on the last page
  p.SetScrollValue(3);
  EXPECT_NE(ui.Caption(Ctl::BufferDisplay).find("0003E0| 5A5A5A5A 5A5A5A5A"), std::string::npos);

  p.Display_button_Click();
  EXPECT_EQ(ui.Caption(Ctl::Frame3), "Device Memory Hex/Ascii Display");
  EXPECT_EQ(ui.Max(Ctl::VScroll1), Size() / 256 - 1);

  p.Device_Click();  // the same device again: the buffer now covers it
  const std::string copy = dir.path + "/copy.bin";
  ui.text_replies.push_back(copy);
  p.mnuFileSaveCodeAs_Click();
  EXPECT_EQ(ui.Caption(Ctl::FileNameCodeText), copy);
  EXPECT_EQ(ui.Caption(Ctl::FileNameCodeSize), "(" + std::to_string(Size()) + ")");

  p.Erase_button_Click();
  EXPECT_EQ(ui.Caption(Ctl::FileNameCodeText), "Buffer Erased");
  EXPECT_EQ(ui.Caption(Ctl::Frame3), "Code Buffer Hex/Ascii Display");
}

INSTANTIATE_TEST_SUITE_P(Eprom, Captions, ::testing::Values("Eprom 27C256"));

class BusyChip : public ImageExtent {};

sim::CommandFlash& Flash(sim::SimBoard& socket) {
  return dynamic_cast<sim::CommandFlash&>(*socket.chip());
}

// The operator stops a chip erase: the chip cannot stop it, so the program waits for its end,
// says so, and what follows finds an erased chip, never the status bits of a busy one.
TEST_P(BusyChip, StopDuringAnEraseWaitsForTheChipThenEveryOperationSeesItErased) {
  socket.chip()->Load(Held(Size()));
  ui.stop_at = 3;
  p.EraseFlash_button_Click();
  EXPECT_TRUE(Logged("The Device cannot stop what it has begun: waiting for it to finish... Wait"));
  EXPECT_EQ(ui.log.back(), "Flash Memory Erase Complete");
  EXPECT_EQ(Chip(), std::vector<uint8_t>(static_cast<size_t>(Size()), 0xFF));

  ui.stop_at = 0;
  p.Stopped = false;  // as the window does when the next operation starts
  p.Blank_button_Click();
  EXPECT_EQ(ui.log.back(), "Device IS BLANK (ERASED)");
  p.Read_button_Click();
  EXPECT_TRUE(std::all_of(p.buf.CodeBuffer.begin(), p.buf.CodeBuffer.begin() + Size(),
                          [](uint8_t b) { return b == 0xFF; }));
  p.Display_button_Click();
  EXPECT_NE(ui.Caption(Ctl::BufferDisplay).find("FFFFFFFF FFFFFFFF FFFFFFFF FFFFFFFF"),
            std::string::npos);
}

// An erase that outlasts the longest wait leaves a chip known to be busy: nothing reads it until
// it reads as a chip again, then the operations run as usual.
TEST_P(BusyChip, NoOperationStartsWhileTheChipIsStillBusy) {
  Flash(socket).SetEraseTime(std::chrono::seconds(100));
  p.EraseFlash_button_Click();
  EXPECT_TRUE(
      Logged("*** Device is still busy: nothing reads or commands it until it has "
             "finished ***"));
  p.Error_label_Click();
  for (void (ops::Programmer::*click)() :
       {&ops::Programmer::Blank_button_Click, &ops::Programmer::Read_button_Click,
        &ops::Programmer::Display_button_Click, &ops::Programmer::menuFlashShowCodeID_Click}) {
    ui.log.clear();
    (p.*click)();
    EXPECT_EQ(ui.log, std::vector<std::string>{"*** Device is still busy with its erase or write: "
                                               "try again when it has finished ***"});
  }
  io.Sleep(40000);  // the chip's erase ends meanwhile
  ui.log.clear();
  p.Blank_button_Click();
  EXPECT_EQ(ui.log.back(), "Device IS BLANK (ERASED)");
}

INSTANTIATE_TEST_SUITE_P(Erase, BusyChip, ::testing::Values("Flash AMD AM29F040"));

}  // namespace
