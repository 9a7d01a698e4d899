// SPDX-License-Identifier: Apache-2.0
#include "tests/cli/cli_process.h"

#include <chrono>
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <optional>
#include <string_view>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace kelvado::testing {
namespace {

std::vector<std::string> ChildEnvironment(const std::vector<std::string>& extra) {
  auto replaced = [&](std::string_view entry) {
    for (const std::string& given : extra) {
      if (entry.starts_with(given.substr(0, given.find('=') + 1))) return true;
    }
    return false;
  };
  std::vector<std::string> env;
  for (char** entry = environ; *entry != nullptr; ++entry) {
    const std::string_view text(*entry);
    if (text.starts_with("LANG=") || text.starts_with("LANGUAGE=") || text.starts_with("LC_")) continue;
    if (!replaced(text)) env.emplace_back(text);
  }
  env.insert(env.end(), extra.begin(), extra.end());
  return env;
}

std::vector<char*> Pointers(std::vector<std::string>& texts) {
  std::vector<char*> pointers;
  for (std::string& text : texts) pointers.push_back(text.data());
  pointers.push_back(nullptr);
  return pointers;
}

std::string ReadAll(std::FILE* file) {
  std::string text;
  std::rewind(file);
  char buffer[4096];
  std::size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, file)) > 0) text.append(buffer, n);
  std::fclose(file);
  return text;
}

}  // namespace

CliResult RunCli(const std::vector<std::string>& args, const std::filesystem::path& workDir,
                 const std::vector<std::string>& env, double timeoutSeconds, const CliExtras& extras) {
  std::vector<std::string> argvTexts{extras.program.empty() ? std::string(KELVADO_CLI) : extras.program};
  argvTexts.insert(argvTexts.end(), args.begin(), args.end());
  std::vector<std::string> envTexts = ChildEnvironment(env);
  std::vector<char*> argv = Pointers(argvTexts);
  std::vector<char*> envp = Pointers(envTexts);
  std::FILE* out = std::tmpfile();
  std::FILE* err = std::tmpfile();

  int gone[2] = {-1, -1};
  if (extras.stdoutReaderGone && pipe(gone) == 0) close(gone[0]);

  CliResult result;
  const auto start = std::chrono::steady_clock::now();
  const pid_t pid = fork();
  if (pid < 0) {
    std::fclose(out);
    std::fclose(err);
    return result;
  }
  if (pid == 0) {
    if (chdir(workDir.c_str()) != 0) _exit(126);
    if (extras.stdoutReaderGone) {
      dup2(gone[1], STDOUT_FILENO);
      std::signal(SIGPIPE, SIG_DFL);
    } else if (extras.stdoutFile.empty()) {
      dup2(fileno(out), STDOUT_FILENO);
    } else {
      const int fd = open(extras.stdoutFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
      if (fd < 0) _exit(126);
      dup2(fd, STDOUT_FILENO);
    }
    dup2(fileno(err), STDERR_FILENO);
    if (!extras.stdinFile.empty()) {
      const int fd = open(extras.stdinFile.c_str(), O_RDONLY);
      if (fd < 0) _exit(126);
      dup2(fd, STDIN_FILENO);
    }
    execve(argv[0], argv.data(), envp.data());
    _exit(127);
  }
  if (gone[1] >= 0) close(gone[1]);
  int status = 0;
  std::optional<std::chrono::steady_clock::time_point> signalled;
  while (waitpid(pid, &status, WNOHANG) == 0) {
    if (extras.signal != 0 && !signalled &&
        std::chrono::steady_clock::now() - start > std::chrono::duration<double>(extras.signalAfterSeconds)) {
      kill(pid, extras.signal);
      signalled = std::chrono::steady_clock::now();
    }
    if (std::chrono::steady_clock::now() - start > std::chrono::duration<double>(timeoutSeconds)) {
      kill(pid, SIGKILL);
      waitpid(pid, &status, 0);
      break;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  const auto end = std::chrono::steady_clock::now();
  result.seconds = std::chrono::duration<double>(end - start).count();
  if (signalled) result.secondsAfterSignal = std::chrono::duration<double>(end - *signalled).count();
  if (WIFEXITED(status)) result.exitCode = WEXITSTATUS(status);
  result.out = ReadAll(out);
  result.err = ReadAll(err);
  return result;
}

}  // namespace kelvado::testing
