// The window as the operator sees it: every control whole and inside the window at the first
// start and enlarged, the hex view a whole page, the usual keys.
#include <gtest/gtest.h>

#include <QAction>
#include <QFontInfo>
#include <QGuiApplication>
#include <QMenu>
#include <QPlainTextEdit>
#include <QScreen>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <QTextBlock>

#include "app/help_window.h"
#include "app/main_form.h"
#include "app/text_view.h"
#include "buffers/hex_page.h"
#include "window_fixture.h"

namespace {

using app_testing::WindowUnderTest;

// The window at its first start, nothing stored.
void StartAndShow(WindowUnderTest& t) {
  t.window.Form_Load();
  t.window.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&t.window));
}

QRect InClient(const WindowUnderTest& t, const QWidget& w) {
  const QWidget* client = t.window.centralWidget();
  return QRect(w.mapTo(client, QPoint(0, 0)), w.size());
}

// Every control of the form lies inside the client area, no smaller than it needs to show its
// caption whole.
void ExpectEveryControlWholeAndInside(const WindowUnderTest& t) {
  const QRect client = t.window.centralWidget()->rect();
  for (const app::FormControl& row : app::FormControls()) {
    auto* w = qobject_cast<QWidget*>(t.window.Control(row.ref));
    ASSERT_NE(w, nullptr);
    SCOPED_TRACE(w->objectName().toStdString());
    const QRect at = InClient(t, *w);
    EXPECT_TRUE(client.contains(at))
        << at.x() << "," << at.y() << " " << at.width() << "x" << at.height() << " in "
        << client.width() << "x" << client.height();
    const QSize needed = w->minimumSizeHint();
    EXPECT_GE(w->width(), needed.width());
    EXPECT_GE(w->height(), needed.height());
  }
}

// The view shows every line of the page whole, from its first line, with no scroll bar.
void ExpectWholePage(const WindowUnderTest& t) {
  auto* view = t.Find<app::TextView>("BufferDisplay");
  EXPECT_FALSE(view->verticalScrollBar()->isVisible());
  EXPECT_FALSE(view->horizontalScrollBar()->isVisible());
  EXPECT_EQ(view->verticalScrollBar()->value(), 0);
  const QRect room = view->viewport()->rect();
  QTextBlock block = view->document()->firstBlock();
  int lines = 0;
  for (; block.isValid(); block = block.next(), ++lines) {
    QTextCursor end(block);
    end.movePosition(QTextCursor::EndOfBlock);
    const QRect caret = view->cursorRect(end);
    EXPECT_GE(caret.top(), 0) << "line " << lines;
    EXPECT_LE(caret.bottom(), room.bottom()) << "line " << lines;
    EXPECT_LE(caret.right(), room.right()) << "line " << lines;
  }
  EXPECT_EQ(lines, app::kPageLines);
}

// The order of the arrangement: two columns, each from top to bottom.
void ExpectColumnsInOrder(const WindowUnderTest& t) {
  const char* const left[] = {
      "Frame2",      "Frame1", "Frame3", "Frame7", "FileNameCodeLabel", "FileNameDataLabel",
      "ProgressBar1"};
  const char* const right[] = {"Frame9",  "Error_label",           "Frame6", "Frame4",
                               "Frame10", "FrameVoltageSelection", "Label4", "Frame5"};
  int left_edge = 0;
  for (const auto& column :
       {std::span<const char* const>(left), std::span<const char* const>(right)}) {
    int bottom = -1;
    for (const char* name : column) {
      const QRect at = InClient(t, *t.Find<QWidget>(name));
      EXPECT_GT(at.top(), bottom) << name;
      bottom = at.bottom();
      if (column.data() == left) left_edge = std::max(left_edge, at.right());
      if (column.data() == right) {
        EXPECT_GT(at.left(), left_edge) << name;
      }
    }
  }
}

TEST(WindowLayout, FirstStartShowsEveryControlWholeOnTheScreen) {
  WindowUnderTest t;
  StartAndShow(t);
  const QRect screen = t.window.screen()->availableGeometry();
  EXPECT_TRUE(screen.contains(t.window.frameGeometry()));
  // Room is left for the desktop's panels of a 768-pixel-high screen.
  EXPECT_LE(t.window.frameGeometry().height(), 768 - 60);
  ExpectEveryControlWholeAndInside(t);
  ExpectColumnsInOrder(t);
  const QWidget* frame3 = t.Find<QWidget>("Frame3");
  EXPECT_GE(frame3->width(), 481);
  EXPECT_GE(frame3->height(), 241);
}

// The operator's desktop font two points larger: the window's minimum grows with it, nothing is
// cut, and the window still fits the screen.
TEST(WindowLayout, LargerDesktopFontStillFitsWhole) {
  app_testing::QtApp();
  const QFont desktop = QApplication::font();
  QFont larger = desktop;
  if (desktop.pointSizeF() > 0) {
    larger.setPointSizeF(desktop.pointSizeF() + 2);
  } else {
    larger.setPixelSize(desktop.pixelSize() + 3);  // two points at 96 dots per inch
  }
  ASSERT_GT(QFontInfo(larger).pixelSize(), QFontInfo(desktop).pixelSize());
  QApplication::setFont(larger);
  {
    WindowUnderTest t;
    StartAndShow(t);
    QApplication::processEvents();
    EXPECT_TRUE(t.window.screen()->availableGeometry().contains(t.window.frameGeometry()));
    EXPECT_LE(t.window.frameGeometry().height(), 768 - 60);
    ExpectEveryControlWholeAndInside(t);
    ExpectColumnsInOrder(t);
  }
  QApplication::setFont(desktop);
}

