// The index of MAME's software lists (Debian's mame-data): how long its first build takes and
// how large it is, and how long a lookup and the naming of a whole image take.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "platform/dirs.h"
#include "platform/temporary_directory.h"
#include "romlists/identify.h"
#include "romlists/list_file.h"
#include "romlists/rom_index.h"

namespace {

namespace fs = std::filesystem;

const romlists::Sources kMame{platform::MameSoftwareListDirectory(), ""};

bool MameListsInstalled() {
  return !romlists::FindLists(kMame).empty();
}

// One index of the MAME lists for every lookup benchmark, built on first use.
struct MameIndex {
  platform::TemporaryDirectory dir{"meldrix_romlists_bench"};
  std::string path = dir.path + "/romlists.sqlite";
  std::optional<romlists::RomIndex> index;
  std::vector<romlists::ListedRom> roms;  // every entry, to look up ones that are there

  MameIndex() {
    if (!romlists::BuildIndex(path, kMame, {}).complete) return;
    index = romlists::RomIndex::Open(path);
    for (const platform::FileFacts& list : romlists::FindLists(kMame)) {
      romlists::ReadRomList(
          list.path,
          [this](romlists::ListedSet& set) {
            roms.insert(roms.end(), set.roms.begin(), set.roms.end());
          },
          [](uint64_t) { return true; });
    }
  }
};

MameIndex& SharedIndex() {
  static MameIndex shared;
  return shared;
}

void BM_BuildMameIndex(benchmark::State& state) {
  if (!MameListsInstalled()) {
    state.SkipWithError("the Debian package mame-data is not installed");
    return;
  }
  platform::TemporaryDirectory dir("meldrix_romlists_bench");
  const std::string path = dir.path + "/romlists.sqlite";
  romlists::BuildOutcome built;
  for (auto _ : state) {
    built = romlists::BuildIndex(path, kMame, {});
    if (!built.complete) state.SkipWithError("the index was not built");
  }
  state.counters["entries"] = static_cast<double>(built.entries);
  state.counters["lists"] = static_cast<double>(built.lists);
  state.counters["index_MB"] = static_cast<double>(fs::file_size(path)) / (1024.0 * 1024.0);
}
BENCHMARK(BM_BuildMameIndex)->Unit(benchmark::kSecond)->Iterations(3);

// Times each of 1000 lookups on its own; p50 and p99 in microseconds. hits: entries of the
// lists; otherwise lengths and CRCs of no entry.
void BM_Lookup(benchmark::State& state) {
  const bool hits = state.range(0) != 0;
  MameIndex& shared = SharedIndex();
  if (!shared.index) {
    state.SkipWithError("the Debian package mame-data is not installed");
    return;
  }
  std::mt19937_64 random(28);
  std::vector<romlists::ListedRom> wanted(1000);
  for (romlists::ListedRom& rom : wanted) {
    if (hits) {
      rom = shared.roms[random() % shared.roms.size()];
    } else {
      rom.size = uint64_t{1} << (10 + random() % 11);  // 1 KB .. 1 MB, the chips' sizes
      rom.crc32 = static_cast<uint32_t>(random());
    }
  }
  std::vector<double> micros;
  size_t found = 0;
  for (auto _ : state) {
    micros.clear();
    found = 0;
    for (const romlists::ListedRom& rom : wanted) {
      const auto start = std::chrono::steady_clock::now();
      const auto answer =
          shared.index->Lookup(rom.size, rom.crc32, rom.sha1.value_or(std::array<uint8_t, 20>{}));
      micros.push_back(
          std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start)
              .count());
      if (!answer.entries.empty()) ++found;
    }
  }
  std::ranges::sort(micros);
  state.counters["p50_us"] = micros[micros.size() / 2];
  state.counters["p99_us"] = micros[micros.size() * 99 / 100];
  state.counters["found"] = static_cast<double>(found);
}
BENCHMARK(BM_Lookup)->Arg(1)->Arg(0)->ArgNames({"hits"})->Unit(benchmark::kMillisecond);

// The whole naming of an image of a 27C256 (32 KB) and of a 27C080 (1 MB): the checksums and
// the seven lookups of the image, its halves and its quarters.
void BM_IdentifyImage(benchmark::State& state) {
  MameIndex& shared = SharedIndex();
  if (!shared.index) {
    state.SkipWithError("the Debian package mame-data is not installed");
    return;
  }
  std::vector<uint8_t> image(static_cast<size_t>(state.range(0)));
  for (size_t i = 0; i < image.size(); ++i)
    image[i] = static_cast<uint8_t>((i * 13 + i / 251) & 0xFF);
  for (auto _ : state) {
    const romlists::Identification found = romlists::Identify(*shared.index, image);
    benchmark::DoNotOptimize(found.parts.data());
  }
  state.SetBytesProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_IdentifyImage)->Arg(32768)->Arg(1 << 20)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
