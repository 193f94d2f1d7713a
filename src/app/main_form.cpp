#include "app/main_form.h"

#include <QCheckBox>
#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QSlider>
#include <QTextDocument>
#include <map>

#include "app/clickable_label.h"
#include "app/device_list.h"
#include "app/text_view.h"
#include "app/widget_kinds.h"

namespace app {
namespace {

using panel::Ctl;
using panel::Ref;

constexpr Place Left(int row, int column, int columns = 1) {
  return {Area::Left, Ctl::frmMain, row, column, columns};
}
constexpr Place Right(int row, int column, int columns = 1) {
  return {Area::Right, Ctl::frmMain, row, column, columns};
}
constexpr Place Indicators(int column) {
  return {Area::Indicators, Ctl::frmMain, 0, column, 1};
}
constexpr Place In(Ctl frame, int row, int column, int columns = 1) {
  return {Area::InFrame, frame, row, column, columns};
}

constexpr const char* kCareful =
    "Carefull. Few Eproms Use This Programming Voltage.  Can damage wrong eproms.";

// Frames come before what lies in them.
constexpr Ctl W = Ctl::frmMain;
constexpr FormControl kForm[] = {
    {Ctl::Frame2, Kind::Frame, W, "Select Device", "", 0, 0, Left(0, 0, 3)},
    {Ctl::Frame1, Kind::Frame, W, "", "", 0, 0, Left(1, 0, 3)},
    {Ctl::Frame3, Kind::Frame, W, "File Hex Display", "", 0, 0, Left(2, 0, 3)},
    {Ctl::Frame9, Kind::Frame, W, "Meldrix Hardware Found", "", 0, 0, Right(0, 0, 2)},
    {Ctl::Frame6, Kind::Frame, W, "System Log", "", 0, 0, Right(2, 0, 2)},
    {Ctl::Frame7, Kind::Frame, W, "", "", 0, 0, Left(3, 0, 2)},
    {Ctl::Frame8, Kind::Frame, W, "", "", 0, 0, Left(3, 2)},
    {Ctl::Frame4, Kind::Frame, W, "LPT Port Selection", "", 0, 0, Right(3, 0, 2)},
    {Ctl::Frame10, Kind::Frame, W, "Hi / Low Byte Programming",
     "All Bytes, Even Bytes or Odd Bytes", 0, 0, Right(4, 0, 2)},
    {Ctl::FrameVoltageSelection, Kind::Frame, W, "Select Device Programming Voltage", "", 0, 0,
     Right(5, 0, 2)},
    {Ctl::Frame5, Kind::Frame, W, "Optional Auto Operations", "", 0, 0, Right(7, 0, 2)},
    // The device and the first row of buttons.
    {Ctl::Device, Kind::List, W, "Please Select Device on this List", "", 0, 0,
     In(Ctl::Frame2, 0, 0)},
    {Ctl::PleaseSelect, Kind::Label, W, "Please  Select Device", "", 0, 0, In(Ctl::Frame2, 0, 1)},
    {Ctl::Read_button, Kind::Button, W, "Read ", "Read Whole Device to Buffer", 0, 0,
     In(Ctl::Frame1, 0, 0)},
    {Ctl::Blank_button, Kind::Button, W, "Blank Chk", "Check Device for Blank (Erased)", 0, 0,
     In(Ctl::Frame1, 0, 1)},
    {Ctl::Program_button, Kind::Button, W, "Program", "Program Device with Buffer Data", 0, 0,
     In(Ctl::Frame1, 0, 2)},
    {Ctl::Verify_button, Kind::Button, W, "Verify", "Verify (Compare) Device with File", 0, 0,
     In(Ctl::Frame1, 0, 3)},
    {Ctl::Display_button, Kind::Button, W, "Display", "Display Device's contents on Screen", 0, 0,
     In(Ctl::Frame1, 0, 4)},
    {Ctl::Erase_button, Kind::Button, W, "Erase Buffer", "Erase Buffer to all \"FF\"", 0, 0,
     In(Ctl::Frame1, 0, 5)},
    // The hex view and the log, which take the room the window has to spare.
    {Ctl::BufferDisplay, Kind::Page, Ctl::Frame3, "", "Double Click to Save to Meldrix5.Buf file",
     0, 0, In(Ctl::Frame3, 0, 0)},
    {Ctl::VScroll1, Kind::Scroll, Ctl::Frame3, "", "", 0, 0, In(Ctl::Frame3, 0, 1)},
    {Ctl::MeldrixHardwareFound, Kind::Label, Ctl::Frame9, "NO HARDWARE FOUND", "", 0, 0,
     In(Ctl::Frame9, 0, 0)},
    {Ctl::Error_label, Kind::ClickLabel, W, "ERROR", "", 0, 0, Indicators(0)},
    {Ctl::Program_label, Kind::Label, W, "Program", "", 0, 0, Indicators(1)},
    {Ctl::DataFlow_label, Kind::Label, W, "DataFlow", "", 0, 0, Indicators(2)},
    {Ctl::Ready_label, Kind::Label, W, "HwReady", "", 0, 0, Indicators(3)},
    {Ctl::SystemLog, Kind::Log, Ctl::Frame6, "", "Double Click to Save to Meldrix5.Log file", 0, 0,
     In(Ctl::Frame6, 0, 0)},
    // Below the hex view: the second row of buttons, the buffers, the files and the progress.
    {Ctl::EraseFlash_button, Kind::Button, W, "Erase Flsh", "Erase Flash or Eeprom", 0, 0,
     In(Ctl::Frame7, 0, 0)},
    {Ctl::TestHardware_button, Kind::Button, W, "TestPort", "Test Communication LPT port", 0, 0,
     In(Ctl::Frame7, 0, 1)},
    {Ctl::Show_button, Kind::Button, W, "Show Data", "", 0, 0, In(Ctl::Frame7, 0, 2)},
    {Ctl::Command1, Kind::Button, W, "Command1", "", 0, 0, In(Ctl::Frame7, 0, 3)},
    {Ctl::CheckCode, Kind::Check, W, "Code", "", 0, 0, In(Ctl::Frame8, 0, 0)},
    {Ctl::CheckData, Kind::Check, W, "Data", "", 0, 0, In(Ctl::Frame8, 0, 1)},
    {Ctl::FileNameCodeLabel, Kind::Label, W, "File Name (Code):", "", 0, 0, Left(4, 0)},
    {Ctl::FileNameCodeText, Kind::ClickLabel, W, "Click To Select a File", "", 0, 0, Left(4, 1)},
    {Ctl::FileNameCodeSize, Kind::Label, W, "(0 Bytes)", "", 0, 0, Left(4, 2)},
    {Ctl::FileNameDataLabel, Kind::Label, W, "File Name (Data):", "", 0, 0, Left(5, 0)},
    {Ctl::FileNameDataText, Kind::Label, W, "Click To Select a File", "", 0, 0, Left(5, 1)},
    {Ctl::FileNameDataSize, Kind::Label, W, "(0 Bytes)", "", 0, 0, Left(5, 2)},
    {Ctl::ProgressBar1, Kind::Progress, W, "", "", 0, 100, Left(7, 0, 2)},
    // The options on the right. The port options are the window's own group, shown in Frame4.
    {panel::LPTSelection(0), Kind::Option, W, "378h", "", 0, 0, In(Ctl::Frame4, 0, 0)},
    {panel::LPTSelection(1), Kind::Option, W, "278h", "", 1, 0, In(Ctl::Frame4, 0, 1)},
    {panel::LPTSelection(2), Kind::Option, W, "3BCh", "", 0, 0, In(Ctl::Frame4, 0, 2)},
    {Ctl::PortSelected, Kind::Field, Ctl::Frame4, "", "", 0, 0, In(Ctl::Frame4, 0, 3)},
    {panel::HiLow_button(0), Kind::Option, Ctl::Frame10, "Both", "", 1, 0, In(Ctl::Frame10, 0, 0)},
    {panel::HiLow_button(1), Kind::Option, Ctl::Frame10, "Hi Byte", "", 0, 0,
     In(Ctl::Frame10, 0, 1)},
    {panel::HiLow_button(2), Kind::Option, Ctl::Frame10, "Low Byte", "", 0, 0,
     In(Ctl::Frame10, 0, 2)},
    {panel::Voltage_button(0), Kind::Option, Ctl::FrameVoltageSelection, "5V", "", 0, 0,
     In(Ctl::FrameVoltageSelection, 0, 0)},
    {panel::Voltage_button(1), Kind::Option, Ctl::FrameVoltageSelection, "12.5V",
     "Most CMOS actual Eproms use this Programming Voltage.", 1, 0,
     In(Ctl::FrameVoltageSelection, 0, 1)},
    {panel::Voltage_button(2), Kind::Option, Ctl::FrameVoltageSelection, "21V", kCareful, 0, 0,
     In(Ctl::FrameVoltageSelection, 0, 2)},
    {panel::Voltage_button(3), Kind::Option, Ctl::FrameVoltageSelection, "25V", kCareful, 0, 0,
     In(Ctl::FrameVoltageSelection, 0, 3)},
    {Ctl::Label4, Kind::Label, W, "Program Speed", "", 0, 0, Right(6, 0)},
    {Ctl::Slider1, Kind::Slider, W, "", "Slow Down or Speed Up Programming Speed", 18, 20,
     Right(6, 1)},
    {Ctl::CheckBlankPriorProgramming, Kind::Check, W, "Check Blank Before Programming", "", 0, 0,
     In(Ctl::Frame5, 0, 0)},
    {Ctl::VerifyAfterProgramming, Kind::Check, W, "Verify Device After Programming", "", 0, 0,
     In(Ctl::Frame5, 1, 0)},
};

// Stands in a frame's grid for a control of the window shown over the frame: it takes the room
// the control asks for and keeps the control on the room it was given.
class StandIn final : public QWidget {
 public:
  StandIn(QWidget& shown, QWidget& host) : QWidget(&host), shown_(shown) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setSizePolicy(shown.sizePolicy());
    host.installEventFilter(this);
    shown.installEventFilter(this);
  }
  QSize sizeHint() const override { return shown_.sizeHint(); }
  QSize minimumSizeHint() const override { return shown_.minimumSizeHint(); }

