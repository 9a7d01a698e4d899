// SPDX-License-Identifier: Apache-2.0
// The die and operating point page driven as a user would: the sections typed into the table,
// Run and Cancel clicked; what it finds checked against the search called on its own.
#include <QAction>
#include <QChart>
#include <QCategoryAxis>
#include <QChartView>
#include <QScatterSeries>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTableWidget>
#include <QTest>
#include <QValueAxis>
#include <QXYSeries>
#include <cmath>
#include <memory>

#include "app/plots/die_panel.h"
#include "app/plots/results_plots.h"
#include "solver/input_fields.h"
#include "tests/app/window_harness.h"

namespace {

using window_harness::kRunTimeoutMs;

// A row as typed: the shape, then the three dimension cells (a null string: left as it is).
struct Row {
  QString shape;
  QStringList cells;
};

// The points of every series of that name: a curve with gaps is drawn as several.
QList<QPointF> Points(const DiePanel* page, const QString& name) {
  QList<QPointF> points;
  for (QAbstractSeries* s : page->view()->chart()->series()) {
    if (s->name() == name) points += qobject_cast<QXYSeries*>(s)->points();
  }
  return points;
}

kelvado::OperatingPointResult SearchedOnItsOwn(kelvado::FlowModel model) {
  kelvado::OperatingPointRequest request;
  request.inputs = kelvado::DefaultInputTexts();
  request.rpm = 80;
  request.flowModel = model;
  request.die = {kelvado::ParseDieSection("slit:width=20,gap=0.08,length=4")};
  return kelvado::FindOperatingPoint(request);
}

}  // namespace

class DiePanelTest : public QObject {
  Q_OBJECT

 private slots:
  void init();
  void cleanup();

  void findsTheReadmeExampleAndDrawsTheCrossing();
  void searchesInTheChosenFlowModel();
  void noCrossingIsSaidWithTheRange();
  void badInputGivesItsMessageAndRunsNothing();
  void cancelStopsTheSearch();
  void inputsAreRememberedInANewWindow();
  void pressuresFollowTheUnitOnShow();
  void newCaseLeavesNoResultOfTheLast();

 private:
  DiePanel* page() const { return form_->resultsPlots()->diePanel(); }
  template <typename T>
  T* child(const char* name) const {
    return page()->findChild<T*>(QString::fromLatin1(name));
  }
  void typeSections(const QList<Row>& rows) {
    auto* table = child<QTableWidget>("DieSections");
    while (table->rowCount() > 0) QTest::mouseClick(child<QPushButton>("DieRemove"), Qt::LeftButton);
    for (const Row& row : rows) {
      QTest::mouseClick(child<QPushButton>("DieAdd"), Qt::LeftButton);
      const int r = table->rowCount() - 1;
      qobject_cast<QComboBox*>(table->cellWidget(r, 0))->setCurrentText(row.shape);
      for (int c = 0; c < row.cells.size(); ++c) {
        if (!row.cells[c].isNull()) table->item(r, c + 1)->setText(row.cells[c]);
      }
    }
  }
  void typeExample(const QString& from = {}, const QString& to = {}) {
    typeSections({{"slit", {"20", "0.08", "4"}}});
    child<QDoubleSpinBox>("DieRpm")->setValue(80);
    child<QLineEdit>("DieFrom")->setText(from);
    child<QLineEdit>("DieTo")->setText(to);
  }
  // Clicks Run and waits until the search has ended.
  bool runPage() {
    QSignalSpy finished(page(), &DiePanel::finished);
    QTest::mouseClick(child<QPushButton>("DieRun"), Qt::LeftButton);
    return page()->isRunning() && finished.wait(kRunTimeoutMs);
  }
  QString status() const { return child<QLabel>("DieStatus")->text(); }
  QString numbers() const { return child<QLabel>("DieNumbers")->text(); }

  std::unique_ptr<QTemporaryDir> dir_;
  std::unique_ptr<TForm1> form_;
  window_harness::RecordingDialogs dialogs_;
};

void DiePanelTest::init() {
  window_harness::FreshSettings();
  dir_ = std::make_unique<QTemporaryDir>();
  QVERIFY(dir_->isValid());
  dialogs_ = window_harness::RecordingDialogs();
  form_ = window_harness::OpenWindow(&dialogs_, dir_->path());
  QVERIFY(QTest::qWaitForWindowExposed(form_.get()));
}

void DiePanelTest::cleanup() {
  form_.reset();
  dir_.reset();
}

