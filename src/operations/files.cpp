// The code and data images: opening and saving their files, the clickable file name, erasing.
#include "platform/files.h"

#include <algorithm>
#include <string>
#include <string_view>

#include "buffers/image_file.h"
#include "operations/programmer.h"

namespace ops {

using platform::Ctl;
using platform::Icon;
using platform::ToolbarButton;

namespace {

constexpr std::string_view kAllFiles = "All Files (*.*)|*.*";
constexpr std::string_view kClickToSelect = "Click To Select a File";

std::string Upper(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(), [](char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
  });
  return text;
}

std::string Trimmed(std::string_view text) {
  const auto first = text.find_first_not_of(' ');
  if (first == std::string_view::npos) return {};
  const auto last = text.find_last_not_of(' ');
  return std::string(text.substr(first, last - first + 1));
}

}  // namespace

// --- Opening -------------------------------------------------------------------------------

void Programmer::mnuFileOpenCode_Click() {
  ErrorIndicatorOff();
  DataFlowIndicatorOff();
  DisplayMode = "Read";
  const std::string path = ui.OpenFileDialog("Open Code File", kAllFiles);
  if (path.empty()) return;
  LoadCodeFile(path);
}

void Programmer::mnuFileOpenData_Click() {
  ErrorIndicatorOff();
  DataFlowIndicatorOff();
  DisplayMode = "Read";
  const std::string path = ui.OpenFileDialog("Open Data File (eeprom)", kAllFiles);
  if (path.empty()) return;
  LoadDataFile(path);
}

void Programmer::ReadBinaryFile() {
  LoadCodeFile(buf.CodeFileName);
}

void Programmer::ReadBinaryFileData() {
  LoadDataFile(buf.DataFileName);
}

