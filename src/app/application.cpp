#include "app/application.h"

#include <QApplication>
#include <QStyleFactory>

#include "app/frm_main.h"
#include "app/qt_settings_store.h"
#include "app/qt_sound_player.h"
#include "operations/programmer.h"
#include "platform/dirs.h"
#include "platform/machine.h"
#include "platform/port_io.h"

namespace app {

int RunProgram(int argc, char* argv[]) {
  QApplication application(argc, argv);
  QApplication::setApplicationName("MELDRIX5N");
  // A style that honours the colours the program gives its labels and buttons.
  if (QStyle* fusion = QStyleFactory::create("Fusion")) QApplication::setStyle(fusion);

  platform::NullPort no_board;
  platform::LiveMachine machine(no_board);
  platform::SystemClock clock;
  QtSettingsStore settings;
  QtSoundPlayer sound;
  frmMain window(clock, sound, settings, platform::ExecutableDirectory());
  ops::Programmer programmer(machine, window, clock,
                             platform::JoinPath(platform::ProgramDirectory(), "meldrix5.ini"));
  window.Attach(programmer);
  window.Form_Load();
  window.show();
  return QApplication::exec();
}

}  // namespace app