 protected:
  void moveEvent(QMoveEvent* event) override {
    QWidget::moveEvent(event);
    Follow();
  }
  void resizeEvent(QResizeEvent* event) override {
    QWidget::resizeEvent(event);
    Follow();
  }
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (watched == parent() && event->type() == QEvent::Move) Follow();
    // A new caption or font changes the room the control asks for.
    if (watched == &shown_ && event->type() == QEvent::LayoutRequest) updateGeometry();
    return false;
  }

 private:
  void Follow() {
    shown_.setGeometry(QRect(mapTo(shown_.parentWidget(), QPoint(0, 0)), size()));
    shown_.raise();
  }
  QWidget& shown_;
};

QGridLayout* NewGrid(QWidget* host, int margin, int spacing) {
  auto* grid = new QGridLayout(host);
  grid->setContentsMargins(margin, margin / 2, margin, margin / 2);
  grid->setSpacing(spacing);
  return grid;
}

const WidgetKind& AdapterOf(Kind kind) {
  switch (kind) {
    case Kind::Frame:
      return kinds::Frame();
    case Kind::Label:
    case Kind::ClickLabel:
      return kinds::Label();
    case Kind::Button:
      return kinds::Button();
    case Kind::Check:
      return kinds::Check();
    case Kind::Option:
      return kinds::Option();
    case Kind::Field:
      return kinds::Field();
    case Kind::Log:
    case Kind::Page:
      return kinds::Text();
    case Kind::List:
      return kinds::List();
    case Kind::Scroll:
      return kinds::Scroll();
    case Kind::Slider:
      return kinds::Slider();
    case Kind::Progress:
      return kinds::Progress();
  }
  return kinds::Plain();
}

