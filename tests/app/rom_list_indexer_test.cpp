// The index of the ROM lists reaches the core only between two operations: a lookup in progress
// never loses the index under it.
#include "app/rom_list_indexer.h"

#include <gtest/gtest.h>

#include <QTest>
#include <filesystem>
#include <fstream>
#include <vector>

#include "support/rom_lists.h"
#include "window_fixture.h"

namespace {

TEST(RomListIndexer, HoldsTheIndexBackWhileAnOperationRuns) {
  app_testing::WindowUnderTest t;
  const std::filesystem::path dats = t.directory.Path() / "dats";
  std::filesystem::create_directories(dats);
  std::ofstream(dats / "roms.dat")
      << testing_support::OneRomDat("Workshop ROMs", "mon.bin", std::vector<uint8_t>(1024, 0x12));
  bool operation_running = true;
  std::vector<QString> progress, log;
  app::RomListIndexer indexer(t.programmer, {[&](const QString& text) { progress.push_back(text); },
                                             [&](const QString& line) { log.push_back(line); },
                                             [&] { return !operation_running; }});
  indexer.Refresh((t.directory.Path() / "index.sqlite").string(),
                  {(t.directory.Path() / "no-hash").string(), dats.string()});

  ASSERT_TRUE(QTest::qWaitFor([&] { return !progress.empty(); }, 30000));
  QTest::qWait(1000);
  EXPECT_EQ(t.programmer.RomLists, nullptr);
  EXPECT_TRUE(log.empty());

  operation_running = false;
  ASSERT_TRUE(QTest::qWaitFor([&] { return t.programmer.RomLists != nullptr; }, 30000));
  EXPECT_EQ(t.programmer.RomLists->EntryCount(), 1);
  EXPECT_EQ(log, std::vector<QString>{"1 ROM entries of 1 lists indexed"});
  EXPECT_EQ(progress.back(), "") << "the status bar is cleared";
}

}  // namespace
