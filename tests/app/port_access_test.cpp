// The window tells the operator how the board is reached, and a simulated board follows the
// operator's choice of port and model.
#include <gtest/gtest.h>

#include <QAction>
#include <set>

#include "window_fixture.h"

namespace {

using panel::Ctl;

// Real access at the ports listed, a simulated board everywhere else.
class FakePortAccess final : public frontend::PortAccess {
 public:
  platform::Machine& Machine() override { return machine; }
  std::string Method(int16_t base) override {
    return base == 0x278 ? "278h through /dev/parport0" : "simulated board";
  }
  bool Simulated(int16_t base) override { return !real.contains(base); }
  void FollowPort(int16_t base) override { ports.push_back(base); }
  void FollowModel(int16_t model) override { models.push_back(model); }

  platform::RecordingMachine machine;
  std::set<int16_t> real = {0x278};
  std::vector<int16_t> ports, models;
};

struct Wired : app_testing::WindowUnderTest {
  Wired() { window.UsePortAccess(access); }
  FakePortAccess access;
};

TEST(PortAccessShown, SimulatedPortSaysSoInCaptionAndStatusBar) {
  Wired t;
  t.programmer.board.PortBase = 0x378;
  t.window.ShowPortAccess();
  EXPECT_EQ(t.window.windowTitle().toStdString(), "MELDRIX-5A Eprom Programmer - simulated board");
  EXPECT_EQ(t.window.StatusPort().toStdString(),
            "simulated board (no parallel-port access on this machine)");
  EXPECT_EQ(t.access.ports, std::vector<int16_t>{0x378});
}

TEST(PortAccessShown, RealPortShowsItsMethodAndTheUsualCaption) {
  Wired t;
  t.programmer.board.PortBase = 0x378;
  t.window.ShowPortAccess();
  // The operator's next action changes the port; the window catches up after it.
  t.programmer.board.PortBase = 0x278;
  t.Find<QAction>("mnuFileOpenCode")->trigger();
  EXPECT_EQ(t.window.StatusPort().toStdString(), "278h through /dev/parport0");
  EXPECT_FALSE(t.window.windowTitle().contains("simulated"));
  EXPECT_TRUE(t.window.windowTitle().startsWith("MELDRIX-5A Eprom Programmer - "));
  EXPECT_EQ(t.access.ports, std::vector<int16_t>{0x378});  // a real port moves no simulation
}

TEST(PortAccessShown, ForcedModelMovesOnlyASimulatedBoard) {
  Wired t;
  t.programmer.board.PortBase = 0x3BC;
  t.Find<QAction>("ForceMeldrix4")->trigger();
  ASSERT_FALSE(t.access.models.empty());
  EXPECT_EQ(t.access.models.front(), 4);  // before the core drives it as a model 4
  EXPECT_EQ(t.access.models.back(), 4);
  const size_t moves = t.access.models.size();
  t.programmer.board.PortBase = 0x278;
  t.Find<QAction>("ForceMeldrix5")->trigger();
  EXPECT_EQ(t.access.models.size(), moves);
}

TEST(PortAccessShown, NoPortKnownYet) {
  Wired t;
  t.programmer.board.PortBase = 0;
  t.window.ShowPortAccess();
  EXPECT_EQ(t.window.StatusPort().toStdString(), "no port selected");
  EXPECT_TRUE(t.access.ports.empty());
}

}  // namespace
