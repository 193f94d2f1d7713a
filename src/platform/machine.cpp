#include "platform/machine.h"

#include <chrono>
#include <thread>

namespace platform {

void spin(int32_t n) {
  if (n < 1) return;
  using Clock = std::chrono::steady_clock;
  const Clock::time_point deadline = Clock::now() + kSpinPassTime * n;
  while (Clock::now() < deadline) {
    asm volatile("" ::: "memory");  // the clock read is the pass; nothing may fold it away
  }
}

std::chrono::nanoseconds Machine::BoardClock() const {
  return std::chrono::steady_clock::now().time_since_epoch();
}

std::chrono::nanoseconds LiveMachine::BoardClock() const {
  return guard_.KeepsOwnTime() ? guard_.OwnTime() : Machine::BoardClock();
}

void LiveMachine::Spin(int32_t passes) {
  if (passes < 1) return;
  if (guard_.KeepsOwnTime()) {
    guard_.TimePassed(kSpinPassTime * passes);
    return;
  }
  const auto start = std::chrono::steady_clock::now();
  spin(passes);
  guard_.TimePassed(std::chrono::steady_clock::now() - start);
}

void LiveMachine::Sleep(int32_t milliseconds) {
  if (milliseconds <= 0) return;
  const auto start = std::chrono::steady_clock::now();
  const auto end = start + std::chrono::milliseconds(milliseconds);
  for (int32_t breaks = SliceBreaks(milliseconds); breaks > 0; --breaks) {
    std::this_thread::sleep_for(std::chrono::milliseconds(kSleepSliceMs));
    BetweenSlices();
  }
  std::this_thread::sleep_until(end);  // the slices and whatever ran between them count too
  guard_.TimePassed(std::chrono::steady_clock::now() - start);
}

}  // namespace platform
