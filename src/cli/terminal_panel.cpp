#include "cli/terminal_panel.h"

#include <algorithm>
#include <cctype>
#include <istream>
#include <ostream>

#include "cli/options.h"
#include "frontend/log_text.h"

namespace cli {

using panel::Ctl;

TerminalPanel::TerminalPanel(const platform::Clock& clock, Streams streams, bool answer_yes)
    : clock_(clock), io_(streams), answer_yes_(answer_yes) {}

// The log box's text is its caption: start-up empties it.
void TerminalPanel::SetCaption(panel::Ref r, std::string_view text) {
  HeadlessPanel::SetCaption(r, text);
  if (r == panel::Ref(Ctl::SystemLog)) log_ = text;
}

void TerminalPanel::SetValue(panel::Ref r, int value) {
  HeadlessPanel::SetValue(r, value);
  if (r == panel::Ref(Ctl::ProgressBar1)) DrawProgress();
}

void TerminalPanel::LogMessage(std::string_view message) {
  const std::string entry = frontend::LogEntry(clock_.LocaleTime(), message);
  log_ += entry;
  const bool bar = shown_percent_ >= 0;
  HideProgress();
  io_.out << std::string_view(entry).substr(2) << '\n' << std::flush;
  if (bar) DrawProgress();
}

void TerminalPanel::MessageBox(std::string_view text, std::string_view title, panel::Icon) {
  ++messages_;
  HideProgress();
  std::string line(text);
  std::replace(line.begin(), line.end(), '\n', ' ');
  io_.err << kProgramName << ": " << title << ": " << line << '\n' << std::flush;
}

bool TerminalPanel::AskOkCancel(std::string_view text, std::string_view title) {
  if (answer_yes_) return true;
  HideProgress();
  if (!io_.can_ask) {
    unanswered_ = true;
    const std::string_view question = text.substr(0, text.find('\n'));  // the details follow it
    io_.err << kProgramName << ": " << title << " \"" << question
            << "\" needs an answer: run at a terminal or give --yes\n"
            << std::flush;
    return false;
  }
  io_.err << title << ": " << text << " [y/N] " << std::flush;
  std::string answer;
  std::getline(io_.in, answer);
  std::transform(answer.begin(), answer.end(), answer.begin(), [](char c) {
    return static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  });
  const bool ok = answer == "y" || answer == "yes";
  declined_ = !ok;
  return ok;
}

// A bar of 40 cells and the percentage, redrawn in place; a bar back at 0 is taken away.
void TerminalPanel::DrawProgress() {
  if (!io_.show_progress) return;
  const int max = Max(Ctl::ProgressBar1);
  const int value = Value(Ctl::ProgressBar1);
  if (max <= 0 || value <= 0) {
    HideProgress();
    return;
  }
  const int percent = std::clamp(value * 100 / max, 0, 100);
  if (percent == shown_percent_) return;
  shown_percent_ = percent;
  constexpr int kCells = 40;
  const int full = percent * kCells / 100;
  io_.err << "\r[" << std::string(static_cast<size_t>(full), '#')
          << std::string(static_cast<size_t>(kCells - full), '.') << "] " << percent << "%"
          << std::flush;
}

void TerminalPanel::HideProgress() {
  if (shown_percent_ < 0) return;
  shown_percent_ = -1;
  io_.err << "\r\033[K" << std::flush;
}

}  // namespace cli
