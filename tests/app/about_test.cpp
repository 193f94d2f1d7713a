#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QTimer>
#include <QWidget>

#include "app/about_dialog.h"
#include "app/help.h"
#include "app/sysinfo.h"
#include "qt_app.h"

namespace {

QString Text(const QWidget& about, const char* name) {
  const auto* label = about.findChild<QLabel*>(name);
  return label != nullptr ? label->text() : QString("<missing %1>").arg(name);
}

// Should a dialog fail to close as a test expects, close it anyway so that the test fails
// instead of hanging.
void CloseDialogsLater() {
  QTimer::singleShot(5000, [] {
    for (QWidget* w : QApplication::topLevelWidgets()) {
      if (auto* dialog = qobject_cast<QDialog*>(w)) dialog->reject();
    }
    for (QWidget* w : QApplication::allWidgets()) {
      if (auto* dialog = qobject_cast<QDialog*>(w); dialog != nullptr && dialog->isVisible()) {
        dialog->reject();
      }
    }
  });
}

int AboutBoxes(const QWidget& owner) {
  return static_cast<int>(owner.findChildren<app::frmAbout*>().size());
}

TEST(AboutBox, ShowsTitleVersionAndItsTexts) {
  app_testing::SharedApplication();
  QWidget owner;
  app::frmAbout about(&owner);
  EXPECT_EQ(about.windowTitle(), "About MELDRIX5A");
  EXPECT_TRUE(about.isModal());
  EXPECT_EQ(Text(about, "lblTitle"), "MELDRIX5N");
  EXPECT_EQ(Text(about, "lblVersion"), "Version 1.0.24");
  EXPECT_TRUE(Text(about, "lblDescription")
                  .startsWith("Eprom, Flash and Eeprom memory programming software to be used "
                              "with MELDRIX-5 Hardware board, available at http"));
  EXPECT_TRUE(Text(about, "Label1")
                  .startsWith("WINDOWS BETA VERSION.   Please report any bugs or suggestions "
                              "via email to "));
  EXPECT_TRUE(Text(about, "Label1").contains('@'));
  EXPECT_EQ(Text(about, "lblDisclaimer"),
            "Warning: This software should run perfectly under "
            "Win98/Win98SE/WinME/Win2000/WinXP/WinNT, but in case of problems under Win2000/XP "
            "it may require USERPORT utility.  ");
  const auto* icon = about.findChild<QLabel*>("picIcon");
  ASSERT_NE(icon, nullptr);
  EXPECT_FALSE(icon->pixmap().isNull());
  EXPECT_NE(about.findChild<QWidget*>("Line1(0)"), nullptr);
  EXPECT_NE(about.findChild<QWidget*>("Line1(1)"), nullptr);
  const auto* ok = about.findChild<QPushButton*>("cmdOK");
  const auto* sysinfo = about.findChild<QPushButton*>("cmdSysInfo");
  ASSERT_NE(ok, nullptr);
  ASSERT_NE(sysinfo, nullptr);
  EXPECT_EQ(ok->text(), "OK");
  EXPECT_EQ(sysinfo->text(), "&System Info...");
}

// While the box is open it is the modal window over its owner; asking for it again brings the
// same box forward; OK unloads it.
TEST(AboutBox, OneModalInstanceOwnedByTheMainWindowUntilOk) {
  app_testing::SharedApplication();
  QWidget owner;
  owner.show();
  QPointer<app::frmAbout> seen;
  bool modal_over_owner = false;
  int while_open = 0, after_second_ask = 0;
  CloseDialogsLater();
  QTimer::singleShot(0, [&] {
    seen = qobject_cast<app::frmAbout*>(QApplication::activeModalWidget());
    modal_over_owner = seen != nullptr && seen->parentWidget() == &owner;
    while_open = AboutBoxes(owner);
    app::ShowAbout(owner);  // returns at once: the box is open already
    after_second_ask = AboutBoxes(owner);
    if (seen) seen->findChild<QPushButton*>("cmdOK")->click();
  });
  app::ShowAbout(owner);
  EXPECT_TRUE(modal_over_owner);
  EXPECT_EQ(while_open, 1);
  EXPECT_EQ(after_second_ask, 1);
  EXPECT_TRUE(seen.isNull());  // unloaded
  EXPECT_EQ(AboutBoxes(owner), 0);
}

TEST(AboutBox, SystemInfoButtonOpensTheReportOverTheBox) {
  app_testing::SharedApplication();
  QWidget owner;
  owner.show();
  QString report;
  QString report_owner;
  CloseDialogsLater();
  QTimer::singleShot(0, [&] {
    auto* about = qobject_cast<app::frmAbout*>(QApplication::activeModalWidget());
    if (about == nullptr) return;
    QTimer::singleShot(0, [&, about] {
      if (auto* info = qobject_cast<app::SysInfoWindow*>(QApplication::activeModalWidget())) {
        report = info->Text();
        report_owner = info->parentWidget()->objectName();
        info->reject();
      }
      about->cmdOK_Click();
    });
    about->findChild<QPushButton*>("cmdSysInfo")->click();
  });
  app::ShowAbout(owner);
  EXPECT_EQ(report_owner, "frmAbout");
  EXPECT_TRUE(report.contains("Version: 1.0.24")) << report.toStdString();
}

}  // namespace
