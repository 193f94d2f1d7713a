#include "romlists/rom_index.h"

#include <algorithm>
#include <stdexcept>
#include <utility>

#include "platform/dirs.h"
#include "romlists/list_file.h"
#include "romlists/sqlite_db.h"

namespace romlists {
namespace {

// The layout of the index file; an index of another number is built again.
constexpr int64_t kFormat = 1;

constexpr std::string_view kSchema = R"(
  CREATE TABLE meta(key TEXT PRIMARY KEY, value NOT NULL);
  CREATE TABLE lists(id INTEGER PRIMARY KEY, path TEXT NOT NULL, size INTEGER NOT NULL,
                     modified_ns INTEGER NOT NULL, title TEXT NOT NULL, problem TEXT);
  CREATE TABLE sets(id INTEGER PRIMARY KEY, list_id INTEGER NOT NULL, name TEXT NOT NULL,
                    description TEXT NOT NULL, year TEXT NOT NULL, maker TEXT NOT NULL);
  CREATE TABLE roms(size INTEGER NOT NULL, crc32 INTEGER NOT NULL, sha1 BLOB,
                    name TEXT NOT NULL, set_id INTEGER NOT NULL);
)";

constexpr std::string_view kLookup = R"(
  SELECT r.name, r.sha1, s.name, s.description, s.year, s.maker, l.title
  FROM roms r JOIN sets s ON s.id = r.set_id JOIN lists l ON l.id = s.list_id
  WHERE r.size = ?1 AND r.crc32 = ?2
  ORDER BY l.title, s.name, r.name
)";

std::string MetaText(const Database& db, std::string_view key) {
  Statement meta(db, "SELECT value FROM meta WHERE key = ?1");
  meta.Bind(1, key);
  return meta.Step() ? meta.Text(0) : std::string();
}

void PutMeta(const Database& db, std::string_view key, std::string_view value) {
  Statement(db, "INSERT INTO meta(key, value) VALUES (?1, ?2)").Bind(1, key).Bind(2, value).Step();
}

// Writes the lists into a new index file, all in one transaction that only Finish commits.
class IndexWriter {
 public:
  IndexWriter(Database& db, BuildOutcome& outcome, const ProgressReport& progress,
              std::stop_token stop)
      : db_(db), outcome_(outcome), progress_(progress), stop_(std::move(stop)) {
    // A build that does not finish is thrown away whole, so the journal needs to last only as
    // long as the transaction: it serves to take back a list found broken half-way.
    db_.Run(
        "PRAGMA journal_mode = MEMORY; PRAGMA temp_store = MEMORY; "
        "PRAGMA cache_size = -32768; BEGIN;");
    db_.Run(kSchema);
    insert_list_.emplace(db_,
                         "INSERT INTO lists(path, size, modified_ns, title, problem) "
                         "VALUES (?1, ?2, ?3, ?4, ?5)");
    insert_set_.emplace(db_,
                        "INSERT INTO sets(list_id, name, description, year, maker) "
                        "VALUES (?1, ?2, ?3, ?4, ?5)");
    insert_rom_.emplace(db_,
                        "INSERT INTO roms(size, crc32, sha1, name, set_id) VALUES (?1, ?2, ?3, "
                        "?4, ?5)");
  }

  // False when the build was stopped while the file was read.
  bool AddList(const platform::FileFacts& file, BuildProgress& at) {
    const uint64_t bytes_before = at.bytes_done;
    db_.Run("SAVEPOINT list");
    list_id_ = InsertList(file, "", std::nullopt);
    int64_t entries = 0;
    std::optional<DatabaseError> failed;
    const ListReading reading = ReadRomList(
        file.path,
        [&](ListedSet& set) {
          if (set.roms.empty() || failed) return;
          try {
            entries += InsertSet(set);
          } catch (const DatabaseError& error) {
            failed = error;  // not thrown through the parser's C code
          }
        },
        [&](uint64_t bytes_read) {
          at.bytes_done = bytes_before + bytes_read;
          if (progress_) progress_(at);
          return !failed && !stop_.stop_requested();
        });
    if (failed) throw *failed;
    if (reading.stopped) return false;
    if (reading.problem) {
      db_.Run("ROLLBACK TO list");
      InsertList(file, "", reading.problem);
      outcome_.skipped.push_back({file.path, *reading.problem});
    } else {
      Statement(db_, "UPDATE lists SET title = ?1 WHERE id = ?2")
          .Bind(1, reading.title)
          .Bind(2, list_id_)
          .Step();
      outcome_.entries += entries;
    }
    db_.Run("RELEASE list");
    ++outcome_.lists;
    ++at.files_done;
    at.bytes_done = bytes_before + file.size;
    if (progress_) progress_(at);
    return true;
  }

