// The window as the core sees it: what the core sets is what it reads back and what the operator
// sees, and setting a control from code never runs its handler.
#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QRadioButton>
#include <QScrollBar>
#include <QSlider>

#include "window_fixture.h"

namespace {

using app_testing::WindowUnderTest;
using panel::Ctl;
using panel::Ref;

TEST(PanelCaption, EveryKindOfControlKeepsTheTextItWasGiven) {
  WindowUnderTest t;
  const std::pair<Ref, std::string> cases[] = {
      {Ctl::frmMain, "MELDRIX-5A Eprom Programmer - simulated board"},
      {Ctl::MeldrixHardwareFound, "MODEL 5 - PC port 378h"},
      {Ctl::FileNameCodeText, "/tmp/<b>odd & name</b>.bin"},
      {Ctl::Show_button, "Show Code"},
      {Ctl::Frame3, "Code Buffer Hex/Ascii Display"},
      {Ctl::PortSelected, "3BCh"},
      {Ctl::sbStatusBar, "Reading Device... Wait"},
      {Ctl::mnuFileSaveCode, "&Save Code"},
      {Ctl::LoadSetup2, "Load Setup #&2 - my eproms"},
      {panel::ToolbarButton(1), "OpenCode"},
      {Ctl::BufferDisplay, "\r\n000000| 00010203 04050607 08090A0B 0C0D0E0F | ................"},
      {Ctl::SystemLog, "\r\n22:41:07>  one\r\n22:41:07>  two"},
  };
  for (const auto& [ref, text] : cases) {
    t.window.SetCaption(ref, text);
    EXPECT_EQ(t.window.Caption(ref), text) << text;
  }
  // Labels show file names as they are, never as markup.
  EXPECT_EQ(t.Find<QLabel>("FileNameCodeText")->textFormat(), Qt::PlainText);
  // The views show the core's line ends as lines.
  EXPECT_EQ(t.Find<QPlainTextEdit>("SystemLog")->toPlainText(), "\n22:41:07>  one\n22:41:07>  two");
  EXPECT_EQ(t.Find<QPlainTextEdit>("BufferDisplay")->document()->blockCount(), 2);
}

TEST(PanelValue, CheckBoxesOptionsAndPositionsRoundTrip) {
  WindowUnderTest t;
  for (int state : {1, 2, 0}) {
    t.window.SetValue(Ctl::CheckCode, state);
    EXPECT_EQ(t.window.Value(Ctl::CheckCode), state);
  }
  EXPECT_EQ(t.Find<QCheckBox>("CheckCode")->checkState(), Qt::Unchecked);
  t.window.SetValue(Ctl::CheckData, 1);
  EXPECT_EQ(t.Find<QCheckBox>("CheckData")->checkState(), Qt::Checked);

  // Every option of a group can be cleared, the selected one included.
  for (int i = 0; i < 4; ++i) t.window.SetValue(panel::Voltage_button(i), 0);
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(t.window.Value(panel::Voltage_button(i)), 0) << i;
    EXPECT_FALSE(
        t.Find<QRadioButton>(("Voltage_button(" + std::to_string(i) + ")").c_str())->isChecked());
  }
  t.window.SetValue(panel::Voltage_button(3), 1);
  EXPECT_EQ(t.window.Value(panel::Voltage_button(3)), 1);

  t.window.SetValue(Ctl::Slider1, 9);
  EXPECT_EQ(t.window.Value(Ctl::Slider1), 9);
  EXPECT_EQ(t.window.Max(Ctl::Slider1), 20);
  t.window.SetMax(Ctl::VScroll1, 4095);
  t.window.SetValue(Ctl::VScroll1, 4000);
  EXPECT_EQ(t.window.Value(Ctl::VScroll1), 4000);
  t.window.SetMax(Ctl::ProgressBar1, 512);
  t.window.SetValue(Ctl::ProgressBar1, 300);
  EXPECT_EQ(t.window.Value(Ctl::ProgressBar1), 300);
}

TEST(PanelValue, MaximaBelowOneAreKeptAsGiven) {
  WindowUnderTest t;
  // An image shorter than a page gives the scroll bar a maximum of -1.
  t.window.SetMax(Ctl::VScroll1, -1);
  EXPECT_EQ(t.window.Max(Ctl::VScroll1), -1);
  EXPECT_EQ(t.window.Value(Ctl::VScroll1), 0);
  t.window.SetMax(Ctl::ProgressBar1, 0);
  EXPECT_EQ(t.window.Max(Ctl::ProgressBar1), 0);
  // An empty progress range would turn the bar into a busy animation.
  EXPECT_GT(t.Find<QProgressBar>("ProgressBar1")->maximum(),
            t.Find<QProgressBar>("ProgressBar1")->minimum());
}

