// The four setup slots: the state of the window kept in small text files in the current
// directory, one "key = value" line per setting, restored through the same handlers as the
// operator's own clicks.
#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "operations/programmer.h"
#include "platform/files.h"

namespace ops {

using panel::Ctl;
using panel::Ref;

namespace {

// A slot file holds 19 short lines; anything much longer is not a slot file.
constexpr uint64_t kMaxSlotFileBytes = 64 * 1024;
// How much of a skipped line the log shows.
constexpr size_t kShownLineChars = 60;
// Longest slot name shown in the Setup menu.
constexpr size_t kShownNameChars = 80;

// What a slot line holds, and so how it is written and restored.
enum class SlotValue {
  Name,         // the slot's name, shown in the Setup menu; not restored
  CodeFile,     // the code file, loaded once the whole slot is applied
  DeviceIndex,  // the Device list's selection
  Option,       // an option button: "True" or "False"
  CheckBox,     // a check box's state, 0 to 2
  Text,         // a caption, on one line
  Speed,        // the speed slider, 1 to its maximum
};

struct SlotKey {
  std::string_view key;  // the line's start, up to and with " = "
  SlotValue value;
  Ref control;
};

// The 19 lines of a slot file, in the order they are written.
constexpr std::array<SlotKey, 19> kSlotKeys = {{
    {"SetupName = ", SlotValue::Name, Ctl::Setup},
    {"sFILE = ", SlotValue::CodeFile, Ctl::FileNameCodeText},
    {"Device.Index = ", SlotValue::DeviceIndex, Ctl::Device},
    {"Voltage_button(0).Value = ", SlotValue::Option, panel::Voltage_button(0)},
    {"Voltage_button(1).Value = ", SlotValue::Option, panel::Voltage_button(1)},
    {"Voltage_button(2).Value = ", SlotValue::Option, panel::Voltage_button(2)},
    {"Voltage_button(3).Value = ", SlotValue::Option, panel::Voltage_button(3)},
    {"CheckBlankPriorProgramming.Value = ", SlotValue::CheckBox, Ctl::CheckBlankPriorProgramming},
    {"VerifyAfterProgramming.Value = ", SlotValue::CheckBox, Ctl::VerifyAfterProgramming},
    {"LPTSelection(0).Value = ", SlotValue::Option, panel::LPTSelection(0)},
    {"LPTSelection(1).Value = ", SlotValue::Option, panel::LPTSelection(1)},
    {"LPTSelection(2).Value = ", SlotValue::Option, panel::LPTSelection(2)},
    {"PortSelected.Text = ", SlotValue::Text, Ctl::PortSelected},
    {"HiLow_button(0).Value = ", SlotValue::Option, panel::HiLow_button(0)},
    {"HiLow_button(1).Value = ", SlotValue::Option, panel::HiLow_button(1)},
    {"HiLow_button(2).Value = ", SlotValue::Option, panel::HiLow_button(2)},
    {"Slider1.Value = ", SlotValue::Speed, Ctl::Slider1},
    {"CheckCode.Value = ", SlotValue::CheckBox, Ctl::CheckCode},
    {"CheckData.Value = ", SlotValue::CheckBox, Ctl::CheckData},
}};
constexpr std::string_view kNameKey = kSlotKeys[0].key;

// How many bytes of a control character start at text[at]: 1 for an ASCII control, 2 for a
// C1 control (U+0080 .. U+009F, such as U+0085 next line or U+009B, written C2h 80h .. C2h 9Fh),
// which the window and the log would act on as well; 0 for anything else.
size_t ControlLength(std::string_view text, size_t at) {
  const auto u = static_cast<unsigned char>(text[at]);
  if (u < 0x20 || u == 0x7F) return 1;
  if (u == 0xC2 && at + 1 < text.size()) {
    const auto next = static_cast<unsigned char>(text[at + 1]);
    if (next >= 0x80 && next <= 0x9F) return 2;
  }
  return 0;
}

// Appends the text with every control character replaced by `mask`.
void AppendMasked(std::string& out, std::string_view text, char mask) {
  out.reserve(out.size() + text.size());
  size_t plain = 0;  // where the text since the last control character starts
  for (size_t i = 0; i < text.size();) {
    const size_t control = ControlLength(text, i);
    if (control == 0) {
      ++i;
      continue;
    }
    out.append(text, plain, i - plain).push_back(mask);
    i += control;
    plain = i;
  }
  out.append(text, plain);
}

bool HasControlChars(std::string_view text) {
  for (size_t i = 0; i < text.size(); ++i) {
    if (ControlLength(text, i) != 0) return true;
  }
  return false;
}

// Appends text that is safe to show in a log line or a menu entry: control characters become
// '?', long text is cut with "..." (never inside a two-byte control).
void AppendShown(std::string& out, std::string_view text, size_t limit) {
  size_t cut = std::min(limit, text.size());
  if (cut > 0 && cut < text.size() && ControlLength(text, cut - 1) == 2) --cut;
  AppendMasked(out, text.substr(0, cut), '?');
  if (text.size() > limit) out += "...";
}

std::string Shown(std::string_view text, size_t limit) {
  std::string shown;
  AppendShown(shown, text, limit);
  return shown;
}

// A text stored on one line of the file: line breaks and other control characters would split
// it into lines that the restore reads as settings of their own, so they become blanks.
std::string OneLine(std::string_view text) {
  std::string line;
  AppendMasked(line, text, ' ');
  return line;
}

const char* TrueFalse(bool value) {
  return value ? "True" : "False";
}

std::optional<bool> ParseBoolean(std::string_view value) {
  if (value == "True") return true;
  if (value == "False") return false;
  return std::nullopt;
}

// A number as the file writes it: blanks around it, an optional sign, digits and an optional
// fraction; rounded half to even into the int range. Anything else is no number.
std::optional<int> ParseNumber(std::string_view value) {
  while (!value.empty() && value.front() == ' ') value.remove_prefix(1);
  while (!value.empty() && value.back() == ' ') value.remove_suffix(1);
  if (!value.empty() && value.front() == '+') value.remove_prefix(1);
  double number = 0;
  const auto [end, error] =
      std::from_chars(value.data(), value.data() + value.size(), number, std::chars_format::fixed);
  if (value.empty() || error != std::errc() || end != value.data() + value.size()) {
    return std::nullopt;
  }
  // from_chars also takes "nan" and "inf": neither is a setting, and a NaN passes every range
  // check below.
  if (!std::isfinite(number)) return std::nullopt;
  const double rounded = std::nearbyint(number);
  if (rounded < -2147483648.0 || rounded > 2147483647.0) return std::nullopt;
  return static_cast<int>(rounded);
}

// What the slot line of `slot` holds for the window as it is now.
std::string SavedValue(panel::Panel& ui, const SlotKey& slot, const std::string& name,
                       const std::string& code_file) {
  switch (slot.value) {
    case SlotValue::Name:
      return name;
    case SlotValue::CodeFile:
      return code_file;
    case SlotValue::DeviceIndex:
      return std::to_string(ui.ListIndex());
    case SlotValue::Option:
      return TrueFalse(ui.Value(slot.control) != 0);
    case SlotValue::CheckBox:
    case SlotValue::Speed:
      return std::to_string(ui.Value(slot.control));
    case SlotValue::Text:
      return OneLine(ui.Caption(slot.control));
  }
  return {};
}

// What one line of a slot file asks for, and whether it could be applied.
enum class LineOutcome { Applied, Ignored, Bad };

// Applies the lines of a slot file one by one through the window's own handlers; keeps the code
// file the slot names for the end, and why the last bad line was skipped.
class SlotReader {
 public:
  explicit SlotReader(Programmer& p) : p_(p) {}

