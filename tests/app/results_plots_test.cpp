// SPDX-License-Identifier: Apache-2.0
// The plots beside the inputs: what a run puts in them, what a run that did not finish
// leaves, and the pictures they are saved as.
#include <QAction>
#include <QChart>
#include <QChartView>
#include <QDir>
#include <QDoubleSpinBox>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QLineSeries>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <QValueAxis>
#include <QCategoryAxis>
#include <QLegend>
#include <QLegendMarker>
#include <cmath>
#include <memory>

#include "report/results_file.h"

#include "app/folder_chooser.h"
#include "app/main_window.h"
#include "app/plots/plot_data.h"
#include "app/plots/plot_picture.h"
#include "app/plots/results_plots.h"
#include "app/qt_services.h"
#include "solver/input_fields.h"
#include "tests/app/window_harness.h"

using plots::PlotId;

namespace {

using window_harness::kRunTimeoutMs;

QList<QLineSeries*> Curves(const QChart* chart) {
  QList<QLineSeries*> curves;
  for (QAbstractSeries* s : chart->series()) curves << qobject_cast<QLineSeries*>(s);
  return curves;
}

QValueAxis* AxisOf(const QChart* chart, Qt::Orientation orientation) {
  return qobject_cast<QValueAxis*>(chart->axes(orientation).value(0));
}

QList<QPointF> Points(const QChart* chart, int curve) { return Curves(chart)[curve]->points(); }

// Every curve of the plot has `count` points, ascending in x, and the axes show all of them.
void CheckShown(const QChart* chart, qsizetype count) {
  const QValueAxis* xAxis = AxisOf(chart, Qt::Horizontal);
  const QValueAxis* yAxis = AxisOf(chart, Qt::Vertical);
  for (const QLineSeries* curve : Curves(chart)) {
    const QList<QPointF> points = curve->points();
    QCOMPARE(points.size(), count);
    for (qsizetype i = 0; i < points.size(); ++i) {
      QVERIFY(i == 0 || points[i - 1].x() < points[i].x());
      QVERIFY(xAxis->min() <= points[i].x() && points[i].x() <= xAxis->max());
      QVERIFY(yAxis->min() <= points[i].y() && points[i].y() <= yAxis->max());
    }
  }
}

// A number as the results file prints it ("223.68", "-7.0016E-01"), and half a unit of its
// last printed digit: how far the value it stands for may lie from it.
struct Printed {
  double value = 0;
  double halfUnit = 0;
};

Printed ParsePrinted(const QByteArray& text) {
  const qsizetype e = text.indexOf('E');
  const QByteArray mantissa = e < 0 ? text : text.left(e);
  const int exponent = e < 0 ? 0 : text.mid(e + 1).toInt();
  const qsizetype point = mantissa.indexOf('.');
  const qsizetype decimals = point < 0 ? 0 : mantissa.size() - point - 1;
  bool ok = false;
  const double value = text.toDouble(&ok);
  return {ok ? value : std::nan(""), 0.5 * std::pow(10.0, double(exponent - decimals))};
}

// The numbers of a results file: the table along the channel (TURN, AV T, MIX DEG, COOL(1),
// ENTAL DIF, POWER, PRESS, LOOP), the outlet table (node, TEMP, VISCOSITY, VZ, VX, SHEAR
// RATE) and the "caption = number" lines.
struct ResultsFile {
  enum TurnColumn { kTurn, kMeanTemp, kMixing, kCooling, kEnthalpy, kPower, kPressure };
  enum OutletColumn { kNode, kTemp, kViscosity, kVelZ, kVelX, kShearRate };

  QList<QList<Printed>> turns;
  QList<QList<Printed>> outlet;
  QList<QPair<QByteArray, Printed>> lines;

