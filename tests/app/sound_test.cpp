// Event sounds: each keyword plays its own file from the program's directory, anything else
// plays the error sound.
#include <gtest/gtest.h>

#include <filesystem>

#include "app/sound_keywords.h"
#include "window_fixture.h"

namespace {

struct SoundCase {
  const char* keyword;
  const char* file;
};

class EventSound : public ::testing::TestWithParam<SoundCase> {};

TEST_P(EventSound, PlaysTheKeywordsFileFromTheSoundDirectory) {
  app_testing::WindowUnderTest t;
  t.window.PlayEventSound(GetParam().keyword);
  ASSERT_EQ(t.sound.played.size(), 1U);
  EXPECT_EQ(t.sound.played[0], std::string("/sounds/") + GetParam().file);
}

INSTANTIATE_TEST_SUITE_P(
    Keywords, EventSound,
    ::testing::Values(SoundCase{"INIT", "init.wav"}, SoundCase{"OK", "ok.wav"},
                      SoundCase{"ERROR", "error.wav"}, SoundCase{"DONE", "done.wav"},
                      SoundCase{"SLIDE", "slide.wav"}, SoundCase{"ok", "error.wav"},
                      SoundCase{"Done", "error.wav"}, SoundCase{"INIT ", "error.wav"},
                      SoundCase{"", "error.wav"}, SoundCase{"BEEP", "error.wav"}),
    [](const ::testing::TestParamInfo<SoundCase>& param_info) {
      std::string name = "k";
      name += std::to_string(param_info.index);
      name += '_';
      for (const char* c = param_info.param.keyword; *c != '\0'; ++c) {
        if (std::isalnum(static_cast<unsigned char>(*c)) != 0) name += *c;
      }
      return name;
    });

// The files the keywords name are the ones the project ships.
TEST(EventSoundFiles, EveryKeywordsFileIsInstalledBesideTheProgram) {
  const std::filesystem::path sounds =
      std::filesystem::path(MELDRIX_SOURCE_DIR) / "resources" / "sounds";
  for (const char* keyword : {"INIT", "OK", "ERROR", "DONE", "SLIDE"}) {
    EXPECT_TRUE(std::filesystem::is_regular_file(sounds / app::SoundFileFor(keyword))) << keyword;
  }
}

}  // namespace
