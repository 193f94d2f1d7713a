// Placeholder bodies until this area is built; this file is removed by that work.
#include "operations/programmer.h"

namespace ops {
void Programmer::Setup_Click() {}
void Programmer::SaveSetupRot(const std::string&) {}
void Programmer::RestoreSetup(const std::string&) {}
}  // namespace ops
namespace ops { std::string Programmer::SlotFileName(int slot) { return "MXSetup" + std::to_string(slot) + ".INI"; } }
