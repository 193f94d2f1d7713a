#include "app/qt_settings_store.h"

#include "panel/panel.h"

namespace app {
namespace {

QString KeyOf(std::string_view section, std::string_view key) {
  return QString::fromUtf8(section.data(), static_cast<qsizetype>(section.size())) + '/' +
         QString::fromUtf8(key.data(), static_cast<qsizetype>(key.size()));
}

QString AppName() {
  return QString::fromUtf8(panel::kAppTitle.data(),
                           static_cast<qsizetype>(panel::kAppTitle.size()));
}

}  // namespace

QtSettingsStore::QtSettingsStore()
    : settings_(QSettings::IniFormat, QSettings::UserScope, AppName(), AppName()) {}

QtSettingsStore::QtSettingsStore(const QString& ini_path)
    : settings_(ini_path, QSettings::IniFormat) {}

std::optional<std::string> QtSettingsStore::Get(std::string_view section,
                                                std::string_view key) const {
  const QVariant value = settings_.value(KeyOf(section, key));
  if (!value.isValid() || !value.canConvert<QString>()) return std::nullopt;
  return value.toString().toStdString();
}

void QtSettingsStore::Put(std::string_view section, std::string_view key, std::string_view value) {
  settings_.setValue(KeyOf(section, key),
                     QString::fromUtf8(value.data(), static_cast<qsizetype>(value.size())));
  settings_.sync();
}

}  // namespace app
