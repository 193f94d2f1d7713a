// The board settings file "meldrix5.ini" read by itself, on one programmer kept from input to
// input (the whole start-up around it is fuzz_board_settings): whatever the file holds, reading
// it touches no port outside the three blocks, ends on a parallel-port address or none, logs no
// control character, and takes a board only from a file that names a port, rewriting the file
// only to name it.
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz_support.h"
#include "platform/hex_text.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string path = (fuzzing::WorkDirectory() / "board.ini").string();
  static fuzzing::Bench bench(path);
  fuzzing::WriteFile(path, data, size);
  ops::Programmer& p = bench.p;
  p.board.PortBase = 0;
  p.board.BoardModel = 0;
  p.detect.FoundPort = 0;
  bench.ui.log.clear();
  bench.ui.repaints.clear();

  p.detect.LoadBoardSettings();

  bench.RequirePortsInBlocks();
  const int16_t base = p.board.PortBase;
  fuzzing::Require(base == 0 || platform::IsParallelPortBase(base),
                   "the port in force is a parallel port or none");
  fuzzing::RequireCleanLog(bench.ui);
  // A board the file names is announced, and the file rewritten to name it as found now.
  const std::vector<uint8_t> after = fuzzing::ReadFile(path);
  const bool unchanged = after.size() == size && std::equal(after.begin(), after.end(), data);
  const std::string named = "[MELDRIX5 SETUP]\r\nDATE = 12-07-2026 22:41:07\r\nIO_PORT = " +
                            platform::Hex(static_cast<uint16_t>(p.board.PortBase)) +
                            "\r\nMODEL =  " + std::to_string(p.board.BoardModel) + " \r\n";
  fuzzing::Require(
      unchanged || (p.detect.FoundPort > 0 && std::string(after.begin(), after.end()) == named),
      "the file is rewritten only to name the board it names");
  if (p.detect.FoundPort != 0) {
    const std::string text(data, data + size);
    fuzzing::Require(text.find("IO_PORT = ") != std::string::npos,
                     "a board is taken only from a file that names a port");
  }
  return 0;
}
