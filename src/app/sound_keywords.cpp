#include "app/sound_keywords.h"

#include <array>
#include <utility>

#include "platform/dirs.h"

namespace app {

std::string_view SoundFileFor(std::string_view keyword) {
  static constexpr std::array<std::pair<std::string_view, std::string_view>, 5> kSounds = {{
      {"INIT", "init.wav"},
      {"ERROR", "error.wav"},
      {"DONE", "done.wav"},
      {"SLIDE", "slide.wav"},
      {"OK", "ok.wav"},
  }};
  for (const auto& [key, file] : kSounds) {
    if (key == keyword) return file;
  }
  return "error.wav";
}

std::string SoundPath(const std::string& sound_directory, std::string_view keyword) {
  return platform::JoinPath(sound_directory, std::string(SoundFileFor(keyword)));
}

}  // namespace app
