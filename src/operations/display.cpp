// The hex and ASCII view of the code image, the data image and the device in the socket.
#include <algorithm>
#include <span>
#include <string>

#include "buffers/hex_page.h"
#include "buffers/image_file.h"
#include "operations/programmer.h"
#include "platform/files.h"

namespace ops {

using panel::Ctl;

namespace {

// Names the maker in the first line of the buffer display file.
constexpr std::string_view kVendor = "MELDRIX5N Programmer";

// The board's address counter spans 24 bits: 65536 pages of 256 bytes.
constexpr int64_t kLastDevicePage = 65535;

// The data view pages over the 8192 bytes an EEPROM image may hold, 128 bytes a page.
constexpr int32_t kDataViewLastPage = 63;

// The microcontroller: a data memory beside its program, each with its own view.
bool HoldsData(const devices::SelectedDevice& dev) {
  return dev.Row.Memory == devices::Memories::CodeAndData;
}

}  // namespace

void Programmer::DisplayPageMemory() {
  if (HoldsData(dev) && ui.Caption(Ctl::Show_button) == "Show Code") {
    DisplayDataMemory();
  } else {
    DisplayCodeMemory();
  }
}

// The view and its scroll range come back to the buffer: the code image (or, for the
// microcontroller's data view, the data image), every page of it reachable.
void Programmer::ShowBufferView() {
  const bool data = HoldsData(dev) && ui.Caption(Ctl::Show_button) == "Show Code";
  DisplayMode = "Read";
  ui.SetCaption(Ctl::Frame3,
                data ? "Data Buffer Hex/Ascii Display" : "Code Buffer Hex/Ascii Display");
  SetScrollMax(data ? kDataViewLastPage
                    : buffers::LastPage(buf.CodeLength, buffers::kCodePageBytes));
  DisplayPageMemory();
}

// The code view shows the bytes the buffer holds, CodeLength of them: the last page may be
// partial.
void Programmer::DisplayCodeMemory() {
  const auto image = buffers::ImagePart(buf.CodeBuffer, buf.CodeLength);
  const int32_t page =
      buffers::PageWithin(ui.Value(Ctl::VScroll1), buffers::kCodePageBytes, image.size());
  board.CurrentAddress = page * buffers::kCodePageBytes;
  board.Endereco2Adr();
  ui.SetCaption(Ctl::BufferDisplay, buffers::CodePageText(image, page));
}

// The data view pages over the 8192 bytes an EEPROM image may hold.
void Programmer::DisplayDataMemory() {
  const auto image = std::span<const uint8_t>(buf.DataBuffer).first(buffers::kMaxDataFile);
  const int32_t page =
      buffers::PageWithin(ui.Value(Ctl::VScroll1), buffers::kDataPageBytes, image.size());
  board.CurrentAddress = page * buffers::kDataPageBytes;
  board.Endereco2Adr();
  ui.SetCaption(Ctl::BufferDisplay, buffers::DataPageText(image, page));
}

void Programmer::LoadViewAddress() {
  switch (dev.Row.Addressing) {
    case devices::AddressLoad::None:
      break;
    case devices::AddressLoad::Eprom:
      board.SETADR();
      break;
    case devices::AddressLoad::Xicor:
      board.SETADR_XICOR();
      break;
    case devices::AddressLoad::Flash:
      board.SETADR_FLASH();
      break;
  }
}

// Reads one 256-byte page of the device, byte by byte with chip and output enable pulsed
// around each read-back, and shows it.
void Programmer::DisplayEprom() {
  if (RefuseWhileChipBusy()) return;
  DataFlowIndicatorOn();
  board.Reset();
  LoadViewAddress();
  io.Sleep(500);  // lets the supply and the address lines settle after the reset
  board.REG4OFF();
  const auto page =
      static_cast<int32_t>(std::clamp<int64_t>(ui.Value(Ctl::VScroll1), 0, kLastDevicePage));
  board.CurrentAddress = page * board::kPageBytes;
  board.Endereco2Adr();
  io.Spin(100);
  for (size_t i = 0; i < 256; ++i) {
    LoadViewAddress();
    board.OEON();
    board.CEON();
    board.GetNibbles();
    board.CEOFF();
    board.OEOFF();
    PageBuffer[i] = board.ReadBackByte;
    board.IncADR();
  }
  ui.SetCaption(Ctl::BufferDisplay,
                buffers::DevicePageText(std::span<const uint8_t>(PageBuffer).first<256>(), page));
  MarkDifferencesOnPage(page);
  DataFlowIndicatorOff();
}

void Programmer::VScroll1_Change() {
  if (DisplayMode == "Read") DisplayPageMemory();
  if (DisplayMode == "DisplayEprom") DisplayEprom();
}

void Programmer::Show_button_Click() {
  if (!HoldsData(dev)) {
    ui.SetCaption(Ctl::Frame3, "Code Buffer Hex/Ascii Display");
    DisplayMode = "Read";
  } else if (ui.Caption(Ctl::Show_button) == "Show Data") {
    ui.SetCaption(Ctl::Show_button, "Show Code");
    SetScrollMax(kDataViewLastPage);
    ui.SetCaption(Ctl::Frame3, "Data Buffer Hex/Ascii Display");
  } else {
    ui.SetCaption(Ctl::Show_button, "Show Data");
    SetScrollMax(buffers::LastPage(buf.CodeLength, buffers::kCodePageBytes));
    ui.SetCaption(Ctl::Frame3, "Code Buffer Hex/Ascii Display");
  }
  SetScrollValue(0);
  DisplayPageMemory();
}

void Programmer::Display_button_Click() {
  if (!Checked(Ctl::CheckCode) || RefuseWhileChipBusy()) return;
  DisplayMode = "DisplayEprom";
  SetScrollValue(0);
  // The device view pages over the whole device, whatever length the buffer has.
  SetScrollMax(buffers::LastPage(DeviceLength(), board::kPageBytes));
  ui.LogMessage("Fetching Device Binary Contents to Screen");
  ui.SetCaption(Ctl::Frame3, "Device Memory Hex/Ascii Display");
  if (DeviceWalkSupported()) {
    DisplayEprom();
  } else if (HoldsData(dev)) {
    ui.MessageBox("Please Write AT90S2313 Code Display ROutine", "Routine Not Ready",
                  panel::Icon::None);
  }
}

void Programmer::Command1_Click() {
  board.CurrentAddress = 0;
  board.Endereco2Adr();
  ui.SetCaption(Ctl::BufferDisplay,
                buffers::CodePageText(buffers::ImagePart(buf.CodeBuffer, buf.CodeLength), 0));
}

void Programmer::BufferDisplay_DblClick() {
  const std::string file = buffers::BufferDisplayFile(
      kVendor, clock.LocaleDate(), clock.LocaleTime(), ui.Caption(Ctl::BufferDisplay));
  if (const auto error = platform::WriteFileAtomically(BufferDisplayPath, file)) {
    ui.LogMessage("Buffer DIsplay could not be Saved to MELDRIX5.BUF file: " + error->reason);
    ui.MessageBox("Can't Save File " + BufferDisplayPath + ": " + error->reason, "File Not Saved",
                  panel::Icon::Exclamation);
    return;
  }
  ui.LogMessage("Buffer DIsplay was Saved to MELDRIX5.BUF file");
  ui.PlayEventSound("OK");
}

}  // namespace ops
