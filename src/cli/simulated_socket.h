#pragma once

#include <iosfwd>
#include <string>
#include <string_view>

#include "frontend/simulated_port_access.h"

namespace cli {

// The simulated board alone, whatever ports the machine has. Each command is a run of its own,
// so a chip that is to keep what was programmed into it (as a real chip stays in its socket)
// keeps its cells in a file per kind in `directory` ("Eprom 27C256.bin"); with no directory
// every chip starts blank.
class SimulatedSocket {
 public:
  explicit SimulatedSocket(std::string directory);

  frontend::SimulatedPortAccess& Access() { return access_; }
  // A chip of this kind goes into the socket, with the cells it kept; none while a chip is held.
  void Insert(std::string_view name, std::ostream& err);
  // A chip of this kind goes into the socket and stays there whatever device is selected.
  void Hold(std::string_view name, std::ostream& err);
  // The chip in the socket keeps its cells for the next run.
  void Keep(std::ostream& err);

 private:
  std::string ChipFile() const;

  std::string directory_;
  std::string name_;  // the kind in the socket; empty: none
  bool held_ = false;
  frontend::SimulatedPortAccess access_;
};

}  // namespace cli
