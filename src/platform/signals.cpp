#include "platform/signals.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <csignal>
#include <stdexcept>

namespace platform {
namespace {

// A signal handler reaches nothing but what lives here: the two guards below own it while they
// live, and only one of each may live at a time.
volatile std::sig_atomic_t g_stop_received = 0;
int g_wake_write = -1;

constexpr std::array<int, 3> kStopSignals = {SIGINT, SIGTERM, SIGHUP};
std::array<struct sigaction, 3> g_previous_stop{};

PortIo* g_fatal_port = nullptr;
std::array<PortWrite, FatalSignalReset::kMaxWrites> g_reset_writes{};
std::atomic<size_t> g_reset_count{0};
constexpr std::array<int, 5> kFatalSignals = {SIGSEGV, SIGBUS, SIGILL, SIGFPE, SIGABRT};
std::array<struct sigaction, 5> g_previous_fatal{};

extern "C" void OnStopSignal(int) {
  g_stop_received = 1;
  if (g_wake_write >= 0) {
    const char byte = 1;
    // A full pipe already wakes the loop; nothing else is done here.
    [[maybe_unused]] const ssize_t written = ::write(g_wake_write, &byte, 1);
  }
}

// The handler runs with the default action back in place, so that a fault inside these writes
// ends the program at once; the last raise ends it by the signal it came with.
extern "C" void OnFatalSignal(int signal_number) {
  if (PortIo* port = g_fatal_port) {
    const size_t count = g_reset_count.load(std::memory_order_acquire);
    for (size_t i = 0; i < count; ++i)
      port->EmergencyOut(g_reset_writes[i].port, g_reset_writes[i].value);
  }
  ::raise(signal_number);
}

template <size_t N>
void Install(const std::array<int, N>& signals, std::array<struct sigaction, N>& previous,
             void (*handler)(int), int flags) {
  struct sigaction action {};
  action.sa_handler = handler;
  sigemptyset(&action.sa_mask);
  action.sa_flags = flags;
  for (size_t i = 0; i < N; ++i) ::sigaction(signals[i], &action, &previous[i]);
}

template <size_t N>
void Restore(const std::array<int, N>& signals, const std::array<struct sigaction, N>& previous) {
  for (size_t i = 0; i < N; ++i) ::sigaction(signals[i], &previous[i], nullptr);
}

}  // namespace

StopSignals::StopSignals() {
  if (g_wake_write >= 0) throw std::logic_error("stop signals are handled already");
  int ends[2];
  if (::pipe2(ends, O_CLOEXEC | O_NONBLOCK) != 0) throw std::runtime_error("no pipe for signals");
  wake_read_ = ends[0];
  g_wake_write = ends[1];
  g_stop_received = 0;
  Install(kStopSignals, g_previous_stop, OnStopSignal, SA_RESTART);
}

StopSignals::~StopSignals() {
  Restore(kStopSignals, g_previous_stop);
  ::close(g_wake_write);
  ::close(wake_read_);
  g_wake_write = -1;
  g_stop_received = 0;
}

bool StopSignals::Received() const {
  return g_stop_received != 0;
}

void StopSignals::Acknowledge() {
  std::array<char, 64> bytes{};
  while (::read(wake_read_, bytes.data(), bytes.size()) > 0) {
  }
}

FatalSignalReset::FatalSignalReset(PortIo& port) {
  if (g_fatal_port != nullptr) throw std::logic_error("fatal signals are handled already");
  g_reset_count.store(0, std::memory_order_release);
  g_fatal_port = &port;
  Install(kFatalSignals, g_previous_fatal, OnFatalSignal,
          static_cast<int>(SA_RESETHAND | SA_NODEFER));
}

FatalSignalReset::~FatalSignalReset() {
  Restore(kFatalSignals, g_previous_fatal);
  g_fatal_port = nullptr;
  g_reset_count.store(0, std::memory_order_release);
}

// The count drops to 0 while the writes change, so a handler never sees half a sequence.
void FatalSignalReset::SetResetSequence(std::span<const PortWrite> writes) {
  const size_t count = std::min(writes.size(), kMaxWrites);
  g_reset_count.store(0, std::memory_order_release);
  std::atomic_signal_fence(std::memory_order_seq_cst);
  std::copy_n(writes.begin(), count, g_reset_writes.begin());
  std::atomic_signal_fence(std::memory_order_seq_cst);
  g_reset_count.store(count, std::memory_order_release);
}

}  // namespace platform
