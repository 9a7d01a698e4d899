// SPDX-License-Identifier: Apache-2.0
// The window's work on cases, driven through its menus as a user would: case files that the
// command line runs to the same results file, files it refuses, the question about unsaved
// changes, the pressure unit, the PDF report and runs kept on the plots for comparison.
// Expected values come from the results files and the command line, and the unit factors
// from the definitions of the units.
#include <QAbstractButton>
#include <QAction>
#include <QChart>
#include <QChartView>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLegend>
#include <QLegendMarker>
#include <QLineSeries>
#include <QMenu>
#include <QProcess>
#include <QRadioButton>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QValueAxis>
#include <cmath>
#include <memory>
#ifdef KELVADO_HAVE_QT_PDF
#include <QPdfDocument>
#endif

#include "app/case_session.h"
#include "app/material_box.h"
#include "app/plots/die_panel.h"
#include "app/main_window.h"
#include "app/plots/results_plots.h"
#include "app/settings.h"
#include "tests/app/window_harness.h"

using plots::PlotId;
using Answer = WindowDialogs::UnsavedAnswer;
using window_harness::RecordingDialogs;

namespace {

// 1 kgf = 9.80665 N; 1 lb = 0.45359237 kg and 1 in = 2.54 cm, so that 1 psi = 1 lbf/in2.
constexpr double kMPaPerKgfCm2 = 9.80665 / 100;
constexpr double kBarPerKgfCm2 = 9.80665 / 10;
constexpr double kPsiPerKgfCm2 = 2.54 * 2.54 / 0.45359237;

QByteArray ReadAll(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void WriteFile(const QString& path, const QByteArray& content) {
  QFile file(path);
  QVERIFY(file.open(QIODevice::WriteOnly));
  QCOMPARE(file.write(content), content.size());
}

// The number a results file prints on the line that starts with the caption, and half a unit
// of its last digit.
struct Printed {
  double value = std::nan("");
  double halfUnit = 0;
};

Printed PrintedLine(const QByteArray& results, const QByteArray& caption) {
  for (const QByteArray& line : results.split('\n')) {
    if (!line.trimmed().startsWith(caption)) continue;
    const QByteArray number = line.mid(line.lastIndexOf('=') + 1).trimmed();
    return {number.toDouble(), 0.5 * std::pow(10.0, -double(number.size() - number.indexOf('.') - 1))};
  }
  return {};
}

// The value is the printed one in another unit, to within the printed digits and `slack`.
bool Near(double value, Printed printed, double factor, double slack = 0) {
  return std::abs(value - printed.value * factor) <= printed.halfUnit * factor * 1.000001 + slack;
}

// The results file kelvado-cli writes for the inputs file and options; empty if it failed.
QByteArray CommandLineResults(const QString& inputs, const QDir& folder, const QStringList& options = {}) {
  const QString out = folder.filePath(QStringLiteral("cli-result.txt"));
  QFile::remove(out);
  QProcess cli;
  cli.start(QStringLiteral(KELVADO_CLI), QStringList{QStringLiteral("--inputs"), inputs, QStringLiteral("--output"), out} + options);
  if (!cli.waitForFinished(60000) || cli.exitStatus() != QProcess::NormalExit || cli.exitCode() != 0) {
    qWarning("kelvado-cli: %s", cli.readAllStandardError().constData());
    return {};
  }
  return ReadAll(out);
}

QList<QLineSeries*> Curves(const QChart* chart) {
  QList<QLineSeries*> curves;
  for (QAbstractSeries* s : chart->series()) curves << qobject_cast<QLineSeries*>(s);
  return curves;
}

QStringList AxisTitles(const QChart* chart) {
  QStringList titles;
  for (const QAbstractAxis* axis : chart->axes(Qt::Vertical)) titles << axis->titleText();
  return titles;
}

// The text of every page of the PDF; empty when it cannot be read.
QStringList PdfPageTexts(const QString& path) {
  QStringList pages;
#ifdef KELVADO_HAVE_QT_PDF
  QPdfDocument document;
  if (document.load(path) != QPdfDocument::Error::None) return {};
  for (int page = 0; page < document.pageCount(); ++page) pages << document.getAllText(page).text();
#else
  // Without Qt's PDF reader: one empty text per page object the writer made.
  const QByteArray bytes = ReadAll(path);
  pages.resize(bytes.count("/Type /Page\n"));
#endif
  return pages;
}

}  // namespace

class CaseTest : public QObject {
  Q_OBJECT

