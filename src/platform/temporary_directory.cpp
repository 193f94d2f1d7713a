#include "platform/temporary_directory.h"

#include <unistd.h>  // mkdtemp

#include <filesystem>
#include <system_error>

namespace platform {

TemporaryDirectory::TemporaryDirectory(const std::string& prefix) {
  std::error_code error;
  const auto base = std::filesystem::temp_directory_path(error);
  if (error) return;
  std::string pattern = (base / (prefix + "_XXXXXX")).string();
  if (::mkdtemp(pattern.data()) != nullptr) path = pattern;
}

TemporaryDirectory::~TemporaryDirectory() {
  if (path.empty()) return;
  std::error_code error;
  std::filesystem::remove_all(path, error);
}

}  // namespace platform
