#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <utility>

#include "platform/port_io.h"

namespace platform {

// The time one busy-wait pass stands for. The speed table was laid out for passes of this
// length: at the default slider 202 passes give the 100 us quick-pulse of the CMOS EPROMs.
inline constexpr std::chrono::nanoseconds kSpinPassTime{500};

// Busy-waits n passes of kSpinPassTime, checked against the monotonic clock, so that the wait is
// never shorter than asked whatever the processor's speed or clock frequency; a wait the
// scheduler interrupts only gets longer. Does nothing for n < 1.
void spin(int32_t n);

// The one seam between the board code and the computer: port accesses, busy-waits and
// millisecond sleeps all pass here, so a recording machine can keep them in one ordered trace
// and tests need not wait the real milliseconds.
class Machine {
 public:
  virtual ~Machine() = default;
  virtual void PortOut(uint16_t port, uint8_t value) = 0;
  virtual uint8_t PortIn(uint16_t port) = 0;
  virtual void Spin(int32_t passes) = 0;
  virtual void Sleep(int32_t milliseconds) = 0;
  // The board's clock: the monotonic clock for a real board, whose waits take real time; a
  // simulated board's own clock. Only differences between two readings mean anything.
  virtual std::chrono::nanoseconds BoardClock() const;

  // A long sleep (a supply or voltage settling) is slept in slices of kSleepSliceMs; `hook` runs
  // between them, so that the window answers the desktop meanwhile. The board sees one wait.
  static constexpr int32_t kSleepSliceMs = 50;
  void WhileSleeping(std::function<void()> hook) { while_sleeping_ = std::move(hook); }

 protected:
  // How many times a sleep of this length runs the hook: once between two slices.
  static int32_t SliceBreaks(int32_t milliseconds) {
    return milliseconds > 0 ? (milliseconds - 1) / kSleepSliceMs : 0;
  }
  void BetweenSlices() const {
    if (while_sleeping_) while_sleeping_();
  }

 private:
  std::function<void()> while_sleeping_;
};

// The real thing: guarded port access, real busy-waits, real sleeps. A backend that keeps its
// own clock (a simulated board) is charged the busy-wait's time instead of having it spun.
class LiveMachine final : public Machine {
 public:
  explicit LiveMachine(PortIo& backend) : guard_(backend) {}
  void SetBackend(PortIo& backend) { guard_.SetBackend(backend); }
  PortIo& Backend() const { return guard_.Backend(); }

  void PortOut(uint16_t port, uint8_t value) override { guard_.PortOut(port, value); }
  uint8_t PortIn(uint16_t port) override { return guard_.PortIn(port); }
  void Spin(int32_t passes) override;
  void Sleep(int32_t milliseconds) override;
  std::chrono::nanoseconds BoardClock() const override;

 private:
  PortGuard guard_;
};

}  // namespace platform
