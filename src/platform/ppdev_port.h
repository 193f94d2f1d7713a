#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "platform/port_io.h"

namespace platform {

// The kernel calls the ppdev backend makes, behind a seam so that tests can play the device.
// Results follow the kernel's convention turned inside out: a file descriptor or 0 for success,
// minus the error number for failure.
class DeviceCalls {
 public:
  virtual ~DeviceCalls() = default;
  virtual int Open(const std::string& path) = 0;  // read and write
  virtual int Ioctl(int fd, unsigned long request, void* argument) = 0;
  virtual void Close(int fd) = 0;
};

// open / ioctl / close on the real device nodes.
std::unique_ptr<DeviceCalls> SystemDeviceCalls();

// One parallel port through the kernel's ppdev driver (/dev/parportN): the port is claimed for
// this program alone on first use and released when the backend goes. Only the three registers
// of its own block are reached; everything else is refused (writes dropped, reads FFh).
// Registers are written and read raw: the board's codes go out exactly as given, and the status
// byte comes back with BUSY still inverted.
class PpdevPort final : public PortIo {
 public:
  PpdevPort(std::string device, uint16_t base,
            std::unique_ptr<DeviceCalls> calls = SystemDeviceCalls());
  ~PpdevPort() override;
  PpdevPort(const PpdevPort&) = delete;
  PpdevPort& operator=(const PpdevPort&) = delete;

  // Opens the device and claims the port exclusively. Empty when the port is ours (now or
  // already), else why not, naming the device. Accesses before a successful claim try once.
  std::optional<std::string> Claim();
  bool Claimed() const { return fd_ >= 0; }

  void PortOut(uint16_t port, uint8_t value) override;
  uint8_t PortIn(uint16_t port) override;
  // One ioctl on the port already claimed; a port not yet claimed is not opened now.
  void EmergencyOut(uint16_t port, uint8_t value) noexcept override;
  std::string Describe() const override { return device_; }

 private:
  bool Ready();
  bool Transfer(unsigned long request, uint8_t& byte);

  std::string device_;
  uint16_t base_;
  std::unique_ptr<DeviceCalls> calls_;
  int fd_ = -1;
  bool tried_ = false;
};

}  // namespace platform
