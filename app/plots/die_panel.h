// SPDX-License-Identifier: Apache-2.0
#pragma once
// The die and operating point page: a table of die sections, the screw speed and the output
// range; Run searches, in the background, for the output at which the screw's outlet
// pressure equals the die's pressure drop. The plot shows the screw's outlet pressure of
// every run the search made and the die's pressure drop against output, with the crossing
// marked and its numbers beside it, pressures in the unit the window shows. A screw run that
// did not finish is a gap with a mark and is listed by its output; one below zero is ringed.
// A search that finds no crossing says so and why; it never shows a point. The page's inputs
// are remembered between sessions.
#include <QWidget>
#include <memory>
#include <optional>
#include <vector>

#include "app/background_run.h"
#include "app/display_units.h"
#include "app/plots/status_marks.h"
#include "app/plots/characteristic_panel.h"
#include "solver/operating_point.h"

class QChartView;
class QDoubleSpinBox;
class QLabel;
class QLineEdit;
class QLineSeries;
class QPushButton;
class QScatterSeries;
class QTableWidget;
class QValueAxis;
class WindowDialogs;

class DiePanel : public QWidget {
  Q_OBJECT

 public:
  // The screw runs start from the inputs and flow model the source gives; what is wrong with
  // the page's inputs is said through the dialogs, which must outlive the page.
  DiePanel(WindowDialogs& dialogs, CharacteristicPanel::BaseSource source, QWidget* parent = nullptr);
  // Remembers the page's inputs; a search still going is cancelled and waited for.
  ~DiePanel() override;

  QChartView* view() const { return view_; }
  bool isRunning() const { return run_.isRunning(); }
  // A crossing was found and is drawn.
  bool hasPoint() const;
  // The last search; valid once finished() has been emitted.
  const kelvado::OperatingPointResult& result() const { return result_; }

  // Replaces the table's rows by these sections.
  void setSections(const std::vector<kelvado::DieSection>& sections);
  // The sections as die texts, when every row makes one; a case's die texts shown (one that
  // can not be read is left out).
  std::optional<std::vector<std::string>> sectionTexts() const;
  void showSectionTexts(const std::vector<std::string>& texts);
  // Every row as shown (the section's type, then its cells as typed); put back, they are an
  // edit of the user's (sectionsEdited).
  QList<QStringList> cellTexts() const;
  void restoreCellTexts(const QList<QStringList>& rows);
  void setRpm(double rpm);
  // The unit of the plot's pressures and of the numbers beside it; what is shown is shown again.
  void setPressureUnit(display_units::PressureUnit unit);
  // Outputs in kg/hr as typed; both empty: the default range.
  void setOutputRange(const QString& from, const QString& to);
  // What Run does: checks the sections and the output range (a message for the first thing
  // wrong, and nothing is run), then starts the search. Returns whether it started.
  bool run();
  void cancel();
  // Takes the search's results off the page, as before any search: those of another case are
  // no one's. A search still going is cancelled and its results dropped when it ends.
  void clearResults();

 signals:
  // After each screw run of the search, with the number made so far.
  void progressed(int runsMade);
  // A row was added, removed or changed.
  void sectionsEdited();
  void finished();

 private:
  void addRow(const kelvado::DieSection& section);
  void fillNewRow(const kelvado::DieSection& section);
  void showShape(int row);
  kelvado::DieSection sectionOfRow(int row) const;  // throws kelvado::DieInputError
  std::optional<double> numberIn(const QString& text) const;
  QString number(double value, int decimals) const;
  // A pressure in kgf/cm2 as shown: in the unit, with its label.
  QString pressure(double kgfPerCm2) const;
  void showResult();
  void drawCurves();
  void rememberInputs() const;

  WindowDialogs& dialogs_;
  CharacteristicPanel::BaseSource source_;
  char separator_;  // the window's decimal separator, as of the last Run
  QTableWidget* table_ = nullptr;
  QDoubleSpinBox* rpm_ = nullptr;
  QLineEdit* from_ = nullptr;
  QLineEdit* to_ = nullptr;
  QPushButton* runButton_ = nullptr;
  QPushButton* cancel_ = nullptr;
  QLabel* status_ = nullptr;
  QLabel* numbers_ = nullptr;
  QChartView* view_ = nullptr;
  QValueAxis* outputAxis_ = nullptr;
  QValueAxis* pressureAxis_ = nullptr;
  QScatterSeries* screwRuns_ = nullptr;
  QLineSeries* die_ = nullptr;
  QScatterSeries* point_ = nullptr;
  std::unique_ptr<plots::GappedLine> screwLine_;
  QScatterSeries* belowZero_ = nullptr;
  QScatterSeries* failed_ = nullptr;
  display_units::PressureUnit unit_ = display_units::PressureUnit::KgfPerCm2;

  kelvado::OperatingPointRequest request_;  // of the last search
  std::optional<kelvado::Die> searchedDie_;
  kelvado::OperatingPointResult result_;
  bool dropWhenDone_ = false;  // the search going was cancelled by clearResults
  // Last, so that a search still running ends before what it writes to is gone.
  BackgroundRun run_;
};
