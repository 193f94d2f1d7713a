#pragma once

#include <QDialog>
#include <QString>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/parports.h"
#include "platform/system_info.h"

class QPlainTextEdit;

namespace app {

// The facts a support request needs, grouped under keys ("Program", "System", "Port parport0")
// and looked up by key and value name, the way a system registry would be read.
struct SystemInformation {
  struct Key {
    QString name;
    std::vector<std::pair<QString, QString>> values;  // value name, value text
  };
  std::vector<Key> keys;
};

// Gathers the facts from the program itself, Qt and the operating system. The port list and
// the access facts are passed in so that the report can be built for any machine:
// direct_refusal says why direct I/O cannot be had (nothing: it can); port_notes are the
// reasons the program could not reach a port ("378h: /dev/parport0 cannot be ...").
SystemInformation CollectSystemInformation(const platform::OperatingSystemFacts& os,
                                           const std::vector<platform::KernelParport>& ports,
                                           const std::optional<std::string>& direct_refusal,
                                           const std::vector<std::string>& port_notes = {});
// The same for the machine the program runs on.
SystemInformation CollectSystemInformation(const std::vector<std::string>& port_notes = {});

// Reads one value: true and the text when key and value name exist; false and the empty text
// otherwise.
bool GetKeyValue(const SystemInformation& info, const QString& key, const QString& value_name,
                 QString& value);

// The whole report as plain text, one "name: value" line per fact under each key.
QString SystemInformationText(const SystemInformation& info);

// The program's own system-information window: the report, read-only, with a button that puts
// it on the clipboard for a support e-mail.
class SysInfoWindow final : public QDialog {
  Q_OBJECT
 public:
  SysInfoWindow(const SystemInformation& info, QWidget* owner);
  QString Text() const;

 private:
  QPlainTextEdit* report_;
};

// Opens the system-information window modally over owner; when the operating system could not
// be identified (no kernel name), says "System Information Is Unavailable At This Time" instead.
void StartSysInfo(QWidget& owner, const std::vector<std::string>& port_notes);
void StartSysInfo(QWidget& owner, const SystemInformation& info);

}  // namespace app
