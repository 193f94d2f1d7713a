// Programming the Flash and parallel EEPROM devices: the sector-load algorithm of the AT29C256
// and the X28C256, and the byte-program walk of the 32-pin Flash chips.
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>

#include "operations/programmer.h"
#include "platform/hex_text.h"

namespace ops {

using panel::Ctl;

namespace {

int16_t I16(int32_t value) {
  return static_cast<int16_t>(value);
}

int32_t I32(int64_t value) {
  return static_cast<int32_t>(value);
}

// How a page-write part sits on the board: where its write strobe is and how its address and
// protection-off sequence reach it.
enum class PageWiring : uint8_t {
  Atmel28,  // the AT29C256: write strobe on latch-1 bit 7, A8..A14 below it
  Xicor28,  // the X28C256 and AT28C256 / AT28C64B: A14 moved to latch-1 bit 7, strobe on bit 6
  Jedec32,  // the 32-pin AT29C0x0: write strobe on latch-3 bit 2 (pin 31), A16..A18 on latch 3
};

// What tells the page-write parts apart in the sector-load algorithm.
struct PageDevice {
  PageWiring wiring;
  // The EEPROMs' page write of 1 to 64 bytes leaves the page's other bytes as they are; the
  // Flash parts' sector write does not keep a byte that was not loaded.
  bool keeps_unloaded_bytes;
  int32_t sector_size;
  std::string started;   // first log line
  std::string finished;  // success log line; none for the 32-pin Flash, whose caller reports
  int32_t protection_settle_ms;
  // From the last byte loaded until the sector is written: the byte-load window the chip waits
  // for a further byte, then its longest write cycle.
  std::chrono::microseconds write_cycle;
};

using std::chrono::microseconds;
using std::chrono::milliseconds;
// AT29C256: byte-load cycle 150 us, write cycle 10 ms. X28C256: 100 us, and a write cycle of
// 5 ms typical (Xicor X28C256 features: "Byte or Page Write Cycle: 5 ms Typical") that may last
// 10 ms. AT28C256: 150 us ("Each successive byte must be written within 150 us (tBLC) of the
// previous byte"), page write 10 ms at most (features: "Page Write Cycle Time: 3 ms or 10 ms
// Maximum"); the AT28C64B is taken to be the same. AT29C010A / AT29C020 / AT29C040A: 150 us and
// the 10 ms sector program cycle of their features ("Fast Sector Program Cycle Time - 10 ms").
constexpr microseconds kAtmelWriteCycle = microseconds(150) + milliseconds(10);
constexpr microseconds kXicorWriteCycle = microseconds(100) + milliseconds(10);
constexpr int32_t kEepromPage = 64;

PageDevice AT29C256() {
  return {PageWiring::Atmel28,
          false,
          kEepromPage,
          "Programming Atmel AT29C256",
          "FLASH Atmel AT29C256 Programmed Sucessfully",
          50,
          kAtmelWriteCycle};
}

PageDevice X28C256() {
  return {PageWiring::Xicor28,
          true,
          kEepromPage,
          "Programming 28C256 XICOR Device",
          "XICOR 28C256 Programmed Sucessfully",
          40,
          kXicorWriteCycle};
}

// The Atmel EEPROMs, named after their row.
PageDevice AtmelEeprom(std::string_view part) {
  const std::string name(part);
  return {PageWiring::Xicor28,
          true,
          kEepromPage,
          "Programming " + name,
          name + " Programmed Successfully",
          40,
          kAtmelWriteCycle};
}

// The 32-pin Atmel Flash, by the sector size its ID names.
PageDevice AtmelSectorFlash(int32_t sector_size) {
  return {PageWiring::Jedec32,
          false,
          sector_size,
          "Programming Atmel Flash in " + std::to_string(sector_size) + "-byte sectors",
          {},
          50,
          kAtmelWriteCycle};
}

constexpr int32_t kWritePollMs = 1;
constexpr uint8_t kToggleBit = 0x40;

constexpr int32_t kProgressSteps = 64;
constexpr int kSectorAttempts = 80;  // decremented before each attempt: 79 loads at most
constexpr int kByteTries = 50;       // the same rule: 49 program commands at most
// A byte program runs for microseconds: a chip still busy after a failed byte gets a few
// milliseconds more before it is reported busy.
constexpr int32_t kByteFailureWaitMs = 5;

class PageProgrammer {
 public:
  PageProgrammer(Programmer& p, PageDevice d) : p_(p), b_(p.board), d_(std::move(d)) {}

