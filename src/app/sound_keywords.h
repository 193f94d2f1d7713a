#pragma once

#include <string>
#include <string_view>

namespace app {

// The .wav file of an event sound: "INIT", "OK", "ERROR", "DONE" and "SLIDE" (exactly, case
// matters) have their own; anything else sounds as an error.
std::string_view SoundFileFor(std::string_view keyword);

// The sound's path in the directory the sounds are installed in.
std::string SoundPath(const std::string& sound_directory, std::string_view keyword);

}  // namespace app
