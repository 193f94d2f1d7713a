#include "frontend/headless_panel.h"

namespace frontend {

using panel::Ctl;
using panel::Ref;

HeadlessPanel::HeadlessPanel() {
  SetValue(panel::HiLow_button(0), 1);
  SetValue(panel::Voltage_button(1), 1);
  SetValue(panel::LPTSelection(1), 1);
  SetMax(Ctl::Slider1, 20);
  SetValue(Ctl::Slider1, 18);
  SetCaption(Ctl::Show_button, "Show Data");
  SetCaption(Ctl::Frame3, "File Hex Display");
  SetCaption(Ctl::FileNameCodeText, "Click To Select a File");
  SetCaption(Ctl::FileNameDataText, "Click To Select a File");
  SetCaption(Ctl::FileNameCodeSize, "(0 Bytes)");
  SetCaption(Ctl::FileNameDataSize, "(0 Bytes)");
  SetCaption(Ctl::MeldrixHardwareFound, "NO HARDWARE FOUND");
  SetForeColor(Ctl::MeldrixHardwareFound, panel::kYellow);
  SetCaption(Ctl::Device, "Please Select Device on this List");
  SetMax(Ctl::ProgressBar1, 100);
  for (Ctl entry : {Ctl::mnuFileSaveCode, Ctl::mnuFileSaveCodeAs, Ctl::mnuFileOpenData,
                    Ctl::mnuFileSaveData, Ctl::mnuFileSaveDataAs, Ctl::LoadSetup1, Ctl::LoadSetup2,
                    Ctl::LoadSetup3, Ctl::LoadSetup4, Ctl::LoopFlashTest, Ctl::ResetFlash}) {
    SetEnabled(entry, false);
  }
}

void HeadlessPanel::SetCaption(Ref r, std::string_view text) {
  captions_[Key(r)].assign(text);
}

std::string HeadlessPanel::ListItem(int index) const {
  if (index < 0 || index >= ListCount()) return {};
  return list_[static_cast<size_t>(index)];
}

}  // namespace frontend
