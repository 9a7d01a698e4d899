// SPDX-License-Identifier: Apache-2.0
#pragma once
// The screw characteristic page: a screw speed and a range of outputs, Run, and the
// outlet pressure and mean temperature against output. The cases run on the cores in the
// background; the window stays usable meanwhile. A case that does not finish is a gap with a
// mark, and the line under the boxes lists every such output.
#include <QWidget>
#include <functional>
#include <optional>
#include <memory>
#include <vector>

#include "app/background_run.h"
#include "app/display_units.h"
#include "app/plots/status_marks.h"
#include "solver/sweep.h"

class QChartView;
class QDoubleSpinBox;
class QLabel;
class QPushButton;
class QScatterSeries;
class QSpinBox;
class QValueAxis;

class CharacteristicPanel : public QWidget {
  Q_OBJECT

 public:
  // The inputs the cases start from, the decimal separator they are written with, the
  // flow model they run in and the screw's zones, if any; or what is wrong with the zones.
  struct Base {
    kelvado::InputTexts inputs;
    char decimalSeparator = '.';
    kelvado::FlowModel flowModel = kelvado::FlowModel::Classic;
    std::vector<kelvado::ScrewZone> zones{};
    QString zoneProblem{};  // set: nothing is run, this is said
    // The material's limits, where it gives them: the runs warn past them.
    std::optional<double> maxProcessingTemp{};
    std::optional<kelvado::FittedWindow> fittedWindow{};
  };
  using BaseSource = std::function<Base()>;

  explicit CharacteristicPanel(BaseSource source, QWidget* parent = nullptr);
  // A calculation still going is cancelled and waited for.
  ~CharacteristicPanel() override;

  QChartView* view() const { return view_; }
  bool isCalculating() const { return run_.isRunning(); }
  bool hasResults() const;
  // The outputs and outcomes of the last calculation, case by case.
  const std::vector<double>& outputs() const { return outputs_; }
  const std::vector<kelvado::SweepResult>& results() const { return results_; }

  // What the Run button does: runs one case per output at the screw speed (with the case's
  // zones, when it has some).
  void calculate(double rpm, double fromOutput, double toOutput, int count);

  // Takes the results off the page, as before any calculation: those of another case are no
  // one's. A calculation still going is cancelled and its results dropped when it ends.
  void clearResults();

  // The unit of the outlet pressure axis; what is drawn is drawn again in it.
  void setPressureUnit(display_units::PressureUnit unit);

 signals:
  void calculated();

 private:
  void showResults();

  BaseSource source_;
  QDoubleSpinBox* rpm_ = nullptr;
  QDoubleSpinBox* from_ = nullptr;
  QDoubleSpinBox* to_ = nullptr;
  QSpinBox* count_ = nullptr;
  QPushButton* calculate_ = nullptr;
  QLabel* status_ = nullptr;
  QChartView* view_ = nullptr;
  QValueAxis* outputAxis_ = nullptr;
  QValueAxis* pressureAxis_ = nullptr;
  QValueAxis* temperatureAxis_ = nullptr;
  std::unique_ptr<plots::GappedLine> pressureLine_;
  std::unique_ptr<plots::GappedLine> temperatureLine_;
  QScatterSeries* belowZero_ = nullptr;
  QScatterSeries* failed_ = nullptr;

  display_units::PressureUnit unit_ = display_units::PressureUnit::KgfPerCm2;
  double rpmRun_ = 0;
  std::vector<double> outputs_;
  std::vector<kelvado::SweepResult> results_;
  bool dropWhenDone_ = false;  // the calculation going was cancelled by clearResults
  // Last, so that cases still running end before what they write to is gone.
  BackgroundRun run_;
};
