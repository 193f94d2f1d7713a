#include "platform/signals.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <unistd.h>

#include <array>
#include <csignal>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "support/temp_dir.h"

namespace {

class StopSignalsTest : public ::testing::TestWithParam<int> {};

// The signal does not end the program: it is noted, and it wakes a loop that waits on the
// descriptor. Once the guard goes, the previous disposition is back.
TEST_P(StopSignalsTest, NotedAndWakesTheLoopInsteadOfEndingTheProgram) {
  struct sigaction before {};
  ::sigaction(GetParam(), nullptr, &before);
  {
    platform::StopSignals signals;
    EXPECT_FALSE(signals.Received());
    ASSERT_EQ(std::raise(GetParam()), 0);
    EXPECT_TRUE(signals.Received());
    pollfd wake{signals.WakeDescriptor(), POLLIN, 0};
    EXPECT_EQ(::poll(&wake, 1, 0), 1);
    signals.Acknowledge();
    EXPECT_EQ(::poll(&wake, 1, 0), 0);
    EXPECT_TRUE(signals.Received());  // the request stands until the program ends
  }
  struct sigaction after {};
  ::sigaction(GetParam(), nullptr, &after);
  EXPECT_EQ(after.sa_handler, before.sa_handler);
}

INSTANTIATE_TEST_SUITE_P(IntTermHup, StopSignalsTest, ::testing::Values(SIGINT, SIGTERM, SIGHUP));

// Writes what reaches its signal-safe path to a file, with write(2) only.
class FileBackedPort final : public platform::PortIo {
 public:
  explicit FileBackedPort(const std::string& path)
      : fd_(::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600)) {}
  ~FileBackedPort() override { ::close(fd_); }
  void PortOut(uint16_t, uint8_t) override {}
  uint8_t PortIn(uint16_t) override { return 0xFF; }
  std::string Describe() const override { return "file"; }
  void EmergencyOut(uint16_t port, uint8_t value) noexcept override {
    const std::array<uint8_t, 3> bytes = {static_cast<uint8_t>(port >> 8),
                                          static_cast<uint8_t>(port & 0xFF), value};
    [[maybe_unused]] const ssize_t n = ::write(fd_, bytes.data(), bytes.size());
  }

 private:
  int fd_;
};

std::vector<platform::PortWrite> WritesIn(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::vector<platform::PortWrite> writes;
  std::array<char, 3> b{};
  while (in.read(b.data(), 3)) {
    const auto hi = static_cast<uint8_t>(b[0]), lo = static_cast<uint8_t>(b[1]);
    writes.push_back({static_cast<uint16_t>(hi << 8 | lo), static_cast<uint8_t>(b[2])});
  }
  return writes;
}

class FatalSignal : public ::testing::TestWithParam<int> {};

// The program still ends by the signal it got, but the last sequence set went out first.
TEST_P(FatalSignal, WritesTheResetSequenceThenEndsByTheSameSignal) {
  testing_support::TempDir dir{"meldrix_fatal"};  // the forked child writes where the test reads
  const std::string file = dir.path + "/writes";
  const std::vector<platform::PortWrite> first = {{0x378, 0x11}};
  const std::vector<platform::PortWrite> reset = {
      {0x378, 0x40}, {0x37A, 0x05}, {0x37A, 0x04}, {0x37A, 0x05}, {0x378, 0xC6}};
  const int signal_number = GetParam();
  EXPECT_EXIT(
      {
        FileBackedPort port(file);
        platform::FatalSignalReset guard(port);
        guard.SetResetSequence(first);
        guard.SetResetSequence(reset);
        std::raise(signal_number);
      },
      ::testing::KilledBySignal(signal_number), "");
  EXPECT_EQ(WritesIn(file), reset);
}

INSTANTIATE_TEST_SUITE_P(SegvBusAbrt, FatalSignal, ::testing::Values(SIGSEGV, SIGBUS, SIGABRT));

}  // namespace
