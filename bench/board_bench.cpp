// Cost of the board's innermost steps on a port that does nothing: what the program adds to
// every latch write, busy-wait pass, read-back and address load on top of the port itself.
#include <benchmark/benchmark.h>

#include "board/board.h"
#include "platform/machine.h"
#include "platform/port_router.h"

namespace {

using platform::Color;
using platform::Ref;

// A window nobody sees.
class NoPanel final : public platform::Panel {
 public:
  void SetEnabled(Ref, bool) override {}
  bool Enabled(Ref) const override { return true; }
  void SetVisible(Ref, bool) override {}
  bool Visible(Ref) const override { return true; }
  void SetCaption(Ref, std::string_view) override {}
  std::string Caption(Ref) const override { return {}; }
  void SetValue(Ref, int) override {}
  int Value(Ref) const override { return 0; }
  void SetMax(Ref, int) override {}
  int Max(Ref) const override { return 0; }
  void SetForeColor(Ref, Color) override {}
  Color ForeColor(Ref) const override { return 0; }
  void SetBackColor(Ref, Color) override {}
  Color BackColor(Ref) const override { return 0; }
  void Repaint(Ref) override {}
  void ClearList() override {}
  void AddListItem(std::string_view) override {}
  int ListCount() const override { return 0; }
  std::string ListItem(int) const override { return {}; }
  void SetListIndex(int) override {}
  int ListIndex() const override { return -1; }
  void LogMessage(std::string_view) override {}
  void PlayEventSound(std::string_view) override {}
  void MessageBox(std::string_view, std::string_view, platform::Icon) override {}
  bool AskOkCancel(std::string_view, std::string_view) override { return true; }
  std::string InputBox(std::string_view, std::string_view) override { return {}; }
  std::string OpenFileDialog(std::string_view, std::string_view) override { return {}; }
  std::string SaveFileDialog(std::string_view, std::string_view) override { return {}; }
};

struct Rig {
  explicit Rig(platform::PortIo& port, int16_t model = 5) : io(port), board(io, ui) {
    board.PortBase = 0x378;
    board.BoardModel = model;
    board.InitControlCodes();
    board.SelectBoardModel();
    board.BuildReadBackTables();
    board.SetIdentityMaps();
  }
  platform::LiveMachine io;
  NoPanel ui;
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
  rig.board.SetAddressMaps("FS");
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