 private slots:
  // What the window remembers goes to a folder of this process's own.
  void initTestCase() {
    settingsDir_ = std::make_unique<QTemporaryDir>();
    QVERIFY(settingsDir_->isValid());
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, settingsDir_->path());
  }
  void cleanupTestCase() { settingsDir_.reset(); }
  void init();
  void cleanup();

  void caseRunsTheSameInTheWindowAndOnTheCommandLine();
  void caseKeepsItsMaterialAndDie();
  void zonedCaseRunsAsOnTheCommandLineAndSavesBack();
  void refusedCaseLeavesTheWindowAsItWas();
  void unsavedChangesAreAskedAbout();
  void pressureUnitFollowsTheViewMenu();
  void reportHoldsTheRunOnThreePages();
  void reportHoldsTheDiePagesPoint();
  void keptRunStaysDashedUntilCleared();
  void keptRunsAreNamedByWhatDiffers();

 private:
  QLineEdit* edit(int number) const { return window_harness::Edit(*form_, number); }
  QString path(const QString& name) const { return QDir(dir_->path()).filePath(name); }
  QString resultPath() const { return path(QStringLiteral("result.txt")); }
  bool run() { return window_harness::RunByEnter(*form_, edit(1)); }
  QChart* chart(PlotId id) const { return form_->resultsPlots()->chart(id); }
  void trigger(const char* action) {
    auto* a = form_->findChild<QAction*>(QLatin1String(action));
    QVERIFY2(a, action);
    a->trigger();
  }
  bool openWindow() {
    form_ = window_harness::OpenWindow(&dialogs_, dir_->path());
    return QTest::qWaitForWindowExposed(form_.get());
  }

  std::unique_ptr<QTemporaryDir> settingsDir_;
  std::unique_ptr<QTemporaryDir> dir_;
  std::unique_ptr<TForm1> form_;
  RecordingDialogs dialogs_;
};

void CaseTest::init() {
  WindowSettings().clear();
  dir_ = std::make_unique<QTemporaryDir>();
  QVERIFY(dir_->isValid());
  dialogs_ = RecordingDialogs();
  QVERIFY(openWindow());
}

void CaseTest::cleanup() {
  form_.reset();
  dir_.reset();
}

void CaseTest::caseRunsTheSameInTheWindowAndOnTheCommandLine() {
  // An inputs file as one writes it for the command line: a few fields, comments, CR LF.
  const QString handmade = path(QStringLiteral("handmade.kvcase"));
  WriteFile(handmade,
            "# for kelvado-cli --inputs\n"
            "barrel-temp=290\n"
            "output-rate = 50   # kg/hr\n"
            "\n"
            "flow-model = consistent\r\n"
            "die = slit:width=20,gap=0.08,length=4\n");
  dialogs_.fileAnswers << handmade;
  trigger("actionOpenCase");
  QCOMPARE(form_->windowTitle(), QStringLiteral("handmade - Kelvado"));
  QCOMPARE(edit(6)->text(), QStringLiteral("50"));
  QCOMPARE(edit(12)->text(), QStringLiteral("290"));
  QCOMPARE(edit(1)->text(), QStringLiteral("6.5"));  // not in the file: the default, as on the command line
  QCOMPARE(form_->flowModel(), kelvado::FlowModel::Consistent);
  QCOMPARE(form_->dieSections(), std::vector<std::string>{"slit:width=20,gap=0.08,length=4"});
  QVERIFY(run());
  QCOMPARE(form_->lastOutcome().status, kelvado::RunStatus::Finished);
  QVERIFY(!ReadAll(resultPath()).isEmpty());
  QCOMPARE(CommandLineResults(handmade, dir_->path()), ReadAll(resultPath()));

  // A change marks the title; Save as writes every field and names the window after the file.
  edit(11)->setText(QStringLiteral("295"));
  QCOMPARE(form_->windowTitle(), QStringLiteral("handmade* - Kelvado"));
  dialogs_.fileAnswers << path(QStringLiteral("saved"));  // the suffix is added
  trigger("actionSaveCaseAs");
  const QString saved = path(QStringLiteral("saved.kvcase"));
  QCOMPARE(form_->windowTitle(), QStringLiteral("saved - Kelvado"));
  QVERIFY(run());
  QCOMPARE(CommandLineResults(saved, dir_->path()), ReadAll(resultPath()));

  // Opened again from the recent cases of a new window, it is the same case.
  const kelvado::CaseData before = form_->caseData();
  QVERIFY(openWindow());
  auto* recent = form_->findChild<QMenu*>(QStringLiteral("MenuRecentCases"));
  QVERIFY(recent);
  emit recent->aboutToShow();
  QCOMPARE(recent->actions().size(), 2);
  QVERIFY(recent->actions()[1]->text().endsWith(QStringLiteral("handmade.kvcase")));
  recent->actions()[0]->trigger();
  QCOMPARE(form_->windowTitle(), QStringLiteral("saved - Kelvado"));
  QVERIFY(form_->caseData() == before);

  // Saved where the comma is the decimal separator, a case has points: the command line reads
  // the default case from it and writes the default results file.
  form_->setDecimalSeparator(',');
  trigger("actionNewCase");
  QCOMPARE(edit(3)->text(), QStringLiteral("0,25"));
  QCOMPARE(form_->windowTitle(), QStringLiteral("Kelvado"));
  dialogs_.fileAnswers << path(QStringLiteral("comma.kvcase"));
  trigger("actionSaveCase");  // no file yet: asks for one
  QCOMPARE(CommandLineResults(path(QStringLiteral("comma.kvcase")), dir_->path()),
           ReadAll(QStringLiteral(KELVADO_GOLDEN_RESULT)));
}

