#include "app/help.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QRegularExpression>
#include <QTextBrowser>
#include <QWidget>

#include "app/help_window.h"
#include "qt_app.h"

namespace {

QString Page(const QString& name) {
  QFile file(":/help/" + name);
  if (!file.open(QIODevice::ReadOnly)) return {};
  return QString::fromUtf8(file.readAll());
}

QString WholeHelpText() {
  app_testing::SharedApplication();  // the pages' text is laid out by Qt's text engine
  QString text;
  const app::HelpIndex index;
  for (const auto& section : index.Sections()) text += section.title + "\n" + section.text + "\n";
  return text;
}

TEST(HelpDocument, ContentsPageIsBuiltIn) {
  EXPECT_TRUE(Page("index.html").contains("MELDRIX5N Help - Contents"));
}

// Every link between the pages leads to a page that exists and an anchor on it.
TEST(HelpDocument, EveryLinkResolves) {
  static const QRegularExpression link(R"re(href="([a-z]+\.html)(?:#([A-Za-z0-9_-]+))?")re");
  const QStringList pages = QDir(":/help").entryList({"*.html"});
  ASSERT_GE(pages.size(), 5);
  int links = 0;
  for (const QString& page : pages) {
    for (auto it = link.globalMatch(Page(page)); it.hasNext();) {
      const auto m = it.next();
      ++links;
      const QString target = Page(m.captured(1));
      ASSERT_FALSE(target.isEmpty()) << page.toStdString() << " -> " << m.captured(1).toStdString();
      if (!m.captured(2).isEmpty()) {
        EXPECT_TRUE(target.contains("id=\"" + m.captured(2) + "\""))
            << page.toStdString() << " -> " << m.captured(0).toStdString();
      }
    }
  }
  EXPECT_GT(links, 30);
}

// The operator finds every button, menu entry and toolbar button of the window in the help.
TEST(HelpDocument, DescribesEveryButtonAndMenuEntry) {
  const QString text = WholeHelpText();
  for (const char* caption : {"Read",
                              "Blank Chk",
                              "Verify",
                              "Program",
                              "Display",
                              "Erase Buffer",
                              "Erase Flsh",
                              "TestPort",
                              "Show Data",
                              "Command1",
                              "Check Blank Before Programming",
                              "Verify Device After Programming",
                              "Hi / Low Byte Programming",
                              "Program Speed",
                              "LPT Port Selection",
                              "Select Device Programming Voltage",
                              "Open Code...",
                              "Save Code",
                              "Save Code As...",
                              "Open Data...",
                              "Save Data",
                              "Save Data As...",
                              "Close",
                              "Exit",
                              "Options...",
                              "Blank Check Device for Erased",
                              "Program Device Code",
                              "Read Device Code",
                              "Verify Device Code",
                              "Program Device Data",
                              "Read Device Data",
                              "Verify Device Data",
                              "Display Device CODE",
                              "Display Device DATA",
                              "Erase CODE Buffer",
                              "Erase DATA Buffer",
                              "Erase Device Flash Memory",
                              "Test LPT Ports",
                              "Show Flash Code ID#",
                              "Load Setup",
                              "Save Setup",
                              "Force Set MELDRIX-4",
                              "Force Set MELDRIX-5",
                              "LoopFlashTest",
                              "ResetFlash",
                              "Contents",
                              "Search For Help On...",
                              "About",
                              "System Info...",
                              "Open File into Code Buffer",
                              "Save Code Buffer Into File",
                              "Open File into Data Buffer",
                              "Save Data Buffer into File",
                              "ERROR",
                              "DataFlow",
                              "HwReady",
                              "System Log",
                              "File Hex Display",
                              "Meldrix Hardware Found",
                              "usermod",
                              "ppdev"}) {
    EXPECT_TRUE(text.contains(caption)) << caption;
  }
}

struct SearchCase {
  const char* keyword;
  const char* section;  // page#anchor of a section the search must find; empty: no hit at all
};

class HelpSearch : public ::testing::TestWithParam<SearchCase> {};

// Every hit holds every word, ignoring case, and the section that answers the question is
// among them.
TEST_P(HelpSearch, FindsTheSectionsThatHoldEveryWord) {
  app_testing::SharedApplication();
  const SearchCase c = GetParam();
  const app::HelpIndex index;
  const auto hits = index.Search(c.keyword);
  if (*c.section == '\0') {
    EXPECT_TRUE(hits.empty()) << hits.size();
    return;
  }
  QStringList found;
  for (const auto& hit : hits) found << hit.url.fileName() + "#" + hit.url.fragment();
  EXPECT_TRUE(found.contains(c.section)) << found.join(' ').toStdString();
  const QStringList words = QString(c.keyword).toLower().split(' ', Qt::SkipEmptyParts);
  for (const auto& hit : hits) {
    for (const auto& section : index.Sections()) {
      if (section.url != hit.url) continue;
      const QString text = (section.title + ' ' + section.text).toLower();
      for (const QString& word : words)
        EXPECT_TRUE(text.contains(word)) << hit.url.toString().toStdString();
    }
  }
}

void PrintTo(const SearchCase& c, std::ostream* out) {
  *out << '"' << c.keyword << '"';
}

INSTANTIATE_TEST_SUITE_P(
    Keywords, HelpSearch,
    ::testing::Values(SearchCase{"usermod", "ports.html#ppdev"},
                      SearchCase{"USERMOD", "ports.html#ppdev"},
                      SearchCase{"slot   damaged", "setup.html#damagedsetup"},
                      SearchCase{"Not Responding", "messages.html#msghardware"},
                      SearchCase{"Erase Flsh", "window.html#buttons"}, SearchCase{"xyzzy", ""},
                      SearchCase{"", ""}, SearchCase{"   ", ""}));

// Sections whose title holds the keyword come before those that only mention it.
TEST(HelpSearchOrder, TitleHitsComeFirstInReadingOrder) {
  app_testing::SharedApplication();
  const auto hits = app::HelpIndex().Search("setup slots");
  ASSERT_GE(hits.size(), 2U);
  EXPECT_EQ(hits[0].url.toString(), "qrc:/help/setup.html#setup");
  EXPECT_TRUE(hits[1].title.contains("Setup slots", Qt::CaseInsensitive))
      << hits[1].title.toStdString();
  const auto last = hits.back();
  EXPECT_FALSE(last.title.contains("setup slots", Qt::CaseInsensitive)) << last.title.toStdString();
}

TEST(HelpWindow, ContentsOpensOneWindowAtTheContentsPage) {
  app_testing::SharedApplication();
  QWidget owner;
  app::ShowHelpContents(owner);
  app::ShowHelpContents(owner);
  const auto windows = owner.findChildren<app::HelpWindow*>();
  ASSERT_EQ(windows.size(), 1);
  EXPECT_TRUE(windows[0]->isVisible());
  EXPECT_EQ(windows[0]->Browser()->source().toString(), app::kHelpContentsPage);
  EXPECT_TRUE(windows[0]->Browser()->toPlainText().contains("Topics"));
}

TEST(HelpWindow, SearchListsHitsAndOpensTheChosenOne) {
  app_testing::SharedApplication();
  QWidget owner;
  app::ShowHelpSearch(owner);
  auto* window = owner.findChild<app::HelpWindow*>();
  ASSERT_NE(window, nullptr);
  auto* keyword = window->findChild<QLineEdit*>("helpKeyword");
  ASSERT_NE(keyword, nullptr);
  EXPECT_TRUE(keyword->text().isEmpty());

  keyword->setText("modprobe");  // as the operator types
  ASSERT_GT(window->Results()->count(), 0);
  window->Results()->setCurrentRow(0);
  EXPECT_EQ(window->Browser()->source().fileName(), "ports.html");
  EXPECT_TRUE(window->Browser()->toPlainText().contains("modprobe"));

  window->Search("xyzzy");
  ASSERT_EQ(window->Results()->count(), 1);
  EXPECT_TRUE(window->Results()->item(0)->text().startsWith("(no topic holds"));
  window->Results()->setCurrentRow(0);  // the note is no topic: the page stays
  EXPECT_EQ(window->Browser()->source().fileName(), "ports.html");
}

}  // namespace
