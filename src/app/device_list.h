#pragma once

#include <QComboBox>

namespace app {

// The device drop-down list. The mouse wheel chooses a device only while the list has the
// keyboard focus (or is open): a wheel turned over the closed list on the way to the hex view
// or the log must not select one device after another, each selection driving the board.
class DeviceList final : public QComboBox {
  Q_OBJECT
 public:
  explicit DeviceList(QWidget* parent);

 protected:
  void wheelEvent(QWheelEvent* event) override;
};

}  // namespace app
