#include "sim/sim_board.h"

#include "sim/socket_kinds.h"

namespace sim {
namespace {

// Strobe codes of latches 0..4 on the control register's low four bits.
constexpr std::array<uint8_t, 5> kModel4Strobes{0x0B, 0x03, 0x09, 0x01, 0x0F};
constexpr std::array<uint8_t, 5> kModel5Strobes{0x04, 0x0C, 0x06, 0x0E, 0x00};

constexpr uint8_t kControlNibbleSelect = 0x04;

constexpr unsigned Bit(unsigned value, unsigned bit) {
  return (value >> bit) & 1U;
}

// Model 4: D0 on ACK (bit 6), D1 on BUSY (bit 7, inverted by the port), D2 on PE (bit 5),
// D3 on SELECT (bit 4); ERROR (bit 3) and the reserved bits are pulled up.
constexpr uint8_t Model4Status(uint8_t nibble) {
  return static_cast<uint8_t>(0x0FU | Bit(nibble, 0) << 6 | (Bit(nibble, 1) ^ 1U) << 7 |
                              Bit(nibble, 2) << 5 | Bit(nibble, 3) << 4);
}

// Model 5: D0..D3 on ERROR, SELECT, PE, ACK (bits 3..6); BUSY is held high, so bit 7 reads 0.
constexpr uint8_t Model5Status(uint8_t nibble) {
  return static_cast<uint8_t>(0x07 | (nibble & 0x0F) << 3);
}

}  // namespace

SimBoard::SimBoard(int model, uint16_t base) : model_(model), base_(base) {}

SimBoard::~SimBoard() = default;

void SimBoard::SetModel(int model) {
  model_ = model;
}

bool SimBoard::InsertDevice(std::string_view name) {
  const SocketKind* kind = FindSocketKind(name);
  if (kind == nullptr) {
    EmptySocket();
    return false;
  }
  auto it = chips_.find(kind->name);
  if (it == chips_.end()) {
    it = chips_.emplace(std::string(kind->name), MakeChip(*kind)).first;
  }
  kind_ = kind;
  chip_ = it->second.get();
  chip_->Seat(latches_, VppSupply(), now_);
  contended_ = false;
  return true;
}

void SimBoard::EmptySocket() {
  chip_ = nullptr;
  kind_ = nullptr;
  contended_ = false;
}

Chip* SimBoard::PutNewChip(bool other_part) {
  if (kind_ == nullptr) return nullptr;
  auto& kept = chips_[std::string(kind_->name)];
  kept = MakeChip(*kind_, other_part);
  chip_ = kept.get();
  chip_->Seat(latches_, VppSupply(), now_);
  contended_ = false;
  return chip_;
}

Millivolts SimBoard::VppSupply() const {
  constexpr Millivolts kLow = 12500;
  if (model_ != 5) return kLow;
  switch (latches_[0] & 0x03) {
    case 0x02:
      return 21000;
    case 0x03:
      return 25000;
    default:
      return kLow;
  }
}

void SimBoard::PortOut(uint16_t port, uint8_t value) {
  now_ += access_time_;
  if (port == base_) {
    data_ = value;
  } else if (port == base_ + 2) {
    WriteControl(value);
  }
}

uint8_t SimBoard::PortIn(uint16_t port) {
  now_ += access_time_;
  if (port == base_) return data_;
  if (port == base_ + 1) return Status();
  if (port == base_ + 2) return control_;
  return 0xFF;
}

void SimBoard::TimePassed(std::chrono::nanoseconds elapsed) {
  now_ += elapsed;
  if (chip_ != nullptr) chip_->Tick(now_);
}

void SimBoard::WriteControl(uint8_t value) {
  const uint8_t left = control_ & 0x0F;
  control_ = value;
  if ((value & 0x0F) == left) return;
  const auto& strobes = model_ == 4 ? kModel4Strobes : kModel5Strobes;
  if (model_ != 4 && model_ != 5) return;
  for (size_t n = 0; n < strobes.size(); ++n) {
    if (strobes[n] != left) continue;
    if (latches_[n] != data_) {
      latches_[n] = data_;
      LatchesChanged();
    }
    return;
  }
}

void SimBoard::LatchesChanged() {
  if (chip_ == nullptr) return;
  chip_->Update(latches_, VppSupply(), now_);
  const bool board_drives = (latches_[3] & 0x40) == 0;
  const bool contended = board_drives && chip_->Driving();
  if (contended && !contended_) ++contentions_;
  contended_ = contended;
}

uint8_t SimBoard::Bus() {
  if ((latches_[3] & 0x40) == 0) return latches_[4];
  if (chip_ != nullptr && chip_->Driving()) return chip_->Output(now_);
  return 0xFF;
}

uint8_t SimBoard::Status() {
  const bool high_select = (control_ & kControlNibbleSelect) != 0;
  const uint8_t bus = Bus();
  const auto low = static_cast<uint8_t>(bus & 0x0F);
  const auto high = static_cast<uint8_t>(bus >> 4);
  if (model_ == 4) return Model4Status(high_select ? high : low);
  if (model_ == 5) return Model5Status(high_select ? low : high);
  return 0xFF;
}

}  // namespace sim
