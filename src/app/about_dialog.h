#pragma once

#include <QDialog>
#include <QString>
#include <string>
#include <vector>

#include "frontend/version.h"

class QLabel;
class QPushButton;

namespace app {

using frontend::kVersionMajor;
using frontend::kVersionMinor;
using frontend::kVersionRevision;
QString VersionText();  // "1.0.24"

// The About box: title, version, what the program is for and where to report problems. Shown
// modally over the main window, one at a time; OK unloads it. port_notes go into the system
// information it opens: why the program could not reach a port.
class frmAbout final : public QDialog {
  Q_OBJECT
 public:
  explicit frmAbout(QWidget* owner, std::vector<std::string> port_notes = {});

  void cmdOK_Click();
  void cmdSysInfo_Click();

 private:
  void Form_Load();

  QLabel* lblTitle_;
  QLabel* lblVersion_;
  std::vector<std::string> port_notes_;
};

}  // namespace app