// The material and the die of a saved case come back in a new window, whatever that window
// held last; the command line runs the case to the window's results file.
void CaseTest::caseKeepsItsMaterialAndDie() {
  auto* choice = form_->findChild<QComboBox*>(QStringLiteral("MaterialChoice"));
  choice->setCurrentIndex(choice->findText(QStringLiteral("LDPE")));
  const kelvado::DieSection slit{kelvado::DieShape::Slit, 0, 20, 0.08, 0, 0, 4};
  form_->resultsPlots()->diePanel()->setSections({slit});
  const std::vector<std::string> die{kelvado::DieSectionText(slit)};
  QCOMPARE(form_->dieSections(), die);
  dialogs_.fileAnswers << path(QStringLiteral("ldpe.kvcase"));
  trigger("actionSaveCaseAs");
  const QByteArray text = ReadAll(path(QStringLiteral("ldpe.kvcase")));
  QVERIFY2(text.contains("\nmaterial        = LDPE\n") && text.contains("\ndensity         = 0.92\n") &&
               text.contains(QByteArray("\ndie             = ") + die[0].c_str() + "\n"),
           text.constData());
  QVERIFY(run());
  QCOMPARE(CommandLineResults(path(QStringLiteral("ldpe.kvcase")), dir_->path()), ReadAll(resultPath()));

  // A new window starts on the last session's LDPE; the sheet line's case is the default melt's.
  QVERIFY(openWindow());
  choice = form_->findChild<QComboBox*>(QStringLiteral("MaterialChoice"));
  QCOMPARE(choice->currentText(), QStringLiteral("LDPE"));
  QVERIFY(form_->caseSession()->open(QStringLiteral(KELVADO_SHEET_LINE_CASE)));
  QCOMPARE(choice->currentText(), QStringLiteral("Default melt (program's reference case)"));
  QCOMPARE(edit(8)->text(), QStringLiteral("0.96"));
  QVERIFY(form_->caseSession()->open(path(QStringLiteral("ldpe.kvcase"))));
  QCOMPARE(choice->currentText(), QStringLiteral("LDPE"));
  QCOMPARE(form_->dieSections(), die);
  QCOMPARE(form_->resultsPlots()->diePanel()->sectionTexts(), std::optional(die));
  QCOMPARE(form_->windowTitle(), QStringLiteral("ldpe - Kelvado"));
  QVERIFY(dialogs_.warnings.isEmpty());

  // A name whose values are not the material's, or a material not here, opens as Custom, said once.
  const QByteArray heavier = QByteArray(text).replace("density         = 0.92", "density         = 0.93");
  const QList<QPair<QByteArray, QString>> custom{
      {heavier, QStringLiteral("values differ")},
      {QByteArray(heavier).replace("material        = LDPE", "material        = Grade 7"),
       QStringLiteral("not among the materials")},
  };
  for (const auto& [content, said] : custom) {
    WriteFile(path(QStringLiteral("custom.kvcase")), content);
    dialogs_.warnings.clear();
    QVERIFY(form_->caseSession()->open(path(QStringLiteral("custom.kvcase"))));
    QCOMPARE(choice->currentText(), MaterialBox::kCustom);
    QCOMPARE(edit(8)->text(), QStringLiteral("0.93"));
    QCOMPARE(dialogs_.warnings.size(), 1);
    QVERIFY2(dialogs_.warnings[0].contains(said), qPrintable(dialogs_.warnings[0]));
  }
}

