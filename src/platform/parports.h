#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace platform {

// A parallel port the kernel knows (parport_pc), and whether this user can reach it through
// the ppdev driver.
struct KernelParport {
  std::string name;              // "parport0"
  uint16_t base = 0;             // I/O address of the data register; 0 when the kernel hides it
  std::string device;            // its ppdev node, "/dev/parport0"
  bool device_present = false;   // the ppdev node exists (the ppdev module is loaded)
  bool device_openable = false;  // this user may open the node for reading and writing
};

// The kernel's parallel ports in name order, as seen below root ("/" on a running system; tests
// pass a directory laid out like it). The ports are named by /sys/class/parport or, without
// sysfs, /proc/sys/dev/parport; a base address comes from /proc/sys/dev/parport/<name>/base-addr
// or else /proc/ioports; the node is root/dev/<name>. Empty where the kernel has no port (no
// parport module, no port, not Linux).
std::vector<KernelParport> ListKernelParports(const std::string& root = "/");

}  // namespace platform
