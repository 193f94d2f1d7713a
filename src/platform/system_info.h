#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace platform {

// What a support request needs to know about the computer the program runs on.
struct OperatingSystemFacts {
  std::string name;     // "Debian GNU/Linux 12 (bookworm)"; empty when unknown
  std::string kernel;   // "Linux 6.1.0-13-amd64"
  std::string build;    // the kernel's build text ("#1 SMP PREEMPT_DYNAMIC ...")
  std::string machine;  // "x86_64"
  std::string user;     // the account the program runs as, with its numeric id
};
OperatingSystemFacts ReadOperatingSystemFacts();

// A parallel port the kernel knows, and whether this user can reach it.
struct ParportFacts {
  std::string name;              // "parport0"
  uint32_t base = 0;             // I/O base address; 0 when the kernel does not tell
  std::string device;            // "/dev/parport0"
  bool device_present = false;   // the ppdev node exists
  bool device_openable = false;  // this user may open it for reading and writing
};

// The parallel ports as the kernel lists them under root ("/" on a running system; tests pass
// a directory laid out like it): /sys/class/parport, their base addresses from
// /proc/sys/dev/parport/<name>/base-addr or /proc/ioports, and their /dev nodes.
std::vector<ParportFacts> ListParportsForReport(const std::string& root = "/");

// Whether this process could be given direct access to the parallel-port registers: an x86
// machine and a process running as root or holding the raw-I/O capability.
bool DirectPortAccessPossible();

}  // namespace platform
