// The command line through its executable, on the simulated board, as a script runs it: with
// no terminal on any standard stream.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <regex>
#include <span>
#include <sstream>
#include <string>
#include <vector>

#include "support/rom_lists.h"
#include "support/temp_dir.h"

namespace {

using testing_support::TempDir;

std::string ReadText(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  std::ostringstream text;
  text << file.rdbuf();
  return text.str();
}

void WriteBytes(const std::string& path, const std::vector<char>& bytes) {
  std::ofstream(path, std::ios::binary)
      .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// A Logiqx DAT file in the default DAT folder under `data` that lists `rom` as mon.bin.
void WriteDatListing(const std::string& data, const std::vector<char>& rom) {
  const std::string dat = testing_support::OneRomDat(
      "Workshop ROMs", "mon.bin",
      std::span(reinterpret_cast<const uint8_t*>(rom.data()), rom.size()));
  std::filesystem::create_directories(data + "/meldrix5/dats");
  WriteBytes(data + "/meldrix5/dats/workshop.dat", std::vector<char>(dat.begin(), dat.end()));
}

struct Outcome {
  int status;
  std::string out, err;
};

// Runs the program in `dir` with standard input from /dev/null, its per-user data and cache
// directories (the ROM lists' DAT folder and index) in `dir` too.
class Cli : public ::testing::Test {
 protected:
  std::string InDirectory() const {
    return "cd '" + dir.path + "' && export XDG_DATA_HOME='" + dir.path +
           "/data' XDG_CACHE_HOME='" + dir.path + "/cache' && ";
  }
  Outcome Start(const std::string& arguments) {
    const std::string command =
        InDirectory() + "'" MELDRIX_CLI "' " + arguments + " </dev/null >out.txt 2>err.txt";
    const int raw = std::system(command.c_str());
    return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, ReadText(dir.path + "/out.txt"),
            ReadText(dir.path + "/err.txt")};
  }
  // The simulated board whose chips keep their contents between runs in this test's directory.
  Outcome Simulated(const std::string& arguments) {
    return Start(arguments + " --simulated=" + dir.path);
  }
  std::string At(const std::string& name) const { return dir.path + "/" + name; }

  TempDir dir{"meldrix_cli"};
};

// An image that uses every bit value; a quarter of it left erased, as images often are.
std::vector<char> Image(size_t size) {
  std::vector<char> bytes(size);
  for (size_t i = 0; i < size; ++i) {
    bytes[i] = static_cast<char>(i % 4 == 3 ? 0xFF : (i * 7 + i / 256) & 0xFF);
  }
  return bytes;
}

// The Flash image is the first 4 KB of the chip: the programming and verify walks cover the
// image, the read the whole chip, whose other bytes stay erased.
TEST_F(Cli, ProgramVerifyAndReadBackGiveTheImage) {
  struct Part {
    const char* name;
    size_t image, chip;
  };
  for (const Part& part : {Part{"27C256", 32768, 32768}, Part{"am29f040", 4096, 524288}}) {
    SCOPED_TRACE(part.name);
    const std::vector<char> image = Image(part.image);
    WriteBytes(At("image.bin"), image);
    const std::string device = std::string(" -d ") + part.name;
    const Outcome program =
        Simulated("program" + device + " -i image.bin --blank-check --verify --yes");
    EXPECT_EQ(program.status, 0) << program.out << program.err;
    EXPECT_NE(program.out.find(">  Device Contents MATCHES with Buffer Contents\n"),
              std::string::npos);
    // Verify and read on the fast path, which the log names once, before the operation.
    const Outcome verify = Simulated("verify" + device + " -i image.bin --fast");
    EXPECT_EQ(verify.status, 0) << verify.out << verify.err;
    const Outcome read = Simulated("read" + device + " -o back.bin --log read.log --fast");
    const std::string fast_line = ">  Fast Path On: latches written only where they change";
    EXPECT_EQ(program.out.find(fast_line), std::string::npos);
    for (const Outcome* run : {&verify, &read}) {
      EXPECT_NE(run->out.find(fast_line), std::string::npos) << run->out;
      EXPECT_EQ(run->out.find(fast_line), run->out.rfind(fast_line));
    }
    EXPECT_EQ(read.status, 0) << read.out << read.err;
    // Each run's last line: the time its operation kept the simulated board busy, never none.
    const std::regex took("\n[^\n]*>  Took (?!0\\.0* )[0-9]+\\.[0-9]+ s on the board's clock\n$");
    for (const Outcome* run : {&program, &verify, &read}) {
      EXPECT_TRUE(std::regex_search(run->out, took)) << run->out;
    }
    std::string expected(image.begin(), image.end());
    expected.resize(part.chip, '\xFF');
    EXPECT_TRUE(ReadText(At("back.bin")) == expected);
    // The log file is the window's saved log: its header, then the lines standard output had.
    const std::string log = ReadText(At("read.log"));
    EXPECT_TRUE(log.starts_with("MELDRIX5 SYSTEM LOG FILE - ")) << log.substr(0, 80);
    EXPECT_NE(log.find(">  File Sucessfully Saved as back.bin"), std::string::npos);
  }
}

TEST_F(Cli, DeviceFailuresExitOneWithTheAddressInTheLog) {
  std::vector<char> image = Image(32768);
  WriteBytes(At("image.bin"), image);
  ASSERT_EQ(Simulated("program -d 27C256 -i image.bin --yes").status, 0);

  const Outcome blank = Simulated("blank -d 27C256");
  EXPECT_EQ(blank.status, 1);
  EXPECT_NE(blank.out.find("Device IS NOT BLANK (ERASED)\n"), std::string::npos);
  EXPECT_NE(blank.out.find("Address: 0 ][ Device Data: 0\n"), std::string::npos) << blank.out;

  image[0x1234] = static_cast<char>(image[0x1234] ^ 0x10);
  WriteBytes(At("other.bin"), image);
  const Outcome verify = Simulated("verify -d 27C256 -i other.bin");
  EXPECT_EQ(verify.status, 1);
  EXPECT_NE(verify.out.find("Address: 1234 ][ Buffer Data: "), std::string::npos) << verify.out;
}

// A chip in the socket is named by its ID: `id` prints its row, and -d auto selects that row,
// which then programs and verifies. A chip without an ID mode cannot be chosen so.
TEST_F(Cli, TheChipsIdNamesItsRowAndAutoSelectsIt) {
  const Outcome id = Simulated("id -d am29f040 --socket sst39sf040");
  EXPECT_EQ(id.status, 0) << id.out << id.err;
  EXPECT_NE(
      id.out.find("The chip in the socket is an SST SST39SF040: select Flash SST SST39SF040\n"),
      std::string::npos)
      << id.out;
  EXPECT_TRUE(std::regex_search(
      id.out,
      std::regex("\nFlash SST SST39SF040\n[^\n]*>  Took 0\\.[0-9]{3} s on the board's clock\n$")))
      << id.out;

  WriteBytes(At("image.bin"), Image(1000));
  const Outcome program =
      Simulated("program -d auto --socket at29c020 -i image.bin --verify --yes");
  EXPECT_EQ(program.status, 0) << program.out << program.err;
  EXPECT_NE(program.out.find("Device Flash Atmel AT29C020 was Selected\n"), std::string::npos);
  EXPECT_NE(program.out.find(">  Device Contents MATCHES with Buffer Contents\n"),
            std::string::npos);

  const Outcome eprom = Simulated("blank -d auto --socket 27C256");
  EXPECT_EQ(eprom.status, 1);
  EXPECT_TRUE(eprom.err.starts_with("meldrix5-cli: -d auto: no chip in the socket answered"))
      << eprom.err;
}

// Compare walks the whole image and says what the differences mean; the chip left blank by a
// declined program can be programmed over, a dead data line is named.
TEST_F(Cli, CompareCountsEveryDifferenceAndGivesAVerdict) {
  std::vector<char> image = Image(32768);
  WriteBytes(At("image.bin"), image);
  const Outcome blank = Simulated("compare -d 27C256 -i image.bin");
  EXPECT_EQ(blank.status, 1);
  EXPECT_NE(blank.out.find("all differences are 1 to 0 bits: the chip can be programmed over "
                           "without erasing\n"),
            std::string::npos)
      << blank.out;
  ASSERT_EQ(Simulated("program -d 27C256 -i image.bin --yes").status, 0);
  const auto programmed = std::ranges::count_if(image, [](char c) { return c != '\xFF'; });
  EXPECT_EQ(Simulated("compare -d 27C256 -i image.bin").status, 0);
  for (size_t at : {0x100U, 0x2345U, 0x7000U}) image[at] = static_cast<char>(image[at] ^ 0x10);
  WriteBytes(At("other.bin"), image);
  const Outcome other = Simulated("compare -d 27C256 -i other.bin");
  EXPECT_EQ(other.status, 1);
  EXPECT_NE(other.out.find("3 bytes of the Device differ from the Buffer\n"), std::string::npos)
      << other.out;
  EXPECT_NE(other.out.find("Address: 2345 ][ Buffer Data: "), std::string::npos);
  // The programmed chip is not blank: every programmed byte is counted.
  const Outcome all = Simulated("blank --all -d 27C256");
  EXPECT_EQ(all.status, 1);
  EXPECT_NE(all.out.find(std::to_string(programmed) + " bytes of the Device are programmed"),
            std::string::npos)
      << all.out;
}

TEST_F(Cli, UsageErrorsExitTwoWithOneLine) {
  WriteBytes(At("image.bin"), Image(32768));
  const std::vector<std::string> cases = {
      "",
      "burn -d 27C256",
      "read -d 27C256",
      "program -d 27C256",
      "blank",
      "blank -d 27C256 -o x.bin",
      "blank -d 27C256 --frobnicate",
      "blank -d 27C256 --port 3F8",
      "blank -d 27C256 --model 6",
      "program -d 27C256 -i image.bin --speed 21",
      "program -d 27C256 -i image.bin --vpp 13",
      "program -d 27C256 -i image.bin --hi --low",
      "blank -d 27C256 -d 27C512",
      "blank -d 27C999 --simulated",
      "blank -d atmel --simulated",
      "blank -d \"27C080 OTP\" --simulated",
      "program -d 27C256 -i image.bin --vpp 21 --yes --simulated",
      "id -d 27C256 --simulated",
      "id -d auto --socket sst39sf040",
      "compare -d 27C256 --simulated",
      "identify",
      "identify --device --simulated",
      "identify image.bin --device -d 27C256 --simulated",
      "identify image.bin --dats no-such-folder",
  };
  for (const std::string& arguments : cases) {
    SCOPED_TRACE(arguments);
    const Outcome run = Start(arguments);
    EXPECT_EQ(run.status, 2) << run.out;
    EXPECT_TRUE(run.err.starts_with("meldrix5-cli: ")) << run.err;
    EXPECT_EQ(run.err.find('\n'), run.err.size() - 1) << run.err;
  }
}

// The ROM lists name a file, and the chip read from the simulated socket: a 16 KB ROM mirrored in
// a 27C256 by its halves. The index is built by the first identify and used by a later read.
TEST_F(Cli, IdentifyNamesAFileAndTheChipReadFromTheSocket) {
  const std::vector<char> rom = Image(16384);
  WriteBytes(At("rom.bin"), rom);
  WriteDatListing(At("data"), rom);
  const std::string named = "Identified: mon.bin of Bench Monitor (Workshop ROMs, 1984, Acme)\n";

  const Outcome file = Start("identify rom.bin");
  EXPECT_EQ(file.status, 0) << file.out << file.err;
  EXPECT_NE(file.out.find(named), std::string::npos) << file.out;
  EXPECT_NE(file.err.find("meldrix5-cli: indexing the ROM lists: "), std::string::npos) << file.err;
  WriteBytes(At("other.bin"), Image(8192));
  const Outcome other = Start("identify other.bin");
  EXPECT_EQ(other.status, 1) << other.out << other.err;
  EXPECT_NE(other.out.find("Not in the ROM lists ("), std::string::npos) << other.out;
  EXPECT_EQ(other.err, "") << "the index was current";

  std::vector<char> mirrored = rom;
  mirrored.insert(mirrored.end(), rom.begin(), rom.end());
  WriteBytes(At("chip.bin"), mirrored);
  ASSERT_EQ(Simulated("program -d 27C256 -i chip.bin --yes").status, 0);
  const Outcome chip = Simulated("identify --device -d 27C256");
  EXPECT_EQ(chip.status, 0) << chip.out << chip.err;
  EXPECT_NE(chip.out.find(">  32768 bytes Read from Device\n"), std::string::npos) << chip.out;
  EXPECT_NE(chip.out.find("Looking up bytes 0h..7FFFh of the Code Buffer in the ROM lists, whole, "
                          "by halves and by quarters\n"),
            std::string::npos);
  const size_t halves = chip.out.find(
      "Bytes 0h..3FFFh and 4000h..7FFFh (both halves of the image, the same bytes):\n");
  EXPECT_NE(halves, std::string::npos) << chip.out;
  EXPECT_GT(chip.out.find(named), halves);
  const Outcome read = Simulated("read -d 27C256 -o back.bin");
  EXPECT_EQ(read.status, 0);
  EXPECT_NE(read.out.find(named), std::string::npos) << read.out;

  // A blank chip is not named after the erased fillers that some lists carry.
  const Outcome blank = Start("identify --device -d 27C256 --simulated");
  EXPECT_EQ(blank.status, 1) << blank.out;
  EXPECT_NE(blank.out.find("Every byte is FFh (an erased chip, or none answering): there is no "
                           "ROM to name\n"),
            std::string::npos)
      << blank.out;
}

TEST_F(Cli, MissingImageExitsFourBeforeTheBoardIsTouched) {
  const Outcome run = Simulated("program -d 27C256 -i missing.bin --yes");
  EXPECT_EQ(run.status, 4);
  EXPECT_NE(run.out.find("File missing.bin - could not be read"), std::string::npos) << run.out;
  EXPECT_EQ(run.out.find("Device was FOUND"), std::string::npos) << run.out;
  EXPECT_EQ(run.out.find("was Selected"), std::string::npos) << run.out;
}

TEST_F(Cli, WithoutATerminalOrYesProgrammingIsRefusedAndTheChipStaysBlank) {
  WriteBytes(At("image.bin"), Image(32768));
  const Outcome run = Simulated("program -d 27C256 -i image.bin");
  EXPECT_EQ(run.status, 2);
  EXPECT_NE(run.err.find("--yes"), std::string::npos) << run.err;
  EXPECT_NE(run.out.find("Programming was Canceled by Operator"), std::string::npos);
  EXPECT_EQ(Simulated("blank -d 27C256").status, 0);
}

// Ctrl+C while a 27C080 is being programmed: the run stops at the next byte, resets the board,
// says where it stopped and exits 130; the chip holds only part of the image.
TEST_F(Cli, InterruptStopsProgrammingAtASafePoint) {
  WriteBytes(At("image.bin"), Image(1048576));
  const std::string command =
      "cd '" + dir.path +
      "' && { '" MELDRIX_CLI "' program -d 27C080 -i image.bin --yes --simulated=" + dir.path +
      " </dev/null >out.txt 2>err.txt & pid=$!; sleep 2; kill -INT $pid; "
      "wait $pid; }";
  const int raw = std::system(command.c_str());
  ASSERT_TRUE(WIFEXITED(raw));
  EXPECT_EQ(WEXITSTATUS(raw), 130);
  const std::string out = ReadText(At("out.txt"));
  EXPECT_NE(out.find(">  Operation Stopped by Operator at Address "), std::string::npos) << out;
  EXPECT_EQ(out.find("Successfull"), std::string::npos) << out;
  EXPECT_EQ(Simulated("verify -d 27C080 -i image.bin").status, 1);
}

// A chips directory that does not exist yet is made when its parent exists; one that cannot be
// made is refused before anything is done, so that no run reports a success it cannot keep.
TEST_F(Cli, SimulatedChipsDirectoryIsMadeOrRefusedBeforeAnythingIsDone) {
  WriteBytes(At("image.bin"), Image(32768));
  const Outcome program = Start("program -d 27C256 -i image.bin --yes --simulated=chips");
  EXPECT_EQ(program.status, 0) << program.out << program.err;
  EXPECT_EQ(Start("verify -d 27C256 -i image.bin --simulated=chips").status, 0);

  WriteBytes(At("plain"), {'x'});
  for (const std::string dir_name : {"missing/chips", "plain"}) {
    SCOPED_TRACE(dir_name);
    const Outcome run = Start("program -d 27C256 -i image.bin --yes --simulated=" + dir_name);
    EXPECT_EQ(run.status, 2);
    EXPECT_TRUE(run.err.starts_with("meldrix5-cli: --simulated=" + dir_name + ": ")) << run.err;
    EXPECT_EQ(run.err.find('\n'), run.err.size() - 1) << run.err;
    EXPECT_EQ(run.out, "");
  }
}

// A load file goes by its records: lower-case S-records program the bytes they give, not their
// text; a monitor linked at E000h is refused for an 8 KB EPROM unless --offset moves it down.
TEST_F(Cli, LoadFilesProgramTheirRecordsAndAnImageBeyondTheDeviceNeedsAnOffset) {
  std::string srec = "s00600004844521b\r\n";
  srec += "s1070000deadbeefc0\r\n";  // DE AD BE EF at 0
  srec += "s5030001fb\r\n";
  WriteBytes(At("lower.s19"), std::vector<char>(srec.begin(), srec.end()));
  const Outcome lower = Simulated("program -d 27C64 -i lower.s19 --yes --verify");
  EXPECT_EQ(lower.status, 0) << lower.out << lower.err;
  EXPECT_NE(lower.out.find("confirms all 1 data records"), std::string::npos) << lower.out;
  ASSERT_EQ(Simulated("read -d 27C64 -o back.bin").status, 0);
  EXPECT_EQ(ReadText(At("back.bin")).substr(0, 4), std::string("\xDE\xAD\xBE\xEF"));

  const std::string monitor = ":02E00000C0DE80\r\n:01FFFF00AA57\r\n:00000001FF\r\n";
  WriteBytes(At("monitor.hex"), std::vector<char>(monitor.begin(), monitor.end()));
  const Outcome refused = Simulated("program -d 27C128 -i monitor.hex --yes");
  EXPECT_EQ(refused.status, 4) << refused.out << refused.err;
  EXPECT_NE(refused.out.find("address FFFFh lies beyond the 16384 bytes of the Eprom 27C128"),
            std::string::npos)
      << refused.out;
  const Outcome moved = Simulated("program -d 27C128 -i monitor.hex --offset 0xE000 --yes");
  EXPECT_EQ(moved.status, 0) << moved.out << moved.err;
  ASSERT_EQ(Simulated("read -d 27C128 -o moved.bin").status, 0);
  const std::string back = ReadText(At("moved.bin"));
  EXPECT_EQ(back.substr(0, 3), std::string("\xC0\xDE\xFF"));
  EXPECT_EQ(back[0x1FFF], '\xAA');
  EXPECT_EQ(Simulated("verify -d 27C128 -i monitor.hex --offset E000h").status, 0);
  EXPECT_EQ(Simulated("verify -d 27C128 -i monitor.hex --offset 0xF000").status, 4);
  EXPECT_EQ(Simulated("verify -d 27C128 -i back.bin --offset 0x100").status, 4);
}

// Every example of the README and of the manual page, as written and in their order (the
// manual's verify finds what the README's example programmed); those for a real board run on
// the simulated one, so that a test never drives a board that may be on the machine.
TEST_F(Cli, DocumentedExamplesRun) {
  std::vector<std::string> examples;
  std::istringstream readme(ReadText(MELDRIX_SOURCE_DIR "/README.md"));
  std::string line, pending;
  while (std::getline(readme, line)) {
    const auto start = line.find("meldrix5-cli ");
    if (!line.starts_with("    ") || start == std::string::npos ||
        line.find('#') != std::string::npos)
      continue;
    if (start > 8) continue;  // not a command line of its own
    pending += line.substr(start);
    if (pending.ends_with("&&")) {
      pending += ' ';
      continue;
    }
    examples.push_back(pending);
    pending.clear();
  }
  std::istringstream man(ReadText(MELDRIX_SOURCE_DIR "/resources/man/meldrix5-cli.1"));
  bool in_examples = false;
  while (std::getline(man, line)) {
    if (line == ".SH EXAMPLES") in_examples = true;
    if (line.starts_with(".SH") && line != ".SH EXAMPLES") in_examples = false;
    if (in_examples && line.starts_with("meldrix5-cli ")) examples.push_back(line);
  }
  ASSERT_GE(examples.size(), 9U);
  WriteBytes(At("rom.bin"), Image(32768));
  WriteDatListing(At("data"), Image(32768));  // the ROM lists know the image
  const std::string monitor = ":02E00000C0DE80\r\n:01FFFF00AA57\r\n:00000001FF\r\n";
  WriteBytes(At("monitor.hex"), std::vector<char>(monitor.begin(), monitor.end()));
  for (std::string example : examples) {
    SCOPED_TRACE(example);
    std::string command;
    for (size_t at = 0; at < example.size();) {
      const size_t next = example.find("meldrix5-cli ", at);
      command += example.substr(at, next == std::string::npos ? next : next - at);
      if (next == std::string::npos) break;
      command += "'" MELDRIX_CLI "' ";
      at = next + 13;
    }
    if (command.find("--simulated") == std::string::npos) command += " --simulated";
    const std::string shell = InDirectory() + "{ " + command + "; } </dev/null >out.txt 2>err.txt";
    const int raw = std::system(shell.c_str());
    EXPECT_TRUE(WIFEXITED(raw) && WEXITSTATUS(raw) == 0)
        << command << "\n"
        << ReadText(At("out.txt")) << ReadText(At("err.txt"));
  }
}

TEST_F(Cli, VersionAndHelp) {
  EXPECT_EQ(Start("--version").out, "meldrix5-cli 1.0.24\n");
  const Outcome help = Start("program --help");
  EXPECT_EQ(help.status, 0);
  EXPECT_TRUE(help.out.starts_with("Usage: meldrix5-cli program -d DEVICE -i FILE")) << help.out;
}

}  // namespace