QLabel* NewLabel(QLabel* label, const FormControl& row) {
  label->setTextFormat(Qt::PlainText);
  if (row.place.area == Area::Indicators || row.parent == Ctl::Frame9) {
    label->setAlignment(Qt::AlignCenter);
  }
  return label;
}

QWidget* NewOption(const FormControl& row, QWidget* parent) {
  auto* option = new QRadioButton(row.caption, parent);
  option->setAutoExclusive(false);  // the core selects and clears the options of a group
  option->setChecked(row.value == 1);
  return option;
}

QWidget* NewSlider(const FormControl& row, QWidget* parent) {
  auto* slider = new QSlider(Qt::Horizontal, parent);
  slider->setRange(1, row.max);
  slider->setSingleStep(1);
  slider->setPageStep(5);
  slider->setValue(row.value);
  slider->setTickPosition(QSlider::TicksBelow);
  slider->setTracking(false);  // one change when the operator lets go
  return slider;
}

QWidget* NewScroll(const FormControl& row, QWidget* parent) {
  auto* scroll = new QScrollBar(Qt::Vertical, parent);
  scroll->setRange(0, row.max);
  scroll->setTracking(false);  // the page is drawn when the thumb is let go
  scroll->setProperty("coreMax", row.max);
  return scroll;
}

