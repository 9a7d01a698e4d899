// SPDX-License-Identifier: Apache-2.0
#include "app/plots/characteristic_panel.h"

#include <QChart>
#include <QChartView>
#include <QDoubleSpinBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineSeries>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>
#include <QValueAxis>
#include <algorithm>
#include <cmath>
#include <utility>

#include "case/case_plan.h"
#include "app/plots/plot_chart.h"
#include "app/plots/status_marks.h"

namespace {

const QString kIntroduction =
    QStringLiteral("The other inputs are the window's; each output runs at the flow rate that gives this screw speed.");

// The same limit as the command line's.
constexpr int kMaxCases = static_cast<int>(kelvado::kMaxSweepCases);

QDoubleSpinBox* NumberBox(const QString& name, const QString& tip, double low, double high, double value,
                          int decimals) {
  auto* box = new QDoubleSpinBox;
  box->setObjectName(name);
  box->setRange(low, high);
  box->setDecimals(decimals);
  box->setValue(value);
  box->setToolTip(QStringLiteral("%1; allowed: %2 to %3").arg(tip, QString::number(low), QString::number(high)));
  // As with the file name: clicked into, never reached by Tab from the inputs.
  box->setFocusPolicy(Qt::ClickFocus);
  return box;
}

QString Number(double value) { return QString::number(value, 'g', 6); }

}  // namespace

CharacteristicPanel::CharacteristicPanel(BaseSource source, QWidget* parent)
    : QWidget(parent), source_(std::move(source)) {
  setObjectName(QStringLiteral("CharacteristicPanel"));
  // Around the default case: 60 kg/hr needs about 86 rpm.
  rpm_ = NumberBox(QStringLiteral("CharacteristicRpm"), QStringLiteral("Screw speed of every case, in rpm"), 0.1, 10000,
                   90, 1);
  from_ = NumberBox(QStringLiteral("CharacteristicFrom"), QStringLiteral("The first output, in kg/hr"), 0.1, 100000, 45, 1);
  to_ = NumberBox(QStringLiteral("CharacteristicTo"), QStringLiteral("The last output, in kg/hr"), 0.1, 100000, 75, 1);
  count_ = new QSpinBox;
  count_->setObjectName(QStringLiteral("CharacteristicCount"));
  count_->setRange(1, kMaxCases);
  count_->setValue(7);
  count_->setToolTip(QStringLiteral("How many outputs, evenly spaced, both ends included; allowed: 1 to %1").arg(kMaxCases));
  count_->setFocusPolicy(Qt::ClickFocus);
  calculate_ = new QPushButton(QStringLiteral("Run"));
  calculate_->setObjectName(QStringLiteral("CharacteristicCalculate"));
  calculate_->setFocusPolicy(Qt::NoFocus);
  connect(calculate_, &QPushButton::clicked, this,
          [this] { calculate(rpm_->value(), from_->value(), to_->value(), count_->value()); });

  // Two short rows: the page must not make the window wider than the other pages do.
  auto* controls = new QGridLayout;
  controls->addWidget(new QLabel(QStringLiteral("Screw speed (rpm)")), 0, 0);
  controls->addWidget(rpm_, 0, 1);
  controls->addWidget(calculate_, 0, 3, 1, 4, Qt::AlignRight);
  controls->addWidget(new QLabel(QStringLiteral("Output (kg/hr)")), 1, 0);
  controls->addWidget(from_, 1, 1);
  controls->addWidget(new QLabel(QStringLiteral("to")), 1, 2);
  controls->addWidget(to_, 1, 3);
  controls->addWidget(new QLabel(QStringLiteral("in")), 1, 4);
  controls->addWidget(count_, 1, 5);
  controls->addWidget(new QLabel(QStringLiteral("cases")), 1, 6);
  controls->setColumnStretch(7, 1);

  status_ = new QLabel(kIntroduction);
  status_->setObjectName(QStringLiteral("CharacteristicStatus"));
  status_->setWordWrap(true);

  QChart* chart = plots::MakeBlankChart(QStringLiteral("characteristic"), QStringLiteral("Screw characteristic"));
  outputAxis_ = plots::AddAxis(chart, QStringLiteral("Output (kg/hr)"), Qt::AlignBottom);
  pressureAxis_ = plots::AddAxis(chart, QStringLiteral("kgf/cm\u00b2"), Qt::AlignLeft);
  temperatureAxis_ = plots::AddAxis(chart, QStringLiteral("\u00b0C"), Qt::AlignRight);
  QLineSeries* pressure = plots::AddCurve(chart, QStringLiteral("Outlet pressure"), outputAxis_, pressureAxis_);
  QLineSeries* temperature =
      plots::AddCurve(chart, QStringLiteral("Mean outlet temperature"), outputAxis_, temperatureAxis_);
  pressureLine_ = std::make_unique<plots::GappedLine>(chart, pressure, outputAxis_, pressureAxis_);
  temperatureLine_ = std::make_unique<plots::GappedLine>(chart, temperature, outputAxis_, temperatureAxis_);
  belowZero_ = plots::AddMarks(chart, plots::Mark::BelowZero, outputAxis_, pressureAxis_);
  failed_ = plots::AddMarks(chart, plots::Mark::Failed, outputAxis_, pressureAxis_);
  view_ = new QChartView(chart);
  view_->setObjectName(QStringLiteral("CharacteristicPlot"));
  view_->setRenderHint(QPainter::Antialiasing);
  view_->setFocusPolicy(Qt::NoFocus);
  view_->setMinimumSize(260, 170);

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(2, 2, 2, 2);
  layout->addLayout(controls);
  layout->addWidget(status_);
  layout->addWidget(view_, 1);

  connect(&run_, &BackgroundRun::finished, this, [this] {
    calculate_->setEnabled(true);
    if (std::exchange(dropWhenDone_, false)) {
      clearResults();
    } else {
      showResults();
    }
    emit calculated();
  });
}

