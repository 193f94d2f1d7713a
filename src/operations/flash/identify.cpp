// Reading a Flash chip's manufacturer and device code in its ID mode, and naming it.
#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "operations/programmer.h"
#include "platform/hex_text.h"

namespace ops {
namespace {

// The chips the ID mode names, by the maker and device bytes they report. `refusal` says why
// the 32-pin socket's sector walk cannot write a part it names; empty when it can.
struct FlashId {
  uint8_t maker;
  uint8_t device;
  std::string_view name;
  int16_t sector_size;
  std::string_view refusal;
};

constexpr std::array<FlashId, 15> kFlashIds = {{
    {0x1C, 0x04, "EON EN29F040 Flash Memory", 512, {}},
    {0x01, 0x20, "AMD am29F010 Flash Memory", 512, {}},
    {0x01, 0xA4, "AMD am29F040 Flash Memory", 512, {}},
    {0x37, 0x86, "AMIC A29040 Flash Memory", 512, {}},
    {0x37, 0xA4, "AMIC A29010 Flash Memory", 512, {}},
    {0x1F, 0x5B, "ATMEL 29C040 Flash Memory", 512, {}},
    {0x1F, 0xA4, "ATMEL 29C040A Flash Memory", 256, {}},
    {0x1F, 0xDA, "ATMEL 29C020 Flash Memory", 256, {}},
    {0x1F, 0x25, "ATMEL 29C1024 Flash Memory", 128,
     "a 16-bit part, and the socket has 8 data lines"},
    {0x1F, 0xD5, "ATMEL 29C010 Flash Memory", 128, {}},
    {0x1F, 0x5D, "ATMEL 29C512 Flash Memory", 128, {}},
    {0x1F, 0xDC, "ATMEL 29C256 Flash Memory", 64,
     "a 28-pin part, with its write strobe elsewhere: select Flash Atmel AT29C256"},
    // SST39SF0x0: 4 KB sectors (SST39SF010A/020A/040 datasheet, "Software Command Sequence",
    // note 5: maker BFh, devices B5h, B6h, B7h).
    {0xBF, 0xB5, "SST 39SF010A Flash Memory", 4096, {}},
    {0xBF, 0xB6, "SST 39SF020A Flash Memory", 4096, {}},
    {0xBF, 0xB7, "SST 39SF040 Flash Memory", 4096, {}},
}};

const FlashId* FindFlashId(int maker, int device) {
  for (const FlashId& id : kFlashIds) {
    if (maker == id.maker && device == id.device) return &id;
  }
  return nullptr;
}

constexpr int16_t kIdEntry = 0x90;
constexpr int16_t kIdExit = 0xF0;

std::string TwoHexDigits(int value) {
  return platform::Hex(static_cast<uint8_t>(value), 2);
}

// The byte at the address counter and the one after it, each latched out and read back.
std::array<uint8_t, 2> ReadTwoBytes(board::Board& b) {
  b.SETADR_FLASH();
  b.GetNibbles();
  const uint8_t first = b.ReadBackByte;
  b.IncADR();
  b.SETADR_FLASH();
  b.GetNibbles();
  return {first, b.ReadBackByte};
}

// Puts the chip in its ID mode and reads the maker and device bytes at addresses 0 and 1.
std::array<uint8_t, 2> ReadIdBytes(Programmer& p) {
  p.FlashCommand = kIdEntry;
  p.SendFlashCommand();
  p.board.CEOEON();
  p.board.REG4OFF();
  return ReadTwoBytes(p.board);
}

// Back to normal reads; the chip needs a moment before its array answers again.
void LeaveIdMode(Programmer& p) {
  p.board.OEOFF();
  p.FlashCommand = kIdExit;
  p.SendFlashCommand();
  p.io.Sleep(20);
}

}  // namespace

void Programmer::IdentifyFlash() {
  FlashSectorSize = 0;
  if (dev.Row.Commands == devices::FlashCommands::None) return;
  board.Reset();
  board.LampOn();
  board.OEOFF();

  const auto [maker, device] = ReadIdBytes(*this);
  FlashMaker = maker;
  FlashDevice = device;

  LeaveIdMode(*this);
  io.Sleep(20);

  // The same two bytes in normal mode: a chip that ignored the ID entry shows them twice.
  board.AddrLow = 0;
  board.AddrMid = 0;
  board.AddrHigh = 0;
  board.CEOEON();
  const auto [first, second] = ReadTwoBytes(board);
  board.CEOEOFF();
  FlashPlainCode = TwoHexDigits(first) + TwoHexDigits(second);

  FlashCode = TwoHexDigits(FlashMaker) + TwoHexDigits(FlashDevice);
  if (FlashCode == FlashPlainCode) {
    ui.LogMessage("*** Not a Flash Unit, Address 00&01 = FlashCode ***");
  }
  const std::string prefix = "Device ID# " + FlashCode + " - ";
  if (const FlashId* id = FindFlashId(FlashMaker, FlashDevice)) {
    ui.LogMessage(prefix + std::string(id->name));
    FlashSectorSize = id->sector_size;
  }
  if (FlashSectorSize == 0) ui.LogMessage(prefix + " Not Valid!!!");
  if (FlashCode != FlashPlainCode) PointToRowOfChip();
  board.LampOff();
}

// A chip whose ID names another row than the one selected: the operator is told which row fits.
void Programmer::PointToRowOfChip() {
  const devices::DeviceEntry* row = devices::RowOfChip(FlashMaker, FlashDevice);
  if (row == nullptr || row->Name == dev.DeviceName) return;
  ui.LogMessage("The chip in the socket is an " + std::string(devices::PartName(*row)) +
                ": select " + std::string(row->Name));
}

std::string Programmer::SectorFlashRefusal() const {
  const FlashId* id = FindFlashId(FlashMaker, FlashDevice);
  if (id == nullptr) return "its sector size is not known";
  return std::string(id->refusal);
}

// The AT29C256 is read once in ID mode when it is selected; the codes are not kept.
void Programmer::ProbeFlashID() {
  ReadIdBytes(*this);
  LeaveIdMode(*this);
}

void Programmer::menuFlashShowCodeID_Click() {
  if (RefuseWhileChipBusy()) return;
  ui.LogMessage("Reading Flash Code ID_________________ wait");
  IdentifyFlash();
}

}  // namespace ops