  // Writes the first `length` bytes of ProgramBuffer, in whole sectors.
  void Run(int32_t length) {
    const int32_t sectors = (length + d_.sector_size - 1) / d_.sector_size;
    b_.CurrentAddress = 0;
    b_.Endereco2Adr();
    LoadAddress();
    p_.io.Sleep(500);
    b_.REG4ON();
    b_.OEOFF();
    b_.CEOFF();
    p_.ui.LogMessage(d_.started);
    b_.Reset();
    LoadAddress();
    SwitchProtectionOff();
    p_.io.Sleep(d_.protection_settle_ms);
    b_.OEOFF();
    b_.CEOFF();
    // The bar takes at most 64 steps: one every 8 sectors for the whole AT29C256.
    const int32_t steps = std::clamp(sectors, 1, kProgressSteps);
    p_.ui.SetMax(Ctl::ProgressBar1, steps);
    p_.ProgressStep = I16(sectors / steps);
    p_.ProgressCount = 0;
    for (int32_t sector = 0; sector < sectors; ++sector) {
      // Only between sectors: a sector whose load was cut short would be written part new.
      if (sector > 0 && p_.StopRequestedAt(d_.sector_size * sector)) {
        p_.ReportProgrammingStopped();
        return;
      }
      const int32_t count = std::min(d_.sector_size, length - d_.sector_size * sector);
      if (count < d_.sector_size && !d_.keeps_unloaded_bytes) KeepRestOfSector(sector, count);
      if (!ProgramSector(sector, d_.keeps_unloaded_bytes ? count : d_.sector_size)) return;
      if ((sector & 7) == 0) b_.ToggleProgramLamp();
      p_.GoProgressiveBar1();
    }
    if (!d_.finished.empty()) p_.ui.LogMessage(d_.finished);
    b_.Reset();
  }

 private:
  int32_t SliderWait(int32_t extra) const { return p_.SliderMax() - p_.SliderValue() + extra; }

  void LoadAddress() {
    if (d_.wiring == PageWiring::Xicor28) {
      b_.SETADR_XICOR();
    } else {
      b_.SETADR_FLASH();
    }
  }

  // Software data protection off (AAh, 55h, 80h, AAh, 55h, 20h), in the write cycles the part's
  // wiring takes. The 32-pin parts take it as two strobed commands, whose fast latch writes leave
  // the address latches at 5555h behind the shadows' back: the address is loaded again.
  void SwitchProtectionOff() {
    switch (d_.wiring) {
      case PageWiring::Atmel28:
        p_.SDPDisable_FLASH();
        return;
      case PageWiring::Xicor28:
        p_.SDPDisable_XICOR();
        return;
      case PageWiring::Jedec32:
        p_.FlashCommand = 0x80;
        p_.SendFlashCommand();
        p_.FlashCommand = 0x20;
        p_.SendFlashCommand();
        LoadAddress();
        return;
    }
  }

