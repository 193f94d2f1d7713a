// The five UV-EPROM algorithms: present a byte, pulse until it reads back, give up after 254
// pulses. They differ in which pin takes the pulse, where the programming voltage goes and
// whether a byte the device already holds is skipped.
#include "operations/programmer.h"

namespace ops {

namespace {

constexpr int kFirstTry = 255;       // a byte gets at most kFirstTry - 1 pulses
constexpr int kLengthenBelow = 200;  // from the 56th pulse on each pulse is lengthened

// Pulses until the byte reads back as ProgramByte. `pass` applies one pulse (lengthened when
// told so) and reads the byte back; `again` presents the byte once more before every pulse
// after the first, because reading back releases the data bus. Returns false after the
// failure report, when the algorithm must stop at once.
template <typename Again, typename Pass>
bool PulseUntilProgrammed(Programmer& p, Again again, Pass pass) {
  int tries = kFirstTry;
  for (bool first = true;; first = false) {
    if (--tries == 0) {
      p.ReportProgramFailure();
      return false;
    }
    if (!first) again();
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
  for (int32_t i = 0; i < ProgramLength; ++i) {
    ByteIndex = i;
    ProgramByte = ProgramBuffer[static_cast<size_t>(i)];
    b.SETADR();
    b.VPP24_OFF();
    b.OEON();
    b.CEON();
    ReadBack();
    b.CEOFF();
    if (ProgramByte != 0xFF && b.ReadBackByte != ProgramByte) {
      PresentProgramByte();
      b.SETADR();
      const bool done = PulseUntilProgrammed(
          *this,
          [this] {
            board.CEOFF();  // the chip must not drive the bus while the board does
            PresentProgramByte();
          },
          [this](bool) {
            board.CEOFF();
            board.VPP24_ON();
            board.CEON();
            io.Sleep(5);
            board.CEOFF();
            board.VPP24_OFF();
            board.CEON();
            board.DelayLoop20();
            ReadBack();
          });
      if (!done) return;
    }
    FinishByte(*this, i, 64);
  }
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
  for (int32_t i = 0; i < ProgramLength; ++i) {
    ByteIndex = i;
    ProgramByte = ProgramBuffer[static_cast<size_t>(i)];
    if (ProgramByte != 0xFF) {
      PresentProgramByte();
      b.SETADR();
      b.CEON();
      const bool done = PulseUntilProgrammed(
          *this, [this] { PresentProgramByte(); },
          [this](bool lengthen) {
            board.Reg1 &= 0xBF;
            board.SetReg1();
            board.ShortDelay();
            if (lengthen) board.LongDelay();
            board.Reg1 |= 0x40;
            board.SetReg1();
            board.DelayLoop20();
            board.OEON();
            ReadBack();
            board.OEOFF();
          });
      if (!done) return;
    }
    FinishByte(*this, i, 512);
  }
  b.CEOFF();
}

// 27256 / 27C040: the pulse is on CE; VPP is routed by latch-0 bit 4 (27256) or 5 (27C040).
void Programmer::P27256_040() {
  auto& b = board;
  b.REG4ON();
  b.CEOEOFF();
  int16_t reg0 = ProgrammingReg0(false);
  if (dev.DeviceType == "4") reg0 |= 0x10;
  if (dev.DeviceType == "8") reg0 |= 0x20;
  b.Reg0 = reg0;
  b.SetReg0();
  LogStarted(*this);
  for (int32_t i = 0; i < ProgramLength; ++i) {
    ByteIndex = i;
    ProgramByte = ProgramBuffer[static_cast<size_t>(i)];
    if (ProgramByte != 0xFF) {
      PresentProgramByte();
      b.SETADR();
      const bool done = PulseUntilProgrammed(
          *this, [this] { PresentProgramByte(); },
          [this](bool lengthen) {
            board.CEOEOFF();
            board.CEON();
            board.ShortDelay();
            if (lengthen) board.LongDelay();
            board.CEOFF();
            board.DelayLoop20();
            board.OEON();
            ReadBack();
            board.OEOFF();
          });
      if (!done) return;
    }
    FinishByte(*this, i, 512);
  }
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
  for (int32_t i = 0; i < ProgramLength; ++i) {
    ByteIndex = i;
    ProgramByte = ProgramBuffer[static_cast<size_t>(i)];
    b.SETADR();
    b.CEON();
    ReadBack();
    b.CEOFF();
    if (ProgramByte != 0xFF && b.ReadBackByte != ProgramByte) {
      PresentProgramByte();
      const bool done = PulseUntilProgrammed(
          *this,
          [this] {
            board.CEOFF();  // the chip must not drive the bus while the board does
            PresentProgramByte();
          },
          [this](bool lengthen) {
            board.VPP24_ON();
            board.CEON();
            board.ShortDelay();
            if (lengthen) board.LongDelay();
            board.CEOFF();
            board.VPP24_OFF();
            board.CEON();
            board.DelayLoop20();
            ReadBack();
          });
      if (!done) return;
    }
    FinishByte(*this, i, 1024);
  }
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
  for (LoopIndex = 0; LoopIndex < ProgramLength; ++LoopIndex) {
    ProgramByte = ProgramBuffer[static_cast<size_t>(LoopIndex)];
    if (ProgramByte != 0xFF) {
      PresentProgramByte();
      b.SETADR();
      const bool done = PulseUntilProgrammed(
          *this, [this] { PresentProgramByte(); },
          [this](bool lengthen) {
            board.Reg3 &= 0xFB;
            board.SetReg3();
            board.ShortDelay();
            if (lengthen) board.LongDelay();
            board.Reg3 |= 0x04;
            board.SetReg3();
            board.DelayLoop20();
            board.OEON();
            ReadBack();
            board.OEOFF();
          });
      if (!done) return;
    }
    FinishByte(*this, LoopIndex, 512);
  }
}

}  // namespace ops
