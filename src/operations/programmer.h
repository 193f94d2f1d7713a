#pragma once

#include <array>
#include <chrono>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "board/board.h"
#include "board/detect.h"
#include "buffers/buffer_edit.h"
#include "buffers/buffers.h"
#include "buffers/image_formats.h"
#include "devices/catalogue.h"
#include "panel/panel.h"
#include "platform/clock.h"
#include "platform/machine.h"
#include "romlists/rom_index.h"

namespace ops {

// The log line that names the fast path at the start of an operation.
inline constexpr std::string_view kFastPathLine =
    "Fast Path On: latches written only where they change, without settling waits";

// What the window holds and does, without the window toolkit: every piece of state of the
// programmer front end and every handler of the main window's controls. The Qt window routes
// the operator's actions here and shows what the handlers set through the Panel.
class Programmer {
 public:
  // settings_path: where "meldrix5.ini" lives. sounds and the settings store belong to the Qt
  // side; the core reaches them through the panel.
  Programmer(platform::Machine& io, panel::Panel& ui, const platform::Clock& clock,
             std::string settings_path);
  ~Programmer();  // the machine's sleeps no longer reach the window
  Programmer(const Programmer&) = delete;
  Programmer& operator=(const Programmer&) = delete;

  platform::Machine& io;
  panel::Panel& ui;
  const platform::Clock& clock;
  board::Board board;
  board::Detector detect;
  buffers::Buffers buf;
  devices::SelectedDevice dev;

  // --- Start-up and shutdown --------------------------------------------------------------------
  // The start-up sequence from the address constants on (the window places itself first).
  void StartUp();
  void ShutDown();  // board to idle before the window goes
  // Toolbar buttons by key; any other key does nothing. Failures inside are swallowed.
  void tbToolBar_ButtonClick(std::string_view key);

  // --- Indicators and the error alert -----------------------------------------------------------
  void ErrorIndicatorOn() { panel::SetIndicator(ui, panel::Ctl::Error_label, true); }
  void ErrorIndicatorOff() { panel::SetIndicator(ui, panel::Ctl::Error_label, false); }
  void ProgramIndicatorOn() { panel::SetIndicator(ui, panel::Ctl::Program_label, true); }
  void ProgramIndicatorOff() { panel::SetIndicator(ui, panel::Ctl::Program_label, false); }
  void DataFlowIndicatorOn() { panel::SetIndicator(ui, panel::Ctl::DataFlow_label, true); }
  void DataFlowIndicatorOff() { panel::SetIndicator(ui, panel::Ctl::DataFlow_label, false); }
  std::array<std::string, 4> SavedButtonStates;  // Program, Verify, Read, Display: "True"/"False"
  std::array<bool, 4> SavedMenuStates{};         // the Command-menu entries of the same four
  void LockButtonsOnError();
  void Error_label_Click();

  // --- Changes made from code that run the control's handler, as the operator's would ---------
  void SelectOption(panel::Ref option);  // Voltage_button, LPTSelection or HiLow_button
  void SetDeviceIndex(int index);        // runs Device_Click
  void SetSliderValue(int value);        // runs Slider1_Change when the value changes
  void SetScrollValue(int value);        // runs VScroll1_Change when the position changes
  void SetScrollMax(int max);            // clamps the position (VScroll1_Change if it moves)

  // --- Device catalogue and selection -----------------------------------------------------------
  void FillDeviceList();
  void DisableDeviceControls();
  void Device_Click();
  void SetSpeedDelays();
  void Slider1_Change();
  void Voltage_button_Click(int index);
  // Told the name of each device the operator selects (trailing blanks removed), so that a
  // simulated socket can hold a chip of that kind. Device_Click calls it when set.
  std::function<void(std::string_view device_name)> DeviceSelected;
  // The steps of a selection, in the order Device_Click takes them.
  void TakeDeviceRow(const devices::DeviceEntry& row, std::string name);
  void ShowDeviceInForce();
  void ClearDeviceSelection();  // no device in force, the list back on its prompt
  void SetSpeedFactorsOfDevice();
  void SetSpeedFactors(int32_t latch, int32_t shorter, int32_t longer);
  void ProbeFlashIdOnSelection();
  void ShowCodeOnlyControls();
  void ShowCodeAndDataControls();
  void OfferVoltagesOfDevice();

