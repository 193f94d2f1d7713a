// Erasing the Flash chips (chip-erase command, then polling until the chip reads erased) and
// the X28C256 EEPROM (which has no erase command: it is programmed with FFh throughout).
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <string>

#include "operations/programmer.h"

namespace ops {

using panel::Ctl;

namespace {

constexpr uint8_t kErased = 0xFF;

// The erase command is followed by a 100 ms wait, then polls 5 ms apart. The Atmel Flash erases
// in 20 ms: 500 polls are ample. The 32-pin AMIC / AMD / EON chips take seconds: the wait covers
// the longest chip erase of the family, the Am29F040B's 64 s maximum.
constexpr int32_t kSettleMs = 100;
constexpr int32_t kPollMs = 5;
constexpr int32_t kAtmelErasePolls = 500;
constexpr int32_t kChipEraseMaxMs = 64000;
constexpr int32_t kFlashErasePolls = (kChipEraseMaxMs - kSettleMs + kPollMs - 1) / kPollMs;

// DQ5, "exceeded timing limits": the 32-pin chips set it when their own erase failed.
constexpr uint8_t kDq5 = 0x20;
constexpr uint8_t kDq7 = 0x80;
constexpr uint8_t kToggleBit = 0x40;  // DQ6 changes at every read while the chip is busy

int32_t ErasePolls(devices::EraseAlgorithm erase) {
  switch (erase) {
    case devices::EraseAlgorithm::AT29C256:
    case devices::EraseAlgorithm::SectorFlash:
      return kAtmelErasePolls;
    case devices::EraseAlgorithm::None:
    case devices::EraseAlgorithm::ProgramFF:
    case devices::EraseAlgorithm::CommandFlash:
      return kFlashErasePolls;
  }
  return kFlashErasePolls;
}

// Only the 32-pin AMIC / AMD / EON chips report a failed erase on DQ5.
bool ReportsEraseTimeout(const Programmer& p) {
  return p.dev.Row.Erase == devices::EraseAlgorithm::CommandFlash &&
         devices::ReportsExceededTiming(p.FlashMaker);
}

// A timed-out wait leaves FlashPollState at 0; a chip that read erased leaves the poll count.
// A stop asked during the wait did not end it: the chip's erase ran to its end, and that end is
// what is reported.
void ReportEraseOutcome(Programmer& p) {
  if (p.EraseTimingExceeded || p.FlashPollState == 0) {
    p.ui.LogMessage(p.EraseTimingExceeded
                        ? "*** Flash Memory Erase Failed - Device reported Exceeded Timing "
                          "Limits ***"
                        : "*** Flash Memory Erase Failed - Device did not Read Erased (" +
                              std::to_string(ErasePolls(p.dev.Row.Erase)) + " Polls) ***");
    p.LockButtonsOnError();
    p.ui.PlayEventSound("ERROR");
    return;
  }
  p.ui.PlayEventSound("DONE");
  p.ui.LogMessage("Flash Memory Erase Complete");
}

}  // namespace

void Programmer::EraseFlash_button_Click() {
  if (dev.Row.Erase == devices::EraseAlgorithm::None || RefuseWhileChipBusy()) return;
  // An erase destroys what the chip holds: the operator confirms it first, as for programming.
  if (!ui.AskOkCancel("Erase the Device?", "Safety Question")) {
    ui.LogMessage("Erasing was Canceled by Operator");
    return;
  }
  switch (dev.Row.Erase) {
    case devices::EraseAlgorithm::None:
      break;
    case devices::EraseAlgorithm::ProgramFF:
      EraseXICOR();
      break;
    case devices::EraseAlgorithm::CommandFlash:
      EraseAMDFlash();
      break;
    case devices::EraseAlgorithm::AT29C256:
      EraseAT29C256();
      break;
    case devices::EraseAlgorithm::SectorFlash:
      EraseAtmelSectorFlash();
      break;
  }
}

// The operator's image survives: ProgramBuffer is rebuilt from the code buffer afterwards,
// whether the EEPROM took the FFh bytes or not.
void Programmer::EraseXICOR() {
  const bool xicor = dev.Row.Program == devices::ProgramAlgorithm::X28C256;
  std::fill_n(ProgramBuffer.begin(), dev.DeviceSize, kErased);
  ProgramLength = dev.DeviceSize;  // the whole device, whatever the image covers
  ui.LogMessage("Erasing Program Buffer");
  ui.LogMessage(xicor ? "Erasing XICOR 28C256"
                      : "Erasing " + std::string(devices::PartName(dev.Row)));
  if (xicor) {
    ProgramX28C256();
  } else {
    ProgramAtmelEeprom();
  }
  BuildProgramBuffer();
}

void Programmer::EraseAMDFlash() {
  IdentifyFlash();
  if (!devices::ByteProgrammingMaker(FlashMaker)) {
    ui.LogMessage("*** DEVICE NOT SUPPORTED ***");
    return;
  }
  ui.LogMessage(FlashMaker == 0xBF ? "Erasing SST Flash Memory... Wait"
                                   : "Erasing AMIC/AMD/EON Flash Memory... Wait");
  EraseThirtyTwoPinChip();
}

void Programmer::EraseAT29C256() {
  IdentifyFlash();
  if (FlashMaker != dev.Row.FlashMaker) {
    ui.LogMessage("*** DEVICE NOT SUPPORTED ***");
    return;
  }
  ui.LogMessage("Erasing Atmel 29C256 Flash Memory... Wait");
  board.Reset();
  board.SETADR_FLASH();
  board.OEOFF();
  board.Reg3 = 0x82;
  board.SetReg3();
  constexpr std::array<std::array<int16_t, 2>, 6> kChipErase = {{{0xAA, 0x5555},
                                                                 {0x55, 0x2AAA},
                                                                 {0x80, 0x5555},
                                                                 {0xAA, 0x5555},
                                                                 {0x55, 0x2AAA},
                                                                 {0x10, 0x5555}}};
  for (const auto& [data, address] : kChipErase) {
    board.Reg4 = data;
    FlashCmdAddress = address;
    WriteCycle_FLASH();
  }
  io.Sleep(kSettleMs);
  ProgramByte = kErased;
  WaitErased();
  ReportEraseOutcome(*this);
}

// The 32-pin Atmel Flash takes the six-cycle chip erase as two strobed commands and is erased
// within 20 ms.
void Programmer::EraseAtmelSectorFlash() {
  IdentifyFlash();
  if (!devices::SectorWritingMaker(FlashMaker)) {
    ui.LogMessage("*** DEVICE NOT SUPPORTED ***");
    return;
  }
  ui.LogMessage("Erasing Atmel Flash Memory... Wait");
  EraseThirtyTwoPinChip();
}

// The 32-pin chips' six-cycle chip erase, sent as two strobed commands from address 0, then
// the wait until the chip reads erased. Only a chip with DQ5 can end the wait on a failure, and
// it then answers status until it is reset.
void Programmer::EraseThirtyTwoPinChip() {
  board.Reset();
  board.SETADR_FLASH();
  FlashCommand = 0x80;
  SendFlashCommand();
  FlashCommand = 0x10;
  SendFlashCommand();
  io.Sleep(kSettleMs);
  ProgramByte = kErased;
  WaitErased();
  if (EraseTimingExceeded) ResetFlash_Click();
  ReportEraseOutcome(*this);
}

// Polls the byte the erase command's address left on the latches until it reads ProgramByte,
// 5 ms apart, for as long as the chip's erase may take. FlashPollState counts down and is 0
// afterwards only on a timeout. A 32-pin chip that raises DQ5 while DQ7 is not yet the erased
// value has given up by itself: one more read (DQ7 may change together with DQ5) decides, and
// the wait stops there with EraseTimingExceeded set.
void Programmer::WaitErased() {
  const int32_t polls = ErasePolls(dev.Row.Erase);
  const bool watch_dq5 = ReportsEraseTimeout(*this);
  EraseTimingExceeded = false;
  ui.SetMax(Ctl::ProgressBar1, 100);
  board.REG4OFF();
  board.CEON();
  const auto read = [this] {
    board.OEON();
    board.GetNibbles();
    board.OEOFF();
    return board.ReadBackByte;
  };
  for (FlashPollState = polls; FlashPollState >= 1; --FlashPollState) {
    const uint8_t status = read();
    if (status == ProgramByte) break;
    const bool dq7_pending = ((status ^ ProgramByte) & kDq7) != 0;
    if (watch_dq5 && dq7_pending && (status & kDq5) != 0) {
      EraseTimingExceeded = read() != ProgramByte;
      if (EraseTimingExceeded) FlashPollState = 0;
      break;
    }
    io.Sleep(kPollMs);
    ui.SetValue(Ctl::ProgressBar1,
                static_cast<int>(std::lround(100.0 - FlashPollState * 100.0 / polls)));
    AnswerDesktopWhileChipBusy();
  }
  board.CEOFF();
  board.REG4ON();
  ui.SetValue(Ctl::ProgressBar1, 0);
  if (FlashPollState == 0 && !EraseTimingExceeded) NoteChipBusy(ChipToggles());
}

// An erase or write the chip has begun cannot be cut short: until it ends the chip answers
// status, not data. A stop asked meanwhile is said to wait for that end; the window keeps
// answering the desktop all the same.
void Programmer::AnswerDesktopWhileChipBusy() {
  if (Stopped) {
    ui.AnswerDesktop();
    return;
  }
  if (!StopRequestedAt(board.CurrentAddress)) return;
  ui.LogMessage("The Device cannot stop what it has begun: waiting for it to finish... Wait");
}

// Two reads of the latched address with output enable pulsed between them: bit 6 changes while
// the chip is still writing or erasing.
bool Programmer::ChipToggles() {
  board.REG4OFF();
  board.CEON();
  std::array<uint8_t, 2> reads{};
  for (uint8_t& byte : reads) {
    board.OEON();
    board.GetNibbles();
    board.OEOFF();
    byte = board.ReadBackByte;
  }
  board.CEOFF();
  board.REG4ON();
  return ((reads[0] ^ reads[1]) & kToggleBit) != 0;
}

// After a write that failed the chip may still be busy with its last byte or sector: it gets
// up to `max_ms` to finish. A 32-pin chip that has given up by itself (DQ5 while still
// toggling) answers status until it is reset, so it is reset.
void Programmer::LetChipFinish(int32_t max_ms) {
  const bool resettable = dev.Row.Program == devices::ProgramAlgorithm::CommandFlash &&
                          devices::ReportsExceededTiming(FlashMaker);
  bool busy = ChipToggles();
  for (int32_t ms = 0; busy && ms < max_ms; ++ms) {
    if (resettable && (board.ReadBackByte & kDq5) != 0) {
      ResetFlash_Click();
      busy = ChipToggles();
      break;
    }
    io.Sleep(1);
    AnswerDesktopWhileChipBusy();
    busy = ChipToggles();
  }
  NoteChipBusy(busy);
}

void Programmer::NoteChipBusy(bool busy) {
  ChipBusy = busy;
  if (!busy) return;
  ui.LogMessage("*** Device is still busy: nothing reads or commands it until it has finished ***");
}

// A chip known to be busy is asked once more; while it still toggles, the operation does not
// start, since whatever it read would be status bits.
bool Programmer::RefuseWhileChipBusy() {
  if (!ChipBusy) return false;
  board.Reset();
  LoadViewAddress();
  ChipBusy = ChipToggles();
  board.Reset();
  if (!ChipBusy) return false;
  ui.LogMessage(
      "*** Device is still busy with its erase or write: try again when it has finished ***");
  ui.PlayEventSound("ERROR");
  return true;
}

// One read/reset command (F0h) at the address on the latches, strobed on latch-3 bit 2.
void Programmer::ResetFlash_Click() {
  board.CEOFF();
  board.OEOFF();
  board.Reg4 = 0xF0;
  board.SetReg4();
  board.WEA18ON();
  board.CEON();
  board.CEOFF();
  board.WEA18OFF();
}

}  // namespace ops