  // The chip writes whole sectors and does not keep a byte that is not loaded: the bytes of the
  // last sector past the image are read first and loaded again as they were.
  void KeepRestOfSector(int32_t sector, int32_t count) {
    const int32_t first = d_.sector_size * sector + count;
    const int32_t last = d_.sector_size * sector + d_.sector_size - 1;
    p_.ui.LogMessage(
        "Device bytes " + platform::Hex(static_cast<uint32_t>(first)) + "h.." +
        platform::Hex(static_cast<uint32_t>(last)) +
        "h share the last sector with the image: written back as the Device holds them");
    b_.REG4OFF();
    SelectSectorPage(sector);
    for (int32_t i = count; i < d_.sector_size; ++i) {
      SelectByte(sector, i);
      p_.ProgramBuffer[static_cast<size_t>(b_.CurrentAddress)] = ReadLatchedByte();
    }
    b_.CEOFF();
  }

  // Loads the first `count` bytes of the sector until they read back; false (after the failure
  // report) when 79 loads did not take. The last read-back leaves CurrentAddress at the byte
  // that differed.
  bool ProgramSector(int32_t sector, int32_t count) {
    for (int attempts = kSectorAttempts;;) {
      if (--attempts == 0) {
        p_.ReportProgramFailure();
        p_.LetChipFinish(I32(std::chrono::ceil<milliseconds>(d_.write_cycle).count()));
        b_.Reg0 = 0x00;
        b_.SetReg0();
        return false;
      }
      p_.io.Sleep(SliderWait(1));
      b_.REG4ON();
      SelectSectorPage(sector);
      LoadSector(sector, count);
      const int32_t write_wait_ms = SliderWait(3);
      p_.io.Sleep(write_wait_ms);  // the device writes the sector now
      b_.REG4OFF();
      if (milliseconds(write_wait_ms) < d_.write_cycle) WaitWhileWriting();
      if (SectorReadsBack(sector, count)) return true;
      p_.ProgramByte = p_.ProgramBuffer[static_cast<size_t>(b_.CurrentAddress)];
    }
  }

  // The sector's address above A7 on latch 1 (and on the 32-pin parts latch 3), written only
  // where it changes. A sector never crosses a 256-byte page.
  void SelectSectorPage(int32_t sector) {
    b_.CurrentAddress = d_.sector_size * sector;
    b_.Endereco2Adr();
    int32_t mid = b_.AddrMid;
    if (d_.wiring == PageWiring::Xicor28) mid = b_.AddrMid != 0 ? b_.AddrMid + 0x40 : 0;
    if (d_.wiring == PageWiring::Jedec32) {
      mid = b_.AddrMidMap[static_cast<size_t>(b_.AddrMid & 0xFF)];
      const int16_t latch3 = I16(b_.AddrHighMap[static_cast<size_t>(b_.AddrHigh & 0xFF)] |
                                 (b_.Reg3 & 0xF0) | b_.Reg3Mask);
      if (latch3 != b_.Reg3) {
        b_.Reg3 = latch3;
        b_.SetReg3();
      }
    }
    if (const int16_t latch1 = I16(mid | b_.Reg1Mask); latch1 != b_.Reg1) {
      b_.Reg1 = latch1;
      b_.SetReg1();
    }
  }

  // No command prefix: with software data protection off the chip takes the bytes as they
  // come and writes the sector when the loads stop. Each byte load must start within the
  // chip's byte-load window of the one before (150 us; X28C256 100 us), whatever the slider
  // says, so the loads go out on fast latch writes (21 port writes a byte). With the slider's
  // settling waits the seven latch writes of a byte would outlast the window from the upper
  // slider positions down, and take some 13 ms at the slowest.
  void LoadSector(int32_t sector, int32_t count) {
    const auto [strobe_latch, strobe] = WriteStrobe();
    int16_t& strobe_shadow = strobe_latch == 1 ? b_.Reg1 : b_.Reg3;
    for (int32_t i = 0; i < count; ++i) {
      SetByteAddress(sector, i);
      b_.FastLatchWrite(2, b_.Reg2);
      p_.ProgramByte = p_.ProgramBuffer[static_cast<size_t>(b_.CurrentAddress)];
      b_.Reg3 = I16(b_.Reg3 & 0xBF);  // data driver on
      b_.FastLatchWrite(3, b_.Reg3);
      b_.Reg4 = p_.ProgramByte;
      b_.FastLatchWrite(4, b_.Reg4);
      b_.Reg3 = I16(b_.Reg3 & 0x7F);
      b_.FastLatchWrite(3, b_.Reg3);
      strobe_shadow = I16(strobe_shadow & ~strobe & 0xFF);
      b_.FastLatchWrite(strobe_latch, strobe_shadow);
      strobe_shadow = I16(strobe_shadow | strobe);
      b_.FastLatchWrite(strobe_latch, strobe_shadow);
      b_.Reg3 = I16(b_.Reg3 | 0x80);
      b_.FastLatchWrite(3, b_.Reg3);
    }
  }