  void Finish(const Sources& sources) {
    db_.Run("CREATE INDEX roms_by_size_crc ON roms(size, crc32);");
    PutMeta(db_, "software_lists", sources.software_lists);
    PutMeta(db_, "dat_folder", sources.dat_folder);
    PutMeta(db_, "entries", std::to_string(outcome_.entries));
    db_.Run("PRAGMA user_version = " + std::to_string(kFormat) + "; COMMIT;");
  }

 private:
  int64_t InsertList(const platform::FileFacts& file, std::string_view title,
                     const std::optional<std::string>& problem) {
    Statement& insert = *insert_list_;
    insert.Bind(1, file.path)
        .Bind(2, static_cast<int64_t>(file.size))
        .Bind(3, file.modified_ns)
        .Bind(4, title);
    if (problem) insert.Bind(5, *problem);
    insert.Step();
    insert.Reset();
    return db_.LastRow();
  }

  // The set and its ROMs; answers how many ROMs were entered.
  int64_t InsertSet(const ListedSet& set) {
    Statement& insert = *insert_set_;
    insert.Bind(1, list_id_)
        .Bind(2, set.name)
        .Bind(3, set.description)
        .Bind(4, set.year)
        .Bind(5, set.maker)
        .Step();
    insert.Reset();
    const int64_t set_id = db_.LastRow();
    for (const ListedRom& rom : set.roms) {
      Statement& row = *insert_rom_;
      row.Bind(1, static_cast<int64_t>(rom.size)).Bind(2, int64_t{rom.crc32});
      if (rom.sha1) row.Bind(3, std::span<const uint8_t>(*rom.sha1));
      row.Bind(4, rom.name).Bind(5, set_id).Step();
      row.Reset();
    }
    return static_cast<int64_t>(set.roms.size());
  }

  Database& db_;
  BuildOutcome& outcome_;
  const ProgressReport& progress_;
  std::stop_token stop_;
  std::optional<Statement> insert_list_, insert_set_, insert_rom_;
  int64_t list_id_ = 0;
};

// Builds the index into the file at `building`; false when stopped.
bool WriteIndex(const std::string& building, const Sources& sources,
                const std::vector<platform::FileFacts>& lists, const ProgressReport& progress,
                std::stop_token stop, BuildOutcome& outcome) {
  Database db(building, Database::Mode::Create);
  IndexWriter writer(db, outcome, progress, std::move(stop));
  BuildProgress at{0, lists.size(), 0, 0};
  for (const platform::FileFacts& file : lists) at.bytes_total += file.size;
  if (progress) progress(at);
  for (const platform::FileFacts& file : lists) {
    if (!writer.AddList(file, at)) return false;
  }
  writer.Finish(sources);
  return true;
}

}  // namespace

Sources DefaultSources() {
  return {platform::MameSoftwareListDirectory(), platform::RomDatDirectory()};
}

std::string DefaultIndexPath() {
  const std::string cache = platform::CacheDirectory();
  return cache.empty() ? std::string() : platform::JoinPath(cache, "romlists.sqlite");
}

std::vector<platform::FileFacts> FindLists(const Sources& sources) {
  std::vector<platform::FileFacts> lists;
  if (!sources.software_lists.empty()) {
    lists = platform::FilesInDirectory(sources.software_lists, {".xml"});
  }
  if (!sources.dat_folder.empty() && sources.dat_folder != sources.software_lists) {
    const auto dats = platform::FilesInDirectory(sources.dat_folder, {".dat", ".xml"});
    lists.insert(lists.end(), dats.begin(), dats.end());
  }
  std::ranges::sort(lists, {}, &platform::FileFacts::path);
  return lists;
}

