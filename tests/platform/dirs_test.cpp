// Where the program finds its sounds and keeps its settings file, run from the build folder or
// from an installed tree.
#include "platform/dirs.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "support/temp_dir.h"

namespace {

namespace fs = std::filesystem;

void PutSounds(const fs::path& directory) {
  fs::create_directories(directory);
  std::ofstream(directory / "init.wav") << "RIFF";
}

struct Layout {
  const char* what;
  bool sounds_beside;     // the build folder copies them beside the program
  bool sounds_installed;  // <prefix>/share/meldrix5/sounds
  const char* sounds_in;  // relative to the prefix
  bool installed;
  bool settings_beside;  // "meldrix5.ini" beside the program (else the per-user directory)
};

class ProgramLayout : public ::testing::TestWithParam<Layout> {};

TEST_P(ProgramLayout, SoundsAndSettingsFileAreLookedForInItsPlaces) {
  const Layout c = GetParam();
  testing_support::TempDir prefix("dirs_test");
  testing_support::TempDir home("dirs_test_home");
  const fs::path bin = fs::path(prefix.path) / "bin";
  fs::create_directories(bin);
  if (c.sounds_beside) PutSounds(bin);
  if (c.sounds_installed) PutSounds(fs::path(prefix.path) / "share/meldrix5/sounds");
  ::setenv("XDG_CONFIG_HOME", home.path.c_str(), 1);

  EXPECT_EQ(platform::SoundDirectory(bin.string()), (fs::path(prefix.path) / c.sounds_in).string());
  EXPECT_EQ(platform::RunsInstalled(bin.string()), c.installed);
  const std::string settings = platform::ProgramDirectory(bin.string());
  EXPECT_EQ(settings,
            c.settings_beside ? bin.string() : (fs::path(home.path) / "meldrix5").string());
  EXPECT_TRUE(fs::is_directory(settings));
  ::unsetenv("XDG_CONFIG_HOME");
}

void PrintTo(const Layout& c, std::ostream* out) {
  *out << c.what;
}

INSTANTIATE_TEST_SUITE_P(
    BuildFolderAndInstalledTree, ProgramLayout,
    ::testing::Values(Layout{"build folder", true, false, "bin", false, true},
                      // Even where the program may write to its bin directory (root), an
                      // installed program keeps its file in the per-user directory.
                      Layout{"installed", false, true, "share/meldrix5/sounds", true, false},
                      Layout{"copy carried with its sounds", true, true, "bin", false, true},
                      Layout{"sounds missing", false, false, "share/meldrix5/sounds", false,
                             true}));

}  // namespace
