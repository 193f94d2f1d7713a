// Saving over files that are links, read-only, or in a directory the user may not write to, on
// real files.
#include "platform/files.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

#include "support/temp_dir.h"

namespace {

namespace fs = std::filesystem;

constexpr uid_t kNobody = 65534;

std::string Text(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void Put(const fs::path& path, const std::string& text, mode_t mode) {
  std::ofstream(path, std::ios::binary) << text;
  ::chmod(path.c_str(), mode);
}

mode_t Mode(const fs::path& path) {
  struct stat info {};
  ::stat(path.c_str(), &info);
  return info.st_mode & 07777;
}

// What the directory holds besides the given names: a temporary file left behind would show.
std::vector<std::string> Others(const fs::path& dir, const std::vector<std::string>& known) {
  std::vector<std::string> others;
  for (const auto& entry : fs::directory_iterator(dir)) {
    const std::string name = entry.path().filename().string();
    if (std::find(known.begin(), known.end(), name) == known.end()) others.push_back(name);
  }
  return others;
}

// Root may write anything; as root the permission cases run as the unprivileged user "nobody"
// (effective ids only, given back at the end of the scope), so they prove the same thing in CI.
class AsOrdinaryUser {
 public:
  AsOrdinaryUser() : root_(::geteuid() == 0) {
    if (root_ && (::setegid(kNobody) != 0 || ::seteuid(kNobody) != 0)) root_ = false;
  }
  ~AsOrdinaryUser() {
    if (root_ && ::seteuid(0) == 0) (void)::setegid(0);
  }
  AsOrdinaryUser(const AsOrdinaryUser&) = delete;
  AsOrdinaryUser& operator=(const AsOrdinaryUser&) = delete;
  // Files the ordinary user is to own.
  static void Own(const fs::path& path) {
    if (::geteuid() == 0) (void)::chown(path.c_str(), kNobody, kNobody);
  }

 private:
  bool root_;
};

TEST(FileWriter, WritesThroughLinksAndKeepsTheFilesMode) {
  testing_support::TempDir dir("meldrix_writer");
  const fs::path image = fs::path(dir.path) / "good.bin";
  const fs::path link = fs::path(dir.path) / "current.bin";
  Put(image, "old", 0640);
  fs::create_symlink("good.bin", link);  // relative, as links usually are

  ASSERT_FALSE(platform::WriteFileAtomically(link.string(), std::string("new bytes")));
  EXPECT_TRUE(fs::is_symlink(link));
  EXPECT_EQ(Text(image), "new bytes");
  EXPECT_EQ(Mode(image), 0640U);

  // A read-only image stays read-only for whoever may still write it (root does).
  Put(image, "old", 0444);
  if (::geteuid() == 0) {
    ASSERT_FALSE(platform::WriteFileAtomically(image.string(), std::string("root's")));
    EXPECT_EQ(Mode(image), 0444U);
  }
  EXPECT_EQ(Others(dir.path, {"good.bin", "current.bin"}), std::vector<std::string>{});
}

TEST(FileWriter, RefusesWhatTheUserMayNotWriteAndRewritesInPlaceWhereTheDirectoryIsLocked) {
  testing_support::TempDir dir("meldrix_writer");
  ::chmod(dir.path.c_str(), 0755);  // the ordinary user may look inside
  const fs::path read_only = fs::path(dir.path) / "good.bin";
  Put(read_only, "known good", 0444);
  AsOrdinaryUser::Own(read_only);
  const fs::path locked = fs::path(dir.path) / "locked";
  fs::create_directory(locked);
  const fs::path inside = locked / "image.bin";
  Put(inside, "old", 0644);
  AsOrdinaryUser::Own(inside);
  ::chmod(locked.c_str(), 0555);

  {
    AsOrdinaryUser user;
    const auto refused = platform::WriteFileAtomically(read_only.string(), std::string("dump"));
    ASSERT_TRUE(refused);
    EXPECT_EQ(refused->reason, "Permission denied");
    ASSERT_FALSE(platform::WriteFileAtomically(inside.string(), std::string("new")));
    EXPECT_TRUE(platform::WriteFileAtomically((locked / "new.bin").string(), std::string("x")));
  }
  EXPECT_EQ(Text(read_only), "known good");
  EXPECT_EQ(Mode(read_only), 0444U);
  EXPECT_EQ(Text(inside), "new");
  EXPECT_EQ(Others(locked, {"image.bin"}), std::vector<std::string>{});
  ::chmod(locked.c_str(), 0755);
}

// A slot or settings file written on either system, edited by hand, or cut short.
TEST(LinesOf, SplitAtEachLfWithOneCrAtTheirEndDropped) {
  struct Case {
    std::string text;
    std::vector<std::string_view> lines;
  };
  const Case cases[] = {
      {"", {}},
      {"\n", {""}},
      {"a", {"a"}},
      {"a\r\nb\r\n", {"a", "b"}},
      {"a\n\r\n\nb", {"a", "", "", "b"}},
      {"a\r\r\nb\rc\r", {"a\r", "b\rc"}},
  };
  for (const Case& c : cases) {
    const auto* bytes = reinterpret_cast<const uint8_t*>(c.text.data());
    EXPECT_EQ(platform::LinesOf({bytes, c.text.size()}), c.lines) << testing::PrintToString(c.text);
  }
}

}  // namespace
