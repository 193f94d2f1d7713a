// The board settings file "meldrix5.ini" as start-up reads it: whatever the file holds, the
// program touches no port outside the three blocks, ends on a parallel-port address or none,
// logs no control character, and rewrites the file only to name a board it found.
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz_support.h"

namespace {

bool IsBoardSettingsOf(const std::vector<uint8_t>& file, const ops::Programmer& p) {
  const std::string text(file.begin(), file.end());
  const std::string port = p.board.PortBase == 0x378   ? "378"
                           : p.board.PortBase == 0x278 ? "278"
                                                       : "3BC";
  const std::string model = " " + std::to_string(p.board.BoardModel) + " ";
  return text == "[MELDRIX5 SETUP]\r\nDATE = 12-07-2026 22:41:07\r\nIO_PORT = " + port +
                     "\r\nMODEL = " + model + "\r\n";
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string path = (fuzzing::WorkDirectory() / "meldrix5.ini").string();
  fuzzing::WriteFile(path, data, size);
  fuzzing::Bench bench(path);
  bench.p.StartUp();

  bench.RequirePortsInBlocks();
  const int16_t base = bench.p.board.PortBase;
  fuzzing::Require(base == 0 || platform::IsParallelPortBase(base),
                   "the port in force is a parallel port or none");
  fuzzing::RequireCleanLog(bench.ui);
  const std::vector<uint8_t> after = fuzzing::ReadFile(path);
  const bool unchanged = after.size() == size && std::equal(after.begin(), after.end(), data);
  fuzzing::Require(unchanged || (bench.p.detect.FoundPort > 0 && IsBoardSettingsOf(after, bench.p)),
                   "the file is rewritten only to name the board found");
  return 0;
}
