#pragma once

#include <string>
#include <string_view>

#include "platform/settings_store.h"

namespace frontend {

// What the operator sets up in Tools - Options, kept in the per-user settings store.
struct UserOptions {
  // Start on the simulated board when no parallel port can be reached; otherwise with no board.
  bool simulated_board = true;
  // The states "Check Blank Before Programming" and "Verify Device After Programming" start in.
  bool check_blank = false;
  bool verify_after = false;
  // The board's fast path (latches written only where they change); off: the exact path.
  bool fast_path = false;
  // Where the ROM lists (DAT files) lie.
  std::string dat_folder;
  bool operator==(const UserOptions&) const = default;
};

inline constexpr std::string_view kOptionsSection = "Options";
inline constexpr std::string_view kRomListsSection = "RomLists";
inline constexpr std::string_view kDatFolderKey = "DatFolder";

// An absent or unreadable value reads as its default; an empty folder as default_dat_folder.
UserOptions ReadUserOptions(const platform::SettingsStore& store,
                            const std::string& default_dat_folder);
void WriteUserOptions(platform::SettingsStore& store, const UserOptions& options);

}  // namespace frontend
