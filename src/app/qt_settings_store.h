#pragma once

#include <QSettings>
#include <QString>

#include "platform/settings_store.h"

namespace app {

// The per-user settings store on QSettings: application "MELDRIX5N", one group per section.
class QtSettingsStore final : public platform::SettingsStore {
 public:
  QtSettingsStore();                                  // the user's own store
  explicit QtSettingsStore(const QString& ini_path);  // a given file (tests)

  std::optional<std::string> Get(std::string_view section, std::string_view key) const override;
  void Put(std::string_view section, std::string_view key, std::string_view value) override;

 private:
  mutable QSettings settings_;
};

}  // namespace app
