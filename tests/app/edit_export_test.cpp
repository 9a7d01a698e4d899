// SPDX-License-Identifier: Apache-2.0
// Edit and export in the window: undo and redo of fields, choices and tables, put back into
// what the next run reads; another case starts the history afresh; tables copied as text with
// their headings and plots as pictures; the characteristic's CSV holds the numbers the plot
// draws and a read-only file is kept.
#include <QAction>
#include <QApplication>
#include <QChart>
#include <QChartView>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QLineSeries>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTableWidget>
#include <QTest>
#include <sys/stat.h>

#include "app/case_session.h"
#include "app/main_window.h"
#include "app/plots/characteristic_panel.h"
#include "app/plots/results_plots.h"
#include "app/plots/screw_panel.h"
#include "app/rounded_field.h"
#include "materials/material_library.h"
#include "tests/app/window_harness.h"

namespace {

QByteArray ReadAll(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

}  // namespace

class EditExportTest : public QObject {
  Q_OBJECT

 private slots:
  void init();
  void cleanup();

  void fieldAndChoiceEditsUndoIntoTheRun();
  void undoKeepsTheExactValueBehindARoundedOne();
  void tableEditsUndoIntoTheRunAndShowTheirPage();
  void anotherCaseStartsTheHistoryAfresh();
  void tablesCopyAsTextAndPlotsAsPictures();
  void characteristicCsvHoldsThePlottedNumbersAndKeepsAReadOnlyFile();

 private:
  QLineEdit* edit(int number) const { return window_harness::Edit(*form_, number); }
  QAction* action(const char* name) const { return form_->findChild<QAction*>(QLatin1String(name)); }
  QTableWidget* dieTable() const { return form_->findChild<QTableWidget*>(QStringLiteral("DieSections")); }
  QTableWidget* zoneTable() const { return form_->screwPanel()->table(); }
  QWidget* pageInFront() const { return form_->findChild<QTabWidget*>(QStringLiteral("PlotTabs"))->currentWidget(); }
  // Types the text over the field's and leaves it, as a user moving on with Tab.
  void type(int number, const QString& text) {
    edit(number)->setFocus();
    edit(number)->selectAll();
    QTest::keyClicks(edit(number), text);
    QTest::keyClick(edit(number), Qt::Key_Tab);
  }
  bool run() { return window_harness::RunByEnter(*form_, edit(1)); }
  QString resultPath() const { return QDir(window_.dir->path()).filePath(QStringLiteral("result.txt")); }
  QString file(const char* name) const { return QDir(window_.dir->path()).filePath(QLatin1String(name)); }

  window_harness::OpenedWindow window_;
  std::unique_ptr<TForm1>& form_ = window_.form;
  window_harness::RecordingDialogs& dialogs_ = window_.dialogs;
};

void EditExportTest::init() {
  QVERIFY(window_.open());
  form_->activateWindow();
  QVERIFY(QTest::qWaitForWindowActive(form_.get()));
}

void EditExportTest::cleanup() { window_.close(); }

// The barrel temperature typed and left is one step; its undo puts back the default, and the
// run then writes the golden file; redo (either key) brings 280 back into the run. The flow
// model is a step of its own.
void EditExportTest::fieldAndChoiceEditsUndoIntoTheRun() {
  QVERIFY(!action("actionUndo")->isEnabled());
  type(12, QStringLiteral("280"));
  QCOMPARE(action("actionUndo")->text(), QStringLiteral("&Undo Barrel Temperature"));
  QVERIFY(!action("actionRedo")->isEnabled());

  // Ctrl+Z in a field with nothing typed is the window's.
  QTest::keySequence(QApplication::focusWidget(), QKeySequence::Undo);
  QCOMPARE(edit(12)->text(), QStringLiteral("300.0"));
  QCOMPARE(QApplication::focusWidget(), edit(12));
  QCOMPARE(action("actionRedo")->text(), QStringLiteral("&Redo Barrel Temperature"));
  QVERIFY(run());
  QCOMPARE(ReadAll(resultPath()), ReadAll(QStringLiteral(KELVADO_GOLDEN_RESULT)));

  QTest::keyClick(edit(12), Qt::Key_Y, Qt::ControlModifier);
  QCOMPARE(edit(12)->text(), QStringLiteral("280"));
  QVERIFY(run());
  QVERIFY(ReadAll(resultPath()).contains("=  280.0\r\n"));
  QTest::keySequence(edit(12), QKeySequence::Undo);
  QTest::keySequence(edit(12), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z));
  QCOMPARE(edit(12)->text(), QStringLiteral("280"));

