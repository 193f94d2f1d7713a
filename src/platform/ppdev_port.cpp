#include "platform/ppdev_port.h"

#include <cerrno>
#include <cstring>
#include <utility>

#if defined(__linux__)
#include <fcntl.h>
#include <sys/ioctl.h>
#include <unistd.h>
// clang-format off
#include <linux/parport.h>
#include <linux/ppdev.h>
// clang-format on
#endif

namespace platform {
namespace {

#if defined(__linux__)
class LinuxDeviceCalls final : public DeviceCalls {
 public:
  int Open(const std::string& path) override {
    const int fd = ::open(path.c_str(), O_RDWR | O_CLOEXEC);
    return fd >= 0 ? fd : -errno;
  }
  int Ioctl(int fd, unsigned long request, void* argument) override {
    return ::ioctl(fd, request, argument) == 0 ? 0 : -errno;
  }
  void Close(int fd) override { ::close(fd); }
};

constexpr unsigned long kExclusive = PPEXCL;
constexpr unsigned long kClaim = PPCLAIM;
constexpr unsigned long kRelease = PPRELEASE;
constexpr unsigned long kWriteData = PPWDATA;
constexpr unsigned long kWriteControl = PPWCONTROL;
constexpr unsigned long kReadData = PPRDATA;
constexpr unsigned long kReadStatus = PPRSTATUS;
constexpr unsigned long kReadControl = PPRCONTROL;
#else
class LinuxDeviceCalls final : public DeviceCalls {
 public:
  int Open(const std::string&) override { return -ENOSYS; }
  int Ioctl(int, unsigned long, void*) override { return -ENOSYS; }
  void Close(int) override {}
};

constexpr unsigned long kExclusive = 0, kClaim = 0, kRelease = 0, kWriteData = 0, kWriteControl = 0,
                        kReadData = 0, kReadStatus = 0, kReadControl = 0;
#endif

std::string Reason(int negative_errno) {
  return std::strerror(-negative_errno);
}

}  // namespace

std::unique_ptr<DeviceCalls> SystemDeviceCalls() {
  return std::make_unique<LinuxDeviceCalls>();
}

PpdevPort::PpdevPort(std::string device, uint16_t base, std::unique_ptr<DeviceCalls> calls)
    : device_(std::move(device)), base_(base), calls_(std::move(calls)) {}

PpdevPort::~PpdevPort() {
  if (fd_ < 0) return;
  uint8_t unused = 0;
  calls_->Ioctl(fd_, kRelease, &unused);
  calls_->Close(fd_);
}

std::optional<std::string> PpdevPort::Claim() {
  if (fd_ >= 0) return std::nullopt;
  tried_ = true;
  if (!IsParallelPortBase(base_)) return device_ + " is not at a parallel-port address";
  const int fd = calls_->Open(device_);
  if (fd < 0) return device_ + " cannot be opened: " + Reason(fd);
  uint8_t unused = 0;
  // Exclusive first: no other driver (lp, another program) may share the port while the board's
  // strobes run, and the kernel only accepts the request before the claim.
  if (const int error = calls_->Ioctl(fd, kExclusive, &unused); error < 0) {
    calls_->Close(fd);
    return device_ + " cannot be had for this program alone: " + Reason(error);
  }
  if (const int error = calls_->Ioctl(fd, kClaim, &unused); error < 0) {
    calls_->Close(fd);
    // The kernel refuses an exclusive claim while another driver (lp) or program has the port.
    return device_ + " cannot be claimed: " + Reason(error) +
           (error == -EBUSY ? " (held by another program or by the lp printer driver)" : "");
  }
  fd_ = fd;
  return std::nullopt;
}

bool PpdevPort::Ready() {
  if (fd_ >= 0) return true;
  if (!tried_) Claim();
  return fd_ >= 0;
}

bool PpdevPort::Transfer(unsigned long request, uint8_t& byte) {
  return calls_->Ioctl(fd_, request, &byte) == 0;
}

void PpdevPort::PortOut(uint16_t port, uint8_t value) {
  // The status register cannot be written; nothing outside the block is ours.
  if (port != base_ && port != base_ + 2) return;
  if (!Ready()) return;
  Transfer(port == base_ ? kWriteData : kWriteControl, value);
}

void PpdevPort::EmergencyOut(uint16_t port, uint8_t value) noexcept {
  if ((port != base_ && port != base_ + 2) || fd_ < 0) return;
  Transfer(port == base_ ? kWriteData : kWriteControl, value);
}

uint8_t PpdevPort::PortIn(uint16_t port) {
  if (port < base_ || port > base_ + 2 || !Ready()) return 0xFF;
  const unsigned long request =
      port == base_ ? kReadData : (port == base_ + 1 ? kReadStatus : kReadControl);
  uint8_t value = 0xFF;
  if (!Transfer(request, value)) return 0xFF;
  return value;
}

}  // namespace platform
