// A long operation through the real window: the window lives, the operator's other input is
// dropped, Stop, Esc, closing the window and SIGTERM end it at a byte boundary with the board
// reset.
#include <gtest/gtest.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QKeyEvent>
#include <QMenuBar>
#include <QPushButton>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <csignal>
#include <functional>
#include <thread>

#include "app/main_form.h"
#include "platform/signals.h"
#include "support/image.h"
#include "support/temp_dir.h"
#include "window_fixture.h"

namespace {

using panel::Ctl;
using platform::RecordingMachine;

// A board whose every status read takes a real pause, so that reading a device takes a while
// on the wall clock; every access is kept in order. With real_sleeps its sleeps take their time
// too, in slices as the real machine's do.
class SlowBoard final : public platform::Machine {
 public:
  void PortOut(uint16_t port, uint8_t value) override { trace.PortOut(port, value); }
  uint8_t PortIn(uint16_t port) override {
    std::this_thread::sleep_for(std::chrono::microseconds(20));
    return trace.PortIn(port);
  }
  void Spin(int32_t passes) override { trace.Spin(passes); }
  void Sleep(int32_t milliseconds) override {
    trace.Sleep(milliseconds);
    if (!real_sleeps) return;
    for (int32_t breaks = SliceBreaks(milliseconds); breaks > 0; --breaks) {
      std::this_thread::sleep_for(std::chrono::milliseconds(kSleepSliceMs));
      BetweenSlices();
    }
  }

  RecordingMachine trace;
  bool real_sleeps = false;
};

struct LongRig {
  explicit LongRig(const char* device) {
    window.Attach(programmer);
    auto& b = programmer.board;
    b.PortBase = 0x378;
    b.BoardModel = 5;
    b.InitControlCodes();
    b.SelectBoardModel();
    b.BuildReadBackTables();
    programmer.FillDeviceList();
    programmer.SetDeviceIndex(Find<QComboBox>("Device")->findText(device, Qt::MatchStartsWith));
    testing_support::TakeAsImage(programmer, programmer.dev.DeviceSize);
    window.SetValue(Ctl::CheckCode, 1);
    window.show();
  }
  template <typename W = QWidget>
  W* Find(const char* name) const {
    return window.findChild<W*>(QString::fromLatin1(name));
  }
  // Runs `during` at every tick of a 10 ms timer while the operation started by `start` runs.
  int RunWithTicks(const std::function<void(int)>& during, const std::function<void()>& start) {
    int ticks = 0;
    QTimer timer;
    timer.setInterval(10);
    QObject::connect(&timer, &QTimer::timeout, [&] {
      if (window.OperationRunning()) during(++ticks);
    });
    timer.start();
    start();
    return ticks;
  }
  bool Logged(const std::string& text) const {
    return window.Caption(Ctl::SystemLog).find(text) != std::string::npos;
  }
  int64_t StatusReads() const {
    int64_t n = 0;
    for (const auto& e : board.trace.Trace()) {
      n += e.kind == RecordingMachine::Kind::In ? 1 : 0;
    }
    return n;
  }
  // The last port writes are Reset's: voltages off, address 0, chip and data driver off.
  bool EndsWithReset() const {
    std::vector<platform::PortWrite> outs;
    for (const auto& e : board.trace.PortAccesses()) {
      if (e.kind == RecordingMachine::Kind::Out) {
        outs.push_back({e.port, static_cast<uint8_t>(e.value)});
      }
    }
    const auto reset = programmer.board.ResetWrites();
    return outs.size() >= reset.size() &&
           std::equal(reset.begin(), reset.end(), outs.end() - static_cast<long>(reset.size()));
  }

