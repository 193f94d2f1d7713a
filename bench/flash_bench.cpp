// Software time per byte of the 32-pin Flash byte walk (ProgramFlashByID): the 26 fast latch
// writes of the program command and the read-back of each byte, with the busy-waits and sleeps
// left out (a recording machine counts them without waiting).
#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>
#include <vector>

#include "bench_support.h"
#include "operations/programmer.h"
#include "platform/recording_machine.h"
#include "sim/sim_board.h"

namespace {

// A window that nobody looks at: keeps only the values the walk reads back (progress bar) and
// sets the write-wait slider.
class FlashPanel final : public bench::QuietPanel {
 public:
  void SetValue(Ref r, int value) override {
    if (r.ctl == panel::Ctl::ProgressBar1) progress_ = value;
  }
  int Value(Ref r) const override {
    if (r.ctl == panel::Ctl::Slider1) return 18;
    return r.ctl == panel::Ctl::ProgressBar1 ? progress_ : 0;
  }
  void SetMax(Ref r, int max) override {
    if (r.ctl == panel::Ctl::ProgressBar1) progress_max_ = max;
  }
  int Max(Ref r) const override {
    if (r.ctl == panel::Ctl::Slider1) return 20;
    return r.ctl == panel::Ctl::ProgressBar1 ? progress_max_ : 0;
  }
  Color ForeColor(Ref) const override { return panel::kGreyText; }
  Color BackColor(Ref) const override { return panel::kButtonFace; }
  void LogMessage(std::string_view) override { ++log_lines; }

  int log_lines = 0;

 private:
  int progress_ = 0, progress_max_ = 100;
};

// A port that does nothing but hold the data lines of a chip that reads 01h everywhere (an AMD
// maker byte, and every byte of an image of 01h bytes): model 5 shows the low nibble with
// control 05h and the high nibble otherwise.
class ChipReadingOne final : public platform::PortIo {
 public:
  void PortOut(uint16_t port, uint8_t value) override {
    if (port == 0x37A) control_ = value;
  }
  uint8_t PortIn(uint16_t) override { return control_ == 0x05 ? 0x08 : 0x00; }
  std::string Describe() const override { return "fixed chip"; }

 private:
  uint8_t control_ = 0;
};

struct Walk {
  explicit Walk(platform::PortIo& port) : io(&port, /*keep_trace=*/false) {
    auto& b = p.board;
    bench::SetUpBoardAt378(b, 5);
    for (int16_t i = 4; i < 8; ++i) b.AddrHighMap[static_cast<size_t>(i)] = i + 4;
    b.LatchDelayCount = 12;
    b.Reg3Mask = 4;
    p.dev = {"Flash AMD AM29F040", "F", "M", "FM", 512, 524288, 0, 0};
    std::fill(p.ProgramBuffer.begin(), p.ProgramBuffer.end(), uint8_t{0x01});
  }
  platform::RecordingMachine io;
  FlashPanel ui;
  bench::QuietClock clock;
  ops::Programmer p{io, ui, clock, "/nonexistent/meldrix5.ini"};
};

// Port accesses and busy-waits of the last pass per byte, and the time per byte.
void PerByteCounters(benchmark::State& state, const platform::RecordingMachine::Counts& t) {
  const auto bytes = static_cast<double>(state.range(0));
  state.counters["outs/byte"] = static_cast<double>(t.outs) / bytes;
  state.counters["ins/byte"] = static_cast<double>(t.ins) / bytes;
  state.counters["spins/byte"] = static_cast<double>(t.spins) / bytes;
  state.counters["time/byte"] = benchmark::Counter(
      bytes, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
  state.SetItemsProcessed(state.iterations() * state.range(0));
}

void BM_ProgramFlashByID_NullPort(benchmark::State& state) {
  ChipReadingOne port;
  Walk w(port);
  w.p.buf.CodeLength = static_cast<int32_t>(state.range(0));
  for (auto _ : state) {
    w.io.Clear();
    w.p.ProgramFlashByID();
    benchmark::DoNotOptimize(w.p.board.CurrentAddress);
  }
  if (w.p.board.CurrentAddress != w.p.buf.CodeLength) state.SkipWithError("walk stopped early");
  PerByteCounters(state, w.io.Totals());
}
BENCHMARK(BM_ProgramFlashByID_NullPort)->Arg(65536)->Unit(benchmark::kMillisecond);

// The same walk into a simulated AM29F040, which decodes every latch write, runs its command
// state machine and answers the read-back. The chip is made blank again between passes, since
// a Flash cell only loses bits.
void BM_ProgramFlashByID_SimulatedBoard(benchmark::State& state) {
  sim::SimBoard board(5);
  board.InsertDevice("Flash AMD AM29F040");
  Walk w(board);
  w.p.buf.CodeLength = static_cast<int32_t>(state.range(0));
  for (size_t i = 0; i < w.p.ProgramBuffer.size(); ++i) {
    w.p.ProgramBuffer[i] = static_cast<uint8_t>(i * 13);
  }
  const std::vector<uint8_t> blank(524288, 0xFF);
  for (auto _ : state) {
    state.PauseTiming();
    board.chip()->Load(blank);
    w.io.Clear();
    state.ResumeTiming();
    w.p.ProgramFlashByID();
  }
  if (w.p.board.CurrentAddress != w.p.buf.CodeLength) state.SkipWithError("walk stopped early");
  PerByteCounters(state, w.io.Totals());
}
BENCHMARK(BM_ProgramFlashByID_SimulatedBoard)->Arg(65536)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
