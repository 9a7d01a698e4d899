// SPDX-License-Identifier: Apache-2.0
// The window as a user first sees it, 1310 x 656, with two runs kept for comparison: every
// text of its plots, tabs, buttons and boxes is shown whole; and what it remembers of its
// layout between sessions.
#include <QAbstractButton>
#include <QChart>
#include <QChartView>
#include <QComboBox>
#include <QGraphicsScene>
#include <QImage>
#include <QProcess>
#include <QGraphicsTextItem>
#include <QLabel>
#include <QLegend>
#include <QLegendMarker>
#include <QSplitter>
#include <QStyle>
#include <QStyleOptionComboBox>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>

#include "app/case_session.h"
#include "app/plots/results_plots.h"
#include "tests/app/window_harness.h"

namespace {

const QSize kFirstSize(1310, 656);

bool Elided(const QString& text) { return text.contains(QStringLiteral("...")) || text.contains(QChar(0x2026)); }

// Every text a chart draws (title, axis titles and tick labels, legend entries), as drawn;
// `outside` gets those that reach past the chart's edge, where the view cuts them.
QStringList DrawnTexts(const QChartView* view, QStringList* outside = nullptr) {
  QStringList texts;
  const QRectF chart = view->chart()->mapRectToScene(view->chart()->rect());
  for (const QGraphicsItem* item : view->scene()->items()) {
    if (!item->isVisible()) continue;
    if (const auto* text = dynamic_cast<const QGraphicsTextItem*>(item)) {
      texts << text->toPlainText();
      if (outside && !text->toPlainText().isEmpty() && !chart.contains(text->sceneBoundingRect())) {
        *outside << text->toPlainText();
      }
    }
  }
  return texts;
}

// Whatever of the page in front is cut off: a widget reaching past the window's edge, a button
// or box narrower than its text, a label without wrapping narrower than its text, a chart
// text drawn elided.
QStringList Clipped(const QWidget* window) {
  QStringList clipped;
  for (const QWidget* w : window->findChildren<QWidget*>()) {
    if (!w->isVisibleTo(window) || w->window() != window) continue;
    const QRect inWindow(w->mapTo(window, QPoint(0, 0)), w->size());
    const QString name = w->objectName().isEmpty() ? QString::fromLatin1(w->metaObject()->className()) : w->objectName();
    if (!window->rect().contains(inWindow)) clipped << name + QStringLiteral(" reaches past the window");
    const auto* button = qobject_cast<const QAbstractButton*>(w);
    const auto* combo = qobject_cast<const QComboBox*>(w);
    const auto* label = qobject_cast<const QLabel*>(w);
    if ((button && !button->text().isEmpty()) || combo || (label && !label->wordWrap() && !label->text().isEmpty())) {
      if (w->width() < w->sizeHint().width()) clipped << name + QStringLiteral(" is narrower than its text");
    }
    if (combo) {
      // A box may want less than its text; the field it shows the text in must hold it.
      QStyleOptionComboBox option;
      option.initFrom(combo);
      const QRect field = combo->style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, combo);
      if (field.width() < combo->fontMetrics().horizontalAdvance(combo->currentText())) {
        clipped << name + QStringLiteral(" cuts ") + combo->currentText();
      }
    }
    if (const auto* view = qobject_cast<const QChartView*>(w)) {
      QStringList outside;
      for (const QString& text : DrawnTexts(view, &outside)) {
        if (Elided(text)) clipped << name + QStringLiteral(": ") + text;
      }
      for (const QString& text : outside) clipped << name + QStringLiteral(": ") + text + QStringLiteral(" is cut at the edge");
    }
  }
  return clipped;
}

}  // namespace

class LayoutTest : public QObject {
  Q_OBJECT

 private slots:
  void init();
  void cleanup();

  void nothingClippedWithTwoKeptRuns();
  void layoutIsRememberedBetweenSessions();
  void largerWindowGivesItsRoomToThePlots();
  void screenshotWithKeptRunsIsTheFirstSize();

 private:
  bool run() { return window_harness::RunByEnter(*form_, window_harness::Edit(*form_, 1)); }
  QTabWidget* tabs() const { return form_->findChild<QTabWidget*>(QStringLiteral("PlotTabs")); }
  QSplitter* splitter() const { return form_->findChild<QSplitter*>(QStringLiteral("Splitter1")); }
  bool openWindow() {
    form_.reset();
    form_ = window_harness::OpenWindow(&dialogs_, dir_->path());
    return QTest::qWaitForWindowExposed(form_.get());
  }

  std::unique_ptr<QTemporaryDir> dir_;
  std::unique_ptr<TForm1> form_;
  window_harness::RecordingDialogs dialogs_;
};

void LayoutTest::init() {
  window_harness::FreshSettings();
  dir_ = std::make_unique<QTemporaryDir>();
  QVERIFY(openWindow());
}

void LayoutTest::cleanup() {
  form_.reset();
  dir_.reset();
}