  app_testing::TemporaryWorkingDirectory directory;
  testing_support::FakeClock clock;
  app_testing::MemorySettings settings;
  app_testing::RecordingSound sound;
  app_testing::FakeDialogs::State dialogs;
  SlowBoard board;
  app::frmMain window{(app_testing::QtApp(), clock), sound, settings, "/sounds",
                      std::make_unique<app_testing::FakeDialogs>(dialogs)};
  ops::Programmer programmer{board, window, clock, (directory.Path() / "meldrix5.ini").string()};
};

void PostClick(QWidget* widget) {
  const QPointF at = QRectF(widget->rect()).center();
  for (QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
    QCoreApplication::postEvent(
        widget, new QMouseEvent(type, at, widget->mapToGlobal(at), Qt::LeftButton,
                                type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton,
                                Qt::NoModifier));
  }
}

// Counts the paints a widget receives while an operation runs.
class PaintCounter final : public QObject {
 public:
  PaintCounter(QWidget& widget, const app::frmMain& window) : window_(window) {
    widget.installEventFilter(this);
  }
  int paints = 0;

 protected:
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::Paint && window_.OperationRunning()) ++paints;
    return false;
  }

 private:
  const app::frmMain& window_;
};

TEST(LongOperation, WindowLivesOtherInputIsDroppedAndStopEndsAtAByte) {
  LongRig t("Eprom 27C512");
  PaintCounter frame(*t.Find("Frame3"), t.window);
  auto* verify_after = t.Find<QCheckBox>("VerifyAfterProgramming");
  const bool verify_after_before = verify_after->isChecked();
  bool stop_shown = false;
  const int ticks = t.RunWithTicks(
      [&](int tick) {
        if (tick == 1) {
          PostClick(t.Find("Blank_button"));
          PostClick(verify_after);
          t.Find("Frame3")->update();
        }
        if (tick == 4) {
          stop_shown = t.Find("Stop_button")->isVisible();
          app_testing::Click(t.Find("Stop_button"));
        }
      },
      [&] { app_testing::Click(t.Find("Read_button")); });
  QCoreApplication::processEvents();  // whatever was still queued would run now

  EXPECT_GE(ticks, 4);
  EXPECT_GT(frame.paints, 0);
  EXPECT_TRUE(stop_shown);
  EXPECT_FALSE(t.Find("Stop_button")->isVisible());
  EXPECT_TRUE(t.Logged("Operation Stopped by Operator at Address "));
  EXPECT_FALSE(t.Logged("Checking Device for BLANK"));
  EXPECT_FALSE(t.Logged("bytes Read from Device"));
  EXPECT_EQ(verify_after->isChecked(), verify_after_before);
  // Every byte read was read whole: two status reads each, none after the stop.
  EXPECT_GT(t.programmer.StopAddress, 0);
  EXPECT_EQ(t.StatusReads(), 2 * int64_t{t.programmer.StopAddress});
  EXPECT_TRUE(t.EndsWithReset());
  // The next operation runs as usual.
  t.board.trace.Clear();
  t.programmer.StopAddress = 0;
  t.RunWithTicks(
      [&](int tick) {
        if (tick == 2)
          QCoreApplication::postEvent(
              t.Find("Frame3"), new QKeyEvent(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier));
      },
      [&] { app_testing::Click(t.Find("Blank_button")); });
  EXPECT_GT(t.programmer.StopAddress, 0);
  EXPECT_EQ(t.StatusReads(), 2 * int64_t{t.programmer.StopAddress});
}

