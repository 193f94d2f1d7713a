// The program on a machine without parallel-port access: start-up finds the simulated board as
// it would find a real one and says plainly that it is simulated.
#include <gtest/gtest.h>

#include <QAction>
#include <QComboBox>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <regex>

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
  EXPECT_EQ(t.window.Caption(Ctl::MeldrixHardwareFound), "SIMULATED MODEL 5 - port 378h");
  EXPECT_EQ(t.window.Caption(Ctl::Frame9), "Simulated Meldrix Board");
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
    EXPECT_EQ(t.window.Caption(Ctl::MeldrixHardwareFound), "MODEL 5 - PC port 378h");
    EXPECT_EQ(t.window.Caption(Ctl::Frame9), "Meldrix Hardware Found");
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
  // Where a real board is announced, the simulated one says what it is.
  const std::string log = t.window.Caption(Ctl::SystemLog);
  EXPECT_NE(
      log.find(">  Simulated MELDRIX-5 Board answers at Port: 378 (no real board is reached)"),
      std::string::npos);
  EXPECT_EQ(log.find("was FOUND"), std::string::npos);
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
  // The verdict, then the time the verify took on the simulated board's clock.
  const std::string log = t.window.Caption(Ctl::SystemLog);
  EXPECT_TRUE(
      std::regex_search(log, std::regex("Device Contents MATCHES with Buffer Contents\r\n"
                                        "[^\n]*>  Took 0\\.0*[1-9][0-9]* s on the board's clock$")))
      << log;
  EXPECT_EQ(t.window.ForeColor(Ctl::Error_label), panel::kGreyText);
}

void Choose(app_testing::WindowUnderTest& t, const char* device) {
  auto* list = t.Find<QComboBox>("Device");
  const int row = list->findText(device, Qt::MatchStartsWith);
  ASSERT_GE(row, 0);
  list->setCurrentIndex(row);
  emit list->activated(row);
}

// The socket menu is there only while the simulated board answers.
TEST(SimulatedSocket, MenuOnlyWithTheSimulatedBoard) {
  {
    OnSimulatedBoard t;
    t.window.Form_Load();
    EXPECT_TRUE(t.Find<QMenu>("mnuSimulatedSocket")->menuAction()->isVisible());
  }
  WithRealBoardAt378 t;
  t.window.Form_Load();
  EXPECT_FALSE(t.Find<QMenu>("mnuSimulatedSocket")->menuAction()->isVisible());
}

// A programmed EPROM cannot take another image; a blank one in its place can. A chip with a
// stuck data line gets the failure report, one from a file holds the file, one erased under the
// lamp is blank again, and the 2764 row takes its 21 V part and back.
TEST(SimulatedSocket, OperatorChangesTheChipWithoutRestarting) {
  OnSimulatedBoard t;
  t.window.Form_Load();
  t.window.show();
  Choose(t, "Eprom 27C256");
  // The operator's way: the image opened from a file, then Program.
  const auto program = [&t](uint8_t value) {
    const std::filesystem::path image = t.directory.Path() / "code.bin";
    std::ofstream(image, std::ios::binary) << std::string(16, static_cast<char>(value));
    t.dialogs.replies.push_back(QString::fromStdString(image.string()));
    t.Find<QAction>("mnuFileOpenCode")->trigger();
    app_testing::Click(t.Find<QPushButton>("Program_button"));
    const std::string log = t.window.Caption(Ctl::SystemLog);
    t.live->Error_label_Click();  // as the operator clears a failure
    const size_t pressed = log.rfind("Programming Button Pressed");
    return pressed == std::string::npos ? log : log.substr(pressed);
  };
  const auto last_line = [&t] {
    const std::string log = t.window.Caption(Ctl::SystemLog);
    return log.substr(log.rfind('\n') + 1);
  };
  EXPECT_NE(program(0x0F).find("Programming Device Successfull"), std::string::npos);
  EXPECT_NE(program(0xF0).find("*** Programming Failure ***"), std::string::npos);
  t.Find<QAction>("mnuSimBlankChip")->trigger();
  EXPECT_TRUE(last_line().ends_with("Simulated Socket: a blank 27C256 (12.5 V) is in the socket"));
  EXPECT_NE(program(0xF0).find("Programming Device Successfull"), std::string::npos);

  auto* socket = t.Find<QMenu>("mnuSimulatedSocket");
  emit socket->aboutToShow();
  const QList<QAction*> faults = t.Find<QMenu>("mnuSimFaultyChip")->actions();
  const auto stuck = std::find_if(faults.begin(), faults.end(),
                                  [](QAction* a) { return a->text().startsWith("Data line D3"); });
  ASSERT_NE(stuck, faults.end());
  (*stuck)->trigger();
  EXPECT_NE(program(0x5A).find("*** Programming Failure ***"), std::string::npos);

  const std::filesystem::path file = t.directory.Path() / "image.bin";
  std::ofstream(file, std::ios::binary) << "ROM";
  t.dialogs.replies.push_back(QString::fromStdString(file.string()));
  t.Find<QAction>("mnuSimChipFromFile")->trigger();
  EXPECT_EQ(t.access.Board().chip()->Contents()[1], 'O');
  EXPECT_EQ(t.access.Board().chip()->Contents()[3], 0xFF);
  t.Find<QAction>("mnuSimEraseChip")->trigger();
  EXPECT_EQ(t.access.Board().chip()->Contents()[1], 0xFF);
  EXPECT_TRUE(last_line().ends_with("was put under ultraviolet light: every byte reads FFh"));

  EXPECT_FALSE(t.Find<QAction>("mnuSimOtherVoltage")->isEnabled());  // one 27C256 only
  Choose(t, "Eprom 2764");
  emit socket->aboutToShow();
  t.Find<QAction>("mnuSimOtherVoltage")->trigger();
  EXPECT_TRUE(last_line().ends_with("a blank 2764 (21 V) is in the socket"));
  t.Find<QAction>("mnuSimOtherVoltage")->trigger();
  EXPECT_TRUE(last_line().ends_with("a blank 2764A (12.5 V) is in the socket"));
  // 25 V chosen for the 12.5 V part: the simulator says what it did to the chip.
  app_testing::Click(t.Find<QRadioButton>("Voltage_button(3)"));
  EXPECT_NE(program(0x00).find("Simulated Socket: the chip is damaged: 25 V on the VPP pin of a "
                               "2764A, whose absolute maximum is 14 V"),
            std::string::npos);
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
      app::CollectSystemInformation({}, {}, "needs root or CAP_SYS_RAWIO", t.window.PortNotes()));
  EXPECT_TRUE(report.contains("Not reached: 378h: /dev/parport0 cannot be claimed"))
      << report.toStdString();
  EXPECT_EQ(report.count("elsewhere: direct I/O refused"), 2);  // 278h and 3BCh, probed too
}

}  // namespace
