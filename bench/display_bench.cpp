// How long the view takes to build one page of text, and how long a 1 MiB image takes to load.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <vector>

#include "buffers/buffers.h"
#include "buffers/hex_page.h"
#include "buffers/image_file.h"

namespace {

void BM_CodePageText(benchmark::State& state) {
  std::vector<uint8_t> code(buffers::kCodeBufferSize);
  for (size_t i = 0; i < code.size(); ++i) code[i] = static_cast<uint8_t>(i * 31);
  int64_t page = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(buffers::CodePageText(code, page));
    page = (page + 1) % 4096;
  }
}
BENCHMARK(BM_CodePageText);

void BM_LoadOneMebibyteImage(benchmark::State& state) {
  const auto path = std::filesystem::temp_directory_path() / "meldrix_bench_image.bin";
  {
    std::vector<char> bytes(1 << 20);
    for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>(i * 7);
    std::ofstream(path, std::ios::binary)
        .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  }
  std::vector<uint8_t> code(buffers::kCodeBufferSize);
  for (auto _ : state) {
    const buffers::LoadedImage image = buffers::LoadImage(path.string(), buffers::kCodeBufferSize);
    buffers::PlaceImage(code, image.bytes);
    benchmark::DoNotOptimize(code.data());
  }
  state.SetBytesProcessed(state.iterations() * (1 << 20));
  std::filesystem::remove(path);
}
BENCHMARK(BM_LoadOneMebibyteImage)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
