#pragma once

// What the fuzz targets share: a working directory of their own, the programmer on a simulated
// board with a window that records what it is told, and the checks that end a run with a
// finding.

#include <fcntl.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>
#include <system_error>
#include <utility>
#include <vector>

#include "operations/programmer.h"
#include "platform/recording_machine.h"
#include "sim/sim_board.h"
#include "support/fake_clock.h"
#include "support/fake_panel.h"

// The checks are not the code under test: built without coverage feedback, they do not steer
// the fuzzer (a longer log is no new path through the program) and cost no callback for every
// byte they look at. Kept out of line, so that a target's instrumented code does not take them
// in.
#define FUZZ_CHECK __attribute__((no_sanitize("coverage"), noinline))

namespace fuzzing {

// A broken invariant is a finding: libFuzzer keeps the input that caused it.
inline void Require(bool holds, const char* invariant) {
  if (holds) return;
  std::fprintf(stderr, "invariant broken: %s\n", invariant);
  std::abort();
}

// Every file the targets read and write lives in one fresh directory, made the current one
// (slot files are opened by their bare names), and removed when the fuzzer ends.
class ScratchDirectory {
 public:
  ScratchDirectory() {
    // In memory where the machine has it: the targets write a file for every input.
    std::error_code no_shm;
    const std::filesystem::path base = std::filesystem::is_directory("/dev/shm", no_shm)
                                           ? std::filesystem::path("/dev/shm")
                                           : std::filesystem::temp_directory_path();
    std::string pattern = (base / "meldrix_fuzz_XXXXXX").string();
    path_ = ::mkdtemp(pattern.data());
    std::filesystem::current_path(path_);
  }
  ~ScratchDirectory() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  ScratchDirectory(const ScratchDirectory&) = delete;
  ScratchDirectory& operator=(const ScratchDirectory&) = delete;
  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
};

inline const std::filesystem::path& WorkDirectory() {
  static const ScratchDirectory dir;
  return dir.path();
}

// Written straight to the file, without a stream's buffer: the targets write one for every input.
inline void WriteFile(const std::string& path, const uint8_t* data, size_t size) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  Require(fd >= 0, "the work file can be written");
  size_t done = 0;
  while (done < size) {
    const ssize_t n = ::write(fd, data + done, size - done);
    Require(n > 0, "the work file can be written");
    done += static_cast<size_t>(n);
  }
  ::close(fd);
}

// Read as it was written, without a stream and its buffer; empty when it cannot be read.
inline std::vector<uint8_t> ReadFile(const std::string& path) {
  std::vector<uint8_t> bytes;
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return bytes;
  uint8_t chunk[4096];
  for (ssize_t n; (n = ::read(fd, chunk, sizeof chunk)) > 0;)
    bytes.insert(bytes.end(), chunk, chunk + n);
  ::close(fd);
  return bytes;
}

// An ASCII control, DEL, or a C1 control in its UTF-8 form (C2h 80h .. C2h 9Fh).
FUZZ_CHECK inline bool HasControlCharacter(std::string_view text) {
  for (size_t i = 0; i < text.size(); ++i) {
    const auto c = static_cast<unsigned char>(text[i]);
    if (c < 0x20 || c == 0x7F) return true;
    if (c == 0xC2 && i + 1 < text.size()) {
      const auto next = static_cast<unsigned char>(text[i + 1]);
      if (next >= 0x80 && next <= 0x9F) return true;
    }
  }
  return false;
}

FUZZ_CHECK inline void RequireCleanLog(const testing_support::FakePanel& ui) {
  for (const std::string& line : ui.log) {
    Require(!HasControlCharacter(line), "no control character in the log");
  }
}

// A model-5 board at 378h with the catalogue in the Device list. Every access the core makes
// goes through the recording machine, which refuses (and counts) any port outside the three
// parallel-port blocks.
struct Bench {
  explicit Bench(std::string settings_path = "unused.ini")
      : p(io, ui, clock, std::move(settings_path)) {
    p.DeviceSelected = [this](std::string_view name) { socket.InsertDevice(name); };
  }
  void BoardAt378() {
    p.board.PortBase = 0x378;
    p.board.BoardModel = 5;
    p.board.InitControlCodes();
    p.board.SelectBoardModel();
    p.board.BuildReadBackTables();
    p.FillDeviceList();
  }
  FUZZ_CHECK void RequirePortsInBlocks() const {
    Require(io.Totals().refused == 0, "no port outside the three parallel-port blocks");
  }

  sim::SimBoard socket{5, 0x378};
  platform::RecordingMachine io{&socket, /*keep_trace=*/false};
  testing_support::FakePanel ui;
  testing_support::FakeClock clock;
  ops::Programmer p;
};

}  // namespace fuzzing
