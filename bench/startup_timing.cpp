// SPDX-License-Identifier: Apache-2.0
// Whole-process timing of kelvado-cli: a run of the default case into a results file
// against `--version`, which starts and ends the same process without a run. The commands
// alternate, round after round, so that both meet the same machine; medians are reported.
//
//   kelvado-startup-timing [--rounds N] CLI [CLI ...]
//
// Several CLIs (an earlier build beside this one) are timed in the same rounds.
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

extern char** environ;

namespace {

// Milliseconds from spawning `args` to its end, its output to the null device; -1 if it failed.
double TimedMs(const std::vector<std::string>& args, const std::string& folder) {
  std::vector<char*> argv;
  for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addchdir_np(&actions, folder.c_str());
  const auto start = std::chrono::steady_clock::now();
  pid_t pid = 0;
  const int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  int status = 0;
  if (spawned != 0 || waitpid(pid, &status, 0) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0) return -1;
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  const std::size_t n = values.size();
  return n % 2 == 1 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

}  // namespace

int main(int argc, char** argv) {
  int rounds = 200;
  std::vector<std::string> clis;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--rounds" && i + 1 < argc) {
      rounds = std::max(1, std::atoi(argv[++i]));
    } else {
      clis.push_back(std::filesystem::absolute(arg).string());
    }
  }
  if (clis.empty()) {
    std::fprintf(stderr, "Usage: %s [--rounds N] CLI [CLI ...]\n", argv[0]);
    return 2;
  }
  const std::filesystem::path folder = std::filesystem::temp_directory_path() / "kelvado-startup-timing";
  std::filesystem::create_directories(folder);
  const std::string result = (folder / "result.txt").string();
  std::vector<std::vector<double>> version(clis.size()), run(clis.size());
  for (int r = 0; r < rounds; ++r) {
    for (std::size_t c = 0; c < clis.size(); ++c) {
      std::filesystem::remove(result);  // as a first run finds it: no truncation to wait for
      const double v = TimedMs({clis[c], "--version"}, folder.string());
      const double w = TimedMs({clis[c], "-o", "result.txt"}, folder.string());
      if (v < 0 || w < 0) {
        std::fprintf(stderr, "%s failed\n", clis[c].c_str());
        return 1;
      }
      version[c].push_back(v);
      run[c].push_back(w);
    }
  }
  std::filesystem::remove_all(folder);
  std::printf("%d rounds, medians in ms\n%-10s %-10s %-10s %-8s %s\n", rounds, "--version", "-o", "added",
              "added/start", "cli");
  for (std::size_t c = 0; c < clis.size(); ++c) {
    const double v = Median(version[c]), w = Median(run[c]);
    std::printf("%-10.3f %-10.3f %-10.3f %-11.2f %s\n", v, w, w - v, (w - v) / v, clis[c].c_str());
  }
  return 0;
}