void LayoutTest::nothingClippedWithTwoKeptRuns() {
  form_->resize(kFirstSize);
  auto* keep = form_->findChild<QAbstractButton*>(QStringLiteral("KeepRunButton"));
  for (const char* output : {"40", "80", "60"}) {
    window_harness::Edit(*form_, 6)->setText(QLatin1String(output));
    QVERIFY(run());
    if (form_->resultsPlots()->keptRuns().size() < 2) keep->click();
  }
  QCOMPARE(form_->resultsPlots()->keptRuns().size(), 2);
  QCOMPARE(form_->size(), kFirstSize);

  // The legends name each quantity once; the key above the plots names each kept run once.
  const QChart* power = form_->resultsPlots()->chart(plots::PlotId::Power);
  QStringList legend;
  for (const QLegendMarker* marker : power->legend()->markers()) {
    if (marker->isVisible()) legend << marker->label();
  }
  QCOMPARE(legend, plots::LookOf(plots::PlotId::Power).curves);
  const QString key = form_->findChild<QLabel*>(QStringLiteral("KeptRunsKey"))->text();
  for (const QString& kept : form_->resultsPlots()->keptRuns()) {
    QCOMPARE(key.count(QStringLiteral("kept: ") + kept + QStringLiteral(",")) +
                 key.count(QStringLiteral("kept: ") + kept + QStringLiteral(" ")) + int(key.endsWith(kept)),
             1);
  }

  for (int page = 0; page < tabs()->count(); ++page) {
    tabs()->setCurrentIndex(page);
    QCoreApplication::processEvents();
    const QStringList clipped = Clipped(form_.get());
    QVERIFY2(clipped.isEmpty(), qPrintable(QStringLiteral("%1: %2").arg(tabs()->tabText(page), clipped.join(u'\n'))));
    // Every tab shows its name whole: none hides behind the scroll arrows, none is cut short.
    for (const QToolButton* arrow : tabs()->tabBar()->findChildren<QToolButton*>()) QVERIFY(!arrow->isVisible());
    const QTabBar* bar = tabs()->tabBar();
    for (int tab = 0; tab < bar->count(); ++tab) {
      QVERIFY(bar->rect().contains(bar->tabRect(tab)));
      QVERIFY(bar->tabRect(tab).width() > bar->fontMetrics().horizontalAdvance(bar->tabText(tab)));
    }
  }
  // Zero is "0" on every axis that reaches it.
  for (int i = 0; i < plots::kPlotCount; ++i) {
    for (const QString& text : DrawnTexts(form_->resultsPlots()->view(plots::PlotId(i)))) {
      QVERIFY2(!text.contains(QStringLiteral("e-")), qPrintable(text));
    }
  }
}

void LayoutTest::layoutIsRememberedBetweenSessions() {
  const QString sheet = QDir(dir_->path()).filePath(QStringLiteral("sheet.kvcase"));
  QFile file(sheet);
  QVERIFY(file.open(QIODevice::WriteOnly) && file.write("output-rate = 50\n") > 0);
  file.close();
  QVERIFY(form_->caseSession()->open(sheet));
  form_->resize(1400, 700);
  QCoreApplication::processEvents();
  splitter()->setSizes({400, 1000});
  tabs()->setCurrentIndex(2);
  const QList<int> sizes = splitter()->sizes();
  QVERIFY(form_->close());

  QVERIFY(openWindow());
  QVERIFY(form_->restoredGeometry());
  QCOMPARE(form_->size(), QSize(1400, 700));
  QCOMPARE(splitter()->sizes(), sizes);
  QCOMPARE(tabs()->currentIndex(), 2);
}

void LayoutTest::largerWindowGivesItsRoomToThePlots() {
  form_->resize(kFirstSize);
  QCoreApplication::processEvents();
  const QWidget* inputs = form_->findChild<QWidget*>(QStringLiteral("GroupBox1"));
  const QSize inputsAtFirst = inputs->size();
  const int plotsAtFirst = form_->resultsPlots()->width();
  form_->resize(1920, 1040);
  QCoreApplication::processEvents();
  // The inputs keep their size, gaps and all; the plots take the width and height.
  QCOMPARE(inputs->size(), inputsAtFirst);
  QCOMPARE(form_->resultsPlots()->width(), plotsAtFirst + 1920 - kFirstSize.width());
  QVERIFY(form_->resultsPlots()->view(plots::PlotId::Pressure)->height() > 250);
}

void LayoutTest::screenshotWithKeptRunsIsTheFirstSize() {
  const QString picture = QDir(dir_->path()).filePath(QStringLiteral("compare.png"));
  QProcess kelvado;
  kelvado.start(QStringLiteral(KELVADO_EXE), {QStringLiteral("--screenshot"), picture, QStringLiteral("--with-plots"),
                                              QStringLiteral("--compare"), QStringLiteral("40,80")});
  QVERIFY(kelvado.waitForFinished(60000));
  QCOMPARE(kelvado.exitCode(), 0);
  QCOMPARE(QImage(picture).size(), kFirstSize);

  // An output that is not a number is said so, and no picture passes for the asked one.
  kelvado.start(QStringLiteral(KELVADO_EXE), {QStringLiteral("--screenshot"), picture + QStringLiteral(".bad.png"),
                                              QStringLiteral("--with-plots"), QStringLiteral("--compare"),
                                              QStringLiteral("40,forty")});
  QVERIFY(kelvado.waitForFinished(60000));
  QCOMPARE(kelvado.exitCode(), 1);
  QVERIFY(kelvado.readAllStandardError().contains("output of forty ended as improper input"));
  QVERIFY(!QFile::exists(picture + QStringLiteral(".bad.png")));
}

QTEST_MAIN(LayoutTest)
#include "window_layout_test.moc"
