#include "app/qt_sound_player.h"

#include <QFileInfo>
#include <QUrl>

namespace app {

void QtSoundPlayer::Play(const std::string& wav_path) {
  effect_.stop();
  const QString path = QString::fromStdString(wav_path);
  if (!QFileInfo(path).isFile()) return;
  const QUrl source = QUrl::fromLocalFile(path);
  if (effect_.source() != source) effect_.setSource(source);
  effect_.play();
}

}  // namespace app
