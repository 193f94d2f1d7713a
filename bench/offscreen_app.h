#pragma once

#include <QApplication>

namespace bench {

// The one application of a benchmark program that measures widgets, on the offscreen platform
// unless another is asked for.
inline QApplication& OffscreenApplication() {
  static int argc = 1;
  static char name[] = "bench";
  static char* argv[] = {name, nullptr};
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  static QApplication application(argc, argv);
  return application;
}

}  // namespace bench