TEST(WindowLayout, PageIsWholeAtTheFirstStartAndEnlarged) {
  WindowUnderTest t;
  StartAndShow(t);
  std::vector<uint8_t> image(256, 0x41);
  t.window.SetCaption(panel::Ctl::BufferDisplay, buffers::CodePageText(image, 0));
  QApplication::processEvents();
  ExpectWholePage(t);
  const int small_font = t.Find<QWidget>("BufferDisplay")->font().pixelSize();
  t.window.resize(t.window.size() + QSize(400, 60));
  QApplication::processEvents();
  ExpectWholePage(t);
  EXPECT_GT(t.Find<QWidget>("BufferDisplay")->font().pixelSize(), small_font);
}

TEST(WindowLayout, EnlargingGivesTheRoomToTheViewAndTheLog) {
  WindowUnderTest t;
  StartAndShow(t);
  const QSize view = t.Find<QWidget>("BufferDisplay")->size();
  const QSize log = t.Find<QWidget>("SystemLog")->size();
  const std::string line = "Device was Read Successfull and its contents are in the Buffer";
  t.window.LogMessage(line);
  t.window.resize(t.window.size() + QSize(500, 40));
  QApplication::processEvents();
  const QSize view_after = t.Find<QWidget>("BufferDisplay")->size();
  const QSize log_after = t.Find<QWidget>("SystemLog")->size();
  EXPECT_GT(view_after.width(), view.width());
  EXPECT_GT(view_after.height(), view.height());
  EXPECT_GT(log_after.width(), log.width());
  EXPECT_GT(log_after.height(), log.height());
  ExpectEveryControlWholeAndInside(t);
  ExpectColumnsInOrder(t);
  // With room, a log line is one line on the screen.
  auto* log_view = t.Find<QPlainTextEdit>("SystemLog");
  const QTextBlock last = log_view->document()->lastBlock().previous().isValid() &&
                                  log_view->document()->lastBlock().text().isEmpty()
                              ? log_view->document()->lastBlock().previous()
                              : log_view->document()->lastBlock();
  ASSERT_TRUE(last.text().contains(QString::fromStdString(line)));
  EXPECT_EQ(last.layout()->lineCount(), 1);
}

TEST(WindowLayout, SeparatorsAreRulesNotCaptions) {
  WindowUnderTest t;
  auto* file = t.Find<QMenu>("mnuFile");
  file->ensurePolished();
  const QList<QAction*> actions = file->actions();
  ASSERT_TRUE(actions[3]->isSeparator());
  EXPECT_EQ(actions[3]->text(), "-");
  // A separator drawn as a caption takes a whole line's height.
  EXPECT_LT(file->actionGeometry(actions[3]).height(),
            file->actionGeometry(actions[0]).height() / 2);
}

struct KeyCase {
  const char* entry;
  const char* keys;
};

class UsualKeys : public ::testing::TestWithParam<KeyCase> {};

TEST_P(UsualKeys, ShownInTheMenuAndTriggerTheEntry) {
  WindowUnderTest t;
  StartAndShow(t);
  t.window.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&t.window));
  auto* action = t.Find<QAction>(GetParam().entry);
  ASSERT_NE(action, nullptr);
  EXPECT_EQ(action->shortcut(), QKeySequence(GetParam().keys));
  action->setEnabled(true);
  QSignalSpy triggered(action, &QAction::triggered);
  const QKeyCombination key = QKeySequence(GetParam().keys)[0];
  QTest::keyClick(&t.window, key.key(), key.keyboardModifiers());
  EXPECT_EQ(triggered.count(), 1);
}

INSTANTIATE_TEST_SUITE_P(Window, UsualKeys,
                         ::testing::Values(KeyCase{"mnuFileOpenCode", "Ctrl+O"},
                                           KeyCase{"mnuFileSaveCode", "Ctrl+S"},
                                           KeyCase{"mnuFileSaveCodeAs", "Ctrl+Shift+S"},
                                           KeyCase{"mnuHelpContents", "F1"},
                                           KeyCase{"mnuFileExit", "Ctrl+Q"}));

TEST(WindowLayout, HelpWindowOpensWholeOnTheMainWindowsScreen) {
  WindowUnderTest t;
  StartAndShow(t);
  t.window.move(900, 400);  // near the screen's lower right corner
  QApplication::processEvents();
  t.Find<QAction>("mnuHelpContents")->trigger();
  auto* help = t.window.findChild<app::HelpWindow*>();
  ASSERT_NE(help, nullptr);
  const QRect placed = help->frameGeometry();
  EXPECT_TRUE(t.window.screen()->availableGeometry().contains(placed))
      << placed.x() << "," << placed.y() << " " << placed.width() << "x" << placed.height();
  help->close();
}

}  // namespace
