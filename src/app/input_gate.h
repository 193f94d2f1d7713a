#pragma once

#include <QObject>
#include <functional>

class QWidget;

namespace app {

// Installed on the application while an operation runs: the operator's input to the main window
// (clicks, keys, wheel, menus, shortcuts) is dropped, so that nothing given meanwhile runs after
// the operation. Two things pass: a click on the Stop control, and the Esc key, which asks to
// stop. Dialogs the operation opens, and the other windows, take their input as usual.
class InputGate final : public QObject {
 public:
  InputGate(QWidget& window, QWidget& stop_control, std::function<void()> ask_stop);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QWidget& window_;
  QWidget& stop_control_;
  std::function<void()> ask_stop_;
};

}  // namespace app
