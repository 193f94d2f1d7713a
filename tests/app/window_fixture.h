#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QMouseEvent>
#include <QString>
#include <QWidget>
#include <deque>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "app/dialogs.h"
#include "app/frm_main.h"
#include "operations/programmer.h"
#include "platform/recording_machine.h"
#include "platform/settings_store.h"
#include "platform/sound.h"
#include "qt_app.h"
#include "support/fake_clock.h"
#include "support/temp_dir.h"

namespace app_testing {

inline QApplication& QtApp() {
  return SharedApplication();
}

// A settings store in memory.
class MemorySettings final : public platform::SettingsStore {
 public:
  std::optional<std::string> Get(std::string_view section, std::string_view key) const override {
    const auto it = values.find(std::string(section) + "/" + std::string(key));
    if (it == values.end()) return std::nullopt;
    return it->second;
  }
  void Put(std::string_view section, std::string_view key, std::string_view value) override {
    values[std::string(section) + "/" + std::string(key)] = std::string(value);
    ++puts;
  }
  std::map<std::string, std::string> values;
  int puts = 0;
};

// Keeps the paths it was asked to play.
class RecordingSound final : public platform::SoundPlayer {
 public:
  void Play(const std::string& wav_path) override { played.push_back(wav_path); }
  std::vector<std::string> played;
};

// Answers the window's dialogs for the operator and keeps what they showed.
class FakeDialogs final : public app::Dialogs {
 public:
  struct Box {
    QString text, title;
    panel::Icon icon;
  };
  struct State {
    std::vector<Box> boxes;
    std::vector<QString> titles;  // file dialogs
    std::vector<QString> filters;
    std::deque<QString> replies;
    std::deque<bool> answers;  // to OK / Cancel questions, first in first out; then OK
    int save_filter = 0;       // the filter entry a save dialog answers with
  };
  explicit FakeDialogs(State& state) : state_(state) {}
  void MessageBox(QWidget*, const QString& text, const QString& title, panel::Icon icon) override {
    state_.boxes.push_back({text, title, icon});
  }
  bool AskOkCancel(QWidget*, const QString& text, const QString& title) override {
    state_.boxes.push_back({text, title, panel::Icon::Question});
    if (state_.answers.empty()) return true;
    const bool ok = state_.answers.front();
    state_.answers.pop_front();
    return ok;
  }
  QString InputBox(QWidget*, const QString&, const QString&) override { return Next(); }
  QString OpenFile(QWidget*, const QString& title, const QString& filter,
                   int& chosen_filter) override {
    state_.titles.push_back(title);
    state_.filters.push_back(filter);
    chosen_filter = 0;
    return Next();
  }
  QString SaveFile(QWidget*, const QString& title, const QString& filter, const QString&,
                   int& chosen_filter) override {
    state_.titles.push_back(title);
    state_.filters.push_back(filter);
    chosen_filter = state_.save_filter;
    return Next();
  }
  QString ChooseFolder(QWidget*, const QString& title, const QString&) override {
    state_.titles.push_back(title);
    return Next();
  }

 private:
  QString Next() {
    if (state_.replies.empty()) return {};
    QString reply = state_.replies.front();
    state_.replies.pop_front();
    return reply;
  }
  State& state_;
};

// Runs a test inside a fresh, empty working directory.
class TemporaryWorkingDirectory {
 public:
  TemporaryWorkingDirectory() : previous_(std::filesystem::current_path()) {
    std::filesystem::current_path(directory_.path);
  }
  ~TemporaryWorkingDirectory() {
    std::error_code ignored;
    std::filesystem::current_path(previous_, ignored);
  }
  TemporaryWorkingDirectory(const TemporaryWorkingDirectory&) = delete;
  TemporaryWorkingDirectory& operator=(const TemporaryWorkingDirectory&) = delete;
  std::filesystem::path Path() const { return directory_.path; }

 private:
  std::filesystem::path previous_;
  testing_support::TempDir directory_{"meldrix_app_test"};
};

// The real window with the real core behind it, on a port that records and answers FFh.
struct WindowUnderTest {
  WindowUnderTest();
  template <typename W = QObject>
  W* Find(const char* name) const {
    return window.findChild<W*>(QString::fromLatin1(name));
  }

  TemporaryWorkingDirectory directory;
  testing_support::FakeClock clock;
  MemorySettings settings;
  RecordingSound sound;
  FakeDialogs::State dialogs;
  platform::RecordingMachine machine;
  app::frmMain window;
  ops::Programmer programmer;
};

// A left click on a widget, as the operator's mouse gives it.
void Click(QWidget* widget);
void DoubleClick(QWidget* widget);
// The whole content of a file.
std::string ReadFile(const std::filesystem::path& path);

inline WindowUnderTest::WindowUnderTest()
    : window((QtApp(), clock), sound, settings, "/sounds", std::make_unique<FakeDialogs>(dialogs)),
      programmer(machine, window, clock, (directory.Path() / "meldrix5.ini").string()) {
  window.Attach(programmer);
}

namespace detail {

inline void SendMouse(QWidget* widget, QEvent::Type type) {
  const QPointF at = QRectF(widget->rect()).center();
  QMouseEvent event(type, at, widget->mapToGlobal(at), Qt::LeftButton,
                    type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton,
                    Qt::NoModifier);
  QApplication::sendEvent(widget, &event);
}

}  // namespace detail

inline void Click(QWidget* widget) {
  detail::SendMouse(widget, QEvent::MouseButtonPress);
  detail::SendMouse(widget, QEvent::MouseButtonRelease);
}

inline void DoubleClick(QWidget* widget) {
  detail::SendMouse(widget, QEvent::MouseButtonPress);
  detail::SendMouse(widget, QEvent::MouseButtonRelease);
  detail::SendMouse(widget, QEvent::MouseButtonDblClick);
  detail::SendMouse(widget, QEvent::MouseButtonRelease);
}

inline std::string ReadFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream content;
  content << in.rdbuf();
  return content.str();
}

}  // namespace app_testing
