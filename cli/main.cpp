// kelvado-cli: one calculation, a sweep or a screw characteristic from the command line.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <exception>
#include <iostream>
#include <string>
#include <unistd.h>
#include <vector>

#include "cli/batch_command.h"
#include "cli/die_options.h"
#include "cli/exit_codes.h"
#include "cli/interrupt.h"
#include "cli/materials_command.h"
#include "cli/operating_point_command.h"
#include "cli/options.h"
#include "cli/run_command.h"
#include "cli/usage_error.h"

namespace {

constexpr const char* kProgram = "kelvado-cli";

// Output lost on a full disk or a closed pipe is an error like any other write error.
int CheckedStandardOutput(int code) {
  std::cout.flush();
  if (std::cout && std::fflush(stdout) == 0 && std::ferror(stdout) == 0) return code;
  const int error = errno;
  std::cerr << kProgram << ": can not write to standard output: " << std::strerror(error) << '\n';
  return kelvado::cli::kExitWriteError;
}

int Dispatch(const kelvado::cli::CommandLine& command) {
  using namespace kelvado::cli;
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
      return BatchFromCommandLine(command, std::cout, std::cerr, isatty(STDERR_FILENO) == 1,
                                  isatty(STDOUT_FILENO) == 1 && isatty(STDERR_FILENO) == 1);
  }
  return kExitStopped;
}

// operating-point and die-curve read their own options before the common ones.
int DispatchDie(kelvado::cli::DieCommand die, const std::vector<std::string>& args) {
  using namespace kelvado::cli;
  const DieCommandLine line = ParseDieCommandLine(die, {args.begin() + 1, args.end()});
  if (line.shown == Action::Run) {
    const int code = DieCommandFromCommandLine(line, std::cout, std::cerr, &InterruptRequested());
    return InterruptExitCode().value_or(static_cast<ExitCode>(code));
  }
  std::cout << (line.shown == Action::Help ? HelpText(kProgram) : std::string(kProgram) + " " + KELVADO_VERSION + "\n");
  return kExitFinished;
}

}  // namespace

int main(int argc, char** argv) {
  using namespace kelvado::cli;
  const std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + argc);
  const InterruptHandlers interrupts;
  try {
    if (const auto die = FindDieCommand(args)) return CheckedStandardOutput(DispatchDie(*die, args));
    if (!args.empty() && args[0] == "materials") {
      return CheckedStandardOutput(MaterialsFromCommandLine({args.begin() + 1, args.end()}, std::cout, std::cerr, kProgram));
    }
    return CheckedStandardOutput(Dispatch(ParseCommandLine(args)));
  } catch (const UsageError& error) {
    std::cerr << kProgram << ": " << error.what() << "\nTry '" << kProgram << " --help'.\n";
    return kExitUsage;
  } catch (const std::exception& error) {
    std::cerr << kProgram << ": " << error.what() << '\n';
  }
  return kExitStopped;
}
