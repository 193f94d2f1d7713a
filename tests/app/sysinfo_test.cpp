#include "app/sysinfo.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QMessageBox>
#include <QSysInfo>
#include <QTimer>
#include <QWidget>

#include "app/about_dialog.h"
#include "platform/parports.h"
#include "qt_app.h"

namespace {

// Why direct I/O cannot be had, as the machine of a normal user answers.
const std::optional<std::string> kNoDirectIo = "needs root or CAP_SYS_RAWIO";

QString Value(const app::SystemInformation& info, const QString& key, const QString& name) {
  QString value = "stale";
  if (!app::GetKeyValue(info, key, name, value)) return "<absent:" + value + ">";
  return value;
}

struct PortCase {
  const char* what;
  platform::KernelParport port;
  bool direct_possible;
  const char* method;
  const char* may_open;
  const char* advice_contains;  // empty: no advice line
};

class PortAccess : public ::testing::TestWithParam<PortCase> {};

// Which way the program can reach each port, and what the operator is told to do otherwise.
TEST_P(PortAccess, NamesTheMethodAndTheRemedy) {
  const PortCase c = GetParam();
  const auto info =
      app::CollectSystemInformation({}, {c.port}, c.direct_possible ? std::nullopt : kNoDirectIo);
  const QString key = "Port " + QString::fromStdString(c.port.name);
  EXPECT_EQ(Value(info, key, "Access method"), c.method);
  EXPECT_EQ(Value(info, key, "User may open it"), c.may_open);
  const QString advice = Value(info, key, "To allow access");
  if (*c.advice_contains == '\0') {
    EXPECT_EQ(advice, "<absent:>");
  } else {
    EXPECT_TRUE(advice.contains(c.advice_contains)) << advice.toStdString();
  }
}

void PrintTo(const PortCase& c, std::ostream* out) {
  *out << c.what;
}

INSTANTIATE_TEST_SUITE_P(
    EachSituation, PortAccess,
    ::testing::Values(PortCase{"ppdev open",
                               {"parport0", 0x378, "/dev/parport0", true, true},
                               false,
                               "ppdev through /dev/parport0",
                               "Yes",
                               ""},
                      PortCase{"ppdev preferred",
                               {"parport0", 0x378, "/dev/parport0", true, true},
                               true,
                               "ppdev through /dev/parport0",
                               "Yes",
                               ""},
                      PortCase{"no group",
                               {"parport1", 0x278, "/dev/parport1", true, false},
                               false,
                               "none",
                               "No",
                               "usermod -aG lp"},
                      PortCase{"direct",
                               {"parport2", 0x3BC, "/dev/parport2", false, false},
                               true,
                               "direct I/O (ioperm)",
                               "Yes",
                               ""},
                      PortCase{"no module",
                               {"parport0", 0x378, "/dev/parport0", false, false},
                               false,
                               "none",
                               "No",
                               "modprobe ppdev"},
                      PortCase{"card elsewhere",
                               {"parport3", 0xE800, "/dev/parport3", false, false},
                               true,
                               "none",
                               "No",
                               "modprobe ppdev"}));

// Root in a container whose kernel grants no port permission: direct I/O is not called possible,
// and no port is offered it.
TEST(SystemInformation, DirectIoTheKernelRefusesIsNotPossible) {
  const auto info =
      app::CollectSystemInformation({}, {{"parport0", 0x378, "/dev/parport0", false, false}},
                                    "the kernel refused port access: Function not implemented");
  EXPECT_EQ(Value(info, "Parallel ports", "Direct I/O"),
            "not possible (the kernel refused port access: Function not implemented)");
  EXPECT_EQ(Value(info, "Port parport0", "Access method"), "none");
}

TEST(SystemInformation, BaseAddressesInHexAndUnknownBases) {
  const auto info = app::CollectSystemInformation(
      {}, {{"parport0", 0x3BC, "/dev/parport0", true, true}, {"parport1", 0, "/dev/parport1"}},
      kNoDirectIo);
  EXPECT_EQ(Value(info, "Port parport0", "Base address"), "3BCh");
  EXPECT_EQ(Value(info, "Port parport1", "Base address"), "unknown");
  EXPECT_EQ(Value(info, "Parallel ports", "Count"), "2");
  EXPECT_EQ(Value(info, "Parallel ports", "Note"), "<absent:>");
}

TEST(SystemInformation, GetKeyValueAnswersFalseAndEmptyForWhatIsNotThere) {
  const auto info = app::CollectSystemInformation({}, {}, kNoDirectIo);
  EXPECT_EQ(Value(info, "Program", "Version"), "1.0.24");
  EXPECT_EQ(Value(info, "Program", "Colour"), "<absent:>");
  EXPECT_EQ(Value(info, "Registry", "Version"), "<absent:>");
  EXPECT_TRUE(Value(info, "Parallel ports", "Note").contains("simulated board"));
}

// The report on the machine the tests run on holds what a support request needs.
TEST(SystemInformation, ReportOnThisMachine) {
  const auto info = app::CollectSystemInformation();
  const QString text = app::SystemInformationText(info);
  EXPECT_TRUE(text.contains("Version: 1.0.24"));
  EXPECT_TRUE(text.contains("Qt version: " + QString::fromLatin1(qVersion())));
  EXPECT_TRUE(text.contains(QSysInfo::kernelType(), Qt::CaseInsensitive));
  EXPECT_TRUE(text.contains(QSysInfo::kernelVersion())) << text.toStdString();
  const auto ports = platform::ListKernelParports();
  EXPECT_EQ(Value(info, "Parallel ports", "Count"), QString::number(ports.size()));
  for (const auto& port : ports) {
    EXPECT_TRUE(text.contains("[Port " + QString::fromStdString(port.name) + "]"));
  }
}

// Without the operating system's facts there is nothing to report: the operator is told so and
// no report window opens.
TEST(SystemInformation, UnavailableWhenTheSystemCannotBeIdentified) {
  app_testing::SharedApplication();
  QWidget owner;
  owner.show();
  QString shown;
  QTimer::singleShot(0, [&] {
    QWidget* modal = QApplication::activeModalWidget();
    if (auto* box = qobject_cast<QMessageBox*>(modal)) {
      shown = box->text();
      box->accept();
    } else if (modal != nullptr) {
      shown = modal->objectName();
      modal->close();
    }
  });
  app::StartSysInfo(owner, app::CollectSystemInformation({}, {}, kNoDirectIo));
  EXPECT_EQ(shown, "System Information Is Unavailable At This Time");
}

}  // namespace
