#include <iostream>
#include <string_view>
#include <vector>

#include "cli/options.h"
#include "cli/session.h"
#include "frontend/version.h"
#include "platform/terminal.h"

int main(int argc, char* argv[]) {
  const std::vector<std::string_view> arguments(argv + 1, argv + argc);
  const cli::Parsed parsed = cli::ParseCommandLine(arguments);
  if (parsed.error) {
    std::cerr << cli::kProgramName << ": " << *parsed.error << " (see " << cli::kProgramName
              << " --help)\n";
    return static_cast<int>(cli::ExitStatus::Usage);
  }
  const cli::Request& request = parsed.request;
  if (request.version) {
    std::cout << cli::kProgramName << " " << frontend::VersionText() << '\n';
    return 0;
  }
  if (request.help) {
    std::cout << cli::HelpText(request.command);
    return 0;
  }
  const cli::Console console{std::cout, std::cerr, std::cin, platform::StandardErrorIsTerminal(),
                             platform::StandardInputIsTerminal()};
  return static_cast<int>(cli::RunCommand(request, console));
}