// While the operation runs, every control that drops the operator's input looks disabled, and
// the bars of the menus and the toolbar too; Stop does not. The core still enables and disables
// meanwhile, and reads back what it set; at the end each control shows what the core left it.
TEST(LongOperation, InputsLookDisabledMeanwhileAndShowTheCoresStatesAfter) {
  LongRig t("Eprom 27C512");
  t.window.SetEnabled(Ctl::Show_button, true);
  std::vector<std::pair<QWidget*, bool>> inputs;
  for (const app::FormControl& row : app::FormControls()) {
    auto* widget = qobject_cast<QWidget*>(t.window.Control(row.ref));
    const bool takes_input = row.kind != app::Kind::Frame && row.kind != app::Kind::Label &&
                             row.kind != app::Kind::Log && row.kind != app::Kind::Page &&
                             row.kind != app::Kind::Progress && row.kind != app::Kind::Field &&
                             row.ref != panel::Ref(Ctl::Error_label);
    if (takes_input) inputs.emplace_back(widget, widget->isEnabled());
  }
  ASSERT_GT(inputs.size(), 25U);
  const bool read_entry = t.Find<QAction>("menuReadCode")->isEnabled();
  t.window.mnuDisplayBufferEditor_Click();
  auto* editor = t.Find("frmBufferEditor");
  int looked_enabled = -1;
  bool stop_usable = false, bars_enabled = true, core_sees_its_own = false, editable = true;
  t.RunWithTicks(
      [&](int tick) {
        if (tick == 2) {
          looked_enabled = static_cast<int>(std::ranges::count_if(
              inputs, [](const auto& input) { return input.first->isEnabled(); }));
          auto* stop = t.Find("Stop_button");
          stop_usable = stop->isVisible() && stop->isEnabled();
          bars_enabled = t.window.menuBar()->isEnabled() || t.Find("tbToolBar")->isEnabled();
          editable = editor->isEnabled();  // the image read or programmed stays as it is
          t.window.SetEnabled(Ctl::Show_button, false);  // as an operation's handler would
          core_sees_its_own =
              !t.window.Enabled(Ctl::Show_button) && t.window.Enabled(Ctl::TestHardware_button);
        }
        if (tick == 3) app_testing::Click(t.Find("Stop_button"));
      },
      [&] { app_testing::Click(t.Find("Read_button")); });
  EXPECT_EQ(looked_enabled, 0);
  EXPECT_TRUE(stop_usable);
  EXPECT_FALSE(bars_enabled);
  EXPECT_FALSE(editable);
  EXPECT_TRUE(editor->isEnabled());
  EXPECT_TRUE(core_sees_its_own);
  EXPECT_TRUE(t.window.menuBar()->isEnabled());
  EXPECT_TRUE(t.Find("tbToolBar")->isEnabled());
  EXPECT_EQ(t.Find<QAction>("menuReadCode")->isEnabled(), read_entry);
  for (const auto& [widget, enabled] : inputs) {
    const bool expected = widget->objectName() == "Show_button" ? false : enabled;
    EXPECT_EQ(widget->isEnabled(), expected) << widget->objectName().toStdString();
  }
}

// The board's 500 ms settling wait before programming does not freeze the window: it paints and
// takes the Stop button meanwhile, and the stop ends the run at the first safe point after the
// wait, with the first byte programmed.
TEST(LongOperation, WindowAnswersDuringTheSettlingWaitAndTheStopComesAtTheNextSafePoint) {
  LongRig t("Eprom 27C256");
  t.board.real_sleeps = true;
  // An erased image: no pulses, so that this board with no chip on it passes every byte.
  std::fill_n(t.programmer.buf.CodeBuffer.begin(), 32768, uint8_t{0xFF});
  t.window.SetEnabled(Ctl::Program_button, true);
  bool programming_started_at_first_tick = true;
  t.RunWithTicks(
      [&](int tick) {
        if (tick != 1) return;
        programming_started_at_first_tick = t.Logged("Programming Started");
        app_testing::Click(t.Find("Stop_button"));
      },
      [&] { app_testing::Click(t.Find("Program_button")); });
  EXPECT_FALSE(programming_started_at_first_tick);
  EXPECT_TRUE(t.Logged("Operation Stopped by Operator at Address 1h"));
  EXPECT_TRUE(t.EndsWithReset());
}

