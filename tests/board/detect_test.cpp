#include "board/detect.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "platform/files.h"
#include "platform/port_io.h"
#include "platform/recording_machine.h"
#include "support/fake_clock.h"
#include "support/fake_panel.h"
#include "support/scripted_boards.h"
#include "support/temp_dir.h"

namespace {

using panel::Ctl;
using panel::LPTSelection;
using platform::RecordingMachine;
using testing_support::ScriptedBoards;

struct Rig {
  Rig() : io(&boards), detect(board, ui, clock, dir.path + "/meldrix5.ini") {
    board.InitControlCodes();
    board.LatchDelayFactor = 5;
    ui.SetValue(LPTSelection(1), 1);  // "278h" is selected until something else is
  }
  void WriteSettings(const std::string& text) const {
    std::ofstream(detect.SettingsPath(), std::ios::binary) << text;
  }
  std::string Settings() const {
    std::ifstream in(detect.SettingsPath(), std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
  }
  int SelectedOption() const {
    for (int i = 0; i < 3; ++i) {
      if (ui.Value(LPTSelection(i)) == 1) return i;
    }
    return -1;
  }
  bool Logged(const std::string& line) const {
    return std::find(ui.log.begin(), ui.log.end(), line) != ui.log.end();
  }

  testing_support::TempDir dir{"detect"};
  ScriptedBoards boards;
  RecordingMachine io;
  testing_support::FakePanel ui;
  testing_support::FakeClock clock;
  board::Board board{io, ui};
  board::Detector detect;
};

struct ProbeCase {
  const char* name;
  std::vector<std::pair<uint16_t, int>> boards;
  int16_t port;  // where the board in force sits; 0: none found
  int16_t model;
  std::vector<std::string> not_responding;
};
void PrintTo(const ProbeCase& c, std::ostream* os) {
  *os << c.name;
}

class ProbeRun : public ::testing::TestWithParam<ProbeCase> {};

TEST_P(ProbeRun, FindsTheLastAnsweringBoardInProbeOrder) {
  const ProbeCase& c = GetParam();
  Rig r;
  for (auto [base, model] : c.boards) r.boards.Place(base, model);
  r.board.PortBase = 0x278;
  r.detect.TestHardware_button_Click();

  for (const char* port : {"278", "378", "3BC"}) {
    const bool expected =
        std::find(c.not_responding.begin(), c.not_responding.end(), port) != c.not_responding.end();
    EXPECT_EQ(r.Logged(std::string("Port ") + port + " Not Responding"), expected) << port;
  }
  EXPECT_EQ(r.board.BoardModel, c.model);
  EXPECT_EQ(r.detect.FoundPort, c.port);
  if (c.port == 0) {
    EXPECT_EQ(r.ui.Caption(Ctl::MeldrixHardwareFound), "NO HARDWARE FOUND");
    EXPECT_EQ(r.ui.ForeColor(Ctl::MeldrixHardwareFound), panel::kYellow);
    EXPECT_EQ(r.board.PortBase, 0x278);  // back to the port before the test
    EXPECT_FALSE(platform::FileExists(r.detect.SettingsPath()));
    return;
  }
  const std::string hex = c.port == 0x378 ? "378" : c.port == 0x278 ? "278" : "3BC";
  const std::string digit = c.model == 5 ? "5" : "4";
  EXPECT_EQ(r.board.PortBase, c.port);
  EXPECT_EQ(r.board.ControlPort, c.port + 2);
  EXPECT_EQ(r.SelectedOption(), c.port == 0x378 ? 0 : c.port == 0x278 ? 1 : 2);
  EXPECT_EQ(r.ui.Caption(Ctl::PortSelected), hex + "h");
  EXPECT_TRUE(r.Logged("Port Selection changed to " + hex + "h"));
  EXPECT_EQ(r.ui.log.back(), "MELDRIX-" + digit + " Device was FOUND at Port: " + hex);
  EXPECT_EQ(r.ui.Caption(Ctl::MeldrixHardwareFound), "MODEL " + digit + " - PC port " + hex + "h");
  EXPECT_EQ(r.ui.ForeColor(Ctl::MeldrixHardwareFound), panel::kButtonText);
  EXPECT_EQ(r.ui.ForeColor(Ctl::Ready_label), panel::kWhite);
  EXPECT_EQ(r.Settings(), "[MELDRIX5 SETUP]\r\nDATE = 12-07-2026 22:41:07\r\nIO_PORT = " + hex +
                              "\r\nMODEL =  " + digit + " \r\n");
  EXPECT_EQ(r.board.LatchStrobe[4], c.model == 4 ? 0x0F : 0x00);  // the model's codes in force
  // The board ends idle; only model 5 blinks its lamp (one 200 ms sleep).
  EXPECT_EQ(r.board.Reg0, 0x40);
  EXPECT_EQ(r.board.Reg3, 0xC4);
  EXPECT_EQ(r.io.Totals().sleeps, c.model == 5 ? 1 : 0);
}

INSTANTIATE_TEST_SUITE_P(
    Boards, ProbeRun,
    ::testing::Values(ProbeCase{"None", {}, 0, 0, {"278", "378", "3BC"}},
                      ProbeCase{"Model5At378", {{0x378, 5}}, 0x378, 5, {"278", "3BC"}},
                      ProbeCase{"Model4At3BC", {{0x3BC, 4}}, 0x3BC, 4, {"278", "378"}},
                      ProbeCase{"Model4At278", {{0x278, 4}}, 0x278, 4, {"378", "3BC"}},
                      ProbeCase{"At278And378", {{0x278, 4}, {0x378, 5}}, 0x378, 5, {"3BC"}},
                      ProbeCase{"At378And278", {{0x278, 5}, {0x378, 4}}, 0x378, 4, {"3BC"}},
                      ProbeCase{"Everywhere", {{0x278, 5}, {0x378, 5}, {0x3BC, 4}}, 0x3BC, 4, {}}),
    [](const auto& param_info) { return std::string(param_info.param.name); });

// The exact probe sequence at one port, with its settling waits of LatchDelayFactor x 100.
TEST(CheckHardware, ProbesModelFiveThenModelFourAtThePort) {
  Rig r;
  r.board.PortBase = 0x3BC;
  r.board.LatchDelayFactor = 3;
  r.detect.CheckHardware();
  using platform::In;
  using platform::Out;
  using platform::SpinOf;
  const std::vector<RecordingMachine::Event> expected = {
      Out(0x3BC, 0xBF), Out(0x3BE, 0x0E), Out(0x3BE, 0x00), Out(0x3BC, 0x00), Out(0x3BE, 0x06),
      SpinOf(300),      In(0x3BD, 0xFF),  Out(0x3BE, 0x00), Out(0x3BC, 0xFF), Out(0x3BE, 0x06),
      SpinOf(300),      In(0x3BD, 0xFF),  Out(0x3BE, 0x09), Out(0x3BC, 0xBF), Out(0x3BE, 0x01),
      Out(0x3BE, 0x09), Out(0x3BC, 0x00), Out(0x3BE, 0x0F), Out(0x3BE, 0x09), SpinOf(300),
      In(0x3BD, 0xFF),  Out(0x3BC, 0xFF), Out(0x3BE, 0x0F), Out(0x3BE, 0x09), SpinOf(300),
      In(0x3BD, 0xFF),  Out(0x3BE, 0x08)};
  EXPECT_EQ(r.io.Trace(), expected);
  EXPECT_EQ(r.ui.log, (std::vector<std::string>{"Port 3BC Not Responding"}));
  EXPECT_EQ(r.ui.ForeColor(Ctl::DataFlow_label), panel::kGreyText);
  EXPECT_EQ(r.board.StatusPort, 0x3BD);
}

TEST(CheckHardware, NoSettlingWaitWhenTheFactorIsBelowOne) {
  Rig r;
  r.boards.Place(0x378, 5);
  r.board.PortBase = 0x378;
  r.board.LatchDelayFactor = 0;
  r.detect.CheckHardware();
  EXPECT_EQ(r.io.Totals().spins, 0);
  EXPECT_EQ(r.board.BoardModel, 5);
  EXPECT_EQ(r.detect.FoundPort, 0x378);
}

TEST(CheckHardware, NeverTouchesAPortOutsideTheThreeBlocks) {
  Rig r;
  r.board.PortBase = 0x27B;
  r.detect.CheckHardware();
  EXPECT_TRUE(r.io.Trace().empty());
  EXPECT_EQ(r.io.Totals().refused, 0);
  EXPECT_EQ(r.detect.FoundPort, 0);
}

TEST(Settings, FileWithBothKeysAnnouncesWithoutTouchingThePortFirst) {
  Rig r;
  r.WriteSettings(
      "[MELDRIX5 SETUP]\r\nDATE = 01-01-2020 00:00:00\r\nIO_PORT = 3BC\r\nMODEL =  4 \r\n");
  r.detect.LoadBoardSettings();
  EXPECT_EQ(r.board.PortBase, 0x3BC);
  EXPECT_EQ(r.board.BoardModel, 4);
  EXPECT_EQ(r.detect.FoundPort, 0x3BC);
  EXPECT_EQ(r.ui.Caption(Ctl::MeldrixHardwareFound), "MODEL 4 - PC port 3BCh");
  EXPECT_EQ(r.ui.log, (std::vector<std::string>{"Port Selection changed to 3BCh",
                                                "MELDRIX-4 Device was FOUND at Port: 3BC"}));
  EXPECT_EQ(r.SelectedOption(), 2);
  EXPECT_EQ(r.Settings(),
            "[MELDRIX5 SETUP]\r\nDATE = 12-07-2026 22:41:07\r\nIO_PORT = 3BC\r\nMODEL =  4 \r\n");
  // No probing: the only port writes are the closing Reset's four latch writes.
  EXPECT_EQ(r.io.Totals().ins, 0);
  EXPECT_EQ(r.io.Totals().outs, 16);
}

struct FileCase {
  const char* name;
  std::string text;
  int16_t port, model, found;
  bool announced;
};
void PrintTo(const FileCase& c, std::ostream* os) {
  *os << c.name;
}

class SettingsFile : public ::testing::TestWithParam<FileCase> {};

// Only "IO_PORT = " and "MODEL = " lines count, each once; a port other than the three parallel
// ports is never taken; nothing in a garbled file stops the program.
TEST_P(SettingsFile, ReadingRules) {
  const FileCase& c = GetParam();
  Rig r;
  r.WriteSettings(c.text);
  r.detect.LoadBoardSettings();
  EXPECT_EQ(r.board.PortBase, c.port);
  EXPECT_EQ(r.board.BoardModel, c.model);
  EXPECT_EQ(r.detect.FoundPort, c.found);
  EXPECT_EQ(r.ui.ForeColor(Ctl::Ready_label), c.found != 0 ? panel::kWhite : 0U);
  const bool rewritten = r.Settings() != c.text;
  EXPECT_EQ(rewritten, c.announced);
  EXPECT_EQ(!r.ui.log.empty() && r.ui.log.back().find("was FOUND") != std::string::npos,
            c.announced);
  EXPECT_EQ(r.io.Totals().ins, 0);
}

INSTANTIATE_TEST_SUITE_P(
    Rules, SettingsFile,
    ::testing::Values(
        FileCase{"ModelFirst", "MODEL = 5\nIO_PORT = 278\n", 0x278, 5, 0x278, true},
        FileCase{"BlanksAndTrailingText", "IO_PORT =  3 7 8h\r\nMODEL =  5 x\r\n", 0x378, 5, 0x378,
                 true},
        FileCase{"LowerCaseHex", "IO_PORT = 3bc\r\nMODEL = 5\r\n", 0x3BC, 5, 0x3BC, true},
        FileCase{"RoundedModel", "IO_PORT = 378\r\nMODEL = 4.5\r\n", 0x378, 4, 0x378, true},
        FileCase{"OnlyPort", "IO_PORT = 378\r\n", 0x378, 0, 0, false},
        FileCase{"PortTwice", "IO_PORT = 378\r\nIO_PORT = 278\r\nMODEL = 5\r\n", 0x278, 5, 0,
                 false},
        FileCase{"OtherModel", "IO_PORT = 378\r\nMODEL = 7\r\n", 0x378, 7, 0x378, false},
        FileCase{"ModelNotANumber", "IO_PORT = 278\r\nMODEL = five\r\n", 0x278, 0, 0x278, false},
        FileCase{"ModelTooBig", "IO_PORT = 278\r\nMODEL = 70000\r\n", 0x278, 0, 0x278, false},
        FileCase{"WrongCase", "io_port = 378\r\nModel = 5\r\n", 0, 0, 0, false},
        FileCase{"NoBlankBeforeValue", "IO_PORT=378\r\nMODEL=5\r\n", 0, 0, 0, false},
        FileCase{"PortNotAParallelPort", "IO_PORT = 123\r\nMODEL = 5\r\n", 0, 5, 0, false},
        FileCase{"PortTooBigForSixteenBits", "IO_PORT = 10378\r\nMODEL = 5\r\n", 0, 5, 0, false},
        FileCase{"PortNotANumber", "IO_PORT = zz\r\nMODEL = 5\r\n", 0, 5, 0, false},
        FileCase{"Empty", "", 0, 0, 0, false},
        FileCase{"Binary", std::string("\0\xFF\x01IO_PORT\n\x80\x81MODEL = \xFE\n", 23), 0, 0, 0,
                 false},
        FileCase{"MegabyteLine",
                 "IO_PORT = 378" + std::string(1 << 20, ' ') + "\nMODEL = 4" +
                     std::string(1 << 20, '9') + "\n",
                 0x378, 0, 0x378, false}),
    [](const auto& param_info) { return std::string(param_info.param.name); });

TEST(Settings, MissingFileLeavesEverythingForTheProbe) {
  Rig r;
  r.detect.LoadBoardSettings();
  EXPECT_EQ(r.board.PortBase, 0);
  EXPECT_EQ(r.detect.FoundPort, 0);
  EXPECT_TRUE(r.ui.log.empty());
  EXPECT_TRUE(r.io.Trace().empty());
}

TEST(Settings, RoundTripThroughTheFile) {
  for (auto [port, model] : {std::pair<int16_t, int16_t>{0x278, 4}, {0x378, 5}, {0x3BC, 5}}) {
    Rig first;
    first.boards.Place(static_cast<uint16_t>(port), model);
    first.detect.TestHardware_button_Click();
    Rig second;
    second.WriteSettings(first.Settings());
    second.detect.LoadBoardSettings();
    EXPECT_EQ(second.board.PortBase, port);
    EXPECT_EQ(second.board.BoardModel, model);
    EXPECT_EQ(second.detect.FoundPort, port);
  }
}

// A settings file that cannot be written (its directory is a plain file, which even root cannot
// write into): a log line naming the file and why, and the board stays in force.
TEST(Settings, UnwritableFileIsLoggedAndNothingElseChanges) {
  Rig r;
  std::ofstream(r.dir.path + "/not_a_directory") << "x";
  const std::string path = r.dir.path + "/not_a_directory/meldrix5.ini";
  board::Detector detect(r.board, r.ui, r.clock, path);
  r.boards.Place(0x378, 5);
  detect.TestHardware_button_Click();
  EXPECT_EQ(r.board.BoardModel, 5);
  EXPECT_EQ(r.board.PortBase, 0x378);
  EXPECT_EQ(r.ui.Caption(Ctl::MeldrixHardwareFound), "MODEL 5 - PC port 378h");
  bool logged = false;
  for (const auto& line : r.ui.log) {
    logged |= line.starts_with("Board settings could not be saved to " + path + ": ") &&
              line.size() > path.size() + 40;
  }
  EXPECT_TRUE(logged);
  EXPECT_FALSE(platform::FileExists(path));
}

TEST(LPTSelection, OnlyTheSelectedOptionActs) {
  Rig r;
  r.board.BoardModel = 5;
  r.detect.FoundPort = 0x278;
  int changes = 0;
  r.detect.PortChanged = [&] { ++changes; };
  r.ui.SetValue(LPTSelection(1), 0);
  r.ui.SetValue(LPTSelection(2), 1);
  r.detect.LPTSelection_Click(0);  // the index plays no part
  EXPECT_EQ(r.board.PortBase, 0x3BC);
  EXPECT_EQ(r.board.StatusPort, 0x3BD);
  EXPECT_EQ(r.board.ControlPort, 0x3BE);
  EXPECT_EQ(r.ui.Caption(Ctl::PortSelected), "3BCh");
  EXPECT_EQ(r.ui.log, (std::vector<std::string>{"Port Selection changed to 3BCh"}));
  EXPECT_EQ(r.board.BoardModel, 5);
  EXPECT_EQ(r.detect.FoundPort, 0x278);
  EXPECT_EQ(changes, 1);
  EXPECT_TRUE(r.io.Trace().empty());
  EXPECT_FALSE(platform::FileExists(r.detect.SettingsPath()));
}

TEST(ForceModel, SetsTheModelAndItsCodesButNotThePort) {
  struct Case {
    void (board::Detector::*force)();
    int16_t model;
    int strobe0;
  };
  for (const Case& c : {Case{&board::Detector::ForceMeldrix4_Click, 4, 0x0B},
                        Case{&board::Detector::ForceMeldrix5_Click, 5, 0x04}}) {
    Rig r;  // no port known yet
    (r.detect.*c.force)();
    const std::string digit = c.model == 4 ? "4" : "5";
    EXPECT_EQ(r.board.BoardModel, c.model);
    EXPECT_EQ(r.board.PortBase, 0);
    EXPECT_EQ(r.board.LatchStrobe[0], c.strobe0);
    EXPECT_EQ(r.ui.log,
              (std::vector<std::string>{"MELDRIX-" + digit + " Device was FORCED by Operator"}));
    EXPECT_EQ(r.ui.Caption(Ctl::MeldrixHardwareFound), "Operator Forced Model " + digit);
    EXPECT_EQ(r.ui.ForeColor(Ctl::MeldrixHardwareFound), panel::kLightPink);
    EXPECT_EQ(r.ui.ForeColor(Ctl::Ready_label), panel::kLightPink);
    EXPECT_EQ(r.board.Reg3, 0xC4);     // Reset ran
    EXPECT_EQ(r.io.Totals().outs, 0);  // ... but no port below 278h was written
    EXPECT_FALSE(platform::FileExists(r.detect.SettingsPath()));
  }
}

TEST(ApplyFoundBoard, NothingFoundChangesNothing) {
  Rig r;
  r.board.PortBase = 0x378;
  r.detect.ApplyFoundBoard();
  EXPECT_TRUE(r.io.Trace().empty());
  EXPECT_TRUE(r.ui.log.empty());
  EXPECT_EQ(r.ui.ForeColor(Ctl::Ready_label), 0U);
}

}  // namespace
