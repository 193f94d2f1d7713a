#pragma once

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// What went wrong with a file, in words for the operator ("No such file or directory").
struct FileError {
  std::string reason;
};

// Reads a whole regular file. Refuses directories, device nodes and files longer than
// max_bytes (reason says so) without reading them.
struct ReadResult {
  std::vector<uint8_t> bytes;
  std::optional<FileError> error;
};
ReadResult ReadWholeFile(const std::string& path, uint64_t max_bytes);
// The first `count` bytes of a regular file (all of a shorter one).
ReadResult ReadFileStart(const std::string& path, uint64_t count);

// The length of a regular file, or an error (missing, not a regular file, unreadable).
struct SizeResult {
  uint64_t size = 0;
  std::optional<FileError> error;
};
SizeResult RegularFileSize(const std::string& path);

// Writes the bytes to a temporary file in the same directory and renames it over path, so a
// failed write leaves the earlier file at path as it was. A symbolic link is written through to
// its target; an existing file keeps its mode, owner and group. A file the user may not write,
// a directory or a device node is refused (reason says why). A writable file in a directory
// that takes no new file is rewritten in place, the one case that is not atomic.
std::optional<FileError> WriteFileAtomically(const std::string& path,
                                             std::span<const uint8_t> bytes);
std::optional<FileError> WriteFileAtomically(const std::string& path, const std::string& text);

bool FileExists(const std::string& path);
bool DirectoryExists(const std::string& path);

// What tells one version of a file from the next without reading it.
struct FileFacts {
  std::string path;
  uint64_t size = 0;
  int64_t modified_ns = 0;  // last modification, nanoseconds since the epoch
  bool operator==(const FileFacts&) const = default;
};

// The regular files (symbolic links followed) directly in `directory` whose names end in one of
// the `extensions` (".xml", any case), sorted by path. Empty when the directory is missing or
// cannot be read.
std::vector<FileFacts> FilesInDirectory(const std::string& directory,
                                        std::initializer_list<std::string_view> extensions);

// Reads a regular file from its start in pieces of at most `piece` bytes, handing each to
// `take`, which answers false to stop reading. The error says why the file could not be read.
std::optional<FileError> ReadFileInPieces(
    const std::string& path, size_t piece,
    const std::function<bool(std::span<const uint8_t>)>& take);

// A name for a new file beside `path`: its name with a random suffix, so that two programs
// writing the same file at once each write their own.
std::string TemporaryPathBeside(const std::string& path);

// Renames `from` over `to` in one step: `to` is either the old file or the new one, never a
// part of either.
std::optional<FileError> ReplaceFile(const std::string& from, const std::string& to);

// Removes a file, if it is there.
void RemoveFile(const std::string& path);

// Makes sure `path` is a directory this program may write files into, creating it when its
// parent exists; the error says why it is not one.
std::optional<FileError> WritableDirectory(const std::string& path);

// Reads a text file as lines, with CR LF or LF endings removed. Empty optional: unreadable.
std::optional<std::vector<std::string>> ReadLines(const std::string& path, uint64_t max_bytes);

// The lines of a file's bytes as ReadLines splits them, viewed in place: split at each LF, one
// CR at the end of each line dropped; a last line without its LF counts, and an LF at the very
// end starts no further line.
std::vector<std::string_view> LinesOf(std::span<const uint8_t> bytes);

// The text of a file the kernel makes up as it is read (under /proc and /sys): such files
// report a length of 0, so they are read as a stream. Empty when the file cannot be opened.
std::string ReadKernelTextFile(const std::string& path);

// Bytes held as a file that exists only in memory, for a reader that takes nothing but a path;
// gone with this object. `path` is empty and `error` says why when no such file could be made.
class FileInMemory {
 public:
  explicit FileInMemory(std::span<const uint8_t> bytes);
  ~FileInMemory();
  FileInMemory(const FileInMemory&) = delete;
  FileInMemory& operator=(const FileInMemory&) = delete;

  const std::string& path() const { return path_; }
  const std::optional<FileError>& error() const { return error_; }

 private:
  int fd_ = -1;
  std::string path_;
  std::optional<FileError> error_;
};

}  // namespace platform