CharacteristicPanel::~CharacteristicPanel() = default;

bool CharacteristicPanel::hasResults() const { return !pressureLine_->points().isEmpty(); }

void CharacteristicPanel::calculate(double rpm, double fromOutput, double toOutput, int count) {
  if (isCalculating()) return;
  const Base base = source_();
  if (!base.zoneProblem.isEmpty()) {
    status_->setText(base.zoneProblem);
    return;
  }
  rpmRun_ = rpm;
  outputs_ = kelvado::EvenlySpaced(fromOutput, toOutput, static_cast<std::size_t>(std::clamp(count, 1, kMaxCases)));
  results_.clear();
  calculate_->setEnabled(false);
  status_->setText(QStringLiteral("Calculating %1 cases at %2 rpm...").arg(outputs_.size()).arg(Number(rpm)));

  kelvado::SweepOptions options;
  options.decimalSeparator = base.decimalSeparator;
  options.flowModel = base.flowModel;
  options.progress = [this](std::size_t done, std::size_t total) {
    run_.post([this, done, total] {
      if (isCalculating()) status_->setText(QStringLiteral("Calculating: %1 of %2 cases done...").arg(done).arg(total));
    });
  };
  run_.start([this, options, cases = kelvado::MadeUpFront(kelvado::CharacteristicCases(base.inputs, outputs_, rpm,
                                                                                 base.decimalSeparator, base.zones))
                                .cases](
                 const std::atomic<bool>& cancel) mutable {
    options.cancel = &cancel;
    results_ = kelvado::RunSweep(cases, options);
  });
}

void CharacteristicPanel::clearResults() {
  if (isCalculating()) {
    dropWhenDone_ = true;
    run_.cancel();
    return;
  }
  outputs_.clear();
  results_.clear();
  pressureLine_->replace({{}});
  temperatureLine_->replace({{}});
  plots::SetMarks(belowZero_, {});
  plots::SetMarks(failed_, {});
  plots::ClearChart(view_->chart());
  view_->chart()->setTitle(QStringLiteral("Screw characteristic"));
  status_->setText(kIntroduction);
}

void CharacteristicPanel::setPressureUnit(display_units::PressureUnit unit) {
  unit_ = unit;
  pressureAxis_->setTitleText(display_units::Label(unit));
  if (!results_.empty() && !isCalculating()) showResults();
}

void CharacteristicPanel::showResults() {
  // A case that did not finish breaks both lines and is marked on the zero line.
  QList<QList<QPointF>> pressure{{}}, temperature{{}};
  QList<QPointF> shown, belowZero, failed;
  QStringList failures;
  for (std::size_t i = 0; i < results_.size(); ++i) {
    const kelvado::SweepResult& r = results_[i];
    if (r.status != kelvado::RunStatus::Finished) {
      failures << QStringLiteral("%1 kg/hr (%2)").arg(Number(outputs_[i]), kelvado::StatusName(r.status));
      failed << QPointF(outputs_[i], 0);
      if (!pressure.back().isEmpty()) {
        pressure.append(QList<QPointF>());
        temperature.append(QList<QPointF>());
      }
      continue;
    }
    const QPointF p(outputs_[i], display_units::FromKgfPerCm2(r.summary.OutletPressure, unit_));
    pressure.back() << p;
    temperature.back() << QPointF(outputs_[i], r.summary.AvgTemp);
    shown << p;
    if (p.y() < 0) belowZero << p;
  }
  QChart* chart = view_->chart();
  chart->setTitle(QStringLiteral("Screw characteristic at %1 rpm").arg(Number(rpmRun_)));
  if (shown.isEmpty()) plots::ClearChart(chart);
  pressureLine_->replace(pressure);
  temperatureLine_->replace(temperature);
  plots::SetMarks(belowZero_, belowZero);
  plots::SetMarks(failed_, failed);
  if (!outputs_.empty() && !results_.empty()) {
    const auto [xLow, xHigh] = std::minmax_element(outputs_.begin(), outputs_.end());
    // A little room at both ends, so that a mark on the first or last case shows whole.
    const double pad = (*xHigh - *xLow) * 0.03;
    plots::FitPositionAxis(outputAxis_, *xLow - pad, *xHigh + pad);
  }
  if (!shown.isEmpty()) {
    const QList<QPointF> temperatures = temperatureLine_->points();
    auto byY = [](QPointF a, QPointF b) { return a.y() < b.y(); };
    const auto [pLow, pHigh] = std::minmax_element(shown.begin(), shown.end(), byY);
    const auto [tLow, tHigh] = std::minmax_element(temperatures.begin(), temperatures.end(), byY);
    // Zero pressure is where the screw stops building any: it stays in sight.
    plots::FitValueAxis(pressureAxis_, std::min(pLow->y(), 0.0), std::max(pHigh->y(), 0.0));
    plots::FitValueAxis(temperatureAxis_, tLow->y(), tHigh->y());
  }
  status_->setText(QStringLiteral("%1 of %2 cases at %3 rpm finished%4.")
                       .arg(shown.size())
                       .arg(results_.size())
                       .arg(Number(rpmRun_))
                       .arg(failures.isEmpty() ? QString() : QStringLiteral("; did not finish at ") + failures.join(QStringLiteral(", "))));
}
