#pragma once

#include <QString>

class QObject;

namespace app {

// What the core asks of a control, done the way its kind of widget does it. One adapter per
// kind is registered with each control, so that the window never asks a widget what it is.
class WidgetKind {
 public:
  virtual ~WidgetKind() = default;

  virtual void SetEnabled(QObject& control, bool enabled) const;
  virtual bool Enabled(const QObject& control) const;
  virtual void SetVisible(QObject& control, bool visible) const;
  virtual bool Visible(const QObject& control) const;
  virtual void SetCaption(QObject& /*control*/, const QString& /*text*/) const {}
  virtual QString Caption(const QObject& /*control*/) const { return {}; }
  virtual void SetValue(QObject& /*control*/, int /*value*/) const {}
  virtual int Value(const QObject& /*control*/) const { return 0; }
  // The maximum as the core set it; the widget may hold a range it can show.
  virtual void SetMax(QObject& /*control*/, int /*max*/) const {}
  virtual int Max(const QObject& /*control*/) const { return 0; }
};

// The adapters, one per kind of control of the window.
namespace kinds {
const WidgetKind& Window();  // the main window: its caption is the title
const WidgetKind& Frame();   // a group box: its caption is the title
const WidgetKind& Label();
const WidgetKind& Button();  // push button
const WidgetKind& Check();   // check box: 0 unchecked, 1 checked, 2 greyed
const WidgetKind& Option();  // option button: 0 / 1
const WidgetKind& Field();   // one-line text box
const WidgetKind& Text();    // multi-line text view, exact text kept
const WidgetKind& List();    // drop-down list: shows its caption while nothing is chosen
const WidgetKind& Scroll();  // scroll bar: a maximum below 0 keeps the range 0..0
const WidgetKind& Slider();
const WidgetKind& Progress();       // progress bar: stepped and painted at once
const WidgetKind& MenuEntry();      // menu entry, submenu or toolbar button (an action)
const WidgetKind& ToolbarWidget();  // a widget placed on a toolbar: shown and hidden there
const WidgetKind& Plain();          // nothing but enabling and showing
}  // namespace kinds

}  // namespace app
