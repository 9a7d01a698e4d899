// SPDX-License-Identifier: Apache-2.0
#include "cli/material_fit_command.h"

#include <filesystem>

#include "case/compose.h"
#include "files/output_file.h"
#include "cli/usage_error.h"
#include "cli/write_or_say.h"
#include "materials/viscosity_table.h"
#include "report/json_document.h"
#include "solver/input.h"
#include "solver/units.h"

namespace kelvado::cli {
namespace {

// The points to fit, and a description of where they came from for the saved material.
struct Fitted {
  PowerLawFit fit;
  std::string what;
};

// A model's windows are where it is sampled; every sampled point is fitted.
PowerLawFit FitSampled(const std::function<double(double, double)>& model, const FitCommandLine& line,
                       const std::string& name) {
  FitOptions sampled = line.fit;
  sampled.shearRates.reset(), sampled.temps.reset();
  return FitPowerLaw(SampleModel(model, *line.fit.shearRates, *line.fit.temps), sampled, name);
}

Fitted Fit(const FitCommandLine& line) {
  try {
    switch (line.source) {
      case FitSource::Data: {
        const std::vector<ViscosityPoint> points = ReadViscosityTable(line.dataFile);
        return {FitPowerLaw(points, line.fit, line.dataFile),
                "the data file " + std::filesystem::path(line.dataFile).filename().string()};
      }
      case FitSource::CrossWlf: {
        const CrossWlf& m = line.crossWlf;
        CheckModel(m);
        return {FitSampled([&m](double t, double g) { return CrossWlfViscosity(m, t, g); }, line, "the Cross-WLF model"),
                Describe(m)};
      }
      case FitSource::Carreau: {
        const Carreau& m = line.carreau;
        CheckModel(m);
        return {FitSampled([&m](double t, double g) { return CarreauViscosity(m, t, g); }, line, "the Carreau model"),
                Describe(m)};
      }
    }
  } catch (const FitError& error) {
    throw UsageError::Of(error.what());
  }
  throw UsageError::Of("nothing to fit");
}

void Print(const Fitted& f, std::ostream& out) {
  const PowerLawFit& fit = f.fit;
  out << "Power law fitted to " << f.what << ": " << fit.points << " points, " << FitRangeText(fit.tempRange) << " \u00B0C, "
      << FitRangeText(fit.shearRateRange) << " 1/s\n"
      << "  eta0 (std-viscosity)    " << ShortNumberText(fit.eta0) << " gf.s/cm2 = " << ShortNumberText(fit.eta0 * kPascalSecondPerGfSecondPerCm2)
      << " Pa.s\n"
      << "  n    (power-index)      " << ShortNumberText(fit.n) << '\n'
      << "  b    (temp-coeff)       " << ShortNumberText(fit.b) << " 1/\u00B0C\n"
      << "  T0   (std-temp)         " << ShortNumberText(fit.referenceTemp) << " \u00B0C\n"
      << "  G0   (std-shear-rate)   " << ShortNumberText(fit.referenceShearRate) << " 1/s\n"
      << "  R\u00B2 of ln eta           " << ShortNumberText(fit.rSquared) << '\n'
      << "  worst viscosity error   " << FitPercent(fit.worstRelativeError) << '\n';
}

Json FitJson(const PowerLawFit& fit) {
  Json warnings = Json::array();
  for (const std::string& w : fit.warnings) warnings.push_back(w);
  return Json{{"eta0_gf_s_per_cm2", fit.eta0},
              {"eta0_Pa_s", fit.eta0 * kPascalSecondPerGfSecondPerCm2},
              {"n", fit.n},
              {"b_per_C", fit.b},
              {"referenceTemp_C", fit.referenceTemp},
              {"referenceShearRate_per_s", fit.referenceShearRate},
              {"points", fit.points},
              {"tempRange_C", {fit.tempRange.from, fit.tempRange.to}},
              {"shearRateRange_per_s", {fit.shearRateRange.from, fit.shearRateRange.to}},
              {"rSquared", fit.rSquared},
              {"worstRelativeError", fit.worstRelativeError},
              {"warnings", warnings}};
}

Material ToSave(const FitCommandLine& line, const Fitted& f, const MaterialCatalog& catalog) {
  std::array<double, 3> thermal{};
  std::string conversion = kFitConversion;
  if (line.like) {
    const Material like = FindMaterial(*line.like, &catalog);
    thermal = {like.Value(Field::Density), like.Value(Field::SpecificHeat), like.Value(Field::Conductivity)};
    conversion += " Density, specific heat and conductivity of '" + like.name + "'";
  }
  const std::array<const std::optional<double>*, 3> given{&line.density, &line.specificHeat, &line.conductivity};
  for (std::size_t i = 0; i < given.size(); ++i) {
    if (*given[i]) thermal[i] = **given[i];
  }
  if (line.density || line.specificHeat || line.conductivity) {
    conversion += line.like ? ", the ones given on the command line over them." : " Thermal values given on the command line.";
  } else if (line.like) {
    conversion += ".";
  }
  Material m = FittedMaterial(f.fit, *line.name, thermal[0], thermal[1], thermal[2], FitSourceText(f.fit, f.what, "kelvado-cli"));
  m.conversion = conversion;
  return m;
}

// A fit whose material a run would refuse: improper input, as that run would end.
ExitCode Refused(const std::string& problem, std::ostream& err) {
  err << UsageError::Of(problem).what() << '\n';
  return kExitImproperInput;
}

}  // namespace

ExitCode FitFromCommandLine(const FitCommandLine& line, std::ostream& out, std::ostream& err) {
  if (line.jsonFile) {
    try {
      CheckOutputs({*line.jsonFile}, line.source == FitSource::Data ? std::vector{line.dataFile} : std::vector<std::string>{});
    } catch (const OutputError& error) {
      err << error.what() << '\n';
      return kExitFileNotOpened;
    }
  }
  const Fitted fitted = Fit(line);
  // Everything that can refuse the material is asked before anything is written: a fit is a
  // success only when a run takes what it gives.
  if (const std::optional<std::string> problem = FitProblem(fitted.fit, fitted.what)) return Refused(*problem, err);
  std::optional<Material> material;
  MaterialCatalog catalog;
  if (line.save) {
    try {
      catalog = MaterialCatalog::Load();
    } catch (const MaterialError& error) {
      throw UsageError::Of(error.what());
    }
    material = ToSave(line, fitted, catalog);
    if (const std::optional<std::string> problem = ThermalProblem(*material)) return Refused(*problem, err);
  }
  Print(fitted, out);
  for (const std::string& warning : fitted.fit.warnings) err << "warning: " << warning << '\n';
  if (material) {
    try {
      catalog.SaveUserMaterial(*material);
    } catch (const MaterialWriteError& error) {
      err << error.what() << '\n';
      return kExitFileNotOpened;
    } catch (const MaterialError& error) {
      throw UsageError::Of(error.what());
    }
    out << "Saved as '" << material->name << "' in " << catalog.userFile.string() << '\n';
  }
  ExitCode code = kExitFinished;
  if (line.jsonFile) WriteOrSay(line.jsonFile, JsonText(FitJson(fitted.fit)), err, code);
  return code;
}

}  // namespace kelvado::cli
