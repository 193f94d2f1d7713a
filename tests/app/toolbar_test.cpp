// The toolbar runs the file commands by key, and the window ends start-up with no device chosen.
#include <gtest/gtest.h>

#include <QAction>
#include <QMenu>

#include "app/application.h"
#include "app/file_filter.h"
#include "buffers/image_formats.h"
#include "devices/catalogue.h"
#include "frontend/simulated_port_access.h"
#include "window_fixture.h"

namespace {

using panel::Ctl;

TEST(ToolbarDispatch, EachKeyRunsItsFileCommand) {
  app_testing::WindowUnderTest t;
  for (const char* key : {"OpenCode", "SaveCode", "OpenData", "SaveData"}) {
    t.Find<QAction>(key)->trigger();  // each dialog is cancelled
  }
  const std::vector<QString> titles = {"Open Code File", "Save CODE BUFFER ...",
                                       "Open Data File (eeprom)", "Save DATA Buffer ..."};
  EXPECT_EQ(t.dialogs.titles, titles);
  // Open takes any file and tells the format by content unless the operator picks one; Save offers
  // the formats it writes.
  const std::string save_filter =
      "Raw Binary (*);;Intel HEX (*.hex *.ihx);;Motorola S-record (*.s19 *.s28 *.s37 *.srec *.mot)";
  const std::string open_filter = app::QtNameFilter(buffers::OpenFilter());
  EXPECT_TRUE(open_filter.starts_with("All Files (*);;Raw Binary (*);;Intel HEX")) << open_filter;
  const std::vector<std::string> filters = {open_filter, save_filter, open_filter, save_filter};
  ASSERT_EQ(t.dialogs.filters.size(), filters.size());
  for (size_t i = 0; i < filters.size(); ++i) {
    EXPECT_EQ(t.dialogs.filters[i].toStdString(), filters[i]);
  }
}

TEST(ToolbarDispatch, AnyOtherKeyDoesNothing) {
  app_testing::WindowUnderTest t;
  for (const char* key : {"opencode", "OpenCode ", "Burn1", "Camera", "", "tbToolBar(3)"}) {
    t.programmer.tbToolBar_ButtonClick(key);
  }
  EXPECT_TRUE(t.dialogs.titles.empty());
  EXPECT_TRUE(t.dialogs.boxes.empty());
  EXPECT_EQ(t.window.Caption(Ctl::SystemLog), "");
}

// At the end of start-up no device is chosen: of the Command menu only "Test LPT Ports" can be
// used, and the data commands of the toolbar are hidden.
TEST(StartUpState, OnlyTestLptPortsIsEnabledInTheCommandMenu) {
  app_testing::WindowUnderTest t;
  frontend::SimulatedPortAccess access{
      [](uint16_t, const auto&) { return std::unique_ptr<platform::PortIo>(); }};
  ops::Programmer live(access.Machine(), t.window, t.clock,
                       (t.directory.Path() / "meldrix5.ini").string());
  app::ConnectWindow(t.window, live, access);
  t.window.Form_Load();

  for (const QAction* entry : t.Find<QMenu>("menuCommand")->actions()) {
    if (entry->isSeparator()) continue;
    EXPECT_EQ(entry->isEnabled(), entry->objectName() == "menuTestHardware")
        << entry->objectName().toStdString();
  }
  EXPECT_FALSE(t.Find<QAction>("SaveCode")->isEnabled());
  for (const char* hidden : {"tbToolBar(3)", "OpenData", "SaveData"}) {
    EXPECT_FALSE(t.Find<QAction>(hidden)->isVisible()) << hidden;
  }
  for (const char* off : {"Program_button", "Verify_button", "Read_button", "Display_button",
                          "Blank_button", "Erase_button", "EraseFlash_button", "VerifyButton"}) {
    EXPECT_FALSE(t.Find<QWidget>(off)->isEnabled()) << off;
  }
  EXPECT_FALSE(t.Find<QAction>("LoopFlashTest")->isEnabled());
  EXPECT_FALSE(t.Find<QAction>("ResetFlash")->isEnabled());
  EXPECT_EQ(t.window.ListCount(), static_cast<int>(devices::kDeviceCount));
  EXPECT_EQ(t.window.ListIndex(), -1);
  EXPECT_EQ(t.window.Caption(Ctl::SystemLog), "");
}

}  // namespace
