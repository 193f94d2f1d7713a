#include "app/frm_main.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QSlider>
#include <QSocketNotifier>
#include <QStatusBar>
#include <QStyle>
#include <QTextCursor>
#include <QTimer>
#include <QToolBar>
#include <QWheelEvent>
#include <QWindow>
#include <algorithm>
#include <exception>
#include <vector>

#include "app/control_names.h"
#include "app/file_filter.h"
#include "app/help.h"
#include "app/input_gate.h"
#include "app/placement.h"
#include "app/sound_keywords.h"
#include "buffers/checksums.h"
#include "buffers/image_file.h"
#include "frontend/log_text.h"
#include "operations/programmer.h"
#include "platform/files.h"
#include "platform/signals.h"

namespace app {

using frontend::kLogFileName;
using frontend::kVendorText;
using frontend::LogEntry;
using frontend::LogFileText;
using platform::Color;
using platform::Ctl;
using platform::Ref;

namespace {

QString Q(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

std::string S(const QString& text) {
  return text.toStdString();
}

// The editor shows paragraphs; the core writes carriage return and line feed.
QString ForDisplay(std::string_view text) {
  QString shown = Q(text);
  shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  return shown;
}

// A colour in 00BBGGRR form, or one of the platform's system colours.
QColor ToQColor(Color color, const QPalette& palette) {
  switch (color) {
    case platform::kButtonFace:
      return palette.color(QPalette::Button);
    case platform::kGreyText:
      return QColor(0x80, 0x80, 0x80);
    case platform::kButtonText:
      return palette.color(QPalette::ButtonText);
    case platform::kButtonHighlight:
      return palette.color(QPalette::Light);
    default:
      return QColor(static_cast<int>(color & 0xFF), static_cast<int>((color >> 8) & 0xFF),
                    static_cast<int>((color >> 16) & 0xFF));
  }
}

// The labels lit white against grey text, and the board announcement, on a dark ground.
constexpr Color kIndicatorGround = 0x202020;
constexpr Color kAnnouncementGround = 0x606060;

constexpr std::array<Ctl, 4> kIndicators = {Ctl::Error_label, Ctl::Program_label,
                                            Ctl::DataFlow_label, Ctl::Ready_label};

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

}  // namespace

// --- Small widgets -----------------------------------------------------------------------------

void ClickableLabel::mouseReleaseEvent(QMouseEvent* event) {
  QLabel::mouseReleaseEvent(event);
  if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) {
    emit clicked();
  }
}

DeviceList::DeviceList(QWidget* parent) : QComboBox(parent) {
  // Wheel focus would let the wheel take the focus, and with it the selection, in one turn.
  setFocusPolicy(Qt::StrongFocus);
}

void DeviceList::wheelEvent(QWheelEvent* event) {
  if (hasFocus()) {
    QComboBox::wheelEvent(event);
    return;
  }
  event->ignore();  // the window around the list may scroll instead
}

TextView::TextView(QWidget* parent) : QPlainTextEdit(parent) {
  setReadOnly(true);
  setLineWrapMode(QPlainTextEdit::NoWrap);
  setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
}

void TextView::SetText(std::string text) {
  text_ = std::move(text);
  setPlainText(ForDisplay(text_));
}

void TextView::Append(const std::string& text) {
  text_ += text;
  QTextCursor end(document());
  end.movePosition(QTextCursor::End);
  end.insertText(ForDisplay(text));
}

void TextView::CaretToEnd() {
  moveCursor(QTextCursor::End);
  ensureCursorVisible();
}

void TextView::mouseDoubleClickEvent(QMouseEvent* event) {
  QPlainTextEdit::mouseDoubleClickEvent(event);
  emit doubleClicked();
}

// --- Building the window -------------------------------------------------------------------------

frmMain::frmMain(const platform::Clock& clock, platform::SoundPlayer& sound,
                 platform::SettingsStore& settings, std::string sound_directory,
                 std::unique_ptr<Dialogs> dialogs)
    : clock_(clock),
      sound_(sound),
      settings_(settings),
      sound_directory_(std::move(sound_directory)),
      dialogs_(std::move(dialogs)) {
  Register(Ctl::frmMain, this);
  setWindowTitle(QString(kCaptionStart) + Q(kVendorText));
  auto* area = new QScrollArea(this);
  area->setObjectName("clientScroll");
  area->setWidget(BuildClientArea());
  area->setWidgetResizable(false);
  area->setFrameShape(QFrame::NoFrame);
  setCentralWidget(area);
  BuildMenus();
  BuildToolBar();
  BuildStatusBar();
  ApplyDesignColours();
  gate_ = std::make_unique<InputGate>(*this, *stop_button_, [this] { AskToStop(); });
}

frmMain::~frmMain() = default;

void frmMain::Register(Ref r, QObject* object) {
  controls_[KeyOf(r)] = object;
  object->setObjectName(Q(ObjectName(r)));
}

template <typename W, typename... Args>
W* frmMain::Add(Ref r, QWidget* parent, QRect geometry, Args&&... args) {
  auto* widget = new W(std::forward<Args>(args)..., parent);
  widget->setGeometry(geometry);
  Register(r, widget);
  if constexpr (std::is_base_of_v<QLabel, W>) widget->setTextFormat(Qt::PlainText);
  if constexpr (std::is_base_of_v<QRadioButton, W>) widget->setAutoExclusive(false);
  return widget;
}

QWidget* frmMain::BuildClientArea() {
  auto* client = new QWidget;
  client->setObjectName("clientArea");
  client->setFixedSize(700, 556);
  // The layout is drawn for a small dialog font, as such tools use.
  QFont small = client->font();
  small.setPointSizeF(8);
  client->setFont(small);
  BuildFrames(client);
  BuildDeviceAndFiles(client);
  BuildHexView();
  BuildButtons(client);
  BuildRightColumn(client);
  return client;
}

// Frames are drawn first; the controls laid over them are the window's own (only the log, the
// hex view, the announcement and the option groups lie inside theirs).
void frmMain::BuildFrames(QWidget* client) {
  struct FrameRow {
    Ctl ctl;
    const char* caption;
    QRect geometry;
  };
  const FrameRow frames[] = {
      {Ctl::Frame2, "Select Device", {8, 0, 481, 42}},
      {Ctl::Frame3, "File Hex Display", {8, 72, 481, 241}},
      {Ctl::Frame1, "", {8, 42, 481, 30}},
      {Ctl::Frame7, "", {8, 316, 368, 34}},
      {Ctl::Frame8, "", {380, 316, 109, 34}},
      {Ctl::Frame9, "Meldrix Hardware Found", {495, 0, 197, 44}},
      {Ctl::Frame4, "LPT Port Selection", {495, 316, 197, 62}},
      {Ctl::Frame10, "Hi / Low Byte Programming", {495, 380, 197, 40}},
      {Ctl::FrameVoltageSelection, "Select Device Programming Voltage", {495, 422, 197, 40}},
      {Ctl::Frame5, "Optional Auto Operations", {495, 504, 197, 48}},
      {Ctl::Frame6, "System Log", {495, 72, 197, 241}},
  };
  for (const FrameRow& f : frames) Add<QGroupBox>(f.ctl, client, f.geometry, f.caption);
  auto* frame10 = qobject_cast<QGroupBox*>(Control(Ctl::Frame10));
  frame10->setToolTip("All Bytes, Even Bytes or Odd Bytes");
  // Decoration: a rule above the progress bar and a box around the indicators.
  auto* line = new QFrame(client);
  line->setObjectName("Line1");
  line->setFrameShape(QFrame::HLine);
  line->setGeometry(8, 394, 481, 4);
  auto* shape = new QFrame(client);
  shape->setObjectName("Shape2");
  shape->setFrameShape(QFrame::Box);
  shape->setGeometry(493, 46, 201, 24);
}

void frmMain::BuildDeviceAndFiles(QWidget* client) {
  device_ = Add<DeviceList>(Ctl::Device, client, {16, 15, 300, 24});
  device_->setPlaceholderText("Please Select Device on this List");
  device_->setCurrentIndex(-1);
  QFont fixed("Monospace");
  fixed.setStyleHint(QFont::TypeWriter);
  device_->setFont(fixed);
  connect(device_, &QComboBox::activated, this,
          [this](int) { Route([](ops::Programmer& p) { p.Device_Click(); }); });
  Add<QLabel>(Ctl::PleaseSelect, client, {324, 17, 160, 20}, "Please  Select Device");

  Add<QLabel>(Ctl::FileNameCodeLabel, client, {16, 354, 100, 16}, "File Name (Code):");
  auto* code_name = Add<ClickableLabel>(Ctl::FileNameCodeText, client, {118, 354, 262, 16},
                                        "Click To Select a File");
  code_name->setCursor(Qt::PointingHandCursor);
  connect(code_name, &ClickableLabel::clicked, this,
          [this] { Route([](ops::Programmer& p) { p.FileNameCodeText_Click(); }); });
  Add<QLabel>(Ctl::FileNameCodeSize, client, {384, 354, 100, 16}, "(0 Bytes)");

  Add<QLabel>(Ctl::FileNameDataLabel, client, {16, 374, 100, 16}, "File Name (Data):");
  Add<QLabel>(Ctl::FileNameDataText, client, {118, 374, 262, 16}, "Click To Select a File");
  Add<QLabel>(Ctl::FileNameDataSize, client, {384, 374, 100, 16}, "(0 Bytes)");
}

void frmMain::BuildHexView() {
  auto* frame = qobject_cast<QWidget*>(Control(Ctl::Frame3));
  buffer_display_ = Add<TextView>(Ctl::BufferDisplay, frame, {6, 18, 449, 217});
  QFont view("Arial Monospaced");
  view.setStyleHint(QFont::TypeWriter);
  view.setFixedPitch(true);
  buffer_display_->setFont(view);
  buffer_display_->setToolTip("Double Click to Save to Meldrix5.Buf file");
  connect(buffer_display_, &TextView::doubleClicked, this,
          [this] { Route([](ops::Programmer& p) { p.BufferDisplay_DblClick(); }); });
  auto* scroll = Add<QScrollBar>(Ctl::VScroll1, frame, {457, 18, 18, 217}, Qt::Vertical);
  scroll->setRange(0, 0);
  scroll->setTracking(false);  // the page is drawn when the thumb is let go
  maxima_[KeyOf(Ctl::VScroll1)] = 0;
  connect(scroll, &QScrollBar::valueChanged, this,
          [this](int) { Route([](ops::Programmer& p) { p.VScroll1_Change(); }); });
}

void frmMain::OnButton(Ref r, std::function<void(ops::Programmer&)> handler) {
  auto* button = qobject_cast<QAbstractButton*>(Control(r));
  connect(button, &QAbstractButton::clicked, this,
          [this, handler = std::move(handler)] { Route(handler); });
}

void frmMain::BuildButtons(QWidget* client) {
  struct ButtonRow {
    Ctl ctl;
    const char* caption;
    const char* tooltip;
    void (ops::Programmer::*handler)();
  };
  const ButtonRow row1[] = {
      {Ctl::Read_button, "Read ", "Read Whole Device to Buffer",
       &ops::Programmer::Read_button_Click},
      {Ctl::Blank_button, "Blank Chk", "Check Device for Blank (Erased)",
       &ops::Programmer::Blank_button_Click},
      {Ctl::Program_button, "Program", "Program Device with Buffer Data",
       &ops::Programmer::Program_button_Click},
      {Ctl::Verify_button, "Verify", "Verify (Compare) Device with File",
       &ops::Programmer::Verify_button_Click},
      {Ctl::Display_button, "Display", "Display Device's contents on Screen",
       &ops::Programmer::Display_button_Click},
      {Ctl::Erase_button, "Erase Buffer", "Erase Buffer to all \"FF\"",
       &ops::Programmer::Erase_button_Click},
  };
  int x = 12;
  for (const ButtonRow& b : row1) {
    auto* button = Add<QPushButton>(b.ctl, client, {x, 44, 76, 26}, b.caption);
    button->setToolTip(b.tooltip);
    OnButton(b.ctl, [h = b.handler](ops::Programmer& p) { (p.*h)(); });
    x += 79;
  }
  Add<QPushButton>(Ctl::EraseFlash_button, client, {12, 320, 86, 26}, "Erase Flsh")
      ->setToolTip("Erase Flash or Eeprom");
  OnButton(Ctl::EraseFlash_button, [](ops::Programmer& p) { p.EraseFlash_button_Click(); });
  Add<QPushButton>(Ctl::TestHardware_button, client, {102, 320, 86, 26}, "TestPort")
      ->setToolTip("Test Communication LPT port");
  OnButton(Ctl::TestHardware_button,
           [](ops::Programmer& p) { p.detect.TestHardware_button_Click(); });
  Add<QPushButton>(Ctl::Show_button, client, {192, 320, 86, 26}, "Show Data");
  OnButton(Ctl::Show_button, [](ops::Programmer& p) { p.Show_button_Click(); });
  Add<QPushButton>(Ctl::Command1, client, {282, 320, 86, 26}, "Command1");
  OnButton(Ctl::Command1, [](ops::Programmer& p) { p.Command1_Click(); });
  Add<QCheckBox>(Ctl::CheckCode, client, {386, 324, 50, 18}, "Code");
  Add<QCheckBox>(Ctl::CheckData, client, {436, 324, 50, 18}, "Data");

  // Shown only while an operation runs; Esc does the same.
  stop_button_ = new QPushButton("Stop", client);
  stop_button_->setObjectName("Stop_button");
  stop_button_->setGeometry(12, 424, 86, 26);
  stop_button_->setToolTip("Stop the Operation (Esc)");
  stop_button_->hide();
  connect(stop_button_, &QPushButton::clicked, this, [this] { AskToStop(); });

  auto* progress = Add<QProgressBar>(Ctl::ProgressBar1, client, {8, 400, 481, 16});
  progress->setRange(0, 100);
  progress->setValue(0);
  progress->setTextVisible(false);
  maxima_[KeyOf(Ctl::ProgressBar1)] = 100;
}

void frmMain::BuildRightColumn(QWidget* client) {
  auto* found_frame = qobject_cast<QWidget*>(Control(Ctl::Frame9));
  auto* found =
      Add<QLabel>(Ctl::MeldrixHardwareFound, found_frame, {6, 18, 185, 20}, "NO HARDWARE FOUND");
  found->setAlignment(Qt::AlignCenter);

  const std::pair<Ctl, const char*> indicators[] = {{Ctl::Error_label, "ERROR"},
                                                    {Ctl::Program_label, "Program"},
                                                    {Ctl::DataFlow_label, "DataFlow"},
                                                    {Ctl::Ready_label, "HwReady"}};
  const int widths[] = {42, 48, 52, 48};
  int x = 496;
  for (size_t i = 0; i < 4; ++i) {
    const QRect at(x, 48, widths[i], 20);
    QLabel* label = indicators[i].first == Ctl::Error_label
                        ? Add<ClickableLabel>(indicators[i].first, client, at, indicators[i].second)
                        : Add<QLabel>(indicators[i].first, client, at, indicators[i].second);
    label->setAlignment(Qt::AlignCenter);
    x += widths[i] + 2;
  }
  connect(qobject_cast<ClickableLabel*>(Control(Ctl::Error_label)), &ClickableLabel::clicked, this,
          [this] { Route([](ops::Programmer& p) { p.Error_label_Click(); }); });

  const char* const ports[] = {"378h", "278h", "3BCh"};
  for (int i = 0; i < 3; ++i) {
    Add<QRadioButton>(platform::LPTSelection(i), client, {501 + i * 62, 334, 60, 18}, ports[i]);
  }
  auto* port_frame = qobject_cast<QWidget*>(Control(Ctl::Frame4));
  Add<QLineEdit>(Ctl::PortSelected, port_frame, {6, 38, 56, 20})->setReadOnly(true);

  auto* hilow_frame = qobject_cast<QWidget*>(Control(Ctl::Frame10));
  const char* const hilow[] = {"Both", "Hi Byte", "Low Byte"};
  const int hilow_x[] = {6, 58, 124}, hilow_w[] = {52, 66, 70};
  for (int i = 0; i < 3; ++i) {
    Add<QRadioButton>(platform::HiLow_button(i), hilow_frame, {hilow_x[i], 18, hilow_w[i], 18},
                      hilow[i]);
  }
  auto* voltage_frame = qobject_cast<QWidget*>(Control(Ctl::FrameVoltageSelection));
  const char* const volts[] = {"5V", "12.5V", "21V", "25V"};
  const int volt_x[] = {6, 48, 104, 150}, volt_w[] = {42, 56, 46, 46};
  for (int i = 0; i < 4; ++i) {
    Add<QRadioButton>(platform::Voltage_button(i), voltage_frame, {volt_x[i], 18, volt_w[i], 18},
                      volts[i]);
  }
  const char* const careful =
      "Carefull. Few Eproms Use This Programming Voltage.  Can damage wrong eproms.";
  qobject_cast<QWidget*>(Control(platform::Voltage_button(1)))
      ->setToolTip("Most CMOS actual Eproms use this Programming Voltage.");
  qobject_cast<QWidget*>(Control(platform::Voltage_button(2)))->setToolTip(careful);
  qobject_cast<QWidget*>(Control(platform::Voltage_button(3)))->setToolTip(careful);
  for (Ref option :
       {platform::HiLow_button(0), platform::Voltage_button(1), platform::LPTSelection(1)}) {
    qobject_cast<QRadioButton*>(Control(option))->setChecked(true);
  }
  for (Ctl group : {Ctl::LPTSelection, Ctl::HiLow_button, Ctl::Voltage_button}) {
    for (int i = 0; i < 4; ++i) {
      auto* option = qobject_cast<QRadioButton*>(Control(Ref(group, i)));
      if (option == nullptr) continue;
      // Every click selects the option, even a click on the one already selected.
      connect(option, &QRadioButton::clicked, this, [this, group, i] {
        Route([group, i](ops::Programmer& p) { p.SelectOption(Ref(group, i)); });
      });
    }
  }

  Add<QLabel>(Ctl::Label4, client, {495, 464, 100, 16}, "Program Speed");
  auto* slider = Add<QSlider>(Ctl::Slider1, client, {495, 480, 197, 22}, Qt::Horizontal);
  slider->setRange(1, 20);
  slider->setSingleStep(1);
  slider->setPageStep(5);
  slider->setValue(18);
  slider->setTickPosition(QSlider::TicksBelow);
  slider->setTracking(false);  // one change when the operator lets go
  slider->setToolTip("Slow Down or Speed Up Programming Speed");
  connect(slider, &QSlider::valueChanged, this,
          [this](int) { Route([](ops::Programmer& p) { p.Slider1_Change(); }); });

  Add<QCheckBox>(Ctl::CheckBlankPriorProgramming, client, {501, 520, 190, 16},
                 "Check Blank Before Programming");
  Add<QCheckBox>(Ctl::VerifyAfterProgramming, client, {501, 536, 190, 16},
                 "Verify Device After Programming");

  auto* log_frame = qobject_cast<QWidget*>(Control(Ctl::Frame6));
  system_log_ = Add<TextView>(Ctl::SystemLog, log_frame, {4, 16, 189, 221});
  system_log_->setToolTip("Double Click to Save to Meldrix5.Log file");
  system_log_->setLineWrapMode(QPlainTextEdit::WidgetWidth);
  connect(system_log_, &TextView::doubleClicked, this, [this] { SystemLog_DblClick(); });
}

QAction* frmMain::AddMenuEntry(QMenu* menu, Ctl ctl, const QString& caption, bool enabled,
                               std::function<void(ops::Programmer&)> handler) {
  QAction* action = menu->addAction(caption);
  Register(ctl, action);
  action->setEnabled(enabled);
  if (handler) {
    connect(action, &QAction::triggered, this,
            [this, handler = std::move(handler)] { Route(handler); });
  }
  return action;
}

QAction* frmMain::AddSeparator(QMenu* menu, const char* name) {
  QAction* separator = menu->addSeparator();
  separator->setObjectName(name);
  separator->setText("-");
  return separator;
}

QMenu* frmMain::AddSubmenu(QMenu* parent_menu, Ctl ctl, const QString& caption) {
  QMenu* menu =
      parent_menu != nullptr ? parent_menu->addMenu(caption) : menuBar()->addMenu(caption);
  menu->setObjectName(Q(ControlName(ctl)));
  Register(ctl, menu->menuAction());
  return menu;
}

void frmMain::BuildMenus() {
  using P = ops::Programmer;
  QMenu* file = AddSubmenu(nullptr, Ctl::mnuFile, "&File");
  AddMenuEntry(file, Ctl::mnuFileOpenCode, "&Open Code...", true, &P::mnuFileOpenCode_Click);
  AddMenuEntry(file, Ctl::mnuFileSaveCode, "&Save Code", false, &P::mnuFileSaveCode_Click);
  AddMenuEntry(file, Ctl::mnuFileSaveCodeAs, "Save Code &As...", false,
               &P::mnuFileSaveCodeAs_Click);
  AddSeparator(file, "mnuCommandBar3");
  AddMenuEntry(file, Ctl::mnuFileOpenData, "Open Data...", false, &P::mnuFileOpenData_Click);
  AddMenuEntry(file, Ctl::mnuFileSaveData, "Save Data", false, &P::mnuFileSaveData_Click);
  AddMenuEntry(file, Ctl::mnuFileSaveDataAs, "Save Data As...", false, &P::mnuFileSaveDataAs_Click);
  AddSeparator(file, "mnuCommandBar4");
  connect(AddMenuEntry(file, Ctl::mnuFileClose, "&Close", true, nullptr), &QAction::triggered, this,
          [this] { mnuFileClose_Click(); });
  connect(AddMenuEntry(file, Ctl::mnuFileExit, "E&xit", true, nullptr), &QAction::triggered, this,
          [this] { mnuFileExit_Click(); });

  QMenu* tools = AddSubmenu(nullptr, Ctl::mnuTools, "&Tools");
  connect(AddMenuEntry(tools, Ctl::mnuToolsOptions, "&Options...", true, nullptr),
          &QAction::triggered, this, [this] { mnuToolsOptions_Click(); });

  QMenu* command = AddSubmenu(nullptr, Ctl::menuCommand, "&Command");
  AddMenuEntry(command, Ctl::menuBlankCheck, "Blank Check Device for Erased", true,
               &P::Blank_button_Click);
  AddSeparator(command, "xxx8");
  AddMenuEntry(command, Ctl::menuProgramCode, "Program Device Code", true,
               &P::Program_button_Click);
  AddMenuEntry(command, Ctl::menuReadCode, "Read Device Code", true, &P::Read_button_Click);
  AddMenuEntry(command, Ctl::menuVerifyCode, "Verify Device Code", true, &P::Verify_button_Click);
  AddSeparator(command, "xxx6");
  AddMenuEntry(command, Ctl::menuProgramData, "Program Device Data", true, &P::ProgramData);
  AddMenuEntry(command, Ctl::menuReadData, "Read Device Data", true, &P::ReadData);
  AddMenuEntry(command, Ctl::menuVerifyData, "Verify Device Data", true, &P::VerifyData);
  AddSeparator(command, "menuCommandBar0");
  AddMenuEntry(command, Ctl::menuDisplayCode, "Display Device CODE", true,
               &P::Display_button_Click);
  AddMenuEntry(command, Ctl::menuDisplayData, "Display Device DATA", true, &P::DisplayDataMemory);
  AddSeparator(command, "menuCommandBar2");
  AddMenuEntry(command, Ctl::menuEraseCode, "Erase CODE Buffer (\"FF\") ", true,
               &P::Erase_button_Click);
  AddMenuEntry(command, Ctl::menuEraseData, "Erase DATA Buffer (\"FF\") ", true,
               &P::EraseDataBuffer);
  AddMenuEntry(command, Ctl::menuEraseFlash, "Erase Device Flash Memory", true,
               &P::EraseFlash_button_Click);
  AddSeparator(command, "xxx10");
  AddMenuEntry(command, Ctl::menuTestHardware, "Test LPT Ports", true,
               [](P& p) { p.detect.TestHardware_button_Click(); });
  AddSeparator(command, "xxx11");
  AddMenuEntry(command, Ctl::menuFlashShowCodeID, "Show Flash Code ID#", true,
               &P::menuFlashShowCodeID_Click);

  QMenu* setup = AddSubmenu(nullptr, Ctl::Setup, "&Setup");
  connect(setup, &QMenu::aboutToShow, this, [this] { Route([](P& p) { p.Setup_Click(); }); });
  QMenu* load = AddSubmenu(setup, Ctl::LoadSetup, "&Load Setup");
  const Ctl load_entries[] = {Ctl::LoadSetup1, Ctl::LoadSetup2, Ctl::LoadSetup3, Ctl::LoadSetup4};
  for (int slot = 1; slot <= 4; ++slot) {
    AddMenuEntry(load, load_entries[slot - 1], QString("Load Setup #&%1").arg(slot), false,
                 [slot](P& p) { p.LoadSetup_Click(slot); });
  }
  AddSeparator(setup, "xxx4");
  QMenu* save = AddSubmenu(setup, Ctl::SaveSetup, "&Save Setup");
  const Ctl save_entries[] = {Ctl::SaveSetup1, Ctl::SaveSetup2, Ctl::SaveSetup3, Ctl::SaveSetup4};
  for (int slot = 1; slot <= 4; ++slot) {
    AddMenuEntry(save, save_entries[slot - 1], QString("Save Setup #&%1").arg(slot), true,
                 [slot](P& p) { p.SaveSetup_Click(slot); });
  }
  AddSeparator(setup, "xxx9");
  AddMenuEntry(setup, Ctl::ForceMeldrix4, "Force Set MELDRIX-4", true, [this](P& p) {
    BoardModelForced(4);
    p.detect.ForceMeldrix4_Click();
  });
  AddMenuEntry(setup, Ctl::ForceMeldrix5, "Force Set MELDRIX-5", true, [this](P& p) {
    BoardModelForced(5);
    p.detect.ForceMeldrix5_Click();
  });
  AddSeparator(setup, "xxx12");
  AddMenuEntry(setup, Ctl::LoopFlashTest, "LoopFlashTest", false, &P::LoopFlashTest_Click);
  AddMenuEntry(setup, Ctl::ResetFlash, "ResetFlash", false, &P::ResetFlash_Click);

  QMenu* help = AddSubmenu(nullptr, Ctl::mnuHelp, "&Help");
  connect(AddMenuEntry(help, Ctl::mnuHelpContents, "&Contents", true, nullptr), &QAction::triggered,
          this, [this] { app::ShowHelpContents(*this); });
  connect(AddMenuEntry(help, Ctl::mnuHelpSearchForHelpOn, "&Search For Help On...", true, nullptr),
          &QAction::triggered, this, [this] { app::ShowHelpSearch(*this); });
  AddSeparator(help, "mnuHelpBar0");
  connect(AddMenuEntry(help, Ctl::mnuHelpAbout, "&About ", true, nullptr), &QAction::triggered,
          this, [this] { app::ShowAbout(*this, PortNotes()); });
}

void frmMain::BuildToolBar() {
  auto* bar = new QToolBar(this);
  Register(Ctl::tbToolBar, bar);
  bar->setMovable(false);
  bar->setWindowTitle("tbToolBar");
  addToolBar(Qt::TopToolBarArea, bar);
  // The image list of the toolbar, by image key.
  auto* images = new QObject(this);
  images->setObjectName("imlToolbarIcons");
  images->setProperty("keys", QStringList{"Open", "Save", "Camera", "Burn1"});
  const QIcon open = style()->standardIcon(QStyle::SP_DialogOpenButton);
  const QIcon save = style()->standardIcon(QStyle::SP_DialogSaveButton);
  struct ToolRow {
    int button;
    const QIcon* icon;
    const char* image;
    const char* tooltip;
  };
  const ToolRow tools[] = {{1, &open, "Open", "Open File into Code Buffer"},
                           {2, &save, "Save", "Save Code Buffer Into File"},
                           {4, &open, "Open", "Open File into Data Buffer"},
                           {5, &save, "Save", "Save Data Buffer into File"}};
  for (const ToolRow& t : tools) {
    if (t.button == 4) Register(platform::ToolbarButton(3), bar->addSeparator());
    const QString key = Q(ToolbarKey(t.button));
    QAction* action = bar->addAction(*t.icon, key);
    Register(platform::ToolbarButton(t.button), action);
    action->setToolTip(t.tooltip);
    action->setProperty("image", t.image);
    connect(action, &QAction::triggered, this,
            [this, key] { Route([key](ops::Programmer& p) { p.tbToolBar_ButtonClick(S(key)); }); });
  }
  auto* verify = new QPushButton("Verify", bar);
  verify_action_ = bar->addWidget(verify);
  Register(Ctl::VerifyButton, verify);
  connect(verify, &QPushButton::clicked, this, [this] {
    // It does what Verify_button does, and only while that button may be pressed.
    if (Enabled(Ctl::Verify_button)) Route([](ops::Programmer& p) { p.Verify_button_Click(); });
  });
}

void frmMain::BuildStatusBar() {
  QStatusBar* bar = statusBar();
  Register(Ctl::sbStatusBar, bar);
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

// Design-time colours: indicators off (grey text) on a dark ground so that lit (white) and off
// both read well; the board announcement yellow.
void frmMain::ApplyDesignColours() {
  for (Ctl label : kIndicators) {
    back_[KeyOf(label)] = kIndicatorGround;
    SetForeColor(label, platform::kGreyText);
  }
  back_[KeyOf(Ctl::MeldrixHardwareFound)] = kAnnouncementGround;
  SetForeColor(Ctl::MeldrixHardwareFound, platform::kYellow);
}

// --- Routing
// --------------------------------------------------------------------------------------

void frmMain::Attach(ops::Programmer& programmer) {
  programmer_ = &programmer;
}

// No other handler starts while one runs, even one that the window's own events would start.
void frmMain::Route(const std::function<void(ops::Programmer&)>& handler) {
  if (programmer_ == nullptr || busy_) return;
  BeginOperation();
  try {
    handler(*programmer_);
    ShowPortAccess();
    ShowCodeChecksum();
  } catch (const std::exception& failure) {
    MessageBox(std::string("The operation stopped: ") + failure.what(), platform::kAppTitle,
               platform::Icon::Critical);
  } catch (...) {
    MessageBox("The operation stopped on an unexpected failure.", platform::kAppTitle,
               platform::Icon::Critical);
  }
  EndOperation();
}

void frmMain::BeginOperation() {
  busy_ = true;
  stop_asked_ = false;
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
  TellFatalResetTheBoard();  // the operation may have found the board at another port
  if (operation_time_.hasExpired(kInstantMs)) QCoreApplication::processEvents();
  QCoreApplication::instance()->removeEventFilter(gate_.get());
  if (close_after_) QTimer::singleShot(0, this, [this] { close(); });
}

bool frmMain::StopRequested() {
  if (!busy_) return false;
  if (stop_button_->isHidden()) stop_button_->show();
  if (stop_signals_ != nullptr && stop_signals_->Received()) {
    stop_asked_ = true;
    close_after_ = true;
  }
  if (since_events_.hasExpired(kKeepAliveMs)) {
    QCoreApplication::processEvents();
    since_events_.start();
  }
  return stop_asked_;
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

void frmMain::mnuFileClose_Click() {
  MessageBox("Add 'mnuFileClose_Click' code.", platform::kAppTitle, platform::Icon::None);
}

void frmMain::mnuToolsOptions_Click() {
  MessageBox("Add 'mnuToolsOptions_Click' code.", platform::kAppTitle, platform::Icon::None);
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
  const PixelRect wanted = ToPixels(ReadPlacement(settings_), tpp);
  const PixelRect fitted = FitOnScreens(wanted, screens, ToPixels(kDefaultPlacement, tpp));
  move(fitted.x, fitted.y);
  placed_outer_ = QSize(fitted.width, fitted.height);
  KeepPlacedOuterSize();
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
  auto* frame3 = qobject_cast<QWidget*>(Control(Ctl::Frame3));
  frame3->setGeometry(frame3->x(), 72, 481, 241);
  if (programmer_ == nullptr) return;
  programmer_->StartUp();
  TellFatalResetTheBoard();
  ShowPortAccess();
  ShowCodeChecksum();
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
  if (!platform::IsParallelPortBase(base)) {
    status_port_->setText("no port selected");
  } else if (port_access_->Simulated(base)) {
    // The simulated board is the board the program believes in: at its port, of its model.
    port_access_->FollowPort(base);
    const int16_t model = programmer_->board.BoardModel;
    if (model == 4 || model == 5) port_access_->FollowModel(model);
    caption = QString(kCaptionStart) + "simulated board";
    status_port_->setText("simulated board (no parallel-port access on this machine)");
  } else {
    status_port_->setText(Q(port_access_->Method(base)));
  }
  status_port_->setToolTip(Q(NotesOn(*port_access_, base)));
  setWindowTitle(caption);
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
               platform::kAppTitle, platform::Icon::Exclamation);
    return;
  }
  LogMessage("System Log was Saved to MELDRIX5.LOG file");
}

void frmMain::PlayEventSound(std::string_view keyword) {
  sound_.Play(SoundPath(sound_directory_, keyword));
}

void frmMain::MessageBox(std::string_view text, std::string_view title, platform::Icon icon) {
  dialogs_->MessageBox(this, Q(text), Q(title), icon);
}

bool frmMain::AskOkCancel(std::string_view text, std::string_view title) {
  return dialogs_->AskOkCancel(this, Q(text), Q(title));
}

std::string frmMain::InputBox(std::string_view prompt, std::string_view title) {
  return S(dialogs_->InputBox(this, Q(prompt), Q(title)));
}

std::string frmMain::OpenFileDialog(std::string_view title, std::string_view filter) {
  return S(dialogs_->OpenFile(this, Q(title), Q(QtNameFilter(filter))));
}

platform::FileChoice frmMain::SaveFileDialog(std::string_view title, std::string_view filter,
                                             std::string_view offered) {
  platform::FileChoice choice;
  choice.path =
      S(dialogs_->SaveFile(this, Q(title), Q(QtNameFilter(filter)), Q(offered), choice.filter));
  return choice;
}

// --- Panel: controls by name
// ------------------------------------------------------------------------

QObject* frmMain::Control(Ref r) const {
  const auto it = controls_.find(KeyOf(r));
  return it == controls_.end() ? nullptr : it->second;
}

void frmMain::SetEnabled(Ref r, bool enabled) {
  QObject* object = Control(r);
  if (auto* action = qobject_cast<QAction*>(object)) action->setEnabled(enabled);
  if (auto* widget = qobject_cast<QWidget*>(object)) widget->setEnabled(enabled);
  // The toolbar's Verify button can be pressed exactly when Verify_button can.
  if (r == Ref(Ctl::Verify_button)) SetEnabled(Ctl::VerifyButton, enabled);
}

bool frmMain::Enabled(Ref r) const {
  QObject* object = Control(r);
  if (auto* action = qobject_cast<QAction*>(object)) return action->isEnabled();
  if (auto* widget = qobject_cast<QWidget*>(object)) {
    return !widget->testAttribute(Qt::WA_ForceDisabled);
  }
  return false;
}

void frmMain::SetVisible(Ref r, bool visible) {
  QObject* object = r == Ref(Ctl::VerifyButton) ? verify_action_ : Control(r);
  if (auto* action = qobject_cast<QAction*>(object)) action->setVisible(visible);
  if (auto* widget = qobject_cast<QWidget*>(object)) {
    if (widget != this) widget->setVisible(visible);
  }
}

bool frmMain::Visible(Ref r) const {
  QObject* object = r == Ref(Ctl::VerifyButton) ? verify_action_ : Control(r);
  if (auto* action = qobject_cast<QAction*>(object)) return action->isVisible();
  if (auto* widget = qobject_cast<QWidget*>(object)) {
    return widget == this ? isVisible() : !widget->isHidden();
  }
  return false;
}

void frmMain::SetCaption(Ref r, std::string_view text) {
  QObject* object = Control(r);
  if (object == nullptr) return;
  const QSignalBlocker quiet(object);
  const QString caption = Q(text);
  if (object == this) {
    setWindowTitle(caption);
  } else if (r == Ref(Ctl::sbStatusBar)) {
    status_text_->setText(caption);
    status_text_->setVisible(!caption.isEmpty() || status_crc_->text().isEmpty());
    status_crc_->setVisible(status_text_->isHidden());
    status_text_->repaint();  // "Reading Device... Wait" must show while the device is read
  } else if (auto* view = qobject_cast<TextView*>(object)) {
    view->SetText(std::string(text));
    if (view == system_log_) SystemLog_Change();
  } else if (auto* action = qobject_cast<QAction*>(object)) {
    action->setText(caption);
  } else if (auto* box = qobject_cast<QGroupBox*>(object)) {
    box->setTitle(caption);
  } else if (auto* button = qobject_cast<QAbstractButton*>(object)) {
    button->setText(caption);
  } else if (auto* label = qobject_cast<QLabel*>(object)) {
    label->setText(caption);
  } else if (auto* line = qobject_cast<QLineEdit*>(object)) {
    line->setText(caption);
  } else if (auto* list = qobject_cast<QComboBox*>(object)) {
    // The list shows this text while nothing is selected.
    list->setPlaceholderText(caption);
  } else if (auto* widget = qobject_cast<QWidget*>(object)) {
    widget->setWindowTitle(caption);
  }
}

std::string frmMain::Caption(Ref r) const {
  QObject* object = Control(r);
  if (object == nullptr) return {};
  if (object == this) return S(windowTitle());
  if (r == Ref(Ctl::sbStatusBar)) return S(status_text_->text());
  if (auto* view = qobject_cast<TextView*>(object)) return view->Text();
  if (auto* action = qobject_cast<QAction*>(object)) return S(action->text());
  if (auto* box = qobject_cast<QGroupBox*>(object)) return S(box->title());
  if (auto* button = qobject_cast<QAbstractButton*>(object)) return S(button->text());
  if (auto* label = qobject_cast<QLabel*>(object)) return S(label->text());
  if (auto* line = qobject_cast<QLineEdit*>(object)) return S(line->text());
  if (auto* list = qobject_cast<QComboBox*>(object)) {
    return S(list->currentIndex() < 0 ? list->placeholderText() : list->currentText());
  }
  if (auto* widget = qobject_cast<QWidget*>(object)) return S(widget->windowTitle());
  return {};
}

void frmMain::SetValue(Ref r, int value) {
  QObject* object = Control(r);
  if (object == nullptr) return;
  const QSignalBlocker quiet(object);
  if (auto* check = qobject_cast<QCheckBox*>(object)) {
    // 0 unchecked, 1 checked, 2 greyed.
    check->setTristate(value == 2);
    check->setCheckState(value == 1   ? Qt::Checked
                         : value == 2 ? Qt::PartiallyChecked
                                      : Qt::Unchecked);
  } else if (auto* option = qobject_cast<QRadioButton*>(object)) {
    option->setChecked(value != 0);
  } else if (auto* slider = qobject_cast<QAbstractSlider*>(object)) {
    slider->setValue(value);
  } else if (auto* bar = qobject_cast<QProgressBar*>(object)) {
    const int position = std::clamp(value, bar->minimum(), bar->maximum());
    if (position == bar->value()) return;
    bar->setValue(position);
    // The operation that steps the bar keeps the thread busy: paint it now.
    bar->repaint();
  }
}

int frmMain::Value(Ref r) const {
  QObject* object = Control(r);
  if (auto* check = qobject_cast<QCheckBox*>(object)) {
    switch (check->checkState()) {
      case Qt::Checked:
        return 1;
      case Qt::PartiallyChecked:
        return 2;
      case Qt::Unchecked:
        return 0;
    }
    return 0;
  }
  if (auto* option = qobject_cast<QRadioButton*>(object)) return option->isChecked() ? 1 : 0;
  if (auto* slider = qobject_cast<QAbstractSlider*>(object)) return slider->value();
  if (auto* bar = qobject_cast<QProgressBar*>(object)) return bar->value();
  return 0;
}

void frmMain::SetMax(Ref r, int max) {
  QObject* object = Control(r);
  if (object == nullptr) return;
  const QSignalBlocker quiet(object);
  if (auto* bar = qobject_cast<QProgressBar*>(object)) {
    maxima_[KeyOf(r)] = max;
    // A bar whose range is empty would show the busy animation instead of an empty bar.
    bar->setRange(0, std::max(max, 1));
  } else if (auto* slider = qobject_cast<QSlider*>(object)) {
    slider->setMaximum(max);
  } else if (auto* scroll = qobject_cast<QScrollBar*>(object)) {
    // A maximum below the minimum 0 (an image shorter than a page) keeps the range 0..0.
    maxima_[KeyOf(r)] = max;
    scroll->setRange(std::min(0, max), std::max(0, max));
  }
}

int frmMain::Max(Ref r) const {
  if (const auto it = maxima_.find(KeyOf(r)); it != maxima_.end()) return it->second;
  if (auto* slider = qobject_cast<QAbstractSlider*>(Control(r))) return slider->maximum();
  return 0;
}

void frmMain::PaintColours(Ref r) {
  auto* widget = qobject_cast<QWidget*>(Control(r));
  if (widget == nullptr) return;
  QPalette palette = widget->palette();
  const QPalette base = QApplication::palette();
  if (const auto fore = fore_.find(KeyOf(r)); fore != fore_.end()) {
    const QColor colour = ToQColor(fore->second, base);
    for (auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText}) {
      palette.setColor(QPalette::Active, role, colour);
      palette.setColor(QPalette::Inactive, role, colour);
    }
  }
  if (const auto back = back_.find(KeyOf(r)); back != back_.end()) {
    const QColor colour = ToQColor(back->second, base);
    for (auto role : {QPalette::Window, QPalette::Button, QPalette::Base}) {
      palette.setColor(role, colour);
    }
    widget->setAutoFillBackground(true);
  }
  widget->setPalette(palette);
}