void CaseTest::zonedCaseRunsAsOnTheCommandLineAndSavesBack() {
  const QString zoned = path(QStringLiteral("zoned.kvcase"));
  WriteFile(zoned, "flow-model = consistent\noutput-rate = 50\nzone = turns=4,depth=0.6\n"
                   "zone = turns=4,depth=0.6:0.25\nzone = turns=12,depth=0.25\n");
  QVERIFY(form_->caseSession()->open(zoned));
  QVERIFY(dialogs_.warnings.isEmpty());
  const QTableWidget* table = form_->screwPanel()->table();
  QCOMPARE(table->rowCount(), 3);
  QCOMPARE(table->item(1, 1)->text(), QStringLiteral("0.6"));
  QCOMPARE(table->item(1, 2)->text(), QStringLiteral("0.25"));
  QCOMPARE(table->item(2, 0)->text(), QStringLiteral("12"));

  // Driven at the page's speed, the window writes the command line's results file.
  form_->screwPanel()->findChild<QLineEdit*>(QStringLiteral("ScrewRpm"))->setText(QStringLiteral("80"));
  QVERIFY(run());
  QCOMPARE(form_->lastOutcome().status, kelvado::RunStatus::Finished);
  QVERIFY(!ReadAll(resultPath()).isEmpty());
  QCOMPARE(CommandLineResults(zoned, dir_->path(), {QStringLiteral("--rpm"), QStringLiteral("80")}),
           ReadAll(resultPath()));

  // The report lists the zones, each ending where the next begins.
  dialogs_.fileAnswers << path(QStringLiteral("zoned.pdf"));
  trigger("actionExportReport");
  const QStringList pages = PdfPageTexts(path(QStringLiteral("zoned.pdf")));
  QCOMPARE(pages.size(), 3);
#ifdef KELVADO_HAVE_QT_PDF
  QVERIFY2(pages[1].contains(QStringLiteral("Screw of 3 zones")), qPrintable(pages[1]));
  for (const char* turns : {"0.00\u20134.00", "4.00\u20138.00", "8.00\u201320.00"}) {
    QVERIFY2(pages[1].contains(QString::fromUtf8(turns)), turns);
  }
#endif

  // Without a window a case with no speed can not be driven: the headless report refuses it.
  QProcess headless;
  headless.start(QStringLiteral(KELVADO_EXE), {QStringLiteral("--report"), path(QStringLiteral("headless.pdf")), zoned});
  QVERIFY(headless.waitForFinished(60000));
  QVERIFY(headless.exitCode() != 0);
  QVERIFY(headless.readAllStandardError().contains("screw of zones"));
  QVERIFY(!QFileInfo::exists(path(QStringLiteral("headless.pdf"))));

  // Saved, opened and saved again: the same bytes, the zones as the file gave them.
  dialogs_.fileAnswers << path(QStringLiteral("again.kvcase"));
  trigger("actionSaveCaseAs");
  const QByteArray again = ReadAll(path(QStringLiteral("again.kvcase")));
  QVERIFY2(again.contains("\nzone            = turns=4,depth=0.6\nzone            = turns=4,depth=0.6:0.25\n"
                          "zone            = turns=12,depth=0.25\n"),
           again.constData());
  // The page's speed is saved with the zones; with it the headless report runs the screw.
  QVERIFY2(again.contains("\nrpm             = 80\n"), again.constData());
  headless.start(QStringLiteral(KELVADO_EXE), {QStringLiteral("--report"), path(QStringLiteral("headless.pdf")),
                                               path(QStringLiteral("again.kvcase"))});
  QVERIFY(headless.waitForFinished(60000));
  QCOMPARE(headless.exitCode(), 0);
  QVERIFY(QFileInfo::exists(path(QStringLiteral("headless.pdf"))));
  form_->screwPanel()->findChild<QLineEdit*>(QStringLiteral("ScrewRpm"))->setText(QStringLiteral("65"));
  QVERIFY(form_->caseSession()->open(path(QStringLiteral("again.kvcase"))));
  QCOMPARE(form_->screwPanel()->findChild<QLineEdit*>(QStringLiteral("ScrewRpm"))->text(), QStringLiteral("80"));
  dialogs_.fileAnswers << path(QStringLiteral("third.kvcase"));
  trigger("actionSaveCaseAs");
  QCOMPARE(ReadAll(path(QStringLiteral("third.kvcase"))), again);

  // An edit of the table is the case's: the zone is saved as the page shows it.
  form_->screwPanel()->table()->item(1, 3)->setText(QStringLiteral("5.0"));
  QCOMPARE(form_->windowTitle(), QStringLiteral("third* - Kelvado"));
  trigger("actionSaveCase");
  QVERIFY(ReadAll(path(QStringLiteral("third.kvcase"))).contains("\nzone            = turns=4,depth=0.6:0.25,pitch=5\n"));
}

