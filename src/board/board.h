#pragma once

#include <array>
#include <cstdint>
#include <optional>

#include "panel/panel.h"
#include "platform/machine.h"

namespace board {

// The latch bits a device's upper address lines sit on.
enum class AddressWiring : uint8_t {
  Straight,     // every address bit on its own latch bit
  A18OnL3Bit3,  // the 32-pin Flash parts: A18 on latch-3 bit 3 (bit 2 is their write strobe)
  A14OnL1Bit7,  // the X28C256: A14 on latch-1 bit 7 (bit 6 is its write strobe)
};

// The board's address counter: 256-byte pages (latch 2), 256 pages to a bank (latch 1), the
// bank on latch 3.
inline constexpr int32_t kPageBytes = 256;
inline constexpr int32_t kBankBytes = 65536;

// The programmer board as the program drives it: the parallel port it sits on, its model, the
// five latches (through their shadow values), the control lines and address counter of the
// device in the socket, and the nibble read-back of the device's data.
//
// Nothing is ever read back from a latch: a caller changes the shadow value RegN first and then
// writes the whole latch with SetRegN.
class Board {
 public:
  Board(platform::Machine& io, panel::Panel& ui);

  // --- Port and model -------------------------------------------------------------------------
  int16_t PortBase = 0;     // data register: 378h, 278h or 3BCh; 0 while none is known
  int16_t StatusPort = 0;   // PortBase + 1
  int16_t ControlPort = 0;  // PortBase + 2
  int16_t BoardModel = 0;   // 4 or 5; anything else: no model known

  // --- Latches ----------------------------------------------------------------------------------
  int16_t Reg0 = 0, Reg1 = 0, Reg2 = 0, Reg3 = 0, Reg4 = 0;
  // Per model and latch: idle code, strobe code. Index (model 4: 0, model 5: 1) * 10 + latch * 2
  // + (0 idle, 1 strobe).
  std::array<int16_t, 20> ControlCodeTable{};
  std::array<int16_t, 5> LatchIdle{};
  std::array<int16_t, 5> LatchStrobe{};
  int16_t NibbleSelectLow = 0, NibbleSelectHigh = 0;

  // --- Busy-wait lengths (set from the speed slider and the device's speed factors) -----------
  int32_t LatchDelayCount = 0, ShortDelayCount = 0, LongDelayCount = 0;
  int32_t LatchDelayFactor = 5, ShortDelayFactor = 100, LongDelayFactor = 500;

  void InitControlCodes();
  void SelectBoardModel();
  // --- Fast path ------------------------------------------------------------------------------
  // Off (the default): every latch write is the full sequence with its settling waits. On: a
  // latch write whose latch already holds the value is left out, the others go out as fast
  // latch writes, and the read-back's settling waits are left out (SettleDelay). The order of
  // the chip's events, every pulse's busy-wait and every voltage stay as they are.
  void SetFastPath(bool on);
  bool FastPath() const { return fast_path_; }
  // No latch's value is known any more: the board may have lost it (power, reset, another port
  // or model). The next write of each latch goes out whatever its value.
  void ForgetLatches() { held_ = {}; }
  // Ends a programming pulse with `write`, as the full latch write on either path: a pulse lasts
  // its busy-wait plus the write that ends it, so the chip sees it as long on both paths.
  void EndPulseWith(void (Board::*write)());
  // Latch writes that reached the port, fast or full; for measuring the paths.
  uint64_t LatchWritesSent() const { return latch_writes_sent_; }