  Printed line(const QByteArray& caption) const {
    for (const auto& [text, number] : lines) {
      if (text.startsWith(caption)) return number;
    }
    return {std::nan(""), 0};
  }
};

ResultsFile ReadResultsFile(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return {};
  ResultsFile results;
  QList<QList<Printed>>* table = nullptr;  // the table whose rows follow
  int headerLinesLeft = 0;
  for (const QByteArray& raw : file.readAll().split('\n')) {
    const QByteArray line = raw.simplified();
    if (line.startsWith("TURN ")) {
      table = &results.turns;
      headerLinesLeft = 1;  // the units
    } else if (line == "[ OUTLET CONDITION ]") {
      table = &results.outlet;
      headerLinesLeft = 2;  // the names and the units
    } else if (headerLinesLeft > 0) {
      --headerLinesLeft;
    } else if (table && !line.isEmpty()) {
      QList<Printed> row;
      for (const QByteArray& token : line.split(' ')) row << ParsePrinted(token);
      *table << row;
    } else if (table) {
      table = nullptr;  // a blank line ends a table
    } else if (const qsizetype equals = line.lastIndexOf(" = "); equals > 0) {
      results.lines.append({line.left(equals), ParsePrinted(line.mid(equals + 3))});
    }
  }
  return results;
}

// A factor from a column's unit to the plot's, known from two printed numbers that stand for
// the same quantity: a summary line in the plot's unit and the column's last row.
struct Factor {
  double value = 1;
  double relativeError = 0;
};

Factor FactorOf(Printed inPlotUnit, Printed inColumnUnit) {
  return {inPlotUnit.value / inColumnUnit.value, inPlotUnit.halfUnit / std::abs(inPlotUnit.value) +
                                                     inColumnUnit.halfUnit / std::abs(inColumnUnit.value)};
}

// At every turn the file prints, the curve has a point whose value is the column's times the
// factor, to within what the printed digits allow.
void CheckAlongChannel(const QList<QPointF>& curve, const ResultsFile& file, int column, Factor factor = {}) {
  QVERIFY(!file.turns.isEmpty());
  for (const QList<Printed>& row : file.turns) {
    const Printed turn = row[ResultsFile::kTurn];
    const auto at = std::find_if(curve.begin(), curve.end(),
                                 [&](QPointF p) { return std::abs(p.x() - turn.value) <= turn.halfUnit; });
    QVERIFY2(at != curve.end(), qPrintable(QStringLiteral("no point at turn %1").arg(turn.value)));
    const Printed printed = row[column];
    const double expected = printed.value * factor.value;
    const double allowed =
        (printed.halfUnit + std::abs(printed.value) * factor.relativeError) * std::abs(factor.value) * 1.000001;
    QVERIFY2(std::abs(at->y() - expected) <= allowed,
             qPrintable(QStringLiteral("at turn %1: plotted %2, printed %3").arg(turn.value).arg(at->y()).arg(expected)));
  }
}

void CheckPrinted(double plotted, Printed printed) {
  QVERIFY2(std::abs(plotted - printed.value) <= printed.halfUnit * 1.000001,
           qPrintable(QStringLiteral("plotted %1, printed %2").arg(plotted).arg(printed.value)));
}

// Node by node, the curve's value is the one the outlet table prints.
void CheckAtOutlet(const QList<QPointF>& curve, const ResultsFile& file, int column) {
  QCOMPARE(curve.size(), file.outlet.size());
  for (qsizetype i = 0; i < curve.size(); ++i) CheckPrinted(curve[i].y(), file.outlet[i][column]);
}

// Pixels drawn in the colour of the plot's first curve.
int CurvePixels(const QImage& image, const QChart* chart) {
  const QRgb colour = Curves(chart)[0]->color().rgb();
  int count = 0;
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) count += (image.pixel(x, y) & 0xffffff) == (colour & 0xffffff);
  }
  return count;
}

QByteArray ReadAll(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Sets the page's boxes and presses Calculate, as a user would; waits until it is done.
bool CalculateCharacteristic(CharacteristicPanel* panel, double rpm, double from, double to, int count) {
  panel->findChild<QDoubleSpinBox*>("CharacteristicRpm")->setValue(rpm);
  panel->findChild<QDoubleSpinBox*>("CharacteristicFrom")->setValue(from);
  panel->findChild<QDoubleSpinBox*>("CharacteristicTo")->setValue(to);
  panel->findChild<QSpinBox*>("CharacteristicCount")->setValue(count);
  QSignalSpy calculated(panel, &CharacteristicPanel::calculated);
  auto* button = panel->findChild<QPushButton*>("CharacteristicCalculate");
  QTest::mouseClick(button, Qt::LeftButton);
  if (!panel->isCalculating() || button->isEnabled()) return false;
  return calculated.wait(kRunTimeoutMs) && button->isEnabled();
}

}  // namespace

class PlotsTest : public QObject {
  Q_OBJECT

