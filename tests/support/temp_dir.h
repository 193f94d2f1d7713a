#pragma once

#include <unistd.h>  // mkdtemp

#include <filesystem>
#include <string>
#include <system_error>

namespace testing_support {

// A fresh directory under the system's temporary directory, removed with all it holds when the
// test is done. `prefix` names it, so that a left-over one shows which test made it.
struct TempDir {
  explicit TempDir(const std::string& prefix) {
    std::string pattern = (std::filesystem::temp_directory_path() / (prefix + "_XXXXXX")).string();
    path = ::mkdtemp(pattern.data());
  }
  ~TempDir() {
    std::error_code error;
    std::filesystem::remove_all(path, error);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  std::string path;
};

}  // namespace testing_support
