// The plots beside the inputs: what a run puts in them, what a run that did not finish
// leaves, and the pictures they are saved as.
#include <QAction>
#include <QChart>
#include <QChartView>
#include <QDir>
#include <QDoubleSpinBox>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QLineSeries>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <QValueAxis>
#include <memory>

#include "report/results_file.h"
#include "solver/units.h"

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

// The curve has exactly these values at these positions, and the axes show all of it.
template <typename Row, typename X, typename Y>
void CheckCurve(const QChart* chart, int curve, const std::vector<Row>& rows, X x, Y y) {
  const QList<QPointF> points = Curves(chart)[curve]->points();
  QCOMPARE(points.size(), qsizetype(rows.size()));
  const QValueAxis* xAxis = AxisOf(chart, Qt::Horizontal);
  const QValueAxis* yAxis = AxisOf(chart, Qt::Vertical);
  for (qsizetype i = 0; i < points.size(); ++i) {
    QCOMPARE(points[i].x(), x(rows[i]));
    QCOMPARE(points[i].y(), y(rows[i]));
    QVERIFY(xAxis->min() <= points[i].x() && points[i].x() <= xAxis->max());
    QVERIFY(yAxis->min() <= points[i].y() && points[i].y() <= yAxis->max());
  }
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
  void plotPictureWithoutWindow();
  void characteristicRunsAtTheAskedSpeed();
  void characteristicOfImproperInputsDrawsNothing();

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

  using Step = kelvado::StepRecord;
  using Node = kelvado::OutletNode;
  const auto turns = [](const Step& s) { return s.Turns; };
  const auto depth = [](const Node& n) { return n.Depth; };
  const double kW = kelvado::kCalPerSecToKW;
  CheckCurve(chart(PlotId::Pressure), 0, steps, turns, [](const Step& s) { return s.Pressure / 1000; });
  CheckCurve(chart(PlotId::MeanTemperature), 0, steps, turns, [](const Step& s) { return s.AvgTemp; });
  CheckCurve(chart(PlotId::Power), 0, steps, turns, [=](const Step& s) { return s.PowerInput * kW; });
  CheckCurve(chart(PlotId::Power), 1, steps, turns, [=](const Step& s) { return s.EnthalpyDiff * kW; });
  CheckCurve(chart(PlotId::Power), 2, steps, turns, [=](const Step& s) { return s.WallCooling * kW; });
  CheckCurve(chart(PlotId::OutletTemperature), 0, outlet, depth, [](const Node& n) { return n.Temp; });
  CheckCurve(chart(PlotId::OutletVelocity), 0, outlet, depth, [](const Node& n) { return n.VelZ; });
  CheckCurve(chart(PlotId::OutletVelocity), 1, outlet, depth, [](const Node& n) { return n.VelX; });
  CheckCurve(chart(PlotId::OutletViscosity), 0, outlet, depth, [](const Node& n) { return n.Viscosity; });
  CheckCurve(chart(PlotId::OutletShearRate), 0, outlet, depth, [](const Node& n) { return n.ShearRate; });

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
  // A fault after some steps clears them too, though the run kept those steps.
  edit(3)->setText(QStringLiteral("0.25"));
  QVERIFY(run());
  QVERIFY(plots()->hasResults());
  edit(8)->setText(QStringLiteral("0"));
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

QTEST_MAIN(PlotsTest)
#include "results_plots_test.moc"
