// kelvado-cli: one calculation, a sweep or a screw characteristic from the command line.
#include <exception>
#include <iostream>
#include <string>
#include <unistd.h>
#include <vector>

#include "batch_command.h"
#include "die_options.h"
#include "exit_codes.h"
#include "operating_point_command.h"
#include "options.h"
#include "run_command.h"
#include "usage_error.h"

namespace {

constexpr const char* kProgram = "kelvado-cli";

}  // namespace

int main(int argc, char** argv) {
  using namespace kelvado::cli;
  const std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + argc);
  try {
    if (const auto die = FindDieCommand(args)) {
      const DieCommandLine line = ParseDieCommandLine(*die, {args.begin() + 1, args.end()});
      if (line.shown == Action::Run) return DieCommandFromCommandLine(line, std::cout, std::cerr);
      std::cout << (line.shown == Action::Help ? HelpText(kProgram) : std::string(kProgram) + " " + KELVADO_VERSION + "\n");
      return kExitFinished;
    }
    const CommandLine command = ParseCommandLine(args);
    switch (command.action) {
      case Action::Help:
        std::cout << HelpText(kProgram);
        return kExitFinished;
      case Action::Version:
        std::cout << kProgram << ' ' << KELVADO_VERSION << '\n';
        return kExitFinished;
      case Action::Run:
        return RunFromCommandLine(command.run, std::cout, std::cerr);
      case Action::Sweep:
      case Action::Characteristic:
        return BatchFromCommandLine(command, std::cout, std::cerr, isatty(STDERR_FILENO) == 1);
    }
  } catch (const UsageError& error) {
    std::cerr << kProgram << ": " << error.what() << "\nTry '" << kProgram << " --help'.\n";
    return kExitUsage;
  } catch (const std::exception& error) {
    std::cerr << kProgram << ": " << error.what() << '\n';
  }
  return kExitStopped;
}
