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

using platform::Ctl;
using platform::Ref;

namespace {

// A slot file holds 19 short lines; anything much longer is not a slot file.
constexpr uint64_t kMaxSlotFileBytes = 64 * 1024;
// How much of a skipped line the log shows.
constexpr size_t kShownLineChars = 60;
// Longest slot name shown in the Setup menu.
constexpr size_t kShownNameChars = 80;

constexpr std::string_view kNameKey = "SetupName = ";
constexpr std::string_view kFileKey = "sFILE = ";
constexpr std::string_view kDeviceKey = "Device.Index = ";
constexpr std::array<std::string_view, 4> kVoltageKeys = {
    "Voltage_button(0).Value = ", "Voltage_button(1).Value = ", "Voltage_button(2).Value = ",
    "Voltage_button(3).Value = "};
constexpr std::string_view kBlankKey = "CheckBlankPriorProgramming.Value = ";
constexpr std::string_view kVerifyKey = "VerifyAfterProgramming.Value = ";
constexpr std::array<std::string_view, 3> kPortKeys = {
    "LPTSelection(0).Value = ", "LPTSelection(1).Value = ", "LPTSelection(2).Value = "};
constexpr std::string_view kPortTextKey = "PortSelected.Text = ";
constexpr std::array<std::string_view, 3> kHiLowKeys = {
    "HiLow_button(0).Value = ", "HiLow_button(1).Value = ", "HiLow_button(2).Value = "};
constexpr std::string_view kSliderKey = "Slider1.Value = ";
constexpr std::string_view kCodeKey = "CheckCode.Value = ";
constexpr std::string_view kDataKey = "CheckData.Value = ";

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

// The text with every control character replaced by `mask`.
std::string Masked(std::string_view text, char mask) {
  std::string masked;
  for (size_t i = 0; i < text.size();) {
    const size_t control = ControlLength(text, i);
    if (control == 0) {
      masked.push_back(text[i++]);
    } else {
      masked.push_back(mask);
      i += control;
    }
  }
  return masked;
}

bool HasControlChars(std::string_view text) {
  for (size_t i = 0; i < text.size(); ++i) {
    if (ControlLength(text, i) != 0) return true;
  }
  return false;
}

// Text that is safe to show in a log line or a menu entry: control characters become '?',
// long text is cut with "..." (never inside a two-byte control).
std::string Shown(std::string_view text, size_t limit) {
  size_t cut = std::min(limit, text.size());
  if (cut > 0 && cut < text.size() && ControlLength(text, cut - 1) == 2) --cut;
  std::string shown = Masked(text.substr(0, cut), '?');
  if (text.size() > limit) shown += "...";
  return shown;
}

// A text stored on one line of the file: line breaks and other control characters would split
// it into lines that the restore reads as settings of their own, so they become blanks.
std::string OneLine(std::string_view text) {
  return Masked(text, ' ');
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

}  // namespace

// Clearing an option runs no handler, so a slot can leave no voltage option shown while the
// device's voltage stays in force; the device's default is then selected, whose handler sets
// the voltage the next programming run applies.
void Programmer::ShowVoltageInForce() {
  if (dev.DeviceCode.empty()) return;
  for (int i = 0; i < 4; ++i) {
    if (ui.Value(platform::Voltage_button(i)) != 0) return;
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
    std::string name = "No Name Setup " + std::to_string(slot);
    const auto lines = platform::ReadLines(file, kMaxSlotFileBytes);
    if (lines && !lines->empty() && lines->front().starts_with(kNameKey)) {
      name = Shown(std::string_view(lines->front()).substr(kNameKey.size()), kShownNameChars);
    }
    ui.SetCaption(entry, name);
  }
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

  const auto option = [&](Ref r) { return TrueFalse(ui.Value(r) != 0); };
  const auto number = [&](Ref r) { return std::to_string(ui.Value(r)); };
  std::string text;
  const auto line = [&text](std::string_view key, std::string_view value) {
    text.append(key).append(value).append("\r\n");
  };
  line(kNameKey, name);
  line(kFileKey, code_file);
  line(kDeviceKey, std::to_string(ui.ListIndex()));
  for (int i = 0; i < 4; ++i)
    line(kVoltageKeys[static_cast<size_t>(i)], option(platform::Voltage_button(i)));
  line(kBlankKey, number(Ctl::CheckBlankPriorProgramming));
  line(kVerifyKey, number(Ctl::VerifyAfterProgramming));
  for (int i = 0; i < 3; ++i)
    line(kPortKeys[static_cast<size_t>(i)], option(platform::LPTSelection(i)));
  line(kPortTextKey, OneLine(ui.Caption(Ctl::PortSelected)));
  for (int i = 0; i < 3; ++i)
    line(kHiLowKeys[static_cast<size_t>(i)], option(platform::HiLow_button(i)));
  line(kSliderKey, number(Ctl::Slider1));
  line(kCodeKey, number(Ctl::CheckCode));
  line(kDataKey, number(Ctl::CheckData));

  if (const auto error = platform::WriteFileAtomically(Fname, text)) {
    ui.LogMessage("Setup NOT Saved as " + Fname + ": " + error->reason);
    ui.MessageBox("Could not save the Setup as " + Fname + ": " + error->reason, "Saving Setup",
                  platform::Icon::Exclamation);
    return;
  }
  ui.LogMessage("Setup Saved as " + Fname + ", named:" + name);
}

namespace {

// What one line of a slot file asks for, and whether it could be applied.
enum class LineOutcome { Applied, Ignored, Bad };

}  // namespace

void Programmer::RestoreSetup(const std::string& Fname) {
  ui.LogMessage(">>>>>>>>>>>>");
  ui.LogMessage("RESTORING SETUP FROM " + Fname);

  const auto lines = platform::ReadLines(Fname, kMaxSlotFileBytes);
  if (!lines) {
    // Read again for the reason: missing, a directory, too long, not permitted ...
    const auto attempt = platform::ReadWholeFile(Fname, kMaxSlotFileBytes);
    const std::string reason = attempt.error ? attempt.error->reason : "it could not be read";
    ui.LogMessage("Setup NOT restored - " + Fname + " cannot be read: " + reason);
    ui.LogMessage(">>>>>>>>>>>>");
    return;
  }

  std::optional<std::string> code_file;  // named by the slot; taken once it has loaded
  int applied = 0;
  std::string reason;  // why the current line is bad

  const auto skip = [&](std::string why) {
    reason = std::move(why);
    return LineOutcome::Bad;
  };
  const auto option = [&](Ref r, std::string_view value) {
    const auto selected = ParseBoolean(value);
    if (!selected) return skip("not True or False");
    if (!*selected) {
      ui.SetValue(r, 0);  // clearing an option runs no handler
    } else if (r.ctl == Ctl::Voltage_button && !ui.Enabled(r)) {
      // A voltage the selected device does not take could damage it.
      return skip("this voltage is not available for the selected device");
    } else {
      SelectOption(r);
    }
    return LineOutcome::Applied;
  };
  const auto check_box = [&](Ctl box, std::string_view value) {
    const auto state = ParseNumber(value);
    if (!state) return skip("not a number");
    if (*state < 0 || *state > 2) return skip("check box value outside 0 to 2");
    ui.SetValue(box, *state);
    return LineOutcome::Applied;
  };

  const auto apply = [&](std::string_view text) {
    const auto value_of = [text](std::string_view key) {
      return text.starts_with(key) ? std::optional(text.substr(key.size())) : std::nullopt;
    };
    if (text.empty() || value_of(kNameKey)) return LineOutcome::Ignored;
    if (auto value = value_of(kFileKey)) {
      if (HasControlChars(*value)) return skip("the file name holds control characters");
      if (!value->empty() && !platform::FileExists(std::string(*value))) {
        return skip("the code file no longer exists");
      }
      code_file = std::string(*value);
      return LineOutcome::Applied;
    }
    if (auto value = value_of(kDeviceKey)) {
      const auto index = ParseNumber(*value);
      if (!index) return skip("not a number");
      if (*index < -1 || *index >= ui.ListCount()) return skip("device index outside the list");
      SetDeviceIndex(*index);
      return LineOutcome::Applied;
    }
    for (int i = 0; i < 4; ++i) {
      if (auto value = value_of(kVoltageKeys[static_cast<size_t>(i)])) {
        return option(platform::Voltage_button(i), *value);
      }
    }
    if (auto value = value_of(kBlankKey)) return check_box(Ctl::CheckBlankPriorProgramming, *value);
    if (auto value = value_of(kVerifyKey)) return check_box(Ctl::VerifyAfterProgramming, *value);
    for (int i = 0; i < 3; ++i) {
      if (auto value = value_of(kPortKeys[static_cast<size_t>(i)])) {
        return option(platform::LPTSelection(i), *value);
      }
    }
    if (auto value = value_of(kPortTextKey)) {
      if (HasControlChars(*value)) return skip("the text holds control characters");
      ui.SetCaption(Ctl::PortSelected, *value);
      return LineOutcome::Applied;
    }
    for (int i = 0; i < 3; ++i) {
      if (auto value = value_of(kHiLowKeys[static_cast<size_t>(i)])) {
        return option(platform::HiLow_button(i), *value);
      }
    }
    if (auto value = value_of(kSliderKey)) {
      const auto speed = ParseNumber(*value);
      if (!speed) return skip("not a number");
      if (*speed < 1 || *speed > SliderMax()) {
        return skip("speed outside 1 to " + std::to_string(SliderMax()));
      }
      SetSliderValue(*speed);
      return LineOutcome::Applied;
    }
    if (auto value = value_of(kCodeKey)) return check_box(Ctl::CheckCode, *value);
    if (auto value = value_of(kDataKey)) return check_box(Ctl::CheckData, *value);
    return skip("unknown setting");
  };

  for (size_t n = 0; n < lines->size(); ++n) {
    const std::string& text = (*lines)[n];
    const LineOutcome outcome = apply(text);
    if (outcome == LineOutcome::Applied) ++applied;
    if (outcome == LineOutcome::Bad) {
      ui.LogMessage("Setup line " + std::to_string(n + 1) + " skipped (" + reason +
                    "): " + Shown(text, kShownLineChars));
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
  if (!code_file) {
    ui.SetCaption(Ctl::FileNameCodeText, buf.CodeFileName);
  } else if (code_file->empty()) {
    buf.CodeFileName.clear();
    buf.CodeHoldsFile = false;
    ui.SetCaption(Ctl::FileNameCodeText, "");
  } else {
    LoadCodeFile(*code_file);
  }
  ui.LogMessage("SETUP RESTORED FROM " + Fname);
  ui.LogMessage(">>>>>>>>>>>>");
}

}  // namespace ops
