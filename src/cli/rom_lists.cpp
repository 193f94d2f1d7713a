#include "cli/rom_lists.h"

#include <ostream>
#include <stop_token>

#include "cli/options.h"

namespace cli {
namespace {

// Draws the build's progress as a percentage of the bytes read, on one line that is redrawn.
class BuildProgressLine {
 public:
  BuildProgressLine(std::ostream& err, bool terminal, const platform::StopSignals& signals,
                    std::stop_source& stop)
      : err_(err), terminal_(terminal), signals_(signals), stop_(stop) {}

  void operator()(const romlists::BuildProgress& at) {
    if (signals_.Received()) stop_.request_stop();
    if (!announced_) {
      announced_ = true;
      err_ << kProgramName << ": indexing the ROM lists: " << at.files_total << " files, "
           << (at.bytes_total + 512 * 1024) / (1024 * 1024) << " MB\n"
           << std::flush;
    }
    if (!terminal_ || at.bytes_total == 0) return;
    const auto percent = static_cast<int>(at.bytes_done * 100 / at.bytes_total);
    if (percent == shown_) return;
    shown_ = percent;
    err_ << "\r" << percent << "% (" << at.files_done << " of " << at.files_total << " files)"
         << std::flush;
  }

  ~BuildProgressLine() {
    if (shown_ >= 0) err_ << '\n' << std::flush;
  }
  BuildProgressLine(const BuildProgressLine&) = delete;
  BuildProgressLine& operator=(const BuildProgressLine&) = delete;

 private:
  std::ostream& err_;
  bool terminal_;
  const platform::StopSignals& signals_;
  std::stop_source& stop_;
  bool announced_ = false;
  int shown_ = -1;
};

std::optional<ExitStatus> ReportBuild(const romlists::BuildOutcome& built, std::ostream& err) {
  for (const romlists::SkippedList& skipped : built.skipped) {
    err << kProgramName << ": " << skipped.path << " is not read: " << skipped.reason << '\n';
  }
  if (built.stopped) {
    err << kProgramName << ": indexing the ROM lists was stopped; the index is as it was\n";
    return ExitStatus::Stopped;
  }
  if (!built.complete) {
    err << kProgramName << ": the ROM lists could not be indexed: " << built.error.value_or("")
        << '\n';
    return ExitStatus::FileFailed;
  }
  err << kProgramName << ": " << built.entries << " ROM entries of " << built.lists
      << " lists indexed\n";
  return std::nullopt;
}

}  // namespace

romlists::Sources RomListSources(const std::string& dats) {
  romlists::Sources sources = romlists::DefaultSources();
  if (!dats.empty()) sources.dat_folder = dats;
  return sources;
}

PreparedRomLists PrepareRomLists(const romlists::Sources& sources, std::ostream& err,
                                 bool err_is_terminal, const platform::StopSignals& signals) {
  std::stop_source stop;
  romlists::ReadyIndex ready;
  {
    BuildProgressLine progress(err, err_is_terminal, signals, stop);
    ready = romlists::OpenOrBuildIndex(
        romlists::DefaultIndexPath(), sources,
        [&progress](const romlists::BuildProgress& at) { progress(at); }, stop.get_token());
  }
  PreparedRomLists prepared;
  if (ready.built) prepared.failed = ReportBuild(*ready.built, err);
  if (!prepared.failed && !ready.index) {
    err << kProgramName << ": the index of the ROM lists could not be opened\n";
    prepared.failed = ExitStatus::FileFailed;
  }
  prepared.index = std::move(ready.index);
  return prepared;
}

std::optional<romlists::RomIndex> CurrentRomLists(const romlists::Sources& sources) {
  auto index = romlists::RomIndex::Open(romlists::DefaultIndexPath());
  if (index && !index->IsCurrent(sources)) index.reset();
  return index;
}

}  // namespace cli
