#include "board/board.h"

namespace board {
namespace {

// Model 4 wires the status inputs to the data nibble out of order: data bit 0 arrives as bit 3
// of the assembled value r, 1 as 2, 2 as 0, 3 as 1 (and the same for the high nibble), and BUSY
// (status bit 7) reads inverted, which the XOR with 22h undoes in both nibbles.
constexpr uint8_t Model4Decode(unsigned r) {
  constexpr unsigned kTarget[8] = {3, 2, 0, 1, 7, 6, 4, 5};
  unsigned p = 0;
  for (unsigned bit = 0; bit < 8; ++bit) {
    if ((r >> bit) & 1U) p |= 1U << kTarget[bit];
  }
  return static_cast<uint8_t>(p ^ 0x22U);
}

}  // namespace

void Board::BuildReadBackTables() {
  for (unsigned s = 0; s < 256; ++s) {
    NibbleLowTable[s] = static_cast<uint8_t>((s >> 3) & 0x0F);
    NibbleHighTable[s] = static_cast<uint8_t>(((s >> 3) & 0x0F) << 4);
    Model4DecodeTable[s] = Model4Decode(s);
  }
}

// Two select writes and two status reads, nothing else: this runs once per device byte.
void Board::GetNibbles() {
  const auto control = static_cast<uint16_t>(ControlPort);
  const auto status = static_cast<uint16_t>(StatusPort);
  if (BoardModel == 5) {
    io_.PortOut(control, static_cast<uint8_t>(NibbleSelectLow));
    const uint8_t low = io_.PortIn(status);
    io_.PortOut(control, static_cast<uint8_t>(NibbleSelectHigh));
    const uint8_t high = io_.PortIn(status);
    ReadBackByte = NibbleLowTable[low] | NibbleHighTable[high];
  } else if (BoardModel == 4) {
    io_.PortOut(control, static_cast<uint8_t>(NibbleSelectLow));
    const uint8_t first = io_.PortIn(status);
    io_.PortOut(control, static_cast<uint8_t>(NibbleSelectHigh));
    const uint8_t second = io_.PortIn(status);
    ReadBackByte = Model4DecodeTable[(second & 0xF0U) | (first >> 4U)];
  }
}

}  // namespace board