// The file becomes the code image only when the whole of it could be read and fits the code
// buffer; otherwise the operator is told why and the image, its length, flags and name stay.
bool Programmer::LoadCodeFile(const std::string& path) {
  const std::string shown_before = ui.Caption(Ctl::FileNameCodeText);
  ui.SetCaption(Ctl::FileNameCodeText, Upper(path));
  ui.SetCaption(Ctl::BufferDisplay,
                "\r\n\r\n\r\n\r\n\r\n\r\n                      READING FILE ... WAIT");
  DataFlowIndicatorOn();
  ui.SetCaption(Ctl::sbStatusBar, "Reading Code File " + path + " into Buffer... Wait");
  ui.Repaint(Ctl::BufferDisplay);  // seen while a long file is read
  ui.Repaint(Ctl::sbStatusBar);

  const buffers::LoadedImage image = buffers::LoadImage(path, buffers::kCodeBufferSize);
  if (!image.ok()) {
    ui.SetCaption(Ctl::FileNameCodeText, shown_before);
    DataFlowIndicatorOff();
    ui.SetCaption(Ctl::sbStatusBar, "");
    DisplayPageMemory();
    if (image.too_long) {
      ui.LogMessage("Code File Size is " + std::to_string(image.length) +
                    " bytes, bigger than the " + std::to_string(buffers::kCodeBufferSize) +
                    " allowed - Will Not Open");
      ui.MessageBox(
          "Can't Open Code File Bigger than " + std::to_string(buffers::kCodeBufferSize) + " Bytes",
          "Code File to Big", Icon::Exclamation);
    } else {
      ReportUnreadableFile(path, *image.error);
    }
    return false;
  }

  buf.CodeFileName = path;
  buf.CodeLength = static_cast<int32_t>(image.bytes.size());
  buffers::PlaceImage(buf.CodeBuffer, image.bytes);
  DataFlowIndicatorOff();
  ui.LogMessage("File " + path + " - was read into Buffer. " + std::to_string(buf.CodeLength) +
                " bytes long.");
  ui.LogMessage("You can Install a Blank Eprom for Programming");
  DisplayPageMemory();
  SetScrollMax(buf.CodeLength / 256 - 1);
  ui.SetValue(Ctl::ProgressBar1, 0);
  ui.SetCaption(Ctl::sbStatusBar, "");
  if (!dev.DeviceCode.empty()) {
    for (Ctl c :
         {Ctl::Verify_button, Ctl::menuVerifyCode, Ctl::Program_button, Ctl::menuProgramCode}) {
      ui.SetEnabled(c, true);
    }
  }
  ui.SetCaption(Ctl::FileNameCodeSize, "(" + std::to_string(buf.CodeLength) + ")");
  ui.SetEnabled(ToolbarButton(2), true);
  for (Ctl c :
       {Ctl::mnuFileSaveCode, Ctl::mnuFileSaveCodeAs, Ctl::menuEraseCode, Ctl::Erase_button}) {
    ui.SetEnabled(c, true);
  }
  // Only the microcontroller has a second memory that Erase and Display could act on.
  const bool both_memories = dev.DeviceCode == "MJ";
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
bool Programmer::LoadDataFile(const std::string& path) {
  const std::string shown_before = ui.Caption(Ctl::FileNameDataText);
  ui.SetCaption(Ctl::FileNameDataText, path);
  DataFlowIndicatorOn();

  const buffers::LoadedImage image = buffers::LoadImage(path, buffers::kMaxDataFile);
  if (!image.ok()) {
    ui.SetCaption(Ctl::FileNameDataText, shown_before);
    DataFlowIndicatorOff();
    if (image.too_long) {
      ui.LogMessage("Data File Size is " + std::to_string(image.length) +
                    " bytes, bigger than the 8192 allowed - Will Not Open");
      ui.MessageBox("Can't Open Data File Bigger than 8192 Bytes", "Data File to Big",
                    Icon::Exclamation);
    } else {
      ReportUnreadableFile(path, *image.error);
    }
    return false;
  }

  buf.DataFileName = path;
  buf.DataLength = static_cast<int32_t>(image.bytes.size());
  buffers::PlaceImage(buf.DataBuffer, image.bytes);
  DataFlowIndicatorOff();
  ui.LogMessage("File " + path + " - was read into DataBuffer. " + std::to_string(buf.DataLength) +
                " bytes long.");
  ui.LogMessage("You can Install a Blank Eprom for Programming");
  DisplayPageMemory();
  SetScrollMax(buf.CodeLength / 256 - 1);
  ui.SetValue(Ctl::ProgressBar1, 0);
  ui.SetCaption(Ctl::sbStatusBar, "");
  ui.SetCaption(Ctl::FileNameDataSize, "(" + std::to_string(buf.DataLength) + ")");
  ui.SetEnabled(ToolbarButton(5), true);
  for (Ctl c :
       {Ctl::Verify_button, Ctl::menuVerifyData, Ctl::Program_button, Ctl::menuProgramData,
        Ctl::mnuFileSaveData, Ctl::mnuFileSaveDataAs, Ctl::Erase_button, Ctl::menuEraseData}) {
    ui.SetEnabled(c, true);
  }
  buf.DataLoaded = 1;
  return true;
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
  const std::string path = ui.SaveFileDialog("Save CODE BUFFER As...", kAllFiles);
  if (path.empty()) return;
  SaveCodeFile(path, true);
}

void Programmer::mnuFileSaveCode_Click() {
  if (!buf.CodeFileName.empty()) {
    SaveCodeFile(buf.CodeFileName, false);
    return;
  }
  const std::string path = ui.SaveFileDialog("Save CODE BUFFER ...", kAllFiles);
  if (path.empty()) return;
  SaveCodeFile(path, true);
}

void Programmer::mnuFileSaveData_Click() {
  if (!buf.DataFileName.empty()) {
    SaveDataFile(buf.DataFileName, false);
    return;
  }
  const std::string path = ui.SaveFileDialog("Save DATA Buffer ...", kAllFiles);
  if (path.empty()) return;
  SaveDataFile(path, true);
}

// Save Data under a name of the operator's choosing, as Save Code As does for the code image.
void Programmer::mnuFileSaveDataAs_Click() {
  const std::string path = ui.SaveFileDialog("Save DATA Buffer As...", kAllFiles);
  if (path.empty()) return;
  SaveDataFile(path, true);
}

// The file is written beside its final name and renamed over it, so a failed save leaves the
// earlier file whole; the image's name changes only once the file is written.
bool Programmer::SaveCodeFile(const std::string& path, bool chosen) {
  ui.SetCaption(Ctl::sbStatusBar, "Writing Binary File " + path + " ... Wait");
  const auto error =
      platform::WriteFileAtomically(path, buffers::ImagePart(buf.CodeBuffer, buf.CodeLength));
  if (error) {
    ui.SetCaption(Ctl::sbStatusBar, "");
    ReportUnwritableFile(path, error->reason);
    return false;
  }
  if (chosen) {
    buf.CodeFileName = path;
    ui.SetCaption(Ctl::FileNameCodeText, path);
  }
  ui.LogMessage("File Sucessfully Saved as " + path);
  ui.SetCaption(Ctl::sbStatusBar, "");
  return true;
}

bool Programmer::SaveDataFile(const std::string& path, bool chosen) {
  ui.SetCaption(Ctl::sbStatusBar, "Writing Data Binary File " + path + " ... Wait");
  const auto error =
      platform::WriteFileAtomically(path, buffers::ImagePart(buf.DataBuffer, buf.DataLength));
  if (error) {
    ui.SetCaption(Ctl::sbStatusBar, "");
    ReportUnwritableFile(path, error->reason);
    return false;
  }
  if (chosen) {
    buf.DataFileName = path;
    ui.SetCaption(Ctl::FileNameDataText, path);
  }
  ui.LogMessage("File Sucessfully Saved as " + path);
  ui.SetCaption(Ctl::sbStatusBar, "");
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

// An erased EPROM reads FFh everywhere; the image is filled to one byte past the largest part.
void Programmer::EraseCodeBuffer() {
  std::fill_n(buf.CodeBuffer.begin(), 1048577, uint8_t{0xFF});
  for (Ctl c :
       {Ctl::Verify_button, Ctl::menuVerifyCode, Ctl::Program_button, Ctl::menuProgramCode}) {
    ui.SetEnabled(c, false);
  }
  ui.LogMessage("Buffer has been Erased");
  DisplayMode = "Read";
  DisplayPageMemory();
}

void Programmer::EraseDataBuffer() {
  std::fill_n(buf.DataBuffer.begin(), 8193, uint8_t{0xFF});
  for (Ctl c :
       {Ctl::Verify_button, Ctl::menuVerifyData, Ctl::Program_button, Ctl::menuProgramData}) {
    ui.SetEnabled(c, false);
  }
  ui.LogMessage("Buffer has been Erased");
  DisplayMode = "Read";
  DisplayPageMemory();
}

}  // namespace ops
