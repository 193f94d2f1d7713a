#include "platform/system_info.h"

#include <pwd.h>
#include <sys/utsname.h>
#include <unistd.h>

#include <charconv>
#include <filesystem>
#include <sstream>

#include "platform/files.h"

namespace platform {
namespace {

namespace fs = std::filesystem;

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
    std::istringstream lines(ReadKernelTextFile(path));
    for (std::string line; std::getline(lines, line);) {
      if (line.starts_with("PRETTY_NAME=")) return Unquoted(line.substr(12));
    }
  }
  return {};
}

// Bit 17 of the effective capability set is CAP_SYS_RAWIO, which ioperm() needs.
[[maybe_unused]] bool HoldsRawIoCapability() {
  std::istringstream lines(ReadKernelTextFile("/proc/self/status"));
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

bool DirectPortAccessPossible() {
#if defined(__x86_64__) || defined(__i386__)
  return ::geteuid() == 0 || HoldsRawIoCapability();
#else
  return false;
#endif
}

}  // namespace platform
