// SPDX-License-Identifier: Apache-2.0
// The manual's examples as an engineer types them: every `$ kelvado-cli ...` command of a
// console block, run in order in one folder holding the example files, ends with status 0 and
// prints exactly the lines the manual shows under it, warnings included.
#include <gtest/gtest.h>

#include <iomanip>
#include <sstream>

#include "tests/cli/cli_process.h"
#include "tests/support/temp_dir.h"

namespace kelvado::testing {
namespace {

struct Example {
  std::string command;             // as typed, continued lines joined, without its comment
  std::vector<std::string> words;  // as the shell splits it: a double-quoted word whole
  std::string shown;               // the lines under it
};

std::vector<Example> ConsoleExamples(const std::string& manual) {
  std::vector<Example> examples;
  std::istringstream in(manual);
  bool console = false;
  bool open = false;  // lines under a command belong to it
  for (std::string line; std::getline(in, line);) {
    if (line.starts_with("```")) {
      console = line == "```console";
      open = false;
    } else if (console && line.starts_with("$ ")) {
      std::string command = line.substr(2);
      while (command.ends_with("\\") && std::getline(in, line)) command = command.substr(0, command.size() - 1) + line;
      command = command.substr(0, command.find("  #"));
      Example example{command, {}, {}};
      std::istringstream words(command);
      for (std::string word; words >> std::quoted(word);) example.words.push_back(word);
      examples.push_back(example);
      open = true;
    } else if (open) {
      examples.back().shown += line + "\n";
    }
  }
  return examples;
}

TEST(ManualExamples, EveryConsoleBlockPrintsWhatTheManualShows) {
  TempDir dir;
  for (const std::string name : {"grade7.csv", "sheet-line.kvcase"}) {
    WriteBytes(dir.file(name), ReadBytes(KELVADO_SOURCE_DIR "/examples/" + name));
  }
  const std::string config = dir.file("config");
  const std::vector<Example> examples = ConsoleExamples(ReadBytes(KELVADO_SOURCE_DIR "/docs/manual.md"));
  ASSERT_GE(examples.size(), 13u);
  for (const Example& example : examples) {
    ASSERT_EQ(example.words.at(0), "kelvado-cli") << example.command;
    const CliResult run = RunCli({example.words.begin() + 1, example.words.end()}, dir.path(),
                                 {"XDG_CONFIG_HOME=" + config});
    EXPECT_EQ(run.exitCode, 0) << example.command << "\n" << run.err;
    std::string printed = run.out + run.err;
    for (std::size_t at; (at = printed.find(config)) != std::string::npos;) printed.replace(at, config.size(), "/home/me/.config");
    EXPECT_EQ(printed, example.shown) << example.command;
  }
}

}  // namespace
}  // namespace kelvado::testing
