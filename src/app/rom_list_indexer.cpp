#include "app/rom_list_indexer.h"

#include <QMetaObject>
#include <QTimer>
#include <memory>

#include "operations/programmer.h"

namespace app {
namespace {

// How long an index that is ready waits for the operation in progress before it asks again.
constexpr int kRetryMs = 200;

QString ProgressText(const romlists::BuildProgress& at) {
  const int percent =
      at.bytes_total == 0 ? 0 : static_cast<int>(at.bytes_done * 100 / at.bytes_total);
  return QStringLiteral("Indexing the ROM lists: %1 % (%2 of %3 files)")
      .arg(percent)
      .arg(at.files_done)
      .arg(at.files_total);
}

}  // namespace

RomListIndexer::RomListIndexer(ops::Programmer& programmer, Hooks hooks)
    : programmer_(programmer), hooks_(std::move(hooks)) {}

// A build still running is stopped and waited for: the index file stays as it was.
RomListIndexer::~RomListIndexer() {
  StopBuilding();
}

void RomListIndexer::StopBuilding() {
  builder_.request_stop();
  if (builder_.joinable()) builder_.join();
}

void RomListIndexer::Refresh(const std::string& index_path, const romlists::Sources& sources) {
  StopBuilding();
  if (index_path.empty()) {
    hooks_.log(QStringLiteral("The ROM lists cannot be indexed: there is no cache directory"));
    return;
  }
  if (index_ && index_->BuiltFrom() == sources && index_->IsCurrent(sources)) return;
  // The lists are read on a thread of their own; what it finds comes back to the window's.
  builder_ = std::jthread([this, index_path, sources](const std::stop_token& stop) {
    QString shown;
    const auto report = [this, &shown](const romlists::BuildProgress& at) {
      QString text = ProgressText(at);
      if (text == shown) return;
      shown = text;
      QMetaObject::invokeMethod(this, [this, text] { hooks_.progress(text); });
    };
    auto ready = std::make_shared<romlists::ReadyIndex>(
        romlists::OpenOrBuildIndex(index_path, sources, report, stop));
    if (stop.stop_requested()) return;
    QMetaObject::invokeMethod(this, [this, ready] { TakeIndex(ready); });
  });
}

// Between two operations, on the window's thread: the programmer gets the new index, or keeps
// the one it had when none could be made, and the log says what happened.
void RomListIndexer::TakeIndex(const std::shared_ptr<romlists::ReadyIndex>& ready) {
  if (!hooks_.may_take()) {
    QTimer::singleShot(kRetryMs, this, [this, ready] { TakeIndex(ready); });
    return;
  }
  hooks_.progress(QString());
  if (ready->built) ReportBuild(*ready->built);
  if (!ready->index) return;
  index_ = std::move(ready->index);
  programmer_.RomLists = &*index_;
}

void RomListIndexer::ReportBuild(const romlists::BuildOutcome& built) {
  for (const romlists::SkippedList& skipped : built.skipped) {
    hooks_.log(QString::fromStdString(skipped.path + " is not read: " + skipped.reason));
  }
  if (!built.complete) {
    hooks_.log(QString::fromStdString("The ROM lists could not be indexed: " +
                                      built.error.value_or("the build did not finish")));
    return;
  }
  hooks_.log(
      QStringLiteral("%1 ROM entries of %2 lists indexed").arg(built.entries).arg(built.lists));
}

}  // namespace app