  void SetReg0() { WriteLatch(0, Reg0); }
  void SetReg1() { WriteLatch(1, Reg1); }
  void SetReg2() { WriteLatch(2, Reg2); }
  void SetReg3() { WriteLatch(3, Reg3); }
  void SetReg4() { WriteLatch(4, Reg4); }
  // A latch written without settling waits: the byte on the data lines, then strobe and idle.
  // For cycles the chip must see within a short window (a Flash command's unlock cycles, the
  // byte loads of a page): the port accesses themselves give the data time to settle. On the
  // fast path it is left out when the latch already holds the value.
  void FastLatchWrite(int latch, int16_t value);
  void REG4ON();   // board drives latch 4 onto the device's data bus
  void REG4OFF();  // data driver released
  void Reset();    // board idle: outputs off, address 0, chip disabled, data driver off
  // The port writes of Reset's latch writes, for a signal handler to repeat when the program
  // ends on a fault. The latch delays are left out: one port write already lasts far longer
  // than a latch needs its data to settle.
  std::array<platform::PortWrite, 16> ResetWrites() const;

  void LatchDelay() { io_.Spin(LatchDelayCount); }
  void ShortDelay() { io_.Spin(ShortDelayCount); }
  void LongDelay() { io_.Spin(LongDelayCount); }
  void DelayLoop10() { io_.Spin(10); }
  void DelayLoop300() { io_.Spin(300); }
  // A wait for the data bus to change hands or a programmed cell to settle before it is read
  // back. The chip needs at most 2 us there (data valid from chip enable, programming-voltage
  // recovery and hold, data hold after a pulse); on the fast path the three port accesses of
  // the fast latch write between two of its events (an I/O bus cycle of about 1 us each) already
  // last longer, so the wait is left out.
  void SettleDelay(int32_t passes) {
    if (!fast_path_) io_.Spin(passes);
  }

  // --- Address counter and control lines of the socket ----------------------------------------
  int32_t CurrentAddress = 0;
  int32_t AddrLow = 0, AddrMid = 0, AddrHigh = 0;
  std::array<int16_t, 256> AddrMidMap{};   // latch-1 pattern for each AddrMid
  std::array<int16_t, 256> AddrHighMap{};  // latch-3 pattern for each AddrHigh
  int16_t Reg1Mask = 0, Reg3Mask = 0;      // fixed levels of the selected device

  void SetIdentityMaps();
  // Identity maps, then the moves of the device's wiring.
  void SetAddressMaps(AddressWiring wiring);
  void Endereco2Adr();  // split CurrentAddress into AddrLow, AddrMid, AddrHigh
  void IncADR();        // next address; loads no latch
  void SETADR();        // latches 1, 2, 3 through the maps
  void SETADR_FLASH() { SETADR(); }
  void SETADR_XICOR();  // without the maps, writing only latches that change

  void CEON();
  void CEOFF();
  void OEON();
  void OEOFF();
  void CEOEON();
  void CEOEOFF();
  void VPP24_ON();
  void VPP24_OFF();
  void LampOn();
  void LampOff();
  void ToggleProgramLamp();  // Program_label and the board lamp blink together
  void WEA15ON();
  void WEA15OFF();
  void WEA14ON();
  void WEA14OFF();
  void WEA18ON();
  void WEA18OFF();

  // --- Data read-back -------------------------------------------------------------------------
  uint8_t ReadBackByte = 0;
  std::array<uint8_t, 256> NibbleLowTable{};
  std::array<uint8_t, 256> NibbleHighTable{};
  std::array<uint8_t, 256> Model4DecodeTable{};

  void BuildReadBackTables();
  void GetNibbles();  // the device's byte at the latched address into ReadBackByte

  platform::Machine& io() const { return io_; }
  panel::Panel& ui() const { return ui_; }

 private:
  void WriteLatch(int latch, int16_t value);
  // Whether the latch is known to hold the value's byte already.
  bool Holds(int latch, int16_t value) const;
  void Remember(int latch, int16_t value);
  // Data register, then the control register: idle, strobe, idle.
  std::array<platform::PortWrite, 4> LatchWrites(int latch, int16_t value) const;
  // What Reset puts into latches 0..3: voltages off, address 0, chip and data driver off.
  std::array<int16_t, 4> IdleLatchValues() const;

  platform::Machine& io_;
  panel::Panel& ui_;
  bool fast_path_ = false;
  std::array<std::optional<uint8_t>, 5> held_{};  // what each latch holds, where known
  uint64_t latch_writes_sent_ = 0;
};

}  // namespace board