  // --- Buffers and files ------------------------------------------------------------------------
  void mnuFileOpenCode_Click();
  void mnuFileOpenData_Click();
  void ReadBinaryFile();
  void ReadBinaryFileData();
  void mnuFileSaveCode_Click();
  void mnuFileSaveCodeAs_Click();
  void mnuFileSaveData_Click();
  void mnuFileSaveDataAs_Click();
  void FileNameCodeText_Click();
  void Erase_button_Click();
  void EraseCodeBuffer();
  void EraseDataBuffer();
  // Load a whole image file and save one; each reports its own failure and answers false.
  // how: by the file's content, or as the operator chose in the Open dialog.
  bool LoadCodeFile(const std::string& path, buffers::ReadAs how = buffers::ReadAs::Content);
  bool LoadDataFile(const std::string& path, buffers::ReadAs how = buffers::ReadAs::Content);
  // Set by the command line: subtracted from every address of a code load file, and no
  // question asked; a load file it does not bring within the device is refused.
  std::optional<uint64_t> LoadOffset;
  // chosen: a new name for the image, written in `format`; otherwise the image's own file in
  // the format it has.
  bool SaveCodeFile(const std::string& path, bool chosen, buffers::ImageFormat format);
  bool SaveDataFile(const std::string& path, bool chosen, buffers::ImageFormat format);
  void ReportUnreadableFile(const std::string& path, const std::string& reason);
  void ReportImageLongerThanDevice(int32_t image_length);
  void ReportUnwritableFile(const std::string& path, const std::string& reason);
  // The code file's name and length beside it say what the buffer holds: the file's path,
  // where it was read from, or that it was erased.
  void ShowCodeImageCaptions();

  // --- Hex and ASCII view ----------------------------------------------------------------------
  std::string DisplayMode;  // "Read", "DisplayEprom" or empty
  std::array<uint8_t, 257> PageBuffer{};
  void DisplayPageMemory();
  void ShowBufferView();
  void DisplayCodeMemory();
  void DisplayDataMemory();
  void DisplayEprom();
  void VScroll1_Change();
  void Show_button_Click();
  void Display_button_Click();
  void Command1_Click();
  void BufferDisplay_DblClick();
  // Loads the device's address for one read of the view, by the kind of part in the socket.
  void LoadViewAddress();
  std::string BufferDisplayPath = "MELDRIX5.BUF";  // in the current directory

  // --- Read, blank check, verify ----------------------------------------------------------------
  int16_t LastBank = 0, LastPage = 0;
  // Walks bank, page and byte over the first `length` bytes; the action runs after each byte is
  // read into ReadBackByte and answers true to stop the walk.
  using ScanAction = std::function<bool()>;
  void DeviceScan(int32_t length, const ScanAction& action);
  // What Read and Blank Chk walk: the whole selected device, whatever image is loaded.
  int32_t DeviceLength() const;
  // An empty code image (a 0-byte file, or the Hi half of a 1-byte one) gives programming and
  // verify nothing to work on: they are refused with a log line rather than reported as done.
  // True when refused.
  bool RefuseEmptyCodeBuffer(std::string_view operation);
  void Read_button_Click();
  void ReadCode();
  void ReadDeviceToBuffer();
  // The device walk reads every EPROM and Flash part and the X28C256; nothing else yet.
  bool DeviceWalkSupported() const { return dev.Row.Addressing != devices::AddressLoad::None; }
  void ReadData();
  void Blank_button_Click();
  void BlankCheckCode();
  void BlankCheckData();
  void BlankCheckDevice();
  void ReportNotBlank();
  std::vector<uint8_t> ProgramBuffer = std::vector<uint8_t>(1048577, 0);
  int32_t ProgramLength = 0;
  void BuildProgramBuffer();
  // The part of the image that programming writes and verify compares, by the Hi / Low byte
  // choice: how the log names it ("Image", "Hi Byte half of the Image") and how many bytes it
  // has, never more than the device holds.
  struct ImageSpan {
    std::string name;
    int32_t length = 0;
  };
  ImageSpan ImageToProgram() const;
  // "Device bytes 0h..63h are programmed, 64h..7FFFh are left as they are": which bytes of the
  // device the image covers (`done` says what happens to them) and which it does not (`rest`).
  std::string ImageRangeText(std::string_view done, std::string_view rest) const;
  void Verify_button_Click();
  void VerifyCode();
  void VerifyData();
  void ReportVerifyMismatch();
  // Every byte of the image's range against the device, and what the differences mean.
  void CompareCode();
  // Every byte of the device against the erased state: how many are programmed, and where.
  void BlankCheckAll();
  void CompareWithProgramBuffer(std::string_view match_text);
  // The addresses where the last compare found the device differing from the image, in order,
  // and which of them the device view shows (none: past the end).
  std::vector<uint32_t> CompareDifferences;
  size_t DifferenceShown = SIZE_MAX;
  void ForgetDifferences();
  void EnableDifferenceSteps();
  void StepToDifference(bool forward);
  void MarkDifferencesOnPage(int32_t page);

