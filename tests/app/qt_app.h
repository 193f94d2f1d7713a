#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <memory>

namespace app_testing {

// One QApplication for the whole test program (offscreen); an application made elsewhere in the
// program is used as it is. It is destroyed when the tests have
// run, before the program's static objects go: destroyed among them it would outlive Qt's own
// and crash on the way out.
inline QApplication& SharedApplication() {
  struct Owner final : ::testing::Environment {
    std::unique_ptr<QApplication> application;
    void TearDown() override { application.reset(); }
  };
  static Owner* const owner = [] {
    auto* created = new Owner;                     // gtest owns it from here
    ::testing::AddGlobalTestEnvironment(created);  // NOLINT: the environment outlives the tests
    return created;
  }();
  static int argc = 1;
  static char name[] = "app_tests";
  static char* argv[] = {name, nullptr};
  if (auto* running = qobject_cast<QApplication*>(QCoreApplication::instance())) return *running;
  owner->application = std::make_unique<QApplication>(argc, argv);
  return *owner->application;
}

}  // namespace app_testing
