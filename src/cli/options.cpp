#include "cli/options.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <charconv>
#include <set>

#include "buffers/image_formats.h"

namespace cli {
namespace {

// An option, the commands it belongs to, and whether it takes a value.
struct OptionSpec {
  std::string_view long_name;
  char short_name;
  bool takes_value;
  std::string_view commands;  // blank-separated; "*" every command that drives the board
};

constexpr std::string_view kBoardCommands =
    "detect read blank verify compare program erase id identify";
constexpr std::string_view kDeviceCommands = "read blank verify compare program erase id";
// identify reads a chip only when given one: -d and --socket are not required of it.
constexpr std::string_view kChipCommands = "read blank verify compare program erase id identify";

constexpr std::array<OptionSpec, 22> kOptions = {{
    {"device", 'd', true, kChipCommands},
    {"input", 'i', true, "verify compare program"},
    {"output", 'o', true, "read"},
    {"blank-check", 0, false, "program"},
    {"all", 0, false, "blank"},
    {"verify", 0, false, "program"},
    {"hi", 0, false, "verify compare program"},
    {"low", 0, false, "verify compare program"},
    {"vpp", 0, true, "program"},
    {"speed", 0, true, "program"},
    {"offset", 0, true, "verify compare program"},
    {"format", 0, true, "verify compare program"},
    {"port", 0, true, kBoardCommands},
    {"model", 0, true, kBoardCommands},
    {"simulated", 0, false, kBoardCommands},
    {"socket", 0, true, kChipCommands},
    {"fast", 0, false, kChipCommands},
    {"dats", 0, true, "identify"},
    {"log", 0, true, kBoardCommands},
    {"yes", 'y', false, kBoardCommands},
    {"help", 'h', false, "*"},
    {"version", 0, false, "*"},
}};

constexpr std::array<std::string_view, 10> kCommands = {
    "list", "detect", "read", "blank", "verify", "compare", "program", "erase", "id", "identify"};

bool Listed(std::string_view list, std::string_view word) {
  if (list == "*") return true;
  size_t at = 0;
  while (at <= list.size()) {
    const size_t end = std::min(list.find(' ', at), list.size());
    if (list.substr(at, end - at) == word) return true;
    at = end + 1;
  }
  return false;
}

const OptionSpec* FindLong(std::string_view name) {
  for (const OptionSpec& o : kOptions) {
    if (o.long_name == name) return &o;
  }
  return nullptr;
}

const OptionSpec* FindShort(char name) {
  for (const OptionSpec& o : kOptions) {
    if (o.short_name != 0 && o.short_name == name) return &o;
  }
  return nullptr;
}

std::string Upper(std::string_view text) {
  std::string upper(text);
  for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return upper;
}

std::optional<int16_t> PortValue(std::string_view text) {
  std::string port = Upper(text);
  if (port.ends_with('H')) port.pop_back();
  if (port == "378") return int16_t{0x378};
  if (port == "278") return int16_t{0x278};
  if (port == "3BC") return int16_t{0x3BC};
  return std::nullopt;
}

// An address as srec_cat takes one: 0x1F000 or 1F000h in hex, otherwise decimal.
std::optional<uint64_t> Address(std::string_view text) {
  int base = 10;
  if (text.starts_with("0x") || text.starts_with("0X")) {
    text.remove_prefix(2);
    base = 16;
  } else if (text.ends_with('h') || text.ends_with('H')) {
    text.remove_suffix(1);
    base = 16;
  }
  uint64_t value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, base);
  if (text.empty() || error != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return value;
}

std::optional<int> WholeNumber(std::string_view text) {
  int value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return value;
}

// Checks a value and keeps it in the request; the error when it is not one the option takes.
std::optional<std::string> TakeValue(Request& r, std::string_view option, std::string_view value) {
  const std::string shown = "--" + std::string(option) + " " + std::string(value);
  if (option == "device") {
    r.device = value;
  } else if (option == "input") {
    r.input = value;
  } else if (option == "output") {
    r.output = value;
  } else if (option == "log") {
    r.log = value;
  } else if (option == "socket") {
    r.socket = value;
  } else if (option == "dats") {
    r.dats = value;
  } else if (option == "port") {
    r.port = PortValue(value);
    if (!r.port) return shown + ": the port is 378, 278 or 3BC";
  } else if (option == "model") {
    const auto model = WholeNumber(value);
    if (model != 4 && model != 5) return shown + ": the board model is 4 or 5";
    r.model = static_cast<int16_t>(*model);
  } else if (option == "vpp") {
    if (value == "12.5") r.voltage = 1;
    if (value == "21") r.voltage = 2;
    if (value == "25") r.voltage = 3;
    if (!r.voltage) return shown + ": the programming voltage is 12.5, 21 or 25";
  } else if (option == "offset") {
    r.offset = Address(value);
    if (!r.offset) return shown + ": the offset is an address, 0xE000 or E000h or 57344";
  } else if (option == "format") {
    if (!buffers::ReadAsOfOption(value)) {
      std::string names;
      for (const buffers::ReadAsChoice& choice : buffers::ReadAsChoices()) {
        if (choice.option.empty()) continue;
        names += (names.empty() ? "" : ", ") + std::string(choice.option);
      }
      return shown + ": the format is one of " + names;
    }
    r.format = value;
  } else if (option == "speed") {
    r.speed = WholeNumber(value);
    if (!r.speed || *r.speed < 1 || *r.speed > 20) return shown + ": the speed is 1 to 20";
  }
  return std::nullopt;
}

void TakeSwitch(Request& r, std::string_view option) {
  if (option == "blank-check") r.blank_check = true;
  if (option == "all") r.blank_all = true;
  if (option == "verify") r.verify = true;
  if (option == "fast") r.fast = true;
  if (option == "hi") r.half = 1;
  if (option == "low") r.half = 2;
  if (option == "yes") r.yes = true;
  if (option == "help") r.help = true;
  if (option == "version") r.version = true;
}

std::string_view Required(const Request& r) {
  const bool device_command = Listed(kDeviceCommands, r.command);
  if (device_command && r.device.empty()) return "-d DEVICE";
  if ((r.command == "verify" || r.command == "compare" || r.command == "program") &&
      r.input.empty()) {
    return "-i FILE";
  }
  if (r.command == "read" && r.output.empty()) return "-o FILE";
  if (r.command == "identify" && r.input.empty() && r.device.empty()) {
    return r.identify_device ? "-d DEVICE" : "FILE or --device -d DEVICE";
  }
  return {};
}

// identify names either a file or the chip in the socket; the board options other than the
// simulated board and the log are for the chip alone.
std::optional<std::string> IdentifyRefusal(const Request& r,
                                           const std::set<std::string_view>& seen) {
  if (r.command != "identify" || r.input.empty()) return std::nullopt;
  if (r.identify_device || seen.contains("device")) {
    return "identify takes FILE or --device -d DEVICE, not both";
  }
  for (std::string_view option : {"port", "model", "socket"}) {
    if (seen.contains(option))
      return "--" + std::string(option) + " does not apply to identify FILE";
  }
  return std::nullopt;
}

}  // namespace

Parsed ParseCommandLine(const std::vector<std::string_view>& arguments) {
  Parsed parsed;
  Request& r = parsed.request;
  auto fail = [&parsed](std::string message) {
    parsed.error = std::move(message);
    return parsed;
  };
  std::set<std::string_view> seen;
  for (size_t i = 0; i < arguments.size(); ++i) {
    const std::string_view argument = arguments[i];
    if (!argument.starts_with('-') || argument == "-") {
      if (r.command == "identify" && r.input.empty()) {
        r.input = argument;
        continue;
      }
      if (!r.command.empty()) return fail("unexpected argument '" + std::string(argument) + "'");
      if (std::find(kCommands.begin(), kCommands.end(), argument) == kCommands.end()) {
        return fail("unknown command '" + std::string(argument) + "'");
      }
      r.command = argument;
      continue;
    }
    // identify --device: the chip is named; the device follows as -d DEVICE.
    const bool last = i + 1 == arguments.size();
    if (r.command == "identify" && argument == "--device" &&
        (last || arguments[i + 1].starts_with('-'))) {
      if (r.identify_device) return fail("--device is given twice");
      r.identify_device = true;
      continue;
    }
    const OptionSpec* known = nullptr;
    std::optional<std::string_view> value;
    if (argument.starts_with("--")) {
      std::string_view name = argument.substr(2);
      if (const size_t equals = name.find('='); equals != std::string_view::npos) {
        value = name.substr(equals + 1);
        name = name.substr(0, equals);
      }
      known = FindLong(name);
    } else if (argument.size() == 2) {
      known = FindShort(argument[1]);
    }
    if (known == nullptr) return fail("unknown option '" + std::string(argument) + "'");
    const std::string shown = "--" + std::string(known->long_name);
    if (!seen.insert(known->long_name).second) return fail(shown + " is given twice");
    if (known->long_name == "simulated") {
      r.simulated = true;
      if (value) {
        if (value->empty()) return fail("--simulated=DIR needs a directory");
        r.simulated_chips = *value;
      }
      continue;
    }
    if (!known->takes_value) {
      if (value) return fail(shown + " takes no value");
      TakeSwitch(r, known->long_name);
      continue;
    }
    if (!value) {
      if (i + 1 >= arguments.size()) return fail(shown + " needs a value");
      value = arguments[++i];
    }
    if (auto error = TakeValue(r, known->long_name, *value)) return fail(*error);
  }
  if (r.help || r.version) return parsed;
  if (r.command.empty()) return fail("no command given");
  for (std::string_view option : seen) {
    const OptionSpec* known = FindLong(option);
    if (!Listed(known->commands, r.command)) {
      return fail("--" + std::string(option) + " does not apply to " + r.command);
    }
  }
  if (seen.contains("hi") && seen.contains("low")) return fail("--hi and --low exclude each other");
  if (seen.contains("socket") && !r.simulated) return fail("--socket is for the --simulated board");
  if (auto refused = IdentifyRefusal(r, seen)) return fail(*refused);
  if (const std::string_view missing = Required(r); !missing.empty()) {
    return fail(r.command + " needs " + std::string(missing));
  }
  return parsed;
}

}  // namespace cli
