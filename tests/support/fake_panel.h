#pragma once

#include <deque>
#include <string>
#include <string_view>
#include <vector>

#include "frontend/headless_panel.h"

namespace testing_support {

// A window without a display: keeps every control's state, records what the core reports, and
// answers dialogs from scripted replies.
class FakePanel final : public frontend::HeadlessPanel {
 public:
  struct Box {
    std::string text, title;
    panel::Icon icon;
    bool operator==(const Box&) const = default;
  };

  void Repaint(panel::Ref r) override { repaints.push_back(r); }

  void LogMessage(std::string_view message) override { log.emplace_back(message); }
  void PlayEventSound(std::string_view keyword) override { sounds.emplace_back(keyword); }

  void MessageBox(std::string_view text, std::string_view title, panel::Icon icon) override {
    boxes.push_back({std::string(text), std::string(title), icon});
  }
  bool AskOkCancel(std::string_view text, std::string_view title) override;
  std::string InputBox(std::string_view prompt, std::string_view title) override;
  std::string OpenFileDialog(std::string_view title, std::string_view filter) override;
  int OpenFileFilter() const override { return open_filter; }
  int open_filter = 0;  // the filter entry the open dialogs answer with
  panel::FileChoice SaveFileDialog(std::string_view title, std::string_view filter,
                                   std::string_view offered) override;
  // The operator asks to stop at the stop_at-th safe point (0: never) and keeps asking.
  bool StopRequested() override { return stop_at > 0 && ++safe_points >= stop_at; }
  int stop_at = 0;
  int safe_points = 0;
  void MarkPageBytes(std::span<const uint16_t> offsets) override {
    marked.assign(offsets.begin(), offsets.end());
  }
  std::vector<uint16_t> marked;  // the device view's marks as last given
  void AnswerDesktop() override { ++desktop_answers; }
  int desktop_answers = 0;  // outside the safe points: during long waits

  // Forgets what the core reported so far (a rig's set-up, say).
  void ForgetReports() {
    log.clear(), sounds.clear(), boxes.clear(), repaints.clear(), dialogs.clear();
  }

  // What the core reported, in order.
  std::vector<std::string> log;
  std::vector<std::string> sounds;
  std::vector<Box> boxes;
  std::vector<panel::Ref> repaints;
  // Dialogs shown (titles), and the replies they take, first in first out. With no scripted
  // reply a question answers OK and the other dialogs are cancelled.
  std::vector<std::string> dialogs;
  std::vector<std::string> offered_names;  // what each save dialog started with
  std::deque<bool> ok_cancel_replies;
  std::deque<std::string> text_replies;  // input boxes and file dialogs
  std::deque<int> filter_replies;        // the filter entry a save dialog answers with; 0 else
  std::string last_filter;               // the filter the last save dialog offered

 private:
  std::string NextText();
};

}  // namespace testing_support
