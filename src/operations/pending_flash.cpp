// Placeholder bodies until this area is built; this file is removed by that work.
#include "operations/programmer.h"

namespace ops {
void Programmer::FastLatchWrite(int, int) {}
void Programmer::WriteCycle_FLASH() {}
void Programmer::WriteCycle_XICOR() {}
void Programmer::Command_FLASH() {}
void Programmer::SendFlashCommand() {}
void Programmer::IdentifyFlash() {}
void Programmer::ProbeFlashID() {}
void Programmer::menuFlashShowCodeID_Click() {}
void Programmer::EraseFlash_button_Click() {}
void Programmer::EraseXICOR() {}
void Programmer::EraseAMDFlash() {}
void Programmer::EraseAT29C256() {}
void Programmer::WaitErased() {}
void Programmer::ResetFlash_Click() {}
void Programmer::ProgramAT29C256() {}
void Programmer::ProgramX28C256() {}
void Programmer::SDPDisable_FLASH() {}
void Programmer::SDPDisable_XICOR() {}
void Programmer::ProgramFlashByID() {}
void Programmer::ProgramFlashByte() {}
void Programmer::VerifyFlashByte() {}
void Programmer::LoopFlashTest_Click() {}
}  // namespace ops
