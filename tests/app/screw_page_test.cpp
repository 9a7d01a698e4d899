// SPDX-License-Identifier: Apache-2.0
// The Screw page of the window: a screw of zones typed into its table runs from Run, driven at
// the page's speed; what cannot be run is marked and refused naming the zone; the plots along
// the channel mark where the zones meet; the drawing of the root is to scale.
#include <QChart>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

#include "app/main_window.h"
#include "app/plots/results_plots.h"
#include "app/plots/screw_panel.h"
#include "app/plots/zone_marks.h"
#include "solver/services.h"
#include "tests/app/window_harness.h"

using plots::PlotId;

class ScrewPageTest : public QObject {
  Q_OBJECT

 private slots:
  void init();
  void cleanup();

  void oneZoneOfTheChannelRunsAsTheChannel();
  void badZonesAreMarkedAndRefusedNamingTheZone();
  void zoneBoundariesAreMarkedAlongTheChannel();
  void characteristicRunsTheZones();
  void drawingIsToScaleAndFollowsTheFields();
  void zonesGreyTheFieldsTheyReplaceAndNeedTheConsistentModel();

 private:
  QLineEdit* edit(int number) const { return window_harness::Edit(*form_, number); }
  ScrewPanel* screw() const { return form_->screwPanel(); }
  QTableWidget* table() const { return screw()->table(); }
  QLineEdit* rpm() const { return screw()->findChild<QLineEdit*>(QStringLiteral("ScrewRpm")); }
  void setCell(int row, int column, const QString& text) { table()->item(row, column)->setText(text); }
  bool run() { return window_harness::RunByEnter(*form_, edit(1)); }
  // Enter in a field, when the run is refused before it starts: the message it raised.
  QString refusal() {
    const qsizetype before = dialogs_.messages.size();
    QTest::keyClick(edit(1), Qt::Key_Return);
    if (form_->runInProgress() || dialogs_.messages.size() != before + 1) return {};
    return dialogs_.messages.last();
  }
  bool marked(int row, int column) const { return table()->item(row, column)->background().style() != Qt::NoBrush; }
  QString resultPath() const { return QDir(window_.dir->path()).filePath(QStringLiteral("result.txt")); }

  window_harness::OpenedWindow window_;
  std::unique_ptr<TForm1>& form_ = window_.form;
  window_harness::RecordingDialogs& dialogs_ = window_.dialogs;
};

void ScrewPageTest::init() {
  QVERIFY(window_.open());
  form_->setFlowModel(kelvado::FlowModel::Consistent);
}

void ScrewPageTest::cleanup() { window_.close(); }

// The default channel of 8 turns typed as one zone and driven at the speed the ordinary run
// had: the same outlet, to the digits the march keeps.
void ScrewPageTest::oneZoneOfTheChannelRunsAsTheChannel() {
  QVERIFY(run());
  const kelvado::RunOutcome plain = form_->lastOutcome();
  QCOMPARE(plain.status, kelvado::RunStatus::Finished);
  QVERIFY(plain.record.zones.empty());

  screw()->findChild<QPushButton*>(QStringLiteral("ScrewAdd"))->click();
  QCOMPARE(table()->rowCount(), 1);
  QCOMPARE(table()->item(0, 1)->text(), QStringLiteral("0.25"));  // the case's depth
  setCell(0, 0, QStringLiteral("8"));
  rpm()->setText(QString::number(plain.summary.Rpm, 'g', 17));
  QVERIFY(run());
  const kelvado::RunOutcome zoned = form_->lastOutcome();
  QCOMPARE(zoned.status, kelvado::RunStatus::Finished);
  QCOMPARE(zoned.record.zones.size(), std::size_t(1));
  QVERIFY(std::abs(zoned.summary.OutletPressure - plain.summary.OutletPressure) <= 1e-6 * plain.summary.OutletPressure);
  QVERIFY(std::abs(zoned.summary.AvgTemp - plain.summary.AvgTemp) <= 1e-6 * plain.summary.AvgTemp);
  QVERIFY(dialogs_.messages.isEmpty());
  const QString progress = form_->findChild<QProgressBar*>(QStringLiteral("ProgressBar1"))->format();
  QVERIFY2(progress.endsWith(QStringLiteral(" of 8 turns")), qPrintable(progress));
}