void DiePanelTest::findsTheReadmeExampleAndDrawsTheCrossing() {
  typeExample();
  QSignalSpy progressed(page(), &DiePanel::progressed);
  QVERIFY(runPage());
  const kelvado::OperatingPointResult& r = page()->result();
  QCOMPARE(r.status, kelvado::OperatingPointStatus::Found);
  // The command line's numbers, and the very point of the search made on its own.
  const kelvado::ScrewRun& p = r.point;
  QCOMPARE(QString::number(p.output, 'f', 2), QStringLiteral("55.46"));
  QCOMPARE(QString::number(p.summary.OutletPressure, 'f', 2), QStringLiteral("232.76"));
  const kelvado::OperatingPointResult alone = SearchedOnItsOwn(kelvado::FlowModel::Classic);
  QCOMPARE(p.output, alone.point.output);
  QCOMPARE(p.summary.OutletPressure, alone.point.summary.OutletPressure);
  QCOMPARE(r.runs.size(), alone.runs.size());
  // Progress after every screw run, counting up.
  QCOMPARE(progressed.size(), qsizetype(r.runs.size()));
  for (qsizetype i = 0; i < progressed.size(); ++i) QCOMPARE(progressed[i][0].toInt(), int(i + 1));

  // The crossing is marked where the screw's outlet pressure stands, inside the axes.
  QCOMPARE(Points(page(), "Operating point"), (QList<QPointF>{{p.output, p.summary.OutletPressure}}));
  const QChart* chart = page()->view()->chart();
  const auto* x = qobject_cast<QValueAxis*>(chart->axes(Qt::Horizontal).front());
  const auto* y = qobject_cast<QValueAxis*>(chart->axes(Qt::Vertical).front());
  QVERIFY(x->min() <= p.output && p.output <= x->max());
  QVERIFY(y->min() <= p.summary.OutletPressure && p.summary.OutletPressure <= y->max());
  // The screw's curve has every run that finished; the die's passes through its drop at the point.
  const QList<QPointF> screw = Points(page(), "Screw");
  QCOMPARE(screw.size(), qsizetype(r.runs.size()));
  QVERIFY(screw.contains(QPointF(p.output, p.summary.OutletPressure)));
  const QList<QPointF> die = Points(page(), "Die");
  QVERIFY(die.size() > 50);
  QCOMPARE(die.front().x(), r.outputFrom);
  QCOMPARE(die.back().x(), r.outputTo);
  const auto at = std::find_if(die.begin(), die.end(), [&](QPointF q) { return q.x() == p.output; });
  QVERIFY(at != die.end());
  QVERIFY(std::abs(at->y() - 232.89) < 0.005);  // the command line's die pressure drop
  // The point's numbers beside the plot, as the command line prints them.
  for (const char* shown : {"55.46 kg/hr", "232.76 kgf/cm", "315.45", "2.851 kW", "232.89 kgf/cm", "820.6 1/s"}) {
    QVERIFY2(numbers().contains(QLatin1String(shown)), shown);
  }
  QVERIFY2(status().contains("6.21 to 74.56 kg/hr"), qPrintable(status()));
  // The classic run at the point warns of its inlet gradient, as that run on its own does.
  QVERIFY2(status().contains("Warning: The classic pressure gradient at the inlet is 43.3 % off"), qPrintable(status()));
  // The rings of the runs below zero, the last at the range's end, whole inside the plot; the
  // output axis ends on a labelled tick.
  form_->resultsPlots()->showPage(page());
  QChart* plot = page()->view()->chart();
  QTRY_VERIFY(plot->plotArea().width() > 50);
  const QList<QPointF> rings = Points(page(), "Below zero");
  QVERIFY(rings.size() >= 1 && rings.back().x() == r.outputTo);
  for (QAbstractSeries* s : plot->series()) {
    if (s->name() != QLatin1String("Below zero")) continue;
    const double radius = qobject_cast<QScatterSeries*>(s)->markerSize() / 2;
    for (const QPointF& ring : rings) {
      QVERIFY(plot->plotArea().adjusted(radius, radius, -radius, -radius).contains(plot->mapToPosition(ring, s)));
    }
  }
  const QStringList ticks = qobject_cast<QCategoryAxis*>(plot->axes(Qt::Horizontal).front())->categoriesLabels();
  QCOMPARE(ticks.last().toDouble(), x->max());
  QVERIFY(page()->view()->actions().front()->isEnabled());
  QVERIFY(dialogs_.messages.isEmpty());
}

