// What --help prints, for the whole and for each command.
#include <array>
#include <string>

#include "cli/options.h"

namespace cli {
namespace {

struct CommandHelp {
  std::string_view name;
  std::string_view usage;
  std::string_view text;
};

constexpr std::string_view kBoardOptions =
    "Board options:\n"
    "  --port 378|278|3BC   use the board at this port (probed there)\n"
    "  --model 4|5          the board's model, when detection cannot tell\n"
    "  --simulated[=DIR]    the built-in simulated board instead of a real port; with DIR its\n"
    "                       chips keep their contents there from one run to the next (DIR is\n"
    "                       created when its parent exists)\n"
    "  --socket DEVICE      with --simulated: the socket holds a chip of DEVICE, whatever\n"
    "                       -d selects (as a real socket holds the chip put in it)\n"
    "  --fast               the fast path: latches written only where they change, without\n"
    "                       settling waits; pulses, voltages and the chip's order of events\n"
    "                       stay as on the exact path (the default)\n"
    "  --log FILE           save the log to FILE (as MELDRIX5.LOG is saved) when done\n"
    "  -y, --yes            answer the safety questions OK (needed without a terminal)\n";

constexpr std::array<CommandHelp, 10> kCommandHelp = {{
    {"list", "list",
     "Lists the device catalogue: name, family, size, suggested voltage, and\n"
     "whether the device can be selected.\n"},
    {"detect", "detect [board options]",
     "Probes the three ports for a board and tells its model and how the port is reached.\n"},
    {"read", "read -d DEVICE -o FILE [board options]",
     "Reads the whole device and saves it to FILE. Once identify has indexed the ROM lists,\n"
     "the log names the ROM read, as identify --device does.\n"},
    {"blank", "blank -d DEVICE [--all] [board options]",
     "Checks that every byte of the device is erased (FFh).\n"
     "  --all                do not stop at the first programmed byte: count every one and\n"
     "                       say in which ranges they lie\n"},
    {"verify", "verify -d DEVICE -i FILE [--hi|--low] [board options]",
     "Compares the device with the image in FILE.\n"
     "  --hi, --low          compare with the odd (Hi) or even (Low) bytes of the image\n"
     "  --offset ADDR        subtract ADDR from every address of a load file\n"
     "  --format NAME        read FILE in this format instead of by its content\n"},
    {"compare", "compare -d DEVICE -i FILE [--hi|--low] [board options]",
     "Compares every byte of the image's range of the device with FILE, without stopping\n"
     "at the first difference, and says what the differences mean (bytes that need\n"
     "erasing, a data line always reading one level). Exit 0 on a match, 1 otherwise.\n"
     "  --hi, --low          compare with the odd (Hi) or even (Low) bytes of the image\n"
     "  --offset ADDR        subtract ADDR from every address of a load file\n"
     "  --format NAME        read FILE in this format instead of by its content\n"},
    {"program", "program -d DEVICE -i FILE [options] [board options]",
     "Programs the image in FILE into the device, after the safety question.\n"
     "  --blank-check        check the device is blank first; stop if it is not\n"
     "  --verify             verify the device against the image afterwards\n"
     "  --hi, --low          program the odd (Hi) or even (Low) bytes of the image\n"
     "  --vpp 12.5|21|25     programming voltage, among those the device offers\n"
     "  --speed 1..20        programming speed slider (18 unless given; lower is slower)\n"
     "  --offset ADDR        subtract ADDR (0xE000, E000h or decimal) from every address of a\n"
     "                       load file, so that an image linked at E000h starts at 0\n"
     "  --format NAME        read FILE as NAME: binary, intel-hex, srecord, tektronix,\n"
     "                       tektronix-extended, mos-tech, ti-txt, ascii-hex, atmel-generic,\n"
     "                       brecord, emon52, fairchild, fpc, mif, os65v, signetics,\n"
     "                       ti-tagged, ti-tagged-16 (unless given: Intel HEX, S-records and\n"
     "                       the other marked formats by their content, raw binary the rest)\n"},
    {"erase", "erase -d DEVICE [board options]", "Erases a Flash or EEPROM device.\n"},
    {"id", "id -d DEVICE [board options]",
     "Reads a Flash device's maker and device code, names the chip and prints the\n"
     "name of its catalogue row as the last line.\n"},
    {"identify", "identify FILE | --device -d DEVICE [--dats DIR] [board options]",
     "Names the ROM in FILE, or in the chip read from the socket, from the ROM lists: MAME's\n"
     "software lists (Debian package mame-data) and the Logiqx / ClrMamePro XML DAT files of\n"
     "the DAT folder. The image, each half and each quarter of it are looked up by CRC-32 and\n"
     "SHA-1. The lists are indexed in ~/.cache/meldrix5 first when they are new or changed\n"
     "(progress on standard error). Exit 0 when named, 1 when not in the lists.\n"
     "  --device             read the whole chip, as read does, and name it\n"
     "  --dats DIR           the folder of DAT files (~/.local/share/meldrix5/dats unless "
     "given)\n"},
}};

}  // namespace

std::string HelpText(std::string_view command) {
  const std::string program(kProgramName);
  for (const CommandHelp& help : kCommandHelp) {
    if (help.name != command) continue;
    std::string text = "Usage: " + program + " " + std::string(help.usage) + "\n\n";
    text += help.text;
    if (command != "list") text += "\n" + std::string(kBoardOptions);
    return text;
  }
  std::string text =
      "Usage: " + program + " COMMAND [options]\n\n" +
      "Reads, blank-checks, verifies, programs and erases memory chips on the\n"
      "MELDRIX programmer board, with the window program's log on standard output.\n\n"
      "Commands:\n";
  for (const CommandHelp& help : kCommandHelp) {
    text += "  " + program + " " + std::string(help.usage) + "\n";
  }
  text +=
      "\nDEVICE is a catalogue name, whole, its part number or the family and part number\n"
      "(\"27C256\", \"eprom 27c256\", \"flash am29f040\"), or \"auto\": the row the Flash\n"
      "chip in the socket names by its ID (EPROMs and EEPROMs have none).\n";
  text += "\n" + std::string(kBoardOptions);
  text +=
      "  -h, --help           this help; COMMAND --help for one command\n"
      "      --version        the program's version\n\n"
      "Exit status: 0 done; 1 the operation failed on the device (or was declined);\n"
      "2 usage error; 3 no board or no port access; 4 a file could not be read or written;\n"
      "130 stopped by Ctrl+C (the board is reset at the next safe point).\n";
  return text;
}

}  // namespace cli
