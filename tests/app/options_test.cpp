// Tools - Options through the real window: what it shows, what it keeps in the per-user store,
// and what the window does with it now and at the next start.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <filesystem>
#include <fstream>
#include <functional>
#include <vector>

#include "app/options_dialog.h"
#include "support/image.h"
#include "support/rom_lists.h"
#include "window_fixture.h"

namespace {

using app_testing::WindowUnderTest;
using panel::Ctl;

// Opens Tools - Options and lets `act` work the dialog as the operator would; it ends it.
void WorkOptions(WindowUnderTest& t, const std::function<void(app::frmOptions&)>& act) {
  bool seen = false;
  QTimer::singleShot(0, [&] {
    QWidget* modal = QApplication::activeModalWidget();
    if (auto* dialog = qobject_cast<app::frmOptions*>(modal)) {
      seen = true;
      act(*dialog);
    } else if (modal != nullptr) {
      modal->close();
    }
  });
  t.Find<QAction>("mnuToolsOptions")->trigger();
  EXPECT_TRUE(seen);
}

template <typename W>
W* In(app::frmOptions& dialog, const char* name) {
  return dialog.findChild<W*>(name);
}

TEST(OptionsDialog, RoundTripThroughTheStoreTheWindowAndTheNextStart) {
  ::setenv("XDG_DATA_HOME", "/data", 1);
  WindowUnderTest t;
  t.window.Form_Load();
  t.window.show();
  const std::string port_in_force = t.window.Value(panel::LPTSelection(0)) != 0 ? "378h" : "278h";

  WorkOptions(t, [&](app::frmOptions& d) {
    EXPECT_EQ(d.objectName(), "frmOptions");
    EXPECT_EQ(In<QComboBox>(d, "OptionsPort")->currentText().toStdString(), port_in_force);
    EXPECT_EQ(In<QLabel>(d, "OptionsAccess")->text(), t.window.StatusPort());
    EXPECT_TRUE(In<QCheckBox>(d, "OptionsSimulatedBoard")->isChecked());
    EXPECT_FALSE(In<QCheckBox>(d, "OptionsCheckBlank")->isChecked());
    EXPECT_FALSE(In<QCheckBox>(d, "OptionsVerifyAfter")->isChecked());
    EXPECT_FALSE(In<QCheckBox>(d, "OptionsFastPath")->isChecked());
    EXPECT_EQ(In<QLineEdit>(d, "OptionsDatFolder")->text(), "/data/meldrix5/dats");
    In<QCheckBox>(d, "OptionsFastPath")->setChecked(true);
    In<QCheckBox>(d, "OptionsSimulatedBoard")->setChecked(false);
    In<QCheckBox>(d, "OptionsCheckBlank")->setChecked(true);
    t.dialogs.replies = {"/roms"};
    In<QPushButton>(d, "OptionsDatFolderBrowse")->click();
    In<QComboBox>(d, "OptionsPort")->setCurrentIndex(2);
    d.accept();
  });
  ::unsetenv("XDG_DATA_HOME");
  EXPECT_TRUE(t.dialogs.boxes.empty());  // no placeholder box
  EXPECT_EQ(t.settings.values["Options/SimulatedBoard"], "0");
  EXPECT_EQ(t.settings.values["Options/CheckBlankBeforeProgramming"], "1");
  EXPECT_EQ(t.settings.values["Options/VerifyAfterProgramming"], "0");
  EXPECT_EQ(t.settings.values["RomLists/DatFolder"], "/roms");
  EXPECT_EQ(t.settings.values["Options/FastPath"], "1");
  EXPECT_TRUE(t.programmer.board.FastPath());
  // The changed default shows at once; the port is chosen as its option chooses it.
  EXPECT_EQ(t.window.Value(Ctl::CheckBlankPriorProgramming), 1);
  EXPECT_EQ(t.window.Value(Ctl::VerifyAfterProgramming), 0);
  EXPECT_EQ(t.window.Value(panel::LPTSelection(2)), 1);
  EXPECT_EQ(t.programmer.board.PortBase, 0x3BC);
  EXPECT_TRUE(t.window.Caption(Ctl::SystemLog).ends_with(">  Port Selection changed to 3BCh"));

  // Cancel keeps the store as it was, whatever was changed in the dialog.
  const int puts = t.settings.puts;
  WorkOptions(t, [&](app::frmOptions& d) {
    EXPECT_EQ(In<QLineEdit>(d, "OptionsDatFolder")->text(), "/roms");
    EXPECT_FALSE(In<QCheckBox>(d, "OptionsSimulatedBoard")->isChecked());
    In<QCheckBox>(d, "OptionsVerifyAfter")->setChecked(true);
    d.reject();
  });
  EXPECT_EQ(t.settings.puts, puts);
  EXPECT_EQ(t.window.Value(Ctl::VerifyAfterProgramming), 0);

  // The next start begins with the auto operations as set up.
  WindowUnderTest next;
  next.settings.values = t.settings.values;
  next.window.Form_Load();
  EXPECT_EQ(next.window.Value(Ctl::CheckBlankPriorProgramming), 1);
  EXPECT_EQ(next.window.Value(Ctl::VerifyAfterProgramming), 0);
  EXPECT_TRUE(next.programmer.board.FastPath());
}

// A ROM of its own in a DAT folder of its own.
std::filesystem::path DatFolderWith(WindowUnderTest& t, const std::string& list,
                                    const std::vector<uint8_t>& rom) {
  const std::filesystem::path folder = t.directory.Path() / list;
  std::filesystem::create_directories(folder);
  std::ofstream(folder / "roms.dat") << testing_support::OneRomDat(list, "mon.bin", rom);
  return folder;
}

// Loads the ROM into the code buffer and asks Tools - Identify ROM in Code Buffer for its name.
std::string Identify(WindowUnderTest& t, const std::vector<uint8_t>& rom) {
  std::copy(rom.begin(), rom.end(), t.programmer.buf.CodeBuffer.begin());
  testing_support::TakeAsImage(t.programmer, static_cast<int32_t>(rom.size()));
  t.Find<QAction>("mnuToolsIdentifyCode")->trigger();
  const std::string log = t.window.Caption(Ctl::SystemLog);
  return log.substr(log.rfind('>') + 3);
}

int CountOf(const std::string& text, const std::string& part) {
  int count = 0;
  for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++count;
  return count;
}

// The DAT folder in force is indexed after start-up on a thread of its own, and again when
// Options chooses another; Identify names a ROM by the index in force.
TEST(OptionsDialog, TheDatFolderChosenIsIndexedAndNamesItsRoms) {
  WindowUnderTest t;
  std::vector<uint8_t> first(4096), second(2048);
  for (size_t i = 0; i < first.size(); ++i) first[i] = static_cast<uint8_t>(i * 7 + i / 256);
  for (size_t i = 0; i < second.size(); ++i) second[i] = static_cast<uint8_t>(i * 13 + 1);
  t.settings.values["RomLists/DatFolder"] = DatFolderWith(t, "Workshop ROMs", first).string();
  const std::filesystem::path index = t.directory.Path() / "index.sqlite";
  t.window.IndexRomLists(index.string(), (t.directory.Path() / "no-hash").string());
  EXPECT_FALSE(std::filesystem::exists(index)) << "nothing is indexed before start-up";
  t.window.Form_Load();
  const auto indexed = [&](int times) {
    return QTest::qWaitFor(
        [&] {
          return CountOf(t.window.Caption(Ctl::SystemLog), "1 ROM entries of 1 lists indexed") ==
                 times;
        },
        30000);
  };
  ASSERT_TRUE(indexed(1));
  EXPECT_EQ(t.window.StatusRomLists(), "");
  EXPECT_EQ(Identify(t, first), "Identified: mon.bin of Bench Monitor (Workshop ROMs, 1984, Acme)");

  const std::string other = DatFolderWith(t, "Second ROMs", second).string();
  WorkOptions(t, [&](app::frmOptions& d) {
    In<QLineEdit>(d, "OptionsDatFolder")->setText(QString::fromStdString(other));
    d.accept();
  });
  ASSERT_TRUE(indexed(2));
  EXPECT_EQ(Identify(t, second), "Identified: mon.bin of Bench Monitor (Second ROMs, 1984, Acme)");
  EXPECT_EQ(Identify(t, first), "Not in the ROM lists (1 entries searched)");
}

}  // namespace