  LineOutcome Apply(std::string_view text) {
    if (text.empty()) return LineOutcome::Ignored;
    const auto slot = std::ranges::find_if(
        kSlotKeys, [text](const SlotKey& k) { return text.starts_with(k.key); });
    if (slot == kSlotKeys.end()) return Skip("unknown setting");
    const std::string_view value = text.substr(slot->key.size());
    switch (slot->value) {
      case SlotValue::Name:
        return LineOutcome::Ignored;
      case SlotValue::CodeFile:
        return CodeFile(value);
      case SlotValue::DeviceIndex:
        return DeviceIndex(value);
      case SlotValue::Option:
        return Option(slot->control, value);
      case SlotValue::CheckBox:
        return CheckBox(slot->control, value);
      case SlotValue::Text:
        return Text(slot->control, value);
      case SlotValue::Speed:
        return Speed(value);
    }
    return Skip("unknown setting");
  }

  const std::string& reason() const { return reason_; }
  const std::optional<std::string>& code_file() const { return code_file_; }

 private:
  LineOutcome Skip(std::string_view why) {
    reason_.assign(why);
    return LineOutcome::Bad;
  }

  LineOutcome CodeFile(std::string_view value) {
    if (HasControlChars(value)) return Skip("the file name holds control characters");
    if (!value.empty() && !platform::FileExists(std::string(value))) {
      return Skip("the code file no longer exists");
    }
    code_file_ = std::string(value);
    return LineOutcome::Applied;
  }

