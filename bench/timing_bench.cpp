// Real durations of the calibrated busy-waits on this computer, and what programming and
// reading cost in wall time once the waits are physical.
//
// BM_Delay: ShortDelay, LongDelay and LatchDelay at the default slider (18 of 20) for device
// types "4", "9" and "2", each timed 1000 times against the monotonic clock; the counters give
// the median and the 99th percentile in microseconds and their error against the nominal
// passes x 0.5 us.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

#include "bench_support.h"
#include "operations/programmer.h"
#include "platform/machine.h"
#include "platform/port_io.h"

namespace {

using Clock = std::chrono::steady_clock;

// A window with the speed slider at its default, 18 of 20.
class SliderPanel final : public bench::QuietPanel {
 public:
  int Value(panel::Ref r) const override { return r.ctl == panel::Ctl::Slider1 ? 18 : 0; }
  int Max(panel::Ref r) const override { return r.ctl == panel::Ctl::Slider1 ? 20 : 0; }
};

// The program on a port that does nothing, with real busy-waits and sleeps.
struct RealWaits {
  explicit RealWaits(const char* type) {
    bench::SetUpBoardAt378(p.board, 5);
    p.dev.DeviceType = type;
    for (const devices::DeviceEntry& row : devices::DeviceTable) {
      if (row.Family == 'P' && row.Type == type[0]) p.dev.Row = row;
    }
    p.SetSpeedFactorsOfDevice();
    p.SetSpeedDelays();
  }
  platform::NullPort port;
  platform::LiveMachine io{port};
  SliderPanel ui;
  bench::QuietClock clock;
  ops::Programmer p{io, ui, clock, "/nonexistent/meldrix5.ini"};
};

enum class Delay { Short, Long, Latch };

double Percentile(std::vector<double>& sorted, double fraction) {
  const auto at = static_cast<size_t>(fraction * static_cast<double>(sorted.size() - 1) + 0.5);
  return sorted[at];
}

void BM_Delay(benchmark::State& state, const char* type, Delay which) {
  RealWaits rig(type);
  board::Board& b = rig.p.board;
  const int32_t passes = which == Delay::Short  ? b.ShortDelayCount
                         : which == Delay::Long ? b.LongDelayCount
                                                : b.LatchDelayCount;
  const double nominal_us =
      std::chrono::duration<double, std::micro>(platform::kSpinPassTime * passes).count();
  constexpr int kWaits = 1000;
  std::vector<double> us;
  us.reserve(kWaits);
  for (auto _ : state) {
    us.clear();
    for (int i = 0; i < kWaits; ++i) {
      const auto start = Clock::now();
      switch (which) {
        case Delay::Short:
          b.ShortDelay();
          break;
        case Delay::Long:
          b.LongDelay();
          break;
        case Delay::Latch:
          b.LatchDelay();
          break;
      }
      us.push_back(std::chrono::duration<double, std::micro>(Clock::now() - start).count());
    }
  }
  std::sort(us.begin(), us.end());
  const double median = Percentile(us, 0.5), p99 = Percentile(us, 0.99);
  state.counters["passes"] = passes;
  state.counters["nominal_us"] = nominal_us;
  state.counters["median_us"] = median;
  state.counters["p99_us"] = p99;
  state.counters["min_us"] = us.front();
  state.counters["median_err_pct"] = 100.0 * (median - nominal_us) / nominal_us;
  state.counters["p99_err_pct"] = 100.0 * (p99 - nominal_us) / nominal_us;
}

#define DELAYS(type)                                                 \
  BENCHMARK_CAPTURE(BM_Delay, Short_type##type, #type, Delay::Short) \
      ->Iterations(1)                                                \
      ->Unit(benchmark::kMillisecond);                               \
  BENCHMARK_CAPTURE(BM_Delay, Long_type##type, #type, Delay::Long)   \
      ->Iterations(1)                                                \
      ->Unit(benchmark::kMillisecond);                               \
  BENCHMARK_CAPTURE(BM_Delay, Latch_type##type, #type, Delay::Latch) \
      ->Iterations(1)                                                \
      ->Unit(benchmark::kMillisecond)

DELAYS(4);
DELAYS(9);
DELAYS(2);

// Reading a whole 27C080 with real busy-waits (the latch delays of type "9" at the default
// slider) over a port that does nothing: the wall time an operator waits, less the port's own
// access time.
void BM_ReadWholeDeviceWithRealWaits(benchmark::State& state) {
  RealWaits rig("9");
  rig.p.dev.DeviceFamily = "P";
  rig.p.dev.DeviceCode = "P9";
  rig.p.dev.DeviceSize = rig.p.buf.CodeLength = 1048576;
  for (auto _ : state) {
    rig.p.ReadDeviceToBuffer();
    benchmark::DoNotOptimize(rig.p.buf.CodeBuffer.data());
  }
  state.counters["latch_delay_passes"] = rig.p.board.LatchDelayCount;
  state.SetItemsProcessed(state.iterations() * 1048576);
}
BENCHMARK(BM_ReadWholeDeviceWithRealWaits)->Iterations(1)->Unit(benchmark::kSecond);

}  // namespace

BENCHMARK_MAIN();
