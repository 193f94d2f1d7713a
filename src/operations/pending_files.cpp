// Placeholder bodies until this area is built; this file is removed by that work.
#include "operations/programmer.h"

namespace ops {
void Programmer::mnuFileOpenCode_Click() {}
void Programmer::mnuFileOpenData_Click() {}
void Programmer::ReadBinaryFile() {}
void Programmer::ReadBinaryFileData() {}
void Programmer::mnuFileSaveCode_Click() {}
void Programmer::mnuFileSaveCodeAs_Click() {}
void Programmer::mnuFileSaveData_Click() {}
void Programmer::mnuFileSaveDataAs_Click() {}
void Programmer::FileNameCodeText_Click() {}
void Programmer::Erase_button_Click() {}
void Programmer::EraseCodeBuffer() {}
void Programmer::EraseDataBuffer() {}
void Programmer::DisplayPageMemory() {}
void Programmer::DisplayCodeMemory() {}
void Programmer::DisplayDataMemory() {}
void Programmer::DisplayEprom() {}
void Programmer::VScroll1_Change() {}
void Programmer::Show_button_Click() {}
void Programmer::Display_button_Click() {}
void Programmer::Command1_Click() {}
void Programmer::BufferDisplay_DblClick() {}
}  // namespace ops
