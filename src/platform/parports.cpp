#include "platform/parports.h"

#include <unistd.h>

#include <algorithm>
#include <charconv>
#include <filesystem>
#include <fstream>
#include <string_view>
#include <system_error>

namespace platform {
namespace {

// base-addr holds two decimal numbers ("888\t1912"); the first is the data register.
bool ReadBaseAddress(const std::filesystem::path& file, uint16_t& base) {
  std::ifstream in(file);
  std::string text;
  if (!in || !std::getline(in, text)) return false;
  const auto first = text.find_first_not_of(" \t");
  if (first == std::string::npos) return false;
  unsigned value = 0;
  const char* begin = text.data() + first;
  const auto [end, error] = std::from_chars(begin, text.data() + text.size(), value);
  if (error != std::errc() || end == begin || value > 0xFFFF) return false;
  base = static_cast<uint16_t>(value);
  return true;
}

}  // namespace

std::vector<KernelParport> ListKernelParports() {
  return ListKernelParports("/proc/sys/dev/parport", "/dev");
}

std::vector<KernelParport> ListKernelParports(const std::string& proc_root,
                                              const std::string& dev_root) {
  std::vector<KernelParport> ports;
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator(proc_root, error)) {
    uint16_t base = 0;
    if (!ReadBaseAddress(entry.path() / "base-addr", base)) continue;  // "default" has none
    KernelParport port;
    port.name = entry.path().filename().string();
    port.device = (std::filesystem::path(dev_root) / port.name).string();
    port.base = base;
    port.accessible = ::access(port.device.c_str(), R_OK | W_OK) == 0;
    ports.push_back(std::move(port));
  }
  std::sort(ports.begin(), ports.end(),
            [](const KernelParport& a, const KernelParport& b) { return a.name < b.name; });
  return ports;
}

}  // namespace platform
