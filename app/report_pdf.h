// SPDX-License-Identifier: Apache-2.0
#pragma once
// The report of a finished run as a PDF on A4 pages, written with Qt's own PDF writer: the
// case (inputs, flow model and die), the operating conditions, the outlet, the power balance, and
// the plots along the channel and across the outlet; each page with its number and the date.
#include <QDate>
#include <QString>
#include <string>
#include <vector>

#include "app/display_units.h"
#include "solver/run.h"

namespace report_pdf {

struct ReportContent {
  QString caseName;
  kelvado::InputTexts inputs;  // as the run read them
  char decimalSeparator = '.';
  kelvado::FlowModel flowModel = kelvado::FlowModel::Classic;
  std::vector<std::string> dieSections;  // the die the case carries, if any
  kelvado::RunOutcome outcome;  // a finished run, its steps kept for the plots
  display_units::PressureUnit pressureUnit = display_units::PressureUnit::KgfPerCm2;
  QDate date = QDate::currentDate();
};

// The case and its results; the plots along the channel; the outlet profiles.
inline constexpr int kReportPages = 3;

// Writes the report in full or not at all; on failure says why in *error.
bool WriteReportPdf(const ReportContent& content, const QString& path, QString* error = nullptr);

}  // namespace report_pdf