void ScrewPageTest::badZonesAreMarkedAndRefusedNamingTheZone() {
  screw()->showZoneTexts({"turns=4,depth=0.6", "turns=12,depth=0.25"});
  const auto* status = screw()->findChild<QLabel*>(QStringLiteral("ScrewStatus"));

  setCell(1, 0, QStringLiteral("twelve"));
  QVERIFY(marked(1, 0));
  QVERIFY(!marked(0, 0) && !marked(1, 1));
  QString message = refusal();
  QVERIFY2(message.startsWith(QStringLiteral("Zone 2: ")) && message.contains(QStringLiteral("turns")), qPrintable(message));
  QCOMPARE(status->text(), message);

  // Deeper than the barrel's radius (6.5 cm across).
  setCell(1, 0, QStringLiteral("12"));
  setCell(1, 2, QStringLiteral("3.5"));
  QVERIFY(marked(1, 2) && !marked(1, 0) && !marked(1, 1));
  message = refusal();
  QVERIFY2(message.contains(QStringLiteral("zone 2")) && message.contains(QStringLiteral("deeper than the barrel radius")),
           qPrintable(message));
  // A wider barrel makes it good, as the field is typed.
  edit(1)->setText(QStringLiteral("8"));
  QVERIFY(!marked(1, 2));
  QVERIFY(status->text().isEmpty());

  rpm()->setText(QStringLiteral("0"));
  QVERIFY2(refusal().contains(QStringLiteral("Screw speed (rpm)")), qPrintable(dialogs_.messages.last()));
  rpm()->setText(QStringLiteral("80"));
  form_->setFlowModel(kelvado::FlowModel::Classic);
  QCOMPARE(refusal(), QString::fromLatin1(kelvado::messages::kZonesNeedConsistentModel));
  QVERIFY(!QFileInfo::exists(resultPath()));

  // A case with a zone that cannot be read is not saved: the file stays as it was.
  setCell(0, 3, QStringLiteral("-1"));
  QVERIFY(marked(0, 3));
  const QString saved = QDir(window_.dir->path()).filePath(QStringLiteral("bad.kvcase"));
  dialogs_.fileAnswers << saved;
  form_->findChild<QAction*>(QStringLiteral("actionSaveCaseAs"))->trigger();
  QVERIFY(!QFileInfo::exists(saved));
  QVERIFY2(dialogs_.warnings.size() == 1 && dialogs_.warnings[0].contains(QStringLiteral("pitch")),
           qPrintable(dialogs_.warnings.join(u'\n')));
}

void ScrewPageTest::zoneBoundariesAreMarkedAlongTheChannel() {
  edit(6)->setText(QStringLiteral("50"));
  screw()->showZoneTexts({"turns=4,depth=0.6", "turns=4,depth=0.6:0.25", "turns=12,depth=0.25"});
  rpm()->setText(QStringLiteral("80"));
  QVERIFY(run());
  QCOMPARE(form_->lastOutcome().status, kelvado::RunStatus::Finished);
  // Where the zones meet, in turns from the inlet: after 4 and after 4 + 4.
  for (const PlotId id : plots::kChannelPlots) {
    QCOMPARE(plots::MarkedBoundaries(form_->resultsPlots()->chart(id)), (QList<double>{4, 8}));
  }
  // Without zones, the same case is one channel: no marks.
  while (table()->rowCount() > 0) screw()->findChild<QPushButton*>(QStringLiteral("ScrewRemove"))->click();
  QVERIFY(run());
  QCOMPARE(form_->lastOutcome().status, kelvado::RunStatus::Finished);
  for (const PlotId id : plots::kChannelPlots) QVERIFY(plots::MarkedBoundaries(form_->resultsPlots()->chart(id)).isEmpty());
}

