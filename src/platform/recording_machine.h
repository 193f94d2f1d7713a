#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/machine.h"

namespace platform {

// A machine for tests: keeps every port access, busy-wait and sleep in one ordered trace,
// passes the port accesses (through the guard) to a backend when it has one (a simulated
// board, say), and never waits: the time it would have waited is handed to the backend.
class RecordingMachine final : public Machine {
 public:
  enum class Kind : uint8_t { Out, In, Spin, Sleep };
  struct Event {
    Kind kind;
    uint16_t port;  // Out, In
    int32_t value;  // byte written or read; passes; milliseconds
    bool operator==(const Event&) const = default;
  };
  struct Counts {
    int64_t outs = 0, ins = 0, spins = 0, spin_passes = 0, sleeps = 0, sleep_ms = 0, refused = 0;
  };

  // Without a backend every read answers FFh, as a port with nothing attached does.
  explicit RecordingMachine(PortIo* backend = nullptr, bool keep_trace = true);

  void PortOut(uint16_t port, uint8_t value) override;
  uint8_t PortIn(uint16_t port) override;
  void Spin(int32_t passes) override;
  void Sleep(int32_t milliseconds) override;
  // The backend's clock when it keeps one; otherwise the waits recorded so far.
  std::chrono::nanoseconds BoardClock() const override;

  void SetBackend(PortIo* backend) { backend_ = backend; }
  const std::vector<Event>& Trace() const { return trace_; }
  const Counts& Totals() const { return counts_; }
  void Clear();

  // Only the port writes and reads, in order; handy for asserting latch sequences.
  std::vector<Event> PortAccesses() const;
  // The trace as text, one event a line ("out 378 5A", "in 379 -> 78", "spin 12", "sleep 500").
  std::string Describe() const;

 private:
  void Keep(Event e) {
    if (keep_trace_) trace_.push_back(e);
  }
  PortIo* backend_;
  bool keep_trace_;
  std::vector<Event> trace_;
  Counts counts_;
};

// Shorthands for writing expected traces.
constexpr RecordingMachine::Event Out(uint16_t port, int32_t value) {
  return {RecordingMachine::Kind::Out, port, value};
}
constexpr RecordingMachine::Event In(uint16_t port, int32_t value) {
  return {RecordingMachine::Kind::In, port, value};
}
constexpr RecordingMachine::Event SpinOf(int32_t passes) {
  return {RecordingMachine::Kind::Spin, 0, passes};
}
constexpr RecordingMachine::Event SleepOf(int32_t ms) {
  return {RecordingMachine::Kind::Sleep, 0, ms};
}

}  // namespace platform
