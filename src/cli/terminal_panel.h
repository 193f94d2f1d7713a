#pragma once

#include <iosfwd>
#include <string>
#include <string_view>

#include "frontend/headless_panel.h"
#include "platform/clock.h"
#include "platform/signals.h"

namespace cli {

// The window as a terminal shows it: each log entry a line on standard output, as the window's
// log reads; the progress bar on standard error when that is a terminal; message boxes on
// standard error; the safety questions asked on the terminal, answered by --yes, or refused
// when there is nobody to ask; file dialogs answered with the names given on the command line.
class TerminalPanel final : public frontend::HeadlessPanel {
 public:
  struct Streams {
    std::ostream& out;
    std::ostream& err;
    std::istream& in;
    bool show_progress;  // standard error is a terminal
    bool can_ask;        // standard input and standard error are a terminal
  };
  TerminalPanel(const platform::Clock& clock, Streams streams, bool answer_yes);

  // The names the file dialogs answer with; empty: the dialog is cancelled.
  std::string open_file;
  std::string save_file;
  // Ctrl+C, SIGTERM and SIGHUP ask the running operation to stop at its next safe point.
  const platform::StopSignals* stop_signals = nullptr;

  // The log as the window's log box would hold it (every entry starts with a line break).
  const std::string& LogText() const { return log_; }
  // Message boxes shown so far: each is a refusal or a failure the core reported.
  int MessagesShown() const { return messages_; }
  // A safety question came when nobody could answer it and --yes was not given.
  bool QuestionUnanswered() const { return unanswered_; }
  // The operator answered Cancel at the terminal.
  bool QuestionDeclined() const { return declined_; }

  void SetCaption(panel::Ref r, std::string_view text) override;
  void SetValue(panel::Ref r, int value) override;
  void LogMessage(std::string_view message) override;
  void PlayEventSound(std::string_view) override {}
  void MessageBox(std::string_view text, std::string_view title, panel::Icon icon) override;
  bool AskOkCancel(std::string_view text, std::string_view title) override;
  std::string InputBox(std::string_view, std::string_view) override { return {}; }
  std::string OpenFileDialog(std::string_view, std::string_view) override { return open_file; }
  // The Open dialog's filter entry the format given on the command line stands for.
  int open_filter = 0;
  int OpenFileFilter() const override { return open_filter; }
  // The filter's first entry: the format follows the name's extension.
  panel::FileChoice SaveFileDialog(std::string_view, std::string_view, std::string_view) override {
    return {save_file, 0};
  }
  bool StopRequested() override { return stop_signals != nullptr && stop_signals->Received(); }

 private:
  void DrawProgress();
  void HideProgress();

  const platform::Clock& clock_;
  Streams io_;
  bool answer_yes_;
  std::string log_;
  int messages_ = 0;
  bool unanswered_ = false;
  bool declined_ = false;
  int shown_percent_ = -1;  // the bar on the terminal now; -1: none shown
};

}  // namespace cli
