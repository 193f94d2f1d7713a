#include "app/input_gate.h"

#include <QEvent>
#include <QKeyEvent>
#include <QWidget>
#include <utility>

namespace app {
namespace {

bool IsOperatorInput(QEvent::Type type) {
  switch (type) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::NonClientAreaMouseButtonPress:
    case QEvent::NonClientAreaMouseButtonRelease:
    case QEvent::NonClientAreaMouseButtonDblClick:
    case QEvent::Wheel:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::Shortcut:
    case QEvent::ContextMenu:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
    case QEvent::TabletPress:
    case QEvent::TabletRelease:
    case QEvent::Drop:
      return true;
    default:
      return false;
  }
}

bool IsMouseButton(QEvent::Type type) {
  return type == QEvent::MouseButtonPress || type == QEvent::MouseButtonRelease ||
         type == QEvent::MouseButtonDblClick;
}

}  // namespace

InputGate::InputGate(QWidget& window, QWidget& stop_control, std::function<void()> ask_stop)
    : window_(window), stop_control_(stop_control), ask_stop_(std::move(ask_stop)) {}

bool InputGate::eventFilter(QObject* watched, QEvent* event) {
  const QEvent::Type type = event->type();
  if (!IsOperatorInput(type)) return false;
  auto* widget = qobject_cast<QWidget*>(watched);
  if (widget == nullptr || widget->window() != &window_) return false;
  if (widget == &stop_control_ && IsMouseButton(type)) return false;
  if (type == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
    ask_stop_();
  }
  // An accepted override keeps a key from reaching the window's shortcuts and menu keys.
  if (type == QEvent::ShortcutOverride) event->accept();
  return true;
}

}  // namespace app
