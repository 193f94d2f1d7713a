// The ROM lists' index, built from a MAME software list and a Logiqx DAT file the tests write,
// and the naming of images by it: whole, by halves and by quarters.
#include "romlists/rom_index.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "romlists/identify.h"
#include "support/rom_lists.h"
#include "support/temp_dir.h"

namespace {

namespace fs = std::filesystem;
using testing_support::RomElement;
using Bytes = std::vector<uint8_t>;

Bytes Rom(size_t size, unsigned seed) {
  Bytes bytes(size);
  for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<uint8_t>((i * seed + i / 253) & 0xFF);
  return bytes;
}

void Write(const fs::path& path, const std::string& text) {
  fs::create_directories(path.parent_path());
  std::ofstream(path) << text;
}

const Bytes kMonitor = Rom(8192, 7);
const Bytes kBasic = Rom(16384, 13);
const Bytes kBlank(8192, 0xFF);

// A DAT file of two games, one with a ROM never dumped, one that lists an erased 8 KB filler
// as some collections do.
std::string DatFile(const std::string& more = "") {
  return "<?xml version=\"1.0\"?>\n<datafile>\n<header><name>Bench DAT</name></header>\n"
         "<game name=\"mon\"><description>Bench Monitor &amp; Tools</description>"
         "<year>1984</year><manufacturer>Acme</manufacturer>" +
         RomElement("monitor.bin", kMonitor) +
         "<rom name=\"lost.bin\" size=\"2048\" status=\"nodump\"/></game>\n"
         "<game name=\"filler\"><description>Filler Card</description>" +
         RomElement("ff.bin", kBlank) + "</game>\n" + more + "</datafile>\n";
}

// A MAME software list with one cartridge, its length written in hexadecimal.
std::string SoftwareList() {
  return "<?xml version=\"1.0\"?>\n<!DOCTYPE softwarelist SYSTEM \"softwarelist.dtd\">\n"
         "<softwarelist name=\"bench\" description=\"Bench cartridges\">\n"
         "<software name=\"basic\"><description>Bench BASIC</description><year>1985</year>"
         "<publisher>Acme</publisher><part name=\"cart\" interface=\"bench_cart\">"
         "<dataarea name=\"rom\" size=\"16384\">" +
         RomElement("basic.bin", kBasic, true) + "</dataarea></part></software>\n</softwarelist>\n";
}

class RomIndexTest : public ::testing::Test {
 protected:
  RomIndexTest() {
    Write(fs::path(sources.software_lists) / "bench.xml", SoftwareList());
    Write(fs::path(sources.dat_folder) / "bench.dat", DatFile());
  }

  romlists::BuildOutcome Build(std::stop_token stop = {}) {
    return romlists::BuildIndex(index_path, sources, {}, std::move(stop));
  }

