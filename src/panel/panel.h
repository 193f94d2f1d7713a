#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace panel {

// Every control, menu entry and toolbar of the main window, by the name it carries there.
// Control arrays (Voltage_button, LPTSelection, HiLow_button) and the toolbar's buttons (1..5)
// take an index; see Ref.
enum class Ctl : uint16_t {
  frmMain,
  // frames, labels, buttons and boxes
  Frame1,
  Frame2,
  Frame3,
  Frame4,
  Frame5,
  Frame6,
  Frame7,
  Frame8,
  Frame9,
  Frame10,
  FrameVoltageSelection,
  SystemLog,
  VScroll1,
  BufferDisplay,
  MeldrixHardwareFound,
  Show_button,
  TestHardware_button,
  EraseFlash_button,
  CheckData,
  CheckCode,
  Blank_button,
  Display_button,
  Program_button,
  Verify_button,
  Erase_button,
  Read_button,
  HiLow_button,
  Slider1,
  Label4,
  Voltage_button,
  LPTSelection,
  PortSelected,
  CheckBlankPriorProgramming,
  VerifyAfterProgramming,
  Device,
  PleaseSelect,
  ProgressBar1,
  sbStatusBar,
  tbToolBar,
  VerifyButton,
  CompareButton,
  FileNameCodeLabel,
  FileNameCodeText,
  FileNameCodeSize,
  FileNameDataLabel,
  FileNameDataText,
  FileNameDataSize,
  Error_label,
  Program_label,
  DataFlow_label,
  Ready_label,
  Command1,
  // File and Tools menus
  mnuFile,
  mnuFileOpenCode,
  mnuFileSaveCode,
  mnuFileSaveCodeAs,
  mnuFileOpenData,
  mnuFileSaveData,
  mnuFileSaveDataAs,
  mnuFileClose,
  mnuFileExit,
  mnuTools,
  mnuToolsIdentifyCode,
  mnuToolsOptions,
  // Command menu
  menuCommand,
  menuBlankCheck,
  menuProgramCode,
  menuReadCode,
  menuVerifyCode,
  menuCompareCode,
  menuNextDifference,
  menuPreviousDifference,
  menuProgramData,
  menuReadData,
  menuVerifyData,
  menuDisplayCode,
  menuDisplayData,
  menuEraseCode,
  menuEraseData,
  menuEraseFlash,
  menuTestHardware,
  menuFlashShowCodeID,
  // Setup menu
  Setup,
  LoadSetup,
  LoadSetup1,
  LoadSetup2,
  LoadSetup3,
  LoadSetup4,
  SaveSetup,
  SaveSetup1,
  SaveSetup2,
  SaveSetup3,
  SaveSetup4,
  ForceMeldrix4,
  ForceMeldrix5,
  LoopFlashTest,
  ResetFlash,
  // Help menu
  mnuHelp,
  mnuHelpContents,
  mnuHelpSearchForHelpOn,
  mnuHelpAbout,
};

// A control, or one element of a control array (index 0..), or toolbar button 1..5.
struct Ref {
  Ctl ctl;
  int index = -1;
  constexpr Ref(Ctl c) : ctl(c) {}  // NOLINT: a plain control converts implicitly
  constexpr Ref(Ctl c, int i) : ctl(c), index(i) {}
  constexpr bool operator==(const Ref&) const = default;
};

constexpr Ref Voltage_button(int i) {
  return {Ctl::Voltage_button, i};
}
constexpr Ref LPTSelection(int i) {
  return {Ctl::LPTSelection, i};
}
constexpr Ref HiLow_button(int i) {
  return {Ctl::HiLow_button, i};
}
// Toolbar buttons from the left: 1 "OpenCode", 2 "SaveCode", 3 separator, 4 "OpenData",
// 5 "SaveData".
constexpr Ref ToolbarButton(int i) {
  return {Ctl::tbToolBar, i};
}

// Colours in 00BBGGRR form; the 800000xxh values stand for the platform's system colours.
using Color = uint32_t;
inline constexpr Color kWhite = 0xFFFFFF;
inline constexpr Color kYellow = 0x00FFFF;
inline constexpr Color kLightPink = 0xFFC0FF;
inline constexpr Color kButtonFace = 0x8000000F;
inline constexpr Color kGreyText = 0x80000011;
inline constexpr Color kButtonText = 0x80000012;
inline constexpr Color kButtonHighlight = 0x80000014;

enum class Icon : uint8_t { None, Exclamation, Question, Information, Critical };

