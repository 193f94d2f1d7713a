// Software cost of the EPROM operations per device byte: the device walk (read), the verify and
// programming with every cell taking one pulse. The machine below does no port access and no
// waiting, so what is measured is the program's own work around each port access; a real port
// access costs about a microsecond on top.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdint>
#include <memory>
#include <span>
#include <string>

#include "bench_support.h"
#include "operations/programmer.h"
#include "panel/panel.h"
#include "platform/clock.h"
#include "platform/recording_machine.h"

#if __has_include("sim/sim_board.h")
#include "sim/sim_board.h"
#define MELDRIX_BENCH_SIM 1
#endif

namespace {

using panel::Color;
using panel::Ref;

// The window as the EPROM operations need it: the code image is the one ticked, the high
// address half is selected, and the progress bar, error label and last log line are kept.
class EpromPanel final : public bench::QuietPanel {
 public:
  void SetValue(Ref r, int v) override {
    if (r.ctl == panel::Ctl::ProgressBar1) progress_ = v;
  }
  int Value(Ref r) const override {
    if (r.ctl == panel::Ctl::CheckCode) return 1;
    if (r.ctl == panel::Ctl::HiLow_button) return r.index == 0 ? 1 : 0;
    if (r.ctl == panel::Ctl::ProgressBar1) return progress_;
    return 0;
  }
  int Max(Ref) const override { return 100; }
  void SetForeColor(Ref r, Color c) override {
    if (r.ctl == panel::Ctl::Error_label) error_ = c;
  }
  Color ForeColor(Ref r) const override {
    return r.ctl == panel::Ctl::Error_label ? error_ : panel::kGreyText;
  }
  Color BackColor(Ref) const override { return panel::kButtonFace; }
  void LogMessage(std::string_view m) override { last_log = m; }

  std::string last_log;

 private:
  int progress_ = 0;
  Color error_ = panel::kGreyText;
};

// A model-5 board whose socket holds an erased chip that takes any byte with its first pulse:
// reads answer FFh until a pulse has been given, then the byte being programmed. Counts the
// port accesses; waits for nothing.
class OnePulseMachine final : public platform::Machine {
 public:
  void Watch(const ops::Programmer* p) { p_ = p; }
  void PortOut(uint16_t port, uint8_t value) override {
    ++accesses;
    if (port == 0x37A) control_ = value;
  }
  uint8_t PortIn(uint16_t) override {
    ++accesses;
    const unsigned byte = pulsed_ ? p_->ProgramByte : 0xFFU;
    if (control_ == 5) return static_cast<uint8_t>((byte & 0xFU) << 3U);
    pulsed_ = false;  // the byte is read back: the next one starts erased
    return static_cast<uint8_t>((byte >> 4U) << 3U);
  }
  void Spin(int32_t passes) override {
    if (passes == p_->board.ShortDelayCount) pulsed_ = true;
  }
  void Sleep(int32_t milliseconds) override {
    if (milliseconds == 5) pulsed_ = true;
  }
  int64_t accesses = 0;

