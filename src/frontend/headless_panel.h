#pragma once

#include <map>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "panel/panel.h"

namespace frontend {

// The main window's controls without a display: every control keeps the state the core gives
// it, starting from the window's design-time state for the controls the core reads before it
// sets them (options, slider, captions that start-up does not set). What reaches the operator
// (log, sounds, dialogs) is left to the front end that derives from it.
class HeadlessPanel : public platform::Panel {
 public:
  HeadlessPanel();

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
  void Repaint(platform::Ref) override {}

  void ClearList() override {
    list_.clear();
    list_index_ = -1;
  }
  void AddListItem(std::string_view text) override { list_.emplace_back(text); }
  int ListCount() const override { return static_cast<int>(list_.size()); }
  std::string ListItem(int index) const override;
  void SetListIndex(int index) override { list_index_ = index; }
  int ListIndex() const override { return list_index_; }

 private:
  using Key_t = std::pair<platform::Ctl, int>;
  static Key_t Key(platform::Ref r) { return {r.ctl, r.index}; }
  template <typename T>
  static T Find(const std::map<Key_t, T>& map, platform::Ref r, T fallback) {
    auto it = map.find(Key(r));
    return it == map.end() ? fallback : it->second;
  }

  std::map<Key_t, bool> enabled_, visible_;
  std::map<Key_t, std::string> captions_;
  std::map<Key_t, int> values_, maxima_;
  std::map<Key_t, platform::Color> fore_, back_;
  std::vector<std::string> list_;
  int list_index_ = -1;
};

}  // namespace frontend
