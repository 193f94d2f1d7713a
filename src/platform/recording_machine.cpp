#include "platform/recording_machine.h"

#include <cstdio>

namespace platform {

RecordingMachine::RecordingMachine(PortIo* backend, bool keep_trace)
    : backend_(backend), keep_trace_(keep_trace) {}

void RecordingMachine::PortOut(uint16_t port, uint8_t value) {
  if (!IsParallelPortAddress(port)) {
    ++counts_.refused;
    return;
  }
  ++counts_.outs;
  Keep(Out(port, value));
  if (backend_ != nullptr) backend_->PortOut(port, value);
}

uint8_t RecordingMachine::PortIn(uint16_t port) {
  if (!IsParallelPortAddress(port)) {
    ++counts_.refused;
    return 0xFF;
  }
  ++counts_.ins;
  const uint8_t value = backend_ != nullptr ? backend_->PortIn(port) : uint8_t{0xFF};
  Keep(In(port, value));
  return value;
}

void RecordingMachine::Spin(int32_t passes) {
  ++counts_.spins;
  counts_.spin_passes += passes > 0 ? passes : 0;
  Keep(SpinOf(passes));
  if (backend_ != nullptr && passes > 0) backend_->TimePassed(kSpinPassTime * passes);
}

void RecordingMachine::Sleep(int32_t milliseconds) {
  ++counts_.sleeps;
  counts_.sleep_ms += milliseconds;
  Keep(SleepOf(milliseconds));
  if (backend_ != nullptr && milliseconds > 0) {
    backend_->TimePassed(std::chrono::milliseconds(milliseconds));
  }
  for (int32_t breaks = SliceBreaks(milliseconds); breaks > 0; --breaks) BetweenSlices();
}

std::chrono::nanoseconds RecordingMachine::BoardClock() const {
  if (backend_ != nullptr && backend_->KeepsOwnTime()) return backend_->OwnTime();
  return kSpinPassTime * counts_.spin_passes + std::chrono::milliseconds(counts_.sleep_ms);
}

void RecordingMachine::Clear() {
  trace_.clear();
  counts_ = {};
}

std::vector<RecordingMachine::Event> RecordingMachine::PortAccesses() const {
  std::vector<Event> accesses;
  for (const Event& e : trace_) {
    if (e.kind == Kind::Out || e.kind == Kind::In) accesses.push_back(e);
  }
  return accesses;
}

std::string RecordingMachine::Describe() const {
  std::string text;
  char line[48];
  for (const Event& e : trace_) {
    switch (e.kind) {
      case Kind::Out:
        std::snprintf(line, sizeof line, "out %X %02X\n", e.port, static_cast<unsigned>(e.value));
        break;
      case Kind::In:
        std::snprintf(line, sizeof line, "in %X -> %02X\n", e.port, static_cast<unsigned>(e.value));
        break;
      case Kind::Spin:
        std::snprintf(line, sizeof line, "spin %d\n", e.value);
        break;
      case Kind::Sleep:
        std::snprintf(line, sizeof line, "sleep %d\n", e.value);
        break;
    }
    text += line;
  }
  return text;
}

}  // namespace platform
