#include "platform/machine.h"

#include <chrono>
#include <thread>

namespace platform {

void spin(int32_t n) {
  for (int32_t i = 1; i <= n; ++i) {
    asm volatile("" ::: "memory");  // an empty pass the compiler may not remove
  }
}

void LiveMachine::Spin(int32_t passes) {
  if (passes < 1) return;
  spin(passes);
  guard_.TimePassed(kSpinPassTime * passes);
}

void LiveMachine::Sleep(int32_t milliseconds) {
  if (milliseconds <= 0) return;
  const auto start = std::chrono::steady_clock::now();
  std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
  guard_.TimePassed(std::chrono::steady_clock::now() - start);
}

}  // namespace platform