  // The latch and bit of the part's write strobe (active low).
  std::pair<int, int16_t> WriteStrobe() const {
    switch (d_.wiring) {
      case PageWiring::Atmel28:
        return {1, 0x80};
      case PageWiring::Xicor28:
        return {1, 0x40};
      case PageWiring::Jedec32:
        return {3, 0x04};
    }
    return {1, 0x80};
  }

  // The sleep at this slider position is shorter than the chip's write cycle: read it until
  // bit 6 stops toggling between two reads (the write is over), for at most the write cycle,
  // 1 ms between tries. A chip still busy then is left to the verify that follows.
  void WaitWhileWriting() {
    const auto tries = std::chrono::ceil<milliseconds>(d_.write_cycle).count() / kWritePollMs;
    for (int64_t n = 0; n <= tries; ++n) {
      const uint8_t first = ReadLatchedByte();
      if (((first ^ ReadLatchedByte()) & kToggleBit) == 0) return;
      p_.io.Sleep(kWritePollMs);
    }
  }

  uint8_t ReadLatchedByte() {
    b_.CEOEON();
    b_.GetNibbles();
    b_.OEOFF();
    return b_.ReadBackByte;
  }

  // Chip enable stays on from byte to byte; only output enable drops after each read.
  bool SectorReadsBack(int32_t sector, int32_t count) {
    for (int32_t i = 0; i < count; ++i) {
      SelectByte(sector, i);
      if (ReadLatchedByte() != p_.ProgramBuffer[static_cast<size_t>(b_.CurrentAddress)]) {
        return false;
      }
    }
    return true;
  }

  // The byte's place in the sector into CurrentAddress and the latch-2 shadow.
  void SetByteAddress(int32_t sector, int32_t i) {
    b_.CurrentAddress = d_.sector_size * sector + i;
    b_.Endereco2Adr();
    b_.Reg2 = I16(b_.AddrLow);
  }

  void SelectByte(int32_t sector, int32_t i) {
    SetByteAddress(sector, i);
    b_.SetReg2();
  }