void CaseTest::refusedCaseLeavesTheWindowAsItWas() {
  const QString good = path(QStringLiteral("good.kvcase"));
  WriteFile(good, "output-rate = 50\n");
  QVERIFY(form_->caseSession()->open(good));
  edit(11)->setText(QStringLiteral("295"));
  const kelvado::CaseData before = form_->caseData();
  QCOMPARE(form_->windowTitle(), QStringLiteral("good* - Kelvado"));

  struct Refused {
    QString name;
    QByteArray content;  // null: no such file
    QString after;       // what the message has right after the file's name
  };
  const QList<Refused> refused{
      {QStringLiteral("unknown.kvcase"), "output-rate = 50\n# the colour\nscrew-colour = red\n", QStringLiteral(":3: ")},
      {QStringLiteral("number.kvcase"), "\nbarrel-diameter = 6.5 cm\n", QStringLiteral(":2: barrel-diameter")},
      {QStringLiteral("die.kvcase"), "output-rate = 50\ndie = slit:width=20\n", QStringLiteral(":2: ")},
      {QStringLiteral("picture.png"), QByteArray("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16), QStringLiteral(":1: ")},
      {QStringLiteral("empty.kvcase"), "# nothing but a comment\n", QStringLiteral(": holds no inputs")},
      {QStringLiteral("missing.kvcase"), QByteArray(), QStringLiteral("'")},
  };
  for (const Refused& r : refused) {
    if (!r.content.isNull()) WriteFile(path(r.name), r.content);
    dialogs_.warnings.clear();
    QVERIFY(!form_->caseSession()->open(path(r.name)));
    QCOMPARE(dialogs_.warnings.size(), 1);
    QVERIFY2(dialogs_.warnings[0].contains(path(r.name) + r.after), qPrintable(dialogs_.warnings[0]));
    QVERIFY(form_->caseData() == before);
    QCOMPARE(form_->windowTitle(), QStringLiteral("good* - Kelvado"));
    QCOMPARE(form_->caseSession()->path(), good);
  }
  // Nothing was asked about the unsaved change: there was nothing to replace it with.
  QVERIFY(dialogs_.unsavedQuestions.isEmpty());
}

void CaseTest::unsavedChangesAreAskedAbout() {
  edit(1)->setText(QStringLiteral("7.0"));
  QCOMPARE(form_->windowTitle(), QStringLiteral("Untitled* - Kelvado"));
  edit(1)->setText(QStringLiteral("6.5"));  // back as it was: nothing to save
  QCOMPARE(form_->windowTitle(), QStringLiteral("Kelvado"));

  edit(1)->setText(QStringLiteral("7.0"));
  dialogs_.unsavedAnswers << Answer::Cancel;
  QVERIFY(!form_->close());
  QVERIFY(form_->isVisible());
  QCOMPARE(dialogs_.unsavedQuestions, QStringList{QStringLiteral("Untitled")});

  dialogs_.unsavedAnswers << Answer::Discard;
  trigger("actionNewCase");
  QCOMPARE(edit(1)->text(), QStringLiteral("6.5"));
  QCOMPARE(form_->windowTitle(), QStringLiteral("Kelvado"));

  // Save, then Quit goes on: the case is in the file the user named.
  edit(1)->setText(QStringLiteral("7.0"));
  dialogs_.unsavedAnswers << Answer::Save;
  dialogs_.fileAnswers << path(QStringLiteral("quit.kvcase"));
  trigger("actionQuit");
  QVERIFY(!form_->isVisible());
  QCOMPARE(kelvado::ReadCaseFile(path(QStringLiteral("quit.kvcase")).toStdString(), '.')
               .inputs[kelvado::Field::BarrelDiameter],
           std::string("7.0"));

  // During a run, the question comes first: "Cancel" leaves the run going; once the changes
  // are let go, the run is cancelled and the window closes when it has ended.
  QVERIFY(openWindow());
  QVERIFY(window_harness::StartLongRun(*form_));  // its L/D is a change
  dialogs_.unsavedAnswers << Answer::Cancel << Answer::Discard;
  QVERIFY(!form_->close());
  QVERIFY(form_->runInProgress());
  QSignalSpy finished(form_.get(), &TForm1::runFinished);
  form_->close();
  QVERIFY(finished.wait(window_harness::kRunTimeoutMs));
  QCOMPARE(form_->lastOutcome().status, kelvado::RunStatus::Cancelled);
  QTRY_VERIFY(!form_->isVisible());
  QCOMPARE(dialogs_.unsavedQuestions.size(), 5);  // the run's end asked nothing more
}

void CaseTest::pressureUnitFollowsTheViewMenu() {
  QVERIFY(run());
  const QByteArray results = ReadAll(resultPath());
  QCOMPARE(results, ReadAll(QStringLiteral(KELVADO_GOLDEN_RESULT)));
  const Printed outlet = PrintedLine(results, "Outlet Pressure (kgf/cm2)");
  auto* characteristic = form_->findChild<QChartView*>(QStringLiteral("CharacteristicPlot"));

  const struct {
    const char* action;
    double factor;
    QString label;
  } units[]{{"actionPressureUnit_MPa", kMPaPerKgfCm2, QStringLiteral("MPa")},
            {"actionPressureUnit_psi", kPsiPerKgfCm2, QStringLiteral("psi")},
            {"actionPressureUnit_bar", kBarPerKgfCm2, QStringLiteral("bar")}};
  for (const auto& unit : units) {
    trigger(unit.action);
    const QLineSeries* pressure = Curves(chart(PlotId::Pressure))[0];
    const double plotted = pressure->points().back().y();
    QVERIFY2(Near(plotted, outlet, unit.factor), qPrintable(QStringLiteral("%1 %2").arg(plotted).arg(unit.label)));
    const auto* axis = qobject_cast<QValueAxis*>(chart(PlotId::Pressure)->axes(Qt::Vertical).front());
    QCOMPARE(axis->titleText(), unit.label);
    QVERIFY(axis->min() <= 0 && plotted <= axis->max());
    QVERIFY(AxisTitles(characteristic->chart()).contains(unit.label));
    const QString status = form_->findChild<QLabel*>(QStringLiteral("PlotStatus"))->text();
    QVERIFY2(status.contains(QStringLiteral(" %1, mean").arg(unit.label)), qPrintable(status));
  }

  // Remembered: a new window shows bar, and its run still writes the same results file.
  QVERIFY(openWindow());
  QCOMPARE(form_->pressureUnit(), display_units::PressureUnit::Bar);
  QVERIFY(form_->findChild<QAction*>(QStringLiteral("actionPressureUnit_bar"))->isChecked());
  QVERIFY(run());
  QCOMPARE(ReadAll(resultPath()), results);
  QVERIFY(Near(Curves(chart(PlotId::Pressure))[0]->points().back().y(), outlet, kBarPerKgfCm2));
}

void CaseTest::reportHoldsTheRunOnThreePages() {
  // Nothing to report before a run.
  trigger("actionExportReport");
  QCOMPARE(dialogs_.warnings.size(), 1);
  QVERIFY2(dialogs_.warnings[0].startsWith(QStringLiteral("Export report: No report was written")),
           qPrintable(dialogs_.warnings[0]));
  QVERIFY(dialogs_.fileQuestions.isEmpty());

  const QString pipe = path(QStringLiteral("pipe.kvcase"));
  WriteFile(pipe, "output-rate = 50\n");
  QVERIFY(form_->caseSession()->open(pipe));
  QVERIFY(run());
  const Printed outlet = PrintedLine(ReadAll(resultPath()), "Outlet Pressure (kgf/cm2)");
  trigger("actionPressureUnit_MPa");
  dialogs_.fileAnswers << path(QStringLiteral("report"));  // the suffix is added
  trigger("actionExportReport");
  QVERIFY2(dialogs_.fileQuestions.last().endsWith(QStringLiteral("/pipe.pdf")), qPrintable(dialogs_.fileQuestions.last()));
  QCOMPARE(dialogs_.warnings.size(), 1);
  const QString pdf = path(QStringLiteral("report.pdf"));
  const QByteArray bytes = ReadAll(pdf);
  QVERIFY(bytes.startsWith("%PDF-"));
  QVERIFY(bytes.trimmed().endsWith("%%EOF"));

  const QStringList pages = PdfPageTexts(pdf);
  QCOMPARE(pages.size(), 3);
#ifdef KELVADO_HAVE_QT_PDF
  for (int page = 0; page < 3; ++page) {
    QVERIFY(pages[page].contains(QStringLiteral("Kelvado report: pipe")));
    QVERIFY(pages[page].contains(QStringLiteral("Page %1 of 3").arg(page + 1)));
    QVERIFY(pages[page].contains(QStringLiteral("Kelvado " KELVADO_VERSION)));
  }
  // The material of the case, and on the next page where its numbers come from.
  QVERIFY(pages[0].contains(QStringLiteral("Default melt (program's reference case)")));
  QVERIFY(pages[1].contains(QStringLiteral("The program's own default material fields")));
  // The outlet pressure in the unit on show, four decimals.
  const QRegularExpressionMatch pressure =
      QRegularExpression(QStringLiteral("Outlet pressure \\(MPa\\)\\s*([0-9.]+)")).match(pages[0]);
  QVERIFY2(pressure.hasMatch(), qPrintable(pages[0]));
  QVERIFY(Near(pressure.captured(1).toDouble(), outlet, kMPaPerKgfCm2, 0.5e-4));
  QVERIFY(pages[0].contains(QStringLiteral("Output (kg/hr)")));
  QVERIFY(pages[1].contains(QStringLiteral("Along the channel")));
  QVERIFY(pages[1].contains(QStringLiteral("Down-channel position (turns)")));
  QVERIFY(pages[2].contains(QStringLiteral("Outlet velocity")));
#endif

  // The same report without a window, for scripts.
  const QString headless = path(QStringLiteral("headless.pdf"));
  QProcess kelvado;
  kelvado.start(QStringLiteral(KELVADO_EXE),
                {QStringLiteral("--report"), headless, QStringLiteral("--pressure-unit"), QStringLiteral("MPa"), pipe});
  QVERIFY(kelvado.waitForFinished(60000));
  QCOMPARE(kelvado.exitCode(), 0);
  QCOMPARE(PdfPageTexts(headless), pages);
}

// The sheet die of the README at 80 rpm on the default case: the command line's point.
void CaseTest::reportHoldsTheDiePagesPoint() {
  DiePanel* die = form_->resultsPlots()->diePanel();
  die->setSections({kelvado::DieSection{kelvado::DieShape::Slit, 0, 20, 0.08, 0, 0, 4}});
  die->setRpm(80);
  die->setOutputRange(QString(), QString());
  QSignalSpy searched(die, &DiePanel::finished);
  QVERIFY(die->run());
  QVERIFY(searched.wait(window_harness::kRunTimeoutMs));
  QVERIFY(run());
  const QString pdf = path(QStringLiteral("die.pdf"));
  QVERIFY(form_->exportReport(pdf));
  const QStringList pages = PdfPageTexts(pdf);
  QCOMPARE(pages.size(), 3);
#ifdef KELVADO_HAVE_QT_PDF
  QVERIFY2(pages[1].contains(QStringLiteral("Die and operating point")), qPrintable(pages[1]));
  QVERIFY(QRegularExpression(QStringLiteral("Output \\(kg/hr\\)\\s*55\\.46")).match(pages[1]).hasMatch());
  QVERIFY(QRegularExpression(QStringLiteral("Die pressure drop \\(kgf/cm²\\)\\s*232\\.89")).match(pages[1]).hasMatch());
#endif
}

void CaseTest::keptRunStaysDashedUntilCleared() {
  QVERIFY(run());
  const Printed first = PrintedLine(ReadAll(resultPath()), "Outlet Pressure (kgf/cm2)");
  auto* keep = form_->findChild<QAbstractButton*>(QStringLiteral("KeepRunButton"));
  auto* clear = form_->findChild<QAbstractButton*>(QStringLiteral("ClearKeptButton"));
  QVERIFY(keep->isEnabled() && !clear->isEnabled());
  keep->click();
  edit(6)->setText(QStringLiteral("50"));
  QVERIFY(run());
  const Printed second = PrintedLine(ReadAll(resultPath()), "Outlet Pressure (kgf/cm2)");

  const QString name = QStringLiteral("Untitled, 60.0 kg/hr, 85.8 rpm, classic");
  QCOMPARE(form_->resultsPlots()->keptRuns(), QStringList{name});
  // Every plot holds its curves of this run, then the same curves of the kept one, dashed in
  // the same colours; the legends name the quantities only, the key above the plots the run.
  for (int i = 0; i < plots::kPlotCount; ++i) {
    const QList<QLineSeries*> curves = Curves(chart(PlotId(i)));
    const qsizetype own = plots::LookOf(PlotId(i)).curves.size();
    QCOMPARE(curves.size(), 2 * own);
    for (qsizetype j = 0; j < own; ++j) {
      const QLineSeries* kept = curves[own + j];
      QCOMPARE(kept->pen().style(), Qt::DashLine);
      QCOMPARE(kept->color(), curves[j]->color());
      QCOMPARE(kept->name(), QStringLiteral("kept: ") + name);
      QVERIFY(!chart(PlotId(i))->legend()->markers(const_cast<QLineSeries*>(kept)).front()->isVisible());
      QVERIFY(!kept->points().isEmpty());
    }
    QCOMPARE(chart(PlotId(i))->legend()->isVisible(), own > 1);
  }
  auto* key = form_->findChild<QLabel*>(QStringLiteral("KeptRunsKey"));
  QVERIFY(key->isVisible());
  QCOMPARE(key->text().count(QStringLiteral("kept: ") + name), 1);
  const QList<QLineSeries*> pressure = Curves(chart(PlotId::Pressure));
  QVERIFY(Near(pressure[1]->points().back().y(), first, 1));
  QVERIFY(Near(pressure[0]->points().back().y(), second, 1));

  // It follows the unit, and outlives a run that does not finish.
  trigger("actionPressureUnit_psi");
  QVERIFY(Near(pressure[1]->points().back().y(), first, kPsiPerKgfCm2));
  edit(3)->setText(QStringLiteral("deep"));
  QVERIFY(run());
  QCOMPARE(pressure[0]->count(), 0);
  QVERIFY(Near(pressure[1]->points().back().y(), first, kPsiPerKgfCm2));
  const auto* axis = qobject_cast<QValueAxis*>(chart(PlotId::Pressure)->axes(Qt::Vertical).front());
  QVERIFY(axis->max() >= pressure[1]->points().back().y());

  QVERIFY(clear->isEnabled());
  clear->click();
  QCOMPARE(Curves(chart(PlotId::Pressure)).size(), 1);
  QVERIFY(!chart(PlotId::Pressure)->legend()->isVisible());
  QVERIFY(form_->resultsPlots()->keptRuns().isEmpty());
  QVERIFY(!key->isVisible());
}

// Runs of one case at other outputs differ in output and speed, and are named by them; a run
// kept twice by its place; another flow model is named when it is what differs.
void CaseTest::keptRunsAreNamedByWhatDiffers() {
  auto* keep = form_->findChild<QAbstractButton*>(QStringLiteral("KeepRunButton"));
  for (const char* output : {"60.0", "50", "50"}) {
    edit(6)->setText(QLatin1String(output));
    QVERIFY(run());
    keep->click();
  }
  const QStringList names = form_->resultsPlots()->keptRuns();
  QCOMPARE(names.size(), 3);
  QCOMPARE(names[0], QStringLiteral("60.0 kg/hr, 85.8 rpm"));  // the golden file's speed
  QVERIFY2(names[1].startsWith(QStringLiteral("50 kg/hr, ")) && names[1].endsWith(QStringLiteral(" rpm (2)")),
           qPrintable(names[1]));
  QCOMPARE(names[2], QString(names[1]).replace(QStringLiteral("(2)"), QStringLiteral("(3)")));
  const QString key = form_->findChild<QLabel*>(QStringLiteral("KeptRunsKey"))->text();
  for (const QString& name : names) QCOMPARE(key.count(QStringLiteral("kept: ") + name), 1);
  QCOMPARE(Curves(chart(PlotId::Pressure)).back()->name(), QStringLiteral("kept: ") + names[2]);

  form_->findChild<QAbstractButton*>(QStringLiteral("ClearKeptButton"))->click();
  for (const char* model : {"FlowModel_classic", "FlowModel_consistent"}) {
    QTest::mouseClick(form_->findChild<QRadioButton*>(QLatin1String(model)), Qt::LeftButton);
    QVERIFY(run());
    keep->click();
  }
  QCOMPARE(form_->resultsPlots()->keptRuns(), (QStringList{QStringLiteral("classic"), QStringLiteral("consistent")}));
}

QTEST_MAIN(CaseTest)
#include "case_file_test.moc"
