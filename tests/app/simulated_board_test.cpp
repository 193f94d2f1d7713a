// The program on a machine without parallel-port access: start-up finds the simulated board as
// it would find a real one and says plainly that it is simulated.
#include <gtest/gtest.h>

#include <QAction>
#include <QComboBox>
#include <QPushButton>
#include <QRadioButton>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "app/application.h"
#include "app/sysinfo.h"
#include "frontend/simulated_port_access.h"
#include "sim/sim_board.h"
#include "window_fixture.h"

namespace {

using panel::Ctl;

// No block has real access here, whatever the machine running the tests has.
struct OnSimulatedBoard : app_testing::WindowUnderTest {
  OnSimulatedBoard() {
    live = std::make_unique<ops::Programmer>(access.Machine(), window, clock,
                                             (directory.Path() / "meldrix5.ini").string());
    app::ConnectWindow(window, *live, access);
  }
  frontend::SimulatedPortAccess access{
      [](uint16_t, const auto&) { return std::unique_ptr<platform::PortIo>(); }};
  std::unique_ptr<ops::Programmer> live;
};

TEST(SimulatedBoard, StartUpFindsItAnnouncesItAndEndsWithAnEmptyLog) {
  OnSimulatedBoard t;
  t.window.Form_Load();
  EXPECT_EQ(t.window.Caption(Ctl::MeldrixHardwareFound), "MODEL 5 - PC port 378h");
  EXPECT_EQ(t.live->board.BoardModel, 5);
  EXPECT_EQ(t.window.Caption(Ctl::SystemLog), "");
  EXPECT_EQ(t.window.windowTitle().toStdString(), "MELDRIX-5A Eprom Programmer - simulated board");
  EXPECT_EQ(t.window.StatusPort().toStdString(),
            "simulated board (no parallel-port access on this machine)");
  EXPECT_EQ(t.sound.played.back(), "/sounds/init.wav");
}

TEST(SimulatedBoard, SettingsFileMovesTheSimulatedBoardToItsPortAndModel) {
  OnSimulatedBoard t;
  std::ofstream(t.directory.Path() / "meldrix5.ini")
      << "[MELDRIX5 SETUP]\r\nDATE = x\r\nIO_PORT = 3BC\r\nMODEL = 4\r\n";
  t.window.Form_Load();
  EXPECT_EQ(t.access.Board().Base(), 0x3BC);
  EXPECT_EQ(t.access.Board().Model(), 4);
  // A probe of the port now finds the model the file named.
  t.Find<QAction>("menuTestHardware")->trigger();
  EXPECT_EQ(t.live->board.BoardModel, 4);
  EXPECT_EQ(t.live->board.PortBase, 0x3BC);
}

TEST(SimulatedBoard, OperatorsPortAndForcedModelMoveTheSimulatedBoard) {
  OnSimulatedBoard t;
  t.window.Form_Load();
  t.window.show();
  app_testing::Click(t.Find<QRadioButton>("LPTSelection(1)"));
  EXPECT_EQ(t.live->board.PortBase, 0x278);
  EXPECT_EQ(t.access.Board().Base(), 0x278);
  t.Find<QAction>("ForceMeldrix4")->trigger();
  EXPECT_EQ(t.access.Board().Model(), 4);
  t.Find<QAction>("menuTestHardware")->trigger();
  EXPECT_EQ(t.live->board.BoardModel, 4);
  EXPECT_EQ(t.live->board.PortBase, 0x278);
}

std::string FileText(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// A machine whose port at 378h reaches a real board (played here by a second board model).
struct WithRealBoardAt378 : app_testing::WindowUnderTest {
  WithRealBoardAt378() {
    live = std::make_unique<ops::Programmer>(access.Machine(), window, clock,
                                             (directory.Path() / "meldrix5.ini").string());
    app::ConnectWindow(window, *live, access);
  }
  frontend::SimulatedPortAccess access{
      [](uint16_t base, const auto&) -> std::unique_ptr<platform::PortIo> {
        if (base != 0x378) return nullptr;
        return std::make_unique<sim::SimBoard>(5, 0x378);
      }};
  std::unique_ptr<ops::Programmer> live;
};

// The simulated board stands in only where no port is real: with a real board at 378h, the
// other blocks have no board at all, and the port the operator picks cannot make the simulated
// board win the probe and be stored as the board of the next start.
TEST(SimulatedBoard, NeverAnswersBesideARealBoardNorIsStoredAsOne) {
  {
    WithRealBoardAt378 t;
    t.window.Form_Load();
    t.window.show();
    EXPECT_EQ(t.live->board.PortBase, 0x378);
    app_testing::Click(t.Find<QRadioButton>("LPTSelection(2)"));
    EXPECT_EQ(t.window.StatusPort().toStdString(), "3BCh: no port on this machine");
    t.Find<QAction>("menuTestHardware")->trigger();
    EXPECT_EQ(t.live->board.PortBase, 0x378);
    EXPECT_NE(FileText(t.directory.Path() / "meldrix5.ini").find("IO_PORT = 378\r\n"),
              std::string::npos);
    EXPECT_NE(t.window.Caption(Ctl::SystemLog).find("Port 3BC Not Responding"), std::string::npos);
  }
  OnSimulatedBoard t;
  t.window.Form_Load();
  t.Find<QAction>("menuTestHardware")->trigger();
  EXPECT_EQ(t.live->board.BoardModel, 5);
  EXPECT_FALSE(std::filesystem::exists(t.directory.Path() / "meldrix5.ini"));
}

// The operator's whole road through the window: choose a device, read it, verify it from the
// toolbar, program it from the menu.
TEST(SimulatedBoard, SelectReadAndVerifyAnEpromThroughTheWindow) {
  OnSimulatedBoard t;
  t.window.Form_Load();
  t.window.show();
  auto* list = t.Find<QComboBox>("Device");
  const int row = list->findText("Eprom 2732A", Qt::MatchStartsWith);
  ASSERT_GE(row, 0);
  list->setCurrentIndex(row);
  emit list->activated(row);
  ASSERT_NE(t.access.Board().chip(), nullptr);  // the socket holds a 2732A now
  EXPECT_NE(t.window.Caption(Ctl::SystemLog).find("Device Eprom 2732A was Selected"),
            std::string::npos);

  app_testing::Click(t.Find<QPushButton>("Read_button"));
  ASSERT_TRUE(t.Find<QWidget>("VerifyButton")->isEnabled());
  app_testing::Click(t.Find<QPushButton>("VerifyButton"));
  EXPECT_TRUE(
      t.window.Caption(Ctl::SystemLog).ends_with("Device Contents MATCHES with Buffer Contents"));
  EXPECT_EQ(t.window.ForeColor(Ctl::Error_label), panel::kGreyText);
}

// A machine whose ports exist but cannot be had: the reasons are logged while start-up probes and
// that log is emptied at its end, so the port panel and the system information keep them.
TEST(SimulatedBoard, WhyAPortCannotBeReachedOutlivesTheStartUpLog) {
  struct Held : app_testing::WindowUnderTest {
    Held() {
      live = std::make_unique<ops::Programmer>(access.Machine(), window, clock,
                                               (directory.Path() / "meldrix5.ini").string());
      app::ConnectWindow(window, *live, access);
    }
    frontend::SimulatedPortAccess access{[](uint16_t base, const auto& note) {
      note(base == 0x378 ? "378h: /dev/parport0 cannot be claimed: Device or resource busy"
                         : "elsewhere: direct I/O refused");
      return std::unique_ptr<platform::PortIo>();
    }};
    std::unique_ptr<ops::Programmer> live;
  } t;
  t.window.Form_Load();
  ASSERT_EQ(t.live->board.PortBase, 0x378);
  EXPECT_EQ(t.window.Caption(Ctl::SystemLog), "");
  // Only the reason for the port in use, the one the operator looks at.
  EXPECT_EQ(t.Find<QWidget>("sbStatusBar.Port")->toolTip().toStdString(),
            "378h: /dev/parport0 cannot be claimed: Device or resource busy");
  const QString report = app::SystemInformationText(
      app::CollectSystemInformation({}, {}, false, t.window.PortNotes()));
  EXPECT_TRUE(report.contains("Not reached: 378h: /dev/parport0 cannot be claimed"))
      << report.toStdString();
  EXPECT_EQ(report.count("elsewhere: direct I/O refused"), 2);  // 278h and 3BCh, probed too
}

}  // namespace
