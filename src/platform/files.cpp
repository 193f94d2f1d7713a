#include "platform/files.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string_view>
#include <utility>

namespace platform {
namespace {

FileError Errno(int code) {
  return {std::strerror(code)};
}

// Closes a descriptor when it goes out of scope.
class Descriptor {
 public:
  explicit Descriptor(int fd) : fd_(fd) {}
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  ~Descriptor() {
    if (fd_ >= 0) ::close(fd_);
  }
  int get() const { return fd_; }
  int release() { return std::exchange(fd_, -1); }

 private:
  int fd_;
};

std::optional<FileError> WriteAll(int fd, std::span<const uint8_t> bytes) {
  size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      return Errno(errno);
    }
    done += static_cast<size_t>(n);
  }
  return std::nullopt;
}

// The file a path finally names: a symbolic link is followed (relative targets from the
// link's own directory), so that saving through it writes the file it points at and the link
// stays. A loop of links ends after 40 steps; the open then reports it.
std::string LinkTarget(const std::string& path) {
  namespace fs = std::filesystem;
  fs::path current = path;
  for (int step = 0; step < 40; ++step) {
    std::error_code error;
    if (!fs::is_symlink(fs::symlink_status(current, error))) break;
    const fs::path target = fs::read_symlink(current, error);
    if (error) break;
    current = target.is_absolute() ? target : current.parent_path() / target;
  }
  return current.string();
}

// Why the temporary file beside the target could not take the save; in_place: the target can
// still be rewritten where it stands.
struct BesideFailure {
  std::string reason;
  bool in_place = false;
};

// Writes the bytes to a new file in the target's directory and renames it over the target.
// An existing target's mode, owner and group go to the new file first, so that a read-only or
// group-shared image stays as it was.
std::optional<BesideFailure> WriteBeside(const std::string& target, std::span<const uint8_t> bytes,
                                         const std::optional<struct stat>& existing) {
  const std::string temporary = TemporaryPathBeside(target);
  Descriptor fd(::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644));
  if (fd.get() < 0) {
    const int code = errno;
    const bool directory_refused = code == EACCES || code == EPERM || code == EROFS;
    return BesideFailure{std::strerror(code), existing.has_value() && directory_refused};
  }
  if (existing) {
    const bool same_owner = existing->st_uid == ::geteuid() && existing->st_gid == ::getegid();
    if (!same_owner && ::fchown(fd.get(), existing->st_uid, existing->st_gid) != 0) {
      ::unlink(temporary.c_str());
      return BesideFailure{std::strerror(errno), true};
    }
    if (::fchmod(fd.get(), existing->st_mode & 07777) != 0) {
      const int code = errno;
      ::unlink(temporary.c_str());
      return BesideFailure{std::strerror(code), false};
    }
  }
  auto error = WriteAll(fd.get(), bytes);
  if (!error && ::fsync(fd.get()) != 0) error = Errno(errno);
  if (::close(fd.release()) != 0 && !error) error = Errno(errno);
  if (!error && ::rename(temporary.c_str(), target.c_str()) != 0) error = Errno(errno);
  if (!error) return std::nullopt;
  ::unlink(temporary.c_str());
  return BesideFailure{error->reason, false};
}

// Rewrites a writable file in a directory the user may not add files to. Not atomic: the
// bytes replace the old ones where they are.
std::optional<FileError> WriteInPlace(const std::string& target, std::span<const uint8_t> bytes) {
  Descriptor fd(::open(target.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC));
  if (fd.get() < 0) return Errno(errno);
  auto error = WriteAll(fd.get(), bytes);
  if (!error && ::fsync(fd.get()) != 0) error = Errno(errno);
  if (::close(fd.release()) != 0 && !error) error = Errno(errno);
  return error;
}

}  // namespace

