#include "frontend/simulated_socket_menu.h"

#include "buffers/image_file.h"
#include "sim/command_flash.h"
#include "sim/eprom.h"
#include "sim/page_eeprom.h"

namespace frontend {
namespace {

constexpr std::string_view kPrefix = "Simulated Socket: ";
// A slow chip's cells take this many times the programming of a sound one.
constexpr int kSlowCellFactor = 20;
constexpr int kStuckLine = 3;  // D3
// The codes a chip of another kind answers: an AT29C040A in a 32-pin Flash row, an AT29C512 in
// the AT29C256's.
constexpr uint8_t kOtherMaker = 0x1F, kOtherFlash = 0xA4, kOtherPage = 0x5D;

// "2764A (12.5 V)" for an EPROM, the row's name for the others.
std::string ChipName(const sim::Chip& chip) {
  if (const auto* eprom = dynamic_cast<const sim::Eprom*>(&chip)) {
    const sim::EpromPart& part = eprom->Part();
    return std::string(part.name) + " (" + sim::VoltText(part.vpp.min) + ")";
  }
  return chip.name();
}

// "Simulated Socket: a blank 27C256 (12.5 V) is in the socket", `what` before the chip's name
// and `details` after it.
std::string InSocket(const sim::Chip* chip, std::string_view what, std::string_view details = {}) {
  if (chip == nullptr) return std::string(kPrefix) + "no device is selected: the socket is empty";
  return std::string(kPrefix) + std::string(what) + ChipName(*chip) + std::string(details) +
         " is in the socket";
}

}  // namespace

std::string PutBlankChip(sim::SimBoard& board) {
  return InSocket(board.PutNewChip(), "a blank ");
}

std::string EraseChip(sim::SimBoard& board) {
  sim::Chip* chip = board.chip();
  if (chip == nullptr) return InSocket(chip, "");
  const bool eprom = dynamic_cast<sim::Eprom*>(chip) != nullptr;
  const bool erased = !chip->FailsErases() && chip->Damage().empty();
  if (eprom) {
    chip->EraseUV();
  } else if (erased) {
    chip->Load(std::vector<uint8_t>(chip->size(), 0xFF));
  }
  std::string line =
      std::string(kPrefix) + "the " + ChipName(*chip) +
      (eprom ? " was put under ultraviolet light" : " was erased in another programmer");
  return line + (erased ? ": every byte reads FFh" : ", but its cells stayed as they were");
}

std::string PutChipHolding(sim::SimBoard& board, const std::string& path) {
  if (board.chip() == nullptr) return InSocket(nullptr, "");
  const buffers::LoadedImage image = buffers::LoadImage(path, board.chip()->size());
  if (!image.ok()) {
    return std::string(kPrefix) + path + " was not put in a chip: " +
           (image.error ? *image.error : "longer than the " + ChipName(*board.chip()));
  }
  sim::Chip* chip = board.PutNewChip();
  chip->Load(image.bytes);
  return InSocket(
      chip, "a ",
      " holding " + path + " (" + std::to_string(image.bytes.size()) + " bytes, the rest FFh)");
}

bool HasOtherPart(const sim::SimBoard& board) {
  return board.Kind() != nullptr && !board.Kind()->other_part.name.empty();
}

std::string PutOtherPart(sim::SimBoard& board) {
  if (!HasOtherPart(board)) {
    return std::string(kPrefix) + "the selected device comes in one programming voltage only";
  }
  const auto* now = dynamic_cast<const sim::Eprom*>(board.chip());
  const bool other = now != nullptr && now->Part().name == board.Kind()->part.name;
  return InSocket(board.PutNewChip(other), "a blank ");
}

std::vector<ChipFault> FaultsOf(const sim::SimBoard& board) {
  const sim::SocketKind* kind = board.Kind();
  if (kind == nullptr) return {};
  std::vector<ChipFault> faults{ChipFault::SlowCells, ChipFault::StuckDataLine};
  const bool erasable = kind->family != sim::ChipFamily::PageEeprom || kind->has_id_and_erase;
  if (erasable) faults.push_back(ChipFault::FailsErase);
  if (kind->family == sim::ChipFamily::CommandFlash || kind->has_id_and_erase) {
    faults.push_back(ChipFault::OtherId);
  }
  return faults;
}

std::string FaultText(ChipFault fault) {
  switch (fault) {
    case ChipFault::SlowCells:
      return "slow cells (each needs " + std::to_string(kSlowCellFactor) +
             " times the programming)";
    case ChipFault::StuckDataLine:
      return "data line D" + std::to_string(kStuckLine) + " reading 0 at every address";
    case ChipFault::FailsErase:
      return "an erase that leaves the cells as they are";
    case ChipFault::OtherId:
      return "the identification codes of another chip";
  }
  return {};
}

std::string PutFaultyChip(sim::SimBoard& board, ChipFault fault) {
  sim::Chip* chip = board.PutNewChip();
  if (chip == nullptr) return InSocket(chip, "");
  switch (fault) {
    case ChipFault::SlowCells:
      chip->SetPulsesNeeded(kSlowCellFactor);
      break;
    case ChipFault::StuckDataLine:
      chip->StuckDataLine(kStuckLine);
      break;
    case ChipFault::FailsErase:
      chip->FailErases(true);
      break;
    case ChipFault::OtherId:
      if (auto* flash = dynamic_cast<sim::CommandFlash*>(chip)) {
        flash->AnswerIds(kOtherMaker, kOtherFlash);
      } else if (auto* page = dynamic_cast<sim::PageEeprom*>(chip)) {
        page->AnswerIds(kOtherMaker, kOtherPage);
      }
      break;
  }
  return InSocket(chip, "a faulty blank ", " with " + FaultText(fault));
}

std::string DamageReport(const sim::SimBoard& board) {
  if (board.chip() == nullptr || board.chip()->Damage().empty()) return {};
  return std::string(kPrefix) + "the chip is damaged: " + board.chip()->Damage();
}

}  // namespace frontend