 private slots:
  void init();
  void cleanup();

  void finishedRunFillsEveryPlot();
  void runThatDoesNotFinishClearsPlots();
  void cancelledRunClearsPlots();
  void savePlotWritesPngAndSvg();
  void saveActionAsksForFileName();
  void failedSaveWarnsThroughTheDialogs();
  void plotPictureWithoutWindow();
  void characteristicRunsAtTheAskedSpeed();
  void characteristicOfImproperInputsDrawsNothing();
  void characteristicPassesThroughTheWindowsRun();
  void closingWindowEndsCharacteristic();
  void characteristicRunsInTheChosenFlowModel();
  void characteristicMarksFailedAndNegativeCases();
  void pressureBelowZeroAtTheOutletIsMarked();
  void classicPowerPlotSaysItsBalanceNeedNotClose();
  void summaryLineStaysOneLineWithTheRestInItsTip();

 private:
  ResultsPlots* plots() const { return form_->resultsPlots(); }
  QChart* chart(PlotId id) const { return plots()->chart(id); }
  QLineEdit* edit(int number) const { return window_harness::Edit(*form_, number); }
  bool run() { return window_harness::RunByEnter(*form_, edit(1)); }
  void checkCleared(const QString& reason) {
    QVERIFY(!plots()->hasResults());
    for (int i = 0; i < plots::kPlotCount; ++i) {
      for (QLineSeries* curve : Curves(chart(PlotId(i)))) QCOMPARE(curve->count(), 0);
      QVERIFY(!plots()->view(PlotId(i))->actions().front()->isEnabled());
    }
    QVERIFY(!form_->findChild<QToolButton*>("SavePlotButton")->isEnabled());
    const QString status = form_->findChild<QLabel*>("PlotStatus")->text();
    QVERIFY2(status.contains(reason), qPrintable(status));
  }

  std::unique_ptr<QTemporaryDir> dir_;
  std::unique_ptr<TForm1> form_;
  window_harness::RecordingDialogs dialogs_;
};

void PlotsTest::init() {
  dialogs_ = window_harness::RecordingDialogs();  // each case counts its own boxes
  window_harness::FreshSettings();
  dir_ = std::make_unique<QTemporaryDir>();
  QVERIFY(dir_->isValid());
  form_ = window_harness::OpenWindow(&dialogs_, dir_->path());
  QVERIFY(QTest::qWaitForWindowExposed(form_.get()));
}

void PlotsTest::cleanup() {
  form_.reset();
  dir_.reset();
}

