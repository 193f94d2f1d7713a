#include "app/widget_kinds.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QSlider>
#include <QToolBar>
#include <algorithm>

#include "app/text_view.h"

namespace app {
namespace {

// Every adapter is handed only the controls it was registered with.
template <typename W>
W& As(QObject& control) {
  return static_cast<W&>(control);
}
template <typename W>
const W& As(const QObject& control) {
  return static_cast<const W&>(control);
}

// The maximum the core set, kept beside the range the widget can show.
constexpr const char* kCoreMax = "coreMax";

int CoreMax(const QObject& control) {
  return control.property(kCoreMax).toInt();
}

class WindowKind final : public WidgetKind {
 public:
  void SetVisible(QObject&, bool) const override {}  // the window is never hidden by the core
  bool Visible(const QObject& c) const override { return As<QWidget>(c).isVisible(); }
  void SetCaption(QObject& c, const QString& text) const override {
    As<QWidget>(c).setWindowTitle(text);
  }
  QString Caption(const QObject& c) const override { return As<QWidget>(c).windowTitle(); }
};

class FrameKind final : public WidgetKind {
 public:
  void SetCaption(QObject& c, const QString& text) const override {
    As<QGroupBox>(c).setTitle(text);
  }
  QString Caption(const QObject& c) const override { return As<QGroupBox>(c).title(); }
};

class LabelKind final : public WidgetKind {
 public:
  void SetCaption(QObject& c, const QString& text) const override { As<QLabel>(c).setText(text); }
  QString Caption(const QObject& c) const override { return As<QLabel>(c).text(); }
};

class ButtonKind : public WidgetKind {
 public:
  void SetCaption(QObject& c, const QString& text) const override {
    As<QAbstractButton>(c).setText(text);
  }
  QString Caption(const QObject& c) const override { return As<QAbstractButton>(c).text(); }
};

class CheckKind final : public ButtonKind {
 public:
  void SetValue(QObject& c, int value) const override {
    auto& check = As<QCheckBox>(c);
    check.setTristate(value == 2);
    check.setCheckState(value == 1   ? Qt::Checked
                        : value == 2 ? Qt::PartiallyChecked
                                     : Qt::Unchecked);
  }
  int Value(const QObject& c) const override {
    switch (As<QCheckBox>(c).checkState()) {
      case Qt::Checked:
        return 1;
      case Qt::PartiallyChecked:
        return 2;
      case Qt::Unchecked:
        break;
    }
    return 0;
  }
};

class OptionKind final : public ButtonKind {
 public:
  void SetValue(QObject& c, int value) const override {
    As<QRadioButton>(c).setChecked(value != 0);
  }
  int Value(const QObject& c) const override { return As<QRadioButton>(c).isChecked() ? 1 : 0; }
};

class FieldKind final : public WidgetKind {
 public:
  void SetCaption(QObject& c, const QString& text) const override {
    As<QLineEdit>(c).setText(text);
  }
  QString Caption(const QObject& c) const override { return As<QLineEdit>(c).text(); }
};

class TextKind final : public WidgetKind {
 public:
  void SetCaption(QObject& c, const QString& text) const override {
    auto& view = As<TextView>(c);
    view.SetText(text.toStdString());
  }
  QString Caption(const QObject& c) const override {
    return QString::fromStdString(As<TextView>(c).Text());
  }
};

class ListKind final : public WidgetKind {
 public:
  void SetCaption(QObject& c, const QString& text) const override {
    As<QComboBox>(c).setPlaceholderText(text);
  }
  QString Caption(const QObject& c) const override {
    const auto& list = As<QComboBox>(c);
    return list.currentIndex() < 0 ? list.placeholderText() : list.currentText();
  }
};

class SliderKind : public WidgetKind {
 public:
  void SetValue(QObject& c, int value) const override { As<QAbstractSlider>(c).setValue(value); }
  int Value(const QObject& c) const override { return As<QAbstractSlider>(c).value(); }
  void SetMax(QObject& c, int max) const override { As<QAbstractSlider>(c).setMaximum(max); }
  int Max(const QObject& c) const override { return As<QAbstractSlider>(c).maximum(); }
};

class ScrollKind final : public SliderKind {
 public:
  // A maximum below the minimum 0 (an image shorter than a page) keeps the range 0..0.
  void SetMax(QObject& c, int max) const override {
    c.setProperty(kCoreMax, max);
    As<QScrollBar>(c).setRange(std::min(0, max), std::max(0, max));
  }
  int Max(const QObject& c) const override { return CoreMax(c); }
};

class ProgressKind final : public WidgetKind {
 public:
  void SetValue(QObject& c, int value) const override {
    auto& bar = As<QProgressBar>(c);
    const int position = std::clamp(value, bar.minimum(), bar.maximum());
    if (position == bar.value()) return;
    bar.setValue(position);
    // The operation that steps the bar keeps the thread busy: paint it now.
    bar.repaint();
  }
  int Value(const QObject& c) const override { return As<QProgressBar>(c).value(); }
  // A bar whose range is empty would show the busy animation instead of an empty bar.
  void SetMax(QObject& c, int max) const override {
    c.setProperty(kCoreMax, max);
    As<QProgressBar>(c).setRange(0, std::max(max, 1));
  }
  int Max(const QObject& c) const override { return CoreMax(c); }
};

class MenuEntryKind final : public WidgetKind {
 public:
  void SetEnabled(QObject& c, bool enabled) const override { As<QAction>(c).setEnabled(enabled); }
  bool Enabled(const QObject& c) const override { return As<QAction>(c).isEnabled(); }
  void SetVisible(QObject& c, bool visible) const override { As<QAction>(c).setVisible(visible); }
  bool Visible(const QObject& c) const override { return As<QAction>(c).isVisible(); }
  void SetCaption(QObject& c, const QString& text) const override { As<QAction>(c).setText(text); }
  QString Caption(const QObject& c) const override { return As<QAction>(c).text(); }
};

// A widget on a toolbar is shown and hidden through the toolbar's action that holds it.
class ToolbarWidgetKind final : public ButtonKind {
 public:
  void SetVisible(QObject& c, bool visible) const override {
    if (QAction* action = HoldingAction(As<QWidget>(c))) action->setVisible(visible);
  }
  bool Visible(const QObject& c) const override {
    const QAction* action = HoldingAction(As<QWidget>(c));
    return action != nullptr && action->isVisible();
  }

