// The main window's menu tree and toolbar, as tables.
#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QStyle>
#include <QStyleOptionMenuItem>
#include <QToolBar>
#include <map>

#include "app/control_names.h"
#include "app/frm_main.h"
#include "operations/programmer.h"

namespace app {
namespace {

using panel::Ctl;
using P = ops::Programmer;

// A separator keeps "-" as its caption, as the menu tree names it, and is drawn as a rule: a
// style draws a separator that has a caption as a heading showing it.
class Menu final : public QMenu {
 public:
  using QMenu::QMenu;

 protected:
  void initStyleOption(QStyleOptionMenuItem* option, const QAction* action) const override {
    QMenu::initStyleOption(option, action);
    if (action->isSeparator()) option->text.clear();
  }
};

// One line of the menu tree. A separator has no control of its own, only a name.
struct MenuRow {
  Ctl menu;  // the menu it opens in; frmMain: the menu bar
  Ctl ctl;
  const char* separator;  // the separator's name, or nullptr
  const char* caption;
  bool enabled;
  void (*core)(P&);        // the core's handler, or nullptr
  void (frmMain::*own)();  // the window's own handler, or nullptr
  const char* keys;        // the usual shortcut, or ""
  bool submenu = false;
  bool on_chip = false;  // an operation on the chip, whose time the log tells
};

constexpr MenuRow Submenu(Ctl menu, Ctl ctl, const char* caption) {
  return {menu, ctl, nullptr, caption, true, nullptr, nullptr, "", true};
}
constexpr MenuRow Separator(Ctl menu, const char* name) {
  return {menu, Ctl::frmMain, name, "-", true, nullptr, nullptr, ""};
}
constexpr MenuRow Core(Ctl menu, Ctl ctl, const char* caption, bool enabled, void (*run)(P&),
                       const char* keys = "") {
  return {menu, ctl, nullptr, caption, enabled, run, nullptr, keys};
}
constexpr MenuRow OnChip(Ctl menu, Ctl ctl, const char* caption, bool enabled, void (*run)(P&)) {
  return {menu, ctl, nullptr, caption, enabled, run, nullptr, "", false, true};
}
constexpr MenuRow Own(Ctl menu, Ctl ctl, const char* caption, void (frmMain::*run)(),
                      const char* keys = "") {
  return {menu, ctl, nullptr, caption, true, nullptr, run, keys};
}

}  // namespace

void frmMain::BuildMenus() {
  constexpr Ctl F = Ctl::mnuFile, T = Ctl::mnuTools, C = Ctl::menuCommand, S = Ctl::Setup,
                L = Ctl::LoadSetup, V = Ctl::SaveSetup, H = Ctl::mnuHelp, Bar = Ctl::frmMain;
  const MenuRow rows[] = {
      Submenu(Bar, F, "&File"),
      Core(
          F, Ctl::mnuFileOpenCode, "&Open Code...", true, [](P& p) { p.mnuFileOpenCode_Click(); },
          "Ctrl+O"),
      Core(
          F, Ctl::mnuFileSaveCode, "&Save Code", false, [](P& p) { p.mnuFileSaveCode_Click(); },
          "Ctrl+S"),
      Core(
          F, Ctl::mnuFileSaveCodeAs, "Save Code &As...", false,
          [](P& p) { p.mnuFileSaveCodeAs_Click(); }, "Ctrl+Shift+S"),
      Separator(F, "mnuCommandBar3"),
      Core(F, Ctl::mnuFileOpenData, "Open Data...", false, [](P& p) { p.mnuFileOpenData_Click(); }),
      Core(F, Ctl::mnuFileSaveData, "Save Data", false, [](P& p) { p.mnuFileSaveData_Click(); }),
      Core(F, Ctl::mnuFileSaveDataAs, "Save Data As...", false,
           [](P& p) { p.mnuFileSaveDataAs_Click(); }),
      Separator(F, "mnuCommandBar4"),
      Own(F, Ctl::mnuFileClose, "&Close", &frmMain::mnuFileClose_Click),
      Own(F, Ctl::mnuFileExit, "E&xit", &frmMain::mnuFileExit_Click, "Ctrl+Q"),
      Submenu(Bar, T, "&Tools"),
      Core(
          T, Ctl::mnuToolsIdentifyCode, "&Identify ROM in Code Buffer", true,
          [](P& p) { p.IdentifyCodeImage(); }, "Ctrl+I"),
      Separator(T, "mnuToolsBar0"),
      Own(T, Ctl::mnuToolsOptions, "&Options...", &frmMain::mnuToolsOptions_Click),
      Submenu(Bar, C, "&Command"),
      OnChip(C, Ctl::menuBlankCheck, "Blank Check Device for Erased", true,
             [](P& p) { p.Blank_button_Click(); }),
      Separator(C, "xxx8"),
      OnChip(C, Ctl::menuProgramCode, "Program Device Code", true,
             [](P& p) { p.Program_button_Click(); }),
      OnChip(C, Ctl::menuReadCode, "Read Device Code", true, [](P& p) { p.Read_button_Click(); }),
      OnChip(C, Ctl::menuVerifyCode, "Verify Device Code", true,
             [](P& p) { p.Verify_button_Click(); }),
      OnChip(C, Ctl::menuCompareCode, "Compare Device Code with Buffer", false,
             [](P& p) { p.CompareCode(); }),
      Separator(C, "xxx6"),
      OnChip(C, Ctl::menuProgramData, "Program Device Data", true, [](P& p) { p.ProgramData(); }),
      OnChip(C, Ctl::menuReadData, "Read Device Data", true, [](P& p) { p.ReadData(); }),
      OnChip(C, Ctl::menuVerifyData, "Verify Device Data", true, [](P& p) { p.VerifyData(); }),
      Separator(C, "menuCommandBar0"),
      OnChip(C, Ctl::menuDisplayCode, "Display Device CODE", true,
             [](P& p) { p.Display_button_Click(); }),
      OnChip(C, Ctl::menuDisplayData, "Display Device DATA", true,
             [](P& p) { p.DisplayDataMemory(); }),
      Core(
          C, Ctl::menuNextDifference, "Next Difference", false,
          [](P& p) { p.StepToDifference(true); }, "F8"),
      Core(
          C, Ctl::menuPreviousDifference, "Previous Difference", false,
          [](P& p) { p.StepToDifference(false); }, "Shift+F8"),
      Separator(C, "menuCommandBar2"),
      Core(C, Ctl::menuEraseCode, "Erase CODE Buffer (\"FF\") ", true,
           [](P& p) { p.Erase_button_Click(); }),
      Core(C, Ctl::menuEraseData, "Erase DATA Buffer (\"FF\") ", true,
           [](P& p) { p.EraseDataBuffer(); }),
      OnChip(C, Ctl::menuEraseFlash, "Erase Device Flash Memory", true,
             [](P& p) { p.EraseFlash_button_Click(); }),
      Separator(C, "xxx10"),
      Core(C, Ctl::menuTestHardware, "Test LPT Ports", true,
           [](P& p) { p.detect.TestHardware_button_Click(); }),
      Separator(C, "xxx11"),
      OnChip(C, Ctl::menuFlashShowCodeID, "Show Flash Code ID#", true,
             [](P& p) { p.menuFlashShowCodeID_Click(); }),
      Submenu(Bar, S, "&Setup"),
      Submenu(S, L, "&Load Setup"),
      Core(L, Ctl::LoadSetup1, "Load Setup #&1", false, [](P& p) { p.LoadSetup_Click(1); }),
      Core(L, Ctl::LoadSetup2, "Load Setup #&2", false, [](P& p) { p.LoadSetup_Click(2); }),
      Core(L, Ctl::LoadSetup3, "Load Setup #&3", false, [](P& p) { p.LoadSetup_Click(3); }),
      Core(L, Ctl::LoadSetup4, "Load Setup #&4", false, [](P& p) { p.LoadSetup_Click(4); }),
      Separator(S, "xxx4"),
      Submenu(S, V, "&Save Setup"),
      Core(V, Ctl::SaveSetup1, "Save Setup #&1", true, [](P& p) { p.SaveSetup_Click(1); }),
      Core(V, Ctl::SaveSetup2, "Save Setup #&2", true, [](P& p) { p.SaveSetup_Click(2); }),
      Core(V, Ctl::SaveSetup3, "Save Setup #&3", true, [](P& p) { p.SaveSetup_Click(3); }),
      Core(V, Ctl::SaveSetup4, "Save Setup #&4", true, [](P& p) { p.SaveSetup_Click(4); }),
      Separator(S, "xxx9"),
      Own(S, Ctl::ForceMeldrix4, "Force Set MELDRIX-4", &frmMain::ForceMeldrix4),
      Own(S, Ctl::ForceMeldrix5, "Force Set MELDRIX-5", &frmMain::ForceMeldrix5),
      Separator(S, "xxx12"),
      Core(S, Ctl::LoopFlashTest, "LoopFlashTest", false, [](P& p) { p.LoopFlashTest_Click(); }),
      Core(S, Ctl::ResetFlash, "ResetFlash", false, [](P& p) { p.ResetFlash_Click(); }),
      Submenu(Bar, H, "&Help"),
      Own(H, Ctl::mnuHelpContents, "&Contents", &frmMain::ShowHelpContents, "F1"),
      Own(H, Ctl::mnuHelpSearchForHelpOn, "&Search For Help On...", &frmMain::ShowHelpSearch),
      Separator(H, "mnuHelpBar0"),
      Own(H, Ctl::mnuHelpAbout, "&About ", &frmMain::ShowAbout),
  };

  std::map<Ctl, QMenu*> menus;
  for (const MenuRow& row : rows) {
    QMenu* in = row.menu == Ctl::frmMain ? nullptr : menus.at(row.menu);
    if (row.submenu) {
      auto* menu = new Menu(row.caption, this);
      menu->setObjectName(QString::fromStdString(std::string(ControlName(row.ctl))));
      if (in == nullptr) {
        menuBar()->addMenu(menu);
      } else {
        in->addMenu(menu);
      }
      menus[row.ctl] = menu;
      AddControl(row.ctl, *menu->menuAction(), kinds::MenuEntry());
      continue;
    }
    if (row.separator != nullptr) {
      QAction* separator = in->addSeparator();
      separator->setObjectName(row.separator);
      separator->setText(row.caption);
      continue;
    }
    QAction* action = in->addAction(row.caption);
    AddControl(row.ctl, *action, kinds::MenuEntry());
    action->setEnabled(row.enabled);
    if (*row.keys != '\0') action->setShortcut(QKeySequence(row.keys));
    if (row.core != nullptr) {
      connect(action, &QAction::triggered, this,
              [this, run = row.core, on_chip = row.on_chip] { Route(run, on_chip); });
    } else if (row.own != nullptr) {
      connect(action, &QAction::triggered, this, [this, run = row.own] { (this->*run)(); });
    }
  }
  // Opening the Setup menu first refreshes its four Load Setup entries.
  connect(menus.at(Ctl::Setup), &QMenu::aboutToShow, this,
          [this] { Route([](P& p) { p.Setup_Click(); }); });
}

void frmMain::BuildToolBar() {
  auto* bar = new QToolBar(this);
  AddControl(Ctl::tbToolBar, *bar, kinds::Plain());
  bar->setMovable(false);
  bar->setWindowTitle("tbToolBar");
  addToolBar(Qt::TopToolBarArea, bar);
  // The image list of the toolbar, by image key.
  auto* images = new QObject(this);
  images->setObjectName("imlToolbarIcons");
  images->setProperty("keys", QStringList{"Open", "Save", "Camera", "Burn1"});
  struct ToolRow {
    int button;  // 3: the separator
    QStyle::StandardPixmap icon;
    const char* image;
    const char* tooltip;
  };
  const ToolRow tools[] = {
      {1, QStyle::SP_DialogOpenButton, "Open", "Open File into Code Buffer"},
      {2, QStyle::SP_DialogSaveButton, "Save", "Save Code Buffer Into File"},
      {3, QStyle::SP_CustomBase, "", ""},
      {4, QStyle::SP_DialogOpenButton, "Open", "Open File into Data Buffer"},
      {5, QStyle::SP_DialogSaveButton, "Save", "Save Data Buffer into File"},
  };
  for (const ToolRow& t : tools) {
    if (t.button == 3) {
      AddControl(panel::ToolbarButton(3), *bar->addSeparator(), kinds::MenuEntry());
      continue;
    }
    const QString key = QString::fromStdString(std::string(ToolbarKey(t.button)));
    QAction* action = bar->addAction(style()->standardIcon(t.icon), key);
    AddControl(panel::ToolbarButton(t.button), *action, kinds::MenuEntry());
    action->setToolTip(t.tooltip);
    action->setProperty("image", t.image);
    connect(action, &QAction::triggered, this,
            [this, key] { Route([key](P& p) { p.tbToolBar_ButtonClick(key.toStdString()); }); });
  }
  auto* verify = new QPushButton("Verify", bar);
  bar->addWidget(verify);
  AddControl(Ctl::VerifyButton, *verify, kinds::ToolbarWidget());
  connect(verify, &QPushButton::clicked, this, [this] {
    // It does what Verify_button does, and only while that button may be pressed.
    if (Enabled(Ctl::Verify_button)) Route([](P& p) { p.Verify_button_Click(); }, true);
  });
  auto* compare = new QPushButton("Compare", bar);
  compare->setToolTip("Compare every byte of the Device with the Buffer and say what differs");
  bar->addWidget(compare);
  AddControl(Ctl::CompareButton, *compare, kinds::ToolbarWidget());
  connect(compare, &QPushButton::clicked, this, [this] {
    if (Enabled(Ctl::Verify_button)) Route([](P& p) { p.CompareCode(); }, true);
  });
}

}  // namespace app
