// One command: the board found, the device selected and the operation run through the same
// handlers as the window's buttons, and the outcome read from what they leave behind.
#include "cli/session.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <chrono>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "cli/device_names.h"
#include "cli/rom_lists.h"
#include "cli/simulated_socket.h"
#include "cli/terminal_panel.h"
#include "devices/catalogue.h"
#include "frontend/log_text.h"
#include "frontend/routed_port_access.h"
#include "operations/programmer.h"
#include "platform/dirs.h"
#include "platform/files.h"
#include "platform/temporary_directory.h"

namespace cli {
namespace {

using panel::Ctl;

std::string PortName(int16_t base) {
  switch (base) {
    case 0x278:
      return "278h";
    case 0x3BC:
      return "3BCh";
    default:
      return "378h";
  }
}

// No port at all, for the core's work on files alone.
struct NoPort {
  platform::NullPort nothing;
  platform::LiveMachine machine{nothing};
};

// "-d auto", in any case.
bool AskedForAuto(std::string_view name) {
  return name.size() == 4 && std::ranges::equal(name, std::string_view("auto"), [](char a, char b) {
           return std::tolower(static_cast<unsigned char>(a)) == b;
         });
}

void PrintCatalogue(std::ostream& out) {
  static constexpr std::array<std::string_view, 4> kFamilies = {"EPROM", "Flash", "EEPROM",
                                                                "microcontroller"};
  for (const devices::DeviceEntry& row : devices::DeviceTable) {
    const size_t family = std::string_view("PFEM").find(row.Family);
    out << devices::PaddedName(row) << "  " << kFamilies[family] << "  " << row.SizeKB * 1024
        << " bytes  " << devices::SuggestedVoltage(row) << "  "
        << (row.Supported ? "supported" : "N/A") << '\n';
  }
}

class Session {
 public:
  Session(const Request& request, Console console)
      : request_(request),
        console_(console),
        panel_(clock_,
               {console.out, console.err, console.in, console.err_is_terminal,
                console.err_is_terminal && console.in_is_terminal},
               request.yes) {
    panel_.stop_signals = &stop_signals_;
  }

  ExitStatus Run() {
    const ExitStatus status = Operate();
    if (programmer_ && access_ != nullptr) programmer_->ShutDown();
    if (socket_) socket_->Keep(console_.err);
    return SaveLog(status);
  }

 private:
  ExitStatus Operate();
  ExitStatus Usage(const std::string& message) {
    console_.err << kProgramName << ": " << message << '\n';
    return ExitStatus::Usage;
  }
  ExitStatus NoBoard(const std::string& message) {
    console_.err << kProgramName << ": " << message << '\n';
    return ExitStatus::NoBoard;
  }
  std::optional<ExitStatus> MatchRow(const std::string& wanted, int& row);
  std::optional<ExitStatus> ChooseDevice();
  std::optional<ExitStatus> ChooseDeviceById();
  std::optional<ExitStatus> Connect();
  std::optional<ExitStatus> UseRequestedPort();
  std::optional<ExitStatus> SetProgrammingOptions();
  std::optional<ExitStatus> OpenImage();
  std::optional<ExitStatus> TakeRomLists();
  void UseRomLists(std::optional<romlists::RomIndex> index);
  ExitStatus IdentifyFile();
  ExitStatus Detect();
  ExitStatus RunOperation();
  // What the operation's end means for the exit status; the read image is saved here.
  ExitStatus Outcome(int messages_before);
  void RunWithFatalSignalReset(ops::Programmer& p, void (ops::Programmer::*handler)());
  ExitStatus SaveLog(ExitStatus status);
  bool ErrorLit() const { return panel::IndicatorLit(panel_, Ctl::Error_label); }
  std::string DeviceName() const { return programmer_->dev.DeviceName; }

