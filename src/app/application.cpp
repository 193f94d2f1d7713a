#include "app/application.h"

#include <QApplication>
#include <QStyleFactory>

#include "app/frm_main.h"
#include "app/qt_settings_store.h"
#include "app/qt_sound_player.h"
#include "app/simulated_port_access.h"
#include "operations/programmer.h"
#include "platform/dirs.h"

namespace app {

int RunProgram(int argc, char* argv[]) {
  QApplication application(argc, argv);
  QApplication::setApplicationName("MELDRIX5N");
  // A style that honours the colours the program gives its labels and buttons.
  if (QStyle* fusion = QStyleFactory::create("Fusion")) QApplication::setStyle(fusion);

  SimulatedPortAccess port_access;
  platform::SystemClock clock;
  QtSettingsStore settings;
  QtSoundPlayer sound;
  frmMain window(clock, sound, settings, platform::ExecutableDirectory());
  ops::Programmer programmer(port_access.Machine(), window, clock,
                             platform::JoinPath(platform::ProgramDirectory(), "meldrix5.ini"));
  programmer.DeviceSelected = [&port_access](std::string_view name) {
    port_access.InsertDevice(name);
  };
  window.Attach(programmer);
  window.UsePortAccess(port_access);
  port_access.notes = [&window](std::string_view text) { window.LogMessage(text); };
  programmer.detect.PortChanged = [&window] { window.ShowPortAccess(); };
  window.Form_Load();
  window.show();
  return QApplication::exec();
}

}  // namespace app
