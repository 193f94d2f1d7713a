// Operator actions on the real window reach the core's handlers.
#include <gtest/gtest.h>

#include <QAction>
#include <QLabel>
#include <QRadioButton>
#include <QSlider>
#include <QTextBrowser>
#include <fstream>

#include "app/help_window.h"
#include "window_fixture.h"

namespace {

using app_testing::Click;
using app_testing::WindowUnderTest;
using panel::Ctl;

TEST(ErrorAlert, ClickOnTheLitIndicatorRestoresTheButtonsAndLogs) {
  WindowUnderTest t;
  t.window.show();
  t.window.SetEnabled(Ctl::Program_button, true);
  t.window.SetEnabled(Ctl::Verify_button, false);
  t.window.SetEnabled(Ctl::Read_button, true);
  t.window.SetEnabled(Ctl::Display_button, false);
  t.window.SetMax(Ctl::ProgressBar1, 100);
  t.window.SetValue(Ctl::ProgressBar1, 40);
  t.programmer.LockButtonsOnError();
  t.programmer.LockButtonsOnError();  // a second failure while the alert is on

  EXPECT_EQ(t.window.ForeColor(Ctl::Error_label), panel::kWhite);
  for (const char* name :
       {"Program_button", "Verify_button", "Read_button", "Display_button", "VerifyButton"}) {
    EXPECT_FALSE(t.Find<QWidget>(name)->isEnabled()) << name;
  }

  Click(t.Find<QLabel>("Error_label"));
  EXPECT_EQ(t.window.ForeColor(Ctl::Error_label), panel::kGreyText);
  EXPECT_EQ(t.window.Value(Ctl::ProgressBar1), 0);
  EXPECT_TRUE(t.window.Caption(Ctl::SystemLog).ends_with(">  Error Alert was Turned Off"));
  // The second lock stored the already disabled states, so all four stay disabled.
  for (const char* name : {"Program_button", "Verify_button", "Read_button", "Display_button"}) {
    EXPECT_FALSE(t.Find<QWidget>(name)->isEnabled()) << name;
  }

  // A click on the unlit indicator changes nothing and logs nothing.
  const std::string log = t.window.Caption(Ctl::SystemLog);
  Click(t.Find<QLabel>("Error_label"));
  EXPECT_EQ(t.window.Caption(Ctl::SystemLog), log);
}

TEST(ErrorAlert, SingleLockRestoresEachButtonToItsOwnState) {
  WindowUnderTest t;
  t.window.show();
  t.window.SetEnabled(Ctl::Program_button, true);
  t.window.SetEnabled(Ctl::Verify_button, false);
  t.window.SetEnabled(Ctl::Read_button, true);
  t.window.SetEnabled(Ctl::Display_button, false);
  t.programmer.LockButtonsOnError();
  Click(t.Find<QLabel>("Error_label"));
  EXPECT_TRUE(t.Find<QWidget>("Program_button")->isEnabled());
  EXPECT_FALSE(t.Find<QWidget>("Verify_button")->isEnabled());
  EXPECT_TRUE(t.Find<QWidget>("Read_button")->isEnabled());
  EXPECT_FALSE(t.Find<QWidget>("Display_button")->isEnabled());
}

// The Command menu starts the same operations as the four buttons: the alert locks it too, and
// clearing the alert gives each entry back its own state.
TEST(ErrorAlert, CommandMenuEntriesAreLockedAndRestoredWithTheButtons) {
  WindowUnderTest t;
  t.window.Form_Load();
  t.window.show();
  t.programmer.SetDeviceIndex(4);  // Eprom 2764: reading it would drive the board
  ASSERT_EQ(t.programmer.dev.DeviceCode, "P2");
  const std::pair<const char*, bool> entries[] = {{"menuProgramCode", true},
                                                  {"menuVerifyCode", false},
                                                  {"menuReadCode", true},
                                                  {"menuDisplayCode", true}};
  for (const auto& [name, enabled] : entries) t.Find<QAction>(name)->setEnabled(enabled);
  t.window.SetEnabled(Ctl::Display_button, false);  // an entry need not follow its button
  t.programmer.LockButtonsOnError();
  for (const auto& [name, enabled] : entries) EXPECT_FALSE(t.Find<QAction>(name)->isEnabled());

  t.machine.Clear();
  t.Find<QAction>("menuReadCode")->trigger();
  EXPECT_TRUE(t.machine.Trace().empty());  // the locked entry starts nothing

  Click(t.Find<QLabel>("Error_label"));
  for (const auto& [name, enabled] : entries) {
    EXPECT_EQ(t.Find<QAction>(name)->isEnabled(), enabled) << name;
  }
  EXPECT_FALSE(t.Find<QWidget>("Display_button")->isEnabled());
}

TEST(OptionButtons, ClickSelectsOneOptionOfItsGroupEvenWhenAlreadySelected) {
  WindowUnderTest t;
  t.window.show();
  Click(t.Find<QRadioButton>("HiLow_button(2)"));
  EXPECT_EQ(t.window.Value(panel::HiLow_button(0)), 0);
  EXPECT_EQ(t.window.Value(panel::HiLow_button(1)), 0);
  EXPECT_EQ(t.window.Value(panel::HiLow_button(2)), 1);
  Click(t.Find<QRadioButton>("HiLow_button(2)"));
  EXPECT_EQ(t.window.Value(panel::HiLow_button(2)), 1);
  // The other groups are left alone.
  EXPECT_EQ(t.window.Value(panel::Voltage_button(1)), 1);
  EXPECT_EQ(t.window.Value(panel::LPTSelection(1)), 1);

  t.window.SetEnabled(panel::Voltage_button(3), false);
  Click(t.Find<QRadioButton>("Voltage_button(3)"));
  EXPECT_EQ(t.window.Value(panel::Voltage_button(3)), 0);
  EXPECT_EQ(t.window.Value(panel::Voltage_button(1)), 1);
}

TEST(SpeedSlider, OperatorsStepIsLoggedWithItsSoundButChangesFromCodeAreNot) {
  WindowUnderTest t;
  auto* slider = t.Find<QSlider>("Slider1");
  slider->triggerAction(QAbstractSlider::SliderSingleStepSub);
  EXPECT_TRUE(t.window.Caption(Ctl::SystemLog).ends_with(">  Program Speed Slider set to: 17"));
  EXPECT_EQ(t.sound.played, std::vector<std::string>{"/sounds/slide.wav"});
  const std::string log = t.window.Caption(Ctl::SystemLog);
  t.window.SetValue(Ctl::Slider1, 5);
  EXPECT_EQ(t.window.Caption(Ctl::SystemLog), log);
}

// Open Code from the menu, then Save As in the Intel HEX entry of the dialog; the status bar
// shows the code image's CRC-32 whenever it has nothing else to show.
TEST(FilesThroughTheWindow, CrcInTheIdleStatusBarAndSaveInTheChosenFormat) {
  WindowUnderTest t;
  const auto image = t.directory.Path() / "zeros.bin";
  std::ofstream(image, std::ios::binary).write(std::string(1024, '\0').data(), 1024);
  t.dialogs.replies.push_back(QString::fromStdString(image.string()));
  t.Find<QAction>("mnuFileOpenCode")->trigger();
  ASSERT_EQ(t.programmer.buf.CodeLength, 1024);
  EXPECT_EQ(t.window.StatusChecksum().toStdString(), "Code CRC-32 EFB5AF2Eh");
  EXPECT_TRUE(t.Find<QLabel>("sbStatusBar.Status")->isHidden());
  t.window.SetCaption(Ctl::sbStatusBar, "Reading Device... Wait");
  EXPECT_EQ(t.window.StatusChecksum(), QString());
  EXPECT_FALSE(t.Find<QLabel>("sbStatusBar.Status")->isHidden());

  const auto hex = t.directory.Path() / "zeros.out";
  t.dialogs.replies.push_back(QString::fromStdString(hex.string()));
  t.dialogs.save_filter = 1;
  t.Find<QAction>("mnuFileSaveCodeAs")->trigger();
  EXPECT_EQ(t.dialogs.filters.back().toStdString(),
            "Raw Binary (*);;Intel HEX (*.hex *.ihx);;"
            "Motorola S-record (*.s19 *.s28 *.s37 *.srec *.mot)");
  EXPECT_EQ(app_testing::ReadFile(hex).substr(0, 43),
            ":1000000000000000000000000000000000000000F0");
}

TEST(PlaceholderMenus, CloseShowsItsBoxAndNothingElse) {
  WindowUnderTest t;
  t.Find<QAction>("mnuFileClose")->trigger();
  ASSERT_EQ(t.dialogs.boxes.size(), 1U);
  EXPECT_EQ(t.dialogs.boxes[0].text.toStdString(), "Add 'mnuFileClose_Click' code.");
  EXPECT_EQ(t.dialogs.boxes[0].title.toStdString(), "MELDRIX5N");
  EXPECT_EQ(t.window.Caption(Ctl::SystemLog), "");
}

TEST(ExitMenu, ClosesTheWindowAfterPuttingTheBoardIdle) {
  WindowUnderTest t;
  t.window.show();
  t.machine.Clear();
  t.Find<QAction>("mnuFileExit")->trigger();
  EXPECT_FALSE(t.window.isVisible());
  EXPECT_FALSE(t.machine.Trace().empty());  // the board was reset on the way out
  EXPECT_EQ(t.settings.values.count("Settings/MainLeft"), 1U);
}

}  // namespace

namespace {

// The Help menu opens the program's own help window, at its contents page or at its search.
TEST(HelpMenu, ContentsAndSearchOpenOneHelpWindowOwnedByTheMainWindow) {
  WindowUnderTest t;
  t.window.show();
  t.Find<QAction>("mnuHelpContents")->trigger();
  auto* help = t.window.findChild<app::HelpWindow*>("HelpWindow", Qt::FindDirectChildrenOnly);
  ASSERT_NE(help, nullptr);
  EXPECT_TRUE(help->isVisible());
  EXPECT_FALSE(help->Browser()->source().isEmpty());

  t.Find<QAction>("mnuHelpSearchForHelpOn")->trigger();
  EXPECT_EQ(t.window.findChildren<app::HelpWindow*>().size(), 1);
}

}  // namespace
