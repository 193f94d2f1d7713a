// Placeholder bodies until detection is built; this file is removed by that work.
#include "board/detect.h"

namespace board {
Detector::Detector(Board& board, platform::Panel& ui, const platform::Clock& clock,
                   std::string settings_path)
    : board_(board), ui_(ui), clock_(clock), settings_path_(std::move(settings_path)) {}
void Detector::CheckHardware() {}
void Detector::WaitSettlingTime() {}
void Detector::TestHardware_button_Click() {}
void Detector::ApplyFoundBoard() {}
void Detector::SaveBoardSettings() {}
void Detector::LoadBoardSettings() {}
void Detector::LPTSelection_Click(int) {}
void Detector::ForceModel(int16_t) {}
}  // namespace board