SizeResult RegularFileSize(const std::string& path) {
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0) return {0, Errno(errno)};
  if (S_ISDIR(info.st_mode)) return {0, FileError{"it is a directory, not a file"}};
  if (!S_ISREG(info.st_mode)) return {0, FileError{"it is a device or special file, not a file"}};
  return {static_cast<uint64_t>(info.st_size), std::nullopt};
}

namespace {

// start: the first max_bytes of a longer file; otherwise a longer file is refused.
ReadResult ReadRegularFile(const std::string& path, uint64_t max_bytes, bool start) {
  Descriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
  if (fd.get() < 0) return {{}, Errno(errno)};
  struct stat info {};
  if (::fstat(fd.get(), &info) != 0) return {{}, Errno(errno)};
  if (S_ISDIR(info.st_mode)) return {{}, FileError{"it is a directory, not a file"}};
  if (!S_ISREG(info.st_mode)) return {{}, FileError{"it is a device or special file, not a file"}};
  const auto size = static_cast<uint64_t>(info.st_size);
  if (size > max_bytes && !start) return {{}, FileError{"the file is too long"}};
  std::vector<uint8_t> bytes(std::min(size, max_bytes));
  size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::read(fd.get(), bytes.data() + done, bytes.size() - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      return {{}, Errno(errno)};
    }
    if (n == 0) break;  // the file shrank while it was read
    done += static_cast<size_t>(n);
  }
  bytes.resize(done);
  return {std::move(bytes), std::nullopt};
}

}  // namespace

ReadResult ReadWholeFile(const std::string& path, uint64_t max_bytes) {
  return ReadRegularFile(path, max_bytes, false);
}

ReadResult ReadFileStart(const std::string& path, uint64_t count) {
  return ReadRegularFile(path, count, true);
}

std::optional<FileError> WriteFileAtomically(const std::string& path,
                                             std::span<const uint8_t> bytes) {
  const std::string target = LinkTarget(path);
  struct stat info {};
  std::optional<struct stat> existing;
  if (::stat(target.c_str(), &info) == 0) {
    if (S_ISDIR(info.st_mode)) return FileError{"it is a directory, not a file"};
    if (!S_ISREG(info.st_mode)) return FileError{"it is a device or special file, not a file"};
    if (::faccessat(AT_FDCWD, target.c_str(), W_OK, AT_EACCESS) != 0) return Errno(errno);
    existing = info;
  } else if (errno != ENOENT) {
    return Errno(errno);
  }
  const auto failure = WriteBeside(target, bytes, existing);
  if (!failure) return std::nullopt;
  if (!failure->in_place) return FileError{failure->reason};
  // The directory takes no new file (or the owner could not be kept): the file itself is
  // writable, so it is rewritten where it stands.
  return WriteInPlace(target, bytes);
}

std::optional<FileError> WriteFileAtomically(const std::string& path, const std::string& text) {
  return WriteFileAtomically(path,
                             std::span(reinterpret_cast<const uint8_t*>(text.data()), text.size()));
}

