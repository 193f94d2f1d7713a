#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/port_io.h"

namespace platform {

// One parallel port reached with the processor's own in/out instructions (x86 Linux), after the
// kernel has granted the three bytes of the block (ioperm). Needs root or CAP_SYS_RAWIO.
// Everything outside the block is refused (writes dropped, reads FFh).
class DirectIoPort final : public PortIo {
  struct Granted {};

 public:
  // The port when the kernel grants it; otherwise nullptr, with why in reason.
  static std::unique_ptr<DirectIoPort> Open(uint16_t base, std::string& reason);

  DirectIoPort(Granted, uint16_t base) : base_(base) {}
  ~DirectIoPort() override;
  DirectIoPort(const DirectIoPort&) = delete;
  DirectIoPort& operator=(const DirectIoPort&) = delete;

  void PortOut(uint16_t port, uint8_t value) override;
  uint8_t PortIn(uint16_t port) override;
  // One processor instruction: as safe in a signal handler as anywhere.
  void EmergencyOut(uint16_t port, uint8_t value) noexcept override { PortOut(port, value); }
  std::string Describe() const override { return "direct I/O"; }

 private:
  bool Ours(uint16_t port) const { return port >= base_ && port <= base_ + 2; }
  uint16_t base_;
};

}  // namespace platform
