#pragma once

#include <string>

namespace platform {

// Asynchronous .wav playback: returns at once; a new sound replaces one still playing; a
// missing file or a machine without audio gives silence.
class SoundPlayer {
 public:
  virtual ~SoundPlayer() = default;
  virtual void Play(const std::string& wav_path) = 0;
};

}  // namespace platform