QWidget* NewProgress(const FormControl& row, QWidget* parent) {
  auto* bar = new QProgressBar(parent);
  bar->setRange(0, row.max);
  bar->setValue(0);
  bar->setTextVisible(false);
  bar->setProperty("coreMax", row.max);
  return bar;
}

QWidget* NewList(const FormControl& row, QWidget* parent) {
  auto* list = new DeviceList(parent);
  list->setPlaceholderText(row.caption);
  list->setCurrentIndex(-1);
  QFont fixed("Monospace");
  fixed.setStyleHint(QFont::TypeWriter);
  list->setFont(fixed);
  list->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
  list->setMinimumContentsLength(24);
  list->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
  return list;
}

QWidget* NewPage(QWidget* parent) {
  auto* view = new TextView(parent);
  QFont font("Arial Monospaced");
  // Where the named font is missing, a monospaced one with short lines, for the largest font
  // that fits a page.
  font.setFamilies({"Arial Monospaced", "DejaVu Sans Mono", "Liberation Mono", "Monospace"});
  font.setStyleHint(QFont::TypeWriter);
  font.setFixedPitch(true);
  view->setFont(font);
  // The frame sets the view's size; the view fits its font to it.
  view->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Ignored);
  view->document()->setDocumentMargin(2);
  view->ShowWhole(kPageLines, kPageColumns);
  return view;
}

QWidget* NewLog(QWidget* parent) {
  auto* log = new TextView(parent);
  log->setLineWrapMode(QPlainTextEdit::WidgetWidth);
  log->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Ignored);
  // At its smallest the log still shows its last few lines.
  log->setMinimumHeight(log->fontMetrics().lineSpacing() * 5);
  return log;
}

QWidget* NewControl(const FormControl& row, QWidget* parent) {
  switch (row.kind) {
    case Kind::Frame:
      return new QGroupBox(row.caption, parent);
    case Kind::Label:
      return NewLabel(new QLabel(row.caption, parent), row);
    case Kind::ClickLabel:
      return NewLabel(new ClickableLabel(row.caption, parent), row);
    case Kind::Button:
      return new QPushButton(row.caption, parent);
    case Kind::Check:
      return new QCheckBox(row.caption, parent);
    case Kind::Option:
      return NewOption(row, parent);
    case Kind::Field: {
      auto* field = new QLineEdit(parent);
      field->setReadOnly(true);
      field->setMaximumWidth(field->fontMetrics().horizontalAdvance("0000h") * 2);
      return field;
    }
    case Kind::Log:
      return NewLog(parent);
    case Kind::Page:
      return NewPage(parent);
    case Kind::List:
      return NewList(row, parent);
    case Kind::Scroll:
      return NewScroll(row, parent);
    case Kind::Slider:
      return NewSlider(row, parent);
    case Kind::Progress:
      return NewProgress(row, parent);
  }
  return nullptr;
}