  // Typing not yet left is the field's own to undo, letter by letter.
  edit(6)->setFocus();
  QTest::keyClicks(edit(6), QStringLiteral("5"));
  QTest::keySequence(edit(6), QKeySequence::Undo);
  QCOMPARE(edit(6)->text(), QStringLiteral("60.0"));
  QCOMPARE(edit(12)->text(), QStringLiteral("280"));

  // "Custom" opens the material's fields; undone, the library's melt greys them again with
  // its own density, whatever was typed there.
  auto* material = form_->findChild<QComboBox*>(QStringLiteral("MaterialChoice"));
  const QString melt = material->currentText();
  material->setCurrentIndex(material->count() - 1);
  QCOMPARE(action("actionUndo")->text(), QStringLiteral("&Undo Material"));
  type(8, QStringLiteral("0.91"));
  QCOMPARE(action("actionUndo")->text(), QStringLiteral("&Undo Density"));
  action("actionUndo")->trigger();
  QCOMPARE(edit(8)->text(), QStringLiteral("0.96"));
  action("actionUndo")->trigger();
  QCOMPARE(material->currentText(), melt);
  QVERIFY(!edit(8)->isEnabled());

  form_->findChild<QRadioButton*>(QStringLiteral("FlowModel_consistent"))->click();
  QCOMPARE(action("actionUndo")->text(), QStringLiteral("&Undo Flow Model"));
  action("actionUndo")->trigger();
  QCOMPARE(form_->flowModel(), kelvado::FlowModel::Classic);
  QCOMPARE(edit(12)->text(), QStringLiteral("280"));
}

// A material's field shows its value rounded and a run reads the exact one behind it; an undo
// and redo across that value bring back the exact value, not the rounded text shown.
void EditExportTest::undoKeepsTheExactValueBehindARoundedOne() {
  auto* material = form_->findChild<QComboBox*>(QStringLiteral("MaterialChoice"));
  material->setCurrentIndex(material->count() - 1);  // Custom
  const QString exact = QStringLiteral("15.298130957893875");
  rounded_field::Show(edit(13), exact, '.');
  QCOMPARE(edit(13)->text(), QStringLiteral("15.2981"));
  type(12, QStringLiteral("280"));
  action("actionUndo")->trigger();
  QCOMPARE(rounded_field::Text(edit(13)), QStringLiteral("10.5"));
  action("actionRedo")->trigger();
  QCOMPARE(edit(13)->text(), QStringLiteral("15.2981"));
  QCOMPARE(rounded_field::Text(edit(13)), exact);
  QVERIFY(edit(13)->toolTip().contains(exact));
  // A typed depth brought back by a redo shows rounded; a zone added on the Screw page starts
  // at the depth behind it.
  type(3, QStringLiteral("0.2512345678"));
  action("actionUndo")->trigger();
  action("actionRedo")->trigger();
  QCOMPARE(edit(3)->text(), QStringLiteral("0.251235"));
  form_->screwPanel()->findChild<QPushButton*>(QStringLiteral("ScrewAdd"))->click();
  QCOMPARE(zoneTable()->item(0, 1)->text(), QStringLiteral("0.2512345678"));
}

// A zone's turns changed on the Screw page: undo and redo put each back and the run is driven
// through that many turns; undoing the added zone leaves the case's one channel. An edit of
// the die undoes on its page too.
void EditExportTest::tableEditsUndoIntoTheRunAndShowTheirPage() {
  form_->setFlowModel(kelvado::FlowModel::Consistent);
  form_->screwPanel()->findChild<QPushButton*>(QStringLiteral("ScrewAdd"))->click();
  QCoreApplication::processEvents();  // a user's click and edit are two turns of the event loop
  zoneTable()->item(0, 0)->setText(QStringLiteral("6"));
  form_->resultsPlots()->setCurrentPage(0);
  QCOMPARE(action("actionUndo")->text(), QStringLiteral("&Undo Screw Zones"));

  action("actionUndo")->trigger();
  QCOMPARE(zoneTable()->item(0, 0)->text(), QStringLiteral("4"));
  QCOMPARE(pageInFront(), form_->screwPanel());
  QVERIFY(run());
  QCOMPARE(form_->lastOutcome().status, kelvado::RunStatus::Finished);
  QCOMPARE(form_->lastOutcome().record.zones.back().EndTurns, 4.0);

  action("actionRedo")->trigger();
  QVERIFY(run());
  QCOMPARE(form_->lastOutcome().record.zones.back().EndTurns, 6.0);

  action("actionUndo")->trigger();
  action("actionUndo")->trigger();
  QCOMPARE(zoneTable()->rowCount(), 0);
  QCOMPARE(action("actionUndo")->text(), QStringLiteral("&Undo Flow Model"));  // the test's first step
  QVERIFY(run());
  QVERIFY(form_->lastOutcome().record.zones.empty());

  dieTable()->item(0, 1)->setText(QStringLiteral("25"));
  QCoreApplication::processEvents();
  QCOMPARE(form_->dieSections(), std::vector<std::string>{"slit:width=25,gap=0.08,length=4"});
  form_->resultsPlots()->setCurrentPage(0);
  QCOMPARE(action("actionUndo")->text(), QStringLiteral("&Undo Die Sections"));
  QTest::keySequence(QApplication::focusWidget(), QKeySequence::Undo);
  QCOMPARE(dieTable()->item(0, 1)->text(), QStringLiteral("20"));
  QCOMPARE(form_->dieSections(), std::vector<std::string>{"slit:width=20,gap=0.08,length=4"});
  QCOMPARE(pageInFront(), form_->resultsPlots()->diePanel());
}

