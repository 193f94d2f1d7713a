#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "sim/sim_board.h"

namespace frontend {

// What the operator can do with the simulated board's socket, as he would with a real one: take
// the chip out and put another in, or put it under the eraser. Each action answers the log line
// that says what is in the socket now.

// Faults a chip can be bought with.
enum class ChipFault { SlowCells, StuckDataLine, FailsErase, OtherId };

// A blank chip of the kind in the socket, its common part.
std::string PutBlankChip(sim::SimBoard& board);
// The chip in the socket erased: an EPROM under ultraviolet light, a Flash or EEPROM chip as
// another programmer would leave it.
std::string EraseChip(sim::SimBoard& board);
// A chip holding the image of this file (raw, or a load file at its addresses); the rest FFh.
std::string PutChipHolding(sim::SimBoard& board, const std::string& path);
// The part of the row's other programming voltage, blank; only where the row has one.
bool HasOtherPart(const sim::SimBoard& board);
std::string PutOtherPart(sim::SimBoard& board);
// A blank chip of the kind with this fault; the faults the kind can have.
std::vector<ChipFault> FaultsOf(const sim::SimBoard& board);
std::string FaultText(ChipFault fault);
std::string PutFaultyChip(sim::SimBoard& board, ChipFault fault);
// The damage the chip in the socket took, as a log line; empty while it is intact.
std::string DamageReport(const sim::SimBoard& board);

}  // namespace frontend
