#include <gtest/gtest.h>

#include <vector>

#include "platform/machine.h"
#include "platform/port_io.h"
#include "platform/recording_machine.h"

namespace {

// Remembers what reached it.
class Probe final : public platform::PortIo {
 public:
  void PortOut(uint16_t port, uint8_t value) override { writes.push_back({port, value}); }
  uint8_t PortIn(uint16_t port) override {
    reads.push_back(port);
    return 0x5A;
  }
  std::string Describe() const override { return "probe"; }
  std::vector<std::pair<uint16_t, uint8_t>> writes;
  std::vector<uint16_t> reads;
};

TEST(PortGuard, PassesOnlyTheThreeParallelPortBlocks) {
  Probe probe;
  platform::PortGuard guard(probe);
  const std::vector<uint16_t> allowed = {0x278, 0x279, 0x27A, 0x378, 0x379,
                                         0x37A, 0x3BC, 0x3BD, 0x3BE};
  const std::vector<uint16_t> refused = {0x000, 0x001, 0x002, 0x277, 0x27B,
                                         0x377, 0x37B, 0x3BB, 0x3BF, 0xFFFF};
  for (uint16_t port : allowed) {
    guard.PortOut(port, 1);
    EXPECT_EQ(guard.PortIn(port), 0x5A) << std::hex << port;
  }
  for (uint16_t port : refused) {
    guard.PortOut(port, 1);
    EXPECT_EQ(guard.PortIn(port), 0xFF) << std::hex << port;
  }
  EXPECT_EQ(probe.writes.size(), allowed.size());
  EXPECT_EQ(probe.reads, allowed);
}

TEST(RecordingMachine, KeepsPortsSpinsAndSleepsInOneOrderedTrace) {
  platform::RecordingMachine io;
  io.PortOut(0x378, 0x12);
  io.Spin(7);
  EXPECT_EQ(io.PortIn(0x379), 0xFF);
  io.Sleep(5);
  io.PortOut(0x10, 1);  // refused: not kept
  EXPECT_EQ(io.Describe(), "out 378 12\nspin 7\nin 379 -> FF\nsleep 5\n");
  EXPECT_EQ(io.Totals().refused, 1);
}

}  // namespace
