// Cost of the board's innermost steps on a port that does nothing: what the program adds to
// every latch write, busy-wait pass, read-back and address load on top of the port itself.
#include <benchmark/benchmark.h>

#include "bench_support.h"
#include "board/board.h"
#include "platform/machine.h"
#include "platform/port_router.h"

namespace {

struct Rig {
  explicit Rig(platform::PortIo& port, int16_t model = 5) : io(port), board(io, ui) {
    bench::SetUpBoardAt378(board, model);
  }
  platform::LiveMachine io;
  bench::QuietPanel ui;
  board::Board board;
};

// Four port writes and two latch delays of the given length.
void BM_LatchWrite(benchmark::State& state) {
  platform::NullPort port;
  Rig rig(port);
  rig.board.LatchDelayCount = static_cast<int32_t>(state.range(0));
  int16_t value = 0;
  for (auto _ : state) {
    rig.board.Reg2 = value;
    rig.board.SetReg2();
    value = static_cast<int16_t>((value + 1) & 0xFF);
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_LatchWrite)->Arg(0)->Arg(10);

// The same through the router, whose blocks have no real backend here.
void BM_LatchWriteThroughRouter(benchmark::State& state) {
  platform::NullPort nothing;
  platform::PortRouter router(nothing, [](uint16_t) { return nullptr; });
  Rig rig(router);
  for (auto _ : state) rig.board.SetReg2();
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_LatchWriteThroughRouter);

// One busy-wait pass: the unit every calibrated delay is counted in.
void BM_SpinPass(benchmark::State& state) {
  const auto passes = static_cast<int32_t>(state.range(0));
  for (auto _ : state) platform::spin(passes);
  state.SetItemsProcessed(state.iterations() * passes);
  state.counters["ns_per_pass"] =
      benchmark::Counter(static_cast<double>(state.iterations() * passes),
                         benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_SpinPass)->Arg(1000)->Arg(100000);

void BM_GetNibbles(benchmark::State& state) {
  platform::NullPort port;
  Rig rig(port, static_cast<int16_t>(state.range(0)));
  for (auto _ : state) {
    rig.board.GetNibbles();
    benchmark::DoNotOptimize(rig.board.ReadBackByte);
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_GetNibbles)->Arg(4)->Arg(5);

// Address load of the next byte: three latch writes, no delay.
void BM_SETADR(benchmark::State& state) {
  platform::NullPort port;
  Rig rig(port);
  rig.board.SetAddressMaps(board::AddressWiring::A18OnL3Bit3);
  for (auto _ : state) {
    rig.board.IncADR();
    if (rig.board.CurrentAddress >= 0x80000) {
      rig.board.CurrentAddress = 0;
      rig.board.Endereco2Adr();
    }
    rig.board.SETADR();
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_SETADR);

// The EEPROM's address load: mostly one latch write per byte.
void BM_SETADR_XICOR(benchmark::State& state) {
  platform::NullPort port;
  Rig rig(port);
  rig.board.Reg1Mask = 0x40;
  for (auto _ : state) {
    rig.board.IncADR();
    if (rig.board.CurrentAddress >= 0x8000) {
      rig.board.CurrentAddress = 0;
      rig.board.Endereco2Adr();
    }
    rig.board.SETADR_XICOR();
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_SETADR_XICOR);

}  // namespace

BENCHMARK_MAIN();
