#pragma once

#include <QObject>
#include <QString>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <thread>

#include "romlists/rom_index.h"

namespace ops {
class Programmer;
}

namespace app {

// Keeps the index of the ROM lists ready for the programmer: opened at once when it is current,
// otherwise built on a thread of its own while the operator works, its progress told as it goes.
// The programmer names ROMs only once the index is in its hands, and gets it only between two
// operations, never in the middle of one.
class RomListIndexer final : public QObject {
  Q_OBJECT
 public:
  using Tell = std::function<void(const QString&)>;
  struct Hooks {
    Tell progress;                   // the build's progress; empty text when it ends
    Tell log;                        // one line of the system log
    std::function<bool()> may_take;  // false while an operation runs
  };
  RomListIndexer(ops::Programmer& programmer, Hooks hooks);
  ~RomListIndexer() override;
  RomListIndexer(const RomListIndexer&) = delete;
  RomListIndexer& operator=(const RomListIndexer&) = delete;

  // The index at index_path of the lists these sources name: opened, or built anew when a list
  // was added, removed or changed. A build already running is stopped first.
  void Refresh(const std::string& index_path, const romlists::Sources& sources);

 private:
  void StopBuilding();
  void TakeIndex(const std::shared_ptr<romlists::ReadyIndex>& ready);
  void ReportBuild(const romlists::BuildOutcome& built);

  ops::Programmer& programmer_;
  Hooks hooks_;
  std::optional<romlists::RomIndex> index_;
  std::jthread builder_;
};

}  // namespace app
