// SPDX-License-Identifier: Apache-2.0
// The fit dialog's plot: every measured point drawn inside the axes, whatever its
// temperature, and the point the fit misses most marked.
#include <QChart>
#include <QChartView>
#include <QLogValueAxis>
#include <QPlainTextEdit>
#include <QScatterSeries>
#include <QSet>
#include <QTest>
#include <cmath>

#include "app/material_fit_dialog.h"
#include "tests/app/window_harness.h"

class FitDialogTest : public QObject {
  Q_OBJECT

 private slots:
  void init() { QVERIFY(window_.open()); }
  void cleanup() { window_.close(); }

  void everyPointOfFourTemperaturesIsInsideThePlot();

 private:
  window_harness::OpenedWindow window_;
};

// Four temperatures of six shear rates, from a power law (1500 Pa.s at 210 C and 100 1/s,
// n = 0.4, b = 0.015 1/C) with one point 40 % high: 24 points spanning two and a half decades
// of shear rate, the lowest on a whole decade, the hottest far below the coolest.
void FitDialogTest::everyPointOfFourTemperaturesIsInsideThePlot() {
  const QPointF off(100, 0);  // the raised point: 190 C at 100 1/s
  QList<QPointF> points;
  QString table = QStringLiteral("temp_C,shear_rate_per_s,viscosity_Pa_s\n");
  for (const double temp : {170.0, 190.0, 210.0, 230.0}) {
    for (const double rate : {10.0, 20.0, 100.0, 500.0, 2000.0, 5000.0}) {
      double eta = 1500 * std::pow(rate / 100, 0.4 - 1) * std::exp(-0.015 * (temp - 210));
      if (temp == 190 && rate == off.x()) eta *= 1.4;
      table += QStringLiteral("%1,%2,%3\n").arg(temp).arg(rate).arg(eta, 0, 'g', 17);
      points << QPointF(rate, eta);
    }
  }
  const QPointF raised = points[6 + 2];

  MaterialFitDialog fit(MaterialFitDialog::Source::Data, window_.dialogs, *window_.form->materialBox());
  fit.findChild<QPlainTextEdit*>(QStringLiteral("FitTable"))->setPlainText(table);
  QVERIFY(fit.fit());
  fit.resize(900, 600);
  fit.show();
  QVERIFY(QTest::qWaitForWindowExposed(&fit));
  QChart* chart = fit.findChild<QChartView*>()->chart();
  QTRY_VERIFY(chart->plotArea().width() > 100);

  // Told apart by marker, one series a temperature.
  QSet<int> shapes;
  QList<QScatterSeries*> scatters;
  for (QAbstractSeries* series : chart->series()) {
    if (auto* s = qobject_cast<QScatterSeries*>(series); s && s->objectName().isEmpty()) {
      scatters << s;
      shapes << int(s->markerShape());
    }
  }
  QCOMPARE(scatters.size(), 4);
  QCOMPARE(shapes.size(), 4);

  // Whole markers inside the frame: a point's centre at least a marker's radius from it.
  const QRectF area = chart->plotArea();
  for (const QPointF& p : points) {
    const double radius = scatters[0]->markerSize() / 2;
    const QPointF at = chart->mapToPosition(p, scatters[0]);
    QVERIFY2(area.adjusted(radius, radius, -radius, -radius).contains(at),
             qPrintable(QStringLiteral("%1 1/s, %2 Pa.s drawn at %3,%4 outside %5,%6 %7x%8")
                            .arg(p.x()).arg(p.y()).arg(at.x()).arg(at.y())
                            .arg(area.x()).arg(area.y()).arg(area.width()).arg(area.height())));
  }
  // Decades labelled: each axis starts on a power of ten.
  for (QAbstractAxis* axis : chart->axes()) {
    const double low = qobject_cast<QLogValueAxis*>(axis)->min();
    QCOMPARE(std::log10(low), std::round(std::log10(low)));
  }

  QScatterSeries* worst = nullptr;
  for (QAbstractSeries* series : chart->series()) {
    if (series->objectName() == QStringLiteral("FitWorstPoint")) worst = qobject_cast<QScatterSeries*>(series);
  }
  QVERIFY(worst);
  QCOMPARE(worst->points().size(), 1);
  QCOMPARE(worst->points()[0], raised);
}

QTEST_MAIN(FitDialogTest)
#include "fit_dialog_test.moc"
