// SPDX-License-Identifier: Apache-2.0
#pragma once
// Runs whole calculations into a temporary folder.
#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "report/results_file.h"
#include "solver/input_fields.h"
#include "solver/run.h"
#include "tests/support/recording_services.h"
#include "tests/support/temp_dir.h"

namespace kelvado::testing {

inline InputTexts DefaultsWith(std::initializer_list<std::pair<Field, std::string>> changes) {
  InputTexts texts = DefaultInputTexts();
  for (const auto& [field, text] : changes) texts[field] = text;
  return texts;
}

struct RunInDir {
  TempDir dir;
  RecordingServices services;

  std::string Path(const std::string& name = "result.txt") const { return dir.file(name); }

  // The names in the folder: what a run leaves behind, temporary files included.
  std::vector<std::string> Names() const {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(dir.file(""))) {
      names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
  }

  RunOutcome Run(const InputTexts& inputs, const std::string& name = "result.txt", char separator = '.') {
    RunRequest request{inputs, Path(name), separator, TextEncoding::ShiftJis};
    request.keptSteps = kKeepEverySteps;
    return RunWithResultsFile(request, services);
  }
};

inline std::string GoldenDefaultResult() { return ReadBytes(std::string(KELVADO_TEST_DATA) + "/default_result.txt"); }

}  // namespace kelvado::testing
