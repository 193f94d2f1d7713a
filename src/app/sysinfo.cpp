#include "app/sysinfo.h"

#include <QClipboard>
#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <QtGlobal>

#include "app/about_dialog.h"
#include "panel/panel.h"

namespace app {
namespace {

QString Q(const std::string& text) {
  return QString::fromStdString(text);
}

QString Hex(uint32_t value) {
  return QString::number(value, 16).toUpper() + "h";
}

bool IsBoardPort(uint32_t base) {
  return base == 0x378 || base == 0x278 || base == 0x3BC;
}

// How the program can reach one port, and what the operator can do when it cannot.
SystemInformation::Key PortKey(const platform::KernelParport& port,
                               const std::optional<std::string>& direct_refusal) {
  SystemInformation::Key key{"Port " + Q(port.name), {}};
  const QString device = Q(port.device);
  key.values.emplace_back("Device", device);
  key.values.emplace_back("Base address", port.base != 0 ? Hex(port.base) : "unknown");
  const bool direct = !direct_refusal && IsBoardPort(port.base);
  QString method;
  QString advice;
  if (port.device_openable) {
    method = "ppdev through " + device;
  } else if (direct) {
    method = "direct I/O (ioperm)";
  } else {
    method = "none";
    advice = port.device_present
                 ? "add this user to the group that owns " + device +
                       " (usually lp: sudo usermod -aG lp $USER) and log in again"
                 : "load the ppdev module (sudo modprobe ppdev) so that " + device + " appears";
  }
  key.values.emplace_back("Access method", method);
  key.values.emplace_back("User may open it", port.device_openable || direct ? "Yes" : "No");
  if (!advice.isEmpty()) key.values.emplace_back("To allow access", advice);
  return key;
}

}  // namespace

SystemInformation CollectSystemInformation(const platform::OperatingSystemFacts& os,
                                           const std::vector<platform::KernelParport>& ports,
                                           const std::optional<std::string>& direct_refusal,
                                           const std::vector<std::string>& port_notes) {
  SystemInformation info;
  info.keys.push_back(
      {"Program",
       {{"Title", QString::fromUtf8(panel::kAppTitle.data(),
                                    static_cast<qsizetype>(panel::kAppTitle.size()))},
        {"Version", VersionText()},
        {"Qt version", QString::fromLatin1(qVersion())},
        {"Built with Qt", QStringLiteral(QT_VERSION_STR)}}});
  info.keys.push_back({"System",
                       {{"Operating system", os.name.empty() ? "unknown" : Q(os.name)},
                        {"Kernel", Q(os.kernel)},
                        {"Kernel build", Q(os.build)},
                        {"Machine", Q(os.machine)},
                        {"User", Q(os.user)}}});
  info.keys.push_back(
      {"Parallel ports",
       {{"Count", QString::number(ports.size())},
        {"Direct I/O", direct_refusal ? "not possible (" + Q(*direct_refusal) + ")"
                                      : "possible (x86, the kernel grants port access)"}}});
  if (ports.empty()) {
    info.keys.back().values.emplace_back(
        "Note", "The kernel knows no parallel port; only the simulated board can be used.");
  }
  for (const auto& port : ports) info.keys.push_back(PortKey(port, direct_refusal));
  // Why this program could not reach a port when it tried: the log that said so at start-up
  // has been emptied since.
  if (!port_notes.empty()) {
    SystemInformation::Key access{"Port access", {}};
    for (const auto& note : port_notes) access.values.emplace_back("Not reached", Q(note));
    info.keys.push_back(access);
  }
  return info;
}

SystemInformation CollectSystemInformation(const std::vector<std::string>& port_notes) {
  return CollectSystemInformation(platform::ReadOperatingSystemFacts(),
                                  platform::ListKernelParports(),
                                  platform::DirectPortAccessRefusal(), port_notes);
}

bool GetKeyValue(const SystemInformation& info, const QString& key, const QString& value_name,
                 QString& value) {
  value.clear();
  for (const auto& k : info.keys) {
    if (k.name != key) continue;
    for (const auto& [name, text] : k.values) {
      if (name == value_name) {
        value = text;
        return true;
      }
    }
    return false;
  }
  return false;
}

QString SystemInformationText(const SystemInformation& info) {
  QString text;
  for (const auto& key : info.keys) {
    text += "[" + key.name + "]\n";
    for (const auto& [name, value] : key.values) text += "  " + name + ": " + value + "\n";
    text += "\n";
  }
  return text;
}

SysInfoWindow::SysInfoWindow(const SystemInformation& info, QWidget* owner)
    : QDialog(owner), report_(new QPlainTextEdit(this)) {
  setObjectName("SysInfo");
  setWindowTitle("MELDRIX5N System Information");
  report_->setObjectName("SysInfoText");
  report_->setReadOnly(true);
  report_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  report_->setPlainText(SystemInformationText(info));

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
  auto* copy = buttons->addButton("&Copy to Clipboard", QDialogButtonBox::ActionRole);
  copy->setObjectName("SysInfoCopy");
  connect(copy, &QPushButton::clicked, this,
          [this] { QGuiApplication::clipboard()->setText(Text()); });
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(report_);
  layout->addWidget(buttons);
  resize(560, 420);
}

QString SysInfoWindow::Text() const {
  return report_->toPlainText();
}

void StartSysInfo(QWidget& owner, const std::vector<std::string>& port_notes) {
  StartSysInfo(owner, CollectSystemInformation(port_notes));
}

void StartSysInfo(QWidget& owner, const SystemInformation& info) {
  QString kernel;
  if (!GetKeyValue(info, "System", "Kernel", kernel) || kernel.isEmpty()) {
    QMessageBox::information(&owner, "MELDRIX5N", "System Information Is Unavailable At This Time",
                             QMessageBox::Ok);
    return;
  }
  SysInfoWindow window(info, &owner);
  window.exec();
}

}  // namespace app
