#pragma once

#include <QLabel>

namespace app {

// A label the operator can click (the error indicator, the code file name).
class ClickableLabel final : public QLabel {
  Q_OBJECT
 public:
  using QLabel::QLabel;
 signals:
  void clicked();

 protected:
  void mouseReleaseEvent(QMouseEvent* event) override;
};

}  // namespace app
