#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace cli {

// What the operator asked for on the command line.
struct Request {
  std::string command;  // "list", "detect", "read", "blank", "verify", "compare", "identify", ...
  std::string device;   // -d: the name as given; "auto": the row the chip's ID names
  std::string input;    // -i: the image to verify or program; identify's FILE
  std::string output;   // -o: where the image read goes
  std::string log;      // --log: where the log is saved when the command ends
  std::optional<int16_t> port;     // --port: 378h, 278h or 3BCh
  std::optional<int16_t> model;    // --model: 4 or 5
  bool simulated = false;          // --simulated[=DIR]
  std::string simulated_chips;     // DIR: where the simulated chips keep their contents
  std::string socket;              // --socket: the simulated socket holds this device's chip
  bool yes = false;                // --yes: the safety questions are answered OK
  bool blank_check = false;        // --blank-check
  bool blank_all = false;          // blank --all: every byte, not up to the first programmed
  bool verify = false;             // --verify
  bool fast = false;               // --fast: the board's fast path
  int half = 0;                    // HiLow option: 0 whole image, 1 --hi, 2 --low
  std::optional<int> voltage;      // Voltage option 1 (12.5 V), 2 (21 V) or 3 (25 V)
  std::optional<int> speed;        // --speed: the slider, 1..20
  std::optional<uint64_t> offset;  // --offset: subtracted from a load file's addresses
  std::string format;              // --format: how the image file is read; empty: by content
  bool identify_device = false;    // identify --device: the chip is read and named
  std::string dats;                // --dats: the folder of the operator's ROM list DAT files
  bool help = false;               // --help: of the whole, or of the command given
  bool version = false;            // --version
};

// Either a request or why the command line is not one (a single line for the operator).
struct Parsed {
  Request request;
  std::optional<std::string> error;
};

Parsed ParseCommandLine(const std::vector<std::string_view>& arguments);

// The help of the whole program (command empty) or of one command.
std::string HelpText(std::string_view command);

inline constexpr std::string_view kProgramName = "meldrix5-cli";

}  // namespace cli