// A file named in a save dialog, and which entry of the dialog's filter (0 the first) the
// operator had chosen; a cancelled dialog answers with the empty path.
struct FileChoice {
  std::string path;
  int filter = 0;
};

// The window as the core sees it. Setters never run a handler: where the window toolkit would
// run one on a change made from code (selecting an option, the list index, the slider or the
// scroll bar), the core runs it itself, so that the order of events is the core's to decide.
class Panel {
 public:
  virtual ~Panel() = default;

  // Any named control, menu entry or toolbar button.
  virtual void SetEnabled(Ref r, bool enabled) = 0;
  virtual bool Enabled(Ref r) const = 0;
  virtual void SetVisible(Ref r, bool visible) = 0;
  virtual bool Visible(Ref r) const = 0;
  // Caption of a button, label, frame or menu entry; text of a text box; the list's shown
  // text; the status bar's text panel.
  virtual void SetCaption(Ref r, std::string_view text) = 0;
  virtual std::string Caption(Ref r) const = 0;
  // Check box 0 / 1 / 2, option button 0 / 1, scroll bar, slider or progress bar position.
  virtual void SetValue(Ref r, int value) = 0;
  virtual int Value(Ref r) const = 0;
  // Maximum of the scroll bar, slider or progress bar. The position is not clamped here: the
  // core keeps it within range itself.
  virtual void SetMax(Ref r, int max) = 0;
  virtual int Max(Ref r) const = 0;
  virtual void SetForeColor(Ref r, Color color) = 0;
  virtual Color ForeColor(Ref r) const = 0;
  virtual void SetBackColor(Ref r, Color color) = 0;
  virtual Color BackColor(Ref r) const = 0;
  // Paint the control now, while the caller keeps the thread busy.
  virtual void Repaint(Ref r) = 0;

  // The Device drop-down list.
  virtual void ClearList() = 0;
  virtual void AddListItem(std::string_view text) = 0;
  virtual int ListCount() const = 0;
  virtual std::string ListItem(int index) const = 0;
  virtual void SetListIndex(int index) = 0;  // -1: no selection
  virtual int ListIndex() const = 0;

  // The operator's channels: one time-stamped log entry, a sound by keyword.
  virtual void LogMessage(std::string_view message) = 0;
  virtual void PlayEventSound(std::string_view keyword) = 0;

  // Dialogs. A cancelled file or input dialog answers with the empty text.
  virtual void MessageBox(std::string_view text, std::string_view title, Icon icon) = 0;
  virtual bool AskOkCancel(std::string_view text, std::string_view title) = 0;  // true: OK
  virtual std::string InputBox(std::string_view prompt, std::string_view title) = 0;
  virtual std::string OpenFileDialog(std::string_view title, std::string_view filter) = 0;
  // The entry of the filter (0 the first) the last open dialog was left on.
  virtual int OpenFileFilter() const { return 0; }
  // offered: the file name the save dialog starts with (empty: none).
  virtual FileChoice SaveFileDialog(std::string_view title, std::string_view filter,
                                    std::string_view offered) = 0;

  // The device view's bytes to mark, as offsets into the page it shows (0..255); a new text of
  // the view clears them. Only a window has marks to show.
  virtual void MarkPageBytes(std::span<const uint16_t> offsets) { (void)offsets; }

  // Called by a running operation at its safe points only: the board is between two bytes,
  // pages or polls, never inside a pulse, a latch write or a command cycle. The window answers
  // the desktop and paints here (the operator's input given meanwhile is dropped, not kept), and
  // tells whether the operator or the system asked to stop; once it has said so it keeps saying
  // so until the operation is over. Without a window nothing ever asks.
  virtual bool StopRequested() { return false; }
  // Called during a long fixed wait of an operation, which is no safe point: the window answers
  // the desktop and paints; a stop asked meanwhile is kept for the next safe point.
  virtual void AnswerDesktop() {}
};

// The application title: the settings-store name and the default title of message boxes.
inline constexpr std::string_view kAppTitle = "MELDRIX5N";

}  // namespace panel

namespace panel {

// Indicator labels are lit by turning their text white and are off in the grey-text colour;
// either way they are painted at once, while an operation keeps the thread busy.
inline void SetIndicator(Panel& ui, Ref label, bool lit) {
  ui.SetForeColor(label, lit ? kWhite : kGreyText);
  ui.Repaint(label);
}
inline bool IndicatorLit(const Panel& ui, Ref label) {
  return ui.ForeColor(label) == kWhite;
}

}  // namespace panel