// New case (and Open, which puts a case in the same way) leaves nothing to undo.
void EditExportTest::anotherCaseStartsTheHistoryAfresh() {
  type(1, QStringLiteral("7"));
  QVERIFY(action("actionUndo")->isEnabled());
  action("actionNewCase")->trigger();
  QCOMPARE(edit(1)->text(), QStringLiteral("6.5"));
  QVERIFY(!action("actionUndo")->isEnabled());
  QCOMPARE(action("actionUndo")->text(), QStringLiteral("&Undo"));
  QTest::keySequence(edit(1), QKeySequence::Undo);
  QCOMPARE(edit(1)->text(), QStringLiteral("6.5"));
}

// Ctrl+C in a table: a heading row with the units, then the rows as shown (the selected ones
// only, when some are); the zones' CSV writes the window's comma as a point. A plot copies as
// the picture of its chart, from its menu or from Edit → Copy once clicked.
void EditExportTest::tablesCopyAsTextAndPlotsAsPictures() {
  form_->resultsPlots()->showPage(form_->resultsPlots()->diePanel());
  form_->findChild<QPushButton*>(QStringLiteral("DieAdd"))->click();
  dieTable()->item(1, 1)->setText(QStringLiteral("1.5"));
  dieTable()->item(1, 3)->setText(QStringLiteral("3"));
  const QString heading = QStringLiteral("Section\tDiameter, width or outer (cm)\tGap or inner (cm)\tLength (cm)\n");
  dieTable()->setFocus();
  dieTable()->clearSelection();
  QTest::keySequence(dieTable(), QKeySequence::Copy);
  QCOMPARE(QApplication::clipboard()->text(), heading + QStringLiteral("slit\t20\t0.08\t4\ncircular\t1.5\t\t3\n"));
  dieTable()->selectRow(1);
  QTest::keySequence(dieTable(), QKeySequence::Copy);
  QCOMPARE(QApplication::clipboard()->text(), heading + QStringLiteral("circular\t1.5\t\t3\n"));

  form_->setDecimalSeparator(',');
  form_->screwPanel()->findChild<QPushButton*>(QStringLiteral("ScrewAdd"))->click();
  zoneTable()->item(0, 2)->setText(QStringLiteral("0,3"));
  form_->resultsPlots()->showPage(form_->screwPanel());
  dialogs_.fileAnswers << file("zones.csv");
  action("actionExportCsv")->trigger();
  QCOMPARE(ReadAll(file("zones.csv")),
           QByteArray("Turns,Depth from (cm),Depth to (cm),Pitch (cm),Flight width (cm),Barrel temp. (\u00b0C)\r\n"
                      "4,0.25,0.3,,,\r\n"));

  QChartView* pressure = form_->resultsPlots()->view(plots::PlotId::Pressure);
  form_->resultsPlots()->setCurrentPage(0);
  QApplication::clipboard()->clear();
  pressure->findChild<QAction*>(pressure->objectName() + QStringLiteral("CopyPicture"))->trigger();
  const QSize size = pressure->chart()->size().toSize();
  QVERIFY(!size.isEmpty());
  QCOMPARE(QApplication::clipboard()->image().size(), size);
  QApplication::clipboard()->clear();
  QTest::mouseClick(pressure->viewport(), Qt::LeftButton);
  action("actionCopy")->trigger();
  const QImage picture = QApplication::clipboard()->image();
  QCOMPARE(picture.size(), size);
  // The axes and titles drawn on the white ground.
  int drawn = 0;
  for (int y = 0; y < picture.height(); ++y) {
    for (int x = 0; x < picture.width(); ++x) drawn += picture.pixelColor(x, y).lightness() < 128;
  }
  QVERIFY(drawn > 100);
}

