// Nothing is done to the chip by surprise: the questions default to Cancel, an erase asks first,
// the wheel does not choose devices on its way past the list, a refused entry leaves the list
// showing the device the operations act on, and the view follows its shrinking range.
#include <gtest/gtest.h>

#include <QAction>
#include <QComboBox>
#include <QKeyEvent>
#include <QMessageBox>
#include <QPushButton>
#include <QScrollBar>
#include <QTimer>
#include <QWheelEvent>
#include <functional>

#include "window_fixture.h"

namespace {

using app_testing::WindowUnderTest;
using panel::Ctl;

constexpr int kEprom2764 = 4, kEprom27C080 = 18, kOtp = 19, kAM29F040 = 24, kX28C256 = 30;

size_t CountOf(const std::string& text, const std::string& part) {
  size_t count = 0;
  for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++count;
  return count;
}

// Chooses a list entry as the operator's click in the open list does.
void Choose(QComboBox* list, int row) {
  list->setCurrentIndex(row);
  emit list->activated(row);
}

// The question box as the operator meets it: what it shows, and what a key press answers.
struct Asked {
  QMessageBox::Icon icon = QMessageBox::NoIcon;
  QString text, title;
  QMessageBox::StandardButton default_button = QMessageBox::NoButton;
  bool answer = true;
  int width = 0, title_width = 0;
};

Asked AskAndPress(int key) {
  Asked asked;
  QTimer::singleShot(0, [&asked, key] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    ASSERT_NE(box, nullptr);
    asked.icon = box->icon();
    asked.text = box->text();
    asked.title = box->windowTitle();
    asked.default_button = box->standardButton(box->defaultButton());
    asked.width = box->width();
    asked.title_width = box->fontMetrics().horizontalAdvance(asked.title);
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
    QApplication::sendEvent(box, &press);
    // A key the box ignored must not leave the test waiting for an operator.
    if (box->isVisible()) box->done(QMessageBox::Ok);
  });
  QWidget owner;
  asked.answer = app::QtDialogs().AskOkCancel(&owner, "Erase the Device?", "Safety Question");
  return asked;
}

TEST(SafetyQuestion, EnterAndEscapeBothAnswerCancel) {
  app_testing::QtApp();
  for (int key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Escape}) {
    const Asked asked = AskAndPress(key);
    EXPECT_FALSE(asked.answer) << key;
    EXPECT_EQ(asked.default_button, QMessageBox::Cancel);
    EXPECT_EQ(asked.icon, QMessageBox::Question);
    EXPECT_EQ(asked.text, "Erase the Device?");
    EXPECT_EQ(asked.title, "Safety Question");
    // Wide enough for the whole title beside a title bar's icon and buttons.
    EXPECT_GE(asked.width, asked.title_width + 150);
  }
}

// Both ways of starting an erase ask; Cancel logs one line and sends nothing to the board, OK
// goes on to the erase (the identification is its first port work).
TEST(SafetyQuestion, EraseFromButtonOrMenuAsksFirst) {
  struct Case {
    int row;
    bool from_menu;
    bool ok;
  };
  const Case cases[] = {{kAM29F040, false, false},
                        {kAM29F040, true, false},
                        {kX28C256, false, false},
                        {kAM29F040, false, true},
                        {kX28C256, true, true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "row " << c.row << (c.from_menu ? " menu" : " button")
                                    << (c.ok ? " OK" : " Cancel"));
    WindowUnderTest t;
    std::ofstream(t.directory.Path() / "meldrix5.ini")
        << "[MELDRIX5 SETUP]\r\nDATE = x\r\nIO_PORT = 378\r\nMODEL = 5\r\n";
    t.window.Form_Load();
    t.window.show();
    ASSERT_EQ(t.programmer.board.PortBase, 0x378);
    t.programmer.SetDeviceIndex(c.row);
    t.machine.Clear();
    t.dialogs.boxes.clear();
    t.dialogs.answers = {c.ok};
    const std::string before = t.window.Caption(Ctl::SystemLog);
    if (c.from_menu) {
      t.Find<QAction>("menuEraseFlash")->trigger();
    } else {
      app_testing::Click(t.Find<QPushButton>("EraseFlash_button"));
    }
    ASSERT_EQ(t.dialogs.boxes.size(), 1U);
    EXPECT_EQ(t.dialogs.boxes[0].text, "Erase the Device?");
    EXPECT_EQ(t.dialogs.boxes[0].title, "Safety Question");
    const std::string added = t.window.Caption(Ctl::SystemLog).substr(before.size());
    if (c.ok) {
      EXPECT_FALSE(t.machine.PortAccesses().empty());
      EXPECT_EQ(added.find("Canceled"), std::string::npos);
    } else {
      EXPECT_TRUE(t.machine.Trace().empty());
      // The cancel, then the time the board was kept: none.
      EXPECT_EQ(CountOf(added, "\r\n"), 2U);
      EXPECT_NE(added.find(">  Erasing was Canceled by Operator\r\n"), std::string::npos);
      EXPECT_TRUE(added.ends_with(">  Took 0.000 s on the board's clock")) << added;
    }
  }
}

