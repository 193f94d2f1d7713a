#include "cli/simulated_socket.h"

#include <memory>
#include <ostream>

#include "cli/options.h"
#include "frontend/simulated_socket_menu.h"
#include "platform/dirs.h"
#include "platform/files.h"

namespace cli {

SimulatedSocket::SimulatedSocket(std::string directory)
    : directory_(std::move(directory)),
      access_([](uint16_t, const auto&) { return std::unique_ptr<platform::PortIo>(); }) {}

std::string SimulatedSocket::ChipFile() const {
  return platform::JoinPath(directory_, name_ + ".bin");
}

void SimulatedSocket::Hold(std::string_view name, std::ostream& err) {
  held_ = false;
  Insert(name, err);
  held_ = true;
}

void SimulatedSocket::Insert(std::string_view name, std::ostream& err) {
  if (held_) return;
  access_.InsertDevice(name);
  sim::Chip* chip = access_.Board().chip();
  name_ = chip != nullptr ? chip->name() : std::string();
  if (chip == nullptr || directory_.empty() || !platform::FileExists(ChipFile())) return;
  const auto kept = platform::ReadWholeFile(ChipFile(), chip->size());
  if (kept.error) {
    err << kProgramName << ": the simulated " << name_ << " starts blank: " << ChipFile() << ": "
        << kept.error->reason << '\n';
    return;
  }
  chip->Load(kept.bytes);
}

void SimulatedSocket::Keep(std::ostream& err) {
  const sim::Chip* chip = access_.Board().chip();
  if (const std::string damage = frontend::DamageReport(access_.Board()); !damage.empty()) {
    err << kProgramName << ": " << damage << '\n';
  }
  if (chip == nullptr || directory_.empty()) return;
  if (const auto error = platform::WriteFileAtomically(ChipFile(), chip->Contents())) {
    err << kProgramName << ": the simulated " << name_ << " could not keep its contents in "
        << ChipFile() << ": " << error->reason << '\n';
  }
}

}  // namespace cli
