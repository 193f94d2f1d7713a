#pragma once

#include <deque>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "platform/panel.h"

namespace testing_support {

// A window without a display: keeps every control's state, records what the core reports, and
// answers dialogs from scripted replies. Starts with the window's design-time state for the
// controls the core reads (options, slider, captions that start-up does not set).
class FakePanel final : public platform::Panel {
 public:
  struct Box {
    std::string text, title;
    platform::Icon icon;
    bool operator==(const Box&) const = default;
  };

  FakePanel();

  void SetEnabled(platform::Ref r, bool enabled) override { enabled_[Key(r)] = enabled; }
  bool Enabled(platform::Ref r) const override { return Find(enabled_, r, true); }
  void SetVisible(platform::Ref r, bool visible) override { visible_[Key(r)] = visible; }
  bool Visible(platform::Ref r) const override { return Find(visible_, r, true); }
  void SetCaption(platform::Ref r, std::string_view text) override;
  std::string Caption(platform::Ref r) const override { return Find(captions_, r, std::string()); }
  void SetValue(platform::Ref r, int value) override { values_[Key(r)] = value; }
  int Value(platform::Ref r) const override { return Find(values_, r, 0); }
  void SetMax(platform::Ref r, int max) override { maxima_[Key(r)] = max; }
  int Max(platform::Ref r) const override { return Find(maxima_, r, 0); }
  void SetForeColor(platform::Ref r, platform::Color c) override { fore_[Key(r)] = c; }
  platform::Color ForeColor(platform::Ref r) const override { return Find(fore_, r, 0U); }
  void SetBackColor(platform::Ref r, platform::Color c) override { back_[Key(r)] = c; }
  platform::Color BackColor(platform::Ref r) const override { return Find(back_, r, 0U); }
  void Repaint(platform::Ref r) override { repaints.push_back(r); }

  void ClearList() override {
    list_.clear();
    list_index_ = -1;
  }
  void AddListItem(std::string_view text) override { list_.emplace_back(text); }
  int ListCount() const override { return static_cast<int>(list_.size()); }
  std::string ListItem(int index) const override;
  void SetListIndex(int index) override { list_index_ = index; }
  int ListIndex() const override { return list_index_; }

  void LogMessage(std::string_view message) override { log.emplace_back(message); }
  void PlayEventSound(std::string_view keyword) override { sounds.emplace_back(keyword); }

  void MessageBox(std::string_view text, std::string_view title, platform::Icon icon) override {
    boxes.push_back({std::string(text), std::string(title), icon});
  }
  bool AskOkCancel(std::string_view text, std::string_view title) override;
  std::string InputBox(std::string_view prompt, std::string_view title) override;
  std::string OpenFileDialog(std::string_view title, std::string_view filter) override;
  platform::FileChoice SaveFileDialog(std::string_view title, std::string_view filter,
                                      std::string_view offered) override;
  // The operator asks to stop at the stop_at-th safe point (0: never) and keeps asking.
  bool StopRequested() override { return stop_at > 0 && ++safe_points >= stop_at; }
  int stop_at = 0;
  int safe_points = 0;

  // What the core reported, in order.
  std::vector<std::string> log;
  std::vector<std::string> sounds;
  std::vector<Box> boxes;
  std::vector<platform::Ref> repaints;
  // Dialogs shown (titles), and the replies they take, first in first out. With no scripted
  // reply a question answers OK and the other dialogs are cancelled.
  std::vector<std::string> dialogs;
  std::vector<std::string> offered_names;  // what each save dialog started with
  std::deque<bool> ok_cancel_replies;
  std::deque<std::string> text_replies;  // input boxes and file dialogs
  std::deque<int> filter_replies;        // the filter entry a save dialog answers with; 0 else
  std::string last_filter;               // the filter the last save dialog offered

 private:
  using Key_t = std::pair<platform::Ctl, int>;
  static Key_t Key(platform::Ref r) { return {r.ctl, r.index}; }
  template <typename T>
  static T Find(const std::map<Key_t, T>& map, platform::Ref r, T fallback) {
    auto it = map.find(Key(r));
    return it == map.end() ? fallback : it->second;
  }
  std::string NextText();

  std::map<Key_t, bool> enabled_, visible_;
  std::map<Key_t, std::string> captions_;
  std::map<Key_t, int> values_, maxima_;
  std::map<Key_t, platform::Color> fore_, back_;
  std::vector<std::string> list_;
  int list_index_ = -1;
};

}  // namespace testing_support
