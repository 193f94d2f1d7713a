#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "board/board.h"
#include "panel/panel.h"
#include "platform/clock.h"

namespace board {

// Finds the board: from the settings file, by probing the three ports for a board that echoes
// data back on the status lines, by the operator's choice of port, or by a forced model. Shows
// the outcome in the window and keeps it in "meldrix5.ini".
//
// settings_path is the full path of "meldrix5.ini" (the program directory joined with it).
class Detector {
 public:
  Detector(Board& board, panel::Panel& ui, const platform::Clock& clock, std::string settings_path);

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

  // Run whenever detection, the settings file or the operator's choice has set PortBase, so that
  // the window can show how the port is reached. May be left empty.
  std::function<void()> PortChanged;
  // Answers true where the board at base is a simulated one (no real port there). Such a board
  // is announced as simulated and never stored in "meldrix5.ini", which must only name a real
  // board. May be left empty: every board is then taken as real.
  std::function<bool(int16_t base)> BoardIsSimulated;

 private:
  void ForceModel(int16_t model);
  void SetPort(int16_t base);
  void SelectPortOption(int16_t base);
  void AnnounceBoard(int16_t model);
  int32_t ProbeModel5(uint16_t base);
  int32_t ProbeModel4(uint16_t base);
  uint8_t SettledStatus(uint16_t base);
  void TellPortChanged();

  Board& board_;
  panel::Panel& ui_;
  const platform::Clock& clock_;
  std::string settings_path_;
};

}  // namespace board
