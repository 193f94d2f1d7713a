// Loading and saving a 1 MB image in each file format, and the checksums over it.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

#include "buffers/buffers.h"
#include "buffers/checksums.h"
#include "buffers/image_file.h"
#include "buffers/image_formats.h"
#include "platform/files.h"

namespace {

constexpr int64_t kImageBytes = 1 << 20;

std::vector<uint8_t> Image() {
  std::vector<uint8_t> bytes(static_cast<size_t>(kImageBytes));
  for (size_t i = 0; i < bytes.size(); ++i)
    bytes[i] = static_cast<uint8_t>((i * 13 + i / 251) & 0xFF);
  return bytes;
}

std::string PathFor(buffers::ImageFormat format) {
  const char* name = format == buffers::ImageFormat::IntelHex  ? "meldrix_bench.hex"
                     : format == buffers::ImageFormat::SRecord ? "meldrix_bench.s28"
                                                               : "meldrix_bench.bin";
  return (std::filesystem::temp_directory_path() / name).string();
}

void Save(buffers::ImageFormat format, const std::string& path, const std::vector<uint8_t>& image) {
  const auto error =
      format == buffers::ImageFormat::Binary
          ? platform::WriteFileAtomically(path, image)
          : platform::WriteFileAtomically(path, buffers::ImageFileText(format, image));
  if (error) throw std::runtime_error(error->reason);
}

void BM_SaveImage(benchmark::State& state) {
  const auto format = static_cast<buffers::ImageFormat>(state.range(0));
  const auto image = Image();
  const std::string path = PathFor(format);
  for (auto _ : state) Save(format, path, image);
  state.SetBytesProcessed(state.iterations() * kImageBytes);
  std::filesystem::remove(path);
}

void BM_LoadImage(benchmark::State& state) {
  const auto format = static_cast<buffers::ImageFormat>(state.range(0));
  const auto image = Image();
  const std::string path = PathFor(format);
  Save(format, path, image);
  for (auto _ : state) {
    const auto loaded = buffers::LoadImage(path, buffers::kCodeBufferSize);
    if (!loaded.ok() || loaded.bytes != image) state.SkipWithError("the image did not read back");
    benchmark::DoNotOptimize(loaded.bytes.data());
  }
  state.SetBytesProcessed(state.iterations() * kImageBytes);
  std::filesystem::remove(path);
}

void BM_Checksums(benchmark::State& state) {
  const auto image = Image();
  for (auto _ : state) {
    const auto sums = buffers::ChecksumsOf(image);
    benchmark::DoNotOptimize(sums);
  }
  state.SetBytesProcessed(state.iterations() * kImageBytes);
}

// 0 raw binary, 1 Intel HEX, 2 S-record.
BENCHMARK(BM_SaveImage)->DenseRange(0, 2)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadImage)->DenseRange(0, 2)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Checksums)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
