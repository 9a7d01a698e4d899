// SPDX-License-Identifier: Apache-2.0
#pragma once
// Runs the real kelvado-cli in a folder of the test's choosing and collects what it says.
#include <filesystem>
#include <string>
#include <vector>

namespace kelvado::testing {

struct CliResult {
  int exitCode = -1;  // -1 when the program did not exit normally (signal or time-out)
  std::string out;
  std::string err;
  double seconds = 0;
  double secondsAfterSignal = 0;  // from the signal to the exit, when one was sent
};

// What a test does to the program besides its arguments: a signal sent after a delay,
// standard output sent to a file of its choosing (/dev/full) instead of being collected,
// standard input read from a file, another program than kelvado-cli (the window's).
struct CliExtras {
  int signal = 0;
  double signalAfterSeconds = 0;
  std::string stdoutFile;
  std::string stdinFile;
  std::string program;
  // Standard output a pipe nobody reads any more, as after `| head -1`; SIGPIPE as a shell
  // leaves it, whatever this process does with it.
  bool stdoutReaderGone = false;
};

// `env` entries ("NAME=value") are added to this process's environment, replacing a
// variable of the same name; the locale variables (LANG, LANGUAGE, LC_*) are removed. A program still running after
// `timeoutSeconds` is killed.
CliResult RunCli(const std::vector<std::string>& args, const std::filesystem::path& workDir,
                 const std::vector<std::string>& env = {}, double timeoutSeconds = 60,
                 const CliExtras& extras = {});

}  // namespace kelvado::testing
