#pragma once

#include <chrono>
#include <cstdint>
#include <string>

namespace platform {

// One byte for one port register.
struct PortWrite {
  uint16_t port;
  uint8_t value;
  bool operator==(const PortWrite&) const = default;
};

// One parallel-port backend: a byte out or in at a 16-bit I/O address, at once, nothing buffered.
class PortIo {
 public:
  virtual ~PortIo() = default;
  virtual void PortOut(uint16_t port, uint8_t value) = 0;
  virtual uint8_t PortIn(uint16_t port) = 0;
  // Only a simulated board cares how long the program waited between two accesses.
  virtual void TimePassed(std::chrono::nanoseconds /*elapsed*/) {}
  // True for a backend with a clock of its own (a simulated board): a busy-wait is charged to
  // that clock instead of being spun. Real ports need the real time to pass.
  virtual bool KeepsOwnTime() const { return false; }
  // That clock's reading, for a backend that keeps its own time; zero for any other.
  virtual std::chrono::nanoseconds OwnTime() const { return {}; }
  // How the port is reached, for the status bar: "/dev/parport0", "direct I/O", ...
  virtual std::string Describe() const = 0;
  // The same write as PortOut, made from a signal handler when the program is ending on a
  // fault: no allocation, no lock, nothing opened, nothing thrown. A backend that cannot write
  // that way leaves it empty.
  virtual void EmergencyOut(uint16_t /*port*/, uint8_t /*value*/) noexcept {}
};

// The three register blocks of the legacy parallel ports: 278h-27Ah, 378h-37Ah, 3BCh-3BEh.
constexpr bool IsParallelPortAddress(uint16_t port) {
  return (port >= 0x278 && port <= 0x27A) || (port >= 0x378 && port <= 0x37A) ||
         (port >= 0x3BC && port <= 0x3BE);
}

// The base addresses a board can sit at.
constexpr bool IsParallelPortBase(int port) {
  return port == 0x378 || port == 0x278 || port == 0x3BC;
}

// Nothing attached: writes go nowhere, reads see the pulled-up lines.
class NullPort final : public PortIo {
 public:
  void PortOut(uint16_t, uint8_t) override {}
  uint8_t PortIn(uint16_t) override { return 0xFF; }
  std::string Describe() const override { return "no port access"; }
};

// Passes an access on only when it addresses one of the three parallel-port blocks: a refused
// write does nothing, a refused read gives FFh. Every access to hardware goes through one.
class PortGuard final : public PortIo {
 public:
  explicit PortGuard(PortIo& backend) : backend_(&backend) {}
  void SetBackend(PortIo& backend) { backend_ = &backend; }
  PortIo& Backend() const { return *backend_; }

  void PortOut(uint16_t port, uint8_t value) override {
    if (IsParallelPortAddress(port)) backend_->PortOut(port, value);
  }
  uint8_t PortIn(uint16_t port) override {
    return IsParallelPortAddress(port) ? backend_->PortIn(port) : uint8_t{0xFF};
  }
  void TimePassed(std::chrono::nanoseconds elapsed) override { backend_->TimePassed(elapsed); }
  bool KeepsOwnTime() const override { return backend_->KeepsOwnTime(); }
  std::chrono::nanoseconds OwnTime() const override { return backend_->OwnTime(); }
  std::string Describe() const override { return backend_->Describe(); }
  void EmergencyOut(uint16_t port, uint8_t value) noexcept override {
    if (IsParallelPortAddress(port)) backend_->EmergencyOut(port, value);
  }

 private:
  PortIo* backend_;
};

}  // namespace platform