// The grids of the window, and each frame's grid once something is placed in it.
class Arrangement {
 public:
  explicit Arrangement(QWidget& client) {
    auto* window = new QHBoxLayout(&client);
    window->setContentsMargins(6, 3, 6, 3);
    window->setSpacing(6);
    left_ = new QGridLayout;
    right_ = new QGridLayout;
    for (QGridLayout* column : {left_, right_}) column->setSpacing(4);
    // The hex view and the log take the room to spare in equal shares: the page is whole at any
    // width, while a log line needs the width of some 70 characters to stay on one line.
    window->addLayout(left_, 1);
    window->addLayout(right_, 1);
    left_->setRowStretch(2, 1);
    left_->setColumnStretch(1, 1);
    right_->setRowStretch(2, 1);
    right_->setColumnStretch(1, 1);

    // Decoration: a box around the indicators, a rule above the progress bar.
    auto* box = new QFrame(&client);
    box->setObjectName("Shape2");
    box->setFrameShape(QFrame::Box);
    indicators_ = NewGrid(box, 2, 2);
    right_->addWidget(box, 1, 0, 1, 2);
    auto* line = new QFrame(&client);
    line->setObjectName("Line1");
    line->setFrameShape(QFrame::HLine);
    left_->addWidget(line, 6, 0, 1, 3);
  }

  void AddFrame(Ctl ctl, QWidget& frame) { frames_[ctl] = &frame; }
  QWidget& Frame(Ctl ctl) const { return *frames_.at(ctl); }

  // Puts the control in its grid, itself where it is a child of the grid's widget, else a
  // stand-in for it.
  void Put(QWidget& control, const Place& place, Qt::Alignment align = {}) {
    QGridLayout* grid = GridOf(place);
    QWidget* item = &control;
    if (control.parentWidget() != grid->parentWidget()) {
      item = new StandIn(control, *grid->parentWidget());
    }
    QSizePolicy policy = control.sizePolicy();
    policy.setRetainSizeWhenHidden(true);  // a control hidden by the core keeps its place
    control.setSizePolicy(policy);
    item->setSizePolicy(policy);
    grid->addWidget(item, place.row, place.column, 1, place.columns, align);
  }

 private:
  QGridLayout* GridOf(const Place& place) {
    switch (place.area) {
      case Area::Left:
        return left_;
      case Area::Right:
        return right_;
      case Area::Indicators:
        return indicators_;
      case Area::InFrame:
        break;
    }
    QWidget& frame = Frame(place.frame);
    if (auto* grid = qobject_cast<QGridLayout*>(frame.layout())) return grid;
    return NewGrid(&frame, 6, 4);
  }

  QGridLayout* left_;
  QGridLayout* right_;
  QGridLayout* indicators_;
  std::map<Ctl, QWidget*> frames_;
};

}  // namespace

std::span<const FormControl> FormControls() {
  return kForm;
}

QPushButton* BuildForm(QWidget& client, const AddControl& add) {
  Arrangement arrangement(client);
  for (const FormControl& row : kForm) {
    QWidget* parent = row.parent == Ctl::frmMain ? &client : &arrangement.Frame(row.parent);
    QWidget* control = NewControl(row, parent);
    if (*row.tooltip != '\0') control->setToolTip(row.tooltip);
    if (row.kind == Kind::Frame) arrangement.AddFrame(row.ref.ctl, *control);
    add(row.ref, *control, AdapterOf(row.kind));
    // An option or check box is as wide as its caption: a click beside the caption, in a wide
    // window, would not reach it.
    const bool captioned = row.kind == Kind::Option || row.kind == Kind::Check;
    arrangement.Put(*control, row.place, captioned ? Qt::AlignLeft : Qt::Alignment());
  }
  // The design geometry of the hex view's frame is the smallest it gets.
  arrangement.Frame(Ctl::Frame3).setMinimumSize(481, 241);

  // Shown beside the progress bar only while an operation runs; Esc does the same.
  auto* stop = new QPushButton("Stop", &client);
  stop->setObjectName("Stop_button");
  stop->setToolTip("Stop the Operation (Esc)");
  arrangement.Put(*stop, Left(7, 2));
  stop->hide();
  return stop;
}

}  // namespace app
