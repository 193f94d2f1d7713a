#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace platform {

// The per-user settings store, addressed by application name, section and key.
class SettingsStore {
 public:
  virtual ~SettingsStore() = default;
  virtual std::optional<std::string> Get(std::string_view section, std::string_view key) const = 0;
  virtual void Put(std::string_view section, std::string_view key, std::string_view value) = 0;
};

}  // namespace platform
