// SPDX-License-Identifier: Apache-2.0
#include "app/case_file.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "cli/inputs_file.h"
#include "cli/usage_error.h"
#include "solver/die.h"
#include "solver/input_fields.h"

namespace kelvado {
namespace {

std::string WithSeparator(std::string text, char from, char to) {
  std::replace(text.begin(), text.end(), from, to);
  return text;
}

// The number of the line that gives a value, for a message about it: the `occurrence`-th
// line (from 0) whose name, before '=' with comments and blanks aside, is `name`.
std::size_t LineOf(const std::string& path, std::string_view name, std::size_t occurrence = 0) {
  std::error_code ec;
  if (!std::filesystem::is_regular_file(path, ec)) return 0;  // a FIFO is not opened twice
  std::ifstream in(path, std::ios::binary);
  std::string line;
  constexpr std::string_view kBlanks = " \t\r";
  for (std::size_t number = 1; std::getline(in, line); ++number) {
    std::string_view key(line);
    key = key.substr(0, std::min(key.find('#'), key.find('=')));
    const std::size_t first = key.find_first_not_of(kBlanks);
    if (first == std::string_view::npos) continue;
    key = key.substr(first, key.find_last_not_of(kBlanks) - first + 1);
    // The first line of a file may start with a UTF-8 byte-order mark.
    if (number == 1 && key.starts_with("\xEF\xBB\xBF")) key.remove_prefix(3);
    if (key == name && occurrence-- == 0) return number;
  }
  return 0;
}

}  // namespace

CaseData DefaultCase(char decimalSeparator) { return CaseData{DefaultInputTexts(decimalSeparator), {}, {}}; }

std::optional<Field> FirstImproperField(const InputTexts& inputs, char decimalSeparator) {
  for (const InputField& f : kInputFields) {
    if (!ParseNumber(inputs[f.field], decimalSeparator)) return f.field;
  }
  return std::nullopt;
}

std::string CaseFileText(const CaseData& data, char decimalSeparator) {
  std::size_t width = std::string_view("flow-model").size();
  for (const InputField& f : kInputFields) width = std::max(width, f.optionName.size());
  std::ostringstream out;
  auto line = [&](std::string_view name, std::string_view value) {
    out << name << std::string(width - name.size(), ' ') << " = " << value << '\n';
  };
  out << "# Kelvado case: the inputs of one run, as `kelvado-cli --inputs FILE` reads them.\n";
  for (const InputField& f : kInputFields) {
    // Spaces around a text would not survive the reader's trimming; they mean nothing to a number.
    std::string text = WithSeparator(data.inputs[f.field], decimalSeparator, '.');
    text.erase(0, text.find_first_not_of(' '));
    text.erase(text.find_last_not_of(' ') + 1);
    line(f.optionName, text);
  }
  line("flow-model", FlowModelName(data.flowModel));
  for (const std::string& section : data.dieSections) line("die", section);
  return out.str();
}

CaseData ReadCaseFile(const std::string& path, char decimalSeparator) {
  const cli::InputsFile file = cli::ReadInputsFile(path);
  const bool namesSomething = std::any_of(file.begin(), file.end(), [](const auto& text) { return text.has_value(); }) ||
                              file.flowModel || !file.dieSections.empty();
  if (!namesSomething) {
    throw cli::UsageError::Of(path, ": holds no inputs (no 'name = text' line); is it a case file?");
  }
  CaseData data = DefaultCase(decimalSeparator);
  for (const InputField& f : kInputFields) {
    const std::optional<std::string>& text = file[f.field];
    if (!text) continue;
    // Written with the point, or with the comma by someone whose separator it is.
    char written = '.';
    if (!ParseNumber(*text, '.')) {
      written = ',';
      if (!ParseNumber(*text, ',')) {
        throw cli::UsageError::Of(path, ":", std::to_string(LineOf(path, f.optionName)), ": ", f.optionName,
                                  " is not a number: '", *text, "'");
      }
    }
    data.inputs[f.field] = WithSeparator(*text, written, decimalSeparator);
  }
  if (file.flowModel) data.flowModel = *file.flowModel;
  if (file.dieSections.size() > kMaxDieSections) {
    throw cli::UsageError::Of(path, ": the die has ", std::to_string(file.dieSections.size()), " sections; at most ",
                              std::to_string(kMaxDieSections), " are taken");
  }
  for (std::size_t i = 0; i < file.dieSections.size(); ++i) {
    try {
      ParseDieSection(file.dieSections[i]);
    } catch (const DieInputError& error) {
      throw cli::UsageError::Of(path, ":", std::to_string(LineOf(path, "die", i)), ": ", error.what());
    }
  }
  data.dieSections = file.dieSections;
  return data;
}

}  // namespace kelvado
