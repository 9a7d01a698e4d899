// SPDX-License-Identifier: Apache-2.0
#include "cli/material_fit_options.h"

#include <cmath>

#include "cli/usage_error.h"
#include "solver/input.h"

namespace kelvado::cli {
namespace {

double NumberOption(const std::string& name, const std::string& text) {
  const std::optional<double> value = ParseNumber(text, '.');
  if (!value || !std::isfinite(*value)) throw UsageError::Of(name, " takes a number, not '", text, "'");
  return *value;
}

ValueRange WindowOption(const std::string& name, const std::string& text) {
  const std::size_t colon = text.find(':');
  if (colon == std::string::npos) throw UsageError::Of(name, " takes FROM:TO, not '", text, "'");
  const ValueRange range{NumberOption(name, text.substr(0, colon)), NumberOption(name, text.substr(colon + 1))};
  if (!(range.from <= range.to)) throw UsageError::Of(name, " takes FROM:TO with FROM at most TO, not '", text, "'");
  return range;
}

// A model parameter: its option, where it goes, and whether the command needs it.
struct Parameter {
  const char* option;
  double* value;
  bool required;
};

std::vector<Parameter> Parameters(FitCommandLine& line) {
  switch (line.source) {
    case FitSource::CrossWlf: {
      CrossWlf& m = line.crossWlf;
      return {{"--n", &m.n, true},   {"--tau-star", &m.tauStar, true}, {"--d1", &m.d1, true},
              {"--d2", &m.d2, true}, {"--a1", &m.a1, true},            {"--a2", &m.a2, true}};
    }
    case FitSource::Carreau: {
      Carreau& m = line.carreau;
      return {{"--eta0", &m.eta0, true}, {"--lambda", &m.lambda, true},    {"--n", &m.n, true},
              {"--a", &m.a, false},      {"--ref-temp", &m.refTempC, true}, {"--activation-energy", &m.activationEnergy, true}};
    }
    case FitSource::Data: break;
  }
  return {};
}

void CheckComplete(FitCommandLine& line, const std::vector<std::string>& given) {
  for (const Parameter& p : Parameters(line)) {
    if (p.required && std::find(given.begin(), given.end(), p.option) == given.end()) {
      throw UsageError::Of("the model needs ", p.option);
    }
  }
  if (line.source == FitSource::Data && line.dataFile.empty()) throw UsageError::Of("materials fit needs a CSV file");
  if (line.source != FitSource::Data) {
    if (!line.fit.shearRates || !line.fit.temps) throw UsageError::Of("the model is sampled over --shear-rate FROM:TO and --temp FROM:TO; give both");
    try {
      CheckSampleWindows(*line.fit.shearRates, *line.fit.temps, "--shear-rate", "--temp");
    } catch (const FitError& error) {
      throw UsageError::Of(error.what());
    }
  }
  const bool thermal = line.like || line.density || line.specificHeat || line.conductivity;
  if (!line.save && (line.name || thermal)) throw UsageError::Of("--name, --like and the thermal values go with --save");
  if (line.save && !line.name) throw UsageError::Of("--save needs --name NAME");
  if (line.save && !line.like && !(line.density && line.specificHeat && line.conductivity)) {
    throw UsageError::Of("--save needs the thermal values: --like MATERIAL, or --density, --specific-heat and --conductivity");
  }
}

}  // namespace

std::optional<FitSource> FindFitSource(const std::string& word) {
  if (word == "fit") return FitSource::Data;
  if (word == "from-cross-wlf") return FitSource::CrossWlf;
  if (word == "from-carreau") return FitSource::Carreau;
  return std::nullopt;
}

FitCommandLine ParseFitCommandLine(FitSource source, const std::vector<std::string>& args) {
  FitCommandLine line;
  line.source = source;
  std::vector<std::string> given;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg == "--help" || arg == "-h") {
      line.help = true;
      continue;
    }
    if (arg == "--save") {
      line.save = true;
      continue;
    }
    if (!arg.starts_with("--")) {
      if (source != FitSource::Data || !line.dataFile.empty()) throw UsageError::Of("unexpected argument '", arg, "'");
      line.dataFile = arg;
      continue;
    }
    const std::size_t equals = arg.find('=');
    const std::string name = arg.substr(0, equals);
    std::string value;
    if (equals != std::string::npos) {
      value = arg.substr(equals + 1);
    } else if (i + 1 < args.size()) {
      value = args[++i];
    } else {
      throw UsageError::Of(name, " needs a value");
    }
    given.push_back(name);
    const std::vector<Parameter> parameters = Parameters(line);
    const auto parameter = std::find_if(parameters.begin(), parameters.end(), [&](const Parameter& p) { return p.option == name; });
    if (parameter != parameters.end()) {
      *parameter->value = NumberOption(name, value);
    } else if (name == "--reference-temp") {
      line.fit.referenceTemp = NumberOption(name, value);
    } else if (name == "--reference-shear-rate") {
      line.fit.referenceShearRate = NumberOption(name, value);
      if (!(line.fit.referenceShearRate > 0)) throw UsageError::Of("--reference-shear-rate must be above zero");
    } else if (name == "--shear-rate") {
      line.fit.shearRates = WindowOption(name, value);
    } else if (name == "--temp") {
      line.fit.temps = WindowOption(name, value);
    } else if (name == "--json") {
      line.jsonFile = value;
    } else if (name == "--name") {
      line.name = value;
    } else if (name == "--like") {
      line.like = value;
    } else if (name == "--density") {
      line.density = NumberOption(name, value);
    } else if (name == "--specific-heat") {
      line.specificHeat = NumberOption(name, value);
    } else if (name == "--conductivity") {
      line.conductivity = NumberOption(name, value);
    } else {
      throw UsageError::Of("unknown option '", name, "'");
    }
  }
  if (!line.help) CheckComplete(line, given);
  return line;
}

