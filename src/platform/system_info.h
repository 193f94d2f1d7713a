#pragma once

#include <optional>
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

// Why this process cannot be given direct access to the parallel-port registers, as the machine
// and the kernel answer now; nothing when it can. It needs an x86 machine, root or the raw-I/O
// capability, and a kernel that grants port permissions (some containers refuse every one).
std::optional<std::string> DirectPortAccessRefusal();

}  // namespace platform
