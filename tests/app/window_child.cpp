// The program's window on the simulated board, run as a child process by the signal test:
// programs a 27C512 through the window, says "running" once the programming is under way, and
// after the window has closed tells what the board's latches and the log were left with.
#include <QApplication>
#include <QComboBox>
#include <QPushButton>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <string>

#include "app/application.h"
#include "frontend/simulated_port_access.h"
#include "support/image.h"
#include "window_fixture.h"

int main(int argc, char* argv[]) {
  if (argc < 2) return 2;
  const std::string directory = argv[1];
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication application(argc, argv);
  testing_support::FakeClock clock;
  app_testing::MemorySettings settings;
  app_testing::RecordingSound sound;
  app_testing::FakeDialogs::State dialogs;
  // Never the machine's own ports: the simulated board answers everywhere.
  frontend::SimulatedPortAccess access{
      [](uint16_t, const auto&) { return std::unique_ptr<platform::PortIo>(); }};
  app::frmMain window(clock, sound, settings, "/sounds",
                      std::make_unique<app_testing::FakeDialogs>(dialogs));
  ops::Programmer programmer(access.Machine(), window, clock, directory + "/meldrix5.ini");

  QTimer::singleShot(0, &window, [&] {
    auto* list = window.findChild<QComboBox*>("Device");
    const int row = list->findText("Eprom 27C512", Qt::MatchStartsWith);
    list->setCurrentIndex(row);
    emit list->activated(row);
    // An image of 00h throughout, as if loaded from a file: every byte takes pulses.
    std::fill_n(programmer.buf.CodeBuffer.begin(), programmer.dev.DeviceSize, uint8_t{0x00});
    testing_support::TakeAsImage(programmer, programmer.dev.DeviceSize);
    window.SetEnabled(panel::Ctl::Program_button, true);
    window.SetValue(panel::Ctl::CheckCode, 1);
    window.findChild<QPushButton*>("Program_button")->click();
  });
  bool told = false;
  QTimer running;
  running.setInterval(5);
  QObject::connect(&running, &QTimer::timeout, [&] {
    if (told || !window.OperationRunning()) return;
    told = true;
    std::printf("running\n");
    std::fflush(stdout);
  });
  running.start();

  const int status = app::RunWindow(window, programmer, access);
  std::printf("status %d\nlatch0 %02X\nlatch3 %02X\nlog %s\n", status, access.Board().Latch(0),
              access.Board().Latch(3), window.Caption(panel::Ctl::SystemLog).c_str());
  return status;
}
