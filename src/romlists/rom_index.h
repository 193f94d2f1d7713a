#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <stop_token>
#include <string>
#include <vector>

#include "platform/files.h"

namespace romlists {

class Database;
class Statement;

// Where the ROM lists are looked for.
struct Sources {
  std::string software_lists;  // MAME's software lists: every *.xml file there
  std::string dat_folder;      // the operator's Logiqx / ClrMamePro DAT files: *.dat and *.xml
  bool operator==(const Sources&) const = default;
};

// The program's places: MAME's lists where Debian's mame-data puts them, the operator's DAT
// folder under the per-user data directory.
Sources DefaultSources();
// The index file in the per-user cache directory; empty when there is no such directory.
std::string DefaultIndexPath();

// The list files in the sources as they are now, sorted by path.
std::vector<platform::FileFacts> FindLists(const Sources& sources);

struct BuildProgress {
  size_t files_done = 0;
  size_t files_total = 0;
  uint64_t bytes_done = 0;
  uint64_t bytes_total = 0;
};

// A list file indexed as holding nothing, and why.
struct SkippedList {
  std::string path;
  std::string reason;
};

struct BuildOutcome {
  // The new index is in place. Otherwise the file at the index path is what it was before:
  // a build stopped or failed half-way is never left where an index is looked for.
  bool complete = false;
  bool stopped = false;              // the stop token asked for it
  std::optional<std::string> error;  // why no index was made
  int64_t entries = 0;               // ROM entries indexed
  size_t lists = 0;                  // list files indexed (the skipped ones among them)
  std::vector<SkippedList> skipped;  // files that are no ROM list, or are broken
};

using ProgressReport = std::function<void(const BuildProgress&)>;

// Reads every list of the sources into a new index at index_path, in one transaction, in a
// file beside it that replaces it only once complete. `progress` (which may be empty) is told
// after each piece of a file; `stop` is looked at as often. Runs on any thread.
BuildOutcome BuildIndex(const std::string& index_path, const Sources& sources,
                        const ProgressReport& progress, std::stop_token stop = {});

// One entry of a list that holds the bytes looked up.
struct RomEntry {
  std::string rom;          // the ROM's file name in its set
  std::string set;          // the software's or game's short name
  std::string description;  // the software's or game's full name
  std::string year;
  std::string maker;
  std::string list;  // the list's title
  bool operator==(const RomEntry&) const = default;
};

// An index built by BuildIndex, open for lookups. Movable; used by one thread at a time.
class RomIndex {
 public:
  // The index at path, when it is one this program built completely in its present format;
  // nullopt otherwise (none there, another program's file, an older format).
  static std::optional<RomIndex> Open(const std::string& path);
  RomIndex(RomIndex&&) noexcept;
  RomIndex& operator=(RomIndex&&) noexcept;
  ~RomIndex();

  // True when the index was built from these sources as their files are now: no list added,
  // removed or changed (by length or modification time) since.
  bool IsCurrent(const Sources& sources, const std::vector<platform::FileFacts>& lists) const;
  bool IsCurrent(const Sources& sources) const { return IsCurrent(sources, FindLists(sources)); }

  const Sources& BuiltFrom() const { return sources_; }
  int64_t EntryCount() const { return entries_; }

  struct Found {
    std::vector<RomEntry> entries;
    std::optional<std::string> error;  // the index could not be read
  };
  // The entries of this length and CRC-32 whose SHA-1 is this one or not listed.
  Found Lookup(uint64_t size, uint32_t crc32, const std::array<uint8_t, 20>& sha1) const;

 private:
  RomIndex(std::unique_ptr<Database> db, Sources sources, int64_t entries,
           std::vector<platform::FileFacts> lists);

  std::unique_ptr<Database> db_;
  std::unique_ptr<Statement> lookup_;
  Sources sources_;
  int64_t entries_ = 0;
  std::vector<platform::FileFacts> lists_;  // as they were when the index was built
};

// Opens the index at index_path when it is current for the sources; otherwise builds it first.
// `index` is empty when no index could be made (`built` says why).
struct ReadyIndex {
  std::optional<RomIndex> index;
  std::optional<BuildOutcome> built;  // the build that was needed; none when the index was current
};
ReadyIndex OpenOrBuildIndex(const std::string& index_path, const Sources& sources,
                            const ProgressReport& progress, std::stop_token stop = {});

}  // namespace romlists
