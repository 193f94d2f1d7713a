#pragma once

#include <string>

namespace platform {

// A fresh directory under the system's temporary directory, removed with all it holds when it
// goes. `prefix` names it, so that a left-over one shows who made it. `path` is empty when the
// directory could not be made.
struct TemporaryDirectory {
  explicit TemporaryDirectory(const std::string& prefix);
  ~TemporaryDirectory();
  TemporaryDirectory(const TemporaryDirectory&) = delete;
  TemporaryDirectory& operator=(const TemporaryDirectory&) = delete;

  std::string path;
};

}  // namespace platform
