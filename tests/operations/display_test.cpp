#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "operations/programmer.h"
#include "platform/recording_machine.h"
#include "support/catalogue_rows.h"
#include "support/device_list.h"
#include "support/fake_clock.h"
#include "support/fake_panel.h"
#include "support/scripted_boards.h"

namespace {

namespace fs = std::filesystem;
using panel::Ctl;
using Kind = platform::RecordingMachine::Kind;

// A model-5 board at 378h whose chip answers each byte read with the next byte of a script.
struct ScriptedSocket {
  ScriptedSocket() {
    board.Place(0x378, 5);
    board.chip = [this] { return bytes.empty() ? uint8_t{0} : bytes[byte_reads++ % bytes.size()]; };
  }
  std::vector<uint8_t> bytes;
  size_t byte_reads = 0;
  testing_support::ScriptedBoards board;
};

class Display : public ::testing::Test {
 protected:
  Display() {
    testing_support::BoardAt378(p, 5);
    p.FillDeviceList();
    p.SetDeviceIndex(9);  // Eprom 27C256: 128 pages
    for (int i = 0; i < 256; ++i) socket.bytes.push_back(static_cast<uint8_t>(255 - i));
    io.Clear();
    ui.log.clear();
    ui.sounds.clear();
  }
  std::string Line(int n) const {  // line n (1..) of the view; line 0 is empty
    const std::string text = ui.Caption(Ctl::BufferDisplay);
    size_t at = 0;
    for (int i = 0; i < n; ++i) at = text.find("\r\n", at) + 2;
    return text.substr(at, text.find("\r\n", at) - at);
  }
  int64_t Count(Kind kind) const {
    return std::count_if(io.Trace().begin(), io.Trace().end(),
                         [kind](const auto& e) { return e.kind == kind; });
  }

