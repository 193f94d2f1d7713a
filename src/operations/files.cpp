// The code and data images: opening and saving their files, the clickable file name, erasing.
#include "platform/files.h"

#include <algorithm>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include "buffers/checksums.h"
#include "buffers/image_file.h"
#include "buffers/image_formats.h"
#include "operations/programmer.h"
#include "platform/hex_text.h"

namespace ops {

using panel::Ctl;
using panel::Icon;
using panel::ToolbarButton;

namespace {

constexpr std::string_view kClickToSelect = "Click To Select a File";
constexpr std::string_view kBufferErased = "Buffer Erased";
constexpr std::string_view kEditedMark = " (edited)";

std::string Trimmed(std::string_view text) {
  const auto first = text.find_first_not_of(' ');
  if (first == std::string_view::npos) return {};
  const auto last = text.find_last_not_of(' ');
  return std::string(text.substr(first, last - first + 1));
}

// The image length as the window shows it beside the file name: "(8192)". Built by appending:
// g++ 12 at -O3 sees a false overlap in "(" + std::to_string(n) + ")" and warns.
std::string LengthInParentheses(int32_t length) {
  std::string text = "(";
  text += std::to_string(length);
  text += ')';
  return text;
}

// One of the two images with the fields that describe it.
struct ImageSlot {
  std::vector<uint8_t>& buffer;
  int32_t& length;
  std::string& file_name;
  bool& holds_file;
  buffers::ImageFormat& file_format;
  Ctl name_text;  // the clickable file name
  Ctl size_text;  // the length beside it
  std::vector<buffers::AddressRange>& file_ranges;
  uint64_t& file_moved_by;
  bool data;  // the data image, not the code image
};

ImageSlot CodeSlot(Programmer& p) {
  return {p.buf.CodeBuffer,      p.buf.CodeLength,
          p.buf.CodeFileName,    p.buf.CodeHoldsFile,
          p.buf.CodeFileFormat,  Ctl::FileNameCodeText,
          Ctl::FileNameCodeSize, p.buf.CodeFileRanges,
          p.buf.CodeFileMovedBy, false};
}

ImageSlot DataSlot(Programmer& p) {
  return {p.buf.DataBuffer,      p.buf.DataLength,
          p.buf.DataFileName,    p.buf.DataHoldsFile,
          p.buf.DataFileFormat,  Ctl::FileNameDataText,
          Ctl::FileNameDataSize, p.buf.DataFileRanges,
          p.buf.DataFileMovedBy, true};
}

// Both Open entries start afresh: indicators off, the display back to showing the image.
// Returns the chosen path, empty when the operator cancels.
std::string AskFileToOpen(Programmer& p, std::string_view title) {
  p.ErrorIndicatorOff();
  p.DataFlowIndicatorOff();
  p.DisplayMode = "Read";
  return p.ui.OpenFileDialog(title, buffers::OpenFilter());
}

// Tells the operator why the file did not become the image: too long for it (`kind` is "Code"
// or "Data", `limit` the longest file accepted) or not readable at all.
void ReportRefusedFile(Programmer& p, const std::string& path, const buffers::LoadedImage& image,
                       const std::string& kind, size_t limit) {
  if (!image.too_long) {
    p.ReportUnreadableFile(path, *image.error);
    return;
  }
  const std::string most = std::to_string(limit);
  p.ui.LogMessage(kind + " File Size is " + std::to_string(image.length) +
                  " bytes, bigger than the " + most + " allowed - Will Not Open");
  p.ui.MessageBox("Can't Open " + kind + " File Bigger than " + most + " Bytes",
                  kind + " File to Big", Icon::Exclamation);
}

// The file's bytes and name become the image; the operator is told how long it is and the
// display and progress bar start over. `buffer_name` is how the log names the buffer.
void TakeImage(Programmer& p, ImageSlot slot, const buffers::LoadedImage& image,
               const std::string& path, const std::string& buffer_name) {
  p.ImageReplaced(slot.data);
  slot.file_name = path;
  slot.holds_file = true;
  slot.file_format = image.format;
  slot.length = static_cast<int32_t>(image.bytes.size());
  buffers::PlaceImage(slot.buffer, image.bytes);
  p.DataFlowIndicatorOff();
  p.ui.LogMessage("File " + path + " - was read into " + buffer_name + ". " +
                  std::to_string(slot.length) + " bytes long.");
  p.ui.LogMessage("You can Install a Blank Eprom for Programming");
  if (!image.summary.empty()) p.ui.LogMessage(image.summary);
  p.ui.LogMessage(buffers::ChecksumLine(image.bytes));
  p.ShowBufferView();
  p.ui.SetValue(Ctl::ProgressBar1, 0);
  p.ui.SetCaption(Ctl::sbStatusBar, "");
}

// The file is written beside its final name and renamed over it, so a failed save leaves the
// earlier file whole; the image's name and format change only once the file is written, and
// only when the operator chose them. `what` names the file in the status bar.
bool SaveImage(Programmer& p, ImageSlot slot, const std::string& what, const std::string& path,
               bool chosen, buffers::ImageFormat format) {
  p.ui.SetCaption(Ctl::sbStatusBar, "Writing " + what + " " + path + " ... Wait");
  const auto image = buffers::ImagePart(slot.buffer, slot.length);
  // A buffer that still holds a load file's records is written as those records, at the
  // addresses the file gave them: the erased gaps between them are no data of the file's.
  const bool records = slot.holds_file && !slot.file_ranges.empty();
  const auto parts = buffers::LoadFileParts(slot.buffer, slot.file_ranges, slot.file_moved_by);
  const auto error =
      format == buffers::ImageFormat::Binary
          ? platform::WriteFileAtomically(path, image)
          : platform::WriteFileAtomically(path, records ? buffers::ImageFileText(format, parts)
                                                        : buffers::ImageFileText(format, image));
  if (error) {
    p.ui.SetCaption(Ctl::sbStatusBar, "");
    p.ReportUnwritableFile(path, error->reason);
    return false;
  }
  if (chosen) {
    slot.file_name = path;
    slot.file_format = format;
    p.ui.SetCaption(slot.name_text, path);
  }
  p.ui.SetCaption(slot.size_text, LengthInParentheses(slot.length));  // the bytes written
  // The file now holds the whole image, or the records it held before in another format.
  if (!records || format == buffers::ImageFormat::Binary) {
    slot.file_ranges.clear();
    slot.file_moved_by = 0;
  }
  slot.holds_file = true;
  p.ui.LogMessage("File Sucessfully Saved as " + path);
  p.ui.SetCaption(Ctl::sbStatusBar, "");
  return true;
}

using SaveFile = bool (Programmer::*)(const std::string& path, bool chosen,
                                      buffers::ImageFormat format);

// Save As: to a file the operator chooses (`offered` is the name the dialog starts with), in the
// format picked in the dialog or named by the file's extension; nothing is written when the
// dialog is cancelled.
void SaveToChosenFile(Programmer& p, std::string_view title, SaveFile save,
                      std::string_view offered = {}) {
  const panel::FileChoice choice = p.ui.SaveFileDialog(title, buffers::kSaveFilter, offered);
  if (choice.path.empty()) return;
  (p.*save)(choice.path, true, buffers::ImageFormatChosen(choice.path, choice.filter));
}

// Save: over the image's own file, in its own format, while the buffer still holds that file's
// bytes. A buffer that has since been read from a device or erased would overwrite a known-good
// image without a word, and a file in a format the program reads but cannot write would change
// its format: in both cases the operator is asked as in Save As, with the file's name offered.
void SaveToOwnFile(Programmer& p, ImageSlot slot, std::string_view title, std::string_view title_as,
                   SaveFile save) {
  if (slot.file_name.empty()) {
    SaveToChosenFile(p, title, save);
  } else if (!slot.holds_file) {
    SaveToChosenFile(p, title_as, save, slot.file_name);
  } else if (slot.file_format == buffers::ImageFormat::Other) {
    SaveToChosenFile(p, title, save, slot.file_name);
  } else {
    (p.*save)(slot.file_name, false, slot.file_format);
  }
}

// A load file's records go to the chip's addresses: an image linked where a processor sees the
// ROM (a monitor at E000h..FFFFh for an 8 KB EPROM) lies beyond the device as it stands, and
// cutting it would program a chip that does not hold the image. The window offers to move it
// down so that its lowest address becomes 0 when that makes it fit; the command line moves it
// by the offset given. Otherwise the image is refused, with the address and the device's size.
void PlaceForDevice(Programmer& p, buffers::LoadedImage& image) {
  // An offset given for a raw image would be dropped without a word: it has no addresses.
  if (!image.load_file() && image.ok() && p.LoadOffset.value_or(0) != 0) {
    image.error = "the offset applies to the addresses of a load file; this file is a raw image";
    return;
  }
  if (!image.load_file() || image.too_long || (image.error && !image.beyond)) return;
  const bool device = p.dev.DeviceSize > 0;
  const uint64_t room = device ? static_cast<uint64_t>(p.dev.DeviceSize) : buffers::kCodeBufferSize;
  const std::string held = device
                               ? "the " + std::to_string(room) + " bytes of the " + p.dev.DeviceName
                               : "the code buffer of " + std::to_string(room) + " bytes";
  const auto range = [](uint64_t first, uint64_t last) {
    return platform::Hex(first) + "h to " + platform::Hex(last) + "h";
  };
  uint64_t down = p.LoadOffset.value_or(0);
  if (down > image.lowest) {
    image.error = "the offset " + platform::Hex(down) + "h lies above the lowest address " +
                  platform::Hex(image.lowest) + "h of the image";
    return;
  }
  if (!image.blocks.empty() && image.highest - down >= room) {
    const bool fits_moved = image.highest - image.lowest < room;
    const std::string beyond =
        "address " + platform::Hex(image.highest - down) + "h lies beyond " + held;
    if (p.LoadOffset || !fits_moved) {
      image.error = beyond;
      image.beyond = false;
      return;
    }
    const std::string question = "The image covers addresses " +
                                 range(image.lowest, image.highest) + "; " + held +
                                 " are addresses " + range(0, room - 1) +
                                 ". Move the image down by " + platform::Hex(image.lowest) +
                                 "h, to addresses " + range(0, image.highest - image.lowest) + "?";
    if (!p.ui.AskOkCancel(question, "Image Beyond the Device")) {
      image.error = beyond + "; the image was not moved";
      image.beyond = false;
      return;
    }
    down = image.lowest;
  }
  if (down == image.moved && !image.beyond) return;
  buffers::PlaceLoadFile(image, down, buffers::kCodeBufferSize);
  if (image.ok() && down != 0) {
    p.ui.LogMessage("Image moved down by " + platform::Hex(down) + "h: addresses " +
                    range(image.lowest, image.highest) + " are now " +
                    range(0, image.highest - down));
  }
}

// An erased device reads FFh everywhere; `filled` bytes of the image become FFh, and what
// needs an image (`uses`) is disabled until one is opened again.
void EraseImage(Programmer& p, ImageSlot slot, size_t filled, std::initializer_list<Ctl> uses) {
  std::fill_n(slot.buffer.begin(), filled, uint8_t{0xFF});
  p.ImageReplaced(slot.data);
  slot.holds_file = false;
  for (Ctl c : uses) p.ui.SetEnabled(c, false);
  p.ui.SetCaption(slot.name_text, kBufferErased);
  p.ui.LogMessage("Buffer has been Erased");
  p.ShowBufferView();
}

}  // namespace

// --- Opening -------------------------------------------------------------------------------

void Programmer::mnuFileOpenCode_Click() {
  const std::string path = AskFileToOpen(*this, "Open Code File");
  if (path.empty()) return;
  LoadCodeFile(path, buffers::ReadAsOfFilter(ui.OpenFileFilter()));
}

void Programmer::mnuFileOpenData_Click() {
  const std::string path = AskFileToOpen(*this, "Open Data File (eeprom)");
  if (path.empty()) return;
  LoadDataFile(path, buffers::ReadAsOfFilter(ui.OpenFileFilter()));
}

void Programmer::ReadBinaryFile() {
  LoadCodeFile(buf.CodeFileName);
}

void Programmer::ReadBinaryFileData() {
  LoadDataFile(buf.DataFileName);
}

// The file becomes the code image only when the whole of it could be read and fits the code
// buffer; otherwise the operator is told why and the image, its length, flags and name stay.
bool Programmer::LoadCodeFile(const std::string& path, buffers::ReadAs how) {
  if (!EditsMayBeLost(false)) return false;
  const std::string shown_before = ui.Caption(Ctl::FileNameCodeText);
  ui.SetCaption(Ctl::FileNameCodeText, path);
  ui.SetCaption(Ctl::BufferDisplay,
                "\r\n\r\n\r\n\r\n\r\n\r\n                      READING FILE ... WAIT");
  DataFlowIndicatorOn();
  ui.SetCaption(Ctl::sbStatusBar, "Reading Code File " + path + " into Buffer... Wait");
  ui.Repaint(Ctl::BufferDisplay);  // seen while a long file is read
  ui.Repaint(Ctl::sbStatusBar);

  buffers::LoadedImage image = buffers::LoadImage(path, buffers::kCodeBufferSize, how);
  PlaceForDevice(*this, image);
  if (!image.ok()) {
    ui.SetCaption(Ctl::FileNameCodeText, shown_before);
    DataFlowIndicatorOff();
    ui.SetCaption(Ctl::sbStatusBar, "");
    DisplayPageMemory();
    ReportRefusedFile(*this, path, image, "Code", buffers::kCodeBufferSize);
    return false;
  }

  for (const std::string& note : image.notes) ui.LogMessage(note);
  TakeImage(*this, CodeSlot(*this), image, path, "Buffer");
  buf.CodeFileRanges = image.ranges;
  buf.CodeFileMovedBy = image.moved;
  buf.CodeImageLength = buf.CodeLength;
  buf.CodeImageSource = path;
  ShowCodeImageCaptions();
  if (!dev.DeviceCode.empty()) {
    ReportImageLongerThanDevice(buf.CodeLength);
    for (Ctl c :
         {Ctl::Verify_button, Ctl::menuVerifyCode, Ctl::Program_button, Ctl::menuProgramCode}) {
      ui.SetEnabled(c, true);
    }
  }
  ui.SetEnabled(ToolbarButton(2), true);
  for (Ctl c :
       {Ctl::mnuFileSaveCode, Ctl::mnuFileSaveCodeAs, Ctl::menuEraseCode, Ctl::Erase_button}) {
    ui.SetEnabled(c, true);
  }
  // Only the microcontroller has a second memory that Erase and Display could act on.
  const bool both_memories = dev.Row.Memory == devices::Memories::CodeAndData;
  ui.SetEnabled(Ctl::CheckCode, both_memories);
  ui.SetEnabled(Ctl::CheckData, both_memories);
  ui.SetValue(Ctl::CheckCode, 1);
  ui.SetValue(Ctl::CheckData, 0);
  buf.CodeLoaded = 1;
  ui.PlayEventSound("DONE");
  return true;
}

// A data image larger than the EEPROM's 8192 bytes, or a file that cannot be read, is refused;
// the data image, its length, flag and name stay as they were, so a later Save Data cannot
// overwrite the refused file with the old image.
bool Programmer::LoadDataFile(const std::string& path, buffers::ReadAs how) {
  if (!EditsMayBeLost(true)) return false;
  const std::string shown_before = ui.Caption(Ctl::FileNameDataText);
  ui.SetCaption(Ctl::FileNameDataText, path);
  DataFlowIndicatorOn();

  const buffers::LoadedImage image = buffers::LoadImage(path, buffers::kMaxDataFile, how);
  if (!image.ok()) {
    ui.SetCaption(Ctl::FileNameDataText, shown_before);
    DataFlowIndicatorOff();
    ReportRefusedFile(*this, path, image, "Data", buffers::kMaxDataFile);
    return false;
  }

  for (const std::string& note : image.notes) ui.LogMessage(note);
  TakeImage(*this, DataSlot(*this), image, path, "DataBuffer");
  buf.DataFileRanges = image.ranges;
  buf.DataFileMovedBy = image.moved;
  ui.SetCaption(Ctl::FileNameDataSize, LengthInParentheses(buf.DataLength));
  ui.SetEnabled(ToolbarButton(5), true);
  for (Ctl c :
       {Ctl::Verify_button, Ctl::menuVerifyData, Ctl::Program_button, Ctl::menuProgramData,
        Ctl::mnuFileSaveData, Ctl::mnuFileSaveDataAs, Ctl::Erase_button, Ctl::menuEraseData}) {
    ui.SetEnabled(c, true);
  }
  buf.DataLoaded = 1;
  return true;
}

// Programming, verifying and reading use only the device's bytes of a longer image; the
// operator hears it once, when the two meet, rather than from a blank check later.
void Programmer::ReportImageLongerThanDevice(int32_t image_length) {
  if (dev.DeviceSize <= 0 || image_length <= dev.DeviceSize) return;
  const std::string device = std::to_string(dev.DeviceSize);
  ui.LogMessage("Code File is " + std::to_string(image_length) + " bytes, the Device " + device +
                " bytes: only the first " + device + " bytes will be used");
}

void Programmer::ReportUnreadableFile(const std::string& path, const std::string& reason) {
  ui.LogMessage("File " + path + " - could not be read: " + reason);
  ui.MessageBox("Can't Open File " + path + ": " + reason, "File Not Read", Icon::Exclamation);
}

void Programmer::FileNameCodeText_Click() {
  if (Trimmed(ui.Caption(Ctl::FileNameCodeText)) == kClickToSelect) mnuFileOpenCode_Click();
}

// --- Saving --------------------------------------------------------------------------------

void Programmer::mnuFileSaveCodeAs_Click() {
  SaveToChosenFile(*this, "Save CODE BUFFER As...", &Programmer::SaveCodeFile);
}

void Programmer::mnuFileSaveCode_Click() {
  SaveToOwnFile(*this, CodeSlot(*this), "Save CODE BUFFER ...", "Save CODE BUFFER As...",
                &Programmer::SaveCodeFile);
}

void Programmer::mnuFileSaveData_Click() {
  SaveToOwnFile(*this, DataSlot(*this), "Save DATA Buffer ...", "Save DATA Buffer As...",
                &Programmer::SaveDataFile);
}

// Save Data under a name of the operator's choosing, as Save Code As does for the code image.
void Programmer::mnuFileSaveDataAs_Click() {
  SaveToChosenFile(*this, "Save DATA Buffer As...", &Programmer::SaveDataFile);
}

bool Programmer::SaveCodeFile(const std::string& path, bool chosen, buffers::ImageFormat format) {
  if (!SaveImage(*this, CodeSlot(*this), "Binary File", path, chosen, format)) return false;
  if (chosen) buf.CodeImageSource = path;
  if (buf.CodeEdited) {
    buf.CodeEdited = false;
    ShowEditedMark(false);
  }
  return true;
}

void Programmer::ShowCodeImageCaptions() {
  ui.SetCaption(Ctl::FileNameCodeText, buf.CodeImageSource);
  ui.SetCaption(Ctl::FileNameCodeSize, LengthInParentheses(buf.CodeLength));
}

void Programmer::ShowEditedMark(bool data) {
  const std::string& source = data ? buf.DataFileName : buf.CodeImageSource;
  std::string caption = source.empty() ? std::string(kClickToSelect) : source;
  if (data ? buf.DataEdited : buf.CodeEdited) caption += kEditedMark;
  ui.SetCaption(data ? Ctl::FileNameDataText : Ctl::FileNameCodeText, caption);
}

bool Programmer::SaveDataFile(const std::string& path, bool chosen, buffers::ImageFormat format) {
  if (!SaveImage(*this, DataSlot(*this), "Data Binary File", path, chosen, format)) return false;
  if (buf.DataEdited) {
    buf.DataEdited = false;
    ShowEditedMark(true);
  }
  return true;
}

void Programmer::ReportUnwritableFile(const std::string& path, const std::string& reason) {
  ui.LogMessage("File " + path + " - could not be saved: " + reason);
  ui.MessageBox("Can't Save File " + path + ": " + reason, "File Not Saved", Icon::Exclamation);
}

// --- Erasing -------------------------------------------------------------------------------

void Programmer::Erase_button_Click() {
  if (Checked(Ctl::CheckCode)) EraseCodeBuffer();
  if (Checked(Ctl::CheckData)) EraseDataBuffer();
}

// The code image is filled to one byte past the largest part.
void Programmer::EraseCodeBuffer() {
  buf.CodeImageSource = kBufferErased;
  EraseImage(*this, CodeSlot(*this), 1048577,
             {Ctl::Verify_button, Ctl::menuVerifyCode, Ctl::Program_button, Ctl::menuProgramCode});
}

void Programmer::EraseDataBuffer() {
  EraseImage(*this, DataSlot(*this), 8193,
             {Ctl::Verify_button, Ctl::menuVerifyData, Ctl::Program_button, Ctl::menuProgramData});
}

}  // namespace ops
