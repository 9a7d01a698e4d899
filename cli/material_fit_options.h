// SPDX-License-Identifier: Apache-2.0
#pragma once
// The command lines of `materials fit`, `materials from-cross-wlf` and
// `materials from-carreau`: what to fit, the windows and reference, and where the result goes.
#include <optional>
#include <string>
#include <vector>

#include "materials/viscosity_models.h"

namespace kelvado::cli {

enum class FitSource { Data, CrossWlf, Carreau };

struct FitCommandLine {
  FitSource source = FitSource::Data;
  bool help = false;
  std::string dataFile;  // fit: the CSV
  CrossWlf crossWlf;
  Carreau carreau;
  FitOptions fit;        // windows: a filter of the data, or the models' sampling ranges
  std::optional<std::string> jsonFile;
  bool save = false;
  std::optional<std::string> name;
  std::optional<std::string> like;  // the material whose thermal values the saved one takes
  std::optional<double> density, specificHeat, conductivity;  // win over --like's
};

// The source named by the first argument after `materials`, when it is one of the three.
std::optional<FitSource> FindFitSource(const std::string& word);

// Parses the arguments after `materials fit` (and the like). Throws UsageError for an
// unknown option, a value that is not a number, a missing model parameter or window, and
// --save without --name and the three thermal values.
FitCommandLine ParseFitCommandLine(FitSource source, const std::vector<std::string>& args);

// The usage of one of the three, without "Usage: ", and of all three as continuation lines.
std::string FitUsage(std::string_view program, FitSource source);
std::string FitUsageLines(std::string_view program);
std::string FitCommandsHelp();

}  // namespace kelvado::cli