void TurnWheel(QWidget* widget, int notches) {
  const QPointF at = QRectF(widget->rect()).center();
  for (int i = 0; i < notches; ++i) {
    QWheelEvent wheel(at, widget->mapToGlobal(at), {}, {0, -120}, Qt::NoButton, Qt::NoModifier,
                      Qt::NoScrollPhase, false);
    QApplication::sendEvent(widget, &wheel);
  }
}

TEST(DeviceListWheel, ChoosesOnlyWhileTheListHasTheFocus) {
  WindowUnderTest t;
  t.window.Form_Load();
  t.window.show();
  t.window.activateWindow();
  QApplication::processEvents();
  auto* list = t.Find<QComboBox>("Device");
  Choose(list, kEprom2764);
  t.Find<QPushButton>("Read_button")->setFocus();
  const std::string log = t.window.Caption(Ctl::SystemLog);

  TurnWheel(list, 3);
  EXPECT_EQ(list->currentIndex(), kEprom2764);
  EXPECT_FALSE(list->hasFocus());  // the wheel did not take the focus either
  EXPECT_EQ(t.window.Caption(Ctl::SystemLog), log);

  list->setFocus();
  ASSERT_TRUE(list->hasFocus());
  TurnWheel(list, 1);
  EXPECT_EQ(list->currentIndex(), kEprom2764 + 1);
  EXPECT_TRUE(t.window.Caption(Ctl::SystemLog).ends_with("Initial VPP suggested: 12.5V"));
  EXPECT_EQ(t.programmer.dev.DeviceName, "Eprom 27C64");
}

TEST(DeviceListRefusal, ListShowsTheDeviceStillInForce) {
  WindowUnderTest t;
  t.window.Form_Load();
  t.window.show();
  auto* list = t.Find<QComboBox>("Device");

  // Nothing chosen yet: the prompt.
  Choose(list, kOtp);
  EXPECT_EQ(list->currentIndex(), -1);
  EXPECT_EQ(t.window.Caption(Ctl::Device), "Please Select Device on this List");
  EXPECT_TRUE(t.programmer.dev.DeviceCode.empty());

  Choose(list, kEprom2764);
  const std::string log = t.window.Caption(Ctl::SystemLog);
  Choose(list, kOtp);
  EXPECT_EQ(list->currentIndex(), kEprom2764);
  EXPECT_TRUE(list->currentText().startsWith("Eprom 2764 "));
  EXPECT_EQ(t.window.Caption(Ctl::SystemLog), log);  // no second selection
  EXPECT_EQ(t.programmer.dev.DeviceCode, "P2");
  EXPECT_TRUE(t.Find<QPushButton>("Read_button")->isEnabled());
}

// The scroll bar clamps its position itself when its range shrinks; the page shown must follow.
TEST(HexViewRange, ShrinkingRangeMovesThePositionAndRedrawsTheView) {
  WindowUnderTest t;
  t.window.Form_Load();
  t.window.show();
  t.programmer.SetDeviceIndex(kEprom27C080);
  app_testing::Click(t.Find<QPushButton>("Show_button"));
  auto* scroll = t.Find<QScrollBar>("VScroll1");
  scroll->setValue(1000);
  ASSERT_NE(t.window.Caption(Ctl::BufferDisplay).find("\r\n03E800| "), std::string::npos);

  std::string image(32768, '\0');
  image[0x7F00] = 'Z';
  const auto path = t.directory.Path() / "small.bin";
  std::ofstream(path, std::ios::binary) << image;
  t.dialogs.replies = {QString::fromStdString(path.string())};
  t.Find<QAction>("mnuFileOpenCode")->trigger();

  EXPECT_EQ(scroll->maximum(), 127);
  EXPECT_EQ(scroll->value(), 127);
  const std::string view = t.window.Caption(Ctl::BufferDisplay);
  EXPECT_TRUE(view.starts_with("\r\n007F00| 5A000000 "));
  EXPECT_EQ(view.find("03E8"), std::string::npos);
}

}  // namespace
