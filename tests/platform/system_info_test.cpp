#include "platform/system_info.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

namespace {

namespace fs = std::filesystem;

// A directory laid out like the kernel's view of three parallel ports: one known to procfs with
// its base address, one whose base only /proc/ioports tells, and one the kernel gives no
// address for and that has no device node.
class KernelTree : public ::testing::Test {
 protected:
  void SetUp() override {
    root_ = fs::temp_directory_path() / ("meldrix_sysinfo_" + std::to_string(::getpid()));
    fs::remove_all(root_);
    for (const char* name : {"parport0", "parport1", "parport2"}) {
      fs::create_directories(root_ / "sys/class/parport" / name);
    }
    fs::create_directories(root_ / "proc/sys/dev/parport/parport0");
    fs::create_directories(root_ / "dev");
    Write("proc/sys/dev/parport/parport0/base-addr", "888\t1912\n");
    Write("proc/ioports", "0000-001f : dma1\n  0278-027a : parport1\n  0378-037a : parport0\n");
    Write("dev/parport0", "");
    Write("dev/parport1", "");
  }
  void TearDown() override { fs::remove_all(root_); }
  void Write(const std::string& path, const std::string& text) {
    std::ofstream(root_ / path) << text;
  }
  fs::path root_;
};

TEST_F(KernelTree, ListsPortsWithBasesAndDeviceNodes) {
  const auto ports = platform::ListParportsForReport(root_.string());
  ASSERT_EQ(ports.size(), 3U);
  EXPECT_EQ(ports[0].name, "parport0");
  EXPECT_EQ(ports[0].base, 0x378U);
  EXPECT_EQ(ports[0].device, "/dev/parport0");
  EXPECT_TRUE(ports[0].device_present);
  EXPECT_EQ(ports[1].base, 0x278U);
  EXPECT_TRUE(ports[1].device_present);
  EXPECT_EQ(ports[2].base, 0U);
  EXPECT_FALSE(ports[2].device_present);
  EXPECT_FALSE(ports[2].device_openable);
}

TEST_F(KernelTree, NoParportTreeMeansNoPorts) {
  EXPECT_TRUE(platform::ListParportsForReport((root_ / "nothing").string()).empty());
}

}  // namespace