 private:
  const ops::Programmer* p_ = nullptr;
  uint8_t control_ = 0;
  bool pulsed_ = false;
};

// With the delay counts of the default slider (18 of 20) for the device's type, and the
// datasheet's typical programming time of the whole device:
// - 27C256: 3.3 s, 32768 bytes of ST M27C256B's "Programming time: 100us/Word" (feature summary);
// - 27C512: 6.5 s and 27C080: 52.5 s, the figures the 27C512 and 27C801 datasheets give.
struct Device {
  const char* name;
  const char* type;
  int32_t size;
  int32_t latch_delay, short_delay, long_delay;
  double typical_seconds;
};
constexpr Device k27C256{"Eprom 27C256", "4", 32768, 12, 202, 1002, 3.3};
constexpr Device k27C512{"Eprom 27C512", "5", 65536, 12, 202, 1002, 6.5};
constexpr Device k27C080{"Eprom 27C080", "9", 1048576, 6, 102, 502, 52.5};

void SelectOnModel5(ops::Programmer& p, const Device& d, const char* name) {
  auto& b = p.board;
  bench::SetUpBoardAt378(b, 5);
  b.LatchDelayCount = d.latch_delay;
  b.ShortDelayCount = d.short_delay;
  b.LongDelayCount = d.long_delay;
  p.dev.DeviceFamily = std::string("P");
  p.dev.DeviceType = d.type;
  p.dev.DeviceCode = std::string("P") + d.type;
  for (const devices::DeviceEntry& row : devices::DeviceTable) {
    if (row.Name == name) p.dev.Row = row;
  }
  b.Reg1Mask = p.dev.Row.Reg1Mask;
  b.Reg3Mask = p.dev.Row.Reg3Mask;
  p.dev.DeviceSize = d.size;
  p.dev.VppClass = 1;
  p.dev.ProgVoltage = 12;
  p.buf.CodeLength = d.size;
  p.buf.CodeImageLength = d.size;  // an image of the whole device, as a file of its size gives
  p.dev.DeviceName = name;
}

struct Bench {
  explicit Bench(const Device& d) {
    io.Watch(&p);
    SelectOnModel5(p, d, d.name);
  }
  int64_t Accesses() const { return io.accesses; }
  OnePulseMachine io;
  EpromPanel ui;
  bench::QuietClock clock;
  ops::Programmer p{io, ui, clock, "/nonexistent/meldrix5.ini"};
};

template <typename Rig>
void Report(benchmark::State& state, const Rig& b, int32_t size) {
  const auto bytes = static_cast<double>(size) * static_cast<double>(state.iterations());
  state.SetItemsProcessed(static_cast<int64_t>(bytes));
  state.counters["accesses_per_byte"] = static_cast<double>(b.Accesses()) / bytes;
  state.counters["ns_per_byte"] =
      benchmark::Counter(bytes, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
  state.counters["ns_per_access"] = benchmark::Counter(
      static_cast<double>(b.Accesses()), benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

template <typename Rig>
void RunRead(benchmark::State& state, Device d) {
  Rig b(d);
  for (auto _ : state) {
    b.p.ReadDeviceToBuffer();
    benchmark::DoNotOptimize(b.p.buf.CodeBuffer.data());
  }
  Report(state, b, d.size);
}

// Verify and Compare walk the same bytes of an erased device against an erased image.
template <typename Rig, void (ops::Programmer::*Walk)()>
void RunWalk(benchmark::State& state, Device d) {
  Rig b(d);
  std::fill_n(b.p.buf.CodeBuffer.begin(), d.size, uint8_t{0xFF});  // the erased device matches
  for (auto _ : state) (b.p.*Walk)();
  if (b.ui.last_log != "Device Contents MATCHES with Buffer Contents")
    state.SkipWithError("no match");
  Report(state, b, d.size);
}

template <typename Rig>
void RunProgram(benchmark::State& state, Device d) {
  Rig b(d);
  for (int32_t i = 0; i < d.size; ++i) {  // no FFh byte: every cell is pulsed
    b.p.buf.CodeBuffer[static_cast<size_t>(i)] = static_cast<uint8_t>((i * 7 + (i >> 8)) % 255);
  }
  for (auto _ : state) b.p.ProgramCode();
  if (b.ui.last_log != "Programming Device Successfull") state.SkipWithError("not programmed");
  Report(state, b, d.size);
}

// The port itself as this benchmark sees it: one call through the Machine interface.
void BM_PortAccessAlone(benchmark::State& state) {
  Bench b(k27C512);
  platform::Machine& m = b.io;
  for (auto _ : state) {
    m.PortOut(0x378, 0x5A);
    benchmark::DoNotOptimize(m.PortIn(0x379));
  }
  state.counters["ns_per_access"] =
      benchmark::Counter(static_cast<double>(b.io.accesses),
                         benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

void BM_DeviceScanRead(benchmark::State& state, Device d) {
  RunRead<Bench>(state, d);
}
void BM_Verify(benchmark::State& state, Device d) {
  RunWalk<Bench, &ops::Programmer::VerifyCode>(state, d);
}
void BM_Compare(benchmark::State& state, Device d) {
  RunWalk<Bench, &ops::Programmer::CompareCode>(state, d);
}
void BM_ProgramOnePulse(benchmark::State& state, Device d) {
  RunProgram<Bench>(state, d);
}

// The same on the fast path: the program's own time per byte, to set against the board's time
// per byte that BM_Sim* measure.
struct FastBench : Bench {
  explicit FastBench(const Device& d) : Bench(d) { p.board.SetFastPath(true); }
};
void BM_DeviceScanReadFast(benchmark::State& state, Device d) {
  RunRead<FastBench>(state, d);
}
void BM_VerifyFast(benchmark::State& state, Device d) {
  RunWalk<FastBench, &ops::Programmer::VerifyCode>(state, d);
}
void BM_ProgramOnePulseFast(benchmark::State& state, Device d) {
  RunProgram<FastBench>(state, d);
}

#ifdef MELDRIX_BENCH_SIM
// The same on the simulated board, whose cells need their datasheet pulse time, through the
// recording machine that hands the waits to the board as time passed, on the exact path (the
// default) and on the fast path. Per run: sim_s, the operation's time on the board's clock (what a
// real board would take at 1 us a port access); wall_s, the program's own time for it, and
// cpu_share, that against sim_s; port accesses and latch writes per device byte; typical_s, the
// datasheet's typical programming time of the device.
struct SimBench {
  SimBench(const Device& d, bool fast) {
    SelectOnModel5(p, d, d.name);
    p.board.SetFastPath(fast);
    board.InsertDevice(d.name);
  }
  int64_t Accesses() const { return io.Totals().outs + io.Totals().ins; }
  sim::SimBoard board{5};
  platform::RecordingMachine io{&board, /*keep_trace=*/false};
  EpromPanel ui;
  bench::QuietClock clock;
  ops::Programmer p{io, ui, clock, "/nonexistent/meldrix5.ini"};
};

// Every cell pulsed (no FFh byte).
void FillWithoutErasedBytes(ops::Programmer& p, int32_t size) {
  for (int32_t i = 0; i < size; ++i) {
    p.buf.CodeBuffer[static_cast<size_t>(i)] = static_cast<uint8_t>((i * 7 + (i >> 8)) % 255);
  }
}

enum class SimOperation : uint8_t { Program, Verify, Compare, Read };

// One operation on a rig made for it (programming: a blank chip; verify and compare: a chip
// holding the image; read: an erased chip), measured on both clocks.
void RunOnSimulator(benchmark::State& state, const Device& d, SimOperation operation, bool fast) {
  double sim_seconds = 0, wall_seconds = 0;
  double accesses = 0, latch_writes = 0;
  for (auto _ : state) {
    state.PauseTiming();
    auto b = std::make_unique<SimBench>(d, fast);
    FillWithoutErasedBytes(b->p, d.size);
    if (operation == SimOperation::Verify || operation == SimOperation::Compare) {
      b->board.chip()->Load(
          std::span<const uint8_t>(b->p.buf.CodeBuffer.data(), static_cast<size_t>(d.size)));
    }
    const int64_t accesses_before = b->Accesses();
    const uint64_t latch_writes_before = b->p.board.LatchWritesSent();
    const sim::Nanos started = b->board.Now();
    const auto wall_started = std::chrono::steady_clock::now();
    state.ResumeTiming();
    switch (operation) {
      case SimOperation::Program:
        b->p.ProgramCode();
        break;
      case SimOperation::Verify:
        b->p.VerifyCode();
        break;
      case SimOperation::Compare:
        b->p.CompareCode();
        break;
      case SimOperation::Read:
        b->p.ReadDeviceToBuffer();
        break;
    }
    state.PauseTiming();
    wall_seconds +=
        std::chrono::duration<double>(std::chrono::steady_clock::now() - wall_started).count();
    sim_seconds += std::chrono::duration<double>(b->board.Now() - started).count();
    accesses += static_cast<double>(b->Accesses() - accesses_before);
    latch_writes += static_cast<double>(b->p.board.LatchWritesSent() - latch_writes_before);
    const bool done = operation == SimOperation::Program
                          ? b->ui.last_log == "Programming Device Successfull"
                          : operation == SimOperation::Read ||
                                b->ui.last_log == "Device Contents MATCHES with Buffer Contents";
    if (!done) state.SkipWithError(("not done: " + b->ui.last_log).c_str());
    b.reset();
    state.ResumeTiming();
  }
  const auto runs = static_cast<double>(state.iterations());
  const double bytes = static_cast<double>(d.size) * runs;
  state.SetItemsProcessed(static_cast<int64_t>(bytes));
  state.counters["sim_s"] = sim_seconds / runs;
  state.counters["wall_s"] = wall_seconds / runs;
  state.counters["cpu_share"] = wall_seconds / sim_seconds;
  state.counters["accesses_per_byte"] = accesses / bytes;
  state.counters["latch_writes_per_byte"] = latch_writes / bytes;
  if (operation == SimOperation::Program) state.counters["typical_s"] = d.typical_seconds;
}

void BM_SimProgram(benchmark::State& state, Device d, bool fast) {
  RunOnSimulator(state, d, SimOperation::Program, fast);
}
void BM_SimVerify(benchmark::State& state, Device d, bool fast) {
  RunOnSimulator(state, d, SimOperation::Verify, fast);
}
void BM_SimCompare(benchmark::State& state, Device d, bool fast) {
  RunOnSimulator(state, d, SimOperation::Compare, fast);
}
void BM_SimRead(benchmark::State& state, Device d, bool fast) {
  RunOnSimulator(state, d, SimOperation::Read, fast);
}

// Each operation and device, exact path then fast path, one run each: a run is the whole device.
#define MELDRIX_SIM_BENCH(fn, device)                     \
  BENCHMARK_CAPTURE(fn, device##_exact, k##device, false) \
      ->Unit(benchmark::kMillisecond)                     \
      ->Iterations(1);                                    \
  BENCHMARK_CAPTURE(fn, device##_fast, k##device, true)   \
      ->Unit(benchmark::kMillisecond)                     \
      ->Iterations(1)
#define MELDRIX_SIM_BENCHES(fn)  \
  MELDRIX_SIM_BENCH(fn, 27C256); \
  MELDRIX_SIM_BENCH(fn, 27C512); \
  MELDRIX_SIM_BENCH(fn, 27C080)
MELDRIX_SIM_BENCHES(BM_SimProgram);
MELDRIX_SIM_BENCHES(BM_SimVerify);
MELDRIX_SIM_BENCHES(BM_SimCompare);
MELDRIX_SIM_BENCHES(BM_SimRead);
#endif

BENCHMARK_CAPTURE(BM_DeviceScanRead, 27C512, k27C512)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_DeviceScanRead, 27C080, k27C080)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Verify, 27C512, k27C512)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Verify, 27C080, k27C080)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Compare, 27C512, k27C512)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Compare, 27C080, k27C080)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_ProgramOnePulse, 27C512, k27C512)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_ProgramOnePulse, 27C080, k27C080)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_DeviceScanReadFast, 27C080, k27C080)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_VerifyFast, 27C080, k27C080)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_ProgramOnePulseFast, 27C080, k27C080)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PortAccessAlone);

}  // namespace

BENCHMARK_MAIN();