void PlotsTest::finishedRunFillsEveryPlot() {
  QVERIFY(!plots()->hasResults());
  QVERIFY(run());
  const kelvado::RunOutcome& outcome = form_->lastOutcome();
  QCOMPARE(outcome.status, kelvado::RunStatus::Finished);
  const auto& steps = outcome.record.steps;
  const auto& outlet = outcome.record.outlet;
  QCOMPARE(steps.size(), std::size_t(161));
  QCOMPARE(outlet.size(), std::size_t(21));
  QVERIFY(plots()->hasResults());

  // One point per kept step along the channel, one per node across the depth.
  for (PlotId id : plots::kChannelPlots) CheckShown(chart(id), qsizetype(steps.size()));
  for (PlotId id : plots::kOutletPlots) CheckShown(chart(id), qsizetype(outlet.size()));

  // The plots tell what the results file of the same run prints, in the plots' units.
  const ResultsFile file = ReadResultsFile(QDir(dir_->path()).filePath("result.txt"));
  QCOMPARE(file.turns.size(), qsizetype(41));  // every 0.2 turns from 0 to L/D = 8
  const QList<Printed>& outletRow = file.turns.back();
  using F = ResultsFile;
  // From the inlet to L/D.
  const QList<QPointF> pressure = Points(chart(PlotId::Pressure), 0);
  QCOMPARE(pressure.front().x(), 0.0);
  CheckPrinted(pressure.back().x(), file.line("L/D (-)"));
  // The channel's columns are in their own units; the outlet summary lines say how many of
  // the plot's units one of those is.
  CheckAlongChannel(pressure, file, F::kPressure,
                    FactorOf(file.line("Outlet Pressure (kgf/cm2)"), outletRow[F::kPressure]));
  CheckAlongChannel(Points(chart(PlotId::MeanTemperature), 0), file, F::kMeanTemp);
  CheckAlongChannel(Points(chart(PlotId::Power), 0), file, F::kPower,
                    FactorOf(file.line("Total Power (kW)"), outletRow[F::kPower]));
  CheckAlongChannel(Points(chart(PlotId::Power), 1), file, F::kEnthalpy,
                    FactorOf(file.line("Enthalpy Difference (kW)"), outletRow[F::kEnthalpy]));
  CheckAlongChannel(Points(chart(PlotId::Power), 2), file, F::kCooling,
                    FactorOf(file.line("Cooling (2) (kW)"), outletRow[F::kCooling]));
  // The channel plots end at the outlet summary's lines.
  CheckPrinted(pressure.back().y(), file.line("Outlet Pressure (kgf/cm2)"));
  CheckPrinted(Points(chart(PlotId::MeanTemperature), 0).back().y(), file.line("Average Temperature"));
  CheckPrinted(Points(chart(PlotId::Power), 0).back().y(), file.line("Total Power (kW)"));
  CheckPrinted(Points(chart(PlotId::Power), 1).back().y(), file.line("Enthalpy Difference (kW)"));
  CheckPrinted(Points(chart(PlotId::Power), 2).back().y(), file.line("Cooling (2) (kW)"));

  // Across the depth: the nodes evenly spaced from the screw root to the channel depth, each
  // with the values of its row of the outlet table.
  const Printed channelDepth = file.line("Channel Depth (cm)");
  const QList<QPointF> outletTemperature = Points(chart(PlotId::OutletTemperature), 0);
  for (qsizetype i = 0; i < outletTemperature.size(); ++i) {
    const double share = double(i) / double(outletTemperature.size() - 1);
    CheckPrinted(outletTemperature[i].x(), {channelDepth.value * share, channelDepth.halfUnit * share + 1e-15});
  }
  CheckAtOutlet(outletTemperature, file, F::kTemp);
  CheckAtOutlet(Points(chart(PlotId::OutletVelocity), 0), file, F::kVelZ);
  CheckAtOutlet(Points(chart(PlotId::OutletVelocity), 1), file, F::kVelX);
  CheckAtOutlet(Points(chart(PlotId::OutletViscosity), 0), file, F::kViscosity);
  CheckAtOutlet(Points(chart(PlotId::OutletShearRate), 0), file, F::kShearRate);

  // The channel plots end where the outlet summary stands.
  QCOMPARE(Curves(chart(PlotId::Pressure))[0]->points().back().y(), outcome.summary.OutletPressure);
  QCOMPARE(Curves(chart(PlotId::Power))[0]->points().back().y(), outcome.summary.TotalPowerKW);
  // The depth axis spans the channel, no more.
  QCOMPARE(AxisOf(chart(PlotId::OutletTemperature), Qt::Horizontal)->max(), outlet.back().Depth);
  QCOMPARE(AxisOf(chart(PlotId::Pressure), Qt::Horizontal)->min(), 0.0);

  for (int i = 0; i < plots::kPlotCount; ++i) QVERIFY(plots()->view(PlotId(i))->actions().front()->isEnabled());
  const QString status = form_->findChild<QLabel*>("PlotStatus")->text();
  QVERIFY2(status.contains(QString::number(outcome.summary.OutletPressure, 'f', 1)), qPrintable(status));
}

void PlotsTest::runThatDoesNotFinishClearsPlots() {
  QVERIFY(run());
  QVERIFY(plots()->hasResults());
  // Improper input: the plots of the run before must not pass for this one's.
  edit(3)->setText(QStringLiteral("0.25cm"));
  QVERIFY(run());
  QCOMPARE(form_->lastOutcome().status, kelvado::RunStatus::ImproperInput);
  checkCleared(QStringLiteral("improper input"));
  // A fault after the header clears them too.
  edit(3)->setText(QStringLiteral("0.25"));
  QVERIFY(run());
  QVERIFY(plots()->hasResults());
  edit(6)->setText(QStringLiteral("1e300"));
  QVERIFY(run());
  QCOMPARE(form_->lastOutcome().status, kelvado::RunStatus::ArithmeticFault);
  checkCleared(QStringLiteral("arithmetic fault"));
}

