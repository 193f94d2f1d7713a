#pragma once

#include <QElapsedTimer>
#include <QLabel>
#include <QMainWindow>
#include <QPointer>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "app/clickable_label.h"
#include "app/device_list.h"
#include "app/dialogs.h"
#include "app/placement.h"
#include "app/text_view.h"
#include "app/widget_kinds.h"
#include "frontend/port_access.h"
#include "panel/panel.h"
#include "platform/clock.h"
#include "platform/settings_store.h"
#include "platform/sound.h"

class QMenu;
class QPushButton;
class QSocketNotifier;
class QStatusBar;
class QTimer;

namespace ops {
class Programmer;
}

namespace platform {
class FatalSignalReset;
class StopSignals;
}  // namespace platform

namespace app {

class InputGate;
class RomListIndexer;
class frmBufferEditor;

// The main window: every control, menu entry and toolbar button of the programmer front end,
// named as the core names them. It shows what the core sets through the Panel and routes each
// operator action to the core's handler.
class frmMain final : public QMainWindow, public panel::Panel {
  Q_OBJECT
 public:
  frmMain(const platform::Clock& clock, platform::SoundPlayer& sound,
          platform::SettingsStore& settings, std::string sound_directory,
          std::unique_ptr<Dialogs> dialogs = std::make_unique<QtDialogs>());
  ~frmMain() override;

  // The core whose handlers the window runs; nothing is routed before this.
  void Attach(ops::Programmer& programmer);
  // Start-up: the window places itself, then the core's start-up sequence runs.
  void Form_Load();
  // The ROM lists the core names ROMs by: MAME's software lists in software_lists and the DAT
  // folder of Tools - Options, indexed at index_path once start-up has run, on a thread of
  // their own, and again when the operator chooses another DAT folder.
  void IndexRomLists(std::string index_path, std::string software_lists);
  // The index build's progress in the status bar; empty while none runs.
  QString StatusRomLists() const;

  // The widget or action of a control, an array element or a toolbar button; null if none.
  QObject* Control(panel::Ref r) const;

  // Operator actions that belong to the window itself.
  void SystemLog_DblClick();  // saves the log to "MELDRIX5.LOG"
  void SystemLog_Change();    // caret after the last character
  void mnuFileClose_Click();
  void mnuToolsOptions_Click();
  void mnuFileExit_Click();
  void mnuDisplayBufferEditor_Click();  // opens the buffer editor, or brings it to the front

  // --- Panel ------------------------------------------------------------------------------------
  void SetEnabled(panel::Ref r, bool enabled) override;
  bool Enabled(panel::Ref r) const override;
  void SetVisible(panel::Ref r, bool visible) override;
  bool Visible(panel::Ref r) const override;
  void SetCaption(panel::Ref r, std::string_view text) override;
  std::string Caption(panel::Ref r) const override;
  void SetValue(panel::Ref r, int value) override;
  int Value(panel::Ref r) const override;
  void SetMax(panel::Ref r, int max) override;
  int Max(panel::Ref r) const override;
  void SetForeColor(panel::Ref r, panel::Color color) override;
  panel::Color ForeColor(panel::Ref r) const override;
  void SetBackColor(panel::Ref r, panel::Color color) override;
  panel::Color BackColor(panel::Ref r) const override;
  void Repaint(panel::Ref r) override;
  void ClearList() override;
  void AddListItem(std::string_view text) override;
  int ListCount() const override;
  std::string ListItem(int index) const override;
  void SetListIndex(int index) override;
  int ListIndex() const override;
  void LogMessage(std::string_view message) override;
  void PlayEventSound(std::string_view keyword) override;
  void MessageBox(std::string_view text, std::string_view title, panel::Icon icon) override;
  bool AskOkCancel(std::string_view text, std::string_view title) override;
  std::string InputBox(std::string_view prompt, std::string_view title) override;
  std::string OpenFileDialog(std::string_view title, std::string_view filter) override;
  int OpenFileFilter() const override { return open_filter_; }
  panel::FileChoice SaveFileDialog(std::string_view title, std::string_view filter,
                                   std::string_view offered) override;
  void MarkPageBytes(std::span<const uint16_t> offsets) override;
  bool StopRequested() override;
  void AnswerDesktop() override;

  // --- Long operations --------------------------------------------------------------------------
  // SIGINT, SIGTERM and SIGHUP stop the operation in progress, then close the window; null
  // before the signals' guard goes.
  void UseStopSignals(platform::StopSignals* stop_signals);
  // Kept told how to reset the board, for a program that ends on a fatal signal; null before
  // that guard goes.
  void UseFatalSignalReset(platform::FatalSignalReset* reset);
  bool OperationRunning() const { return busy_; }

  // Text of the status bar's date and time panels, as last refreshed.
  QString StatusDate() const;
  QString StatusTime() const;
  // --- How the board is reached ----------------------------------------------------------------
  // The port access whose method the status bar shows and whose simulated board follows the
  // operator's choice of port and model.
  void UsePortAccess(frontend::PortAccess& access) { port_access_ = &access; }
  // Shows how the current port is reached, in the status bar and, for a simulated board, in the
  // caption; a simulated board moves to the current port.
  void ShowPortAccess();
  // Why ports could not be reached, as the port access noted them.
  std::vector<std::string> PortNotes() const;
  QString StatusPort() const;
  // The CRC-32 of the code image, shown where the status text stands while that is empty.
  void ShowCodeChecksum();
  QString StatusChecksum() const;

