#include "platform/machine.h"

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <thread>

#include "platform/port_router.h"
#include "platform/recording_machine.h"

namespace {

using std::chrono::nanoseconds;

// A port that notes the time it is told has passed; it may claim a clock of its own.
class TimedPort final : public platform::PortIo {
 public:
  explicit TimedPort(bool own_clock) : own_clock_(own_clock) {}
  void PortOut(uint16_t, uint8_t) override {}
  uint8_t PortIn(uint16_t) override { return 0xFF; }
  void TimePassed(nanoseconds elapsed) override { time += elapsed; }
  bool KeepsOwnTime() const override { return own_clock_; }
  nanoseconds OwnTime() const override { return own_clock_ ? time : nanoseconds(0); }
  std::string Describe() const override { return "timed"; }
  nanoseconds time{0};

 private:
  bool own_clock_;
};

// A board with its own clock is charged the passes at 0.5 us each, exactly, whatever the count.
TEST(LiveMachine, ChargesBusyWaitsToABoardThatKeepsItsOwnTime) {
  TimedPort sim(true);
  platform::LiveMachine machine(sim);
  for (const auto& [passes, charged] : {std::pair{2'000'000, nanoseconds(1'000'000'000)},
                                        {202, nanoseconds(101'000)},
                                        {1, nanoseconds(500)},
                                        {0, nanoseconds(0)},
                                        {-7, nanoseconds(0)}}) {
    sim.time = nanoseconds(0);
    machine.Spin(passes);
    EXPECT_EQ(sim.time, charged) << passes;
  }
}

// The board's clock: the simulated board's own, moved on by exactly the charged waits; for a
// real port the monotonic clock, which a real wait moves on by at least its length; for the
// recording machine without a board, the waits it recorded.
TEST(BoardClock, IsTheClockTheBoardsWaitsRunOn) {
  TimedPort sim(true);
  platform::LiveMachine simulated(sim);
  sim.time = nanoseconds(7'000);
  EXPECT_EQ(simulated.BoardClock(), nanoseconds(7'000));
  simulated.Spin(202);
  EXPECT_EQ(simulated.BoardClock(), nanoseconds(108'000));

  TimedPort real(false);
  platform::LiveMachine live(real);
  const nanoseconds before = live.BoardClock();
  live.Spin(2'000);
  EXPECT_GE(live.BoardClock() - before, nanoseconds(1'000'000));

  platform::RecordingMachine recording;
  recording.Spin(202);
  recording.Sleep(5);
  recording.Spin(-3);
  EXPECT_EQ(recording.BoardClock(), nanoseconds(5'101'000));
  platform::RecordingMachine on_sim(&sim);
  EXPECT_EQ(on_sim.BoardClock(), sim.time);
}

// On a real port the wait is spun against the monotonic clock and is never shorter than the
// passes asked for, however fast the processor.
TEST(LiveMachine, RealBusyWaitIsNeverShorterThanAsked) {
  TimedPort port(false);
  platform::LiveMachine machine(port);
  for (const int32_t passes : {1, 2, 12, 202, 1002}) {
    port.time = nanoseconds(0);
    const auto start = std::chrono::steady_clock::now();
    machine.Spin(passes);
    const auto waited = std::chrono::steady_clock::now() - start;
    EXPECT_GE(waited, platform::kSpinPassTime * passes) << passes;
    EXPECT_GE(port.time, platform::kSpinPassTime * passes) << passes;
  }
  port.time = nanoseconds(0);
  machine.Spin(0);
  machine.Spin(-1);
  EXPECT_EQ(port.time, nanoseconds(0));
}

// Behind the router, the block accessed last decides: the simulated fallback keeps its own
// time, a block with a real backend needs the real wait.
TEST(PortRouter, KeepsOwnTimeOnlyWhileTheSimulatedFallbackServes) {
  TimedPort fallback(true);
  platform::PortRouter router(fallback, [](uint16_t base) -> std::unique_ptr<platform::PortIo> {
    if (base != 0x378) return nullptr;
    return std::make_unique<TimedPort>(false);
  });
  fallback.time = nanoseconds(9'000);
  EXPECT_TRUE(router.KeepsOwnTime());
  EXPECT_EQ(router.OwnTime(), nanoseconds(9'000));
  router.PortOut(0x37A, 0x05);
  EXPECT_FALSE(router.KeepsOwnTime());
  EXPECT_EQ(router.OwnTime(), nanoseconds(0));
  router.PortIn(0x279);
  EXPECT_TRUE(router.KeepsOwnTime());
  router.PortOut(0x80, 0x00);  // refused: changes nothing
  EXPECT_TRUE(router.KeepsOwnTime());
}

}  // namespace

// A long sleep is slept in slices with the hook between them, and is never shorter than asked
// however long the hook takes; a short one runs no hook.
TEST(LiveMachine, LongSleepRunsTheHookBetweenSlicesAndLastsItsWholeLength) {
  TimedPort port(false);
  platform::LiveMachine machine(port);
  int hooks = 0;
  machine.WhileSleeping([&hooks] {
    ++hooks;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));  // the window painting
  });
  for (const auto& [ms, breaks] : {std::pair{120, 2}, {100, 1}, {50, 0}, {5, 0}, {0, 0}}) {
    hooks = 0;
    port.time = nanoseconds(0);
    machine.Sleep(ms);
    EXPECT_EQ(hooks, breaks) << ms;
    EXPECT_GE(port.time, std::chrono::milliseconds(ms)) << ms;
  }
}