void DiePanelTest::searchesInTheChosenFlowModel() {
  QTest::mouseClick(form_->findChild<QRadioButton*>("FlowModel_consistent"), Qt::LeftButton);
  typeExample();
  QVERIFY(runPage());
  const kelvado::OperatingPointResult alone = SearchedOnItsOwn(kelvado::FlowModel::Consistent);
  QCOMPARE(page()->result().point.output, alone.point.output);
  // Grid-converged (steps, depth intervals and orbit cells refined 8 times): 50.57 kg/hr.
  QCOMPARE(QString::number(alone.point.output, 'f', 2), QStringLiteral("50.57"));  // the classic point is 55.46
  QVERIFY2(status().contains("consistent flow model"), qPrintable(status()));
  QVERIFY2(!status().contains("Warning"), qPrintable(status()));
}

void DiePanelTest::noCrossingIsSaidWithTheRange() {
  // The point lies at 55.46 kg/hr: above it the die takes more than the screw gives.
  typeExample("60", "70");
  QVERIFY(runPage());
  const kelvado::OperatingPointResult& r = page()->result();
  QCOMPARE(r.status, kelvado::OperatingPointStatus::NoCrossing);
  QVERIFY2(status().startsWith("No operating point: ") && status().contains("60.00 to 70.00 kg/hr") &&
               status().contains("too restrictive"),
           qPrintable(status()));
  QVERIFY(!page()->hasPoint());
  QVERIFY(Points(page(), "Operating point").isEmpty());
  QVERIFY(numbers().contains("No operating point"));
  QVERIFY(!numbers().contains("kg/hr"));
  // What the runs found is still drawn: the screw's pressure at every run that finished.
  qsizetype finished = 0;
  for (const kelvado::ScrewRun& run : r.runs) finished += run.status == kelvado::RunStatus::Finished;
  QCOMPARE(Points(page(), "Screw").size(), finished);
  QVERIFY(finished >= 10);
}

void DiePanelTest::badInputGivesItsMessageAndRunsNothing() {
  QSignalSpy progressed(page(), &DiePanel::progressed);
  const QString zeroGap = "Die section 2 (slit): the gap must be a length above zero (cm).";
  const QList<QPair<QList<Row>, QString>> cases{
      {{{"circular", {"0.5", QString(), "3"}}, {"slit", {"20", "0", "4"}}}, zeroGap},
      {{{"annulus", {"2", "1.8", "four"}}}, "Die section 1 (annulus): the length 'four' is not a number."},
      {{}, "The die has no section: add one with \"Add section\"."},
  };
  for (const auto& [rows, message] : cases) {
    dialogs_.messages.clear();
    typeSections(rows);
    QTest::mouseClick(child<QPushButton>("DieRun"), Qt::LeftButton);
    QCOMPARE(dialogs_.messages, QStringList{message});
    QVERIFY(!page()->isRunning());
  }
  // An output range the wrong way round.
  typeExample("70", "60");
  dialogs_.messages.clear();
  QTest::mouseClick(child<QPushButton>("DieRun"), Qt::LeftButton);
  QCOMPARE(dialogs_.messages.size(), 1);
  QVERIFY2(dialogs_.messages[0].startsWith("The output range takes two outputs"), qPrintable(dialogs_.messages[0]));
  QVERIFY(!page()->isRunning());
  QCOMPARE(progressed.size(), 0);
  QVERIFY(page()->result().runs.empty());
}

void DiePanelTest::cancelStopsTheSearch() {
  // Each screw run would take minutes.
  window_harness::Edit(*form_, 2)->setText(QString::fromLatin1(window_harness::kLongRunLengthRatio));
  typeExample();
  QSignalSpy finished(page(), &DiePanel::finished);
  QTest::mouseClick(child<QPushButton>("DieRun"), Qt::LeftButton);
  QVERIFY(page()->isRunning());
  QVERIFY(!child<QPushButton>("DieRun")->isEnabled());
  QElapsedTimer timer;
  timer.start();
  QTest::mouseClick(child<QPushButton>("DieCancel"), Qt::LeftButton);
  QVERIFY(finished.wait(kRunTimeoutMs));
  QVERIFY2(timer.elapsed() < 10000, qPrintable(QString::number(timer.elapsed())));
  QCOMPARE(page()->result().status, kelvado::OperatingPointStatus::Cancelled);
  QVERIFY(!page()->hasPoint());
  QVERIFY2(status().contains("cancelled"), qPrintable(status()));
  QVERIFY(child<QPushButton>("DieRun")->isEnabled());
  QVERIFY(!child<QPushButton>("DieCancel")->isEnabled());
  QVERIFY(dialogs_.messages.isEmpty());

  // The window goes at once while a search runs: the search is cancelled and waited for.
  QTest::mouseClick(child<QPushButton>("DieRun"), Qt::LeftButton);
  QVERIFY(page()->isRunning());
  timer.restart();
  form_.reset();
  QVERIFY2(timer.elapsed() < 10000, qPrintable(QString::number(timer.elapsed())));
}

