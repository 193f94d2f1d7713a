#include "platform/ppdev_port.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <memory>
#include <string>
#include <vector>

#if defined(__linux__)
#include <sys/ioctl.h>
// clang-format off
#include <linux/parport.h>
#include <linux/ppdev.h>
// clang-format on

namespace {

// A ppdev device as the driver answers: every call is kept, in order; registers read back what
// the fake holds; opening and each request can be made to fail.
struct DeviceLog {
  struct Call {
    std::string what;
    unsigned long request = 0;
    int value = -1;
    bool operator==(const Call&) const = default;
  };
  std::vector<Call> calls;
  int open_error = 0;
  unsigned long failing_request = 0;
  int request_error = 0;
  uint8_t status = 0x78, data = 0x11, control = 0x0C;
};

class FakeDevice final : public platform::DeviceCalls {
 public:
  explicit FakeDevice(DeviceLog& log) : log_(log) {}
  int Open(const std::string& path) override {
    log_.calls.push_back({"open " + path});
    return log_.open_error != 0 ? -log_.open_error : 7;
  }
  int Ioctl(int fd, unsigned long request, void* argument) override {
    auto* byte = static_cast<uint8_t*>(argument);
    const bool writes = request == PPWDATA || request == PPWCONTROL;
    log_.calls.push_back({"ioctl " + std::to_string(fd), request, writes ? *byte : -1});
    if (request == log_.failing_request) return -log_.request_error;
    if (request == PPRSTATUS) *byte = log_.status;
    if (request == PPRDATA) *byte = log_.data;
    if (request == PPRCONTROL) *byte = log_.control;
    return 0;
  }
  void Close(int fd) override { log_.calls.push_back({"close " + std::to_string(fd)}); }

 private:
  DeviceLog& log_;
};

using Call = DeviceLog::Call;

std::unique_ptr<platform::PpdevPort> PortAt378(DeviceLog& log) {
  return std::make_unique<platform::PpdevPort>("/dev/parport0", 0x378,
                                               std::make_unique<FakeDevice>(log));
}

TEST(PpdevPort, ClaimsExclusivelyOnFirstUseWritesRawAndReleasesAtTheEnd) {
  DeviceLog log;
  {
    auto port = PortAt378(log);
    EXPECT_TRUE(log.calls.empty());  // nothing happens before the first access
    port->PortOut(0x378, 0xBF);
    port->PortOut(0x37A, 0x0E);
    EXPECT_EQ(port->PortIn(0x379), 0x78);
    EXPECT_EQ(port->PortIn(0x378), 0x11);
    EXPECT_EQ(port->PortIn(0x37A), 0x0C);
    EXPECT_EQ(port->Describe(), "/dev/parport0");
  }
  const std::vector<Call> expected = {{"open /dev/parport0"},        {"ioctl 7", PPEXCL},
                                      {"ioctl 7", PPCLAIM},          {"ioctl 7", PPWDATA, 0xBF},
                                      {"ioctl 7", PPWCONTROL, 0x0E}, {"ioctl 7", PPRSTATUS},
                                      {"ioctl 7", PPRDATA},          {"ioctl 7", PPRCONTROL},
                                      {"ioctl 7", PPRELEASE},        {"close 7"}};
  EXPECT_EQ(log.calls, expected);
}

TEST(PpdevPort, RefusesEverythingOutsideItsBlockAndTheStatusWrite) {
  DeviceLog log;
  auto port = PortAt378(log);
  ASSERT_FALSE(port->Claim());
  log.calls.clear();
  port->PortOut(0x379, 0x55);  // status is read-only
  port->PortOut(0x37B, 0x55);
  port->PortOut(0x278, 0x55);
  EXPECT_EQ(port->PortIn(0x377), 0xFF);
  EXPECT_EQ(port->PortIn(0x37B), 0xFF);
  EXPECT_EQ(port->PortIn(0x279), 0xFF);
  EXPECT_TRUE(log.calls.empty());
}

struct FailureCase {
  const char* name;
  int open_error;
  unsigned long failing_request;
  std::string reason;
  size_t calls;  // made before giving up, the close included when something was opened
};
void PrintTo(const FailureCase& c, std::ostream* os) {
  *os << c.name;
}

class PpdevFailure : public ::testing::TestWithParam<FailureCase> {};

// A device that cannot be opened or claimed says which and why, leaves nothing open, and is not
// tried again on every access.
TEST_P(PpdevFailure, NamesTheDeviceAndTheReason) {
  const FailureCase& c = GetParam();
  DeviceLog log;
  log.open_error = c.open_error;
  log.failing_request = c.failing_request;
  log.request_error = EBUSY;
  auto port = PortAt378(log);
  const auto failure = port->Claim();
  ASSERT_TRUE(failure.has_value());
  EXPECT_EQ(*failure, c.reason);
  EXPECT_FALSE(port->Claimed());
  EXPECT_EQ(log.calls.size(), c.calls);
  if (c.open_error == 0) {
    EXPECT_EQ(log.calls.back().what, "close 7");
  }
  port->PortOut(0x378, 1);
  EXPECT_EQ(port->PortIn(0x379), 0xFF);
  port.reset();
  EXPECT_EQ(log.calls.size(), c.calls);  // no access, no release of what was never claimed
}

INSTANTIATE_TEST_SUITE_P(
    Kernel, PpdevFailure,
    ::testing::Values(
        FailureCase{"Permission", EACCES, 0, "/dev/parport0 cannot be opened: Permission denied",
                    1},
        FailureCase{"Held", 0, PPEXCL,
                    "/dev/parport0 cannot be had for this program alone: Device or resource busy",
                    3},
        FailureCase{"ClaimRefused", 0, PPCLAIM,
                    "/dev/parport0 cannot be claimed: Device or resource busy (held by another "
                    "program or by the lp printer driver)",
                    4}),
    [](const auto& param_info) { return std::string(param_info.param.name); });

TEST(PpdevPort, FirstAccessThatCannotClaimIsNotRetried) {
  DeviceLog log;
  log.open_error = EACCES;
  auto port = PortAt378(log);
  port->PortOut(0x378, 1);
  port->PortOut(0x37A, 2);
  EXPECT_EQ(port->PortIn(0x379), 0xFF);
  EXPECT_EQ(log.calls.size(), 1U);
}

TEST(PpdevPort, AFailedReadGivesTheFloatingValue) {
  DeviceLog log;
  log.failing_request = PPRSTATUS;
  log.request_error = EIO;
  auto port = PortAt378(log);
  EXPECT_EQ(port->PortIn(0x379), 0xFF);
}

}  // namespace
#endif
