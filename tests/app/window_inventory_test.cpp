// The window's controls, menu tree and toolbar against the tables of the window's design.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QSlider>
#include <QStatusBar>
#include <QToolBar>

#include "window_fixture.h"

namespace {

using app_testing::WindowUnderTest;

enum class Kind { Frame, Label, Button, Check, Option, TextBox, Field, List, Scroll, Slider, Bar };

struct ControlRow {
  const char* name;
  Kind kind;
  const char* caption;  // nullptr: the control has none to compare
  const char* tooltip;
};

const char* const kCareful =
    "Carefull. Few Eproms Use This Programming Voltage.  Can damage wrong eproms.";

const ControlRow kControls[] = {
    {"Frame6", Kind::Frame, "System Log", ""},
    {"SystemLog", Kind::TextBox, "", "Double Click to Save to Meldrix5.Log file"},
    {"Frame3", Kind::Frame, "File Hex Display", ""},
    {"VScroll1", Kind::Scroll, nullptr, ""},
    {"BufferDisplay", Kind::TextBox, "", "Double Click to Save to Meldrix5.Buf file"},
    {"Frame9", Kind::Frame, "Meldrix Hardware Found", ""},
    {"MeldrixHardwareFound", Kind::Label, "NO HARDWARE FOUND", ""},
    {"Show_button", Kind::Button, "Show Data", ""},
    {"TestHardware_button", Kind::Button, "TestPort", "Test Communication LPT port"},
    {"EraseFlash_button", Kind::Button, "Erase Flsh", "Erase Flash or Eeprom"},
    {"Frame8", Kind::Frame, "", ""},
    {"CheckData", Kind::Check, "Data", ""},
    {"CheckCode", Kind::Check, "Code", ""},
    {"Frame7", Kind::Frame, "", ""},
    {"Blank_button", Kind::Button, "Blank Chk", "Check Device for Blank (Erased)"},
    {"Display_button", Kind::Button, "Display", "Display Device's contents on Screen"},
    {"Program_button", Kind::Button, "Program", "Program Device with Buffer Data"},
    {"Verify_button", Kind::Button, "Verify", "Verify (Compare) Device with File"},
    {"Erase_button", Kind::Button, "Erase Buffer", "Erase Buffer to all \"FF\""},
    {"Read_button", Kind::Button, "Read ", "Read Whole Device to Buffer"},
    {"Frame1", Kind::Frame, "", ""},
    {"Frame10", Kind::Frame, "Hi / Low Byte Programming", "All Bytes, Even Bytes or Odd Bytes"},
    {"HiLow_button(0)", Kind::Option, "Both", ""},
    {"HiLow_button(1)", Kind::Option, "Hi Byte", ""},
    {"HiLow_button(2)", Kind::Option, "Low Byte", ""},
    {"Slider1", Kind::Slider, nullptr, "Slow Down or Speed Up Programming Speed"},
    {"Label4", Kind::Label, "Program Speed", ""},
    {"FrameVoltageSelection", Kind::Frame, "Select Device Programming Voltage", ""},
    {"Voltage_button(0)", Kind::Option, "5V", ""},
    {"Voltage_button(1)", Kind::Option, "12.5V",
     "Most CMOS actual Eproms use this Programming Voltage."},
    {"Voltage_button(2)", Kind::Option, "21V", kCareful},
    {"Voltage_button(3)", Kind::Option, "25V", kCareful},
    {"Frame4", Kind::Frame, "LPT Port Selection", ""},
    {"LPTSelection(0)", Kind::Option, "378h", ""},
    {"LPTSelection(1)", Kind::Option, "278h", ""},
    {"LPTSelection(2)", Kind::Option, "3BCh", ""},
    {"PortSelected", Kind::Field, "", ""},
    {"Frame5", Kind::Frame, "Optional Auto Operations", ""},
    {"CheckBlankPriorProgramming", Kind::Check, "Check Blank Before Programming", ""},
    {"VerifyAfterProgramming", Kind::Check, "Verify Device After Programming", ""},
    {"Frame2", Kind::Frame, "Select Device", ""},
    {"Device", Kind::List, "Please Select Device on this List", ""},
    {"PleaseSelect", Kind::Label, "Please  Select Device", ""},
    {"ProgressBar1", Kind::Bar, nullptr, ""},
    {"VerifyButton", Kind::Button, "Verify", ""},
    {"CompareButton", Kind::Button, "Compare",
     "Compare every byte of the Device with the Buffer and say what differs"},
    {"FileNameCodeLabel", Kind::Label, "File Name (Code):", ""},
    {"FileNameCodeText", Kind::Label, "Click To Select a File", ""},
    {"FileNameCodeSize", Kind::Label, "(0 Bytes)", ""},
    {"FileNameDataLabel", Kind::Label, "File Name (Data):", ""},
    {"FileNameDataText", Kind::Label, "Click To Select a File", ""},
    {"FileNameDataSize", Kind::Label, "(0 Bytes)", ""},
    {"Error_label", Kind::Label, "ERROR", ""},
    {"Program_label", Kind::Label, "Program", ""},
    {"DataFlow_label", Kind::Label, "DataFlow", ""},
    {"Ready_label", Kind::Label, "HwReady", ""},
    {"Command1", Kind::Button, "Command1", ""},
};

// The caption of a control as the operator sees it, by the kind the table names.
std::optional<QString> ShownCaption(QWidget* w, Kind kind) {
  switch (kind) {
    case Kind::Frame:
      if (auto* f = qobject_cast<QGroupBox*>(w)) return f->title();
      break;
    case Kind::Label:
      if (auto* l = qobject_cast<QLabel*>(w)) return l->text();
      break;
    case Kind::Button:
      if (auto* b = qobject_cast<QPushButton*>(w)) return b->text();
      break;
    case Kind::Check:
      if (auto* c = qobject_cast<QCheckBox*>(w)) return c->text();
      break;
    case Kind::Option:
      if (auto* o = qobject_cast<QRadioButton*>(w)) return o->text();
      break;
    case Kind::TextBox:
      if (auto* t = qobject_cast<QPlainTextEdit*>(w)) return t->toPlainText();
      break;
    case Kind::Field:
      if (auto* e = qobject_cast<QLineEdit*>(w)) return e->text();
      break;
    case Kind::List:
      if (auto* l = qobject_cast<QComboBox*>(w)) {
        return l->currentIndex() < 0 ? l->placeholderText() : l->currentText();
      }
      break;
    case Kind::Scroll:
      if (qobject_cast<QScrollBar*>(w) != nullptr) return QString();
      break;
    case Kind::Slider:
      if (qobject_cast<QSlider*>(w) != nullptr) return QString();
      break;
    case Kind::Bar:
      if (qobject_cast<QProgressBar*>(w) != nullptr) return QString();
      break;
  }
  return std::nullopt;  // not the kind of widget the table says
}

TEST(WindowInventory, EveryControlHasItsKindCaptionAndTooltip) {
  WindowUnderTest t;
  t.window.show();
  for (const ControlRow& row : kControls) {
    SCOPED_TRACE(row.name);
    auto* widget = t.Find<QWidget>(row.name);
    ASSERT_NE(widget, nullptr);
    const auto caption = ShownCaption(widget, row.kind);
    ASSERT_TRUE(caption.has_value()) << "wrong kind: " << widget->metaObject()->className();
    if (row.caption != nullptr) {
      EXPECT_EQ(caption->toStdString(), row.caption);
    }
    EXPECT_EQ(widget->toolTip().toStdString(), row.tooltip);
    EXPECT_FALSE(widget->isHidden());
  }
}

TEST(WindowInventory, WindowCaptionBeginsWithTheProgramName) {
  WindowUnderTest t;
  EXPECT_TRUE(t.window.windowTitle().startsWith("MELDRIX-5A Eprom Programmer - "));
  EXPECT_GT(t.window.windowTitle().size(), QString("MELDRIX-5A Eprom Programmer - ").size());
  EXPECT_EQ(t.window.objectName(), "frmMain");
}

TEST(WindowInventory, ControlsInsideTheirFrames) {
  WindowUnderTest t;
  const std::pair<const char*, const char*> inside[] = {
      {"SystemLog", "Frame6"},
      {"VScroll1", "Frame3"},
      {"BufferDisplay", "Frame3"},
      {"MeldrixHardwareFound", "Frame9"},
      {"HiLow_button(0)", "Frame10"},
      {"HiLow_button(1)", "Frame10"},
      {"HiLow_button(2)", "Frame10"},
      {"Voltage_button(0)", "FrameVoltageSelection"},
      {"Voltage_button(1)", "FrameVoltageSelection"},
      {"Voltage_button(2)", "FrameVoltageSelection"},
      {"Voltage_button(3)", "FrameVoltageSelection"},
      {"PortSelected", "Frame4"},
      {"VerifyButton", "tbToolBar"},
      {"CompareButton", "tbToolBar"},
  };
  for (const auto& [child, frame] : inside) {
    SCOPED_TRACE(child);
    auto* widget = t.Find<QWidget>(child);
    ASSERT_NE(widget, nullptr);
    ASSERT_NE(widget->parentWidget(), nullptr);
    EXPECT_EQ(widget->parentWidget()->objectName().toStdString(), frame);
  }
  // The port options are one group of the window itself, not of the port frame.
  auto* port_option = t.Find<QWidget>("LPTSelection(0)");
  EXPECT_EQ(port_option->parentWidget(), t.Find<QWidget>("Frame4")->parentWidget());
}

TEST(WindowInventory, DesignTimeSelectionsAndRanges) {
  WindowUnderTest t;
  const std::pair<const char*, bool> options[] = {
      {"HiLow_button(0)", true},    {"HiLow_button(1)", false},  {"HiLow_button(2)", false},
      {"Voltage_button(0)", false}, {"Voltage_button(1)", true}, {"Voltage_button(2)", false},
      {"Voltage_button(3)", false}, {"LPTSelection(0)", false},  {"LPTSelection(1)", true},
      {"LPTSelection(2)", false},
  };
  for (const auto& [name, checked] : options) {
    EXPECT_EQ(t.Find<QRadioButton>(name)->isChecked(), checked) << name;
  }
  auto* slider = t.Find<QSlider>("Slider1");
  EXPECT_EQ(slider->minimum(), 1);
  EXPECT_EQ(slider->maximum(), 20);
  EXPECT_EQ(slider->singleStep(), 1);
  EXPECT_EQ(slider->pageStep(), 5);
  EXPECT_EQ(slider->value(), 18);
  EXPECT_EQ(t.Find<QComboBox>("Device")->currentIndex(), -1);
  EXPECT_EQ(t.Find<QProgressBar>("ProgressBar1")->maximum(), 100);
  EXPECT_EQ(t.Find<QProgressBar>("ProgressBar1")->value(), 0);
  EXPECT_TRUE(t.Find<QWidget>("BufferDisplay")->font().family().startsWith("Arial Monospaced"));
}

struct MenuRow {
  const char* name;
  const char* caption;
  bool enabled;
};

// Each menu's entries from top to bottom; "-" entries are separators.
const std::vector<std::pair<const char*, std::vector<MenuRow>>> kMenus = {
    {"mnuFile",
     {{"mnuFileOpenCode", "&Open Code...", true},
      {"mnuFileSaveCode", "&Save Code", false},
      {"mnuFileSaveCodeAs", "Save Code &As...", false},
      {"mnuCommandBar3", "-", true},
      {"mnuFileOpenData", "Open Data...", false},
      {"mnuFileSaveData", "Save Data", false},
      {"mnuFileSaveDataAs", "Save Data As...", false},
      {"mnuCommandBar4", "-", true},
      {"mnuFileClose", "&Close", true},
      {"mnuFileExit", "E&xit", true}}},
    {"mnuTools",
     {{"mnuToolsIdentifyCode", "&Identify ROM in Code Buffer", true},
      {"mnuToolsBar0", "-", true},
      {"mnuToolsOptions", "&Options...", true}}},
    {"menuCommand",
     {{"menuBlankCheck", "Blank Check Device for Erased", true},
      {"xxx8", "-", true},
      {"menuProgramCode", "Program Device Code", true},
      {"menuReadCode", "Read Device Code", true},
      {"menuVerifyCode", "Verify Device Code", true},
      {"menuCompareCode", "Compare Device Code with Buffer", false},
      {"xxx6", "-", true},
      {"menuProgramData", "Program Device Data", true},
      {"menuReadData", "Read Device Data", true},
      {"menuVerifyData", "Verify Device Data", true},
      {"menuCommandBar0", "-", true},
      {"menuDisplayCode", "Display Device CODE", true},
      {"menuDisplayData", "Display Device DATA", true},
      {"menuNextDifference", "Next Difference", false},
      {"menuPreviousDifference", "Previous Difference", false},
      {"menuCommandBar2", "-", true},
      {"menuEraseCode", "Erase CODE Buffer (\"FF\") ", true},
      {"menuEraseData", "Erase DATA Buffer (\"FF\") ", true},
      {"menuEraseFlash", "Erase Device Flash Memory", true},
      {"xxx10", "-", true},
      {"menuTestHardware", "Test LPT Ports", true},
      {"xxx11", "-", true},
      {"menuFlashShowCodeID", "Show Flash Code ID#", true}}},
    {"Setup",
     {{"LoadSetup", "&Load Setup", true},
      {"xxx4", "-", true},
      {"SaveSetup", "&Save Setup", true},
      {"xxx9", "-", true},
      {"ForceMeldrix4", "Force Set MELDRIX-4", true},
      {"ForceMeldrix5", "Force Set MELDRIX-5", true},
      {"xxx12", "-", true},
      {"LoopFlashTest", "LoopFlashTest", false},
      {"ResetFlash", "ResetFlash", false}}},
    {"LoadSetup",
     {{"LoadSetup1", "Load Setup #&1", false},
      {"LoadSetup2", "Load Setup #&2", false},
      {"LoadSetup3", "Load Setup #&3", false},
      {"LoadSetup4", "Load Setup #&4", false}}},
    {"SaveSetup",
     {{"SaveSetup1", "Save Setup #&1", true},
      {"SaveSetup2", "Save Setup #&2", true},
      {"SaveSetup3", "Save Setup #&3", true},
      {"SaveSetup4", "Save Setup #&4", true}}},
    {"mnuHelp",
     {{"mnuHelpContents", "&Contents", true},
      {"mnuHelpSearchForHelpOn", "&Search For Help On...", true},
      {"mnuHelpBar0", "-", true},
      {"mnuHelpAbout", "&About ", true}}},
};

TEST(WindowInventory, MenuTreeInOrderWithCaptionsSeparatorsAndDisabledEntries) {
  WindowUnderTest t;
  for (const auto& [menu_name, entries] : kMenus) {
    SCOPED_TRACE(menu_name);
    auto* menu = t.Find<QMenu>(menu_name);
    ASSERT_NE(menu, nullptr);
    const QList<QAction*> actions = menu->actions();
    ASSERT_EQ(actions.size(), static_cast<qsizetype>(entries.size()));
    for (size_t i = 0; i < entries.size(); ++i) {
      const MenuRow& row = entries[i];
      const QAction* action = actions[static_cast<qsizetype>(i)];
      SCOPED_TRACE(row.name);
      EXPECT_EQ(action->objectName().toStdString(), row.name);
      EXPECT_EQ(action->isSeparator(), std::string_view(row.caption) == "-");
      EXPECT_EQ(action->text().toStdString(), row.caption);
      EXPECT_EQ(action->isEnabled(), row.enabled);
    }
  }
}

// The five menus of the menu tree, and the Display menu of the buffer editor.
TEST(WindowInventory, MenuBarHoldsTheMenusWithAccessKeys) {
  WindowUnderTest t;
  std::vector<std::string> bar;
  // The simulated board's socket menu is hidden: no simulated board here.
  for (const QAction* action : t.window.menuBar()->actions()) {
    if (action->isVisible()) {
      bar.push_back(action->objectName().toStdString() + " " + action->text().toStdString());
    }
  }
  EXPECT_EQ(bar,
            (std::vector<std::string>{"mnuFile &File", "mnuTools &Tools", "menuCommand &Command",
                                      "mnuDisplay &Display", "Setup &Setup", "mnuHelp &Help"}));
}

TEST(WindowInventory, ToolbarButtonsByKeyThenTheVerifyAndCompareButtons) {
  WindowUnderTest t;
  auto* bar = t.Find<QToolBar>("tbToolBar");
  ASSERT_NE(bar, nullptr);
  const QList<QAction*> actions = bar->actions();
  ASSERT_EQ(actions.size(), 7);
  struct Button {
    const char* key;
    const char* image;
    const char* tooltip;
  };
  const Button buttons[] = {{"OpenCode", "Open", "Open File into Code Buffer"},
                            {"SaveCode", "Save", "Save Code Buffer Into File"},
                            {nullptr, nullptr, nullptr},
                            {"OpenData", "Open", "Open File into Data Buffer"},
                            {"SaveData", "Save", "Save Data Buffer into File"}};
  for (int i = 0; i < 5; ++i) {
    SCOPED_TRACE(i);
    if (buttons[i].key == nullptr) {
      EXPECT_TRUE(actions[i]->isSeparator());
      continue;
    }
    EXPECT_EQ(actions[i]->objectName().toStdString(), buttons[i].key);
    EXPECT_EQ(actions[i]->property("image").toString().toStdString(), buttons[i].image);
    EXPECT_EQ(actions[i]->toolTip().toStdString(), buttons[i].tooltip);
    EXPECT_FALSE(actions[i]->icon().isNull());
  }
  EXPECT_EQ(t.Find<QObject>("imlToolbarIcons")->property("keys").toStringList(),
            (QStringList{"Open", "Save", "Camera", "Burn1"}));
  EXPECT_EQ(bar->widgetForAction(actions[5]), t.Find<QWidget>("VerifyButton"));
  EXPECT_EQ(bar->widgetForAction(actions[6]), t.Find<QWidget>("CompareButton"));
}

TEST(WindowInventory, StatusBarShowsStatusDateAndTime) {
  WindowUnderTest t;
  EXPECT_EQ(t.window.Caption(panel::Ctl::sbStatusBar), "Status");
  EXPECT_EQ(t.window.StatusDate().toStdString(), t.clock.date);
  EXPECT_EQ(t.window.StatusTime().toStdString(), t.clock.time);
}

}  // namespace
