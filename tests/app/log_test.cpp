// The system log: entry format, the saved file with its header and StatCode, and failed saves.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>

#include <QPlainTextEdit>
#include <QTextCursor>
#include <fstream>

#include "frontend/log_text.h"
#include "window_fixture.h"

namespace {

using app_testing::ReadFile;
using app_testing::WindowUnderTest;
using panel::Ctl;

TEST(LogText, EntryPutsTheLineBreakFirstAndNoBlankBeforeTheMarker) {
  EXPECT_EQ(frontend::LogEntry("22:41:07", "Device Eprom 2764 was Selected"),
            "\r\n22:41:07>  Device Eprom 2764 was Selected");
  EXPECT_EQ(frontend::LogEntry("10:02:03 PM", ""), "\r\n10:02:03 PM>  ");
}

TEST(LogText, StatCodeCountsEveryByteAsZeroTo255) {
  // Line ends count, and a byte above 127 never counts as negative.
  EXPECT_NE(frontend::LogFileText("\r\nA\xFF", "d", "t").find("d t StatCode: 343 \r\n"),
            std::string::npos);
}

TEST(LogText, NumbersPrintWithTheSignBlankAndOneBlankAfter) {
  EXPECT_EQ(frontend::PrintNumber(0), " 0 ");
  EXPECT_EQ(frontend::PrintNumber(1234567), " 1234567 ");
  EXPECT_EQ(frontend::PrintNumber(98765432101.0), " 98765432101 ");  // no exponent form
}

TEST(LogText, FileHasFourHeaderLinesThenTheLog) {
  const std::string log = "\r\n22:41:07>  A";
  EXPECT_EQ(frontend::LogFileText(log, "12/07/2026", "22:41:09"),
            "MELDRIX5 SYSTEM LOG FILE - " + std::string(frontend::kVendorText) + "\r\n" +
                "The following contents are the log from the Meldrix5 Program\r\n" +
                "12/07/2026 22:41:09 StatCode: 634 \r\n" + std::string(60, '-') + "\r\n" + log +
                "\r\n");
}

TEST(LogText, EmptyLogGivesTheHeaderAndAnEmptyLine) {
  const std::string file = frontend::LogFileText("", "12/07/2026", "22:41:09");
  EXPECT_TRUE(file.ends_with(std::string(60, '-') + "\r\n\r\n"));
  EXPECT_NE(file.find("\r\n12/07/2026 22:41:09 StatCode: 0 \r\n"), std::string::npos);
}

TEST(SystemLog, EntriesAppendInOrderWithTheCaretAtTheEnd) {
  WindowUnderTest t;
  t.window.LogMessage("first");
  t.clock.time = "22:41:08";
  t.window.LogMessage("second");
  EXPECT_EQ(t.window.Caption(Ctl::SystemLog), "\r\n22:41:07>  first\r\n22:41:08>  second");
  auto* view = t.Find<QPlainTextEdit>("SystemLog");
  EXPECT_EQ(view->toPlainText().toStdString(), "\n22:41:07>  first\n22:41:08>  second");
  EXPECT_TRUE(view->textCursor().atEnd());
}

TEST(SystemLog, StartUpEndsWithAnEmptyLog) {
  WindowUnderTest t;
  t.window.LogMessage("left over from before");
  t.window.Form_Load();
  EXPECT_EQ(t.window.Caption(Ctl::SystemLog), "");
  EXPECT_EQ(t.Find<QPlainTextEdit>("SystemLog")->toPlainText(), "");
}

TEST(SystemLog, DoubleClickSavesTheLogThenLogsTheSave) {
  WindowUnderTest t;
  t.window.LogMessage("Device Eprom 2764 was Selected");
  const std::string before = t.window.Caption(Ctl::SystemLog);
  app_testing::DoubleClick(t.Find<QPlainTextEdit>("SystemLog")->viewport());

  const std::string file = ReadFile(t.directory.Path() / "MELDRIX5.LOG");
  EXPECT_EQ(file, frontend::LogFileText(before, t.clock.date, t.clock.time));
  EXPECT_EQ(t.window.Caption(Ctl::SystemLog),
            before + "\r\n22:41:07>  System Log was Saved to MELDRIX5.LOG file");

  // The second save holds the first save's entry.
  t.window.SystemLog_DblClick();
  EXPECT_NE(ReadFile(t.directory.Path() / "MELDRIX5.LOG")
                .find("System Log was Saved to MELDRIX5.LOG file\r\n"),
            std::string::npos);
  EXPECT_TRUE(t.dialogs.boxes.empty());
}

TEST(SystemLog, SavingAnEmptyLogWritesStatCodeZero) {
  WindowUnderTest t;
  t.window.SystemLog_DblClick();
  const std::string file = ReadFile(t.directory.Path() / "MELDRIX5.LOG");
  EXPECT_EQ(file, frontend::LogFileText("", t.clock.date, t.clock.time));
  EXPECT_NE(file.find(" StatCode: 0 \r\n"), std::string::npos);
}

// A file size limit makes every write beyond it fail, as a full disk does, even for root.
class FileSizeLimit {
 public:
  explicit FileSizeLimit(rlim_t bytes) {
    getrlimit(RLIMIT_FSIZE, &previous_);
    old_handler_ = signal(SIGXFSZ, SIG_IGN);
    rlimit limited = previous_;
    limited.rlim_cur = bytes;
    setrlimit(RLIMIT_FSIZE, &limited);
  }
  ~FileSizeLimit() {
    setrlimit(RLIMIT_FSIZE, &previous_);
    signal(SIGXFSZ, old_handler_);
  }
  FileSizeLimit(const FileSizeLimit&) = delete;
  FileSizeLimit& operator=(const FileSizeLimit&) = delete;

 private:
  rlimit previous_{};
  void (*old_handler_)(int) = nullptr;
};

TEST(SystemLog, FailedSaveWarnsAndKeepsTheEarlierFileAndTheLog) {
  WindowUnderTest t;
  const auto path = t.directory.Path() / "MELDRIX5.LOG";
  std::ofstream(path, std::ios::binary) << "earlier log\r\n";
  t.window.LogMessage("Device Eprom 2764 was Selected");
  const std::string log = t.window.Caption(Ctl::SystemLog);
  {
    FileSizeLimit full_disk(32);
    t.window.SystemLog_DblClick();
  }
  EXPECT_EQ(ReadFile(path), "earlier log\r\n");
  EXPECT_EQ(t.window.Caption(Ctl::SystemLog), log);
  ASSERT_EQ(t.dialogs.boxes.size(), 1U);
  EXPECT_TRUE(t.dialogs.boxes[0].text.contains("MELDRIX5.LOG"));
  EXPECT_EQ(t.dialogs.boxes[0].icon, panel::Icon::Exclamation);
  // No temporary file is left behind.
  int files = 0;
  for ([[maybe_unused]] const auto& entry :
       std::filesystem::directory_iterator(t.directory.Path())) {
    ++files;
  }
  EXPECT_EQ(files, 1);
}

}  // namespace
