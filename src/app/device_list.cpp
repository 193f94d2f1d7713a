#include "app/device_list.h"

#include <QWheelEvent>

namespace app {

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

}  // namespace app
