// The main window as the core sees it: every control by name, through its kind's adapter.
#include <QApplication>
#include <QLabel>
#include <QSignalBlocker>
#include <array>

#include "app/frm_main.h"
#include "app/qt_text.h"

namespace app {

using panel::Color;
using panel::Ctl;
using panel::Ref;

namespace {

// A colour in 00BBGGRR form, or one of the platform's system colours.
QColor ToQColor(Color color, const QPalette& palette) {
  switch (color) {
    case panel::kButtonFace:
      return palette.color(QPalette::Button);
    case panel::kGreyText:
      return QColor(0x80, 0x80, 0x80);
    case panel::kButtonText:
      return palette.color(QPalette::ButtonText);
    case panel::kButtonHighlight:
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

}  // namespace

// Design-time colours: indicators off (grey text) on a dark ground so that lit (white) and off
// both read well; the board announcement yellow.
void frmMain::ApplyDesignColours() {
  for (Ctl label : kIndicators) {
    back_[KeyOf(label)] = kIndicatorGround;
    SetForeColor(label, panel::kGreyText);
  }
  back_[KeyOf(Ctl::MeldrixHardwareFound)] = kAnnouncementGround;
  SetForeColor(Ctl::MeldrixHardwareFound, panel::kYellow);
}

// --- Panel: controls by name
// ------------------------------------------------------------------------

QObject* frmMain::Control(Ref r) const {
  const auto it = controls_.find(KeyOf(r));
  return it == controls_.end() ? nullptr : it->second.object;
}

const WidgetKind& frmMain::KindOf(Ref r) const {
  const auto it = controls_.find(KeyOf(r));
  return it == controls_.end() ? kinds::Plain() : *it->second.kind;
}

void frmMain::SetEnabled(Ref r, bool enabled) {
  // A control held while an operation runs shows the state given once it has ended.
  if (!KeepHeldEnabled(r, enabled)) {
    if (QObject* object = Control(r)) KindOf(r).SetEnabled(*object, enabled);
  }
  // The toolbar's Verify and Compare buttons and the Compare menu entry can be used exactly when
  // Verify_button can: Compare walks what Verify walks.
  if (r == Ref(Ctl::Verify_button)) {
    for (Ctl follower : {Ctl::VerifyButton, Ctl::CompareButton, Ctl::menuCompareCode}) {
      SetEnabled(follower, enabled);
    }
  }
}

bool frmMain::Enabled(Ref r) const {
  if (const auto held = HeldEnabled(r)) return *held;
  const QObject* object = Control(r);
  return object != nullptr && KindOf(r).Enabled(*object);
}

void frmMain::SetVisible(Ref r, bool visible) {
  if (QObject* object = Control(r)) KindOf(r).SetVisible(*object, visible);
}

bool frmMain::Visible(Ref r) const {
  const QObject* object = Control(r);
  return object != nullptr && KindOf(r).Visible(*object);
}

void frmMain::SetCaption(Ref r, std::string_view text) {
  QObject* object = Control(r);
  if (object == nullptr) return;
  const QSignalBlocker quiet(object);
  if (r == Ref(Ctl::sbStatusBar)) {
    status_text_->setText(Q(text));
    status_text_->setVisible(!text.empty() || status_crc_->text().isEmpty());
    status_crc_->setVisible(status_text_->isHidden());
    status_text_->repaint();  // "Reading Device... Wait" must show while the device is read
    return;
  }
  KindOf(r).SetCaption(*object, Q(text));
  if (r == Ref(Ctl::SystemLog)) SystemLog_Change();
}

std::string frmMain::Caption(Ref r) const {
  const QObject* object = Control(r);
  if (object == nullptr) return {};
  if (r == Ref(Ctl::sbStatusBar)) return S(status_text_->text());
  return S(KindOf(r).Caption(*object));
}

void frmMain::SetValue(Ref r, int value) {
  QObject* object = Control(r);
  if (object == nullptr) return;
  const QSignalBlocker quiet(object);
  KindOf(r).SetValue(*object, value);
}

int frmMain::Value(Ref r) const {
  const QObject* object = Control(r);
  return object == nullptr ? 0 : KindOf(r).Value(*object);
}

void frmMain::SetMax(Ref r, int max) {
  QObject* object = Control(r);
  if (object == nullptr) return;
  const QSignalBlocker quiet(object);
  KindOf(r).SetMax(*object, max);
}

int frmMain::Max(Ref r) const {
  const QObject* object = Control(r);
  return object == nullptr ? 0 : KindOf(r).Max(*object);
}

void frmMain::PaintColours(Ref r) {
  auto* widget = Widget<QWidget>(r);
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
  if (r == Ref(Ctl::Error_label)) ErrorIndicatorChanged(color == panel::kWhite);
}

Color frmMain::ForeColor(Ref r) const {
  const auto it = fore_.find(KeyOf(r));
  return it == fore_.end() ? panel::kButtonText : it->second;
}

void frmMain::SetBackColor(Ref r, Color color) {
  back_[KeyOf(r)] = color;
  PaintColours(r);
}

Color frmMain::BackColor(Ref r) const {
  const auto it = back_.find(KeyOf(r));
  return it == back_.end() ? panel::kButtonFace : it->second;
}

void frmMain::Repaint(Ref r) {
  if (auto* widget = Widget<QWidget>(r)) widget->repaint();
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
  // A device without an algorithm stays listed, greyed: choosing it is refused.
  if (text.starts_with("N/A - ")) {
    device_->setItemData(device_->count() - 1,
                         QApplication::palette().color(QPalette::Disabled, QPalette::Text),
                         Qt::ForegroundRole);
  }
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