void PlotsTest::cancelledRunClearsPlots() {
  QVERIFY(run());
  QVERIFY(window_harness::StartLongRun(*form_));
  // While the next run goes on, the last one's plots stay.
  QVERIFY(plots()->hasResults());
  QSignalSpy finished(form_.get(), &TForm1::runFinished);
  QTest::mouseClick(form_->findChild<QPushButton*>("BitBtn3"), Qt::LeftButton);
  QVERIFY(finished.wait(kRunTimeoutMs));
  QCOMPARE(form_->lastOutcome().status, kelvado::RunStatus::Cancelled);
  QVERIFY(!form_->lastOutcome().record.steps.empty());
  checkCleared(QStringLiteral("cancelled"));
}

void PlotsTest::savePlotWritesPngAndSvg() {
  QVERIFY(run());
  const QDir dir(dir_->path());
  QString error;

  const QString png = dir.filePath("pressure.PNG");
  QVERIFY2(plots()->savePlot(PlotId::Pressure, png, &error), qPrintable(error));
  QImage image;
  QVERIFY(image.load(png, "PNG"));
  QCOMPARE(image.size(), chart(PlotId::Pressure)->size().toSize());
  QVERIFY2(CurvePixels(image, chart(PlotId::Pressure)) > 100, "the curve is not drawn");

  // A plot on the page behind is saved as it is drawn once its page is in front.
  const QString svg = dir.filePath("velocity.svg");
  QVERIFY(!plots()->view(PlotId::OutletVelocity)->isVisible());
  QVERIFY2(plots()->savePlot(PlotId::OutletVelocity, svg, &error), qPrintable(error));
  QVERIFY(plots()->view(PlotId::OutletVelocity)->isVisible());
  const QSize drawn = chart(PlotId::OutletVelocity)->size().toSize();
  QVERIFY(drawn.width() >= 250 && drawn.height() >= 150);
  const QByteArray text = ReadAll(svg);
  QVERIFY(text.contains(QStringLiteral("viewBox=\"0 0 %1 %2\"").arg(drawn.width()).arg(drawn.height()).toUtf8()));
  QVERIFY(text.startsWith("<?xml"));
  QVERIFY(text.contains("<svg"));
  QVERIFY(text.contains("<title>Outlet velocity</title>"));
  QVERIFY(text.contains("Down-channel"));  // the legend is text, not a picture of it

  // Neither an unknown format nor an unwritable place makes a file or passes for success.
  QVERIFY(!plots()->savePlot(PlotId::Pressure, dir.filePath("pressure.jpg"), &error));
  QVERIFY(error.contains(".png"));
  QVERIFY(!QFile::exists(dir.filePath("pressure.jpg")));
  for (const char* name : {"missing/p.png", "missing/p.svg"}) {
    error.clear();
    QVERIFY(!plots()->savePlot(PlotId::Pressure, dir.filePath(name), &error));
    QVERIFY(!error.isEmpty());
  }
}

void PlotsTest::saveActionAsksForFileName() {
  QVERIFY(run());
  QStringList suggested;
  QString answer = QDir(dir_->path()).filePath("chosen.svg");
  plots()->setFileAsker([&](const QString& path) {
    suggested << path;
    return answer;
  });
  QAction* save = plots()->view(PlotId::OutletShearRate)->actions().front();
  save->trigger();
  QCOMPARE(suggested.size(), 1);
  QVERIFY(suggested[0].endsWith("/outlet-shear-rate.png"));
  QVERIFY(ReadAll(answer).contains("<title>Outlet shear rate</title>"));

  // The next suggestion is in the folder chosen last; giving up writes nothing.
  answer.clear();
  plots()->view(PlotId::Pressure)->actions().front()->trigger();
  QCOMPARE(suggested.size(), 2);
  QCOMPARE(suggested[1], QDir(dir_->path()).filePath("pressure.png"));
  QCOMPARE(QDir(dir_->path()).entryList({"*.png"}), QStringList());
}

void PlotsTest::failedSaveWarnsThroughTheDialogs() {
  QVERIFY(run());
  const QString path = QDir(dir_->path()).filePath("missing/pressure.png");
  plots()->setFileAsker([&](const QString&) { return path; });
  plots()->view(PlotId::Pressure)->actions().front()->trigger();
  QCOMPARE(dialogs_.warnings.size(), 1);
  QVERIFY2(dialogs_.warnings[0].startsWith("Save plot: The plot was not saved: "), qPrintable(dialogs_.warnings[0]));
  QVERIFY(dialogs_.messages.isEmpty() && dialogs_.errors.isEmpty());
  QVERIFY(!QFile::exists(path));
}

