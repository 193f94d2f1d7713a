#pragma once

#include <functional>
#include <iostream>
#include <string>
#include <string_view>
#include <utility>

#include "frontend/port_access.h"
#include "platform/port_router.h"

namespace frontend {

// Each port block reached through its real backend (ppdev, then direct I/O), opened on first
// use; a block without one is served by the fallback.
class RoutedPortAccess : public PortAccess {
 public:
  using Opener = platform::PortRouter::Opener;
  // open: how a block's real backend is opened; by default ppdev, then direct I/O.
  explicit RoutedPortAccess(platform::PortIo& fallback, Opener open = {})
      : router_(
            fallback, open ? std::move(open) : [this](uint16_t base) {
              return platform::OpenRealPortWithNotes(base,
                                                     [this](std::string_view text) { Note(text); });
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

 protected:
  platform::PortRouter& Router() { return router_; }

 private:
  void Note(std::string_view text) {
    if (notes_) {
      notes_(text);
    } else {
      std::cerr << text << '\n';
    }
  }

  std::function<void(std::string_view)> notes_;
  platform::PortRouter router_;
  platform::LiveMachine machine_{router_};
};

}  // namespace frontend
