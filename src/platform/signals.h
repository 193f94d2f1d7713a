#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "platform/port_io.h"

namespace platform {

// While one of these lives, SIGINT, SIGTERM and SIGHUP only ask the program to stop: the handler
// notes the request, the running operation stops at its next safe point, and the program then
// ends as it does when the operator closes it (board reset, settings saved). Only one may live.
class StopSignals {
 public:
  StopSignals();
  ~StopSignals();
  StopSignals(const StopSignals&) = delete;
  StopSignals& operator=(const StopSignals&) = delete;

  // True once one of the three signals came in.
  bool Received() const;
  // Becomes readable when a signal comes in, so that an event loop waiting for the operator
  // wakes up too; Acknowledge empties it.
  int WakeDescriptor() const { return wake_read_; }
  void Acknowledge();

 private:
  int wake_read_ = -1;
};

// While one of these lives, a fatal signal (SIGSEGV, SIGBUS, SIGILL, SIGFPE, SIGABRT) first
// writes the board's reset sequence through the port's signal-safe path, so that the
// programming voltage does not stay on a chip, then ends the program by the same signal.
// Only one may live.
class FatalSignalReset {
 public:
  static constexpr size_t kMaxWrites = 32;

  explicit FatalSignalReset(PortIo& port);
  ~FatalSignalReset();
  FatalSignalReset(const FatalSignalReset&) = delete;
  FatalSignalReset& operator=(const FatalSignalReset&) = delete;

  // The writes the handler makes, in order (the first kMaxWrites of them); replaces the last.
  void SetResetSequence(std::span<const PortWrite> writes);
};

}  // namespace platform