 protected:
  void closeEvent(QCloseEvent* event) override;  // the shutdown sequence
  void showEvent(QShowEvent* event) override;
  void moveEvent(QMoveEvent* event) override;

 private slots:
  void RefreshClock();

 private:
  using Key = std::pair<panel::Ctl, int>;
  static Key KeyOf(panel::Ref r) { return {r.ctl, r.index}; }

  // Building the window.
  void AddControl(panel::Ref r, QObject& object, const WidgetKind& kind);
  void ConnectControls();
  void ConnectOptions();
  void BuildMenus();
  void BuildToolBar();
  void BuildStatusBar();
  void BuildSimulatedSocketMenu();
  void BuildDisplayMenu();
  bool EditsMayBeLostOnClose();
  // The simulated board's socket: shown only while that board answers at the selected port.
  sim::SimBoard* SimulatedSocket();
  void HandleSocket(const std::function<std::string(sim::SimBoard&)>& action);
  void ReportSimulatedDamage();
  void ApplyDesignColours();
  const WidgetKind& KindOf(panel::Ref r) const;
  template <typename W>
  W* Widget(panel::Ref r) const {
    return qobject_cast<W*>(Control(r));
  }

  // The window's own menu entries.
  void StartIndexingRomLists();
  void ShowHelpContents();
  void ShowHelpSearch();
  void ShowAbout();
  void ForceMeldrix4();
  void ForceMeldrix5();

  // Runs a core handler for an operator action; a failure inside it reaches the operator as a
  // message instead of ending the program.
  // on_chip: an operation on the chip, whose time on the board's clock the log then tells.
  void Route(const std::function<void(ops::Programmer&)>& handler, bool on_chip = false);
  void OnClick(panel::Ref r, std::function<void(ops::Programmer&)> handler, bool on_chip = false);
  void BeginOperation();
  void EndOperation();
  // While an operation keeps the window busy, the controls that take input look disabled; what
  // the core sets meanwhile is held and shown when it ends.
  static std::vector<panel::Ref> InputControls();
  void HoldInputs();
  void ReleaseInputs();
  std::optional<bool> HeldEnabled(panel::Ref r) const;
  bool KeepHeldEnabled(panel::Ref r, bool enabled);
  // The error alert's failure in the status bar, in the words of the operation that raised it.
  void BuildFailurePanel(QStatusBar& bar);
  void ErrorIndicatorChanged(bool lit);
  void NoteOperationLine(std::string_view message);
  std::vector<std::string> FailureLines() const;
  void ShowFailure();
  void AskToStop() { stop_asked_ = true; }
  void StopAskedBySystem();
  void TellFatalResetTheBoard();
  void PaintColours(panel::Ref r);
  void BoardModelForced(int16_t model);
  void PlaceWindow();
  static QRect ScreenAt(int x, int y);
  int WidthForOneLogLine(const PixelRect& outer, QSize frame, int screen_width);
  void SavePlacement();
  void KeepPlacedOuterSize();
  double TwipsPerPixel() const;

  const platform::Clock& clock_;
  platform::SoundPlayer& sound_;
  platform::SettingsStore& settings_;
  std::string sound_directory_;
  std::unique_ptr<Dialogs> dialogs_;
  int open_filter_ = 0;  // the filter entry the last open dialog was left on
  ops::Programmer* programmer_ = nullptr;
  frontend::PortAccess* port_access_ = nullptr;
  QMenu* socket_menu_ = nullptr;
  QPointer<frmBufferEditor> editor_;
  bool loaded_ = false;  // Form_Load has run
  std::string rom_index_path_;
  std::string software_lists_;
  std::unique_ptr<RomListIndexer> rom_lists_;
  std::string damage_reported_;

  struct Entry {
    QObject* object;
    const WidgetKind* kind;
  };
  std::map<Key, Entry> controls_;
  std::map<Key, panel::Color> fore_, back_;

  TextView* system_log_ = nullptr;
  TextView* buffer_display_ = nullptr;
  DeviceList* device_ = nullptr;
  QLabel* status_text_ = nullptr;
  QLabel* status_crc_ = nullptr;
  QLabel* status_port_ = nullptr;
  QLabel* status_date_ = nullptr;
  QLabel* status_time_ = nullptr;
  QLabel* status_failure_ = nullptr;
  QLabel* status_rom_lists_ = nullptr;
  std::vector<std::string> operation_lines_;  // logged by the operation in progress
  std::optional<size_t> alert_at_;            // where in them it raised the error alert
  QTimer* clock_timer_ = nullptr;

  // The operation in progress: the Stop control, the gate that drops the operator's other
  // input meanwhile, and what was asked of it.
  QPushButton* stop_button_ = nullptr;
  std::unique_ptr<InputGate> gate_;
  bool busy_ = false;
  bool stop_asked_ = false;
  bool close_after_ = false;  // close the window once the operation has stopped
  std::vector<panel::Ref> inputs_;
  bool inputs_held_ = false;
  std::map<Key, bool> held_enabled_;
  QPointer<QWidget> held_focus_;
  QElapsedTimer operation_time_;
  QElapsedTimer since_events_;
  platform::StopSignals* stop_signals_ = nullptr;
  std::unique_ptr<QSocketNotifier> stop_notifier_;
  platform::FatalSignalReset* fatal_reset_ = nullptr;
  // The stored outer size, frame included, until the window's frame is known and the inside can
  // be sized to match it.
  std::optional<QSize> placed_outer_;
};

}  // namespace app
