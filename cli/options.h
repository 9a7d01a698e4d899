#pragma once
// The command line of kelvado-cli: one long option per input field, the inputs file, the
// results file name, the decimal separator and the file's encoding.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "fields.h"
#include "report/results_file.h"

namespace kelvado::cli {

struct RunOptions {
  FieldOverrides fields;                   // given on the command line; they win over the file
  std::optional<std::string> inputsFile;
  std::string resultFileName{kDefaultResultFileName};
  std::optional<char> decimalSeparator;    // unset: the user's locale decides
  TextEncoding encoding = TextEncoding::ShiftJis;
};

enum class Action { Run, Help, Version };

struct CommandLine {
  Action action = Action::Run;
  RunOptions run;
};

// Parses the arguments after the program name. An option's text may be given as
// `--name TEXT` or `--name=TEXT` and may begin with '-'; a later option replaces an
// earlier one. Throws UsageError.
CommandLine ParseCommandLine(const std::vector<std::string>& args);

std::string HelpText(std::string_view program);

}  // namespace kelvado::cli
