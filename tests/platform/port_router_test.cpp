#include "platform/port_router.h"

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/direct_io_port.h"
#include "platform/parports.h"
#include "platform/system_info.h"

namespace {

// A backend that keeps what reached it and answers reads with a fixed byte.
class Probe final : public platform::PortIo {
 public:
  Probe(std::string name, uint8_t answer) : name_(std::move(name)), answer_(answer) {}
  void PortOut(uint16_t port, uint8_t value) override { outs.emplace_back(port, value); }
  uint8_t PortIn(uint16_t port) override {
    ins.push_back(port);
    return answer_;
  }
  void TimePassed(std::chrono::nanoseconds elapsed) override { time += elapsed; }
  std::string Describe() const override { return name_; }

  std::vector<std::pair<uint16_t, uint8_t>> outs;
  std::vector<uint16_t> ins;
  std::chrono::nanoseconds time{0};

 private:
  std::string name_;
  uint8_t answer_;
};

// Opens a real backend only for the blocks it is given, and counts the attempts.
struct Opener {
  std::map<uint16_t, std::string> devices;  // base -> what the backend calls itself
  std::map<uint16_t, Probe*> opened;
  std::map<uint16_t, int> attempts;
  platform::PortRouter::Opener Fn() {
    return [this](uint16_t base) -> std::unique_ptr<platform::PortIo> {
      ++attempts[base];
      auto it = devices.find(base);
      if (it == devices.end()) return nullptr;
      auto port = std::make_unique<Probe>(it->second, 0x5A);
      opened[base] = port.get();
      return port;
    };
  }
};

// With a real port at 378h the other blocks have no board: the fallback (a simulated board)
// must not answer beside a real one, or a probe would take it for the real board.
TEST(PortRouter, EachBlockGoesToItsOwnBackendAndNoneToTheFallbackBesideARealOne) {
  Probe fallback("simulated board", 0x33);
  Opener open;
  open.devices[0x378] = "/dev/parport0";
  platform::PortRouter router(fallback, open.Fn());

  EXPECT_TRUE(open.attempts.empty());  // lazily: nothing opened before the first access
  router.PortOut(0x37A, 0x0E);
  EXPECT_EQ(router.PortIn(0x379), 0x5A);
  router.PortOut(0x278, 0x01);
  EXPECT_EQ(router.PortIn(0x3BD), 0xFF);
  EXPECT_EQ(router.PortIn(0x279), 0xFF);

  ASSERT_EQ(open.opened.count(0x378), 1U);
  EXPECT_EQ(open.opened[0x378]->outs, (std::vector<std::pair<uint16_t, uint8_t>>{{0x37A, 0x0E}}));
  EXPECT_EQ(open.opened[0x378]->ins, (std::vector<uint16_t>{0x379}));
  EXPECT_TRUE(fallback.outs.empty());
  EXPECT_TRUE(fallback.ins.empty());
  // Each block is tried once, however often it is used.
  EXPECT_EQ(open.attempts, (std::map<uint16_t, int>{{0x278, 1}, {0x378, 1}, {0x3BC, 1}}));
  EXPECT_FALSE(router.ServedByFallback(0x278));

  // Without any real block the fallback serves all three.
  Probe simulated("simulated board", 0x33);
  platform::PortRouter alone(simulated, [](uint16_t) { return nullptr; });
  alone.PortOut(0x278, 0x01);
  EXPECT_EQ(alone.PortIn(0x3BD), 0x33);
  EXPECT_EQ(simulated.outs, (std::vector<std::pair<uint16_t, uint8_t>>{{0x278, 0x01}}));
  EXPECT_TRUE(alone.ServedByFallback(0x378));
}

TEST(PortRouter, RefusesEverythingOutsideTheThreeBlocks) {
  Probe fallback("nothing", 0x00);
  Opener open;
  open.devices = {{0x278, "a"}, {0x378, "b"}, {0x3BC, "c"}};
  platform::PortRouter router(fallback, open.Fn());
  for (int port : {0x000, 0x002, 0x277, 0x27B, 0x377, 0x37B, 0x3BB, 0x3BF, 0xFFFF}) {
    router.PortOut(static_cast<uint16_t>(port), 0x12);
    EXPECT_EQ(router.PortIn(static_cast<uint16_t>(port)), 0xFF) << std::hex << port;
  }
  EXPECT_TRUE(fallback.outs.empty());
  EXPECT_TRUE(fallback.ins.empty());
  EXPECT_TRUE(open.attempts.empty());
  EXPECT_FALSE(router.HasRealAccess(0));
  EXPECT_FALSE(router.HasRealAccess(0x379));  // a register, not a block's base
}

TEST(PortRouter, MethodNamesTheBlockAndHowItIsReached) {
  Probe fallback("simulated board (no parallel-port access on this machine)", 0xFF);
  Opener open;
  open.devices = {{0x378, "/dev/parport0"}, {0x3BC, "direct I/O"}};
  platform::PortRouter router(fallback, open.Fn());
  EXPECT_EQ(router.Method(0x378), "378h through /dev/parport0");
  EXPECT_EQ(router.Method(0x3BC), "3BCh through direct I/O");
  EXPECT_EQ(router.Method(0x278), "278h: no port on this machine");
  EXPECT_EQ(router.Method(0), fallback.Describe());
  EXPECT_TRUE(router.HasRealAccess(0x378));
  EXPECT_FALSE(router.HasRealAccess(0x278));
  EXPECT_EQ(router.Describe(), "378h through /dev/parport0, 3BCh through direct I/O");
  EXPECT_EQ(open.attempts[0x378], 1);
}

TEST(PortRouter, TimeReachesTheFallback) {
  Probe fallback("sim", 0xFF);
  platform::PortRouter router(fallback, [](uint16_t) { return nullptr; });
  router.TimePassed(std::chrono::nanoseconds(250));
  EXPECT_EQ(fallback.time, std::chrono::nanoseconds(250));
}

TEST(OpenRealPort, NothingForAnAddressThatIsNotAParallelPort) {
  std::vector<std::string> notes;
  auto port =
      platform::OpenRealPortWithNotes(0x80, [&](std::string_view n) { notes.emplace_back(n); });
  EXPECT_EQ(port, nullptr);
  EXPECT_TRUE(notes.empty());
}

// On a machine where neither the kernel's port nor the processor's I/O instructions can be had
// (a normal user on a machine without a parallel port), opening fails with a note for each
// method tried; nothing is claimed.
TEST(OpenRealPort, EachFailedMethodLeavesANote) {
  std::string reason;
  if (platform::DirectIoPort::Open(0x3BC, reason) != nullptr) {
    GTEST_SKIP() << "this process may reach the ports directly";
  }
  for (const auto& kernel : platform::ListKernelParports()) {
    if (kernel.base == 0x3BC && kernel.device_openable) GTEST_SKIP() << "a real port at 3BCh";
  }
  std::vector<std::string> notes;
  auto port =
      platform::OpenRealPortWithNotes(0x3BC, [&](std::string_view n) { notes.emplace_back(n); });
  EXPECT_EQ(port, nullptr);
  ASSERT_FALSE(notes.empty());
  EXPECT_EQ(notes.back(), "3BCh: " + reason);
  EXPECT_FALSE(reason.empty());
}

TEST(DirectIoPort, RefusesAnythingButAParallelPortBase) {
  for (int base : {0x000, 0x080, 0x379, 0x27A, 0x3F8}) {
    std::string reason;
    EXPECT_EQ(platform::DirectIoPort::Open(static_cast<uint16_t>(base), reason), nullptr)
        << std::hex << base;
    EXPECT_FALSE(reason.empty());
  }
}

// What System Info says of direct I/O is what opening a port with it finds on this machine:
// possible exactly when a block opens, refused when none does.
TEST(DirectIoPort, SystemInformationAgreesWithWhatOpeningFinds) {
  std::string reason;
  const bool opens = platform::DirectIoPort::Open(0x278, reason) != nullptr;
  EXPECT_EQ(!platform::DirectPortAccessRefusal().has_value(), opens) << reason;
}

}  // namespace
