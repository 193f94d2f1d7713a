#pragma once

#include <array>
#include <chrono>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace sim {

using Nanos = std::chrono::nanoseconds;
// Voltages on the socket's pins.
using Millivolts = int32_t;

// What the five board latches hold, latch 0 first.
using Latches = std::array<uint8_t, 5>;

// One socket pin's source on the board: a bit of one latch.
struct LatchBit {
  uint8_t latch = 0;
  uint8_t bit = 0;
  constexpr bool High(const Latches& l) const {
    return ((static_cast<unsigned>(l[latch]) >> bit) & 1U) != 0;
  }
};

// Lines every socket position shares, whatever the device.
inline constexpr LatchBit kChipEnable{3, 7};    // active low
inline constexpr LatchBit kOutputEnable{0, 6};  // active low
inline constexpr LatchBit kVppOnPin24{0, 7};    // programming voltage onto the output-enable pin
inline constexpr LatchBit kDriverEnable{3, 6};  // board drives latch 4 onto the bus, active low

// How one kind of device sits in the socket: which latch bits are its address lines, which
// one is its program or write-strobe line (active low; none when chip enable is the program
// line), and which latch-0 bits put the programming voltage on its VPP pin.
struct PinMap {
  std::array<LatchBit, 20> address{};
  uint8_t address_lines = 0;
  std::optional<LatchBit> strobe;
  uint8_t vpp_bits = 0;
};

// The socket's lines as the chip sees them; "true" means asserted, whatever the polarity.
struct Lines {
  uint32_t address = 0;
  bool ce = false;
  bool oe = false;
  bool strobe = false;
  bool vpp = false;          // the programming voltage reaches the device's VPP pin
  Millivolts vpp_level = 0;  // and its level there (0 while it does not)
  uint8_t bus = 0xFF;        // the data bus as the board leaves it (latch 4, or the pull-ups)
  bool operator==(const Lines&) const = default;
};

// One chip in the socket. The board tells it whenever a latch changes and asks it what it puts
// on the data bus; the chip knows nothing else about the board. Cells, fault injection and the
// counters are common to every kind; the kinds differ in how their pins act.
class Chip {
 public:
  Chip(std::string name, uint32_t size, const PinMap& pins);
  virtual ~Chip() = default;
  Chip(const Chip&) = delete;
  Chip& operator=(const Chip&) = delete;

  const std::string& name() const { return name_; }
  uint32_t size() const { return static_cast<uint32_t>(cells_.size()); }
  std::span<const uint8_t> Contents() const { return cells_; }

  // Sets cells directly (a chip that is not blank); bytes past the end are dropped.
  void Load(std::span<const uint8_t> bytes, uint32_t at = 0);
  // Ultraviolet erase: every cell of an EPROM back to FFh. Flash and EEPROM chips have no
  // window, so it does nothing to them.
  virtual void EraseUV() {}

  // --- Fault injection -------------------------------------------------------------------------
  void NeverPrograms(uint32_t address);         // the cell keeps its value whatever is done
  void StuckAtZero(uint32_t address, int bit);  // that bit always reads 0
  // How many programming operations each cell needs (Flash byte programs, EEPROM page writes);
  // an EPROM cell needs this many times its datasheet programming time of pulses.
  void SetPulsesNeeded(int n);
  void SlowCell(uint32_t address, int pulses);  // one cell needs this many instead
  void IgnoreCommands(bool ignore) { ignore_commands_ = ignore; }  // write cycles do nothing
  // One data line reads 0 at every address (a broken output or a bad socket contact).
  void StuckDataLine(int bit);
  // Erases started from now on leave the cells as they are (an EPROM that the ultraviolet light
  // no longer clears, a Flash chip whose erase fails).
  void FailErases(bool fail) { fail_erases_ = fail; }
  bool FailsErases() const { return fail_erases_; }

