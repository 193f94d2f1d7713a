#include "app/application.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QIcon>
#include <QStyleFactory>
#include <memory>
#include <optional>

#include "app/frm_main.h"
#include "app/qt_settings_store.h"
#include "app/qt_sound_player.h"
#include "frontend/simulated_port_access.h"
#include "frontend/user_options.h"
#include "operations/programmer.h"
#include "platform/dirs.h"
#include "platform/signals.h"
#include "romlists/rom_index.h"

namespace app {
namespace {

// The chip-in-socket drawing in every size the program carries.
QIcon WindowIcon() {
  QIcon icon;
  for (const QFileInfo& image :
       QDir(":/icons/hicolor").entryInfoList(QDir::Dirs | QDir::NoDotAndDotDot)) {
    icon.addFile(image.filePath() + "/apps/meldrix5.png");
  }
  return icon;
}

}  // namespace

void ConnectWindow(frmMain& window, ops::Programmer& programmer, frontend::PortAccess& access) {
  programmer.DeviceSelected = [&access](std::string_view name) { access.InsertDevice(name); };
  programmer.detect.PortChanged = [&window] { window.ShowPortAccess(); };
  programmer.detect.BoardIsSimulated = [&access](int16_t base) { return access.Simulated(base); };
  access.SendNotesTo([&window](std::string_view text) { window.LogMessage(text); });
  window.Attach(programmer);
  window.UsePortAccess(access);
}

int RunProgram(int argc, char* argv[]) {
  QApplication application(argc, argv);
  QApplication::setApplicationName("MELDRIX5N");
  // The desktop matches the window to its menu entry and shows the entry's icon.
  QGuiApplication::setDesktopFileName("org.meldrix5n.meldrix5");
  QApplication::setWindowIcon(WindowIcon());
  // A style that honours the colours the program gives its labels and buttons.
  if (QStyle* fusion = QStyleFactory::create("Fusion")) QApplication::setStyle(fusion);

  QtSettingsStore settings;
  // Where no parallel port can be reached, the simulated board answers unless the operator
  // turned it off in Tools - Options.
  std::unique_ptr<frontend::PortAccess> port_access;
  if (frontend::ReadUserOptions(settings, {}).simulated_board) {
    port_access = std::make_unique<frontend::SimulatedPortAccess>();
  } else {
    port_access = std::make_unique<frontend::RealPortAccess>();
  }
  platform::SystemClock clock;
  QtSoundPlayer sound;
  frmMain window(clock, sound, settings, platform::SoundDirectory());
  ops::Programmer programmer(port_access->Machine(), window, clock,
                             platform::JoinPath(platform::ProgramDirectory(), "meldrix5.ini"));
  window.IndexRomLists(romlists::DefaultIndexPath(), romlists::DefaultSources().software_lists);
  return RunWindow(window, programmer, *port_access);
}

int RunWindow(frmMain& window, ops::Programmer& programmer, frontend::PortAccess& access) {
  platform::StopSignals stop_signals;
  std::optional<platform::FatalSignalReset> fatal_reset;
  if (platform::PortIo* port = access.Port()) fatal_reset.emplace(*port);
  ConnectWindow(window, programmer, access);
  window.UseStopSignals(&stop_signals);
  if (fatal_reset) window.UseFatalSignalReset(&*fatal_reset);
  window.Form_Load();
  window.show();
  const int status = QApplication::exec();
  window.UseStopSignals(nullptr);
  window.UseFatalSignalReset(nullptr);
  return status;
}

}  // namespace app
