// SPDX-License-Identifier: Apache-2.0
#include "case/case_file.h"

#include <algorithm>
#include <sstream>

#include "case/compose.h"
#include "case/inputs_file.h"
#include "solver/die.h"
#include "solver/input_error.h"
#include "solver/input_fields.h"
#include "solver/screw_zones.h"

namespace kelvado {
namespace {

std::string WithSeparator(std::string text, char from, char to) {
  std::replace(text.begin(), text.end(), from, to);
  return text;
}

// The separator a number of a file was written with: the point, or the comma of someone whose
// separator it is; none for a text that is no number either way.
std::optional<char> WrittenSeparator(const std::string& text) {
  for (const char separator : {'.', ','}) {
    if (ParseNumber(text, separator)) return separator;
  }
  return std::nullopt;
}

}  // namespace

CaseData DefaultCase(char decimalSeparator) {
  CaseData c;
  c.inputs = DefaultInputTexts(decimalSeparator);
  return c;
}

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
    // The inputs' names set the column; a longer pellet name goes past it.
    out << name << std::string(width - std::min(width, name.size()), ' ') << " = " << value << '\n';
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
  if (data.material) line("material", *data.material);
  for (const std::string& section : data.dieSections) line("die", section);
  if (data.rpm) line("rpm", WithSeparator(*data.rpm, decimalSeparator, '.'));
  if (data.feed != Feed::Melt) line("feed", FeedName(data.feed));
  for (const PelletFieldInfo& f : kPelletFields) {
    if (const auto& text = data.pellet[static_cast<std::size_t>(f.field)]) {
      line(f.name, WithSeparator(*text, decimalSeparator, '.'));
    }
  }
  for (const std::string& zone : data.zones) line("zone", zone);
  return out.str();
}

CaseData ReadCaseFile(const std::string& path, char decimalSeparator, const MaterialCatalog* catalog) {
  InputsFile file = ReadInputsFile(path);
  const bool namesSomething = std::any_of(file.begin(), file.end(), [](const auto& text) { return text.has_value(); }) ||
                              file.flowModel || file.material || !file.dieSections.empty() || !file.zones.empty() ||
                              file.rpm || file.feed ||
                              std::any_of(file.pellet.begin(), file.pellet.end(), [](const auto& t) { return t.has_value(); });
  if (!namesSomething) {
    throw InputError::Of(path, ": holds no inputs (no 'name = text' line); is it a case file?");
  }
  for (const InputField& f : kInputFields) {
    std::optional<std::string>& text = file[f.field];
    if (!text) continue;
    const std::optional<char> written = WrittenSeparator(*text);
    if (!written) {
      throw InputError::Of(path, ":", std::to_string(file.fieldLines[f.field]), ": ", f.optionName,
                           " is not a number: '", *text, "'");
    }
    *text = WithSeparator(*text, *written, decimalSeparator);
  }
  for (const PelletFieldInfo& f : kPelletFields) {
    std::optional<std::string>& text = file.pellet[static_cast<std::size_t>(f.field)];
    if (!text) continue;
    const std::optional<char> written = WrittenSeparator(*text);
    if (!written) {
      throw InputError::Of(path, ":", std::to_string(file.pelletLines[static_cast<std::size_t>(f.field)]), ": ", f.name,
                           " is not a number: '", *text, "'");
    }
    *text = WithSeparator(*text, *written, decimalSeparator);
  }
  if (file.dieSections.size() > kMaxDieSections) {
    throw InputError::Of(path, ": the die has ", std::to_string(file.dieSections.size()), " sections; at most ",
                         std::to_string(kMaxDieSections), " are taken");
  }
  if (file.rpm) {
    const std::optional<char> written = WrittenSeparator(*file.rpm);
    if (!written || !(*ParseNumber(*file.rpm, *written) > 0)) {
      throw InputError::Of(path, ":", std::to_string(file.rpmLine), ": rpm takes a screw speed above zero, not '",
                           *file.rpm, "'");
    }
    file.rpm = WithSeparator(*file.rpm, *written, decimalSeparator);
  }
  for (std::size_t i = 0; i < file.zones.size(); ++i) {
    const auto zone = ParseZone(file.zones[i], static_cast<int>(i) + 1);
    if (const std::string* problem = std::get_if<std::string>(&zone)) {
      throw InputError::Of(path, ":", std::to_string(file.zoneLines[i]), ": ", *problem);
    }
  }
  for (std::size_t i = 0; i < file.dieSections.size(); ++i) {
    try {
      ParseDieSection(file.dieSections[i]);
    } catch (const DieInputError& error) {
      throw InputError::Of(path, ":", std::to_string(file.dieLines[i]), ": ", error.what());
    }
  }
  try {
    return ComposeCase(&file, {}, decimalSeparator, catalog);
  } catch (const InputError& error) {
    throw InputError::Of(path, ":", std::to_string(file.materialLine), ": ", error.what());
  }
}

}  // namespace kelvado
