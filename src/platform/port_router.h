#pragma once

#include <array>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "platform/port_io.h"

namespace platform {

// Opens the best real backend for the port block at base: the kernel's ppdev device whose
// base address matches, else direct I/O; nullptr when neither is available. Each method that
// fails is told to note (device and reason) before the next one is tried.
std::unique_ptr<PortIo> OpenRealPortWithNotes(uint16_t base,
                                              const std::function<void(std::string_view)>& note);
// The same, with the notes going to the standard error stream.
std::unique_ptr<PortIo> OpenRealPort(uint16_t base);

// The port the program talks to: each access goes to the real backend of its block (278h, 378h
// or 3BCh), opened on the block's first access; a block that has none is served by the
// fallback (a simulated board, or nothing) as long as no block has real access; once one has,
// the others have no board (writes dropped, reads FFh). Addresses outside the three blocks are
// refused the same way.
class PortRouter final : public PortIo {
 public:
  using Opener = std::function<std::unique_ptr<PortIo>(uint16_t base)>;
  explicit PortRouter(PortIo& fallback, Opener open = OpenRealPort);

  void PortOut(uint16_t port, uint8_t value) override;
  uint8_t PortIn(uint16_t port) override;
  void TimePassed(std::chrono::nanoseconds elapsed) override;
  // Whether the block accessed last is served by the fallback and that keeps its own clock.
  bool KeepsOwnTime() const override;
  std::chrono::nanoseconds OwnTime() const override;
  // To the block's real backend if it is open already, else to the fallback; nothing is opened.
  void EmergencyOut(uint16_t port, uint8_t value) noexcept override;
  // The blocks served by real backends ("378h through /dev/parport0"), or what the fallback says.
  std::string Describe() const override;

  // How the block at base is reached: "378h through /dev/parport0", "378h through direct I/O",
  // or what the fallback says. Opens the block's backend if that has not been tried yet.
  std::string Method(uint16_t base);
  bool HasRealAccess(uint16_t base);
  // True where the fallback answers for the block at base: it has no real access, and no other
  // block has either.
  bool ServedByFallback(uint16_t base);

 private:
  struct Block {
    uint16_t base;
    bool tried = false;
    std::unique_ptr<PortIo> real;
  };
  Block* BlockOf(uint16_t port);
  PortIo* RealFor(Block& block);
  bool FallbackServes();

  PortIo& fallback_;
  Opener open_;
  const Block* last_ = nullptr;  // the block of the latest access
  std::array<Block, 3> blocks_{Block{0x278, false, nullptr}, Block{0x378, false, nullptr},
                               Block{0x3BC, false, nullptr}};
};

}  // namespace platform
