#pragma once

#include <string>

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

// Whether this process could be given direct access to the parallel-port registers: an x86
// machine and a process running as root or holding the raw-I/O capability.
bool DirectPortAccessPossible();

}  // namespace platform