BuildOutcome BuildIndex(const std::string& index_path, const Sources& sources,
                        const ProgressReport& progress, std::stop_token stop) {
  BuildOutcome outcome;
  if (index_path.empty()) {
    outcome.error = "there is no cache directory to keep the index in";
    return outcome;
  }
  const std::string building = platform::TemporaryPathBeside(index_path);
  try {
    outcome.stopped =
        !WriteIndex(building, sources, FindLists(sources), progress, std::move(stop), outcome);
    if (!outcome.stopped) {
      if (const auto error = platform::ReplaceFile(building, index_path)) {
        outcome.error = error->reason;
      } else {
        outcome.complete = true;
      }
    }
  } catch (const DatabaseError& error) {
    outcome.error = error.reason;
  }
  if (!outcome.complete) platform::RemoveFile(building);
  return outcome;
}

RomIndex::RomIndex(std::unique_ptr<Database> db, Sources sources, int64_t entries,
                   std::vector<platform::FileFacts> lists)
    : db_(std::move(db)),
      lookup_(std::make_unique<Statement>(*db_, kLookup)),
      sources_(std::move(sources)),
      entries_(entries),
      lists_(std::move(lists)) {}

RomIndex::RomIndex(RomIndex&&) noexcept = default;
// The lookup statement is finalised before its connection closes: a connection with a statement
// left open cannot close and stays open for good.
RomIndex& RomIndex::operator=(RomIndex&& other) noexcept {
  lookup_ = std::move(other.lookup_);
  db_ = std::move(other.db_);
  sources_ = std::move(other.sources_);
  entries_ = other.entries_;
  lists_ = std::move(other.lists_);
  return *this;
}
RomIndex::~RomIndex() = default;

std::optional<RomIndex> RomIndex::Open(const std::string& path) {
  if (!platform::FileExists(path)) return std::nullopt;
  try {
    auto db = std::make_unique<Database>(path, Database::Mode::ReadOnly);
    Statement version(*db, "PRAGMA user_version");
    if (!version.Step() || version.Integer(0) != kFormat) return std::nullopt;
    Sources sources{MetaText(*db, "software_lists"), MetaText(*db, "dat_folder")};
    const int64_t entries = std::stoll(MetaText(*db, "entries"));
    std::vector<platform::FileFacts> lists;
    Statement files(*db, "SELECT path, size, modified_ns FROM lists ORDER BY path");
    while (files.Step()) {
      lists.push_back({files.Text(0), static_cast<uint64_t>(files.Integer(1)), files.Integer(2)});
    }
    return RomIndex(std::move(db), std::move(sources), entries, std::move(lists));
  } catch (const DatabaseError&) {
    return std::nullopt;
  } catch (const std::logic_error&) {  // no count of entries: not an index of ours
    return std::nullopt;
  }
}

bool RomIndex::IsCurrent(const Sources& sources,
                         const std::vector<platform::FileFacts>& lists) const {
  return sources == sources_ && lists == lists_;
}

RomIndex::Found RomIndex::Lookup(uint64_t size, uint32_t crc32,
                                 const std::array<uint8_t, 20>& sha1) const {
  Found found;
  try {
    lookup_->Bind(1, static_cast<int64_t>(size)).Bind(2, int64_t{crc32});
    while (lookup_->Step()) {
      const auto listed = lookup_->Bytes(1);
      if (!listed.empty() && !std::ranges::equal(listed, sha1)) continue;  // another ROM
      found.entries.push_back({lookup_->Text(0), lookup_->Text(2), lookup_->Text(3),
                               lookup_->Text(4), lookup_->Text(5), lookup_->Text(6)});
    }
  } catch (const DatabaseError& error) {
    found.error = error.reason;
  }
  lookup_->Reset();
  // A ROM listed twice in one set (in two of its parts) is one entry.
  found.entries.erase(std::unique(found.entries.begin(), found.entries.end()), found.entries.end());
  return found;
}

ReadyIndex OpenOrBuildIndex(const std::string& index_path, const Sources& sources,
                            const ProgressReport& progress, std::stop_token stop) {
  ReadyIndex ready;
  if (auto index = RomIndex::Open(index_path); index && index->IsCurrent(sources)) {
    ready.index = std::move(index);
    return ready;
  }
  ready.built = BuildIndex(index_path, sources, progress, std::move(stop));
  if (ready.built->complete) ready.index = RomIndex::Open(index_path);
  return ready;
}

}  // namespace romlists
