#include "app/control_names.h"

#include <array>
#include <utility>

namespace app {

using panel::Ctl;

namespace {

constexpr std::array<std::pair<Ctl, std::string_view>, 102> kNames = {{
    {Ctl::frmMain, "frmMain"},
    {Ctl::Frame1, "Frame1"},
    {Ctl::Frame2, "Frame2"},
    {Ctl::Frame3, "Frame3"},
    {Ctl::Frame4, "Frame4"},
    {Ctl::Frame5, "Frame5"},
    {Ctl::Frame6, "Frame6"},
    {Ctl::Frame7, "Frame7"},
    {Ctl::Frame8, "Frame8"},
    {Ctl::Frame9, "Frame9"},
    {Ctl::Frame10, "Frame10"},
    {Ctl::FrameVoltageSelection, "FrameVoltageSelection"},
    {Ctl::SystemLog, "SystemLog"},
    {Ctl::VScroll1, "VScroll1"},
    {Ctl::BufferDisplay, "BufferDisplay"},
    {Ctl::MeldrixHardwareFound, "MeldrixHardwareFound"},
    {Ctl::Show_button, "Show_button"},
    {Ctl::TestHardware_button, "TestHardware_button"},
    {Ctl::EraseFlash_button, "EraseFlash_button"},
    {Ctl::CheckData, "CheckData"},
    {Ctl::CheckCode, "CheckCode"},
    {Ctl::Blank_button, "Blank_button"},
    {Ctl::Display_button, "Display_button"},
    {Ctl::Program_button, "Program_button"},
    {Ctl::Verify_button, "Verify_button"},
    {Ctl::Erase_button, "Erase_button"},
    {Ctl::Read_button, "Read_button"},
    {Ctl::HiLow_button, "HiLow_button"},
    {Ctl::Slider1, "Slider1"},
    {Ctl::Label4, "Label4"},
    {Ctl::Voltage_button, "Voltage_button"},
    {Ctl::LPTSelection, "LPTSelection"},
    {Ctl::PortSelected, "PortSelected"},
    {Ctl::CheckBlankPriorProgramming, "CheckBlankPriorProgramming"},
    {Ctl::VerifyAfterProgramming, "VerifyAfterProgramming"},
    {Ctl::Device, "Device"},
    {Ctl::PleaseSelect, "PleaseSelect"},
    {Ctl::ProgressBar1, "ProgressBar1"},
    {Ctl::sbStatusBar, "sbStatusBar"},
    {Ctl::tbToolBar, "tbToolBar"},
    {Ctl::VerifyButton, "VerifyButton"},
    {Ctl::CompareButton, "CompareButton"},
    {Ctl::FileNameCodeLabel, "FileNameCodeLabel"},
    {Ctl::FileNameCodeText, "FileNameCodeText"},
    {Ctl::FileNameCodeSize, "FileNameCodeSize"},
    {Ctl::FileNameDataLabel, "FileNameDataLabel"},
    {Ctl::FileNameDataText, "FileNameDataText"},
    {Ctl::FileNameDataSize, "FileNameDataSize"},
    {Ctl::Error_label, "Error_label"},
    {Ctl::Program_label, "Program_label"},
    {Ctl::DataFlow_label, "DataFlow_label"},
    {Ctl::Ready_label, "Ready_label"},
    {Ctl::Command1, "Command1"},
    {Ctl::mnuFile, "mnuFile"},
    {Ctl::mnuFileOpenCode, "mnuFileOpenCode"},
    {Ctl::mnuFileSaveCode, "mnuFileSaveCode"},
    {Ctl::mnuFileSaveCodeAs, "mnuFileSaveCodeAs"},
    {Ctl::mnuFileOpenData, "mnuFileOpenData"},
    {Ctl::mnuFileSaveData, "mnuFileSaveData"},
    {Ctl::mnuFileSaveDataAs, "mnuFileSaveDataAs"},
    {Ctl::mnuFileClose, "mnuFileClose"},
    {Ctl::mnuFileExit, "mnuFileExit"},
    {Ctl::mnuTools, "mnuTools"},
    {Ctl::mnuToolsIdentifyCode, "mnuToolsIdentifyCode"},
    {Ctl::mnuToolsOptions, "mnuToolsOptions"},
    {Ctl::menuCommand, "menuCommand"},
    {Ctl::menuBlankCheck, "menuBlankCheck"},
    {Ctl::menuProgramCode, "menuProgramCode"},
    {Ctl::menuReadCode, "menuReadCode"},
    {Ctl::menuVerifyCode, "menuVerifyCode"},
    {Ctl::menuCompareCode, "menuCompareCode"},
    {Ctl::menuNextDifference, "menuNextDifference"},
    {Ctl::menuPreviousDifference, "menuPreviousDifference"},
    {Ctl::menuProgramData, "menuProgramData"},
    {Ctl::menuReadData, "menuReadData"},
    {Ctl::menuVerifyData, "menuVerifyData"},
    {Ctl::menuDisplayCode, "menuDisplayCode"},
    {Ctl::menuDisplayData, "menuDisplayData"},
    {Ctl::menuEraseCode, "menuEraseCode"},
    {Ctl::menuEraseData, "menuEraseData"},
    {Ctl::menuEraseFlash, "menuEraseFlash"},
    {Ctl::menuTestHardware, "menuTestHardware"},
    {Ctl::menuFlashShowCodeID, "menuFlashShowCodeID"},
    {Ctl::Setup, "Setup"},
    {Ctl::LoadSetup, "LoadSetup"},
    {Ctl::LoadSetup1, "LoadSetup1"},
    {Ctl::LoadSetup2, "LoadSetup2"},
    {Ctl::LoadSetup3, "LoadSetup3"},
    {Ctl::LoadSetup4, "LoadSetup4"},
    {Ctl::SaveSetup, "SaveSetup"},
    {Ctl::SaveSetup1, "SaveSetup1"},
    {Ctl::SaveSetup2, "SaveSetup2"},
    {Ctl::SaveSetup3, "SaveSetup3"},
    {Ctl::SaveSetup4, "SaveSetup4"},
    {Ctl::ForceMeldrix4, "ForceMeldrix4"},
    {Ctl::ForceMeldrix5, "ForceMeldrix5"},
    {Ctl::LoopFlashTest, "LoopFlashTest"},
    {Ctl::ResetFlash, "ResetFlash"},
    {Ctl::mnuHelp, "mnuHelp"},
    {Ctl::mnuHelpContents, "mnuHelpContents"},
    {Ctl::mnuHelpSearchForHelpOn, "mnuHelpSearchForHelpOn"},
    {Ctl::mnuHelpAbout, "mnuHelpAbout"},
}};

}  // namespace

std::string_view ControlName(Ctl ctl) {
  for (const auto& [c, name] : kNames) {
    if (c == ctl) return name;
  }
  return {};
}

std::string ObjectName(panel::Ref ref) {
  if (ref.ctl == Ctl::tbToolBar && ref.index >= 0) return std::string(ToolbarKey(ref.index));
  std::string name(ControlName(ref.ctl));
  if (ref.index >= 0) {
    name += '(';
    name += std::to_string(ref.index);
    name += ')';
  }
  return name;
}

std::string_view ToolbarKey(int button) {
  switch (button) {
    case 1:
      return "OpenCode";
    case 2:
      return "SaveCode";
    case 3:
      return "tbToolBar(3)";
    case 4:
      return "OpenData";
    case 5:
      return "SaveData";
    default:
      return {};
  }
}

}  // namespace app
