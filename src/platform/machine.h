#pragma once

#include <chrono>
#include <cstdint>

#include "platform/port_io.h"

namespace platform {

// Counts 1..n through a counter the optimiser must keep: the board's strobes last exactly as
// long as these passes. Does nothing for n < 1.
void spin(int32_t n);

// The nominal time of one pass, as a simulated board is told it (a real pass costs about this).
inline constexpr std::chrono::nanoseconds kSpinPassTime{1};

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
};

// The real thing: guarded port access, real busy-waits, real sleeps.
class LiveMachine final : public Machine {
 public:
  explicit LiveMachine(PortIo& backend) : guard_(backend) {}
  void SetBackend(PortIo& backend) { guard_.SetBackend(backend); }
  PortIo& Backend() const { return guard_.Backend(); }

  void PortOut(uint16_t port, uint8_t value) override { guard_.PortOut(port, value); }
  uint8_t PortIn(uint16_t port) override { return guard_.PortIn(port); }
  void Spin(int32_t passes) override;
  void Sleep(int32_t milliseconds) override;

 private:
  PortGuard guard_;
};

}  // namespace platform
