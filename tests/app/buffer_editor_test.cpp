// The buffer editor through the real window: opened from the Display menu, it goes to an
// address, takes bytes typed in hex and in ASCII, finds bytes and text both ways, fills a
// range, undoes and redoes, gives the checksums of a selection; the main window's page follows,
// Save writes the edited bytes, and closing over unsaved edits asks.
#include "app/buffer_editor.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <fstream>

#include "app/hex_edit_view.h"
#include "window_fixture.h"

namespace {

using app_testing::WindowUnderTest;
using panel::Ctl;

struct EditorRig : WindowUnderTest {
  EditorRig() {
    window.Form_Load();
    window.show();
    programmer.SetDeviceIndex(
        Find<QComboBox>("Device")->findText("Eprom 2764", Qt::MatchStartsWith));
    path = (directory.Path() / "image.bin").string();
    std::ofstream(path, std::ios::binary) << std::string(8192, '\x55');
    Open();
    Find<QAction>("mnuDisplayBufferEditor")->trigger();
    editor = Find<app::frmBufferEditor>("frmBufferEditor");
    view = editor->findChild<app::HexEditView*>("EditorView");
  }
  void Open() {
    dialogs.replies = {QString::fromStdString(path)};
    Find<QAction>("mnuFileOpenCode")->trigger();
  }
  template <typename W>
  W* In(const char* name) const {
    return editor->findChild<W*>(name);
  }
  void Press(const char* button) const { In<QPushButton>(button)->click(); }
  void Enter(const char* field, const char* text) const { In<QLineEdit>(field)->setText(text); }
  std::string Bytes(uint32_t address, size_t count) const {
    const auto& code = programmer.buf.CodeBuffer;
    return {code.begin() + address, code.begin() + address + static_cast<long>(count)};
  }
  QString Message() const { return In<QLabel>("EditorMessage")->text(); }

  std::string path;
  app::frmBufferEditor* editor = nullptr;
  app::HexEditView* view = nullptr;
};

TEST(BufferEditor, GoToTypeFindFillUndoChecksumsAndSave) {
  EditorRig t;
  ASSERT_NE(t.editor, nullptr);
  EXPECT_TRUE(t.editor->isVisible());
  t.programmer.SetScrollValue(0x1F);  // the main window shows the page the edits go to

  t.Enter("EditorGoTo", "1F00h");
  t.Press("EditorGoButton");
  EXPECT_EQ(t.view->Cursor(), 0x1F00U);
  QTest::keyClicks(t.view, "DEad");
  QTest::keyClick(t.view, Qt::Key_Tab);
  QTest::keyClicks(t.view, "Hi");
  EXPECT_EQ(t.Bytes(0x1EFF, 6), "\x55\xDE\xADHi\x55");
  EXPECT_EQ(t.window.Caption(Ctl::FileNameCodeText), t.path + " (edited)");
  EXPECT_NE(t.window.Caption(Ctl::BufferDisplay).find("001F00| DEAD4869 55555555"),
            std::string::npos);

  t.Enter("EditorFind", "55 de");
  t.Press("EditorFindPrevious");
  EXPECT_EQ(t.view->Selection(), (std::pair<uint32_t, uint32_t>{0x1EFF, 0x1F00}));
  t.Press("EditorFindNext");
  EXPECT_EQ(t.Message().toStdString(), "Not found after 1EFFh");
  t.In<QComboBox>("EditorFindAs")->setCurrentIndex(1);  // text
  t.Enter("EditorFind", "Hi");
  t.Press("EditorFindNext");
  EXPECT_EQ(t.view->Selection(), (std::pair<uint32_t, uint32_t>{0x1F02, 0x1F03}));
  t.Press("EditorChecksums");
  EXPECT_TRUE(t.In<QLabel>("EditorChecksumText")
                  ->text()
                  .startsWith("Selection 1F02h..1F03h: Checksums of 2 bytes: sum 00B1h"));

  t.Enter("EditorFillFrom", "10");
  t.Enter("EditorFillTo", "1f");
  t.Enter("EditorFillValue", "0");
  t.Press("EditorFillButton");
  EXPECT_EQ(t.Bytes(0x0F, 18), "\x55" + std::string(16, '\0') + "\x55");
  t.Press("EditorUndo");
  EXPECT_EQ(t.Bytes(0x10, 16), std::string(16, '\x55'));
  t.Press("EditorRedo");
  EXPECT_EQ(t.Bytes(0x10, 16), std::string(16, '\0'));
  for (int step = 0; step < 3; ++step) t.Press("EditorUndo");  // the fill, "i" and "H"
  EXPECT_EQ(t.Bytes(0x1F00, 4), "\xDE\xAD\x55\x55");

  t.Find<QAction>("mnuFileSaveCode")->trigger();
  std::ifstream saved(t.path, std::ios::binary);
  const std::string file((std::istreambuf_iterator<char>(saved)), std::istreambuf_iterator<char>());
  ASSERT_EQ(file.size(), 8192U);
  EXPECT_EQ(file.substr(0x1F00, 3), "\xDE\xAD\x55");
  EXPECT_EQ(t.window.Caption(Ctl::FileNameCodeText), t.path);

  // The file loaded again replaces the image: the edits made in the earlier one cannot be undone
  // into it.
  std::ofstream(t.path, std::ios::binary) << std::string(8192, '\x66');
  t.Open();
  t.Press("EditorUndo");
  EXPECT_EQ(t.Bytes(0x1F00, 2), "\x66\x66");
}

// Closing the program over edits no file holds asks first; Cancel keeps the window.
TEST(BufferEditor, ClosingOverUnsavedEditsAsks) {
  EditorRig t;
  QTest::keyClicks(t.view, "00");
  t.dialogs.answers = {false};
  t.window.close();
  ASSERT_FALSE(t.dialogs.boxes.empty());
  EXPECT_EQ(t.dialogs.boxes.back().text.toStdString(),
            "The Buffer holds edits that are not saved. Exit and lose them?");
  EXPECT_TRUE(t.window.isVisible());
  t.dialogs.answers = {true};
  t.window.close();
  EXPECT_FALSE(t.window.isVisible());
  EXPECT_FALSE(t.editor->isVisible());
}

}  // namespace
