// SPDX-License-Identifier: Apache-2.0
#pragma once
// Case files: the seventeen inputs, the flow model and the die, written as the inputs file
// that `kelvado-cli --inputs` reads (one `option-name = text` line each), so that a case
// saved in the window runs unchanged on the command line and an inputs file opens in the
// window. Reading goes through the command line's own parser (cli/inputs_file.h).
#include <optional>
#include <string>
#include <vector>

#include "solver/input.h"
#include "solver/run.h"

namespace kelvado {

// What a case holds. The input texts are as the window shows them, with its decimal
// separator; the file always has the point, whatever the separator of the one who saved it.
struct CaseData {
  InputTexts inputs;
  FlowModel flowModel = FlowModel::Classic;
  std::vector<std::string> dieSections;  // `die = SECTION` lines, in order

  bool operator==(const CaseData& other) const {
    return static_cast<const InputTexts::Base&>(inputs) == static_cast<const InputTexts::Base&>(other.inputs) &&
           flowModel == other.flowModel && dieSections == other.dieSections;
  }
};

inline constexpr const char* kCaseFileSuffix = "kvcase";

// The default case: the window's default texts with the separator, the classic model, no die.
CaseData DefaultCase(char decimalSeparator);

// The first field whose text is not a number with the separator, if any: such a case is not
// written, since no front end could read it back.
std::optional<Field> FirstImproperField(const InputTexts& inputs, char decimalSeparator);

// The text of the case file: every field, the flow model and the die, numbers with the point.
// The fields must all be numbers (see FirstImproperField).
std::string CaseFileText(const CaseData& data, char decimalSeparator);

// Reads a case file or any inputs file of the command line; fields it does not give keep
// their default texts, as on the command line. Numbers may be written with a point or a
// comma and come back with `decimalSeparator`. Throws cli::UsageError naming the file, and
// the line where there is one, for a file that cannot be read, a malformed or unknown line,
// a field that is not a number, or a file that names nothing at all.
CaseData ReadCaseFile(const std::string& path, char decimalSeparator);

}  // namespace kelvado
