#include "frontend/user_options.h"

#include <array>

namespace frontend {
namespace {

// The on/off options by key, each with its member and its value when none is stored.
struct Switch {
  std::string_view key;
  bool UserOptions::*member;
};
constexpr std::array<Switch, 4> kSwitches = {
    Switch{"SimulatedBoard", &UserOptions::simulated_board},
    Switch{"CheckBlankBeforeProgramming", &UserOptions::check_blank},
    Switch{"VerifyAfterProgramming", &UserOptions::verify_after},
    Switch{"FastPath", &UserOptions::fast_path},
};

}  // namespace

UserOptions ReadUserOptions(const platform::SettingsStore& store,
                            const std::string& default_dat_folder) {
  UserOptions options;
  for (const Switch& s : kSwitches) {
    const auto text = store.Get(kOptionsSection, s.key);
    if (text == "1") options.*s.member = true;
    if (text == "0") options.*s.member = false;
  }
  options.dat_folder = store.Get(kRomListsSection, kDatFolderKey).value_or("");
  if (options.dat_folder.empty()) options.dat_folder = default_dat_folder;
  return options;
}

void WriteUserOptions(platform::SettingsStore& store, const UserOptions& options) {
  for (const Switch& s : kSwitches)
    store.Put(kOptionsSection, s.key, options.*s.member ? "1" : "0");
  store.Put(kRomListsSection, kDatFolderKey, options.dat_folder);
}

}  // namespace frontend
