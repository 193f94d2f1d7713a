#include "platform/port_router.h"

#include <iostream>
#include <utility>

#include "platform/direct_io_port.h"
#include "platform/parports.h"
#include "platform/ppdev_port.h"

namespace platform {
namespace {

std::string BlockName(uint16_t base) {
  switch (base) {
    case 0x278:
      return "278h";
    case 0x378:
      return "378h";
    default:
      return "3BCh";
  }
}

}  // namespace

std::unique_ptr<PortIo> OpenRealPortWithNotes(uint16_t base,
                                              const std::function<void(std::string_view)>& note) {
  if (!IsParallelPortBase(base)) return nullptr;
  for (const KernelParport& kernel : ListKernelParports()) {
    if (kernel.base != base) continue;
    auto port = std::make_unique<PpdevPort>(kernel.device, base);
    const auto failure = port->Claim();
    if (!failure) return port;
    note(BlockName(base) + ": " + *failure);
  }
  std::string reason;
  if (auto port = DirectIoPort::Open(base, reason)) return port;
  note(BlockName(base) + ": " + reason);
  return nullptr;
}

std::unique_ptr<PortIo> OpenRealPort(uint16_t base) {
  return OpenRealPortWithNotes(base, [](std::string_view text) { std::cerr << text << '\n'; });
}

PortRouter::PortRouter(PortIo& fallback, Opener open)
    : fallback_(fallback), open_(std::move(open)) {}

PortRouter::Block* PortRouter::BlockOf(uint16_t port) {
  if (!IsParallelPortAddress(port)) return nullptr;
  for (Block& block : blocks_) {
    if (port >= block.base && port <= block.base + 2) return &block;
  }
  return nullptr;
}

void PortRouter::EmergencyOut(uint16_t port, uint8_t value) noexcept {
  Block* block = BlockOf(port);
  if (block == nullptr) return;
  PortIo& to = block->real ? *block->real : fallback_;
  to.EmergencyOut(port, value);
}

PortIo* PortRouter::RealFor(Block& block) {
  if (!block.tried) {
    block.tried = true;
    if (open_) block.real = open_(block.base);
  }
  return block.real.get();
}

// On a machine with a real port the fallback stands in for nothing: a simulated board at a block
// without real access would answer the probe there and be taken for the real board. Every
// block is tried before the fallback is used the first time.
bool PortRouter::FallbackServes() {
  for (Block& block : blocks_) {
    if (RealFor(block) != nullptr) return false;
  }
  return true;
}

void PortRouter::PortOut(uint16_t port, uint8_t value) {
  Block* block = BlockOf(port);
  if (block == nullptr) return;
  last_ = block;
  if (PortIo* real = RealFor(*block)) {
    real->PortOut(port, value);
  } else if (FallbackServes()) {
    fallback_.PortOut(port, value);
  }
}

uint8_t PortRouter::PortIn(uint16_t port) {
  Block* block = BlockOf(port);
  if (block == nullptr) return 0xFF;
  last_ = block;
  if (PortIo* real = RealFor(*block)) return real->PortIn(port);
  return FallbackServes() ? fallback_.PortIn(port) : uint8_t{0xFF};  // no board: pull-ups
}

// Only a simulated board keeps time; the real ports live in it already.
void PortRouter::TimePassed(std::chrono::nanoseconds elapsed) {
  fallback_.TimePassed(elapsed);
}

bool PortRouter::KeepsOwnTime() const {
  return (last_ == nullptr || !last_->real) && fallback_.KeepsOwnTime();
}

std::chrono::nanoseconds PortRouter::OwnTime() const {
  return KeepsOwnTime() ? fallback_.OwnTime() : std::chrono::nanoseconds(0);
}

std::string PortRouter::Describe() const {
  std::string text;
  for (const Block& block : blocks_) {
    if (!block.real) continue;
    if (!text.empty()) text += ", ";
    text += BlockName(block.base) + " through " + block.real->Describe();
  }
  return text.empty() ? fallback_.Describe() : text;
}

std::string PortRouter::Method(uint16_t base) {
  Block* block = IsParallelPortBase(base) ? BlockOf(base) : nullptr;
  if (block == nullptr) return fallback_.Describe();
  if (PortIo* real = RealFor(*block)) return BlockName(base) + " through " + real->Describe();
  return FallbackServes() ? fallback_.Describe() : BlockName(base) + ": no port on this machine";
}

bool PortRouter::HasRealAccess(uint16_t base) {
  Block* block = IsParallelPortBase(base) ? BlockOf(base) : nullptr;
  return block != nullptr && RealFor(*block) != nullptr;
}

bool PortRouter::ServedByFallback(uint16_t base) {
  return IsParallelPortBase(base) && !HasRealAccess(base) && FallbackServes();
}

}  // namespace platform
