#include "platform/system_info.h"

#include <pwd.h>
#include <sys/utsname.h>
#include <unistd.h>

#include <algorithm>
#include <charconv>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <system_error>

namespace platform {
namespace {

namespace fs = std::filesystem;

// Files under /proc and /sys report a length of 0, so they are read as streams.
std::string ReadSmallTextFile(const fs::path& path) {
  std::ifstream in(path);
  if (!in) return {};
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

std::string Unquoted(std::string value) {
  if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
      value.back() == value.front()) {
    value = value.substr(1, value.size() - 2);
  }
  return value;
}

// PRETTY_NAME from os-release, the distribution's own name for itself.
std::string DistributionName() {
  for (const char* path : {"/etc/os-release", "/usr/lib/os-release"}) {
    std::istringstream lines(ReadSmallTextFile(path));
    for (std::string line; std::getline(lines, line);) {
      if (line.starts_with("PRETTY_NAME=")) return Unquoted(line.substr(12));
    }
  }
  return {};
}

std::optional<uint32_t> ParseUnsigned(std::string_view text, int base) {
  uint32_t value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, base);
  if (error != std::errc() || end == text.data()) return std::nullopt;
  return value;
}

// base-addr holds the base and the extended-register base in decimal: "888\t1912".
uint32_t BaseFromProc(const fs::path& root, const std::string& name) {
  std::string text = ReadSmallTextFile(root / "proc/sys/dev/parport" / name / "base-addr");
  const auto start = text.find_first_not_of(" \t");
  if (start == std::string::npos) return 0;
  return ParseUnsigned(std::string_view(text).substr(start), 10).value_or(0);
}

// /proc/ioports lines read "  0378-037a : parport0" with the range in hexadecimal.
uint32_t BaseFromIoports(const fs::path& root, const std::string& name) {
  std::istringstream lines(ReadSmallTextFile(root / "proc/ioports"));
  for (std::string line; std::getline(lines, line);) {
    const auto colon = line.find(" : ");
    if (colon == std::string::npos || line.substr(colon + 3) != name) continue;
    const auto start = line.find_first_not_of(' ');
    if (start == std::string::npos) continue;
    if (auto base = ParseUnsigned(std::string_view(line).substr(start), 16)) return *base;
  }
  return 0;
}

// The kernel's names of its parallel ports, from the device class or, without sysfs, procfs.
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

// Bit 17 of the effective capability set is CAP_SYS_RAWIO, which ioperm() needs.
[[maybe_unused]] bool HoldsRawIoCapability() {
  std::istringstream lines(ReadSmallTextFile("/proc/self/status"));
  for (std::string line; std::getline(lines, line);) {
    if (!line.starts_with("CapEff:")) continue;
    const auto start = line.find_first_not_of(" \t", 7);
    if (start == std::string::npos) return false;
    uint64_t mask = 0;
    const auto [end, error] =
        std::from_chars(line.data() + start, line.data() + line.size(), mask, 16);
    return error == std::errc() && ((mask >> 17U) & 1U) != 0;
  }
  return false;
}

}  // namespace

OperatingSystemFacts ReadOperatingSystemFacts() {
  OperatingSystemFacts facts;
  facts.name = DistributionName();
  struct utsname names {};
  if (::uname(&names) == 0) {
    facts.kernel = std::string(names.sysname) + " " + names.release;
    facts.build = names.version;
    facts.machine = names.machine;
  }
  const uid_t uid = ::geteuid();
  const struct passwd* account = ::getpwuid(uid);
  facts.user = (account != nullptr ? std::string(account->pw_name) : std::string("unknown")) +
               " (uid " + std::to_string(uid) + ")";
  return facts;
}

std::vector<ParportFacts> ListParportsForReport(const std::string& root) {
  const fs::path base_dir(root);
  std::vector<ParportFacts> ports;
  for (const std::string& name : ParportNames(base_dir)) {
    ParportFacts port;
    port.name = name;
    port.base = BaseFromProc(base_dir, name);
    if (port.base == 0) port.base = BaseFromIoports(base_dir, name);
    port.device = "/dev/" + name;
    const fs::path node = base_dir / "dev" / name;
    std::error_code error;
    port.device_present = fs::exists(node, error);
    port.device_openable = port.device_present && ::access(node.c_str(), R_OK | W_OK) == 0;
    ports.push_back(std::move(port));
  }
  return ports;
}

bool DirectPortAccessPossible() {
#if defined(__x86_64__) || defined(__i386__)
  return ::geteuid() == 0 || HoldsRawIoCapability();
#else
  return false;
#endif
}

}  // namespace platform
