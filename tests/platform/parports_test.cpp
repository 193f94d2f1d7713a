#include "platform/parports.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>  // mkdtemp

#include <filesystem>
#include <fstream>
#include <string>

namespace {

namespace fs = std::filesystem;

struct FakeSystem {
  FakeSystem() {
    std::string pattern = (fs::temp_directory_path() / "parports_XXXXXX").string();
    root = ::mkdtemp(pattern.data());
    fs::create_directories(root / "proc");
    fs::create_directories(root / "dev");
  }
  ~FakeSystem() {
    std::error_code error;
    fs::remove_all(root, error);
  }
  void Port(const std::string& name, const std::string& base_addr) const {
    fs::create_directories(root / "proc" / name);
    std::ofstream(root / "proc" / name / "base-addr") << base_addr;
  }
  void Device(const std::string& name, fs::perms perms) const {
    std::ofstream(root / "dev" / name) << "";
    fs::permissions(root / "dev" / name, perms);
  }
  std::vector<platform::KernelParport> List() const {
    return platform::ListKernelParports((root / "proc").string(), (root / "dev").string());
  }
  fs::path root;
};

TEST(ListKernelParports, ReadsTheFirstBaseAddressOfEachPort) {
  FakeSystem sys;
  sys.Port("parport1", "632\t1656\n");
  sys.Port("parport0", "888\t1912\n");
  sys.Port("parport2", "garbage\n");                      // unreadable base: left out
  sys.Port("parport3", "99999\n");                        // not a 16-bit address: left out
  fs::create_directories(sys.root / "proc" / "default");  // the kernel's defaults, no port
  sys.Device("parport0", fs::perms::owner_read | fs::perms::owner_write);
  const auto ports = sys.List();
  ASSERT_EQ(ports.size(), 2U);
  EXPECT_EQ(ports[0].name, "parport0");
  EXPECT_EQ(ports[0].device, (sys.root / "dev" / "parport0").string());
  EXPECT_EQ(ports[0].base, 0x378);
  EXPECT_TRUE(ports[0].accessible);
  EXPECT_EQ(ports[1].name, "parport1");
  EXPECT_EQ(ports[1].base, 0x278);
  EXPECT_FALSE(ports[1].accessible);  // no device node
}

TEST(ListKernelParports, NothingWhereTheKernelHasNoPorts) {
  FakeSystem sys;
  EXPECT_TRUE(platform::ListKernelParports((sys.root / "absent").string(), "/dev").empty());
  EXPECT_TRUE(sys.List().empty());
}

}  // namespace