  // A voltage beyond the device's absolute maximum rating reached one of its pins: what
  // happened, and from then on its cells stay as they are. Empty for an intact chip.
  const std::string& Damage() const { return damage_; }
  // The highest programming voltage that ever reached the device's VPP pin (0: none).
  Millivolts HighestVpp() const { return highest_vpp_; }

  // Programming operations that reached the chip: EPROM pulses with the voltage on, Flash byte
  // program commands, EEPROM page writes.
  uint64_t ProgramPulses() const { return program_pulses_; }

  // --- What the chip's pins saw ----------------------------------------------------------------
  // Each change of the lines the chip sees (address, bus, chip enable, output enable, program
  // line, programming voltage and its level), with the board's time of it, so that two ways of
  // driving the board can be shown to give the chip the same events. Off until asked: a whole
  // chip's programming makes millions of them.
  struct PinChange {
    Nanos at;
    Lines lines;
    bool operator==(const PinChange&) const = default;
  };
  void RecordPins(bool on) {
    recording_pins_ = on;
    pin_record_.clear();
  }
  const std::vector<PinChange>& PinRecord() const { return pin_record_; }

  // --- The board's side ------------------------------------------------------------------------
  // Put into the socket: takes the lines as they are, without seeing any edge. vpp_supply is
  // the level of the board's programming-voltage generator, which the latches route to pins.
  void Seat(const Latches& latches, Millivolts vpp_supply, Nanos now);
  // A latch changed.
  void Update(const Latches& latches, Millivolts vpp_supply, Nanos now);
  // Time has passed with the lines unchanged: timed cycles that are due complete.
  virtual void Tick(Nanos /*now*/) {}
  // Whether the chip's outputs drive the data bus now.
  virtual bool Driving() const = 0;
  // The byte on its outputs (meaningful while Driving()).
  virtual uint8_t Output(Nanos now) = 0;

 protected:
  virtual void OnLines(const Lines& before, const Lines& after, Nanos now) = 0;
  virtual void OnSeated() {}
  const Lines& lines() const { return lines_; }
  bool ignores_commands() const { return ignore_commands_; }
  uint8_t Cell(uint32_t address) const { return cells_[address]; }

  // One programming operation on a cell. EPROM and Flash cells only lose bits (1 to 0);
  // EEPROM cells take the byte. The cell changes once it has had the operations it needs.
  // An operation may count for part of one: `dose` out of the `full_dose` a whole operation is
  // (an EPROM pulse, in nanoseconds of its cell's programming time).
  enum class Cells { ClearOnly, Rewrite };
  void ProgramCell(uint32_t address, uint8_t data, Cells how, int64_t dose = 1,
                   int64_t full_dose = 1);
  void CountProgramPulse() { ++program_pulses_; }
  void FillErased();  // every cell FFh (faults still apply)
  void Erase(uint32_t first, uint32_t count);
  void Damaged(std::string what);

 private:
  Lines Decode(const Latches& latches, Millivolts vpp_supply) const;
  uint8_t Faulted(uint32_t address, uint8_t value) const;

  std::string name_;
  PinMap pins_;
  uint32_t address_mask_;
  std::vector<uint8_t> cells_;
  Lines lines_;
  bool ignore_commands_ = false;
  bool fail_erases_ = false;
  uint8_t stuck_lines_ = 0;  // data lines that read 0 everywhere
  std::string damage_;
  Millivolts highest_vpp_ = 0;
  bool recording_pins_ = false;
  std::vector<PinChange> pin_record_;
  int pulses_needed_ = 1;
  uint64_t program_pulses_ = 0;
  std::unordered_set<uint32_t> never_programs_;
  std::unordered_map<uint32_t, uint8_t> stuck_at_zero_;
  std::unordered_map<uint32_t, int> slow_cells_;
  std::unordered_map<uint32_t, int64_t> dose_taken_;  // cells half-way through their operations
};

}  // namespace sim
