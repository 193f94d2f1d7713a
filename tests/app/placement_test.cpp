// Window placement: reading and writing the stored values, and keeping the window on a screen.
#include "app/placement.h"

#include <gtest/gtest.h>

#include <QCloseEvent>
#include <QGuiApplication>
#include <QPlainTextEdit>
#include <QScreen>
#include <QTest>
#include <QTextBlock>
#include <QTextLayout>
#include <map>

#include "window_fixture.h"

namespace {

using app::FitOnScreens;
using app::PixelRect;
using app::Placement;

}  // namespace

namespace app {
void PrintTo(const PixelRect& r, std::ostream* out) {
  *out << "{" << r.x << ", " << r.y << ", " << r.width << ", " << r.height << "}";
}
}  // namespace app

namespace {

TEST(Placement, AbsentOrUnreadableValuesTakeTheDefaults) {
  app_testing::MemorySettings store;
  EXPECT_EQ(app::ReadPlacement(store), app::kDefaultPlacement);
  EXPECT_EQ(app::kDefaultPlacement.left, 100);
  EXPECT_EQ(app::kDefaultPlacement.top, 100);
  EXPECT_EQ(app::kDefaultPlacement.width, 0);  // no size stored: the first-start size
  EXPECT_EQ(app::kDefaultPlacement.height, 0);
  for (const char* bad : {"", "abc", "12x", "nan", "inf", "1e99", " ", "0x10"}) {
    store.values["Settings/MainLeft"] = bad;
    EXPECT_EQ(app::ReadPlacement(store).left, 100) << bad;
  }
}

TEST(Placement, NumbersReadAsSinglePrecisionAndWriteAsShortDecimalText) {
  app_testing::MemorySettings store;
  store.values["Settings/MainLeft"] = " 1200 ";
  store.values["Settings/MainTop"] = "-45";
  store.values["Settings/MainWidth"] = "10500.5";
  store.values["Settings/MainHeight"] = "+7000";
  EXPECT_EQ(app::ReadPlacement(store), (Placement{1200, -45, 10500.5F, 7000}));

  app::WritePlacement(store, {1200, 1500.5F, 10740, 6500});
  EXPECT_EQ(store.values["Settings/MainLeft"], "1200");
  EXPECT_EQ(store.values["Settings/MainTop"], "1500.5");
  EXPECT_EQ(store.values["Settings/MainWidth"], "10740");
  EXPECT_EQ(store.values["Settings/MainHeight"], "6500");
}

TEST(Placement, TwipsAndPixelsAtFifteenTwipsAPixel) {
  EXPECT_EQ(app::ToPixels({1500, 105, 10500, 6675}, 15), (PixelRect{100, 7, 700, 445}));
  EXPECT_EQ(app::ToTwips({100, 7, 700, 445}, 15), (Placement{1500, 105, 10500, 6675}));
  // Values too large for any screen still convert without overflow.
  const PixelRect huge = app::ToPixels({3e38F, -3e38F, 3e38F, 1}, 15);
  EXPECT_GT(huge.x, 0);
  EXPECT_LT(huge.y, 0);
}

struct FitCase {
  const char* what;
  PixelRect wanted;
  PixelRect expected;
};

const PixelRect kScreens[] = {{0, 0, 1920, 1050}, {1920, 0, 1280, 1024}};
const PixelRect kDefaultSize{7, 7, 716, 433};

class FitOnScreen : public ::testing::TestWithParam<FitCase> {};

TEST_P(FitOnScreen, WholeWindowLiesOnOneScreen) {
  const FitCase c = GetParam();
  EXPECT_EQ(FitOnScreens(c.wanted, kScreens, kDefaultSize), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FitOnScreen,
    ::testing::Values(
        FitCase{"inside stays", {7, 7, 716, 433}, {7, 7, 716, 433}},
        FitCase{"on the second screen stays", {2000, 100, 700, 400}, {2000, 100, 700, 400}},
        FitCase{"off every screen goes to the first", {-5000, -5000, 716, 433}, {0, 0, 716, 433}},
        FitCase{"far right goes to the nearest edge of the first",
                {90000, 200, 716, 433},
                {1204, 200, 716, 433}},
        FitCase{"hanging over the right edge is pulled in",
                {3000, 900, 716, 433},
                {2484, 591, 716, 433}},
        FitCase{"mostly on the second screen moves onto it",
                {1800, 10, 716, 433},
                {1920, 10, 716, 433}},
        FitCase{"larger than the screen shrinks to it", {10, 10, 5000, 4000}, {0, 0, 1920, 1050}},
        FitCase{"zero size takes the default size", {50, 60, 0, 0}, {50, 60, 716, 433}},
        FitCase{"negative size takes the default size", {50, 60, -700, 400}, {50, 60, 716, 433}},
        FitCase{"a sliver takes the default size", {50, 60, 3, 2}, {50, 60, 716, 433}}),
    [](const ::testing::TestParamInfo<FitCase>& param_info) {
      std::string name = param_info.param.what;
      for (char& c : name) {
        if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
      }
      return name;
    });

TEST(FitOnScreenWithoutScreens, LeavesTheWindowAsAsked) {
  EXPECT_EQ(FitOnScreens({5, 6, 700, 400}, {}, kDefaultSize), (PixelRect{5, 6, 700, 400}));
}

double TwipsPerPixel() {
  return 1440.0 / QGuiApplication::primaryScreen()->logicalDotsPerInch();
}

struct FirstStartCase {
  PixelRect screen;
  PixelRect expected;
};

// About three quarters of the screen's area in its proportions, but never below the least size
// (here 783 x 536) nor beyond the screen.
TEST(FirstStartSize, ThreeQuartersOfTheScreenWithinTheLeastSizeAndTheScreen) {
  const FirstStartCase cases[] = {
      {{0, 0, 1366, 768}, {0, 0, 1183, 665}}, {{0, 0, 1920, 1080}, {0, 0, 1663, 935}},
      {{0, 27, 1024, 741}, {0, 0, 887, 642}}, {{0, 0, 800, 600}, {0, 0, 783, 536}},
      {{0, 0, 640, 480}, {0, 0, 640, 480}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(app::FirstStartSize(c.screen, 783, 536), c.expected) << c.screen.width;
  }
}

// The window at its first start on the 1366 x 768 test screen: placed where the defaults say,
// three quarters of the screen or more, and a long log line on one line.
TEST(WindowPlacement, FirstRunTakesThreeQuartersOfTheScreenAndALogLineFits) {
  app_testing::WindowUnderTest t;
  t.window.Form_Load();
  const double tpp = TwipsPerPixel();
  // The hex view's frame sits where start-up puts it.
  const QWidget* frame3 = t.Find<QWidget>("Frame3");
  EXPECT_EQ(frame3->y(), 72);
  EXPECT_EQ(frame3->width(), 481);
  EXPECT_EQ(frame3->height(), 241);
  t.window.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&t.window));
  EXPECT_EQ(t.window.x(), static_cast<int>(std::round(100 / tpp)));
  EXPECT_EQ(t.window.y(), static_cast<int>(std::round(100 / tpp)));
  const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
  const QRect outer = t.window.frameGeometry();
  EXPECT_TRUE(screen.contains(outer));
  EXPECT_GE(outer.width() * outer.height(), screen.width() * screen.height() * 7 / 10);
  EXPECT_GE(outer.height(), 665);

  t.window.LogMessage("Device Memory DOES NOT VERIFY with Buffer Contents");
  QApplication::processEvents();
  const auto* log = t.Find<QPlainTextEdit>("SystemLog");
  const QTextBlock last = log->document()->lastBlock();
  ASSERT_TRUE(last.text().endsWith("Device Memory DOES NOT VERIFY with Buffer Contents"));
  EXPECT_EQ(last.layout()->lineCount(), 1);
}

TEST(WindowPlacement, StoredPlacementOffEveryScreenStillOpensOnAScreen) {
  app_testing::WindowUnderTest t;
  t.settings.values = {{"Settings/MainLeft", "-900000"},
                       {"Settings/MainTop", "45000000"},
                       {"Settings/MainWidth", "0"},
                       {"Settings/MainHeight", "garbage"}};
  t.window.Form_Load();
  const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
  EXPECT_TRUE(screen.contains(t.window.geometry()))
      << t.window.geometry().x() << "," << t.window.geometry().y();
  EXPECT_GE(t.window.width(), app::kMinimumWidth);
}

// The store keeps the outer size, frame included: the window opens at that size and, closed
// unchanged, stores the same values again (it neither grows nor shrinks by its frame).
TEST(WindowPlacement, OuterSizeIsRestoredAndStoredUnchanged) {
  app_testing::WindowUnderTest t;
  const double tpp = TwipsPerPixel();
  const auto twips = [tpp](int pixels) {
    return app::SingleText(static_cast<float>(std::round(pixels * tpp)));
  };
  const std::map<std::string, std::string> stored = {{"Settings/MainLeft", twips(30)},
                                                     {"Settings/MainTop", twips(40)},
                                                     {"Settings/MainWidth", twips(1000)},
                                                     {"Settings/MainHeight", twips(700)}};
  t.settings.values = stored;
  t.window.Form_Load();
  t.window.show();
  QApplication::processEvents();
  ASSERT_NE(t.window.frameGeometry().size(), t.window.size());  // the platform draws a frame
  EXPECT_EQ(t.window.frameGeometry(), QRect(30, 40, 1000, 700));
  t.window.close();
  EXPECT_EQ(t.settings.values, stored);
}

TEST(WindowPlacement, ClosingStoresThePlacementUnlessMinimized) {
  app_testing::WindowUnderTest t;
  t.settings.values = {{"Settings/MainLeft", "1500"},
                       {"Settings/MainTop", "1200"},
                       {"Settings/MainWidth", "10800"},
                       {"Settings/MainHeight", "7500"}};
  t.window.Form_Load();
  t.window.show();
  t.window.move(40, 50);
  t.window.mnuFileExit_Click();
  const double tpp = TwipsPerPixel();
  EXPECT_EQ(t.settings.values["Settings/MainLeft"], app::SingleText(static_cast<float>(40 * tpp)));
  EXPECT_EQ(t.settings.values["Settings/MainTop"], app::SingleText(static_cast<float>(50 * tpp)));
  EXPECT_EQ(
      t.settings.values["Settings/MainWidth"],
      app::SingleText(static_cast<float>(std::round(t.window.frameGeometry().width() * tpp))));

  app_testing::WindowUnderTest minimized;
  minimized.window.show();
  minimized.window.setWindowState(Qt::WindowMinimized);
  minimized.window.close();
  EXPECT_EQ(minimized.settings.puts, 0);
}

}  // namespace
