#include "support/fake_panel.h"

namespace testing_support {

using platform::Ctl;
using platform::Ref;

FakePanel::FakePanel() {
  SetValue(platform::HiLow_button(0), 1);
  SetValue(platform::Voltage_button(1), 1);
  SetValue(platform::LPTSelection(1), 1);
  SetMax(Ctl::Slider1, 20);
  SetValue(Ctl::Slider1, 18);
  SetCaption(Ctl::Show_button, "Show Data");
  SetCaption(Ctl::Frame3, "File Hex Display");
  SetCaption(Ctl::FileNameCodeText, "Click To Select a File");
  SetCaption(Ctl::FileNameDataText, "Click To Select a File");
  SetCaption(Ctl::FileNameCodeSize, "(0 Bytes)");
  SetCaption(Ctl::FileNameDataSize, "(0 Bytes)");
  SetCaption(Ctl::MeldrixHardwareFound, "NO HARDWARE FOUND");
  SetForeColor(Ctl::MeldrixHardwareFound, platform::kYellow);
  SetCaption(Ctl::Device, "Please Select Device on this List");
  SetMax(Ctl::ProgressBar1, 100);
  for (Ctl entry : {Ctl::mnuFileSaveCode, Ctl::mnuFileSaveCodeAs, Ctl::mnuFileOpenData,
                    Ctl::mnuFileSaveData, Ctl::mnuFileSaveDataAs, Ctl::LoadSetup1, Ctl::LoadSetup2,
                    Ctl::LoadSetup3, Ctl::LoadSetup4, Ctl::LoopFlashTest, Ctl::ResetFlash}) {
    SetEnabled(entry, false);
  }
}

void FakePanel::SetCaption(Ref r, std::string_view text) {
  captions_[Key(r)] = std::string(text);
}

std::string FakePanel::ListItem(int index) const {
  if (index < 0 || index >= ListCount()) return {};
  return list_[static_cast<size_t>(index)];
}

bool FakePanel::AskOkCancel(std::string_view text, std::string_view title) {
  boxes.push_back({std::string(text), std::string(title), platform::Icon::Question});
  if (ok_cancel_replies.empty()) return true;
  const bool ok = ok_cancel_replies.front();
  ok_cancel_replies.pop_front();
  return ok;
}

std::string FakePanel::NextText() {
  if (text_replies.empty()) return {};
  std::string reply = std::move(text_replies.front());
  text_replies.pop_front();
  return reply;
}

std::string FakePanel::InputBox(std::string_view, std::string_view title) {
  dialogs.emplace_back(title);
  return NextText();
}

std::string FakePanel::OpenFileDialog(std::string_view title, std::string_view) {
  dialogs.emplace_back(title);
  return NextText();
}

platform::FileChoice FakePanel::SaveFileDialog(std::string_view title, std::string_view filter,
                                               std::string_view offered) {
  dialogs.emplace_back(title);
  offered_names.emplace_back(offered);
  last_filter = filter;
  int chosen = 0;
  if (!filter_replies.empty()) {
    chosen = filter_replies.front();
    filter_replies.pop_front();
  }
  return {NextText(), chosen};
}

}  // namespace testing_support