TEST(PanelValue, ChangesFromCodeNeverSignalTheHandlers) {
  WindowUnderTest t;
  int signals_seen = 0;
  const auto count = [&signals_seen] { ++signals_seen; };
  QObject::connect(t.Find<QSlider>("Slider1"), &QSlider::valueChanged, count);
  QObject::connect(t.Find<QScrollBar>("VScroll1"), &QScrollBar::valueChanged, count);
  QObject::connect(t.Find<QComboBox>("Device"), &QComboBox::currentIndexChanged, count);
  QObject::connect(t.Find<QRadioButton>("LPTSelection(0)"), &QRadioButton::toggled, count);
  t.window.SetValue(Ctl::Slider1, 3);
  t.window.SetMax(Ctl::VScroll1, 10);
  t.window.SetValue(Ctl::VScroll1, 7);
  t.window.SetMax(Ctl::VScroll1, 2);
  t.window.AddListItem("Eprom 2732A");
  t.window.SetListIndex(0);
  t.window.ClearList();
  t.window.SetValue(panel::LPTSelection(0), 1);
  EXPECT_EQ(signals_seen, 0);
}

TEST(PanelList, FillingSelectingAndTheEmptySelection) {
  WindowUnderTest t;
  t.window.ClearList();
  for (const char* item : {"Eprom 2732A   ", "Eprom 2732B   ", "N/A - Eprom 27C080 OTP"}) {
    t.window.AddListItem(item);
  }
  EXPECT_EQ(t.window.ListCount(), 3);
  EXPECT_EQ(t.window.ListIndex(), -1);  // filling the list selects nothing
  EXPECT_EQ(t.window.ListItem(2), "N/A - Eprom 27C080 OTP");
  EXPECT_EQ(t.window.ListItem(3), "");
  t.window.SetListIndex(1);
  EXPECT_EQ(t.window.Caption(Ctl::Device), "Eprom 2732B   ");
  t.window.SetListIndex(-1);
  t.window.SetCaption(Ctl::Device, "Please Select Device on this List");
  EXPECT_EQ(t.window.Caption(Ctl::Device), "Please Select Device on this List");
  t.window.SetListIndex(7);
  EXPECT_EQ(t.window.ListIndex(), -1);
}

TEST(PanelState, EnablingAndShowingMenuEntriesToolbarButtonsAndControls) {
  WindowUnderTest t;
  const Ref refs[] = {Ctl::Program_button,      Ctl::menuProgramCode, panel::ToolbarButton(4),
                      panel::Voltage_button(2), Ctl::LoadSetup3,      Ctl::VerifyButton};
  for (const Ref& r : refs) {
    t.window.SetEnabled(r, false);
    EXPECT_FALSE(t.window.Enabled(r));
    t.window.SetEnabled(r, true);
    EXPECT_TRUE(t.window.Enabled(r));
  }
  for (const Ref& r : {Ref(Ctl::FileNameDataText), panel::ToolbarButton(3), panel::ToolbarButton(5),
                       Ref(Ctl::PleaseSelect), Ref(Ctl::VerifyButton)}) {
    EXPECT_TRUE(t.window.Visible(r));  // before the window is shown, too
    t.window.SetVisible(r, false);
    EXPECT_FALSE(t.window.Visible(r));
  }
  EXPECT_FALSE(t.Find<QAction>("SaveData")->isVisible());
}

TEST(PanelState, ToolbarVerifyAndCompareFollowVerifyButton) {
  WindowUnderTest t;
  for (const bool enabled : {false, true}) {
    t.window.SetEnabled(Ctl::Verify_button, enabled);
    EXPECT_EQ(t.Find<QWidget>("VerifyButton")->isEnabled(), enabled);
    EXPECT_EQ(t.Find<QWidget>("CompareButton")->isEnabled(), enabled);
    EXPECT_EQ(t.Find<QAction>("menuCompareCode")->isEnabled(), enabled);
  }
}

TEST(PanelColour, IndicatorsStartOffOnADarkGroundAndLightWhite) {
  WindowUnderTest t;
  const std::pair<Ctl, const char*> indicators[] = {{Ctl::Error_label, "Error_label"},
                                                    {Ctl::Program_label, "Program_label"},
                                                    {Ctl::DataFlow_label, "DataFlow_label"},
                                                    {Ctl::Ready_label, "Ready_label"}};
  for (const auto& [label, name] : indicators) {
    EXPECT_EQ(t.window.ForeColor(label), panel::kGreyText) << name;
    EXPECT_LT(t.Find<QLabel>(name)->palette().color(QPalette::Window).lightness(), 64) << name;
  }
  EXPECT_EQ(t.window.ForeColor(Ctl::MeldrixHardwareFound), panel::kYellow);
  t.programmer.ProgramIndicatorOn();
  EXPECT_EQ(t.window.ForeColor(Ctl::Program_label), panel::kWhite);
  EXPECT_EQ(t.Find<QLabel>("Program_label")->palette().color(QPalette::WindowText), Qt::white);
  t.window.SetForeColor(Ctl::MeldrixHardwareFound, panel::kLightPink);
  EXPECT_EQ(t.Find<QLabel>("MeldrixHardwareFound")->palette().color(QPalette::WindowText),
            QColor(0xFF, 0xC0, 0xFF));
  t.window.SetBackColor(Ctl::Verify_button, panel::kButtonHighlight);
  EXPECT_EQ(t.window.BackColor(Ctl::Verify_button), panel::kButtonHighlight);
  EXPECT_EQ(t.window.BackColor(Ctl::Read_button), panel::kButtonFace);
}

}  // namespace
