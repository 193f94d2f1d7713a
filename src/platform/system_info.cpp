#include "platform/system_info.h"

#include <pwd.h>
#include <sys/utsname.h>
#include <unistd.h>

#if defined(__linux__) && (defined(__x86_64__) || defined(__i386__))
#include <sys/io.h>
#endif

#include <cerrno>
#include <charconv>
#include <cstring>
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

std::optional<std::string> DirectPortAccessRefusal() {
#if defined(__linux__) && (defined(__x86_64__) || defined(__i386__))
  if (::geteuid() != 0 && !HoldsRawIoCapability()) return "needs root or CAP_SYS_RAWIO";
  // The kernel is asked for the permission of one port and gives it back at once; the port is
  // neither read nor written. It is the POST code port, which no board block overlaps, so that
  // the permission of a block already open is left as it is.
  constexpr unsigned long kProbePort = 0x80;
  if (::ioperm(kProbePort, 1, 1) != 0) {
    return std::string("the kernel refused port access: ") + std::strerror(errno);
  }
  ::ioperm(kProbePort, 1, 0);
  return std::nullopt;
#else
  return "needs an x86 machine";
#endif
}

}  // namespace platform