void PlotsTest::plotPictureWithoutWindow() {
  kelvado::QuietServices services;
  const QString path = QDir(dir_->path()).filePath("p.png");
  kelvado::RunRequest request(kelvado::DefaultInputTexts(), QDir(dir_->path()).filePath("r.txt").toStdString());
  request.keptSteps = plots::kPlottedStepsAtMost;
  const kelvado::RunOutcome outcome = kelvado::RunWithResultsFile(request, services);
  QCOMPARE(outcome.status, kelvado::RunStatus::Finished);
  QString error;
  QVERIFY2(plots::WritePlotPicture(PlotId::MeanTemperature, outcome.record, path, plots::kPictureSize, &error),
           qPrintable(error));
  QImage image;
  QVERIFY(image.load(path));
  QCOMPARE(image.size(), plots::kPictureSize);
  // Same colours as in the window: the curve is there, laid out without a view.
  QVERIFY2(CurvePixels(image, chart(PlotId::MeanTemperature)) > 100, "the curve is not drawn");
}

void PlotsTest::characteristicRunsAtTheAskedSpeed() {
  auto* tabs = form_->findChild<QTabWidget*>("PlotTabs");
  CharacteristicPanel* panel = plots()->characteristic();
  tabs->setCurrentWidget(panel);
  auto* saveButton = form_->findChild<QToolButton*>("SavePlotButton");
  QVERIFY(!saveButton->isEnabled());

  QVERIFY(CalculateCharacteristic(panel, 75, 40, 80, 5));
  QCOMPARE(panel->outputs(), (std::vector<double>{40, 50, 60, 70, 80}));
  QCOMPARE(panel->results().size(), std::size_t(5));
  const auto* chart = panel->view()->chart();
  const QList<QPointF> pressure = Curves(chart)[0]->points();
  const QList<QPointF> temperature = Curves(chart)[1]->points();
  QCOMPARE(pressure.size(), qsizetype(5));
  for (int i = 0; i < 5; ++i) {
    const kelvado::SweepResult& r = panel->results()[std::size_t(i)];
    QCOMPARE(r.status, kelvado::RunStatus::Finished);
    // Every output at the screw speed asked for, whatever the flow rate it took.
    QVERIFY2(std::abs(r.summary.Rpm - 75) < 1e-9, qPrintable(QString::number(r.summary.Rpm, 'g', 17)));
    QCOMPARE(pressure[i], QPointF(panel->outputs()[std::size_t(i)], r.summary.OutletPressure));
    QCOMPARE(temperature[i], QPointF(panel->outputs()[std::size_t(i)], r.summary.AvgTemp));
  }
  // More output at the same speed leaves less pressure.
  QVERIFY(pressure.front().y() > pressure.back().y());
  QVERIFY(chart->title().contains("75 rpm"));
  QVERIFY(saveButton->isEnabled());

  // The characteristic is saved like any other plot.
  const QString path = QDir(dir_->path()).filePath("characteristic.svg");
  plots()->setFileAsker([&](const QString& suggested) {
    return suggested.endsWith("/characteristic.png") ? path : QString();
  });
  panel->view()->actions().front()->trigger();
  QVERIFY(ReadAll(path).contains("Outlet pressure"));
}

void PlotsTest::characteristicOfImproperInputsDrawsNothing() {
  CharacteristicPanel* panel = plots()->characteristic();
  QVERIFY(CalculateCharacteristic(panel, 75, 40, 80, 3));
  QCOMPARE(Curves(panel->view()->chart())[0]->count(), 3);
  // The window's inputs at the time of Calculate are the ones used.
  edit(3)->setText(QStringLiteral("deep"));
  QVERIFY(CalculateCharacteristic(panel, 75, 40, 80, 3));
  for (const kelvado::SweepResult& r : panel->results()) QCOMPARE(r.status, kelvado::RunStatus::ImproperInput);
  QCOMPARE(Curves(panel->view()->chart())[0]->count(), 0);
  QVERIFY(!panel->view()->actions().front()->isEnabled());
  const QString status = panel->findChild<QLabel*>("CharacteristicStatus")->text();
  QVERIFY2(status.startsWith("0 of 3 cases"), qPrintable(status));
}

