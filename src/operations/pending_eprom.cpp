// Placeholder bodies until this area is built; this file is removed by that work.
#include "operations/programmer.h"

namespace ops {
void Programmer::DeviceScan(const ScanAction&) {}
void Programmer::Read_button_Click() {}
void Programmer::ReadCode() {}
void Programmer::ReadDeviceToBuffer() {}
void Programmer::ReadData() {}
void Programmer::Blank_button_Click() {}
void Programmer::BlankCheckCode() {}
void Programmer::BlankCheckData() {}
void Programmer::BlankCheckDevice() {}
void Programmer::ReportNotBlank() {}
void Programmer::BuildProgramBuffer() {}
void Programmer::Verify_button_Click() {}
void Programmer::VerifyCode() {}
void Programmer::VerifyData() {}
void Programmer::ReportVerifyMismatch() {}
void Programmer::Program_button_Click() {}
void Programmer::ProgramCode() {}
void Programmer::ProgramData() {}
void Programmer::P2732() {}
void Programmer::P2764_128() {}
void Programmer::P27256_040() {}
void Programmer::P27080() {}
void Programmer::P27010_020() {}
void Programmer::ReadBack() {}
void Programmer::ReportProgramFailure() {}
void Programmer::GoProgressiveBar1() {}
}  // namespace ops
