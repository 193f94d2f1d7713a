// Cost of the simulated board: one port access, and a whole 27C080 read through the nibble
// read-back the way the program walks a device (latch 2 per byte, latches 1 and 3 per page,
// then two select writes and two status reads).
#include <benchmark/benchmark.h>

#include <array>
#include <cstdint>
#include <vector>

#include "sim/sim_board.h"

namespace {

constexpr uint16_t kData = 0x378, kStatus = 0x379, kControl = 0x37A;
constexpr std::array<uint8_t, 5> kIdle4{0x0A, 0x02, 0x08, 0x00, 0x0E};
constexpr std::array<uint8_t, 5> kStrobe4{0x0B, 0x03, 0x09, 0x01, 0x0F};
constexpr std::array<uint8_t, 5> kIdle5{0x05, 0x0D, 0x07, 0x0F, 0x01};
constexpr std::array<uint8_t, 5> kStrobe5{0x04, 0x0C, 0x06, 0x0E, 0x00};

struct Rig {
  explicit Rig(int m) : board(m), model(m) {
    board.InsertDevice("Eprom 27C080");
    image.resize(1 << 20);
    for (size_t i = 0; i < image.size(); ++i) image[i] = static_cast<uint8_t>(i ^ (i >> 9));
    board.chip()->Load(image);
    Latch(0, 0x00);  // outputs on
    Latch(3, 0x40);  // chip on, driver off
  }
  void Latch(size_t n, uint8_t v) {
    const auto& idle = model == 4 ? kIdle4 : kIdle5;
    const auto& strobe = model == 4 ? kStrobe4 : kStrobe5;
    board.PortOut(kData, v);
    board.PortOut(kControl, idle[n]);
    board.PortOut(kControl, strobe[n]);
    board.PortOut(kControl, idle[n]);
  }
  uint8_t GetNibbles() {
    if (model == 5) {
      board.PortOut(kControl, 5);
      const uint8_t s1 = board.PortIn(kStatus);
      board.PortOut(kControl, 1);
      const uint8_t s2 = board.PortIn(kStatus);
      return static_cast<uint8_t>(((s1 >> 3) & 0x0F) | ((s2 >> 3) & 0x0F) << 4);
    }
    board.PortOut(kControl, 0);
    const uint8_t s1 = board.PortIn(kStatus);
    board.PortOut(kControl, 4);
    const uint8_t s2 = board.PortIn(kStatus);
    auto nib = [](uint8_t s) {
      return static_cast<uint8_t>(((s >> 6) & 1) | ((((s >> 7) & 1) ^ 1) << 1) |
                                  ((s >> 5) & 1) << 2 | ((s >> 4) & 1) << 3);
    };
    return static_cast<uint8_t>(nib(s1) | nib(s2) << 4);
  }
  sim::SimBoard board;
  int model;
  std::vector<uint8_t> image;
};

void BM_DataPortWrite(benchmark::State& state) {
  sim::SimBoard board;
  uint8_t v = 0;
  for (auto _ : state) board.PortOut(kData, v++);
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_DataPortWrite);

void BM_LatchWriteWithChip(benchmark::State& state) {
  Rig rig(5);
  uint8_t v = 0;
  for (auto _ : state) rig.Latch(2, v++);
  state.SetItemsProcessed(state.iterations() * 4);  // port accesses
}
BENCHMARK(BM_LatchWriteWithChip);

void BM_StatusReadChipDriving(benchmark::State& state) {
  Rig rig(5);
  for (auto _ : state) benchmark::DoNotOptimize(rig.board.PortIn(kStatus));
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_StatusReadChipDriving);

void BM_Read27C080(benchmark::State& state) {
  Rig rig(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    uint32_t mismatches = 0;
    for (uint32_t bank = 0; bank < 16; ++bank) {
      rig.Latch(3, static_cast<uint8_t>(0x40 | bank));
      for (uint32_t page = 0; page < 256; ++page) {
        rig.Latch(1, static_cast<uint8_t>(page));
        for (uint32_t low = 0; low < 256; ++low) {
          rig.Latch(2, static_cast<uint8_t>(low));
          const uint32_t a = bank << 16 | page << 8 | low;
          mismatches += rig.GetNibbles() != rig.image[a];
        }
      }
    }
    if (mismatches != 0) state.SkipWithError("read-back differs from the chip");
    benchmark::DoNotOptimize(mismatches);
  }
  state.SetBytesProcessed(state.iterations() * (1 << 20));
}
BENCHMARK(BM_Read27C080)->Arg(4)->Arg(5)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
