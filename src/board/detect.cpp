#include "board/detect.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>
#include <optional>
#include <string_view>
#include <utility>

#include "platform/files.h"
#include "platform/hex_text.h"
#include "platform/port_io.h"

namespace board {
namespace {

using panel::Ctl;

// The three ports a board can sit at, in the order of the LPTSelection options.
struct PortOption {
  int16_t base;
  const char* name;
};
constexpr std::array<PortOption, 3> kPortOptions = {
    PortOption{0x378, "378h"}, PortOption{0x278, "278h"}, PortOption{0x3BC, "3BCh"}};

// The probing order: each board found later replaces one found earlier.
constexpr std::array<int16_t, 3> kProbeOrder = {0x278, 0x378, 0x3BC};

// Both probes expect status bits 4..6 low after the 00h byte and high after the FFh byte.
constexpr int32_t kBoardAnswer = 0x0070;
constexpr uint8_t kProbedStatusBits = 0x70;

// No sane settings file comes near this; a larger one is not read at all.
constexpr uint64_t kMaxSettingsBytes = 4U << 20U;

constexpr std::string_view kPortKey = "IO_PORT = ";
constexpr std::string_view kModelKey = "MODEL = ";

// Ports as the messages and the settings file show them.
std::string Hex(int16_t value) {
  return platform::Hex(static_cast<uint16_t>(value));
}

// A number as a file line prints it: sign position (blank or minus), digits, one blank.
std::string Printed(int16_t value) {
  const std::string digits = std::to_string(value < 0 ? -static_cast<int32_t>(value) : value);
  return (value < 0 ? "-" : " ") + digits + " ";
}

bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

// The value of the leading hexadecimal digits of text, blanks ignored; 0 when there are none.
// Values that cannot be a 16-bit port give nothing.
std::optional<uint32_t> LeadingHex(std::string_view text) {
  uint32_t value = 0;
  for (char c : text) {
    if (IsBlank(c)) continue;
    const int digit = HexDigit(c);
    if (digit < 0) break;
    value = value * 16 + static_cast<uint32_t>(digit);
    if (value > 0xFFFF) return std::nullopt;
  }
  return value;
}

// The value of the leading decimal number of text (sign, digits, fraction, exponent; blanks
// ignored), rounded half to even to a 16-bit integer. Nothing valid gives 0, and so does a value
// outside the 16-bit range.
int16_t LeadingDecimalAsInt16(std::string_view text) {
  std::string number;
  bool negative = false;
  bool seen_sign = false, seen_digit = false, seen_point = false, seen_exponent = false;
  for (char c : text) {
    if (IsBlank(c)) continue;
    if ((c == '+' || c == '-') && !seen_sign && !seen_digit && !seen_point) {
      seen_sign = true;
      negative = c == '-';
    } else if (c >= '0' && c <= '9') {
      seen_digit = true;
      number.push_back(c);
    } else if (c == '.' && !seen_point && !seen_exponent) {
      seen_point = true;
      number.push_back(c);
    } else if ((c == 'E' || c == 'e' || c == 'D' || c == 'd') && seen_digit && !seen_exponent) {
      seen_exponent = true;
      number.push_back('e');
    } else if ((c == '+' || c == '-') && !number.empty() && number.back() == 'e') {
      number.push_back(c);
    } else {
      break;
    }
    if (number.size() > 400) break;  // far beyond any 16-bit value already
  }
  double value = 0;
  const auto [end, error] = std::from_chars(number.data(), number.data() + number.size(), value);
  if (error != std::errc() || !std::isfinite(value)) return 0;
  const double rounded = std::nearbyint(negative ? -value : value);
  if (rounded < std::numeric_limits<int16_t>::min() ||
      rounded > std::numeric_limits<int16_t>::max()) {
    return 0;
  }
  return static_cast<int16_t>(rounded);
}

}  // namespace

Detector::Detector(Board& board, panel::Panel& ui, const platform::Clock& clock,
                   std::string settings_path)
    : board_(board), ui_(ui), clock_(clock), settings_path_(std::move(settings_path)) {}

void Detector::SetPort(int16_t base) {
  board_.ForgetLatches();  // another port: its board's latches hold what they hold
  board_.PortBase = base;
  board_.StatusPort = static_cast<int16_t>(base + 1);
  board_.ControlPort = static_cast<int16_t>(base + 2);
}

void Detector::TellPortChanged() {
  if (PortChanged) PortChanged();
}

void Detector::WaitSettlingTime() {
  const int64_t passes = int64_t{board_.LatchDelayFactor} * 100;
  if (passes < 1) return;
  board_.io().Spin(static_cast<int32_t>(std::min<int64_t>(passes, INT32_MAX)));
}

uint8_t Detector::SettledStatus(uint16_t base) {
  WaitSettlingTime();
  return static_cast<uint8_t>(board_.io().PortIn(static_cast<uint16_t>(base + 1)) &
                              kProbedStatusBits);
}

// A model-5 board latches BFh into latch 3 (data driver on) and then 00h and FFh into latch 4;
// with control bit 2 set it shows the low nibble on status bits 3..6.
int32_t Detector::ProbeModel5(uint16_t base) {
  board_.ForgetLatches();  // the probe writes latches without the board's shadow
  platform::Machine& io = board_.io();
  const auto control = static_cast<uint16_t>(base + 2);
  io.PortOut(base, 0xBF);
  io.PortOut(control, 0x0E);
  io.PortOut(control, 0x00);
  io.PortOut(base, 0x00);
  io.PortOut(control, 0x06);
  const uint8_t low = SettledStatus(base);
  io.PortOut(control, 0x00);
  io.PortOut(base, 0xFF);
  io.PortOut(control, 0x06);
  const uint8_t high = SettledStatus(base);
  return low * 256 + high;
}

// The same test with the model-4 codes: latch 3 gets BFh, latch 4 00h and then FFh, and with
// control bit 2 clear the board shows the low nibble on status bits 4..7.
int32_t Detector::ProbeModel4(uint16_t base) {
  board_.ForgetLatches();  // the probe writes latches without the board's shadow
  platform::Machine& io = board_.io();
  const auto& codes = board_.ControlCodeTable;
  const auto strobe2 = static_cast<uint8_t>(codes[5]);
  const auto strobe3 = static_cast<uint8_t>(codes[7]);
  const auto strobe4 = static_cast<uint8_t>(codes[9]);
  const auto idle2 = static_cast<uint8_t>(codes[4]);
  const auto control = static_cast<uint16_t>(base + 2);
  io.PortOut(control, strobe2);
  io.PortOut(base, 0xBF);
  io.PortOut(control, strobe3);
  io.PortOut(control, strobe2);
  io.PortOut(base, 0x00);
  io.PortOut(control, strobe4);
  io.PortOut(control, strobe2);
  const uint8_t low = SettledStatus(base);
  io.PortOut(base, 0xFF);
  io.PortOut(control, strobe4);
  io.PortOut(control, strobe2);
  const uint8_t high = SettledStatus(base);
  io.PortOut(control, idle2);
  return low * 256 + high;
}

void Detector::CheckHardware() {
  const int16_t base = board_.PortBase;
  SetPort(base);
  // Nothing outside the three parallel ports is ever probed.
  if (!platform::IsParallelPortBase(base)) {
    ui_.LogMessage("Port " + Hex(base) + " Not Responding");
    return;
  }
  const auto port = static_cast<uint16_t>(base);
  panel::SetIndicator(ui_, Ctl::DataFlow_label, true);
  const int32_t model5 = ProbeModel5(port);
  const int32_t model4 = ProbeModel4(port);
  panel::SetIndicator(ui_, Ctl::DataFlow_label, false);
  if (model5 == kBoardAnswer) {
    board_.BoardModel = 5;
    FoundPort = base;
  }
  if (model4 == kBoardAnswer) {  // a board answering both probes counts as model 4
    board_.BoardModel = 4;
    FoundPort = base;
  }
  if (model5 != kBoardAnswer && model4 != kBoardAnswer) {
    ui_.LogMessage("Port " + Hex(base) + " Not Responding");
  }
}

void Detector::TestHardware_button_Click() {
  FoundPort = 0;
  board_.BoardModel = 0;
  ui_.SetForeColor(Ctl::MeldrixHardwareFound, panel::kYellow);
  ui_.SetCaption(Ctl::MeldrixHardwareFound, "NO HARDWARE FOUND");
  const int16_t previous = board_.PortBase;
  for (int16_t base : kProbeOrder) {
    board_.PortBase = base;
    CheckHardware();
  }
  SetPort(previous);
  ApplyFoundBoard();
  TellPortChanged();
}

// Selecting the option runs the group's click handler, as the operator's click would.
void Detector::SelectPortOption(int16_t base) {
  int selected = -1;
  for (size_t i = 0; i < kPortOptions.size(); ++i) {
    if (kPortOptions[i].base == base) selected = static_cast<int>(i);
  }
  if (selected < 0) return;
  for (int i = 0; i < static_cast<int>(kPortOptions.size()); ++i) {
    ui_.SetValue(panel::LPTSelection(i), i == selected ? 1 : 0);
  }
  LPTSelection_Click(selected);
}

// A simulated board is announced where a real one is, and named for what it is: the operator
// must never take its answers for a board's.
void Detector::AnnounceBoard(int16_t model) {
  const std::string port = Hex(board_.PortBase);
  const std::string digit = model == 5 ? "5" : "4";
  if (BoardIsSimulated && BoardIsSimulated(board_.PortBase)) {
    ui_.LogMessage("Simulated MELDRIX-" + digit + " Board answers at Port: " + port +
                   " (no real board is reached)");
    ui_.SetCaption(Ctl::MeldrixHardwareFound, "SIMULATED MODEL " + digit + " - port " + port + "h");
  } else {
    ui_.LogMessage("MELDRIX-" + digit + " Device was FOUND at Port: " + port);
    ui_.SetCaption(Ctl::MeldrixHardwareFound, "MODEL " + digit + " - PC port " + port + "h");
  }
  ui_.SetForeColor(Ctl::MeldrixHardwareFound, panel::kButtonText);
  SaveBoardSettings();
  board_.SelectBoardModel();
}

void Detector::ApplyFoundBoard() {
  if (FoundPort < 1) return;
  ui_.SetForeColor(Ctl::Ready_label, panel::kWhite);
  SetPort(FoundPort);
  SelectPortOption(FoundPort);
  if (board_.BoardModel == 5) {
    AnnounceBoard(5);
    // The board's lamp blinks once to show which board answered.
    board_.LampOn();
    board_.io().Sleep(200);
    board_.LampOff();
  }
  if (board_.BoardModel == 4) AnnounceBoard(4);
  board_.Reset();
}

void Detector::SaveBoardSettings() {
  if (BoardIsSimulated && BoardIsSimulated(board_.PortBase)) {
    ui_.LogMessage("The simulated board is not stored in " + settings_path_);
    return;
  }
  const std::string text = "[MELDRIX5 SETUP]\r\nDATE = " + clock_.Stamp() +
                           "\r\nIO_PORT = " + Hex(board_.PortBase) +
                           "\r\nMODEL = " + Printed(board_.BoardModel) + "\r\n";
  if (auto error = platform::WriteFileAtomically(settings_path_, text)) {
    ui_.LogMessage("Board settings could not be saved to " + settings_path_ + ": " + error->reason);
  }
}

// Only "IO_PORT = " and "MODEL = " lines count. A port other than 278h, 378h or 3BCh (or a
// number too big for a port) is ignored as if its line were not there, so a garbled file never
// points the program at an address that is not a parallel port; the program probes instead.
void Detector::LoadBoardSettings() {
  if (!platform::FileExists(settings_path_)) return;
  const auto lines = platform::ReadLines(settings_path_, kMaxSettingsBytes);
  if (!lines) {
    ui_.LogMessage("Board settings file " + settings_path_ + " could not be read");
    return;
  }
  int port_keys = 0;
  int model_keys = 0;
  for (const std::string& line : *lines) {
    const std::string_view text = line;
    if (text.starts_with(kPortKey)) {
      const auto port = LeadingHex(text.substr(kPortKey.size()));
      if (!port || !platform::IsParallelPortBase(static_cast<int>(*port))) continue;
      board_.PortBase = static_cast<int16_t>(*port);
      ++port_keys;
    } else if (text.starts_with(kModelKey)) {
      board_.BoardModel = LeadingDecimalAsInt16(text.substr(kModelKey.size()));
      ++model_keys;
    }
  }
  if (port_keys == 1 && model_keys == 1) FoundPort = board_.PortBase;
  ApplyFoundBoard();
  TellPortChanged();
}

void Detector::LPTSelection_Click(int /*index*/) {
  for (size_t i = 0; i < kPortOptions.size(); ++i) {
    if (ui_.Value(panel::LPTSelection(static_cast<int>(i))) == 0) continue;
    const std::string name = kPortOptions[i].name;
    ui_.SetCaption(Ctl::PortSelected, name);
    ui_.LogMessage("Port Selection changed to " + name);
    SetPort(kPortOptions[i].base);
  }
  TellPortChanged();
}

void Detector::ForceModel(int16_t model) {
  const std::string digit = model == 5 ? "5" : "4";
  board_.BoardModel = model;
  ui_.LogMessage("MELDRIX-" + digit + " Device was FORCED by Operator");
  ui_.SetCaption(Ctl::MeldrixHardwareFound, "Operator Forced Model " + digit);
  ui_.SetForeColor(Ctl::MeldrixHardwareFound, panel::kLightPink);
  ui_.SetForeColor(Ctl::Ready_label, panel::kLightPink);
  board_.SelectBoardModel();
  board_.Reset();
}

}  // namespace board
