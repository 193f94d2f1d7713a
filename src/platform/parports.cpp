#include "platform/parports.h"

#include <unistd.h>

#include <algorithm>
#include <charconv>
#include <filesystem>
#include <optional>
#include <sstream>
#include <string_view>
#include <system_error>

#include "platform/files.h"

namespace platform {
namespace {

namespace fs = std::filesystem;

// The number text starts with (after blanks), when it is an x86 I/O address.
std::optional<uint16_t> LeadingAddress(std::string_view text, int radix) {
  const auto start = text.find_first_not_of(" \t");
  if (start == std::string_view::npos) return std::nullopt;
  text.remove_prefix(start);
  uint32_t value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, radix);
  if (error != std::errc() || end == text.data() || value > 0xFFFF) return std::nullopt;
  return static_cast<uint16_t>(value);
}

// base-addr holds the base and the extended-register base in decimal: "888\t1912".
std::optional<uint16_t> BaseFromProc(const fs::path& root, const std::string& name) {
  return LeadingAddress(ReadKernelTextFile(root / "proc/sys/dev/parport" / name / "base-addr"), 10);
}

// /proc/ioports lines read "  0378-037a : parport0" with the range in hexadecimal; the data
// register's range comes before the extended registers' because the file is in address order.
std::optional<uint16_t> BaseFromIoports(const fs::path& root, const std::string& name) {
  std::istringstream lines(ReadKernelTextFile(root / "proc/ioports"));
  for (std::string line; std::getline(lines, line);) {
    const auto colon = line.find(" : ");
    if (colon == std::string::npos || line.substr(colon + 3) != name) continue;
    if (auto base = LeadingAddress(line, 16)) return base;
  }
  return std::nullopt;
}

// The kernel's names of its parallel ports, from the device class or, without sysfs, procfs
// (whose "default" entry is no port).
std::vector<std::string> ParportNames(const fs::path& root) {
  std::vector<std::string> names;
  for (const char* dir : {"sys/class/parport", "proc/sys/dev/parport"}) {
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(root / dir, error)) {
      const std::string name = entry.path().filename().string();
      if (name.starts_with("parport") && name.size() > 7 &&
          std::find(names.begin(), names.end(), name) == names.end()) {
        names.push_back(name);
      }
    }
  }
  std::sort(names.begin(), names.end());
  return names;
}

}  // namespace

std::vector<KernelParport> ListKernelParports(const std::string& root) {
  const fs::path root_dir(root);
  std::vector<KernelParport> ports;
  for (const std::string& name : ParportNames(root_dir)) {
    KernelParport port;
    port.name = name;
    port.base = BaseFromProc(root_dir, name).value_or(0);
    if (port.base == 0) port.base = BaseFromIoports(root_dir, name).value_or(0);
    port.device = (root_dir / "dev" / name).string();
    std::error_code error;
    port.device_present = fs::exists(port.device, error);
    port.device_openable = port.device_present && ::access(port.device.c_str(), R_OK | W_OK) == 0;
    ports.push_back(std::move(port));
  }
  return ports;
}

}  // namespace platform
