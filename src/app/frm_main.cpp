#include "app/frm_main.h"

#include <QApplication>
#include <QCloseEvent>
#include <QLayout>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QScrollBar>
#include <QSlider>
#include <QSocketNotifier>
#include <QStatusBar>
#include <QTextDocument>
#include <QTimer>
#include <QWindow>
#include <algorithm>
#include <chrono>
#include <exception>
#include <optional>
#include <vector>

#include "app/buffer_editor.h"
#include "app/control_names.h"
#include "app/file_filter.h"
#include "app/help.h"
#include "app/input_gate.h"
#include "app/main_form.h"
#include "app/options_dialog.h"
#include "app/placement.h"
#include "app/qt_text.h"
#include "app/rom_list_indexer.h"
#include "app/sound_keywords.h"
#include "buffers/checksums.h"
#include "buffers/image_file.h"
#include "frontend/log_text.h"
#include "frontend/user_options.h"
#include "operations/programmer.h"
#include "platform/dirs.h"
#include "platform/files.h"
#include "platform/signals.h"

namespace app {

using frontend::kLogFileName;
using frontend::kVendorText;
using frontend::LogEntry;
using frontend::LogFileText;
using panel::Color;
using panel::Ctl;
using panel::Ref;

namespace {

const char* const kCaptionStart = "MELDRIX-5A Eprom Programmer - ";

// How often a running operation lets the window paint and answer the desktop: often enough to
// look alive, seldom enough to cost the operation next to nothing.
constexpr qint64 kKeepAliveMs = 20;
// An operator action shorter than this gives the operator no time to click anything else.
constexpr qint64 kInstantMs = 20;
// Why the port block at base could not be reached, one reason a line: the status bar's port
// panel keeps them after start-up has emptied the log that first said so.
std::string NotesOn(frontend::PortAccess& access, int16_t base) {
  std::string text;
  for (const auto& note : access.Notes()) {
    if (note.base != base) continue;
    if (!text.empty()) text += '\n';
    text += note.text;
  }
  return text;
}

// A long line of the kind the log holds, for the width the log is given at the first start.
constexpr std::string_view kLongLogLine = "Device Memory DOES NOT VERIFY with Buffer Contents";

// Lays the window out at its present size at once, from the outside in, as showing it would;
// the window need not be shown.
void LayOutNow(QWidget& widget) {
  if (QLayout* layout = widget.layout()) {
    layout->invalidate();
    layout->activate();
  }
  for (QWidget* child : widget.findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
    LayOutNow(*child);
  }
}

}  // namespace

// --- Building the window -------------------------------------------------------------------------

frmMain::frmMain(const platform::Clock& clock, platform::SoundPlayer& sound,
                 platform::SettingsStore& settings, std::string sound_directory,
                 std::unique_ptr<Dialogs> dialogs)
    : clock_(clock),
      sound_(sound),
      settings_(settings),
      sound_directory_(std::move(sound_directory)),
      dialogs_(std::move(dialogs)) {
  AddControl(Ctl::frmMain, *this, kinds::Window());
  setWindowTitle(QString(kCaptionStart) + Q(kVendorText));
  auto* client = new QWidget(this);
  client->setObjectName("clientArea");
  stop_button_ = BuildForm(*client, [this](Ref r, QObject& object, const WidgetKind& kind) {
    AddControl(r, object, kind);
  });
  setCentralWidget(client);
  system_log_ = Widget<TextView>(Ctl::SystemLog);
  buffer_display_ = Widget<TextView>(Ctl::BufferDisplay);
  device_ = Widget<DeviceList>(Ctl::Device);
  inputs_ = InputControls();
  ConnectControls();
  BuildMenus();
  BuildSimulatedSocketMenu();
  BuildDisplayMenu();
  BuildToolBar();
  BuildStatusBar();
  ApplyDesignColours();
  gate_ = std::make_unique<InputGate>(*this, *stop_button_, [this] { AskToStop(); });
}

frmMain::~frmMain() = default;

void frmMain::AddControl(Ref r, QObject& object, const WidgetKind& kind) {
  controls_[KeyOf(r)] = {&object, &kind};
  object.setObjectName(Q(ObjectName(r)));
}

void frmMain::OnClick(Ref r, std::function<void(ops::Programmer&)> handler, bool on_chip) {
  connect(Widget<QAbstractButton>(r), &QAbstractButton::clicked, this,
          [this, on_chip, handler = std::move(handler)] { Route(handler, on_chip); });
}

// Each operator action on a control runs the core's handler for it.
void frmMain::ConnectControls() {
  using P = ops::Programmer;
  struct Button {
    Ctl ctl;
    void (*run)(P&);
    bool on_chip;  // an operation on the chip, whose time the log tells
  };
  const Button buttons[] = {
      {Ctl::Read_button, [](P& p) { p.Read_button_Click(); }, true},
      {Ctl::Blank_button, [](P& p) { p.Blank_button_Click(); }, true},
      {Ctl::Program_button, [](P& p) { p.Program_button_Click(); }, true},
      {Ctl::Verify_button, [](P& p) { p.Verify_button_Click(); }, true},
      {Ctl::Display_button, [](P& p) { p.Display_button_Click(); }, true},
      {Ctl::Erase_button, [](P& p) { p.Erase_button_Click(); }, false},
      {Ctl::EraseFlash_button, [](P& p) { p.EraseFlash_button_Click(); }, true},
      {Ctl::TestHardware_button, [](P& p) { p.detect.TestHardware_button_Click(); }, false},
      {Ctl::Show_button, [](P& p) { p.Show_button_Click(); }, false},
      {Ctl::Command1, [](P& p) { p.Command1_Click(); }, false},
  };
  for (const Button& b : buttons) OnClick(b.ctl, b.run, b.on_chip);
  connect(stop_button_, &QPushButton::clicked, this, [this] { AskToStop(); });
  connect(device_, &QComboBox::activated, this,
          [this](int) { Route([](P& p) { p.Device_Click(); }); });
  connect(Widget<ClickableLabel>(Ctl::FileNameCodeText), &ClickableLabel::clicked, this,
          [this] { Route([](P& p) { p.FileNameCodeText_Click(); }); });
  Widget<QWidget>(Ctl::FileNameCodeText)->setCursor(Qt::PointingHandCursor);
  connect(Widget<ClickableLabel>(Ctl::Error_label), &ClickableLabel::clicked, this,
          [this] { Route([](P& p) { p.Error_label_Click(); }); });
  connect(buffer_display_, &TextView::doubleClicked, this,
          [this] { Route([](P& p) { p.BufferDisplay_DblClick(); }); });
  connect(system_log_, &TextView::doubleClicked, this, [this] { SystemLog_DblClick(); });
  connect(Widget<QScrollBar>(Ctl::VScroll1), &QScrollBar::valueChanged, this,
          [this](int) { Route([](P& p) { p.VScroll1_Change(); }); });
  connect(Widget<QSlider>(Ctl::Slider1), &QSlider::valueChanged, this,
          [this](int) { Route([](P& p) { p.Slider1_Change(); }); });
  ConnectOptions();
}

// Every click selects the option, even a click on the one already selected.
void frmMain::ConnectOptions() {
  for (Ctl group : {Ctl::LPTSelection, Ctl::HiLow_button, Ctl::Voltage_button}) {
    for (int i = 0; auto* option = Widget<QRadioButton>(Ref(group, i)); ++i) {
      connect(option, &QRadioButton::clicked, this, [this, group, i] {
        Route([group, i](ops::Programmer& p) { p.SelectOption(Ref(group, i)); });
      });
    }
  }
}

void frmMain::BuildStatusBar() {
  QStatusBar* bar = statusBar();
  AddControl(Ctl::sbStatusBar, *bar, kinds::Plain());
  bar->setSizeGripEnabled(true);
  status_text_ = new QLabel("Status", bar);
  status_text_->setObjectName("sbStatusBar.Status");
  status_text_->setTextFormat(Qt::PlainText);
  status_crc_ = new QLabel(bar);
  status_crc_->setObjectName("sbStatusBar.Checksum");
  status_crc_->hide();
  status_port_ = new QLabel(bar);
  status_port_->setObjectName("sbStatusBar.Port");
  status_port_->setTextFormat(Qt::PlainText);
  status_date_ = new QLabel(bar);
  status_date_->setObjectName("sbStatusBar.Date");
  status_time_ = new QLabel(bar);
  status_time_->setObjectName("sbStatusBar.Time");
  bar->addWidget(status_text_, 1);
  bar->addWidget(status_crc_, 1);
  BuildFailurePanel(*bar);
  status_rom_lists_ = new QLabel(bar);
  status_rom_lists_->setObjectName("sbStatusBar.RomLists");
  status_rom_lists_->hide();
  bar->addPermanentWidget(status_rom_lists_);
  bar->addPermanentWidget(status_port_);
  bar->addPermanentWidget(status_date_);
  bar->addPermanentWidget(status_time_);
  clock_timer_ = new QTimer(this);
  clock_timer_->setInterval(1000);
  connect(clock_timer_, &QTimer::timeout, this, &frmMain::RefreshClock);
  clock_timer_->start();
  RefreshClock();
}

void frmMain::RefreshClock() {
  status_date_->setText(Q(clock_.LocaleDate()));
  status_time_->setText(Q(clock_.LocaleTime()));
}

QString frmMain::StatusPort() const {
  return status_port_->text();
}
QString frmMain::StatusDate() const {
  return status_date_->text();
}
QString frmMain::StatusTime() const {
  return status_time_->text();
}

// --- Routing
// --------------------------------------------------------------------------------------

void frmMain::Attach(ops::Programmer& programmer) {
  programmer_ = &programmer;
}

// No other handler starts while one runs, even one that the window's own events would start.
void frmMain::Route(const std::function<void(ops::Programmer&)>& handler, bool on_chip) {
  if (programmer_ == nullptr || busy_) return;
  BeginOperation();
  // The time an operation on the chip took is told once it has ended, after its own report, so
  // that it is no part of the failure the status bar shows.
  std::optional<std::chrono::nanoseconds> started;
  if (on_chip) {
    programmer_->TellFastPath();
    started = programmer_->io.BoardClock();
  }
  try {
    handler(*programmer_);
    ShowPortAccess();
    ShowCodeChecksum();
    ReportSimulatedDamage();
    if (editor_ != nullptr) editor_->Refresh();
  } catch (const std::exception& failure) {
    MessageBox(std::string("The operation stopped: ") + failure.what(), panel::kAppTitle,
               panel::Icon::Critical);
  } catch (...) {
    MessageBox("The operation stopped on an unexpected failure.", panel::kAppTitle,
               panel::Icon::Critical);
  }
  EndOperation();
  if (started) programmer_->TellTimeTaken(programmer_->io.BoardClock() - *started);
}

void frmMain::BeginOperation() {
  busy_ = true;
  stop_asked_ = false;
  operation_lines_.clear();
  alert_at_.reset();
  programmer_->Stopped = false;
  TellFatalResetTheBoard();
  QCoreApplication::instance()->installEventFilter(gate_.get());
  operation_time_.start();
  since_events_.start();
}

// Input that reached the window while the operation kept it busy is dropped here, so that none
// of it runs afterwards.
void frmMain::EndOperation() {
  busy_ = false;
  stop_button_->hide();
  ReleaseInputs();
  TellFatalResetTheBoard();  // the operation may have found the board at another port
  if (operation_time_.hasExpired(kInstantMs)) QCoreApplication::processEvents();
  QCoreApplication::instance()->removeEventFilter(gate_.get());
  if (close_after_) QTimer::singleShot(0, this, [this] { close(); });
}

void frmMain::MarkPageBytes(std::span<const uint16_t> offsets) {
  buffer_display_->MarkPageBytes(offsets);
}

bool frmMain::StopRequested() {
  if (!busy_) return false;
  if (stop_button_->isHidden()) stop_button_->show();
  if (stop_signals_ != nullptr && stop_signals_->Received()) {
    stop_asked_ = true;
    close_after_ = true;
  }
  AnswerDesktop();
  return stop_asked_;
}

void frmMain::AnswerDesktop() {
  if (!busy_ || !since_events_.hasExpired(kKeepAliveMs)) return;
  HoldInputs();
  QCoreApplication::processEvents();
  since_events_.start();
}

void frmMain::UseStopSignals(platform::StopSignals* stop_signals) {
  stop_notifier_.reset();
  stop_signals_ = stop_signals;
  if (stop_signals == nullptr) return;
  stop_notifier_ =
      std::make_unique<QSocketNotifier>(stop_signals->WakeDescriptor(), QSocketNotifier::Read);
  connect(stop_notifier_.get(), &QSocketNotifier::activated, this, [this] { StopAskedBySystem(); });
}

// A question left open would keep the program from ending: it is answered Cancel.
void frmMain::StopAskedBySystem() {
  stop_signals_->Acknowledge();
  close_after_ = true;
  if (QWidget* modal = QApplication::activeModalWidget()) modal->close();
  if (busy_) {
    stop_asked_ = true;
  } else {
    close();
  }
}

void frmMain::UseFatalSignalReset(platform::FatalSignalReset* reset) {
  fatal_reset_ = reset;
  TellFatalResetTheBoard();
}

void frmMain::TellFatalResetTheBoard() {
  if (fatal_reset_ != nullptr && programmer_ != nullptr) {
    fatal_reset_->SetResetSequence(programmer_->board.ResetWrites());
  }
}

// A simulated board takes the model the operator forces before the core talks to it as one.
void frmMain::BoardModelForced(int16_t model) {
  if (port_access_ == nullptr || programmer_ == nullptr) return;
  const int16_t base = programmer_->board.PortBase;
  if (!platform::IsParallelPortBase(base) || port_access_->Simulated(base)) {
    port_access_->FollowModel(model);
  }
}

void frmMain::ForceMeldrix4() {
  Route([this](ops::Programmer& p) {
    BoardModelForced(4);
    p.detect.ForceMeldrix4_Click();
  });
}

void frmMain::ForceMeldrix5() {
  Route([this](ops::Programmer& p) {
    BoardModelForced(5);
    p.detect.ForceMeldrix5_Click();
  });
}

void frmMain::ShowHelpContents() {
  app::ShowHelpContents(*this);
}

void frmMain::ShowHelpSearch() {
  app::ShowHelpSearch(*this);
}

void frmMain::ShowAbout() {
  app::ShowAbout(*this, PortNotes());
}

void frmMain::mnuFileClose_Click() {
  MessageBox("Add 'mnuFileClose_Click' code.", panel::kAppTitle, panel::Icon::None);
}

// The settings kept in the per-user store are written when the operator confirms them; a
// changed default of an auto operation shows at once in its check box, the fast path holds from
// the next operation on, and a port chosen here is selected as its LPTSelection option would
// select it.
void frmMain::mnuToolsOptions_Click() {
  const frontend::UserOptions stored =
      frontend::ReadUserOptions(settings_, platform::RomDatDirectory());
  frmOptions::Facts facts{-1, StatusPort()};
  for (int i = 0; i < 3; ++i) {
    if (Value(panel::LPTSelection(i)) != 0) facts.port_option = i;
  }
  frmOptions dialog(this, stored, facts, *dialogs_);
  if (dialog.exec() != QDialog::Accepted) return;
  const frontend::UserOptions chosen = dialog.Chosen();
  frontend::WriteUserOptions(settings_, chosen);
  if (chosen.check_blank != stored.check_blank) {
    SetValue(Ctl::CheckBlankPriorProgramming, chosen.check_blank ? 1 : 0);
  }
  if (chosen.verify_after != stored.verify_after) {
    SetValue(Ctl::VerifyAfterProgramming, chosen.verify_after ? 1 : 0);
  }
  if (chosen.dat_folder != stored.dat_folder && !rom_index_path_.empty()) StartIndexingRomLists();
  if (programmer_ != nullptr && chosen.fast_path != programmer_->board.FastPath()) {
    programmer_->board.SetFastPath(chosen.fast_path);
  }
  const int port = dialog.ChosenPortOption();
  if (port >= 0 && port != facts.port_option) {
    Route([port](ops::Programmer& p) { p.SelectOption(panel::LPTSelection(port)); });
  }
}

void frmMain::mnuFileExit_Click() {
  close();
}

// --- Start-up and shutdown -----------------------------------------------------------------------

double frmMain::TwipsPerPixel() const {
  const QScreen* screen = QGuiApplication::primaryScreen();
  const double dpi = screen != nullptr ? screen->logicalDotsPerInch() : 96.0;
  return dpi > 0 ? 1440.0 / dpi : 15.0;
}

void frmMain::PlaceWindow() {
  const double tpp = TwipsPerPixel();
  std::vector<PixelRect> screens;
  for (const QScreen* screen : QGuiApplication::screens()) {
    const QRect a = screen->availableGeometry();
    screens.push_back({a.x(), a.y(), a.width(), a.height()});
  }
  const QSize frame = frameGeometry().size() - size();
  const QSize least = minimumSizeHint() + frame;
  const PixelRect stored = ToPixels(ReadPlacement(settings_), tpp);
  const QRect screen = ScreenAt(stored.x, stored.y);
  PixelRect first_size = FirstStartSize({screen.x(), screen.y(), screen.width(), screen.height()},
                                        least.width(), least.height());
  if (!SizeStored(stored)) {
    first_size.width = WidthForOneLogLine(first_size, frame, screen.width());
  }
  PixelRect fitted = FitOnScreens(stored, screens, first_size);
  // A placement smaller than the window can be without cutting a control is raised to that
  // size, and kept on the screen.
  if (fitted.width < least.width() || fitted.height < least.height()) {
    fitted.width = std::max(fitted.width, least.width());
    fitted.height = std::max(fitted.height, least.height());
    fitted = FitOnScreens(fitted, screens, first_size);
  }
  move(fitted.x, fitted.y);
  placed_outer_ = QSize(fitted.width, fitted.height);
  KeepPlacedOuterSize();
}

// The usable area of the screen a window placed at (x, y) opens on: the primary screen when no
// screen holds that point.
QRect frmMain::ScreenAt(int x, int y) {
  const QScreen* screen = QGuiApplication::screenAt(QPoint(x, y));
  if (screen == nullptr) screen = QGuiApplication::primaryScreen();
  return screen != nullptr ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
}

// The outer width at which the system log shows a long log line on one line at the desktop's
// font, as far as the screen allows: a line wrapped over three is hard to read, and a failure
// in it easy to miss. The log takes a fixed share of the width the window gains, so the window
// is laid out at the width asked, the log measured, and the width raised by what it lacks.
int frmMain::WidthForOneLogLine(const PixelRect& outer, QSize frame, int screen_width) {
  const QString line = Q(clock_.LocaleTime() + ">  " + std::string(kLongLogLine));
  const int needed = system_log_->fontMetrics().horizontalAdvance(line) +
                     2 * static_cast<int>(system_log_->document()->documentMargin()) + 4;
  int width = outer.width;
  for (int step = 0; step < 4 && width < screen_width; ++step) {
    resize(QSize(width, outer.height) - frame);
    LayOutNow(*this);
    // The room inside the log's frame, less the scroll bar a long log shows.
    const int room =
        system_log_->contentsRect().width() - system_log_->verticalScrollBar()->sizeHint().width();
    const int missing = needed - room;
    if (missing <= 0) break;
    width = std::min(width + 2 * missing, screen_width);
  }
  return width;
}
// The store keeps the outer size, frame included, while the toolkit sizes the inside. The frame
// is known only once the window is shown and framed by the desktop, so the inside is sized again
// whenever the frame may have changed, until a frame has been seen.
void frmMain::KeepPlacedOuterSize() {
  if (!placed_outer_) return;
  const QSize frame = frameGeometry().size() - size();
  resize(*placed_outer_ - frame);
  if (frame.width() > 0 || frame.height() > 0) placed_outer_.reset();
}

void frmMain::showEvent(QShowEvent* event) {
  QMainWindow::showEvent(event);
  KeepPlacedOuterSize();
}

void frmMain::moveEvent(QMoveEvent* event) {
  QMainWindow::moveEvent(event);
  KeepPlacedOuterSize();
}

void frmMain::Form_Load() {
  PlaceWindow();
  // The hex view's frame takes its design geometry, which is also the smallest the arrangement
  // gives it when the window grows or shrinks.
  auto* frame3 = Widget<QWidget>(Ctl::Frame3);
  frame3->setMinimumSize(481, 241);
  frame3->setGeometry(frame3->x(), 72, 481, 241);
  if (programmer_ == nullptr) return;
  programmer_->StartUp();
  // The auto operations start as the operator set them up in Tools - Options.
  const frontend::UserOptions options = frontend::ReadUserOptions(settings_, {});
  SetValue(Ctl::CheckBlankPriorProgramming, options.check_blank ? 1 : 0);
  SetValue(Ctl::VerifyAfterProgramming, options.verify_after ? 1 : 0);
  programmer_->board.SetFastPath(options.fast_path);
  TellFatalResetTheBoard();
  ShowPortAccess();
  ShowCodeChecksum();
  loaded_ = true;
  if (!rom_index_path_.empty()) StartIndexingRomLists();
}

void frmMain::IndexRomLists(std::string index_path, std::string software_lists) {
  rom_index_path_ = std::move(index_path);
  software_lists_ = std::move(software_lists);
  if (loaded_) StartIndexingRomLists();
}

void frmMain::StartIndexingRomLists() {
  if (programmer_ == nullptr) return;
  if (!rom_lists_) {
    RomListIndexer::Hooks hooks;
    hooks.progress = [this](const QString& text) {
      status_rom_lists_->setText(text);
      status_rom_lists_->setVisible(!text.isEmpty());
    };
    hooks.log = [this](const QString& line) { LogMessage(S(line)); };
    hooks.may_take = [this] { return !busy_; };
    rom_lists_ = std::make_unique<RomListIndexer>(*programmer_, std::move(hooks));
  }
  const std::string dat_folder =
      frontend::ReadUserOptions(settings_, platform::RomDatDirectory()).dat_folder;
  rom_lists_->Refresh(rom_index_path_, {software_lists_, dat_folder});
}

QString frmMain::StatusRomLists() const {
  return status_rom_lists_->isHidden() ? QString() : status_rom_lists_->text();
}

void frmMain::ShowCodeChecksum() {
  if (programmer_ == nullptr) return;
  const buffers::Buffers& buf = programmer_->buf;
  const uint32_t crc = buffers::Crc32Of(buffers::ImagePart(buf.CodeBuffer, buf.CodeLength));
  status_crc_->setText("Code CRC-32 " + Q(buffers::Crc32Text(crc)));
  const bool idle = status_text_->text().isEmpty();
  status_text_->setVisible(!idle);
  status_crc_->setVisible(idle);
}

QString frmMain::StatusChecksum() const {
  return status_crc_->isHidden() ? QString() : status_crc_->text();
}

void frmMain::ShowPortAccess() {
  if (port_access_ == nullptr || programmer_ == nullptr) return;
  const int16_t base = programmer_->board.PortBase;
  QString caption = QString(kCaptionStart) + Q(kVendorText);
  bool simulated = false;
  if (!platform::IsParallelPortBase(base)) {
    status_port_->setText("no port selected");
  } else if (port_access_->Simulated(base)) {
    // The simulated board is the board the program believes in: at its port, of its model.
    port_access_->FollowPort(base);
    const int16_t model = programmer_->board.BoardModel;
    if (model == 4 || model == 5) port_access_->FollowModel(model);
    caption = QString(kCaptionStart) + "simulated board";
    status_port_->setText("simulated board (no parallel-port access on this machine)");
    simulated = true;
  } else {
    status_port_->setText(Q(port_access_->Method(base)));
  }
  status_port_->setToolTip(Q(NotesOn(*port_access_, base)));
  setWindowTitle(caption);
  SetCaption(Ctl::Frame9, simulated ? "Simulated Meldrix Board" : "Meldrix Hardware Found");
  socket_menu_->menuAction()->setVisible(simulated && port_access_->SimulatedBoard() != nullptr);
}

std::vector<std::string> frmMain::PortNotes() const {
  std::vector<std::string> texts;
  if (port_access_ == nullptr) return texts;
  for (const auto& note : port_access_->Notes()) texts.push_back(note.text);
  return texts;
}

void frmMain::SavePlacement() {
  const QRect outer = frameGeometry();
  WritePlacement(settings_,
                 ToTwips({outer.x(), outer.y(), outer.width(), outer.height()}, TwipsPerPixel()));
}

void frmMain::closeEvent(QCloseEvent* event) {
  if (busy_) {
    // The operation stops at the safe point it is at; the window closes once it has.
    event->ignore();
    if (close_after_) return;
    if (dialogs_->AskOkCancel(this, "Stop the Operation in Progress and Exit?",
                              "Safety Question")) {
      close_after_ = true;
      stop_asked_ = true;
    }
    return;
  }
  if (!EditsMayBeLostOnClose()) {
    event->ignore();
    return;
  }
  if (programmer_ != nullptr) programmer_->ShutDown();
  // The other windows of the program go first, the most recent first.
  const QWidgetList windows = QApplication::topLevelWidgets();
  for (auto it = windows.rbegin(); it != windows.rend(); ++it) {
    if (*it != this && (*it)->isVisible()) (*it)->close();
  }
  if (!isMinimized()) SavePlacement();
  event->accept();
}

// --- Log, sounds, dialogs
// --------------------------------------------------------------------------

void frmMain::LogMessage(std::string_view message) {
  system_log_->Append(LogEntry(clock_.LocaleTime(), message));
  NoteOperationLine(message);
  SystemLog_Change();
  // A line written while an operation keeps the thread busy is shown at once.
  system_log_->viewport()->repaint();
}

void frmMain::SystemLog_Change() {
  system_log_->CaretToEnd();
}

void frmMain::SystemLog_DblClick() {
  const std::string content =
      LogFileText(system_log_->Text(), clock_.LocaleDate(), clock_.LocaleTime());
  if (const auto failure = platform::WriteFileAtomically(std::string(kLogFileName), content)) {
    MessageBox("The System Log could not be saved to MELDRIX5.LOG: " + failure->reason +
                   ".\nAny earlier MELDRIX5.LOG was left as it was; the log in the window is "
                   "unchanged.",
               panel::kAppTitle, panel::Icon::Exclamation);
    return;
  }
  LogMessage("System Log was Saved to MELDRIX5.LOG file");
}

void frmMain::PlayEventSound(std::string_view keyword) {
  sound_.Play(SoundPath(sound_directory_, keyword));
}

void frmMain::MessageBox(std::string_view text, std::string_view title, panel::Icon icon) {
  dialogs_->MessageBox(this, Q(text), Q(title), icon);
}

bool frmMain::AskOkCancel(std::string_view text, std::string_view title) {
  return dialogs_->AskOkCancel(this, Q(text), Q(title));
}

std::string frmMain::InputBox(std::string_view prompt, std::string_view title) {
  return S(dialogs_->InputBox(this, Q(prompt), Q(title)));
}

std::string frmMain::OpenFileDialog(std::string_view title, std::string_view filter) {
  return S(dialogs_->OpenFile(this, Q(title), Q(QtNameFilter(filter)), open_filter_));
}

panel::FileChoice frmMain::SaveFileDialog(std::string_view title, std::string_view filter,
                                          std::string_view offered) {
  panel::FileChoice choice;
  choice.path =
      S(dialogs_->SaveFile(this, Q(title), Q(QtNameFilter(filter)), Q(offered), choice.filter));
  return choice;
}

}  // namespace app
