// SPDX-License-Identifier: Apache-2.0
// A screw fed with pellets in the window: the Feed choice and the pellets' fields reach the run
// as the command line reads them from the saved case, and come back when the case is opened;
// a finished run draws the solid bed along the screw; a run the stages can not take is refused
// before it starts.
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QChart>
#include <QLineSeries>
#include <QProcess>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>

#include "app/case_session.h"
#include "app/feed_box.h"
#include "app/material_box.h"
#include "app/plots/bed_drawing.h"
#include "app/plots/results_plots.h"
#include "app/plots/screw_panel.h"
#include "tests/app/window_harness.h"

namespace {

QByteArray ReadAll(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

}  // namespace

class PelletWindowTest : public QObject {
  Q_OBJECT

 private slots:
  void init();
  void cleanup();

  void feedAndPelletFieldsReachTheRunAndTheCase();
  void runDrawsTheBedAlongTheScrew();
  void runsTheStagesCanNotTakeAreRefused();

 private:
  QLineEdit* edit(int number) const { return window_harness::Edit(*form_, number); }
  QLineEdit* pellet(const char* name) const {
    return form_->findChild<QLineEdit*>(QStringLiteral("Pellet_%1").arg(QLatin1String(name)));
  }
  QString path(const QString& name) const { return QDir(window_.dir->path()).filePath(name); }
  // The README's three-zone screw fed with LDPE pellets at 25 C, at a given output and 80 rpm.
  void showWorkedExample();
  // Enter in a field, when the run is refused before it starts: the message it raised.
  QString refusal() {
    const qsizetype before = dialogs_.messages.size();
    QTest::keyClick(edit(1), Qt::Key_Return);
    if (form_->runInProgress() || dialogs_.messages.size() != before + 1) return {};
    return dialogs_.messages.last();
  }

