// What the window shows at a glance: the failure of an operation in the status bar until the
// alert is cleared, and the devices without an algorithm greyed in the list.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>

#include "support/image.h"
#include "window_fixture.h"

namespace {

using app_testing::Click;
using app_testing::WindowUnderTest;
using panel::Ctl;

struct FailureCase {
  const char* button;
  const char* failure;  // the status bar's panel
};

// A verify reports its failure after raising the alert, programming before it; either way the
// panel says what failed and where, stays through the next operation, and goes with the alert.
TEST(FailureInTheStatusBar, ShownInTheOperationsWordsUntilTheAlertIsCleared) {
  const FailureCase cases[] = {
      {"Verify_button",
       "ERROR: Device Memory DOES NOT VERIFY with Buffer Contents  Address: 0 ][ Buffer Data: 55 "
       "][ Device Data: 0  Click on [ERROR] Alert to Reset the Situation"},
      {"Program_button",
       "ERROR: *** Programming Failure ***  *** Address:0h, Programming BYTE:55h, Read BYTE:0h  "
       "*** Aborting Programming - Click on [ERROR] Indicator to Reset"},
  };
  for (const FailureCase& c : cases) {
    SCOPED_TRACE(c.button);
    WindowUnderTest t;
    t.window.Form_Load();
    t.window.show();
    t.programmer.SetDeviceIndex(
        t.Find<QComboBox>("Device")->findText("Eprom 2764", Qt::MatchStartsWith));
    // The board without a chip reads 00h.
    std::fill_n(t.programmer.buf.CodeBuffer.begin(), 8192, uint8_t{0x55});
    testing_support::TakeAsImage(t.programmer, 8192);
    t.window.SetEnabled(Ctl::Program_button, true);
    t.window.SetEnabled(Ctl::Verify_button, true);
    t.window.SetValue(Ctl::CheckCode, 1);
    auto* panel = t.Find<QLabel>("sbStatusBar.Failure");
    EXPECT_TRUE(panel->isHidden());

    Click(t.Find<QPushButton>(c.button));
    ASSERT_EQ(t.window.ForeColor(Ctl::Error_label), panel::kWhite)
        << t.window.Caption(Ctl::SystemLog);
    EXPECT_FALSE(panel->isHidden());
    EXPECT_EQ(panel->text().toStdString(), c.failure);
    EXPECT_EQ(panel->palette().color(QPalette::Window), QColor(0xC0, 0x00, 0x00));

    Click(t.Find<QPushButton>("Show_button"));  // another operation, which logs its own lines
    EXPECT_EQ(panel->text().toStdString(), c.failure);
    Click(t.Find<QLabel>("Error_label"));
    EXPECT_TRUE(panel->isHidden());
  }
}

// "N/A - " rows stay in the list, greyed; choosing one is still refused.
TEST(DeviceList, RowsWithoutAnAlgorithmAreGreyedAndStillRefused) {
  WindowUnderTest t;
  t.window.Form_Load();
  auto* list = t.Find<QComboBox>("Device");
  const QColor grey = QApplication::palette().color(QPalette::Disabled, QPalette::Text);
  int unsupported = -1;
  for (int i = 0; i < list->count(); ++i) {
    const bool na = list->itemText(i).startsWith("N/A - ");
    EXPECT_EQ(list->itemData(i, Qt::ForegroundRole).value<QColor>() == grey, na) << i;
    if (na) unsupported = i;
  }
  ASSERT_GE(unsupported, 0);
  list->setCurrentIndex(unsupported);
  emit list->activated(unsupported);
  EXPECT_EQ(list->currentIndex(), -1);
}

}  // namespace
