#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace platform {

// A parallel port the kernel knows (parport_pc), as /proc/sys/dev/parport describes it.
struct KernelParport {
  std::string name;    // "parport0"
  std::string device;  // "/dev/parport0"
  uint16_t base;       // I/O address of its data register (the first number of base-addr)
  bool accessible;     // this user may open the device node for reading and writing
};

// The kernel's parallel ports, in name order. Empty where the kernel has none (no parport
// module, no port, not Linux).
std::vector<KernelParport> ListKernelParports();

// The same, read below other roots (tests give a fake /proc tree and device directory).
std::vector<KernelParport> ListKernelParports(const std::string& proc_root,
                                              const std::string& dev_root);

}  // namespace platform
