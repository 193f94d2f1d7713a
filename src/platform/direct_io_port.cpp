#include "platform/direct_io_port.h"

#include <cerrno>
#include <cstring>

#if defined(__linux__) && (defined(__x86_64__) || defined(__i386__))
#define MELDRIX_DIRECT_IO 1
#include <sys/io.h>
#else
#define MELDRIX_DIRECT_IO 0
#endif

namespace platform {

std::unique_ptr<DirectIoPort> DirectIoPort::Open(uint16_t base, std::string& reason) {
  if (!IsParallelPortBase(base)) {
    reason = "direct I/O is only for the parallel ports 278h, 378h and 3BCh";
    return nullptr;
  }
#if MELDRIX_DIRECT_IO
  if (::ioperm(base, 3, 1) != 0) {
    reason = std::string("direct I/O refused: ") + std::strerror(errno) +
             " (needs root or CAP_SYS_RAWIO)";
    return nullptr;
  }
  return std::make_unique<DirectIoPort>(Granted{}, base);
#else
  reason = "direct I/O exists only on x86 Linux";
  return nullptr;
#endif
}

DirectIoPort::~DirectIoPort() {
#if MELDRIX_DIRECT_IO
  ::ioperm(base_, 3, 0);
#endif
}

void DirectIoPort::PortOut(uint16_t port, uint8_t value) {
  if (!Ours(port)) return;
#if MELDRIX_DIRECT_IO
  ::outb(value, port);
#else
  (void)value;
#endif
}

uint8_t DirectIoPort::PortIn(uint16_t port) {
  if (!Ours(port)) return 0xFF;
#if MELDRIX_DIRECT_IO
  return ::inb(port);
#else
  return 0xFF;
#endif
}

}  // namespace platform
