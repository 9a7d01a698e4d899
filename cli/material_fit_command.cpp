#include "cli/material_fit_command.h"

#include <cstdio>
#include <filesystem>

#include "case/compose.h"
#include "cli/output_file.h"
#include "cli/usage_error.h"
#include "materials/viscosity_table.h"
#include "report/json_document.h"
#include "solver/units.h"

namespace kelvado::cli {
namespace {

std::string G(double value, int digits = 6) {
  char text[48];
  std::snprintf(text, sizeof text, "%.*g", digits, value);
  return text;
}

std::string Range(const ValueRange& r) { return G(r.from) + " to " + G(r.to); }

std::string Percent(double fraction) {
  char text[32];
  std::snprintf(text, sizeof text, "%.2f %%", 100 * fraction);
  return text;
}

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
                "a Cross-WLF model (n = " + G(m.n) + ", tau* = " + G(m.tauStar) + " Pa, D1 = " + G(m.d1) +
                    " Pa.s, D2 = " + G(m.d2) + " K, A1 = " + G(m.a1) + ", A2 = " + G(m.a2) + " K) sampled"};
      }
      case FitSource::Carreau: {
        const Carreau& m = line.carreau;
        CheckModel(m);
        return {FitSampled([&m](double t, double g) { return CarreauViscosity(m, t, g); }, line, "the Carreau model"),
                "a Carreau model (eta0 = " + G(m.eta0) + " Pa.s, lambda = " + G(m.lambda) + " s, n = " + G(m.n) +
                    ", a = " + G(m.a) + ", Tref = " + G(m.refTempC) + " C, E = " + G(m.activationEnergy) +
                    " J/mol) sampled"};
      }
    }
  } catch (const FitError& error) {
    throw UsageError::Of(error.what());
  }
  throw UsageError::Of("nothing to fit");
}

std::string SourceText(const Fitted& f) {
  return "Power law fitted by kelvado-cli to " + f.what + ": " + std::to_string(f.fit.points) + " points, " +
         Range(f.fit.tempRange) + " C, " + Range(f.fit.shearRateRange) + " 1/s; worst viscosity error " +
         Percent(f.fit.worstRelativeError) + ", R2 of ln eta " + G(f.fit.rSquared, 5) + ".";
}

void Print(const Fitted& f, std::ostream& out) {
  const PowerLawFit& fit = f.fit;
  out << "Power law fitted to " << f.what << ": " << fit.points << " points, " << Range(fit.tempRange) << " \u00B0C, "
      << Range(fit.shearRateRange) << " 1/s\n"
      << "  eta0 (std-viscosity)    " << G(fit.eta0) << " gf.s/cm2 = " << G(fit.eta0 * kPascalSecondPerGfSecondPerCm2)
      << " Pa.s\n"
      << "  n    (power-index)      " << G(fit.n) << '\n'
      << "  b    (temp-coeff)       " << G(fit.b) << " 1/\u00B0C\n"
      << "  T0   (std-temp)         " << G(fit.referenceTemp) << " \u00B0C\n"
      << "  G0   (std-shear-rate)   " << G(fit.referenceShearRate) << " 1/s\n"
      << "  R\u00B2 of ln eta           " << G(fit.rSquared, 5) << '\n'
      << "  worst viscosity error   " << Percent(fit.worstRelativeError) << '\n';
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

Material ToSave(const FitCommandLine& line, const Fitted& f) {
  std::array<double, 3> thermal{};
  std::string conversion = "Least squares on ln eta, every point alike; 1 gf.s/cm2 = 98.0665 Pa.s.";
  if (line.like) {
    const Material like = FindMaterial(*line.like);
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
  Material m = FittedMaterial(f.fit, *line.name, thermal[0], thermal[1], thermal[2], SourceText(f));
  m.conversion = conversion;
  return m;
}

}  // namespace

ExitCode FitFromCommandLine(const FitCommandLine& line, std::ostream& out, std::ostream& err) {
  if (line.jsonFile) {
    try {
      RefuseSpecialFile(*line.jsonFile);
    } catch (const OutputError& error) {
      err << error.what() << '\n';
      return kExitFileNotOpened;
    }
  }
  const Fitted fitted = Fit(line);
  // Everything that can refuse the material is asked before anything is written.
  std::optional<Material> material;
  MaterialCatalog catalog;
  if (line.save) {
    material = ToSave(line, fitted);
    try {
      catalog = MaterialCatalog::Load();
    } catch (const MaterialError& error) {
      throw UsageError::Of(error.what());
    }
  }
  Print(fitted, out);
  for (const std::string& warning : fitted.fit.warnings) err << "warning: " << warning << '\n';
  if (material) {
    try {
      catalog.SaveUserMaterial(*material);
    } catch (const MaterialError& error) {
      throw UsageError::Of(error.what());
    }
    out << "Saved as '" << material->name << "' in " << catalog.userFile.string() << '\n';
  }
  if (line.jsonFile) {
    try {
      WriteWholeFile(*line.jsonFile, JsonText(FitJson(fitted.fit)));
    } catch (const OutputError& error) {
      err << error.what() << '\n';
      return kExitFileNotOpened;
    }
  }
  return kExitFinished;
}

}  // namespace kelvado::cli