// The characteristic in MPa: its CSV's heading names the unit, and every row reads back (with
// a point) as exactly the output, pressure and temperature the plot draws. A read-only file
// of that name is refused and kept, and nothing is left beside it.
void EditExportTest::characteristicCsvHoldsThePlottedNumbersAndKeepsAReadOnlyFile() {
  form_->setPressureUnit(display_units::PressureUnit::MPa);
  CharacteristicPanel* panel = form_->resultsPlots()->characteristic();
  QSignalSpy calculated(panel, &CharacteristicPanel::calculated);
  panel->calculate(85, 40, 60, 3);
  QVERIFY(calculated.wait(window_harness::kRunTimeoutMs));
  QList<QPointF> pressures, temperatures;
  for (QAbstractSeries* series : panel->view()->chart()->series()) {
    if (series->name() == QStringLiteral("Outlet pressure")) pressures = static_cast<QLineSeries*>(series)->points();
    if (series->name() == QStringLiteral("Mean outlet temperature")) temperatures = static_cast<QLineSeries*>(series)->points();
  }
  QCOMPARE(pressures.size(), 3);
  QCOMPARE(temperatures.size(), 3);

  dialogs_.fileAnswers << file("characteristic");  // the suffix is added
  panel->view()->findChild<QAction*>(QStringLiteral("CharacteristicPlotExportCsv"))->trigger();
  const QStringList lines = QString::fromUtf8(ReadAll(file("characteristic.csv"))).split(QStringLiteral("\r\n"));
  QCOMPARE(lines.size(), 5);  // the heading, three cases, and nothing after the last CR LF
  QCOMPARE(lines[0], QStringLiteral("Output (kg/hr),Screw speed (rpm),Outlet pressure (MPa),Mean outlet temperature "
                                    "(\u00b0C),Outcome"));
  for (int i = 0; i < 3; ++i) {
    const QStringList cells = lines[i + 1].split(QLatin1Char(','));
    QCOMPARE(cells.size(), 5);
    // Exactly, not to QCOMPARE's twelve digits: the file has every digit of the double.
    QVERIFY2(cells[0].toDouble() == pressures[i].x(), qPrintable(lines[i + 1]));
    QVERIFY(qAbs(cells[1].toDouble() - 85.0) < 1e-9);
    QVERIFY2(cells[2].toDouble() == pressures[i].y(), qPrintable(lines[i + 1]));
    QVERIFY2(cells[3].toDouble() == temperatures[i].y(), qPrintable(lines[i + 1]));
    QCOMPARE(cells[4], QStringLiteral("finished"));
  }

  QFile kept(file("kept.csv"));
  QVERIFY(kept.open(QIODevice::WriteOnly));
  kept.write("kept\n");
  kept.close();
  QCOMPARE(::chmod(QFile::encodeName(kept.fileName()).constData(), 0444), 0);
  const QStringList before = QDir(window_.dir->path()).entryList(QDir::Files);
  dialogs_.fileAnswers << kept.fileName();
  panel->view()->findChild<QAction*>(QStringLiteral("CharacteristicPlotExportCsv"))->trigger();
  QCOMPARE(ReadAll(kept.fileName()), QByteArray("kept\n"));
  QCOMPARE(dialogs_.warnings.size(), 1);
  QVERIFY2(dialogs_.warnings[0].startsWith(QStringLiteral("Export CSV: No CSV file was written: ")),
           qPrintable(dialogs_.warnings[0]));
  QCOMPARE(QDir(window_.dir->path()).entryList(QDir::Files), before);

  // Nor the user's materials file, which the window reads: not as a CSV file, not as a case.
  const QString materials = QString::fromStdString(kelvado::UserMaterialsFile().string());
  QVERIFY(QDir().mkpath(QFileInfo(materials).path()));
  const QByteArray mine = R"({"materials": []})";
  QFile own(materials);
  QVERIFY(own.open(QIODevice::WriteOnly) && own.write(mine) == mine.size());
  own.close();
  dialogs_.fileAnswers << materials;
  panel->view()->findChild<QAction*>(QStringLiteral("CharacteristicPlotExportCsv"))->trigger();
  dialogs_.fileAnswers << materials;
  QVERIFY(!form_->caseSession()->saveAs());
  QCOMPARE(ReadAll(materials), mine);
}

QTEST_MAIN(EditExportTest)
#include "edit_export_test.moc"
