// Set-up shared by the benchmarks: a window nobody sees and a board on the usual port.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "board/board.h"
#include "panel/panel.h"
#include "platform/clock.h"

namespace bench {

// A window that shows nothing: every setter is dropped, every getter answers a resting value
// and every question is answered OK. Benchmarks that need a control to answer override it.
class QuietPanel : public panel::Panel {
 public:
  using Color = panel::Color;
  using Ref = panel::Ref;

  void SetEnabled(Ref, bool) override {}
  bool Enabled(Ref) const override { return true; }
  void SetVisible(Ref, bool) override {}
  bool Visible(Ref) const override { return true; }
  void SetCaption(Ref, std::string_view) override {}
  std::string Caption(Ref) const override { return {}; }
  void SetValue(Ref, int) override {}
  int Value(Ref) const override { return 0; }
  void SetMax(Ref, int) override {}
  int Max(Ref) const override { return 0; }
  void SetForeColor(Ref, Color) override {}
  Color ForeColor(Ref) const override { return 0; }
  void SetBackColor(Ref, Color) override {}
  Color BackColor(Ref) const override { return 0; }
  void Repaint(Ref) override {}
  void ClearList() override {}
  void AddListItem(std::string_view) override {}
  int ListCount() const override { return 0; }
  std::string ListItem(int) const override { return {}; }
  void SetListIndex(int) override {}
  int ListIndex() const override { return -1; }
  void LogMessage(std::string_view) override {}
  void PlayEventSound(std::string_view) override {}
  void MessageBox(std::string_view, std::string_view, panel::Icon) override {}
  bool AskOkCancel(std::string_view, std::string_view) override { return true; }
  std::string InputBox(std::string_view, std::string_view) override { return {}; }
  std::string OpenFileDialog(std::string_view, std::string_view) override { return {}; }
  panel::FileChoice SaveFileDialog(std::string_view, std::string_view, std::string_view) override {
    return {};
  }
};

// A clock that always tells the same time, so that log lines and file stamps cost the same.
class QuietClock final : public platform::Clock {
 public:
  std::string LocaleTime() const override { return "00:00:00"; }
  std::string LocaleDate() const override { return "01/01/2026"; }
  std::string Stamp() const override { return "01-01-2026 00:00:00"; }
};

// The board found at 378h as the given model, with its control codes, read-back tables and
// straight address maps set up, as detection and device selection leave it.
inline void SetUpBoardAt378(board::Board& b, int16_t model) {
  b.PortBase = 0x378;
  b.BoardModel = model;
  b.InitControlCodes();
  b.SelectBoardModel();
  b.BuildReadBackTables();
  b.SetIdentityMaps();
}

}  // namespace bench
