#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "operations/programmer.h"
#include "platform/recording_machine.h"
#include "support/fake_clock.h"
#include "support/fake_panel.h"
#include "support/scripted_boards.h"
#include "support/temp_dir.h"

namespace {

using panel::Ctl;

struct StartUpRig {
  std::string SettingsPath() const { return dir.path + "/meldrix5.ini"; }

  testing_support::TempDir dir{"startup"};
  testing_support::ScriptedBoards boards;
  platform::RecordingMachine io{&boards};
  testing_support::FakePanel ui;
  testing_support::FakeClock clock;
};

TEST(StartUp, ProbesAndAnnouncesTheBoardWhenNoPortIsKnown) {
  StartUpRig r;
  r.boards.Place(0x278, 4);
  ops::Programmer p(r.io, r.ui, r.clock, r.SettingsPath());
  p.StartUp();
  EXPECT_EQ(p.board.PortBase, 0x278);
  EXPECT_EQ(p.board.BoardModel, 4);
  EXPECT_EQ(p.board.LatchIdle[0], 0x0A);  // model 4's codes in force
  EXPECT_EQ(r.ui.Caption(Ctl::MeldrixHardwareFound), "MODEL 4 - PC port 278h");
  EXPECT_EQ(r.ui.ForeColor(Ctl::Ready_label), panel::kWhite);
  EXPECT_EQ(r.ui.Caption(Ctl::PortSelected), "278h");
  EXPECT_TRUE(std::filesystem::exists(r.SettingsPath()));
  EXPECT_GT(r.io.Totals().ins, 0);
}

TEST(StartUp, TakesTheBoardFromTheSettingsFileWithoutProbing) {
  StartUpRig r;
  std::ofstream(r.SettingsPath()) << "IO_PORT = 3BC\r\nMODEL = 4\r\n";
  ops::Programmer p(r.io, r.ui, r.clock, r.SettingsPath());
  p.StartUp();
  EXPECT_EQ(p.board.PortBase, 0x3BC);
  EXPECT_EQ(p.board.BoardModel, 4);
  EXPECT_EQ(r.ui.Caption(Ctl::MeldrixHardwareFound), "MODEL 4 - PC port 3BCh");
  EXPECT_EQ(r.ui.Value(panel::LPTSelection(2)), 1);
  EXPECT_EQ(r.io.Totals().ins, 0);  // no port was read: nothing probed
  std::ifstream in(r.SettingsPath(), std::ios::binary);
  const std::string text{std::istreambuf_iterator<char>(in), {}};
  EXPECT_EQ(text,
            "[MELDRIX5 SETUP]\r\nDATE = 12-07-2026 22:41:07\r\nIO_PORT = 3BC\r\nMODEL =  4 \r\n");
}

TEST(StartUp, NoBoardAnywhereLeavesNoPortAndTouchesNone) {
  StartUpRig r;
  ops::Programmer p(r.io, r.ui, r.clock, r.SettingsPath());
  p.StartUp();
  EXPECT_EQ(p.board.PortBase, 0);
  EXPECT_EQ(p.board.BoardModel, 0);
  EXPECT_EQ(r.ui.Caption(Ctl::MeldrixHardwareFound), "NO HARDWARE FOUND");
  EXPECT_FALSE(std::filesystem::exists(r.SettingsPath()));
  // Only the probes reached the ports; the closing Reset at port 0 was refused.
  for (const auto& e : r.io.PortAccesses()) {
    EXPECT_TRUE(platform::IsParallelPortAddress(e.port)) << std::hex << e.port;
  }
}

}  // namespace
