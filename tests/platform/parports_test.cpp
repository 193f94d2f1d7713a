#include "platform/parports.h"

#include <gtest/gtest.h>
#include <unistd.h>  // geteuid

#include <filesystem>
#include <fstream>
#include <string>

#include "support/temp_dir.h"

namespace {

namespace fs = std::filesystem;

// A directory laid out like the kernel's view of its parallel ports.
class KernelTree : public ::testing::Test {
 protected:
  void Write(const fs::path& path, const std::string& text) const {
    fs::create_directories((root_ / path).parent_path());
    std::ofstream(root_ / path) << text;
  }
  void SysfsPort(const std::string& name) const {
    fs::create_directories(root_ / "sys/class/parport" / name);
  }
  void ProcPort(const std::string& name, const std::string& base_addr) const {
    Write(fs::path("proc/sys/dev/parport") / name / "base-addr", base_addr);
  }
  void Node(const std::string& name, fs::perms perms) const {
    Write(fs::path("dev") / name, "");
    fs::permissions(root_ / "dev" / name, perms);
  }
  std::vector<platform::KernelParport> List() const {
    return platform::ListKernelParports(root_.string());
  }
  testing_support::TempDir dir_{"parports"};
  const fs::path root_{dir_.path};
};

// Three ports: one procfs gives a base for, one only /proc/ioports places, one the kernel gives
// no address for. sysfs and procfs both name parport0; it is listed once.
TEST_F(KernelTree, ListsEachPortOnceInNameOrderWithItsBase) {
  for (const char* name : {"parport2", "parport1", "parport0"}) SysfsPort(name);
  ProcPort("parport0", "888\t1912\n");
  fs::create_directories(root_ / "proc/sys/dev/parport/default");  // the kernel's defaults
  Write("proc/ioports", "0000-001f : dma1\n  0278-027a : parport1\n  0678-067a : parport1\n");
  const auto ports = List();
  ASSERT_EQ(ports.size(), 3U);
  EXPECT_EQ(ports[0].name, "parport0");
  EXPECT_EQ(ports[0].base, 0x378);
  EXPECT_EQ(ports[0].device, (root_ / "dev/parport0").string());
  EXPECT_EQ(ports[1].name, "parport1");
  EXPECT_EQ(ports[1].base, 0x278);
  EXPECT_EQ(ports[2].name, "parport2");
  EXPECT_EQ(ports[2].base, 0);
}

// Without sysfs, procfs alone names the ports; a base-addr that is not a 16-bit number leaves
// the base unknown (or to /proc/ioports) rather than a wrong or truncated address.
TEST_F(KernelTree, BaseAddressFromProcfsElseIoports) {
  struct Case {
    const char* base_addr;
    const char* ioports;
    uint16_t base;
  };
  const Case cases[] = {
      {"888\t1912\n", "", 0x378},
      {"  956\n", "", 0x3BC},
      {"632 1656", "  0378-037a : parport0\n", 0x278},  // procfs wins
      {"garbage\n", "", 0},
      {"99999\n", "", 0},  // 0x1869F would truncate to 869Fh
      {"", "", 0},
      {"garbage\n", "  0278-027a : parport0\n", 0x278},
      {"", "  0378-037a : parport00\n", 0},  // another port's line
  };
  for (const Case& c : cases) {
    ProcPort("parport0", c.base_addr);
    Write("proc/ioports", c.ioports);
    const auto ports = List();
    ASSERT_EQ(ports.size(), 1U) << c.base_addr;
    EXPECT_EQ(ports[0].base, c.base)
        << "base-addr \"" << c.base_addr << "\", ioports \"" << c.ioports << "\"";
  }
}

TEST_F(KernelTree, TellsWhetherTheNodeExistsAndMayBeOpened) {
  for (const char* name : {"parport0", "parport1", "parport2"}) ProcPort(name, "888\n");
  Node("parport0", fs::perms::owner_read | fs::perms::owner_write);
  Node("parport2", fs::perms::none);
  const auto ports = List();
  ASSERT_EQ(ports.size(), 3U);
  EXPECT_TRUE(ports[0].device_present);
  EXPECT_TRUE(ports[0].device_openable);
  EXPECT_FALSE(ports[1].device_present);  // ppdev not loaded
  EXPECT_FALSE(ports[1].device_openable);
  EXPECT_TRUE(ports[2].device_present);
  if (::geteuid() != 0) {  // root may open anything
    EXPECT_FALSE(ports[2].device_openable);
  }
}

TEST_F(KernelTree, NothingWhereTheKernelHasNoPorts) {
  EXPECT_TRUE(platform::ListKernelParports((root_ / "absent").string()).empty());
  fs::create_directories(root_ / "proc/sys/dev/parport/default");
  fs::create_directories(root_ / "sys/class/parport");
  EXPECT_TRUE(List().empty());
}

}  // namespace
