// SPDX-License-Identifier: Apache-2.0
#pragma once
// Case files: the seventeen inputs, the flow model and the die, written as the inputs file
// that `kelvado-cli --inputs` reads (one `option-name = text` line each), so that a case
// saved in the window runs unchanged on the command line and an inputs file opens in the
// window. Reading goes through the one inputs-file parser (case/inputs_file.h) and the one
// composition order (case/compose.h).
#include <optional>
#include <string>
#include <vector>

#include "case/fields.h"
#include "materials/material_library.h"
#include "solver/input.h"
#include "solver/run.h"

namespace kelvado {

// What a case holds. The input texts are as the window shows them, with its decimal
// separator; the file always has the point, whatever the separator of the one who saved it.
struct CaseData {
  InputTexts inputs;
  FlowModel flowModel = FlowModel::Classic;
  std::vector<std::string> dieSections;  // `die = SECTION` lines, in order
  std::vector<std::string> zones;        // `zone = TEXT` lines, from the hopper side
  // `rpm = R`: the screw speed that drives the run (a screw of zones needs one), with the
  // separator as the fields have it.
  std::optional<std::string> rpm;
  // The material the eight material fields came from, when they came from one; its values are
  // written too, so the name is a record, not a need.
  std::optional<std::string> material;
  // The highest processing temperature of the material looked up for the fields, if it gives one.
  std::optional<double> maxProcessingTemp;
  // The window the looked-up material's viscosity was fitted over, if it records one.
  std::optional<FittedWindow> fittedWindow;
  // How the screw is fed, and a pellet feed's values as texts (the grade's from the material,
  // where it has them, under the file's and the options').
  Feed feed = Feed::Melt;
  PelletTexts pellet;

  bool operator==(const CaseData&) const = default;
};

inline constexpr const char* kCaseFileSuffix = "kvcase";

// The default case: the window's default texts with the separator, the classic model, no die.
CaseData DefaultCase(char decimalSeparator);

// The first field whose text is not a number with the separator, if any: such a case is not
// written, since no front end could read it back.
std::optional<Field> FirstImproperField(const InputTexts& inputs, char decimalSeparator);

// The text of the case file: every field, the flow model, the material's name when there is
// one and the die, numbers with the point.
// The fields must all be numbers (see FirstImproperField).
std::string CaseFileText(const CaseData& data, char decimalSeparator);

// Reads a case file or any inputs file of the command line; fields it does not give keep
// their default texts, as on the command line. Numbers may be written with a point or a
// comma and come back with `decimalSeparator`. A material it names fills the fields it leaves
// out (ComposeCase, from `catalog` or the installed materials). Throws InputError naming the
// file, and the line where there is one, for a file that cannot be read, a malformed or
// unknown line, a field that is not a number, a material needed but unknown, or a file that
// names nothing at all.
CaseData ReadCaseFile(const std::string& path, char decimalSeparator, const MaterialCatalog* catalog = nullptr);

}  // namespace kelvado