  testing_support::TempDir dir{"rom_index_test"};
  romlists::Sources sources{dir.path + "/hash", dir.path + "/dats"};
  std::string index_path = dir.path + "/index.sqlite";
};

Bytes Joined(std::initializer_list<Bytes> parts) {
  Bytes bytes;
  for (const Bytes& part : parts) bytes.insert(bytes.end(), part.begin(), part.end());
  return bytes;
}

TEST_F(RomIndexTest, NamesTheImageWholeByHalvesAndByQuarters) {
  const romlists::BuildOutcome built = Build();
  ASSERT_TRUE(built.complete) << built.error.value_or("");
  EXPECT_EQ(built.entries, 3);  // the never dumped ROM is no entry
  EXPECT_EQ(built.lists, 2U);
  const auto index = romlists::RomIndex::Open(index_path);
  ASSERT_TRUE(index);

  const std::string monitor =
      "Identified: monitor.bin of Bench Monitor & Tools (Bench DAT, 1984, Acme)";
  const std::string basic = "Identified: basic.bin of Bench BASIC (Bench cartridges, 1985, Acme)";
  const Bytes erased16(16384, 0xFF);
  struct Case {
    const char* what;
    Bytes image;
    std::vector<std::string> lines;
  };
  const std::vector<Case> cases = {
      {"a whole ROM", kBasic, {basic}},
      {"a 16 KB ROM mirrored in a 32 KB chip",
       Joined({kBasic, kBasic}),
       {"Bytes 0h..3FFFh and 4000h..7FFFh (both halves of the image, the same bytes):", basic}},
      {"a 16 KB ROM in the upper half, the lower one erased (its quarters are the listed filler)",
       Joined({erased16, kBasic}),
       {"Bytes 4000h..7FFFh (the upper half of the image):", basic}},
      {"two ROMs in one chip",
       Joined({kMonitor, kMonitor, kBasic}),
       {"Bytes 0h..1FFFh and 2000h..3FFFh (the first and second quarters of the image, the same "
        "bytes):",
        monitor, "Bytes 4000h..7FFFh (the upper half of the image):", basic}},
      {"an unknown image", Rom(32768, 5), {"Not in the ROM lists (3 entries searched)"}},
      {"one bit off",
       [] {
         Bytes bytes = kBasic;
         bytes[100] ^= 0x01;
         return bytes;
       }(),
       {"Not in the ROM lists (3 entries searched)"}},
      {"an erased chip that a filler entry would match",
       kBlank,
       {"Every byte is FFh (an erased chip, or none answering): there is no ROM to name"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const romlists::Identification found = romlists::Identify(*index, c.image);
    EXPECT_EQ(romlists::ReportLines(found), c.lines);
    EXPECT_EQ(found.Identified(), c.lines.front().find("Identified") != std::string::npos ||
                                      c.lines.front().starts_with("Bytes"));
  }
}

// The index follows the lists: a changed DAT file is seen and indexed again, a file that is no
// ROM list is indexed as holding nothing, and a stopped build leaves the index it found.
TEST_F(RomIndexTest, IsBuiltAgainWhenAListChangesAndAStoppedBuildLeavesTheOldOne) {
  ASSERT_TRUE(Build().complete);
  EXPECT_TRUE(romlists::RomIndex::Open(index_path)->IsCurrent(sources));
  EXPECT_FALSE(romlists::RomIndex::Open(index_path)->IsCurrent({sources.software_lists, ""}));

  const Bytes extra = Rom(4096, 3);
  Write(fs::path(sources.dat_folder) / "bench.dat",
        DatFile("<game name=\"extra\"><description>Extra</description>" +
                RomElement("extra.bin", extra) + "</game>\n"));
  Write(fs::path(sources.dat_folder) / "notes.xml", "<html><body>not a list</body></html>");
  // Cut short after its first game: what it gave before the fault is not kept either.
  std::string cut = DatFile();
  cut = cut.substr(0, cut.find("<game name=\"filler")).replace(cut.find("Bench"), 5, "Cut");
  Write(fs::path(sources.dat_folder) / "cut.dat", cut);
  auto old = romlists::RomIndex::Open(index_path);
  ASSERT_TRUE(old);
  EXPECT_FALSE(old->IsCurrent(sources));
  EXPECT_TRUE(romlists::Identify(*old, extra).parts.front().matches.empty());

  // Stopped once it has begun to read: the old index stays, no half-built file beside it.
  std::stop_source stop;
  const romlists::BuildOutcome stopped = romlists::BuildIndex(
      index_path, sources,
      [&stop](const romlists::BuildProgress& at) {
        if (at.files_done == 1) stop.request_stop();
      },
      stop.get_token());
  EXPECT_TRUE(stopped.stopped);
  EXPECT_FALSE(stopped.complete);
  EXPECT_EQ(std::distance(fs::directory_iterator(dir.path), fs::directory_iterator()), 3)
      << "hash, dats and the index alone";
  const auto kept = romlists::RomIndex::Open(index_path);
  ASSERT_TRUE(kept);
  EXPECT_EQ(kept->EntryCount(), 3);
  EXPECT_FALSE(kept->IsCurrent(sources));

  const romlists::BuildOutcome rebuilt = Build();
  ASSERT_TRUE(rebuilt.complete);
  EXPECT_EQ(rebuilt.entries, 4);
  ASSERT_EQ(rebuilt.skipped.size(), 2U);
  EXPECT_EQ(rebuilt.skipped[0].path, sources.dat_folder + "/cut.dat");
  EXPECT_TRUE(rebuilt.skipped[0].reason.starts_with("line ")) << rebuilt.skipped[0].reason;
  EXPECT_EQ(rebuilt.skipped[1].reason,
            "not a MAME software list nor a Logiqx DAT file (its root element is <html>)");
  const auto index = romlists::RomIndex::Open(index_path);
  ASSERT_TRUE(index);
  EXPECT_TRUE(index->IsCurrent(sources));
  EXPECT_EQ(romlists::ReportLines(romlists::Identify(*index, extra)),
            std::vector<std::string>{"Identified: extra.bin of Extra (Bench DAT)"});
  EXPECT_EQ(romlists::ReportLines(romlists::Identify(*index, kMonitor)).size(), 1U);
}

TEST_F(RomIndexTest, AFirstBuildStoppedLeavesNoIndex) {
  std::stop_source stop;
  stop.request_stop();
  const romlists::BuildOutcome stopped = Build(stop.get_token());
  EXPECT_TRUE(stopped.stopped);
  EXPECT_FALSE(romlists::RomIndex::Open(index_path));
  EXPECT_FALSE(fs::exists(index_path));
}

// Without any list the index is empty, and the operator is told where lists come from.
TEST_F(RomIndexTest, WithoutListsTheOperatorIsToldHowToAddOne) {
  fs::remove_all(sources.software_lists);
  fs::remove_all(sources.dat_folder);
  ASSERT_TRUE(Build().complete);
  const auto index = romlists::RomIndex::Open(index_path);
  ASSERT_TRUE(index);
  EXPECT_EQ(index->EntryCount(), 0);
  EXPECT_EQ(romlists::NoListsLine(index->BuiltFrom()),
            "There are no ROM lists to look in: install the Debian package mame-data (its "
            "software lists go to " +
                sources.software_lists + "), or put Logiqx XML DAT files in " + sources.dat_folder);
}

// One entry of Debian's mame-data, looked up by the length and checksums its list gives.
TEST(MameSoftwareLists, AListedRomIsNamed) {
  const romlists::Sources mame{"/usr/share/games/mame/hash", ""};
  if (!fs::exists(mame.software_lists + "/a2600.xml")) {
    GTEST_SKIP() << "the Debian package mame-data is not installed";
  }
  testing_support::TempDir dir("rom_index_mame");
  const std::string path = dir.path + "/index.sqlite";
  const romlists::BuildOutcome built = romlists::BuildIndex(path, mame, {});
  ASSERT_TRUE(built.complete) << built.error.value_or("");
  EXPECT_TRUE(built.skipped.empty()) << built.skipped.front().path;
  EXPECT_GT(built.entries, 200000);
  const auto index = romlists::RomIndex::Open(path);
  ASSERT_TRUE(index);
  // a2600.xml: <rom name="Adventure Plus.a26" size="4096" crc="0a25900b"
  //                 sha1="cf0efc58ffc8ae2ac49d96177cc8b3e299e95160"/>
  const std::array<uint8_t, 20> sha1 = {0xcf, 0x0e, 0xfc, 0x58, 0xff, 0xc8, 0xae, 0x2a, 0xc4, 0x9d,
                                        0x96, 0x17, 0x7c, 0xc8, 0xb3, 0xe2, 0x99, 0xe9, 0x51, 0x60};
  const romlists::RomIndex::Found found = index->Lookup(4096, 0x0a25900b, sha1);
  ASSERT_EQ(found.entries.size(), 1U);
  EXPECT_EQ(found.entries.front(),
            (romlists::RomEntry{"Adventure Plus.a26", "adventp", "Adventure +", "2003", "Homebrew",
                                "Atari 2600 cartridges"}));
  auto other = sha1;
  other[0] ^= 1;
  EXPECT_TRUE(index->Lookup(4096, 0x0a25900b, other).entries.empty()) << "same CRC, other ROM";
}

}  // namespace