void PlotsTest::characteristicPassesThroughTheWindowsRun() {
  // At the screw speed of the window's run, that run's output gives the outlet its results
  // file prints, though the characteristic finds its own flow rate for it.
  QVERIFY(run());
  const ResultsFile file = ReadResultsFile(QDir(dir_->path()).filePath("result.txt"));
  const Printed output = file.line("Output (kg/hr)");
  CharacteristicPanel* panel = plots()->characteristic();
  QSignalSpy calculated(panel, &CharacteristicPanel::calculated);
  panel->calculate(form_->lastOutcome().summary.Rpm, output.value, output.value, 1);
  QVERIFY(calculated.wait(kRunTimeoutMs));
  const QList<QPointF> pressure = Points(panel->view()->chart(), 0);
  const QList<QPointF> temperature = Points(panel->view()->chart(), 1);
  QCOMPARE(pressure.size(), qsizetype(1));
  QCOMPARE(temperature.size(), qsizetype(1));
  CheckPrinted(pressure[0].x(), output);
  CheckPrinted(pressure[0].y(), file.line("Outlet Pressure (kgf/cm2)"));
  CheckPrinted(temperature[0].y(), file.line("Average Temperature"));
}

void PlotsTest::closingWindowEndsCharacteristic() {
  // A thousand cases that would each run for minutes: the page takes as many cases as a
  // sweep of the command line does.
  edit(2)->setText(QString::fromLatin1(window_harness::kLongRunLengthRatio));
  CharacteristicPanel* panel = plots()->characteristic();
  auto* count = panel->findChild<QSpinBox*>("CharacteristicCount");
  QCOMPARE(count->maximum(), int(kelvado::kMaxSweepCases));
  count->setValue(1000);
  QTest::mouseClick(panel->findChild<QPushButton*>("CharacteristicCalculate"), Qt::LeftButton);
  QVERIFY(panel->isCalculating());
  QCOMPARE(panel->outputs().size(), std::size_t(1000));
  // The window goes at once: the running cases are cancelled, the rest never start.
  QElapsedTimer timer;
  timer.start();
  form_.reset();
  QVERIFY2(timer.elapsed() < 10000, qPrintable(QString::number(timer.elapsed())));
}

void PlotsTest::characteristicRunsInTheChosenFlowModel() {
  // As above, in the consistent model: the window's run and the characteristic's case agree.
  QTest::mouseClick(form_->findChild<QRadioButton*>("FlowModel_consistent"), Qt::LeftButton);
  QVERIFY(run());
  const ResultsFile file = ReadResultsFile(QDir(dir_->path()).filePath("result.txt"));
  CharacteristicPanel* panel = plots()->characteristic();
  QSignalSpy calculated(panel, &CharacteristicPanel::calculated);
  panel->calculate(form_->lastOutcome().summary.Rpm, file.line("Output (kg/hr)").value, file.line("Output (kg/hr)").value, 1);
  QVERIFY(calculated.wait(kRunTimeoutMs));
  const QList<QPointF> pressure = Points(panel->view()->chart(), 0);
  QCOMPARE(pressure.size(), qsizetype(1));
  CheckPrinted(pressure[0].y(), file.line("Outlet Pressure (kgf/cm2)"));
}

// The command line's example: at 80 rpm, 30 kg/hr does not converge, 70 and 90 kg/hr end
// below zero (-280.73 and -999.08 kgf/cm2), 50 kg/hr at 419.56.
void PlotsTest::characteristicMarksFailedAndNegativeCases() {
  CharacteristicPanel* panel = plots()->characteristic();
  QVERIFY(CalculateCharacteristic(panel, 80, 30, 90, 4));
  const QChart* chart = panel->view()->chart();
  auto series = [chart](const QString& name) {
    QList<QPointF> points;
    for (QAbstractSeries* s : chart->series()) {
      if (s->name() == name) points += qobject_cast<QXYSeries*>(s)->points();
    }
    return points;
  };
  QCOMPARE(series(QStringLiteral("Did not finish")), (QList<QPointF>{{30, 0}}));
  const QList<QPointF> below = series(QStringLiteral("Below zero"));
  QCOMPARE(below.size(), 2);
  QCOMPARE(below[0].x(), 70.0);
  QCOMPARE(below[1].x(), 90.0);
  QVERIFY(std::abs(below[0].y() + 280.73) < 0.005);
  // Both named in the legend, while the line holds the three cases that finished.
  for (QLegendMarker* marker : chart->legend()->markers()) {
    if (marker->label() == QStringLiteral("Did not finish") || marker->label() == QStringLiteral("Below zero")) {
      QVERIFY(marker->isVisible());
    }
  }
  QCOMPARE(series(QStringLiteral("Outlet pressure")).size(), 3);
  const QString status = panel->findChild<QLabel*>("CharacteristicStatus")->text();
  QVERIFY2(status.contains(QStringLiteral("did not finish at 30 kg/hr")), qPrintable(status));
  // Zero on the pressure axis reads as zero.
  auto* ticks = qobject_cast<QCategoryAxis*>(chart->axes(Qt::Vertical).front());
  QVERIFY(ticks && ticks->categoriesLabels().contains(QStringLiteral("0")));
}