std::string FitUsage(std::string_view program, FitSource source) {
  constexpr std::string_view kRest[] = {
      " materials fit FILE.csv [FIT OPTIONS]\n",
      " materials from-cross-wlf --n N --tau-star PA --d1 PA_S --d2 K --a1 A1 --a2 K\n"
      "           --shear-rate FROM:TO --temp FROM:TO [FIT OPTIONS]\n",
      " materials from-carreau --eta0 PA_S --lambda S --n N [--a A] --ref-temp C\n"
      "           --activation-energy J_PER_MOL --shear-rate FROM:TO --temp FROM:TO [FIT OPTIONS]\n"};
  return std::string(program).append(kRest[static_cast<int>(source)]);
}

std::string FitUsageLines(std::string_view program) {
  std::string text;
  for (const FitSource source : {FitSource::Data, FitSource::CrossWlf, FitSource::Carreau}) {
    text.append("       ").append(FitUsage(program, source));
  }
  return text;
}

std::string FitCommandsHelp() {
  return "materials fit fits the power law eta = eta0 (gamma/gamma0)^(n-1) exp(-b (T - T0)) to\n"
         "measured viscosities by least squares on ln eta. FILE.csv has a header naming its columns:\n"
         "temp_C, shear_rate_per_s and viscosity_Pa_s or viscosity_gf_s_per_cm2 (any order, other\n"
         "columns ignored, ',' or ';' between cells, a decimal comma only with ';'); every line has\n"
         "as many cells as the header, a cell may be in double quotes. from-cross-wlf and\n"
         "from-carreau sample a data sheet's model (SI units, temperatures in C, D2 and A2 in K) on\n"
         "20 log-spaced shear rates and 5 temperatures over the windows, ends included (each window\n"
         "FROM below TO, above zero and above -273.15 C), and fit those points alike. A fit that\n"
         "gives a value a run refuses, or n above 1, is refused as improper input (status 3).\n"
         "Fit options:\n"
         "  --shear-rate FROM:TO       fit only the points inside (1/s); the models' sampling range\n"
         "  --temp FROM:TO             fit only the points inside (C); the models' sampling range\n"
         "  --reference-temp T0        default: the middle of the points' temperatures\n"
         "  --reference-shear-rate G0  default 100 1/s\n"
         "  --json FILE                write the fit as JSON\n"
         "  --save --name NAME         keep the fit among the user's materials, with the thermal\n"
         "                             values of --like MATERIAL or of --density, --specific-heat\n"
         "                             and --conductivity (the program's units; these win over\n"
         "                             --like's)\n";
}

}  // namespace kelvado::cli