  // --- Naming the ROM ---------------------------------------------------------------------------
  // The index of the ROM lists, made ready by the front end (it may take a while to build);
  // nullptr while there is none. Set, a successful device read names what it read.
  const romlists::RomIndex* RomLists = nullptr;
  // Looks up the code buffer's image (the device's bytes after a read, a loaded file's image
  // range), its halves and its quarters in the ROM lists, and logs what it is.
  void IdentifyCodeImage();
  bool CodeImageIdentified = false;  // the last IdentifyCodeImage named a ROM

  // --- EPROM programming ------------------------------------------------------------------------
  int16_t ProgramStatus = 0;
  int16_t ProgramFailed = 0;
  uint8_t ProgramByte = 0;
  int32_t ByteIndex = 0;
  int32_t LoopIndex = 0;
  int16_t ProgressStep = 0;
  int16_t ProgressCount = 0;
  void Program_button_Click();
  // The member that programs a device of this algorithm; nullptr when there is none yet.
  using Algorithm = void (Programmer::*)();
  static Algorithm ProgrammingAlgorithm(devices::ProgramAlgorithm algorithm);
  void ProgramCode();
  std::string ProgramQuestion() const;
  void ProgramData();
  void P2732();
  void P2764_128();
  void P27256_040();
  void P27080();
  void P27010_020();
  void ReadBack();
  void ReportProgramFailure();
  // Programming ends as after a failed byte, the stop in the log instead of the byte.
  void ReportProgrammingStopped();
  // Voltage and chip off, the report, the error alert with the Program indicator lit.
  void AbortProgramming(std::initializer_list<std::string> report);
  void GoProgressiveBar1();
  // Latch 0 for programming: the model's base value, with the 21 V / 25 V selection where the
  // algorithm allows it (model 5, VppClass 3); any other model keeps Reg0 as it is.
  int16_t ProgrammingReg0(bool voltage_selectable) const;
  // Drive ProgramByte onto the device's data bus again (data driver on, latch 4 loaded).
  void PresentProgramByte();