void PlotsTest::pressureBelowZeroAtTheOutletIsMarked() {
  auto marked = [this] {
    const QLineSeries* pressure = Curves(chart(PlotId::Pressure))[0];
    return pressure->pointConfiguration(int(pressure->count() - 1)).value(QXYSeries::PointConfiguration::Visibility).toBool();
  };
  QVERIFY(run());
  QVERIFY(Points(chart(PlotId::Pressure), 0).back().y() > 0);
  QVERIFY(!marked());
  // Above the drag flow the screw cannot build pressure: it ends below zero.
  edit(7)->setText(QStringLiteral("1.3"));
  QVERIFY(run());
  QCOMPARE(form_->lastOutcome().status, kelvado::RunStatus::Finished);
  QVERIFY(Points(chart(PlotId::Pressure), 0).back().y() < 0);
  QVERIFY(marked());
  // The dot, 10 px across, whole inside the plot at the channel's end.
  QChart* pressure = chart(PlotId::Pressure);
  QTRY_VERIFY(pressure->plotArea().width() > 50);
  const QPointF end = pressure->mapToPosition(Points(pressure, 0).back(), Curves(pressure)[0]);
  QVERIFY2(pressure->plotArea().adjusted(5, 5, -5, -5).contains(end),
           qPrintable(QStringLiteral("dot at %1, plot to %2").arg(end.x()).arg(pressure->plotArea().right())));
}

void PlotsTest::classicPowerPlotSaysItsBalanceNeedNotClose() {
  QVERIFY(run());
  QVERIFY2(chart(PlotId::Power)->title().contains("need not add up"), qPrintable(chart(PlotId::Power)->title()));
  QTest::mouseClick(form_->findChild<QRadioButton*>("FlowModel_consistent"), Qt::LeftButton);
  QVERIFY(run());
  QCOMPARE(chart(PlotId::Power)->title(), QStringLiteral("Power from the inlet"));
  // In the consistent model's own calorie: the curve ends at the total power its summary gives.
  QCOMPARE(Curves(chart(PlotId::Power))[0]->points().back().y(), form_->lastOutcome().summary.TotalPowerKW);
}

// The default case's classic run warns at length: the line above the tabs still takes one line
// at the window's narrowest, the tabs stay where they were, and the tip holds every warning.
void PlotsTest::summaryLineStaysOneLineWithTheRestInItsTip() {
  form_->resize(form_->minimumSize());
  auto* tabs = form_->findChild<QWidget*>("PlotTabs");
  auto* status = form_->findChild<QLabel*>("PlotStatus");
  QTRY_VERIFY(tabs->isVisible() && tabs->height() > 100);
  const int top = tabs->mapTo(form_.get(), QPoint()).y();
  QVERIFY(run());
  const std::vector<std::string>& warnings = form_->lastOutcome().warnings;
  QVERIFY(!warnings.empty());
  QVERIFY(status->fontMetrics().horizontalAdvance(status->text()) > status->width());  // it would have wrapped
  QCoreApplication::processEvents();
  QCOMPARE(tabs->mapTo(form_.get(), QPoint()).y(), top);
  QVERIFY(status->height() < 2 * status->fontMetrics().height());
  for (const std::string& warning : warnings) QVERIFY(status->toolTip().contains(QString::fromStdString(warning)));
  QVERIFY(status->toolTip().contains("rpm"));
}

QTEST_MAIN(PlotsTest)
#include "results_plots_test.moc"
