// SPDX-License-Identifier: Apache-2.0
#include "cli/materials_command.h"

#include "cli/material_fit_command.h"
#include <ostream>

#include "cli/options.h"
#include "report/result_table.h"
#include "cli/usage_error.h"
#include "report/json_document.h"
#include "solver/input_fields.h"

namespace kelvado::cli {
namespace {

// A user entry that was set aside is said on `err`; the rest of the file is used.
MaterialCatalog LoadCatalog(std::ostream& err) {
  try {
    MaterialCatalog catalog = MaterialCatalog::Load();
    for (const std::string& warning : catalog.warnings) err << UsageError::Of(warning).what() << '\n';
    return catalog;
  } catch (const MaterialError& error) {
    throw UsageError::Of(error.what());
  }
}

struct Listed {
  const Material& material;
  const char* origin;
};

std::vector<Listed> Everything(const MaterialCatalog& catalog) {
  std::vector<Listed> all;
  for (const Material& m : catalog.library) all.push_back({m, "library"});
  for (const Material& m : catalog.user) all.push_back({m, "user"});
  return all;
}

// `text` broken at blanks into lines of at most `width` characters after `indent`.
std::string Wrapped(const std::string& text, std::string_view indent, std::size_t width) {
  std::string result(indent);
  std::size_t lineLength = 0;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find(' ', start);
    if (end == std::string::npos) end = text.size();
    const std::string_view word = std::string_view(text).substr(start, end - start);
    if (lineLength > 0 && lineLength + 1 + word.size() > width) {
      result.append("\n").append(indent);
      lineLength = 0;
    } else if (lineLength > 0) {
      result += ' ';
      ++lineLength;
    }
    result += word;
    lineLength += word.size();
    start = end + 1;
  }
  return result + "\n";
}

void PrintMaterials(const MaterialCatalog& catalog, std::ostream& out) {
  ResultTable table;
  table.columns = {{"Name", "", 0}, {"From", "", 0}, {"Family", "", 0}};
  for (const Field field : kMaterialFields) {
    table.columns.push_back({std::string(FieldInfo(field).optionName), std::string(FieldInfo(field).unit)});
  }
  for (const Listed& listed : Everything(catalog)) {
    std::vector<Cell>& row = table.rows.emplace_back();
    row = {listed.material.name, std::string(listed.origin), listed.material.family};
    for (const double value : listed.material.values) row.emplace_back(value);
  }
  PrintTable(out, table, '.');
  out << "\nSources:\n";
  for (const Listed& listed : Everything(catalog)) {
    out << "  " << listed.material.name << '\n' << Wrapped(listed.material.source, "    ", 92);
    if (!listed.material.conversion.empty()) out << Wrapped("Conversion: " + listed.material.conversion, "    ", 92);
  }
  out << "\nLibrary: " << catalog.libraryFile.string() << "\nUser materials: " << catalog.userFile.string()
      << (catalog.user.empty() ? " (none)\n" : "\n");
}

void PrintMaterialsJson(const MaterialCatalog& catalog, std::ostream& out) {
  Json list = Json::array();
  for (const Listed& listed : Everything(catalog)) {
    const Material& m = listed.material;
    Json entry = {{"name", m.name}, {"family", m.family}, {"source", m.source}, {"conversion", m.conversion},
                  {"origin", listed.origin}};
    // Then everything the entry is saved with: the eight values, the pellets' solid-state data,
    // the highest processing temperature and a fit's window, where the material has them.
    const Json saved = MaterialEntryJson(m);
    for (const auto& [key, value] : saved.items()) {
      if (!entry.contains(key)) entry[key] = value;
    }
    list.push_back(std::move(entry));
  }
  out << JsonText(list);
}

}  // namespace

ExitCode MaterialsFromCommandLine(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
                                   std::string_view program) {
  if (const std::optional<FitSource> source = args.empty() ? std::nullopt : FindFitSource(args[0])) {
    const FitCommandLine line = ParseFitCommandLine(*source, {args.begin() + 1, args.end()});
    if (line.help) {
      out << HelpText(program, "materials " + args[0]);
      return kExitFinished;
    }
    return FitFromCommandLine(line, out, err);
  }
  bool json = false;
  for (const std::string& arg : args) {
    if (arg == "--help" || arg == "-h") {
      out << HelpText(program, "materials");
      return kExitFinished;
    }
    if (arg != "--json") throw UsageError::Of("materials takes --json, fit, from-cross-wlf or from-carreau, not '", arg, "'");
    json = true;
  }
  const MaterialCatalog catalog = LoadCatalog(err);
  if (json) {
    PrintMaterialsJson(catalog, out);
  } else {
    PrintMaterials(catalog, out);
  }
  return kExitFinished;
}

}  // namespace kelvado::cli
