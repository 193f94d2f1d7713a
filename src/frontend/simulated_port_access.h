#pragma once

#include <string_view>
#include <utility>

#include "frontend/routed_port_access.h"
#include "sim/sim_board.h"

namespace frontend {

struct SimulatedBoardHolder {
  sim::SimBoard simulated_board{5, 0x378};
};

// Real port access where the machine has it; everywhere else the simulated board (model 5 at
// 378h until the operator or the settings file puts it elsewhere) answers.
class SimulatedPortAccess final : private SimulatedBoardHolder, public RoutedPortAccess {
 public:
  explicit SimulatedPortAccess(Opener open = {})
      : RoutedPortAccess(simulated_board, std::move(open)) {}

  bool Simulated(int16_t base) override {
    return Router().ServedByFallback(static_cast<uint16_t>(base));
  }
  void FollowPort(int16_t base) override { simulated_board.SetBase(static_cast<uint16_t>(base)); }
  void FollowModel(int16_t model) override { simulated_board.SetModel(model); }
  void InsertDevice(std::string_view name) override { simulated_board.InsertDevice(name); }
  sim::SimBoard* SimulatedBoard() override { return &simulated_board; }

  sim::SimBoard& Board() { return simulated_board; }
};

}  // namespace frontend
