#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "panel/panel.h"

namespace frontend {

// The main window's controls without a display: every control keeps the state the core gives
// it, starting from the window's design-time state for the controls the core reads before it
// sets them (options, slider, captions that start-up does not set). What reaches the operator
// (log, sounds, dialogs) is left to the front end that derives from it.
class HeadlessPanel : public panel::Panel {
 public:
  HeadlessPanel();

  void SetEnabled(panel::Ref r, bool enabled) override { enabled_[Key(r)] = enabled; }
  bool Enabled(panel::Ref r) const override { return Find(enabled_, r, true); }
  void SetVisible(panel::Ref r, bool visible) override { visible_[Key(r)] = visible; }
  bool Visible(panel::Ref r) const override { return Find(visible_, r, true); }
  void SetCaption(panel::Ref r, std::string_view text) override;
  std::string Caption(panel::Ref r) const override { return Find(captions_, r, std::string()); }
  void SetValue(panel::Ref r, int value) override { values_[Key(r)] = value; }
  int Value(panel::Ref r) const override { return Find(values_, r, 0); }
  void SetMax(panel::Ref r, int max) override { maxima_[Key(r)] = max; }
  int Max(panel::Ref r) const override { return Find(maxima_, r, 0); }
  void SetForeColor(panel::Ref r, panel::Color c) override { fore_[Key(r)] = c; }
  panel::Color ForeColor(panel::Ref r) const override { return Find(fore_, r, 0U); }
  void SetBackColor(panel::Ref r, panel::Color c) override { back_[Key(r)] = c; }
  panel::Color BackColor(panel::Ref r) const override { return Find(back_, r, 0U); }
  void Repaint(panel::Ref) override {}

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
  // A control and its index in one number: the core sets and reads controls at every step.
  using Key_t = uint64_t;
  template <typename T>
  using States = std::unordered_map<Key_t, T>;
  static Key_t Key(panel::Ref r) {
    return uint64_t{static_cast<uint16_t>(r.ctl)} << 32U | static_cast<uint32_t>(r.index);
  }
  template <typename T>
  static T Find(const States<T>& map, panel::Ref r, T fallback) {
    auto it = map.find(Key(r));
    return it == map.end() ? fallback : it->second;
  }

  States<bool> enabled_, visible_;
  States<std::string> captions_;
  States<int> values_, maxima_;
  States<panel::Color> fore_, back_;
  std::vector<std::string> list_;
  int list_index_ = -1;
};

}  // namespace frontend