void frmMain::SetForeColor(Ref r, Color color) {
  fore_[KeyOf(r)] = color;
  PaintColours(r);
}

Color frmMain::ForeColor(Ref r) const {
  const auto it = fore_.find(KeyOf(r));
  return it == fore_.end() ? platform::kButtonText : it->second;
}

void frmMain::SetBackColor(Ref r, Color color) {
  back_[KeyOf(r)] = color;
  PaintColours(r);
}

Color frmMain::BackColor(Ref r) const {
  const auto it = back_.find(KeyOf(r));
  return it == back_.end() ? platform::kButtonFace : it->second;
}

void frmMain::Repaint(Ref r) {
  if (auto* widget = qobject_cast<QWidget*>(Control(r))) widget->repaint();
}

// --- Panel: the device list ---------------------------------------------------------------------

void frmMain::ClearList() {
  const QSignalBlocker quiet(device_);
  device_->clear();
  device_->setCurrentIndex(-1);
}

void frmMain::AddListItem(std::string_view text) {
  const QSignalBlocker quiet(device_);
  device_->addItem(Q(text));
  // Adding to an empty list must not select the first entry.
  if (device_->count() == 1) device_->setCurrentIndex(-1);
}

int frmMain::ListCount() const {
  return device_->count();
}

std::string frmMain::ListItem(int index) const {
  if (index < 0 || index >= device_->count()) return {};
  return S(device_->itemText(index));
}

void frmMain::SetListIndex(int index) {
  const QSignalBlocker quiet(device_);
  device_->setCurrentIndex(index >= 0 && index < device_->count() ? index : -1);
}

int frmMain::ListIndex() const {
  return device_->currentIndex();
}

}  // namespace app
