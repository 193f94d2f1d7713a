// The five UV-EPROM algorithms: present a byte, pulse until it reads back, give up after 254
// pulses. They differ in which pin takes the pulse, where the programming voltage goes and
// whether a byte the device already holds is skipped.
#include "operations/programmer.h"

namespace ops {

namespace {

using board::Board;

// The latch-0 bit that routes VPP to the socket pin the part takes it on: bit 4 for the 27256,
// bit 5 for the 27C040.
int16_t VppRoute(devices::ProgramAlgorithm algorithm) {
  switch (algorithm) {
    case devices::ProgramAlgorithm::P27256:
      return 0x10;
    case devices::ProgramAlgorithm::P27C040:
      return 0x20;
    case devices::ProgramAlgorithm::None:
    case devices::ProgramAlgorithm::P2732:
    case devices::ProgramAlgorithm::P2764_128:
    case devices::ProgramAlgorithm::P27080:
    case devices::ProgramAlgorithm::P27010_020:
    case devices::ProgramAlgorithm::X28C256:
    case devices::ProgramAlgorithm::AT29C256:
    case devices::ProgramAlgorithm::CommandFlash:
    case devices::ProgramAlgorithm::SectorFlash:
    case devices::ProgramAlgorithm::AtmelEeprom:
      return 0;
  }
  return 0;
}

constexpr int kFirstTry = 255;       // a byte gets at most kFirstTry - 1 pulses
constexpr int kLengthenBelow = 200;  // from the 56th pulse on each pulse is lengthened

// Pulses until the byte reads back as ProgramByte. `pass` applies one pulse (lengthened when
// told so) and reads the byte back; `again` presents the byte once more before every pulse
// after the first, because reading back releases the data bus. Between two pulses the window
// answers the desktop: a byte that resists may take 254 pulses of up to 20 ms. Returns false
// after the failure report, when the algorithm must stop at once.
template <typename Again, typename Pass>
bool PulseUntilProgrammed(Programmer& p, Again again, Pass pass) {
  int tries = kFirstTry;
  for (bool first = true;; first = false) {
    if (--tries == 0) {
      p.ReportProgramFailure();
      return false;
    }
    if (!first) {
      p.ui.AnswerDesktop();
      again();
    }
    pass(tries < kLengthenBelow);
    if (p.board.ReadBackByte == p.ProgramByte) return true;
  }
}

// After every byte, programmed or skipped: next address, the lamp blinks once per period, the
// progress bar paces.
void FinishByte(Programmer& p, int32_t index, int32_t lamp_period) {
  p.board.IncADR();
  if (index % lamp_period == 0) p.board.ToggleProgramLamp();
  p.GoProgressiveBar1();
}

// The higher voltages need time to settle before the first pulse.
void SettleHighVoltage(Programmer& p) {
  if (p.dev.ProgVoltage <= 12) return;
  p.ui.LogMessage("Wait 1500ms second VPP Settling");
  p.io.Sleep(1500);
}

void LogStarted(Programmer& p) {
  p.ui.LogMessage("Programming Started... Wait ");
}

// Walks the image from address 0 with `index` following the byte. `program_one` handles the
// byte at the current address and returns false when the algorithm must stop at once; every
// byte handled, programmed or skipped, then moves the address on. Between two bytes (no pulse
// under way) the operator may stop the walk.
template <typename ProgramOne>
void ForEachImageByte(Programmer& p, int32_t& index, int32_t lamp_period, ProgramOne program_one) {
  for (int32_t i = 0; i < p.ProgramLength; ++i) {
    if (i > 0 && p.StopRequestedAt(p.board.CurrentAddress)) {
      p.ReportProgrammingStopped();
      return;
    }
    index = i;
    p.ProgramByte = p.ProgramBuffer[static_cast<size_t>(i)];
    if (!program_one()) return;
    FinishByte(p, i, lamp_period);
  }
}

// A pulse lasts the short delay, lengthened by the long one once the byte has resisted.
void HoldPulse(Board& b, bool lengthen) {
  b.ShortDelay();
  if (lengthen) b.LongDelay();
}

// After a pulse on PGM or CE: let the cell settle, then read the byte back with OE active.
void SettleAndReadBack(Programmer& p) {
  p.board.SettleDelay(20);
  p.board.OEON();
  p.ReadBack();
  p.board.OEOFF();
}

// A PGM pin driven by one latch bit, high at rest.
struct PgmBit {
  int16_t Board::*reg;     // shadow value of the latch
  void (Board::*write)();  // writes that latch
  int16_t bit;
};
constexpr PgmBit kPgmLatch1Bit6{&Board::Reg1, &Board::SetReg1, 0x40};
constexpr PgmBit kPgmLatch3Bit2{&Board::Reg3, &Board::SetReg3, 0x04};

// One low pulse on PGM, then the byte read back.
void PulsePgm(Programmer& p, PgmBit pgm, bool lengthen) {
  auto& b = p.board;
  b.*pgm.reg &= static_cast<int16_t>(0xFF ^ pgm.bit);
  (b.*pgm.write)();
  HoldPulse(b, lengthen);
  b.*pgm.reg |= pgm.bit;
  b.EndPulseWith(pgm.write);
  SettleAndReadBack(p);
}

// Before another pulse on a device whose CE stays active for reading back: the chip must not
// drive the bus while the board does.
void ReleaseBusAndPresent(Programmer& p) {
  p.board.CEOFF();
  p.PresentProgramByte();
}

// End of a pulse with the programming voltage on the OE/VPP pin: voltage off, then the byte is
// read back through CE with OE still active.
void EndVpp24PulseAndReadBack(Programmer& p) {
  p.board.EndPulseWith(&Board::CEOFF);
  p.board.VPP24_OFF();
  p.board.CEON();
  p.board.SettleDelay(20);
  p.ReadBack();
}

// Presents the byte at the current address and pulses it with `pulse` until it reads back.
template <typename Pulse>
bool PresentAndPulse(Programmer& p, Pulse pulse) {
  p.PresentProgramByte();
  p.board.SETADR();
  return PulseUntilProgrammed(
      p, [&p] { p.PresentProgramByte(); }, pulse);
}

}  // namespace

// 2732: OE/VPP pin takes the voltage, a 5 ms low pulse on CE programs. Bytes the device already
// holds are not pulsed.
void Programmer::P2732() {
  auto& b = board;
  b.REG4ON();
  b.CEOEOFF();
  b.Reg0 = ProgrammingReg0(true);
  b.SetReg0();
  SettleHighVoltage(*this);
  LogStarted(*this);
  b.OEON();
  ForEachImageByte(*this, ByteIndex, 64, [this] {
    board.SETADR();
    board.VPP24_OFF();
    board.OEON();
    board.CEON();
    ReadBack();
    board.CEOFF();
    if (ProgramByte == 0xFF || board.ReadBackByte == ProgramByte) return true;
    PresentProgramByte();
    board.SETADR();
    return PulseUntilProgrammed(
        *this, [this] { ReleaseBusAndPresent(*this); },
        [this](bool) {
          board.CEOFF();
          board.VPP24_ON();
          board.CEON();
          io.Sleep(5);
          EndVpp24PulseAndReadBack(*this);
        });
  });
}

// 2764 / 27128: VPP on its own pin (routed by latch-0 bit 4), PGM is latch-1 bit 6.
void Programmer::P2764_128() {
  auto& b = board;
  b.REG4ON();
  b.CEOEOFF();
  b.Reg0 = static_cast<int16_t>(ProgrammingReg0(true) | 0x10);
  b.SetReg0();
  SettleHighVoltage(*this);
  LogStarted(*this);
  ForEachImageByte(*this, ByteIndex, 512, [this] {
    if (ProgramByte == 0xFF) return true;
    PresentProgramByte();
    board.SETADR();
    board.CEON();
    return PulseUntilProgrammed(
        *this, [this] { PresentProgramByte(); },
        [this](bool lengthen) { PulsePgm(*this, kPgmLatch1Bit6, lengthen); });
  });
  b.CEOFF();
}

// 27256 / 27C040: the pulse is on CE; VPP is routed by latch-0 bit 4 (27256) or 5 (27C040).
void Programmer::P27256_040() {
  auto& b = board;
  b.REG4ON();
  b.CEOEOFF();
  b.Reg0 = static_cast<int16_t>(ProgrammingReg0(false) | VppRoute(dev.Row.Program));
  b.SetReg0();
  LogStarted(*this);
  ForEachImageByte(*this, ByteIndex, 512, [this] {
    if (ProgramByte == 0xFF) return true;
    return PresentAndPulse(*this, [this](bool lengthen) {
      board.CEOEOFF();
      board.CEON();
      HoldPulse(board, lengthen);
      board.EndPulseWith(&Board::CEOFF);
      SettleAndReadBack(*this);
    });
  });
}

// 27C512 / 27C080: OE/VPP pin (socket pin 24) takes the voltage, the pulse is on CE. Bytes the
// device already holds are not pulsed.
void Programmer::P27080() {
  auto& b = board;
  b.REG4ON();
  b.CEOEOFF();
  b.Reg0 = ProgrammingReg0(false);
  b.SetReg0();
  LogStarted(*this);
  b.OEON();
  ForEachImageByte(*this, ByteIndex, 1024, [this] {
    board.SETADR();
    board.CEON();
    ReadBack();
    board.CEOFF();
    if (ProgramByte == 0xFF || board.ReadBackByte == ProgramByte) return true;
    PresentProgramByte();
    return PulseUntilProgrammed(
        *this, [this] { ReleaseBusAndPresent(*this); },
        [this](bool lengthen) {
          board.VPP24_ON();
          board.CEON();
          HoldPulse(board, lengthen);
          EndVpp24PulseAndReadBack(*this);
        });
  });
}

// 27C010 / 27C020: PGM is latch-3 bit 2, VPP routed by latch-0 bit 5; CE stays active.
void Programmer::P27010_020() {
  auto& b = board;
  b.REG4ON();
  b.CEON();
  b.OEOFF();
  b.Reg0 = static_cast<int16_t>(ProgrammingReg0(false) | 0x20);
  b.SetReg0();
  LogStarted(*this);
  ForEachImageByte(*this, LoopIndex, 512, [this] {
    if (ProgramByte == 0xFF) return true;
    return PresentAndPulse(*this,
                           [this](bool lengthen) { PulsePgm(*this, kPgmLatch3Bit2, lengthen); });
  });
}

}  // namespace ops
