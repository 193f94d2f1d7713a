#pragma once

#include <vector>

#include "sim/chip.h"
#include "sim/socket_kinds.h"
#include "sim/write_status.h"

namespace sim {

// A page-write device: the AT29C256 / AT29C010A / AT29C020 / AT29C040A sector Flash, the
// X28C256, AT28C256 and AT28C64B EEPROMs. Each write cycle loads one byte into the page (sector)
// buffer, of the kind's size; when no further byte load starts within the byte-load window the
// page is written, taking the write time, during which reads show status (bit 7 complemented,
// bit 6 toggling) and writes are ignored. Each kind says whether its window runs from the end
// of the last byte load (the AT29C Flash) or from that load's start (the EEPROMs).
//
// Software data protection: AAh at 5555h, 55h at 2AAAh, A0h at 5555h switches it on and loads
// the page that follows; AAh, 55h, 80h, AAh, 55h, 20h switches it off. The addresses are
// compared on the lines the part decodes (A14..A0; A12..A0 on the 8 KB AT28C64B, which so sees
// 5555h as 1555h). While it is on, loads without that prefix write nothing; the AT28C parts
// still run a write cycle for them. The AT29C Flash also take 90h (identification: maker and
// device codes at addresses 0 and 1), F0h (leave identification) and 80h ... 10h (chip erase).
class PageEeprom final : public Chip {
 public:
  PageEeprom(std::string name, const SocketKind& kind);

  void SetProtected(bool on) { protected_ = on; }
  // A chip answering other codes in its identification mode.
  void AnswerIds(uint8_t maker, uint8_t device) {
    maker_ = maker;
    device_ = device;
  }
  bool Protected() const { return protected_; }
  bool InIdMode() const { return id_mode_; }
  void SetWriteTime(Nanos t) { write_time_ = t; }
  // How long after the identification command the codes are answered; until then reads still
  // give the cells.
  void SetIdEntryTime(Nanos t) { id_entry_time_ = t; }
  uint64_t Erases() const { return erases_; }

  void Tick(Nanos now) override { Settle(now); }
  bool Driving() const override;
  uint8_t Output(Nanos now) override;

 protected:
  void OnLines(const Lines& before, const Lines& after, Nanos now) override;
  void OnSeated() override;

 private:
  struct Cycle {
    uint32_t address;
    uint8_t data;
  };
  enum class Match : uint8_t {
    Partial,
    Mismatch,
    EnableAndLoad,
    Disable,
    IdEntry,
    IdExit,
    ChipErase
  };
  // False when the chip did not take the cycle (busy, or ignoring commands).
  bool Write(uint32_t address, uint8_t data, Nanos now);
  Match MatchCommand() const;
  void LoadByte(const Cycle& c);
  void Settle(Nanos now);
  void FlushCommandAsLoads();
  void CommitPage(Nanos start);
  bool Busy(Nanos now) const { return status_.Busy(now); }

  uint8_t maker_, device_;
  bool has_id_and_erase_;
  bool unloaded_bytes_erased_;  // the Flash rewrites its whole sector
  uint32_t page_size_;
  uint32_t command_mask_;  // the address lines the command cycles compare
  Nanos load_window_;
  Nanos write_time_;
  Nanos id_entry_time_;
  Nanos erase_time_{std::chrono::milliseconds(20)};
  bool window_from_cycle_start_;  // the EEPROMs
  bool protected_loads_timed_;    // protected loads still run a write cycle (AT28C)

  bool protected_ = false;
  bool id_mode_ = false;
  Nanos id_from_{0};
  bool loading_ = false;  // a load cycle is open (bytes may follow)
  uint32_t page_base_ = 0;
  std::vector<int16_t> page_;  // -1: not loaded
  bool page_has_bytes_ = false;
  bool empty_write_ = false;    // the window's end starts a write cycle even without bytes
  std::vector<Cycle> command_;  // cycles that so far match a command sequence
  WriteCycleEdges cycle_;
  bool in_cycle_ = false;  // a write cycle is under way
  Nanos window_from_{0};   // the byte-load window runs from here
  WriteStatus status_;
  uint64_t erases_ = 0;
};

}  // namespace sim