  LineOutcome DeviceIndex(std::string_view value) {
    const auto index = ParseNumber(value);
    if (!index) return Skip("not a number");
    if (*index < -1 || *index >= p_.ui.ListCount()) return Skip("device index outside the list");
    if (*index == -1) {
      p_.ClearDeviceSelection();
    } else {
      p_.SetDeviceIndex(*index);
    }
    return LineOutcome::Applied;
  }

  LineOutcome Option(Ref r, std::string_view value) {
    const auto selected = ParseBoolean(value);
    if (!selected) return Skip("not True or False");
    if (!*selected) {
      p_.ui.SetValue(r, 0);  // clearing an option runs no handler
    } else if (r.ctl == Ctl::Voltage_button && !p_.ui.Enabled(r)) {
      // A voltage the selected device does not take could damage it.
      return Skip("this voltage is not available for the selected device");
    } else {
      p_.SelectOption(r);
    }
    return LineOutcome::Applied;
  }

  LineOutcome CheckBox(Ref box, std::string_view value) {
    const auto state = ParseNumber(value);
    if (!state) return Skip("not a number");
    if (*state < 0 || *state > 2) return Skip("check box value outside 0 to 2");
    p_.ui.SetValue(box, *state);
    return LineOutcome::Applied;
  }

  LineOutcome Text(Ref r, std::string_view value) {
    if (HasControlChars(value)) return Skip("the text holds control characters");
    p_.ui.SetCaption(r, value);
    return LineOutcome::Applied;
  }

  LineOutcome Speed(std::string_view value) {
    const auto speed = ParseNumber(value);
    if (!speed) return Skip("not a number");
    if (*speed < 1 || *speed > p_.SliderMax()) {
      return Skip("speed outside 1 to " + std::to_string(p_.SliderMax()));
    }
    p_.SetSliderValue(*speed);
    return LineOutcome::Applied;
  }