// The characteristic's case at the run's speed and output is the run the window made.
void ScrewPageTest::characteristicRunsTheZones() {
  edit(6)->setText(QStringLiteral("50"));
  screw()->showZoneTexts({"turns=4,depth=0.6", "turns=12,depth=0.6:0.3"});
  rpm()->setText(QStringLiteral("70"));
  QVERIFY(run());
  const kelvado::OutletSummary zoned = form_->lastOutcome().summary;
  CharacteristicPanel* characteristic = form_->resultsPlots()->characteristic();
  QSignalSpy calculated(characteristic, &CharacteristicPanel::calculated);
  characteristic->calculate(70, 50, 50, 1);
  QVERIFY(calculated.wait(window_harness::kRunTimeoutMs));
  QCOMPARE(characteristic->results().size(), std::size_t(1));
  QCOMPARE(characteristic->results()[0].status, kelvado::RunStatus::Finished);
  QCOMPARE(characteristic->results()[0].summary.OutletPressure, zoned.OutletPressure);
  QCOMPARE(characteristic->results()[0].summary.AvgTemp, zoned.AvgTemp);
}

void ScrewPageTest::drawingIsToScaleAndFollowsTheFields() {
  // Barrel 6.5 cm across, pitch 6.5 cm unless a zone has its own.
  screw()->showZoneTexts({"turns=4,depth=0.6", "turns=4,depth=0.6:0.25,pitch=5", "turns=12,depth=0.25"});
  ScrewPanel::Profile profile = screw()->profile();
  QCOMPARE(profile.sections.size(), std::size_t(3));
  QCOMPARE(profile.barrelRadius, 3.25);
  QCOMPARE(profile.sections[0].to, 26.0);
  QCOMPARE(profile.sections[1].to, 46.0);
  QCOMPARE(profile.sections[2].to, 124.0);
  QCOMPARE(profile.sections[1].rootFrom, 2.65);
  QCOMPARE(profile.sections[1].rootTo, 3.0);

  edit(1)->setText(QStringLiteral("8"));
  edit(4)->setText(QStringLiteral("7"));
  profile = screw()->profile();
  QCOMPARE(profile.sections[2].rootTo, 3.75);
  QCOMPARE(profile.sections[2].to, 28.0 + 20.0 + 84.0);

  // No zones: the case's one channel, L/D turns at the channel depth.
  screw()->showZoneTexts({});
  profile = screw()->profile();
  QCOMPARE(profile.sections.size(), std::size_t(1));
  QCOMPARE(profile.sections[0].to, 8.0 * 7.0);
  QCOMPARE(profile.sections[0].rootFrom, 4.0 - 0.25);
}

// L/D (2), channel depth (3) and the flow-rate ratio (7) are not read by a run of zones.
void ScrewPageTest::zonesGreyTheFieldsTheyReplaceAndNeedTheConsistentModel() {
  const auto* status = screw()->findChild<QLabel*>(QStringLiteral("ScrewStatus"));
  auto* add = screw()->findChild<QPushButton*>(QStringLiteral("ScrewAdd"));
  add->click();
  for (const int number : {2, 3, 7}) {
    QVERIFY2(!edit(number)->isEnabled() && edit(number)->toolTip().contains(QStringLiteral("zones")), qPrintable(edit(number)->toolTip()));
  }
  QVERIFY(edit(1)->isEnabled() && edit(4)->isEnabled() && edit(6)->isEnabled());
  QVERIFY(status->text().isEmpty());
  screw()->showZoneTexts({});
  for (const int number : {2, 3, 7}) QVERIFY(edit(number)->isEnabled());
  QVERIFY2(edit(3)->toolTip().startsWith(QStringLiteral("Channel Depth, in cm")), qPrintable(edit(3)->toolTip()));

  // In the classic model, a zone added is at once said to need the consistent one.
  form_->setFlowModel(kelvado::FlowModel::Classic);
  QVERIFY(status->text().isEmpty());
  add->click();
  QCOMPARE(status->text(), QString::fromLatin1(kelvado::messages::kZonesNeedConsistentModel));
  form_->setFlowModel(kelvado::FlowModel::Consistent);
  QVERIFY(status->text().isEmpty());
}

QTEST_MAIN(ScrewPageTest)
#include "screw_page_test.moc"
