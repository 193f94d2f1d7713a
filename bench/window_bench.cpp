// What keeping the window alive costs: a 27C512 programmed on the simulated board through the
// real window, once with the handler called straight (the window frozen, as before) and once
// from the operator's click (the window painting and answering at the safe points, a timer
// asking it to repaint every 5 ms meanwhile). Beside the time, the widths of the ShortDelay
// pulses as the wall clock saw them: the event processing must never land inside one.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QComboBox>
#include <QPushButton>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "app/dialogs.h"
#include "app/frm_main.h"
#include "bench_support.h"
#include "offscreen_app.h"
#include "operations/programmer.h"
#include "platform/machine.h"
#include "platform/settings_store.h"
#include "platform/sound.h"
#include "sim/sim_board.h"

namespace {

class NoSettings final : public platform::SettingsStore {
 public:
  std::optional<std::string> Get(std::string_view, std::string_view) const override { return {}; }
  void Put(std::string_view, std::string_view, std::string_view) override {}
};

class NoSound final : public platform::SoundPlayer {
 public:
  void Play(const std::string&) override {}
};

// The operator answers OK and cancels every file dialog.
class OkDialogs final : public app::Dialogs {
 public:
  void MessageBox(QWidget*, const QString&, const QString&, panel::Icon) override {}
  bool AskOkCancel(QWidget*, const QString&, const QString&) override { return true; }
  QString InputBox(QWidget*, const QString&, const QString&) override { return {}; }
  QString OpenFile(QWidget*, const QString&, const QString&, int&) override { return {}; }
  QString SaveFile(QWidget*, const QString&, const QString&, const QString&, int&) override {
    return {};
  }
  QString ChooseFolder(QWidget*, const QString&, const QString&) override { return {}; }
};

// The real busy-waits and the simulated board; each busy-wait of `timed_passes` passes is
// timed on the wall clock.
class TimedPulses final : public platform::Machine {
 public:
  explicit TimedPulses(platform::PortIo& board) : live_(board) {}
  void PortOut(uint16_t port, uint8_t value) override { live_.PortOut(port, value); }
  uint8_t PortIn(uint16_t port) override { return live_.PortIn(port); }
  void Spin(int32_t passes) override {
    if (passes != timed_passes) {
      live_.Spin(passes);
      return;
    }
    const auto start = std::chrono::steady_clock::now();
    live_.Spin(passes);
    widths.push_back(std::chrono::steady_clock::now() - start);
  }
  void Sleep(int32_t milliseconds) override { live_.Sleep(milliseconds); }

  int32_t timed_passes = -1;
  std::vector<std::chrono::nanoseconds> widths;

 private:
  platform::LiveMachine live_;
};

double Microseconds(std::chrono::nanoseconds t) {
  return std::chrono::duration<double, std::micro>(t).count();
}

void Program27C512(benchmark::State& state) {
  const bool alive = state.range(0) != 0;
  bench::OffscreenApplication();
  sim::SimBoard board{5, 0x378};
  TimedPulses machine{board};
  bench::QuietClock clock;
  NoSettings settings;
  NoSound sound;
  app::frmMain window(clock, sound, settings, "", std::make_unique<OkDialogs>());
  ops::Programmer programmer(machine, window, clock, "/nonexistent/meldrix5.ini");
  programmer.DeviceSelected = [&board](std::string_view name) { board.InsertDevice(name); };
  window.Attach(programmer);
  window.Form_Load();
  window.show();
  auto* list = window.findChild<QComboBox*>("Device");
  programmer.SetDeviceIndex(list->findText("Eprom 27C512", Qt::MatchStartsWith));
  // An image of 00h throughout, as if loaded from a file: every byte takes a pulse.
  std::fill_n(programmer.buf.CodeBuffer.begin(), programmer.dev.DeviceSize, uint8_t{0x00});
  programmer.buf.CodeLoaded = 1;
  window.SetEnabled(panel::Ctl::Program_button, true);
  window.SetValue(panel::Ctl::CheckCode, 1);
  machine.timed_passes = programmer.board.ShortDelayCount;
  QTimer repaint;
  repaint.setInterval(5);
  QObject::connect(&repaint, &QTimer::timeout, &window, [&window] { window.update(); });
  repaint.start();
  auto* program = window.findChild<QPushButton*>("Program_button");

  for (auto _ : state) {
    state.PauseTiming();
    board.chip()->EraseUV();
    programmer.Error_label_Click();
    state.ResumeTiming();
    if (alive) {
      program->click();
    } else {
      programmer.Program_button_Click();
    }
  }
  auto& w = machine.widths;
  std::sort(w.begin(), w.end());
  if (!w.empty()) {
    state.counters["pulses"] = static_cast<double>(w.size());
    state.counters["pulse_min_us"] = Microseconds(w.front());
    state.counters["pulse_p50_us"] = Microseconds(w[w.size() / 2]);
    state.counters["pulse_p99_us"] = Microseconds(w[w.size() * 99 / 100]);
    state.counters["pulse_max_us"] = Microseconds(w.back());
  }
  state.counters["programmed"] =
      board.chip()->Contents()[65535] == 0x00 ? 1.0 : 0.0;  // the last byte took its pulse
}

BENCHMARK(Program27C512)
    ->ArgName("window_alive")
    ->Arg(0)
    ->Arg(1)
    ->Iterations(3)
    ->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