 private:
  static QAction* HoldingAction(const QWidget& widget) {
    auto* bar = qobject_cast<QToolBar*>(widget.parentWidget());
    if (bar == nullptr) return nullptr;
    for (QAction* action : bar->actions()) {
      if (bar->widgetForAction(action) == &widget) return action;
    }
    return nullptr;
  }
};

class PlainKind final : public WidgetKind {};

}  // namespace

void WidgetKind::SetEnabled(QObject& control, bool enabled) const {
  As<QWidget>(control).setEnabled(enabled);
}

// A control disabled by the core reads disabled even while its frame or window is.
bool WidgetKind::Enabled(const QObject& control) const {
  return !As<QWidget>(control).testAttribute(Qt::WA_ForceDisabled);
}

void WidgetKind::SetVisible(QObject& control, bool visible) const {
  As<QWidget>(control).setVisible(visible);
}

bool WidgetKind::Visible(const QObject& control) const {
  return !As<QWidget>(control).isHidden();
}

namespace kinds {
namespace {
template <typename K>
const WidgetKind& One() {
  static const K kind;
  return kind;
}
}  // namespace

const WidgetKind& Window() {
  return One<WindowKind>();
}
const WidgetKind& Frame() {
  return One<FrameKind>();
}
const WidgetKind& Label() {
  return One<LabelKind>();
}
const WidgetKind& Button() {
  return One<ButtonKind>();
}
const WidgetKind& Check() {
  return One<CheckKind>();
}
const WidgetKind& Option() {
  return One<OptionKind>();
}
const WidgetKind& Field() {
  return One<FieldKind>();
}
const WidgetKind& Text() {
  return One<TextKind>();
}
const WidgetKind& List() {
  return One<ListKind>();
}
const WidgetKind& Scroll() {
  return One<ScrollKind>();
}
const WidgetKind& Slider() {
  return One<SliderKind>();
}
const WidgetKind& Progress() {
  return One<ProgressKind>();
}
const WidgetKind& MenuEntry() {
  return One<MenuEntryKind>();
}
const WidgetKind& ToolbarWidget() {
  return One<ToolbarWidgetKind>();
}
const WidgetKind& Plain() {
  return One<PlainKind>();
}
}  // namespace kinds

}  // namespace app
