// Erasing the Flash chips (chip-erase command, then polling until the chip reads erased) and
// the X28C256 EEPROM (which has no erase command: it is programmed with FFh throughout).
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <string>

#include "operations/programmer.h"

namespace ops {

using platform::Ctl;

namespace {

constexpr int32_t kEepromSize = 32768;
constexpr int32_t kErasePolls = 500;
constexpr uint8_t kErased = 0xFF;

bool AmicAmdEon(int16_t maker) {
  return maker == 0x37 || maker == 0x01 || maker == 0x1C;
}

// A timed-out wait leaves FlashPollState at 0; a chip that read erased leaves the poll count.
void ReportEraseOutcome(Programmer& p) {
  if (p.FlashPollState == 0) {
    p.ui.LogMessage("*** Flash Memory Erase Failed - Device did not Read Erased (" +
                    std::to_string(kErasePolls) + " Polls) ***");
    p.LockButtonsOnError();
    p.ui.PlayEventSound("ERROR");
    return;
  }
  p.ui.PlayEventSound("DONE");
  p.ui.LogMessage("Flash Memory Erase Complete");
}

}  // namespace

void Programmer::EraseFlash_button_Click() {
  const std::string& code = dev.DeviceCode;
  const bool amic_amd_eon = code == "FM" || code == "FL" || code == "FR" || code == "FS";
  if (code != "EN" && code != "FA" && !amic_amd_eon) return;
  // An erase destroys what the chip holds: the operator confirms it first, as for programming.
  if (!ui.AskOkCancel("Erase the Device?", "Safety Question")) {
    ui.LogMessage("Erasing was Canceled by Operator");
    return;
  }
  if (code == "EN") EraseXICOR();
  if (amic_amd_eon) EraseAMDFlash();
  if (code == "FA") EraseAT29C256();
}

// The operator's image survives: ProgramBuffer is rebuilt from the code buffer afterwards,
// whether the EEPROM took the FFh bytes or not.
void Programmer::EraseXICOR() {
  std::fill_n(ProgramBuffer.begin(), kEepromSize, kErased);
  ui.LogMessage("Erasing Program Buffer");
  ui.LogMessage("Erasing XICOR 28C256");
  ProgramX28C256();
  BuildProgramBuffer();
}

void Programmer::EraseAMDFlash() {
  IdentifyFlash();
  if (!AmicAmdEon(FlashMaker)) {
    ui.LogMessage("*** DEVICE NOT SUPPORTED ***");
    return;
  }
  ui.LogMessage("Erasing AMIC/AMD/EON Flash Memory... Wait");
  board.Reset();
  board.SETADR_FLASH();
  FlashCommand = 0x80;
  SendFlashCommand();
  FlashCommand = 0x10;
  SendFlashCommand();
  io.Sleep(100);
  ProgramByte = kErased;
  WaitErased();
  ReportEraseOutcome(*this);
}

void Programmer::EraseAT29C256() {
  IdentifyFlash();
  if (FlashMaker != 0x1F) {
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
  io.Sleep(100);
  ProgramByte = kErased;
  WaitErased();
  ReportEraseOutcome(*this);
}

// Polls the byte the erase command's address left on the latches until it reads ProgramByte,
// at most 500 times 5 ms. FlashPollState counts down and is 0 afterwards only on a timeout.
void Programmer::WaitErased() {
  ui.SetMax(Ctl::ProgressBar1, 100);
  board.REG4OFF();
  board.CEON();
  bool erased = false;
  for (FlashPollState = kErasePolls; FlashPollState >= 1; --FlashPollState) {
    board.OEON();
    board.GetNibbles();
    board.OEOFF();
    if (board.ReadBackByte == ProgramByte) {
      board.CEOFF();
      board.REG4ON();
      erased = true;
      break;
    }
    io.Sleep(5);
    ui.SetValue(Ctl::ProgressBar1, static_cast<int>(std::lround(100.0 - FlashPollState / 5.0)));
  }
  if (!erased) {
    board.CEOFF();
    board.REG4ON();
  }
  ui.SetValue(Ctl::ProgressBar1, 0);
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