bool FileExists(const std::string& path) {
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

bool DirectoryExists(const std::string& path) {
  std::error_code ignored;
  return std::filesystem::is_directory(path, ignored);
}

std::vector<FileFacts> FilesInDirectory(const std::string& directory,
                                        std::initializer_list<std::string_view> extensions) {
  namespace fs = std::filesystem;
  const auto wanted = [extensions](const fs::path& name) {
    std::string extension = name.extension().string();
    for (char& c : extension) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return std::find(extensions.begin(), extensions.end(), extension) != extensions.end();
  };
  std::vector<FileFacts> files;
  std::error_code error;
  for (const fs::directory_entry& entry : fs::directory_iterator(directory, error)) {
    struct stat info {};
    const std::string path = entry.path().string();
    if (!wanted(entry.path().filename()) || ::stat(path.c_str(), &info) != 0 ||
        !S_ISREG(info.st_mode)) {
      continue;
    }
    const int64_t modified_ns =
        static_cast<int64_t>(info.st_mtim.tv_sec) * 1'000'000'000 + info.st_mtim.tv_nsec;
    files.push_back({path, static_cast<uint64_t>(info.st_size), modified_ns});
  }
  std::ranges::sort(files, {}, &FileFacts::path);
  return files;
}

std::optional<FileError> ReadFileInPieces(
    const std::string& path, size_t piece,
    const std::function<bool(std::span<const uint8_t>)>& take) {
  Descriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
  if (fd.get() < 0) return Errno(errno);
  struct stat info {};
  if (::fstat(fd.get(), &info) != 0) return Errno(errno);
  if (!S_ISREG(info.st_mode)) return FileError{"not a regular file"};
  std::vector<uint8_t> bytes(std::max<size_t>(piece, 1));
  for (;;) {
    const ssize_t n = ::read(fd.get(), bytes.data(), bytes.size());
    if (n < 0) {
      if (errno == EINTR) continue;
      return Errno(errno);
    }
    if (n == 0 || !take(std::span(bytes).first(static_cast<size_t>(n)))) return std::nullopt;
  }
}

std::string TemporaryPathBeside(const std::string& path) {
  std::random_device entropy;
  char suffix[24];
  std::snprintf(suffix, sizeof suffix, ".tmp%08x", entropy());
  return path + suffix;
}

std::optional<FileError> ReplaceFile(const std::string& from, const std::string& to) {
  if (::rename(from.c_str(), to.c_str()) != 0) return Errno(errno);
  return std::nullopt;
}

void RemoveFile(const std::string& path) {
  ::unlink(path.c_str());
}

std::optional<std::vector<std::string>> ReadLines(const std::string& path, uint64_t max_bytes) {
  ReadResult file = ReadWholeFile(path, max_bytes);
  if (file.error) return std::nullopt;
  const std::vector<std::string_view> views = LinesOf(file.bytes);
  return std::vector<std::string>(views.begin(), views.end());
}

std::vector<std::string_view> LinesOf(std::span<const uint8_t> bytes) {
  const std::string_view text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
  const auto line_end = [text](size_t at) { return std::min(text.find('\n', at), text.size()); };
  // Counted first, so that the list is made once.
  size_t count = 0;
  for (size_t at = 0; at < text.size(); at = line_end(at) + 1) ++count;
  std::vector<std::string_view> lines;
  lines.reserve(count);
  for (size_t at = 0; at < text.size();) {
    const size_t end = line_end(at);
    std::string_view line = text.substr(at, end - at);
    if (line.ends_with('\r')) line.remove_suffix(1);
    lines.push_back(line);
    at = end + 1;
  }
  return lines;
}

std::string ReadKernelTextFile(const std::string& path) {
  std::ifstream in(path);
  if (!in) return {};
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

std::optional<FileError> WritableDirectory(const std::string& path) {
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0) {
    if (errno != ENOENT) return Errno(errno);
    // Only the last part is made: a mistyped parent is an error, not a tree to create.
    if (::mkdir(path.c_str(), 0777) != 0) return Errno(errno);
  } else if (!S_ISDIR(info.st_mode)) {
    return FileError{"not a directory"};
  }
  if (::access(path.c_str(), W_OK | X_OK) != 0) return Errno(errno);
  return std::nullopt;
}

FileInMemory::FileInMemory(std::span<const uint8_t> bytes) {
  Descriptor fd(::memfd_create("meldrix-file", MFD_CLOEXEC));
  if (fd.get() < 0) {
    error_ = Errno(errno);
    return;
  }
  if (auto failed = WriteAll(fd.get(), bytes)) {
    error_ = std::move(failed);
    return;
  }
  // Opening this path opens the same file afresh, from its first byte.
  path_ = "/proc/self/fd/" + std::to_string(fd.get());
  fd_ = fd.release();
}

FileInMemory::~FileInMemory() {
  if (fd_ >= 0) ::close(fd_);
}

}  // namespace platform
