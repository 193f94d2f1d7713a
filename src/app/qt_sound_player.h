#pragma once

#include <QSoundEffect>

#include "platform/sound.h"

namespace app {

// Plays .wav files with QSoundEffect: returns at once, a new sound stops the one still playing,
// and a missing file or a machine without audio stays silent.
class QtSoundPlayer final : public platform::SoundPlayer {
 public:
  void Play(const std::string& wav_path) override;

 private:
  QSoundEffect effect_;
};

}  // namespace app
