// The buffer editor on the largest image, a full code buffer of 2 MB: a search through the
// whole of it, and one paint of the rows in sight wherever the view stands.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QImage>
#include <QScrollBar>
#include <cstdint>
#include <vector>

#include "app/hex_edit_view.h"
#include "buffers/buffer_edit.h"
#include "buffers/buffers.h"
#include "offscreen_app.h"

namespace {

// Bytes that vary, as an image does, so that no search finds its pattern by chance early.
std::vector<uint8_t> TwoMegabyteImage() {
  std::vector<uint8_t> image(buffers::kCodeBufferSize);
  uint32_t x = 1;
  for (auto& byte : image) {
    x = x * 1103515245U + 12345U;
    byte = static_cast<uint8_t>(x >> 24);
  }
  return image;
}

// The pattern sits in the last bytes: the search reads the whole image.
void FindThroughTwoMegabytes(benchmark::State& state) {
  std::vector<uint8_t> image = TwoMegabyteImage();
  const std::vector<uint8_t> pattern = {0xDE, 0xAD, 0xBE, 0xEF, 0x42};
  std::copy(pattern.begin(), pattern.end(), image.end() - 5);
  for (auto _ : state) {
    benchmark::DoNotOptimize(buffers::FindForward(image, pattern, 0));
  }
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(image.size()));
}
BENCHMARK(FindThroughTwoMegabytes)->Unit(benchmark::kMillisecond);

// One paint of an 800 x 600 view, in the middle of the image: its cost does not grow with it.
void PaintTheRowsInSight(benchmark::State& state) {
  bench::OffscreenApplication();
  const std::vector<uint8_t> image = TwoMegabyteImage();
  app::HexEditView view(nullptr);
  view.SetImage([&image] { return std::span<const uint8_t>(image); });
  view.resize(800, 600);
  view.GoTo(static_cast<uint32_t>(image.size() / 2));
  QImage canvas(view.viewport()->size(), QImage::Format_ARGB32);
  for (auto _ : state) {
    view.viewport()->render(&canvas);
  }
  state.counters["rows"] = static_cast<double>(view.verticalScrollBar()->pageStep());
}
BENCHMARK(PaintTheRowsInSight)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
