#include "platform/dirs.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>

namespace platform {

std::string ExecutableDirectory() {
  std::error_code error;
  const auto exe = std::filesystem::read_symlink("/proc/self/exe", error);
  if (error) return std::filesystem::current_path(error).string();
  return exe.parent_path().string();
}

std::string ProgramDirectory() {
  const std::string beside = ExecutableDirectory();
  if (::access(beside.c_str(), W_OK) == 0) return beside;
  std::filesystem::path config;
  if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg != nullptr && *xdg != '\0') {
    config = xdg;
  } else if (const char* home = std::getenv("HOME"); home != nullptr) {
    config = std::filesystem::path(home) / ".config";
  } else {
    return beside;
  }
  config /= "meldrix5";
  std::error_code error;
  std::filesystem::create_directories(config, error);
  return config.string();
}

std::string JoinPath(const std::string& directory, const std::string& name) {
  return (std::filesystem::path(directory) / name).string();
}

}  // namespace platform
