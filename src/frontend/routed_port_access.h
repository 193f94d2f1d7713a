#pragma once

#include <functional>
#include <iostream>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "frontend/port_access.h"
#include "platform/port_router.h"

namespace frontend {

// Each port block reached through its real backend (ppdev, then direct I/O), opened on first
// use; a block without one is served by the fallback.
class RoutedPortAccess : public PortAccess {
 public:
  // Opens the real backend of the block at base, telling note why a method failed.
  using Opener = std::function<std::unique_ptr<platform::PortIo>(
      uint16_t base, const std::function<void(std::string_view)>& note)>;
  // open: how a block's real backend is opened; by default ppdev, then direct I/O.
  explicit RoutedPortAccess(platform::PortIo& fallback, Opener open = {})
      : open_(open ? std::move(open) : Opener(platform::OpenRealPortWithNotes)),
        router_(fallback, [this](uint16_t base) {
          return open_(base, [this, base](std::string_view text) { TakeNote(base, text); });
        }) {}

  platform::Machine& Machine() override { return machine_; }
  platform::PortIo* Port() override { return &router_; }
  std::string Method(int16_t base) override { return router_.Method(static_cast<uint16_t>(base)); }
  bool Simulated(int16_t) override { return false; }
  // Whether a real backend serves the block at base (opened now if not tried yet).
  bool Reached(int16_t base) { return router_.HasRealAccess(static_cast<uint16_t>(base)); }

  // The reasons why a real backend could not be opened go to the system log once the window
  // exists, to the error stream before.
  void SendNotesTo(std::function<void(std::string_view)> sink) override {
    notes_ = std::move(sink);
  }
  // The log is emptied at the end of start-up, so the reasons are kept for the status bar and
  // the system information.
  std::vector<Note> Notes() override { return kept_; }

 protected:
  platform::PortRouter& Router() { return router_; }

 private:
  void TakeNote(uint16_t base, std::string_view text) {
    kept_.push_back({static_cast<int16_t>(base), std::string(text)});
    if (notes_) {
      notes_(text);
    } else {
      std::cerr << text << '\n';
    }
  }

  std::function<void(std::string_view)> notes_;
  std::vector<Note> kept_;
  Opener open_;
  platform::PortRouter router_;
  platform::LiveMachine machine_{router_};
};

struct NoBoardHolder {
  platform::NullPort no_board;
};

// Real port access only: a block without a real backend reaches no board.
class RealPortAccess final : private NoBoardHolder, public RoutedPortAccess {
 public:
  explicit RealPortAccess(Opener open = {}) : RoutedPortAccess(no_board, std::move(open)) {}
};

}  // namespace frontend
