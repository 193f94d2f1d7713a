#include "platform/dirs.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>

namespace platform {
namespace {

namespace fs = std::filesystem;

// The installed data directory seen from the installed executable ("../share/meldrix5"); the
// build sets it from its install directories.
constexpr const char* kDataFromExecutable = MELDRIX_DATA_FROM_BIN;

fs::path InstalledSoundDirectory(const std::string& executable_directory) {
  return (fs::path(executable_directory) / kDataFromExecutable / "sounds").lexically_normal();
}

// Every sound the program plays is looked up in one directory; the start-up sound stands for
// the set.
bool HoldsSounds(const fs::path& directory) {
  std::error_code error;
  return fs::is_regular_file(directory / "init.wav", error);
}

// $variable when it is set, else under_home in the user's home directory; empty without either.
fs::path UserDirectory(const char* variable, const char* under_home) {
  if (const char* xdg = std::getenv(variable); xdg != nullptr && *xdg != '\0') return xdg;
  if (const char* home = std::getenv("HOME"); home != nullptr) return fs::path(home) / under_home;
  return {};
}

}  // namespace

std::string ExecutableDirectory() {
  std::error_code error;
  const auto exe = fs::read_symlink("/proc/self/exe", error);
  if (error) return fs::current_path(error).string();
  return exe.parent_path().string();
}

std::string SoundDirectory(const std::string& executable_directory) {
  if (HoldsSounds(executable_directory)) return executable_directory;
  return InstalledSoundDirectory(executable_directory).string();
}

std::string SoundDirectory() {
  return SoundDirectory(ExecutableDirectory());
}

bool RunsInstalled(const std::string& executable_directory) {
  return !HoldsSounds(executable_directory) &&
         HoldsSounds(InstalledSoundDirectory(executable_directory));
}

std::string ProgramDirectory(const std::string& executable_directory) {
  if (!RunsInstalled(executable_directory) && ::access(executable_directory.c_str(), W_OK) == 0) {
    return executable_directory;
  }
  fs::path config = UserDirectory("XDG_CONFIG_HOME", ".config");
  if (config.empty()) return executable_directory;
  config /= "meldrix5";
  std::error_code error;
  fs::create_directories(config, error);
  return config.string();
}

std::string ProgramDirectory() {
  return ProgramDirectory(ExecutableDirectory());
}

std::string RomListDirectory() {
  const fs::path data = UserDirectory("XDG_DATA_HOME", ".local/share");
  return data.empty() ? std::string() : (data / "meldrix5" / "dats").string();
}

std::string JoinPath(const std::string& directory, const std::string& name) {
  return (fs::path(directory) / name).string();
}

}  // namespace platform
