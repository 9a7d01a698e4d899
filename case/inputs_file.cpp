// SPDX-License-Identifier: Apache-2.0
#include "case/inputs_file.h"


#include "files/bounded_read.h"
#include "solver/input_error.h"

namespace kelvado {
namespace {

std::string_view Trim(std::string_view text) {
  constexpr std::string_view kBlanks = " \t\r";
  const std::size_t first = text.find_first_not_of(kBlanks);
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(kBlanks) - first + 1);
}

template <typename... Parts>
[[noreturn]] void Fail(std::string_view origin, std::size_t lineNumber, const Parts&... what) {
  throw InputError::Of(origin, ":", std::to_string(lineNumber), ": ", what...);
}

}  // namespace

InputsFile ParseInputsText(std::string_view content, std::string_view origin) {
  constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
  if (content.starts_with(kByteOrderMark)) content.remove_prefix(kByteOrderMark.size());
  InputsFile fields;
  std::size_t lineNumber = 0;
  std::size_t start = 0;
  while (start < content.size()) {
    std::size_t end = content.find('\n', start);
    if (end == std::string_view::npos) end = content.size();
    std::string_view line = content.substr(start, end - start);
    start = end + 1;
    ++lineNumber;
    if (line.size() > kMaxInputsLineBytes) Fail(origin, lineNumber, "a line longer than 4 KiB");

    // A number text never holds '#', so a comment may also follow a value. Trimming takes
    // the CR of a CR LF line end with the blanks.
    line = Trim(line.substr(0, line.find('#')));
    if (line.empty()) continue;

    const std::size_t equals = line.find('=');
    const std::string_view key = Trim(line.substr(0, equals));
    if (equals == std::string_view::npos || key.empty()) Fail(origin, lineNumber, "expected 'name = text'");
    const std::string_view value = Trim(line.substr(equals + 1));
    if (key == "die") {
      fields.dieSections.emplace_back(value);
      fields.dieLines.push_back(lineNumber);
      continue;
    }
    if (key == "zone") {
      fields.zones.emplace_back(value);
      fields.zoneLines.push_back(lineNumber);
      continue;
    }
    if (key == "flow-model") {
      if (fields.flowModel) Fail(origin, lineNumber, "'flow-model' is given twice");
      fields.flowModel = FindFlowModel(value);
      if (!fields.flowModel) Fail(origin, lineNumber, "flow-model is classic or consistent, not '", value, "'");
      continue;
    }
    if (key == "rpm") {
      if (fields.rpm) Fail(origin, lineNumber, "'rpm' is given twice");
      fields.rpm = std::string(value);
      fields.rpmLine = lineNumber;
      continue;
    }
    if (key == "feed") {
      if (fields.feed) Fail(origin, lineNumber, "'feed' is given twice");
      fields.feed = FindFeed(value);
      if (!fields.feed) Fail(origin, lineNumber, "feed is melt or pellets, not '", value, "'");
      continue;
    }
    if (const std::optional<PelletField> pellet = FindPelletField(key)) {
      const auto i = static_cast<std::size_t>(*pellet);
      if (fields.pellet[i]) Fail(origin, lineNumber, "'", key, "' is given twice");
      fields.pellet[i] = std::string(value);
      fields.pelletLines[i] = lineNumber;
      continue;
    }
    if (key == "material") {
      if (fields.material) Fail(origin, lineNumber, "'material' is given twice");
      if (value.empty()) Fail(origin, lineNumber, "material needs a name");
      fields.material = std::string(value);
      fields.materialLine = lineNumber;
      continue;
    }
    const std::optional<Field> field = FindField(key);
    if (!field) Fail(origin, lineNumber, "unknown input field '", key, "'");
    if (fields[*field]) Fail(origin, lineNumber, "'", key, "' is given twice");
    fields[*field] = std::string(value);
    fields.fieldLines[*field] = lineNumber;
  }
  return fields;
}

InputsFile ReadInputsFile(const std::string& path) {
  try {
    return ParseInputsText(ReadBoundedFile(path, kMaxInputsFileBytes, "the inputs file"), path);
  } catch (const ReadError& error) {
    throw InputError::Of(error.what());
  }
}

}  // namespace kelvado
