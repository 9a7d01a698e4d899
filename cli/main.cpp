// SPDX-License-Identifier: Apache-2.0
// kelvado-cli: one calculation, a sweep or a screw characteristic from the command line.
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <exception>
#include <initializer_list>
#include <optional>
#include <iostream>
#include <string>
#include <unistd.h>
#include <vector>

#include "cli/batch_command.h"
#include "cli/die_options.h"
#include "files/exit_codes.h"
#include "files/interrupt.h"
#include "cli/materials_command.h"
#include "cli/message_prefix.h"
#include "cli/operating_point_command.h"
#include "cli/options.h"
#include "files/output_file.h"
#include "cli/run_command.h"
#include "cli/usage_error.h"
#include "kelvado_version.h"

namespace {

constexpr const char* kProgram = "kelvado-cli";

// Output lost on a full disk or a closed pipe is an error like any other write error.
int CheckedStandardOutput(int code, std::ostream& err) {
  std::cout.flush();
  if (std::cout && std::fflush(stdout) == 0 && std::ferror(stdout) == 0) return code;
  const int error = errno;
  // A command that ended on a write error has said which already.
  if (code != kelvado::kExitWriteError) err << "can not write to standard output: " << std::strerror(error) << '\n';
  return kelvado::kExitWriteError;
}

// The command the help is asked of: the first argument when it names one.
std::string_view HelpTopic(const std::vector<std::string>& args) {
  if (args.empty()) return {};
  for (const std::string_view command : {"sweep", "characteristic", "operating-point", "die-curve"}) {
    if (args[0] == command) return command;
  }
  return {};
}

// Where the summary or table goes: standard output, unless a file is written there; then
// standard error, so that the two never mix.
std::ostream& Shown(std::initializer_list<const std::optional<std::string>*> outputs) {
  for (const auto* output : outputs) {
    if (*output && kelvado::TakesStandardOutput(**output)) return std::cerr;
  }
  return std::cout;
}

int Dispatch(const kelvado::cli::CommandLine& command, std::string_view topic, std::ostream& err) {
  using namespace kelvado;
  using namespace kelvado::cli;
  const std::optional<std::string> results = command.run.resultFileName;
  switch (command.action) {
    case Action::Help:
      std::cout << HelpText(kProgram, topic);
      return kExitFinished;
    case Action::Version:
      std::cout << kProgram << ' ' << KELVADO_VERSION << '\n';
      return kExitFinished;
    case Action::Run:
      return RunFromCommandLine(command.run, Shown({&results, &command.run.jsonFile}), err);
    case Action::Sweep:
    case Action::Characteristic: {
      std::ostream& table = Shown({&command.batch.csvFile});
      const bool bar = isatty(STDERR_FILENO) == 1;
      return BatchFromCommandLine(command, table, err, bar, bar && (&table == &std::cerr || isatty(STDOUT_FILENO) == 1),
                                  &std::cerr);
    }
  }
  return kExitStopped;
}

// operating-point and die-curve read their own options before the common ones.
int DispatchDie(kelvado::cli::DieCommand die, const std::vector<std::string>& args, std::ostream& err) {
  using namespace kelvado;
  using namespace kelvado::cli;
  const DieCommandLine line = ParseDieCommandLine(die, {args.begin() + 1, args.end()});
  if (line.shown == Action::Run) {
    const int code =
        DieCommandFromCommandLine(line, Shown({&line.csvFile, &line.jsonFile}), err, &InterruptRequested());
    return InterruptExitCode().value_or(static_cast<ExitCode>(code));
  }
  std::cout << (line.shown == Action::Help ? HelpText(kProgram, HelpTopic(args))
                                           : std::string(kProgram) + " " + KELVADO_VERSION + "\n");
  return kExitFinished;
}

int Run(const std::vector<std::string>& args, std::ostream& err) {
  using namespace kelvado;
  using namespace kelvado::cli;
  if (const auto die = FindDieCommand(args)) return DispatchDie(*die, args, err);
  if (!args.empty() && args[0] == "materials") {
    return MaterialsFromCommandLine({args.begin() + 1, args.end()}, std::cout, err, kProgram);
  }
  return Dispatch(ParseCommandLine(args), HelpTopic(args), err);
}

}  // namespace

int main(int argc, char** argv) {
  using namespace kelvado;
  using namespace kelvado::cli;
  const std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + argc);
  const InterruptHandlers interrupts;
  // A reader that went away (`| head -1`) is a write error, 8, not a death by SIGPIPE: the
  // write fails with EPIPE instead, and the table or the check of standard output says so.
  std::signal(SIGPIPE, SIG_IGN);
  PrefixedStream err(std::cerr, std::string(kProgram) + ": ");
  int code = kExitStopped;
  try {
    code = CheckedStandardOutput(Run(args, err), err);
  } catch (const UsageError& error) {
    err << error.what() << '\n';
    // A read that a signal cut short is no usage error: the status says the signal.
    if (!InterruptExitCode()) err << "Try '" << kProgram << " --help'.\n";
    code = kExitUsage;
  } catch (const std::exception& error) {
    err << error.what() << '\n';
  }
  err.flush();
  return InterruptExitCode().value_or(static_cast<ExitCode>(code));
}