void DiePanelTest::inputsAreRememberedInANewWindow() {
  typeSections({{"circular", {"0.5", QString(), "3"}}, {"annulus", {"2", "1.8", "4.25"}}});
  child<QDoubleSpinBox>("DieRpm")->setValue(75.5);
  child<QLineEdit>("DieFrom")->setText("20");
  child<QLineEdit>("DieTo")->setText("90");
  form_.reset();
  form_ = window_harness::OpenWindow(&dialogs_, dir_->path());
  auto* table = child<QTableWidget>("DieSections");
  QCOMPARE(table->rowCount(), 2);
  QCOMPARE(qobject_cast<QComboBox*>(table->cellWidget(0, 0))->currentText(), QStringLiteral("circular"));
  QCOMPARE(qobject_cast<QComboBox*>(table->cellWidget(1, 0))->currentText(), QStringLiteral("annulus"));
  const QStringList cells{"0.5", "", "3", "2", "1.8", "4.25"};
  for (int i = 0; i < cells.size(); ++i) QCOMPARE(table->item(i / 3, i % 3 + 1)->text(), cells[i]);
  QCOMPARE(child<QDoubleSpinBox>("DieRpm")->value(), 75.5);
  QCOMPARE(child<QLineEdit>("DieFrom")->text(), QStringLiteral("20"));
  QCOMPARE(child<QLineEdit>("DieTo")->text(), QStringLiteral("90"));
}

void DiePanelTest::pressuresFollowTheUnitOnShow() {
  typeExample();
  QVERIFY(runPage());
  const kelvado::ScrewRun& p = page()->result().point;
  const double pressure = p.summary.OutletPressure;  // kgf/cm2
  const double drop = p.die.sections[0].pressureDrop / 1000;
  QVERIFY(numbers().contains(QString::number(pressure, 'f', 2) + QStringLiteral(" kgf/cm")));

  // 1 kgf/cm2 = 98066.5 Pa: MPa with four decimals, the curves and the point in MPa too.
  const double mpa = 0.0980665;
  form_->findChild<QAction*>(QStringLiteral("actionPressureUnit_MPa"))->trigger();
  for (const double kgf : {pressure, drop}) {
    const QString shown = QString::number(kgf * mpa, 'f', 4) + QStringLiteral(" MPa");
    QVERIFY2(numbers().contains(shown), qPrintable(shown + QStringLiteral(" in ") + numbers()));
  }
  QVERIFY(!numbers().contains(QStringLiteral("kgf")));
  const QList<QPointF> point = Points(page(), "Operating point");
  QCOMPARE(point.size(), 1);
  QVERIFY(std::abs(point[0].y() - pressure * mpa) < 1e-9);
  const QChart* chart = page()->view()->chart();
  QCOMPARE(chart->axes(Qt::Vertical).front()->titleText(), QStringLiteral("MPa"));
  const auto* y = qobject_cast<QValueAxis*>(chart->axes(Qt::Vertical).front());
  QVERIFY(y->max() < pressure);  // fitted to the values in MPa
}

// After New case no page shows, and no report carries, what the last case found.
void DiePanelTest::newCaseLeavesNoResultOfTheLast() {
  QVERIFY(window_harness::RunByEnter(*form_, window_harness::Edit(*form_, 1)));
  typeExample();
  QVERIFY(runPage());
  QVERIFY(page()->hasPoint() && form_->resultsPlots()->hasResults());
  form_->findChild<QAction*>(QStringLiteral("actionNewCase"))->trigger();

  QVERIFY(!page()->hasPoint());
  for (const char* curve : {"Operating point", "Screw", "Die"}) QVERIFY2(Points(page(), curve).isEmpty(), curve);
  QVERIFY2(!numbers().contains("kg/hr") && !status().contains("55.46") && !status().contains("screw runs"),
           qPrintable(status() + numbers()));
  QVERIFY(!page()->view()->actions().front()->isEnabled());
  QVERIFY(!form_->resultsPlots()->hasResults());
  QString error;
  QVERIFY(!form_->exportReport(QDir(dir_->path()).filePath(QStringLiteral("r.pdf")), &error));
  QVERIFY2(error.contains("no finished run"), qPrintable(error));
}

QTEST_MAIN(DiePanelTest)
#include "die_panel_test.moc"