  Programmer& p_;
  board::Board& b_;
  const PageDevice d_;
};

using board::kBankBytes;
using board::kPageBytes;

}  // namespace

void Programmer::ProgramAT29C256() {
  PageProgrammer(*this, AT29C256()).Run(ProgramLength);
}

void Programmer::ProgramX28C256() {
  PageProgrammer(*this, X28C256()).Run(ProgramLength);
}

void Programmer::ProgramAtmelEeprom() {
  PageProgrammer(*this, AtmelEeprom(devices::PartName(dev.Row))).Run(ProgramLength);
}

// The 32-pin Flash is programmed as its ID says: byte by byte with the program command, or,
// Atmel's (maker 1Fh), in whole sectors of the size its ID names. A part the 32-pin socket
// cannot take in this wiring is refused with the reason.
void Programmer::ProgramFlashByID() {
  IdentifyFlash();
  const bool sectors = devices::SectorWritingMaker(FlashMaker);
  if (!sectors && !devices::ByteProgrammingMaker(FlashMaker)) {
    ui.LogMessage("Device ID# " + FlashCode + " - Not Supported");
    ProgramStatus = 0;
    return;
  }
  if (sectors) {
    if (const std::string why = SectorFlashRefusal(); !why.empty()) {
      ui.LogMessage("Device ID# " + FlashCode + " - Not Supported: " + why);
      ProgramStatus = 0;
      return;
    }
    ui.LogMessage("Device ID# " + FlashCode + " - Start programming");
    PageProgrammer(*this, AtmelSectorFlash(FlashSectorSize)).Run(ProgramLength);
    return;
  }
  ui.LogMessage("Device ID# " + FlashCode + " - Start programming");
  const int32_t length = ProgramLength;
  ui.SetMax(Ctl::ProgressBar1, (length + kPageBytes - 1) / kPageBytes);
  board.REG4ON();
  board.OEOFF();
  board.CEOFF();
  LastBank = I16((length - 1) / kBankBytes);
  LastPage = I16(((length - 1) % kBankBytes) / kPageBytes);
  board.CurrentAddress = 0;
  for (int32_t bank = 0; bank <= LastBank; ++bank) {
    board.Reg3 = I16(board.AddrHighMap[static_cast<size_t>(bank)] | board.Reg3Mask | 0x80);
    const int32_t last_page = bank == LastBank ? LastPage : 255;
    for (int32_t page = 0; page <= last_page; ++page) {
      board.Reg1 = I16(board.AddrMidMap[static_cast<size_t>(page)] | board.Reg1Mask);
      ui.SetValue(Ctl::ProgressBar1,
                  std::min(ui.Value(Ctl::ProgressBar1) + 1, ui.Max(Ctl::ProgressBar1)));
      // The walk ends with the image's last byte, within its page if need be.
      const int16_t last_byte = I16(std::min(255, length - 1 - board.CurrentAddress));
      for (board.Reg2 = 0; board.Reg2 <= last_byte; ++board.Reg2) {
        if (board.CurrentAddress > 0 && StopRequestedAt(board.CurrentAddress)) {
          ReportProgrammingStopped();
          return;
        }
        int tries = kByteTries;
        do {
          if (--tries == 0) {
            ReportProgramFailure();
            LetChipFinish(kByteFailureWaitMs);
            return;
          }
          ProgramByte = ProgramBuffer[static_cast<size_t>(board.CurrentAddress)];
          ProgramFlashByte();
          VerifyFlashByte();
          // A byte still being programmed is waited for, not programmed again: a new command
          // to a chip that has just finished would start the byte program over.
          if (FlashPollState != 0) {
            LetByteProgramFinish();
            VerifyFlashByte();
          }
        } while (FlashPollState != 0);
        ++board.CurrentAddress;
      }
    }
  }
}

// A byte program may take the chip up to 300 us (the longest byte programming time of the
// family's "Erase and Programming Performance" table, Am29LV040B). While it toggles DQ6 the
// chip is polled; one that still toggles after those polls gets a millisecond, which covers that
// time on any port.
void Programmer::LetByteProgramFinish() {
  constexpr int kQuickPolls = 30;
  for (int n = 0; n < kQuickPolls; ++n) {
    if (!ChipToggles()) return;
  }
  io.Sleep(1);
}

void Programmer::VerifyFlashByte() {
  board.REG4OFF();
  FlashPollState = 1;
  board.CEON();
  board.OEON();
  board.GetNibbles();
  board.OEOFF();
  board.CEOFF();
  if (board.ReadBackByte == ProgramByte) FlashPollState = 0;
  board.REG4ON();
}

// Service test: the same program command over and over, for a scope on the board.
void Programmer::LoopFlashTest_Click() {
  const int32_t repeats = SliderValue() * 1000;
  for (int32_t n = 0; n < repeats; ++n) {
    ProgramFlashByte();
    io.Spin(10000);
  }
}

}  // namespace ops
