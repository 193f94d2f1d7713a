#include "app/about_dialog.h"

#include <QApplication>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>
#include <utility>

#include "app/sysinfo.h"
#include "panel/panel.h"

namespace app {
namespace {

constexpr const char* kWebAddress = "https://meldrix.example.org";
constexpr const char* kMailAddress = "support@meldrix.example.org";

QLabel* Label(const char* name, const QString& text, QWidget* parent) {
  auto* label = new QLabel(text, parent);  // owned by parent
  label->setObjectName(name);
  label->setWordWrap(true);
  return label;
}

// The separator below the texts is drawn as a pair of lines, Line1(0) and Line1(1).
QFrame* SeparatorLine(int index, QFrame::Shadow shadow, QWidget* parent) {
  auto* line = new QFrame(parent);  // owned by parent
  line->setObjectName(QStringLiteral("Line1(%1)").arg(index));
  line->setFrameShape(QFrame::HLine);
  line->setFrameShadow(shadow);
  return line;
}

}  // namespace

QString VersionText() {
  return QStringLiteral("%1.%2.%3").arg(kVersionMajor).arg(kVersionMinor).arg(kVersionRevision);
}

frmAbout::frmAbout(QWidget* owner, std::vector<std::string> port_notes)
    : QDialog(owner), port_notes_(std::move(port_notes)) {
  setObjectName("frmAbout");
  setWindowTitle("About MELDRIX5A");
  setModal(true);

  auto* picIcon = new QLabel(this);
  picIcon->setObjectName("picIcon");
  const QIcon icon = QApplication::windowIcon().isNull()
                         ? style()->standardIcon(QStyle::SP_ComputerIcon)
                         : QApplication::windowIcon();
  picIcon->setPixmap(icon.pixmap(48, 48));

  lblTitle_ = Label("lblTitle", "MELDRIX5(N) Windows Version", this);
  lblVersion_ = Label("lblVersion", "Version", this);
  auto* lblDescription =
      Label("lblDescription",
            QStringLiteral("Eprom, Flash and Eeprom memory programming software to be used with "
                           "MELDRIX-5 Hardware board, available at %1")
                .arg(kWebAddress),
            this);
  auto* Label1 = Label("Label1",
                       QStringLiteral("WINDOWS BETA VERSION.   Please report any bugs or "
                                      "suggestions via email to %1")
                           .arg(kMailAddress),
                       this);
  auto* lblDisclaimer = Label(
      "lblDisclaimer",
      "Warning: This software should run perfectly under Win98/Win98SE/WinME/Win2000/WinXP/WinNT, "
      "but in case of problems under Win2000/XP it may require USERPORT utility.  ",
      this);

  auto* cmdOK = new QPushButton("OK", this);
  cmdOK->setObjectName("cmdOK");
  cmdOK->setDefault(true);
  auto* cmdSysInfo = new QPushButton("&System Info...", this);
  cmdSysInfo->setObjectName("cmdSysInfo");
  connect(cmdOK, &QPushButton::clicked, this, &frmAbout::cmdOK_Click);
  connect(cmdSysInfo, &QPushButton::clicked, this, &frmAbout::cmdSysInfo_Click);

  auto* texts = new QVBoxLayout;
  texts->addWidget(lblTitle_);
  texts->addWidget(lblVersion_);
  texts->addWidget(lblDescription);
  texts->addWidget(Label1);
  auto* top = new QHBoxLayout;
  top->addWidget(picIcon, 0, Qt::AlignTop);
  top->addLayout(texts, 1);
  auto* buttons = new QVBoxLayout;
  buttons->addWidget(cmdOK);
  buttons->addWidget(cmdSysInfo);
  buttons->addStretch();
  auto* bottom = new QHBoxLayout;
  bottom->addWidget(lblDisclaimer, 1);
  bottom->addLayout(buttons);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(top);
  layout->setSpacing(6);
  layout->addWidget(SeparatorLine(0, QFrame::Sunken, this));
  layout->addWidget(SeparatorLine(1, QFrame::Raised, this));
  layout->addLayout(bottom);
  setMinimumWidth(520);

  Form_Load();
}

void frmAbout::Form_Load() {
  lblVersion_->setText("Version " + VersionText());
  lblTitle_->setText(
      QString::fromUtf8(panel::kAppTitle.data(), static_cast<qsizetype>(panel::kAppTitle.size())));
}

// Closing the box ends its modal run; its owner then unloads it.
void frmAbout::cmdOK_Click() {
  accept();
}

void frmAbout::cmdSysInfo_Click() {
  StartSysInfo(*this, port_notes_);
}

}  // namespace app