// Closing the window while the device is read asks first: Cancel lets the read finish, OK stops
// it and then closes the window as usual (board reset, placement saved).
TEST(LongOperation, ClosingTheWindowAsksCancelGoesOnOkStopsAndCloses) {
  LongRig t("Eprom 2732A");
  t.dialogs.answers = {false};
  t.RunWithTicks(
      [&](int tick) {
        if (tick == 1) t.window.close();
      },
      [&] { app_testing::Click(t.Find("Read_button")); });
  QCoreApplication::processEvents();
  ASSERT_FALSE(t.dialogs.boxes.empty());
  EXPECT_EQ(t.dialogs.boxes.back().text.toStdString(), "Stop the Operation in Progress and Exit?");
  EXPECT_TRUE(t.Logged("4096 bytes Read from Device"));
  EXPECT_TRUE(t.window.isVisible());

  t.dialogs.answers = {true};
  t.RunWithTicks(
      [&](int tick) {
        if (tick == 1) t.window.close();
      },
      [&] { app_testing::Click(t.Find("Read_button")); });
  QCoreApplication::processEvents();
  EXPECT_TRUE(t.Logged("Operation Stopped by Operator at Address "));
  EXPECT_FALSE(t.window.isVisible());
  EXPECT_GT(t.settings.puts, 0);
  EXPECT_TRUE(t.EndsWithReset());
}

// SIGTERM during an operation stops it at the next byte and closes the window.
TEST(LongOperation, SigtermStopsTheOperationThenClosesTheWindow) {
  LongRig t("Eprom 27C512");
  platform::StopSignals stop_signals;
  t.window.UseStopSignals(&stop_signals);
  t.RunWithTicks(
      [&](int tick) {
        if (tick == 2) std::raise(SIGTERM);
      },
      [&] { app_testing::Click(t.Find("Read_button")); });
  QCoreApplication::processEvents();
  t.window.UseStopSignals(nullptr);
  EXPECT_TRUE(t.Logged("Operation Stopped by Operator at Address "));
  EXPECT_FALSE(t.window.isVisible());
  EXPECT_TRUE(t.EndsWithReset());
}

// The whole program on the simulated board, in a process of its own, gets SIGTERM while it
// programs a 27C512: it stops at a byte, resets the board, and exits normally.
TEST(LongOperation, SigtermToTheProgramLeavesTheSimulatedBoardReset) {
  testing_support::TempDir dir{"meldrix_child"};
  int out[2];
  ASSERT_EQ(::pipe(out), 0);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
  posix_spawn_file_actions_addclose(&actions, out[0]);
  std::string program = MELDRIX_WINDOW_CHILD;
  std::vector<char*> argv = {program.data(), dir.path.data(), nullptr};
  pid_t child = 0;
  ASSERT_EQ(::posix_spawn(&child, program.c_str(), &actions, nullptr, argv.data(), environ), 0);
  posix_spawn_file_actions_destroy(&actions);
  ::close(out[1]);

  // Everything the child says, until it ends or a minute has gone by.
  std::string said;
  bool signalled = false;
  const auto give_up = std::chrono::steady_clock::now() + std::chrono::minutes(1);
  while (std::chrono::steady_clock::now() < give_up) {
    pollfd readable{out[0], POLLIN, 0};
    if (::poll(&readable, 1, 100) <= 0) continue;
    char chunk[4096];
    const ssize_t n = ::read(out[0], chunk, sizeof chunk);
    if (n <= 0) break;
    said.append(chunk, static_cast<size_t>(n));
    if (!signalled && said.find("running\n") != std::string::npos) {
      ::kill(child, SIGTERM);
      signalled = true;
    }
  }
  ::close(out[0]);
  if (!signalled) ::kill(child, SIGKILL);
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);

  ASSERT_TRUE(signalled) << said;
  ASSERT_TRUE(WIFEXITED(status)) << said;
  EXPECT_EQ(WEXITSTATUS(status), 0);
  EXPECT_NE(said.find("Operation Stopped by Operator at Address "), std::string::npos) << said;
  EXPECT_EQ(said.find("Programming Device Successfull"), std::string::npos);
  // Latch 0: programming voltages off; latch 3: chip disabled, data driver off.
  EXPECT_NE(said.find("latch0 40\n"), std::string::npos) << said;
  EXPECT_NE(said.find("latch3 C6\n"), std::string::npos) << said;
}

}  // namespace