  window_harness::OpenedWindow window_;
  std::unique_ptr<TForm1>& form_ = window_.form;
  window_harness::RecordingDialogs& dialogs_ = window_.dialogs;
};

void PelletWindowTest::init() { QVERIFY(window_.open()); }

void PelletWindowTest::cleanup() { window_.close(); }

void PelletWindowTest::showWorkedExample() {
  kelvado::CaseData c = form_->caseData();
  c.inputs[kelvado::Field::InletTemp] = "25";
  c.inputs[kelvado::Field::OutputRate] = "56.18";
  c.zones = {"turns=4,depth=0.6,barrel-temp=140", "turns=4,depth=0.6:0.25,barrel-temp=200",
             "turns=12,depth=0.25,barrel-temp=220"};
  c.rpm = "80";
  form_->applyCase(c);
  // What a user does: the material, the model, the feed and the hopper's pressure.
  auto* material = form_->materialBox()->findChild<QComboBox*>(QStringLiteral("MaterialChoice"));
  material->setCurrentIndex(material->findText(QStringLiteral("LDPE")));
  form_->setFlowModel(kelvado::FlowModel::Consistent);
  form_->feedBox()->choice()->setCurrentIndex(form_->feedBox()->choice()->findText(QStringLiteral("pellets")));
  pellet("hopper-pressure")->setText(QStringLiteral("0.05"));
}

// The fields follow the material, and what the window runs is what the command line runs
// from the case it saves: the same results file. Opened again, the case shows the feed.
void PelletWindowTest::feedAndPelletFieldsReachTheRunAndTheCase() {
  QVERIFY(!form_->feedBox()->isVisible());  // fed with melt, the window as it always was
  showWorkedExample();
  QVERIFY(form_->feedBox()->isVisible());
  QCOMPARE(pellet("melting-temp")->text(), QStringLiteral("110"));  // LDPE's, as its source gives it
  QVERIFY(!pellet("melting-temp")->isEnabled());
  QVERIFY(pellet("hopper-pressure")->isEnabled());

  QVERIFY(window_harness::RunByEnter(*form_, edit(1)));
  QCOMPARE(form_->lastOutcome().status, kelvado::RunStatus::Finished);
  const QByteArray windowResults = ReadAll(path(QStringLiteral("result.txt")));
  QVERIFY(windowResults.contains("Stages of the screw, fed with pellets at 25.0 C"));

  dialogs_.fileAnswers << path(QStringLiteral("pellets.kvcase"));
  QVERIFY(form_->caseSession()->saveAs());
  const QByteArray saved = ReadAll(path(QStringLiteral("pellets.kvcase")));
  QVERIFY(saved.contains(" = pellets\n") && saved.contains("\nhopper-pressure = 0.05\n"));
  QProcess cli;
  cli.start(QStringLiteral(KELVADO_CLI), {QStringLiteral("--inputs"), path(QStringLiteral("pellets.kvcase")),
                                          QStringLiteral("--output"), path(QStringLiteral("cli.txt"))});
  QVERIFY(cli.waitForFinished(60000));
  QCOMPARE(cli.exitCode(), 0);
  QCOMPARE(ReadAll(path(QStringLiteral("cli.txt"))), windowResults);

  // A melt-fed case saves no pellet lines; the pellet case comes back as saved.
  QVERIFY(form_->caseSession()->newCase());
  QVERIFY(!form_->feedBox()->isVisible());
  dialogs_.fileAnswers << path(QStringLiteral("melt.kvcase"));
  QVERIFY(form_->caseSession()->saveAs());
  QVERIFY(!ReadAll(path(QStringLiteral("melt.kvcase"))).contains("pellet"));
  QVERIFY(form_->caseSession()->open(path(QStringLiteral("pellets.kvcase"))));
  QCOMPARE(form_->feedBox()->feed(), kelvado::Feed::Pellets);
  QCOMPARE(pellet("hopper-pressure")->text(), QStringLiteral("0.05"));
  QCOMPARE(pellet("melting-temp")->text(), QStringLiteral("110"));
}

// The bed drawn in the channel ends where the run says melting ends; the stages' warnings
// are in the summary line's tip.
void PelletWindowTest::runDrawsTheBedAlongTheScrew() {
  showWorkedExample();
  QVERIFY(window_harness::RunByEnter(*form_, edit(1)));
  QVERIFY(form_->lastPelletOutcome().has_value());
  const kelvado::Plastication& p = form_->lastPelletOutcome()->plastication;
  QVERIFY(p.meltingEndTurn.has_value());
  QVERIFY(form_->findChild<QLabel*>(QStringLiteral("PlotStatus"))->toolTip().contains(QStringLiteral("Brinkman")));

  form_->resultsPlots()->showPage(form_->screwPanel());
  BedDrawing* bed = form_->screwPanel()->bedDrawing();
  QTRY_VERIFY(bed->isVisible());
  const QImage image = bed->grab().toImage();
  const QRectF channel = bed->channelArea();
  // Along the trailing flight, where the bed stays until it is gone.
  const int y = int(channel.bottom()) - 2;
  int last = -1;
  for (int x = int(channel.left()); x < int(channel.right()); ++x) {
    if (image.pixelColor(x, y) == BedDrawing::kBed) last = x;
  }
  QVERIFY(last > 0);
  const double drawnEnd = (last + 0.5 - channel.left()) / channel.width() * bed->turns();
  const double pixel = bed->turns() / channel.width();
  QVERIFY2(std::abs(drawnEnd - *p.meltingEndTurn) < 0.1 + 2 * pixel,
           qPrintable(QStringLiteral("drawn to turn %1, melted at %2").arg(drawnEnd).arg(*p.meltingEndTurn)));
  QCOMPARE(bed->turns(), 20.0);  // the three zones' turns

  // The channel's plots show the melt stage where it runs on the screw: from the end of
  // melting to the screw's end, not from turn 0.
  const auto* pressure = qobject_cast<QLineSeries*>(form_->resultsPlots()->chart(plots::PlotId::Pressure)->series().at(0));
  QVERIFY(pressure && pressure->count() > 1);
  QCOMPARE(pressure->at(0).x(), *p.meltingEndTurn);
  QVERIFY(std::abs(pressure->at(pressure->count() - 1).x() - 20) < 1e-9);
}

// The stages need the consistent model, a screw speed and the pellets' data: each missing one
// is refused before a run starts, with the message saying what to give.
void PelletWindowTest::runsTheStagesCanNotTakeAreRefused() {
  showWorkedExample();
  form_->setFlowModel(kelvado::FlowModel::Classic);
  QCOMPARE(refusal(), QString::fromLatin1(kelvado::messages::kPelletsNeedConsistentModel));
  form_->setFlowModel(kelvado::FlowModel::Consistent);
  form_->screwPanel()->setRpmText(QStringLiteral("0"));
  QVERIFY(refusal().startsWith(QStringLiteral("A screw fed with pellets is driven at a screw speed")));
  form_->screwPanel()->setRpmText(QStringLiteral("80"));
  auto* material = form_->materialBox()->findChild<QComboBox*>(QStringLiteral("MaterialChoice"));
  material->setCurrentIndex(0);  // the default melt has no solid-state data
  QVERIFY(pellet("bulk-density")->text().isEmpty());
  QVERIFY(refusal().contains(QStringLiteral("needs the pellets' solid-state data")));
  QVERIFY(!QFile::exists(path(QStringLiteral("result.txt"))));
}

QTEST_MAIN(PelletWindowTest)
#include "pellet_window_test.moc"
