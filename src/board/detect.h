#pragma once

#include <cstdint>
#include <string>

#include "board/board.h"
#include "platform/clock.h"
#include "platform/panel.h"

namespace board {

// Finds the board: from the settings file, by probing the three ports for a board that echoes
// data back on the status lines, by the operator's choice of port, or by a forced model. Shows
// the outcome in the window and keeps it in "meldrix5.ini".
class Detector {
 public:
  Detector(Board& board, platform::Panel& ui, const platform::Clock& clock,
           std::string settings_path);

  int16_t FoundPort = 0;  // where a board was last found or taken from the file; 0: none

  void CheckHardware();  // probes the current PortBase
  void WaitSettlingTime();
  void TestHardware_button_Click();
  void ApplyFoundBoard();
  void SaveBoardSettings();
  void LoadBoardSettings();
  void LPTSelection_Click(int index);
  void ForceMeldrix4_Click() { ForceModel(4); }
  void ForceMeldrix5_Click() { ForceModel(5); }

  const std::string& SettingsPath() const { return settings_path_; }

 private:
  void ForceModel(int16_t model);

  Board& board_;
  platform::Panel& ui_;
  const platform::Clock& clock_;
  std::string settings_path_;
};

}  // namespace board