  Programmer& p_;
  std::optional<std::string> code_file_;  // named by the slot; taken once it has loaded
  std::string reason_;                    // why the current line is bad
};

}  // namespace

// Clearing an option runs no handler, so a slot can leave no voltage option shown while the
// device's voltage stays in force; the device's default is then selected, whose handler sets
// the voltage the next programming run applies.
void Programmer::ShowVoltageInForce() {
  if (dev.DeviceCode.empty()) return;
  for (int i = 0; i < 4; ++i) {
    if (ui.Value(panel::Voltage_button(i)) != 0) return;
  }
  OfferVoltagesOfDevice();
}

std::string Programmer::SlotFileName(int slot) {
  return "MXSetup" + std::to_string(slot) + ".INI";
}

void Programmer::Setup_Click() {
  constexpr std::array<Ctl, 4> kLoadEntries = {Ctl::LoadSetup1, Ctl::LoadSetup2, Ctl::LoadSetup3,
                                               Ctl::LoadSetup4};
  for (Ctl entry : kLoadEntries) ui.SetEnabled(entry, false);
  for (int slot = 1; slot <= 4; ++slot) {
    const std::string file = SlotFileName(slot);
    if (!platform::FileExists(file)) continue;
    const Ctl entry = kLoadEntries[static_cast<size_t>(slot - 1)];
    ui.SetEnabled(entry, true);
    // A file that cannot be read or does not start with its name still gets offered, under the
    // name a nameless save would give it; the restore then tells what is wrong with it.
    ui.SetCaption(entry,
                  SlotMenuName(slot, platform::ReadWholeFile(file, kMaxSlotFileBytes).bytes));
  }
}

std::string Programmer::SlotMenuName(int slot, std::span<const uint8_t> bytes) {
  const std::vector<std::string_view> lines = platform::LinesOf(bytes);
  if (lines.empty() || !lines.front().starts_with(kNameKey)) {
    return "No Name Setup " + std::to_string(slot);
  }
  return Shown(lines.front().substr(kNameKey.size()), kShownNameChars);
}

void Programmer::SaveSetupRot(const std::string& Fname) {
  std::string name =
      OneLine(ui.InputBox("Please input a NAME for this Setup", "Saving Name Input"));
  // The slot digit is the 8th character of "MXSetup1.INI".
  if (name.empty()) name = "No Name Setup " + (Fname.size() > 7 ? Fname.substr(7, 1) : "");

  std::string code_file = buf.CodeFileName;
  if (HasControlChars(code_file)) {
    // Such a path cannot be kept on one line; the slot then names no code file.
    ui.LogMessage("The Code File name holds line breaks and is not stored in the Setup: " +
                  Shown(code_file, kShownLineChars));
    code_file.clear();
  }

  std::string text;
  for (const SlotKey& slot : kSlotKeys) {
    text.append(slot.key).append(SavedValue(ui, slot, name, code_file)).append("\r\n");
  }

  if (const auto error = platform::WriteFileAtomically(Fname, text)) {
    ui.LogMessage("Setup NOT Saved as " + Fname + ": " + error->reason);
    ui.MessageBox("Could not save the Setup as " + Fname + ": " + error->reason, "Saving Setup",
                  panel::Icon::Exclamation);
    return;
  }
  ui.LogMessage("Setup Saved as " + Fname + ", named:" + name);
}

void Programmer::RestoreSetup(const std::string& Fname) {
  ui.LogMessage(">>>>>>>>>>>>");
  ui.LogMessage("RESTORING SETUP FROM " + Fname);

  // Read once: the reason a file is refused (missing, a directory, too long, not permitted ...)
  // comes from the same attempt that refused it.
  const platform::ReadResult read = platform::ReadWholeFile(Fname, kMaxSlotFileBytes);
  if (read.error) {
    ui.LogMessage("Setup NOT restored - " + Fname + " cannot be read: " + read.error->reason);
    ui.LogMessage(">>>>>>>>>>>>");
    return;
  }

  ApplySetup(Fname, read.bytes);
  ui.LogMessage("SETUP RESTORED FROM " + Fname);
  ui.LogMessage(">>>>>>>>>>>>");
}

void Programmer::ApplySetup(const std::string& Fname, std::span<const uint8_t> bytes) {
  SlotReader reader(*this);
  int applied = 0;
  const std::vector<std::string_view> lines = platform::LinesOf(bytes);
  std::string skipped;  // the log line of a skipped line, built in one buffer kept for all
  for (size_t n = 0; n < lines.size(); ++n) {
    const std::string_view text = lines[n];
    const LineOutcome outcome = reader.Apply(text);
    if (outcome == LineOutcome::Applied) ++applied;
    if (outcome == LineOutcome::Bad) {
      skipped.assign("Setup line ").append(std::to_string(n + 1)).append(" skipped (");
      skipped.append(reader.reason()).append("): ");
      AppendShown(skipped, text, kShownLineChars);
      ui.LogMessage(skipped);
    }
  }
  if (applied == 0) ui.LogMessage(Fname + " holds no setting that could be restored");

  ShowVoltageInForce();
  ui.SetVisible(Ctl::FrameVoltageSelection, true);
  ui.SetVisible(Ctl::Frame5, true);
  // Only a code file the slot names is loaded: reloading whatever file was open before would
  // overwrite a buffer the operator may have read from a device since. The slot's file becomes
  // the code file only once it has loaded; a refused one leaves the name and caption as they
  // were, so that Save Code cannot write the old buffer over it.
  const std::optional<std::string>& code_file = reader.code_file();
  if (!code_file) {
    ui.SetCaption(Ctl::FileNameCodeText, buf.CodeFileName);
  } else if (code_file->empty()) {
    buf.CodeFileName.clear();
    buf.CodeHoldsFile = false;
    ui.SetCaption(Ctl::FileNameCodeText, "");
  } else {
    LoadCodeFile(*code_file);
  }
}

}  // namespace ops