  const Request& request_;
  Console console_;
  platform::StopSignals stop_signals_;
  platform::SystemClock clock_;
  TerminalPanel panel_;
  int device_row_ = -1;
  bool device_by_id_ = false;  // -d auto
  int socket_row_ = -1;        // --socket: the row whose chip the simulated socket holds
  // A settings file of its own for the simulated board, so that it never stands in for the
  // real board in the file the window reads.
  std::unique_ptr<platform::TemporaryDirectory> scratch_;
  std::unique_ptr<frontend::RealPortAccess> real_;
  std::unique_ptr<SimulatedSocket> socket_;
  frontend::PortAccess* access_ = nullptr;
  std::unique_ptr<NoPort> no_port_;
  std::optional<romlists::RomIndex> rom_lists_;  // the programmer's RomLists
  std::unique_ptr<ops::Programmer> programmer_;
};

ExitStatus Session::Operate() {
  if (request_.command == "list") {
    PrintCatalogue(console_.out);
    return ExitStatus::Done;
  }
  if (auto refused = ChooseDevice()) return *refused;
  if (!request_.dats.empty() && !platform::DirectoryExists(request_.dats)) {
    return Usage("--dats " + request_.dats + ": there is no such folder");
  }
  if (request_.command == "identify" && request_.device.empty()) return IdentifyFile();
  // The chips' directory must take their contents before anything is done: a program run
  // whose chip cannot be kept would report a success that the next run does not find.
  if (!request_.simulated_chips.empty()) {
    if (const auto error = platform::WritableDirectory(request_.simulated_chips)) {
      return Usage("--simulated=" + request_.simulated_chips + ": " + error->reason);
    }
  }
  if (auto failed = Connect()) return *failed;
  // A missing or unreadable image is found before the board or the chip is touched.
  if (!request_.input.empty()) {
    if (const auto size = platform::RegularFileSize(request_.input); size.error) {
      programmer_->ReportUnreadableFile(request_.input, size.error->reason);
      return ExitStatus::FileFailed;
    }
  }
  // identify builds the index of the ROM lists before it reads the chip, when it must; a read
  // names what it read when an index is there.
  if (request_.command == "identify") {
    if (auto failed = TakeRomLists()) return *failed;
  } else if (request_.command == "read") {
    UseRomLists(CurrentRomLists(RomListSources({})));
  }
  const bool settings_known = platform::FileExists(programmer_->detect.SettingsPath());
  programmer_->StartUp();
  if (request_.command == "detect") {
    // A board taken from the settings file has not been probed this time.
    if (settings_known) programmer_->detect.TestHardware_button_Click();
    return Detect();
  }
  if (auto failed = UseRequestedPort()) return *failed;
  if (device_by_id_) {
    if (auto failed = ChooseDeviceById()) return *failed;
  } else {
    programmer_->SetDeviceIndex(device_row_);
  }
  if (programmer_->dev.DeviceCode.empty()) {
    return Usage("\"" + request_.device + "\" cannot be selected: the device has no algorithm");
  }
  if (auto refused = SetProgrammingOptions()) return *refused;
  if (auto failed = OpenImage()) return *failed;
  return RunOperation();
}

// The row a name on the command line means, or the usage error saying why there is none.
std::optional<ExitStatus> Session::MatchRow(const std::string& wanted, int& row) {
  std::vector<std::string_view> names;
  for (const devices::DeviceEntry& entry : devices::DeviceTable) names.push_back(entry.Name);
  const DeviceMatch match = MatchDevice(wanted, names);
  if (match.index >= 0) {
    row = match.index;
    return std::nullopt;
  }
  std::string message = "\"" + wanted + "\" ";
  if (match.candidates.empty()) {
    return Usage(message + "is not in the catalogue ('" + std::string(kProgramName) +
                 " list' shows it)");
  }
  message += match.candidates.size() == 1 ? "is not a device name; did you mean: "
                                          : "names several devices: ";
  for (size_t i = 0; i < match.candidates.size(); ++i) {
    message += (i == 0 ? "" : ", ") + match.candidates[i];
  }
  return Usage(message);
}

std::optional<ExitStatus> Session::ChooseDevice() {
  if (!request_.socket.empty()) {
    if (auto refused = MatchRow(request_.socket, socket_row_)) return refused;
  }
  if (request_.device.empty()) return std::nullopt;
  if (AskedForAuto(request_.device)) {
    device_by_id_ = true;
    return std::nullopt;
  }
  return MatchRow(request_.device, device_row_);
}

// The chip is asked for its ID in each wiring that has an ID mode: first the 32-pin command
// Flash, the parts most sockets hold, then the 28-pin AT29C256, whose command cycles hold the
// 32-pin parts' write strobe low and would load bytes into one. The row its ID names is selected.
std::optional<ExitStatus> Session::ChooseDeviceById() {
  ops::Programmer& p = *programmer_;
  for (const devices::FlashCommands wiring :
       {devices::FlashCommands::Strobed, devices::FlashCommands::PageWrite}) {
    const auto probe = std::ranges::find_if(devices::DeviceTable, [wiring](const auto& row) {
      return row.Supported && row.Commands == wiring;
    });
    p.SetDeviceIndex(static_cast<int>(probe - devices::DeviceTable.begin()));
    p.IdentifyFlash();
    if (p.FlashCode == p.FlashPlainCode) continue;  // array data, not an ID
    if (const devices::DeviceEntry* row = devices::RowOfChip(p.FlashMaker, p.FlashDevice)) {
      p.SetDeviceIndex(static_cast<int>(row - devices::DeviceTable.data()));
      return std::nullopt;
    }
  }
  console_.err << kProgramName
               << ": -d auto: no chip in the socket answered with an ID of a catalogue row "
                  "(EPROMs and EEPROMs have none: name the device)\n";
  return ExitStatus::DeviceFailed;
}

// The simulated board or the real ports, and the core on them; the core's start-up has not run.
std::optional<ExitStatus> Session::Connect() {
  std::string settings_path = platform::JoinPath(platform::ProgramDirectory(), "meldrix5.ini");
  if (request_.simulated) {
    scratch_ = std::make_unique<platform::TemporaryDirectory>("meldrix5-cli");
    if (scratch_->path.empty()) {
      console_.err << kProgramName << ": no temporary directory for the simulated board\n";
      return ExitStatus::FileFailed;
    }
    settings_path = platform::JoinPath(scratch_->path, "meldrix5.ini");
    socket_ = std::make_unique<SimulatedSocket>(request_.simulated_chips);
    if (socket_row_ >= 0) {
      socket_->Hold(devices::DeviceTable[static_cast<size_t>(socket_row_)].Name, console_.err);
    }
    // The simulated board sits where the operator says, as the model asked for.
    if (request_.port) socket_->Access().FollowPort(*request_.port);
    if (request_.model) socket_->Access().FollowModel(*request_.model);
    access_ = &socket_->Access();
  } else {
    real_ = std::make_unique<frontend::RealPortAccess>();
    access_ = real_.get();
  }
  programmer_ =
      std::make_unique<ops::Programmer>(access_->Machine(), panel_, clock_, settings_path);
  programmer_->DeviceSelected = [this](std::string_view name) {
    if (socket_) socket_->Insert(name, console_.err);
  };
  programmer_->detect.BoardIsSimulated = [this](int16_t base) {
    return socket_ != nullptr || access_->Simulated(base);
  };
  access_->SendNotesTo([this](std::string_view text) { panel_.LogMessage(text); });
  return std::nullopt;
}

// The port asked for is selected and probed as the window's port option and hardware test
// would; a forced model is forced as the Setup menu does. Without a board, or without access
// to its port, nothing runs.
std::optional<ExitStatus> Session::UseRequestedPort() {
  ops::Programmer& p = *programmer_;
  if (request_.port && (p.board.PortBase != *request_.port || p.detect.FoundPort == 0)) {
    static constexpr std::array<int16_t, 3> kOptionPorts = {0x378, 0x278, 0x3BC};
    for (int i = 0; i < 3; ++i) {
      if (kOptionPorts[static_cast<size_t>(i)] == *request_.port) {
        p.SelectOption(panel::LPTSelection(i));
      }
    }
    p.detect.FoundPort = 0;
    p.board.BoardModel = 0;
    p.detect.CheckHardware();
    p.detect.ApplyFoundBoard();
  }
  if (p.detect.FoundPort == 0) {
    return NoBoard(request_.port ? "no board answers at " + PortName(*request_.port)
                                 : "no board found at 378h, 278h or 3BCh");
  }
  if (real_ && !real_->Reached(p.board.PortBase)) {
    return NoBoard("no access to the port at " + PortName(p.board.PortBase) +
                   " (see the log for why; --simulated uses the simulated board)");
  }
  if (request_.model && p.board.BoardModel != *request_.model) {
    if (*request_.model == 4) p.detect.ForceMeldrix4_Click();
    if (*request_.model == 5) p.detect.ForceMeldrix5_Click();
  }
  return std::nullopt;
}

ExitStatus Session::Detect() {
  ops::Programmer& p = *programmer_;
  if (p.detect.FoundPort == 0) return NoBoard("no board found at 378h, 278h or 3BCh");
  const int16_t base = p.board.PortBase;
  const std::string method =
      access_->Simulated(base) || socket_ ? "simulated board" : access_->Method(base);
  console_.out << "MELDRIX-" << p.board.BoardModel << " board at " << PortName(base) << ", "
               << method << '\n';
  if (real_ && !real_->Reached(base)) return NoBoard("no access to " + PortName(base));
  return ExitStatus::Done;
}

// Voltage, speed, image half, the two check boxes and the fast path, as the operator would set
// them; a voltage the device is not offered is refused, as its option would be disabled.
std::optional<ExitStatus> Session::SetProgrammingOptions() {
  ops::Programmer& p = *programmer_;
  if (request_.voltage) {
    const panel::Ref option = panel::Voltage_button(*request_.voltage);
    if (!panel_.Enabled(option)) {
      static constexpr std::array<std::string_view, 4> kVolts = {"5", "12.5", "21", "25"};
      std::string offered;
      for (int i = 1; i <= 3; ++i) {
        if (!panel_.Enabled(panel::Voltage_button(i))) continue;
        offered += (offered.empty() ? "" : ", ") + std::string(kVolts[static_cast<size_t>(i)]);
      }
      return Usage(DeviceName() + " does not take " +
                   std::string(kVolts[static_cast<size_t>(*request_.voltage)]) + " V (--vpp " +
                   (offered.empty() ? "is not for a 5 V part" : offered) + ")");
    }
    p.SelectOption(option);
  }
  if (request_.speed) p.SetSliderValue(*request_.speed);
  if (request_.half != 0) p.SelectOption(panel::HiLow_button(request_.half));
  if (request_.blank_check) panel_.SetValue(Ctl::CheckBlankPriorProgramming, 1);
  if (request_.verify) panel_.SetValue(Ctl::VerifyAfterProgramming, 1);
  p.board.SetFastPath(request_.fast);
  return std::nullopt;
}

std::optional<ExitStatus> Session::OpenImage() {
  if (request_.input.empty()) return std::nullopt;
  panel_.open_file = request_.input;
  const auto choices = buffers::ReadAsChoices();
  for (size_t i = 0; i < choices.size(); ++i) {
    if (!request_.format.empty() && choices[i].option == request_.format) {
      panel_.open_filter = static_cast<int>(i);
    }
  }
  // No question about moving the image: it moves by the offset given, or not at all.
  programmer_->LoadOffset = request_.offset.value_or(0);
  programmer_->mnuFileOpenCode_Click();
  if (programmer_->buf.CodeFileName != request_.input) return ExitStatus::FileFailed;
  return std::nullopt;
}

std::optional<ExitStatus> Session::TakeRomLists() {
  PreparedRomLists prepared = PrepareRomLists(RomListSources(request_.dats), console_.err,
                                              console_.err_is_terminal, stop_signals_);
  if (prepared.failed) return prepared.failed;
  UseRomLists(std::move(prepared.index));
  return std::nullopt;
}

void Session::UseRomLists(std::optional<romlists::RomIndex> index) {
  rom_lists_ = std::move(index);
  programmer_->RomLists = rom_lists_ ? &*rom_lists_ : nullptr;
}

// The file is loaded as the window's Open loads it and named as its Identify entry names it;
// no board is used.
ExitStatus Session::IdentifyFile() {
  no_port_ = std::make_unique<NoPort>();
  programmer_ = std::make_unique<ops::Programmer>(no_port_->machine, panel_, clock_, "");
  if (const auto size = platform::RegularFileSize(request_.input); size.error) {
    programmer_->ReportUnreadableFile(request_.input, size.error->reason);
    return ExitStatus::FileFailed;
  }
  if (auto failed = TakeRomLists()) return *failed;
  if (auto failed = OpenImage()) return *failed;
  programmer_->IdentifyCodeImage();
  return programmer_->CodeImageIdentified ? ExitStatus::Done : ExitStatus::DeviceFailed;
}

struct Operation {
  std::string_view command;
  Ctl control;  // the button or menu entry that starts it in the window
  void (ops::Programmer::*handler)();
};

constexpr std::array<Operation, 8> kOperations = {{
    {"read", Ctl::Read_button, &ops::Programmer::Read_button_Click},
    {"identify", Ctl::Read_button, &ops::Programmer::Read_button_Click},
    {"blank", Ctl::Blank_button, &ops::Programmer::Blank_button_Click},
    {"verify", Ctl::Verify_button, &ops::Programmer::Verify_button_Click},
    {"compare", Ctl::Verify_button, &ops::Programmer::CompareCode},
    {"program", Ctl::Program_button, &ops::Programmer::Program_button_Click},
    {"erase", Ctl::EraseFlash_button, &ops::Programmer::EraseFlash_button_Click},
    {"id", Ctl::menuFlashShowCodeID, &ops::Programmer::menuFlashShowCodeID_Click},
}};

// A crash during the operation still takes the programming voltage off the chip: the fatal
// signal's handler writes the board's reset sequence before the program ends.
void Session::RunWithFatalSignalReset(ops::Programmer& p, void (ops::Programmer::*handler)()) {
  std::optional<platform::FatalSignalReset> fatal_reset;
  if (platform::PortIo* port = access_->Port()) {
    fatal_reset.emplace(*port);
    fatal_reset->SetResetSequence(p.board.ResetWrites());
  }
  (p.*handler)();
}

ExitStatus Session::RunOperation() {
  ops::Programmer& p = *programmer_;
  const Operation* operation = nullptr;
  for (const Operation& o : kOperations) {
    if (o.command == request_.command) operation = &o;
  }
  if (operation == nullptr) return Usage("unknown command '" + request_.command + "'");
  // What the window would not let the operator start is refused here too.
  if (!panel_.Enabled(operation->control)) {
    return Usage(request_.command + " does not apply to " + DeviceName());
  }
  const int messages_before = panel_.MessagesShown();
  p.FlashPollState = 0;
  p.FlashSectorSize = 0;
  p.TellFastPath();
  const std::chrono::nanoseconds started = p.io.BoardClock();
  RunWithFatalSignalReset(
      p, request_.blank_all ? &ops::Programmer::BlankCheckAll : operation->handler);
  const std::chrono::nanoseconds took = p.io.BoardClock() - started;
  if (panel_.QuestionUnanswered()) return ExitStatus::Usage;
  const ExitStatus status = Outcome(messages_before);
  p.TellTimeTaken(took);  // the last line, whatever the outcome
  return status;
}

ExitStatus Session::Outcome(int messages_before) {
  ops::Programmer& p = *programmer_;
  if (p.Stopped) return ExitStatus::Stopped;
  bool failed = ErrorLit() || panel_.MessagesShown() != messages_before;
  if (request_.command == "program") {
    failed = failed || panel_.QuestionDeclined() || p.ProgramFailed != 0 || p.ProgramStatus != 1;
  }
  // A Flash erase that timed out, or was refused for the maker, leaves no poll count.
  if (request_.command == "erase" && devices::ErasePolled(p.dev.Row.Erase))
    failed = failed || p.FlashPollState == 0;
  if (request_.command == "id") failed = failed || p.FlashSectorSize == 0;
  if (failed) return ExitStatus::DeviceFailed;
  if (request_.command == "identify") {
    return p.CodeImageIdentified ? ExitStatus::Done : ExitStatus::DeviceFailed;
  }
  if (request_.command == "id") {
    if (const devices::DeviceEntry* row = devices::RowOfChip(p.FlashMaker, p.FlashDevice)) {
      console_.out << row->Name << '\n';
    }
  }
  if (request_.command == "read") {
    panel_.save_file = request_.output;
    p.mnuFileSaveCodeAs_Click();
    if (p.buf.CodeFileName != request_.output) return ExitStatus::FileFailed;
  }
  return ExitStatus::Done;
}

// The log saved as the window saves it on a double click, whatever the outcome.
ExitStatus Session::SaveLog(ExitStatus status) {
  if (request_.log.empty()) return status;
  const std::string text =
      frontend::LogFileText(panel_.LogText(), clock_.LocaleDate(), clock_.LocaleTime());
  if (const auto error = platform::WriteFileAtomically(request_.log, text)) {
    console_.err << kProgramName << ": the log could not be saved to " << request_.log << ": "
                 << error->reason << '\n';
    if (status == ExitStatus::Done) return ExitStatus::FileFailed;
  }
  return status;
}

}  // namespace

ExitStatus RunCommand(const Request& request, Console console) {
  Session session(request, console);
  return session.Run();
}

}  // namespace cli
