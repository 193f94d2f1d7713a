#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/machine.h"
#include "platform/port_io.h"

namespace sim {
class SimBoard;
}

namespace frontend {

// How the program reaches the board: the machine the core drives, what the status bar says about
// the port in use, and a simulated board that goes where the operator puts it.
class PortAccess {
 public:
  virtual ~PortAccess() = default;
  virtual platform::Machine& Machine() = 0;
  // The port behind the machine, for the board reset a fatal signal makes; null if none.
  virtual platform::PortIo* Port() { return nullptr; }
  // How the port block at base is reached, for the status bar ("378h through /dev/parport0").
  virtual std::string Method(int16_t base) = 0;
  // True where no real access serves base and a simulated board answers instead.
  virtual bool Simulated(int16_t base) = 0;
  // The operator chose a port or forced a board model; a simulated board follows.
  virtual void FollowPort(int16_t /*base*/) {}
  virtual void FollowModel(int16_t /*model*/) {}
  // A device of this kind was selected; a simulated socket takes one.
  virtual void InsertDevice(std::string_view /*name*/) {}
  // The simulated board, for the operator to handle its socket; null where there is none.
  virtual sim::SimBoard* SimulatedBoard() { return nullptr; }
  // Where the reasons go why a port could not be reached.
  virtual void SendNotesTo(std::function<void(std::string_view)> /*notes*/) {}
  // Those reasons, kept for as long as the program runs, each with the port block it is about.
  struct Note {
    int16_t base;
    std::string text;  // as logged: "378h: /dev/parport0 cannot be claimed: ..."
  };
  virtual std::vector<Note> Notes() { return {}; }
};

// No board at all: writes go nowhere, reads give FFh.
class NoPortAccess final : public PortAccess {
 public:
  platform::Machine& Machine() override { return machine_; }
  std::string Method(int16_t) override { return port_.Describe(); }
  bool Simulated(int16_t) override { return false; }

 private:
  platform::NullPort port_;
  platform::LiveMachine machine_{port_};
};

}  // namespace frontend