  // --- Flash and EEPROM ------------------------------------------------------------------------
  int16_t FlashCommand = 0;
  int16_t FlashCmdAddress = 0;
  int16_t FlashMaker = 0;
  int16_t FlashDevice = 0;
  std::string FlashCode;
  std::string FlashPlainCode;
  int16_t FlashSectorSize = 0;
  int32_t FlashPollState = 0;
  bool EraseTimingExceeded = false;  // the last WaitErased stopped on the chip's DQ5 flag
  // The chip in the socket was still erasing or writing when the program stopped waiting for
  // it; whatever it answers then is status, not data.
  bool ChipBusy = false;
  void AnswerDesktopWhileChipBusy();
  bool ChipToggles();
  void NoteChipBusy(bool busy);
  void LetChipFinish(int32_t max_ms);
  // True (with a log line) when the chip is still busy: the operation must not start.
  bool RefuseWhileChipBusy();
  void WriteCycle_FLASH();
  void WriteCycle_XICOR();
  void Command_FLASH();
  void SendFlashCommand();
  void IdentifyFlash();
  void PointToRowOfChip();
  // Why the identified Atmel chip cannot be written in 32-pin sectors; empty when it can.
  std::string SectorFlashRefusal() const;
  void ProbeFlashID();
  void menuFlashShowCodeID_Click();
  void EraseFlash_button_Click();
  void EraseXICOR();
  void EraseAMDFlash();
  void EraseAT29C256();
  void EraseAtmelSectorFlash();
  void EraseThirtyTwoPinChip();
  void WaitErased();
  void ResetFlash_Click();
  void ProgramAT29C256();
  void ProgramX28C256();
  void ProgramAtmelEeprom();
  void SDPDisable_FLASH();
  void SDPDisable_XICOR();
  void ProgramFlashByID();
  void ProgramFlashByte();
  void VerifyFlashByte();
  void LetByteProgramFinish();
  void LoopFlashTest_Click();

  // --- Stopping a running operation ----------------------------------------------------------
  // Set once the operation in progress has been asked to stop; whoever starts the next operation
  // clears it.
  bool Stopped = false;
  // Where it stopped: the address of the first byte it did not handle.
  int32_t StopAddress = 0;
  // At a safe point (the board between two bytes, pages or polls, with `address` the next one
  // to handle): lets the window answer the desktop and tells whether the operation must stop.
  bool StopRequestedAt(int32_t address);
  // The board to idle (programming voltage and chip off) and the log line saying where.
  void ReportStopped();
  std::string StoppedAtText() const;

  // --- The time an operation took ---------------------------------------------------------------
  // After an operation on the chip: how long it kept the board busy, on the board's clock.
  void TellTimeTaken(std::chrono::nanoseconds took);
  // At the start of an operation on the chip: one line naming the fast path when it is on.
  void TellFastPath();

  // --- Setup slots ------------------------------------------------------------------------------
  void Setup_Click();
  void SaveSetupRot(const std::string& Fname);
  void RestoreSetup(const std::string& Fname);
  // The settings of the bytes read from the slot file Fname, applied line by line, then the code
  // file the slot names loaded; RestoreSetup's work once the file is read.
  void ApplySetup(const std::string& Fname, std::span<const uint8_t> bytes);
  // The name the Setup menu offers slot 1..4 under, from its file's bytes.
  static std::string SlotMenuName(int slot, std::span<const uint8_t> bytes);
  void SaveSetup_Click(int slot) { SaveSetupRot(SlotFileName(slot)); }  // slot 1..4
  void LoadSetup_Click(int slot) { RestoreSetup(SlotFileName(slot)); }
  static std::string SlotFileName(int slot);  // "MXSetup1.INI" .. "MXSetup4.INI"
  void ShowVoltageInForce();

  // --- The buffer editor -------------------------------------------------------------------------
  // The code image (data: the data image) as far as the buffer editor shows and changes it.
  std::span<uint8_t> EditableImage(bool data);
  // An edit of the buffer editor, or its undo: the bytes change and the image counts as edited
  // until it is saved or replaced; a load file's records and the code image grow to hold it;
  // the file caption and the page view follow.
  void ApplyBufferEdit(bool data, const buffers::ByteEdit& edit, bool undo);
  // The image was replaced whole: its edits and the editor's records of them are gone.
  void ImageReplaced(bool data);
  // The file caption, marked while the image holds edits that are not saved.
  void ShowEditedMark(bool data);
  // Before a load or a device read replaces an image holding unsaved edits: true when the
  // operator lets them go. `replace` asks ("Load the file"), `canceled` logs ("Loading").
  bool EditsMayBeLost(bool data, std::string_view replace = "Load the file",
                      std::string_view canceled = "Loading");

  // The slider's and the code/data check boxes' current state, as the operations read them.
  int SliderMax() const { return ui.Max(panel::Ctl::Slider1); }
  int SliderValue() const { return ui.Value(panel::Ctl::Slider1); }
  bool Checked(panel::Ref box) const { return ui.Value(box) != 0; }
};

}  // namespace ops