  ScriptedSocket socket;
  platform::RecordingMachine io{&socket.board};
  testing_support::FakePanel ui;
  testing_support::FakeClock clock;
  ops::Programmer p{io, ui, clock, "unused.ini"};
};

TEST_F(Display, DisplayReadsOnePageOfTheDeviceThroughTheBoard) {
  p.Display_button_Click();
  EXPECT_EQ(p.DisplayMode, "DisplayEprom");
  EXPECT_EQ(ui.log, std::vector<std::string>{"Fetching Device Binary Contents to Screen"});
  EXPECT_EQ(ui.Caption(Ctl::Frame3), "Device Memory Hex/Ascii Display");
  EXPECT_EQ(socket.board.status_reads, 512U);
  EXPECT_EQ(Count(Kind::Sleep), 1);
  EXPECT_EQ(io.Trace().front().kind, Kind::Out);  // the reset comes before the settling wait
  EXPECT_EQ(p.PageBuffer[0], 0xFF);
  EXPECT_EQ(p.PageBuffer[255], 0x00);
  EXPECT_EQ(Line(1), "000000| FFFEFDFC FBFAF9F8 F7F6F5F4 F3F2F1F0 | ................");
  EXPECT_EQ(Line(12), "0000B0| 4F4E4D4C 4B4A4948 47464544 43424140 | ONMLKJIHGFEDCBA@");
  EXPECT_EQ(Line(8), "000070| 8F8E8D8C 8B8A8988 87868584 83828180 | ................");
  EXPECT_EQ(Line(9), "000080| 7F7E7D7C 7B7A7978 77767574 73727170 | .....zyxwvutsrqp");
  EXPECT_FALSE(panel::IndicatorLit(ui, Ctl::DataFlow_label));
  // The device's address counter ends one page further on.
  EXPECT_EQ(p.board.CurrentAddress, 256);
}

TEST_F(Display, ScrollingInDeviceModeReadsThatPage) {
  p.Display_button_Click();
  socket.board.status_reads = 0;
  p.SetScrollValue(127);
  EXPECT_EQ(socket.board.status_reads, 512U);
  EXPECT_EQ(Line(1).substr(0, 6), "007F00");
  EXPECT_EQ(Line(16).substr(0, 6), "007FF0");
}

TEST_F(Display, DisplayDoesNothingWithoutTheCodeBoxChecked) {
  ui.SetValue(Ctl::CheckCode, 0);
  p.Display_button_Click();
  EXPECT_TRUE(ui.log.empty());
  EXPECT_TRUE(io.Trace().empty());
  EXPECT_EQ(p.DisplayMode, "");
}

TEST_F(Display, MicrocontrollerHasNoDeviceViewYet) {
  p.dev.DeviceFamily = "M";
  p.dev.DeviceCode = "MJ";
  p.dev.Row = testing_support::RowOfCode("MJ");
  p.Display_button_Click();
  EXPECT_EQ(p.DisplayMode, "DisplayEprom");
  EXPECT_EQ(
      ui.boxes,
      (std::vector<testing_support::FakePanel::Box>{{"Please Write AT90S2313 Code Display ROutine",
                                                     "Routine Not Ready", panel::Icon::None}}));
  EXPECT_EQ(socket.board.status_reads, 0U);
}

TEST_F(Display, BufferViewsFollowTheScrollBarInReadMode) {
  p.DisplayMode = "Read";
  p.buf.CodeBuffer[0x300] = 0x41;
  p.buf.CodeBuffer[0x301] = 0x20;
  p.buf.CodeBuffer[0x302] = 0x7E;
  p.buf.CodeBuffer[0x303] = 0x22;
  p.SetScrollValue(3);
  EXPECT_EQ(Line(0), "");
  EXPECT_EQ(Line(1), "000300| 41207E22 00000000 00000000 00000000 | A...............");
  EXPECT_EQ(Line(16).substr(0, 6), "0003F0");
  EXPECT_EQ(p.board.CurrentAddress, 0x300);
  EXPECT_EQ(socket.board.status_reads, 0U);
  // Command1 always shows the first page.
  p.Command1_Click();
  EXPECT_EQ(Line(1).substr(0, 6), "000000");
  EXPECT_EQ(ui.Value(Ctl::VScroll1), 3);
}

TEST_F(Display, ShowSwitchesOnlyTheCaptionForCodeOnlyDevices) {
  p.SetScrollValue(5);
  ui.SetCaption(Ctl::Frame3, "Device Memory Hex/Ascii Display");
  p.Show_button_Click();
  EXPECT_EQ(ui.Caption(Ctl::Frame3), "Code Buffer Hex/Ascii Display");
  EXPECT_EQ(ui.Caption(Ctl::Show_button), "Show Code");
  EXPECT_EQ(p.DisplayMode, "Read");
  EXPECT_EQ(ui.Value(Ctl::VScroll1), 0);
  EXPECT_EQ(Line(1).substr(0, 6), "000000");
}

TEST_F(Display, ShowTogglesTheMicrocontrollersDataView) {
  p.dev.DeviceFamily = "M";
  p.dev.DeviceCode = "MJ";
  p.dev.Row = testing_support::RowOfCode("MJ");
  p.DisplayMode = "Read";
  ui.SetCaption(Ctl::Show_button, "Show Data");
  p.buf.DataBuffer[0] = 0x5A;
  p.Show_button_Click();
  EXPECT_EQ(ui.Caption(Ctl::Show_button), "Show Code");
  EXPECT_EQ(ui.Caption(Ctl::Frame3), "Data Buffer Hex/Ascii Display");
  EXPECT_EQ(ui.Max(Ctl::VScroll1), 63);
  EXPECT_EQ(Line(0), "             *** BUFFER DATA ***");
  EXPECT_EQ(Line(1), "");
  EXPECT_EQ(Line(2), "000000| 5A000000 00000000 00000000 00000000 | Z...............");
  p.SetScrollValue(3);
  EXPECT_EQ(Line(2).substr(0, 6), "000180");
  EXPECT_EQ(Line(9).substr(0, 6), "0001F0");
  p.Show_button_Click();
  EXPECT_EQ(ui.Caption(Ctl::Show_button), "Show Data");
  EXPECT_EQ(ui.Max(Ctl::VScroll1), 127);
  EXPECT_EQ(Line(1).substr(0, 6), "000000");
}

TEST_F(Display, DoubleClickWritesTheViewToTheBufferFileEachTime) {
  const fs::path dir = fs::temp_directory_path() / "meldrix display buf";
  fs::create_directories(dir);
  p.BufferDisplayPath = (dir / "MELDRIX5.BUF").string();
  auto read = [&] {
    std::ifstream in(p.BufferDisplayPath, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  };
  ui.SetCaption(Ctl::BufferDisplay, "\r\nfirst");
  p.BufferDisplay_DblClick();
  ui.SetCaption(Ctl::BufferDisplay, "\r\nAB");
  p.BufferDisplay_DblClick();
  EXPECT_EQ(read(),
            "MELDRIX5 BUFFER DISPLAY FILE - MELDRIX5N Programmer\r\n"
            "The following contents are the contents from Buffer DIsplay\r\n"
            "12/07/2026 22:41:07 StatCode: 154 \r\n" +
                std::string(60, '-') + "\r\n\r\nAB\r\n");
  EXPECT_EQ(ui.log, std::vector<std::string>(2, "Buffer DIsplay was Saved to MELDRIX5.BUF file"));
  EXPECT_EQ(ui.sounds, std::vector<std::string>(2, "OK"));
  fs::remove_all(dir);

  p.BufferDisplayPath = (dir / "gone" / "MELDRIX5.BUF").string();
  p.BufferDisplay_DblClick();
  ASSERT_EQ(ui.boxes.size(), 1U);
  EXPECT_EQ(ui.boxes[0].title, "File Not Saved");
}

}  // namespace
