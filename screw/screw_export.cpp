// SPDX-License-Identifier: Apache-2.0
#include "screw/screw_export.h"

#include "report/csv.h"
#include "report/export.h"
#include "report/json_document.h"

namespace kelvado {
namespace {

Json Optional(const std::optional<double>& value) { return value ? Json(*value) : Json(nullptr); }

Json PlasticationJson(const Plastication& p) {
  Json starved = Json::array();
  for (const auto& [from, to] : p.starvedTurns) starved.push_back({{"fromTurn", from}, {"toTurn", to}});
  return {{"output_kg_per_hr", p.output},
          {"noPressureOutput_kg_per_hr", p.noPressureOutput},
          {"conveyingAngle_deg", Optional(p.conveyingAngleDeg)},
          {"peakSolidsPressure_kgf_per_cm2", p.peakSolidsPressure},
          {"peakSolidsPressureTurn", p.peakSolidsPressureTurn},
          {"meltingStartTurn", Optional(p.meltingStartTurn)},
          {"meltingEndTurn", Optional(p.meltingEndTurn)},
          {"unmeltedAtEnd", p.unmeltedAtEnd},
          {"limitedBy", p.limitedBy},
          {"starvedTurns", starved},
          {"maxFilmBrinkman", p.maxBrinkman},
          {"power_kW",
           {{"solidsConveying", p.solidsFrictionKW}, {"melting", p.meltingKW}, {"meltConveying", p.meltConveyingKW}}},
          {"energyBalance_kW",
           {{"barrelHeat", p.energy.barrelHeat},
            {"viscousWork", p.energy.viscousWork},
            {"enthalpyRise", p.energy.enthalpyRise},
            {"mismatch", p.energy.Mismatch()}}}};
}

}  // namespace

std::string PelletRunJson(const PelletRequest& request, const PelletOutcome& outcome) {
  Json document = Json::parse(RunJson(request.run, outcome.run));
  document["feed"] = "pellets";
  Json pellets = Json::object();
  for (const PelletFieldInfo& f : kPelletFields) pellets[std::string(f.name)] = request.pellet[f.field];
  document["pellets"] = pellets;
  Json profile = Json::array();
  for (const ScrewStep& s : outcome.profile) {
    Json step = {{"turn", s.turn},
                 {"stage", ScrewStageName(s.stage)},
                 {"solidBedRatio", s.solidBedRatio},
                 {"pressure_kgf_per_cm2", s.pressure},
                 {"meanMeltTemperature_C", Optional(s.meanMeltTemp)}};
    if (s.filmThickness) step["filmThickness_cm"] = *s.filmThickness;
    profile.push_back(step);
  }
  document["screwProfile"] = profile;
  document["plastication"] = PlasticationJson(outcome.plastication);
  return JsonText(document);
}

std::string ScrewProfileCsv(const PelletOutcome& outcome) {
  std::string csv;
  AppendCsvLine(csv, {"Turn", "Stage", "Solid bed ratio (-)", "Pressure (kgf/cm2)", "Mean melt temperature (\u00B0C)",
                      "Film thickness (cm)"});
  for (const ScrewStep& s : outcome.profile) {
    AppendCsvLine(csv, {CsvNumber(s.turn), ScrewStageName(s.stage), CsvNumber(s.solidBedRatio), CsvNumber(s.pressure),
                        s.meanMeltTemp ? CsvNumber(*s.meanMeltTemp) : "",
                        s.filmThickness ? CsvNumber(*s.filmThickness) : ""});
  }
  return csv;
}

}  // namespace kelvado
