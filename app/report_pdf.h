// SPDX-License-Identifier: Apache-2.0
#pragma once
// The report of a finished run as a PDF on A4 pages, written with Qt's own PDF writer: the
// case (inputs, material, flow model and die), the operating conditions, the outlet, the power
// balance; the material's source, the die's operating point and a screw's zones over the plots
// along the channel; the plots across the outlet; each page with its number, the date and the version.
#include <QDate>
#include <QString>
#include <optional>
#include <string>
#include <vector>

#include "app/display_units.h"
#include "case/fields.h"
#include "screw/pellet_screw.h"
#include "solver/operating_point.h"
#include "solver/run.h"

namespace report_pdf {

// Today; or, for pictures and builds made again byte for byte, the day SOURCE_DATE_EPOCH (the
// seconds since 1970, UTC) falls on.
QDate ReportDate();

struct ReportContent {
  QString caseName;
  kelvado::InputTexts inputs;  // as the run read them
  char decimalSeparator = '.';
  kelvado::FlowModel flowModel = kelvado::FlowModel::Classic;
  std::vector<std::string> dieSections;  // the die the case carries, if any
  QString material;        // the material's name, or "Custom"
  QString materialSource;  // where the material's numbers come from; empty for "Custom"
  // The die page's operating point, when it found one: its pressure drop and point are reported
  // with every warning of the search.
  std::optional<kelvado::OperatingPointResult> operatingPoint;
  kelvado::RunOutcome outcome;  // a finished run, its steps kept for the plots
  // A run fed with pellets: the pellets' values as the run read them, and its stages.
  struct Pellets {
    kelvado::PelletTexts values;
    kelvado::Plastication plastication;
    double turns = 0;  // of the whole screw
  };
  std::optional<Pellets> pellets;
  display_units::PressureUnit pressureUnit = display_units::PressureUnit::KgfPerCm2;
  QDate date = ReportDate();
};

// The case and its results; the plots along the channel; the outlet profiles.
inline constexpr int kReportPages = 3;

// Writes the report in full or not at all; on failure says why in *error.
bool WriteReportPdf(const ReportContent& content, const QString& path, QString* error = nullptr);

}  // namespace report_pdf
