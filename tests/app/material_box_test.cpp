// SPDX-License-Identifier: Apache-2.0
// The "Material" choice of the window: the library's numbers reach the fields and the run as
// they reach the command line's, "Custom" fields are saved among the user's materials for the
// next window, and materials files that can not be read leave the window as it was.
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QSignalSpy>
#include <QPlainTextEdit>
#include <cmath>
#include <QAction>
#include <QDir>
#include <QLabel>
#include <QFile>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QSaveFile>
#include <QTemporaryDir>
#include <QTest>
#include <memory>
#include <nlohmann/json.hpp>

#include "app/manage_materials_dialog.h"
#include "app/material_box.h"
#include "app/case_session.h"
#include "app/material_fit_dialog.h"
#include "app/plots/die_panel.h"
#include "app/plots/results_plots.h"
#include "solver/input_fields.h"
#include "tests/app/window_harness.h"

namespace {

using window_harness::RecordingDialogs;

// The material fields by their edit numbers, with the keys of the materials file.
struct MaterialField {
  int edit;
  const char* key;
};
constexpr MaterialField kFields[] = {{8, "density"},        {9, "specific-heat"}, {10, "conductivity"},
                                     {13, "std-viscosity"}, {14, "std-shear-rate"}, {15, "std-temp"},
                                     {16, "power-index"},   {17, "temp-coeff"}};

QByteArray ReadAll(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

nlohmann::json ReadJson(const QString& path) { return nlohmann::json::parse(ReadAll(path).toStdString()); }

// The entry of that name in a materials file, read here without the program's reader.
nlohmann::json Entry(const QString& path, const std::string& name) {
  const nlohmann::json document = ReadJson(path);
  for (const nlohmann::json& entry : document.at("materials")) {
    if (entry.at("name") == name) return entry;
  }
  return {};
}

QString UserMaterialsPath() {
  return QDir(qEnvironmentVariable("XDG_CONFIG_HOME")).filePath(QStringLiteral("kelvado/materials.json"));
}

}  // namespace

class MaterialBoxTest : public QObject {
  Q_OBJECT

 private slots:
  void init();
  void cleanup();

  void libraryMaterialRunsAsOnTheCommandLine();
  void customFieldsAreSavedForTheNextWindow();
  void unreadableFilesAreReportedOnceAndLeaveTheDefaults();
  void fittedMaterialIsSavedRenamedAndRemoved();
  void typingUndoneInAFieldKeepsItsExactValue();
  void customTextsBroughtBackByAnUndoAreRemembered();

 private:
  QLineEdit* edit(int number) const { return window_harness::Edit(*form_, number); }
  QComboBox* choice() const { return form_->findChild<QComboBox*>(QStringLiteral("MaterialChoice")); }
  QPushButton* saveButton() const { return form_->findChild<QPushButton*>(QStringLiteral("SaveMaterial")); }
  void choose(const QString& name) {
    const int index = choice()->findText(name);
    QVERIFY2(index >= 0, qPrintable(name));
    choice()->setCurrentIndex(index);
  }
  bool reopen() {
    form_ = window_harness::OpenWindow(&dialogs_, dir_->path());
    return QTest::qWaitForWindowExposed(form_.get());
  }
  QString resultPath() const { return QDir(dir_->path()).filePath(QStringLiteral("result.txt")); }

  std::unique_ptr<QTemporaryDir> dir_;
  std::unique_ptr<TForm1> form_;
  RecordingDialogs dialogs_;
};

void MaterialBoxTest::init() {
  window_harness::FreshSettings();
  dir_ = std::make_unique<QTemporaryDir>();
  QVERIFY(dir_->isValid());
  dialogs_ = RecordingDialogs();
  QVERIFY(reopen());
}

void MaterialBoxTest::cleanup() {
  form_.reset();
  dir_.reset();
}

void MaterialBoxTest::libraryMaterialRunsAsOnTheCommandLine() {
  // The window starts on the library's first entry, the default melt, with today's fields.
  const QString library = QStringLiteral(KELVADO_MATERIALS_FILE);
  QCOMPARE(choice()->currentText().toStdString(), ReadJson(library).at("materials").at(0).at("name"));
  QVERIFY(!saveButton()->isEnabled());

  choose(QStringLiteral("LDPE"));
  const nlohmann::json ldpe = Entry(library, "LDPE");
  for (const MaterialField& field : kFields) {
    bool number = false;
    QCOMPARE(edit(field.edit)->text().toDouble(&number), ldpe.at(field.key).get<double>());
    QVERIFY(number);
    QVERIFY2(!edit(field.edit)->isEnabled(), field.key);
  }
  QVERIFY(window_harness::RunByEnter(*form_, edit(1)));
  const QByteArray windowFile = ReadAll(resultPath());
  QVERIFY(windowFile.contains("    Density (g/cm3)                         =  0.920\r\n"));

  // The command line, given the same material, writes the same file byte for byte.
  QTemporaryDir cliFolder;
  QProcess cli;
  cli.setWorkingDirectory(cliFolder.path());
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert(QStringLiteral("XDG_CONFIG_HOME"), cliFolder.filePath(QStringLiteral("config")));
  cli.setProcessEnvironment(env);
  cli.start(QStringLiteral(KELVADO_CLI), {QStringLiteral("--material"), QStringLiteral("ldpe")});
  QVERIFY(cli.waitForFinished(window_harness::kRunTimeoutMs));
  QCOMPARE(cli.exitCode(), 0);
  QCOMPARE(windowFile, ReadAll(QDir(cliFolder.path()).filePath(QStringLiteral("result.txt"))));

  // Back on the default melt the fields hold today's texts and the run the classic file.
  choose(choice()->itemText(0));
  for (int i = 0; i < kelvado::kInputCount; ++i) {
    QCOMPARE(edit(i + 1)->text().toStdString(), std::string(kelvado::kInputFields[i].defaultText));
  }
  QVERIFY(window_harness::RunByEnter(*form_, edit(1)));
  QCOMPARE(ReadAll(resultPath()), ReadAll(QStringLiteral(KELVADO_GOLDEN_RESULT)));
  QVERIFY(dialogs_.warnings.isEmpty());
}

void MaterialBoxTest::customFieldsAreSavedForTheNextWindow() {
  choose(QStringLiteral("LDPE"));
  choose(MaterialBox::kCustom);
  // Custom starts from the fields as they were, now editable.
  for (const MaterialField& field : kFields) QVERIFY2(edit(field.edit)->isEnabled(), field.key);
  QCOMPARE(edit(16)->text(), QStringLiteral("0.3286"));
  QVERIFY(saveButton()->isEnabled());
  edit(8)->clear();
  QTest::keyClicks(edit(8), QStringLiteral("0.85"));

  // A field that is no number is refused before any name is asked for; so is a library name.
  edit(17)->setText(QStringLiteral("b"));
  QTest::mouseClick(saveButton(), Qt::LeftButton);
  QCOMPARE(dialogs_.warnings.size(), 1);
  QVERIFY(dialogs_.questions.isEmpty());
  edit(17)->setText(QStringLiteral("0.00863"));
  dialogs_.answers = QStringList{QStringLiteral("ldpe")};
  QTest::mouseClick(saveButton(), Qt::LeftButton);
  QCOMPARE(dialogs_.warnings.size(), 2);
  QVERIFY2(dialogs_.warnings[1].contains("library material"), qPrintable(dialogs_.warnings[1]));
  QVERIFY(!QFile::exists(UserMaterialsPath()));

  dialogs_.answers = QStringList{QStringLiteral(" Film PE ")};
  QTest::mouseClick(saveButton(), Qt::LeftButton);
  QCOMPARE(dialogs_.warnings.size(), 2);
  QCOMPARE(choice()->currentText(), QStringLiteral("Film PE"));
  QVERIFY(!edit(8)->isEnabled());
  QVERIFY(!saveButton()->isEnabled());
  const nlohmann::json saved = Entry(UserMaterialsPath(), "Film PE");
  QCOMPARE(saved.at("density").get<double>(), 0.85);
  QCOMPARE(saved.at("power-index").get<double>(), 0.3286);
  QVERIFY(!saved.at("source").get<std::string>().empty());

  // A new window lists it and starts on it, as the last one ended.
  QVERIFY(reopen());
  QCOMPARE(choice()->currentText(), QStringLiteral("Film PE"));
  QCOMPARE(edit(8)->text(), QStringLiteral("0.85"));
  QVERIFY(!edit(8)->isEnabled());
  // So does "Custom", with the texts typed into it.
  choose(MaterialBox::kCustom);
  edit(15)->clear();
  QTest::keyClicks(edit(15), QStringLiteral("210.5"));
  QVERIFY(reopen());
  QCOMPARE(choice()->currentText(), MaterialBox::kCustom);
  QCOMPARE(edit(15)->text(), QStringLiteral("210.5"));
  QCOMPARE(edit(8)->text(), QStringLiteral("0.85"));
  QVERIFY(edit(15)->isEnabled());
  QVERIFY(choice()->findText(QStringLiteral("Film PE")) >= 0);
}

void MaterialBoxTest::unreadableFilesAreReportedOnceAndLeaveTheDefaults() {
  QVERIFY(QDir().mkpath(QFileInfo(UserMaterialsPath()).path()));
  {
    QSaveFile broken(UserMaterialsPath());
    QVERIFY(broken.open(QIODevice::WriteOnly));
    broken.write("{\"materials\": [ {\"name\": \"half");
    QVERIFY(broken.commit());
  }
  const QByteArray brokenBytes = ReadAll(UserMaterialsPath());
  QVERIFY(reopen());
  QTRY_COMPARE(dialogs_.warnings.size(), 1);
  QTest::qWait(50);
  QCOMPARE(dialogs_.warnings.size(), 1);
  QVERIFY2(dialogs_.warnings[0].contains(UserMaterialsPath()), qPrintable(dialogs_.warnings[0]));
  for (int i = 0; i < kelvado::kInputCount; ++i) {
    QCOMPARE(edit(i + 1)->text().toStdString(), std::string(kelvado::kInputFields[i].defaultText));
    QCOMPARE(edit(i + 1)->isEnabled(), kelvado::kInputFields[i].editable);
  }
  // The library still serves; saving would overwrite the broken file, so it is refused.
  choose(QStringLiteral("LDPE"));
  QCOMPARE(edit(8)->text(), QStringLiteral("0.92"));
  choose(MaterialBox::kCustom);
  dialogs_.answers = QStringList{QStringLiteral("Mine")};
  QTest::mouseClick(saveButton(), Qt::LeftButton);
  QCOMPARE(dialogs_.warnings.size(), 2);
  QVERIFY(dialogs_.questions.isEmpty());
  QCOMPARE(ReadAll(UserMaterialsPath()), brokenBytes);

  // Without a library the default melt is still offered, and the fields keep their texts.
  WindowSettings().clear();
  QWidget panel;
  MaterialBox::Fields fields{};
  for (std::size_t i = 0; i < fields.size(); ++i) {
    const int field = static_cast<int>(kelvado::kMaterialFields[i]);
    fields[i] = new QLineEdit(QString::fromLatin1(kelvado::kInputFields[field].defaultText.data(),
                                                  int(kelvado::kInputFields[field].defaultText.size())),
                              &panel);
  }
  RecordingDialogs own;
  const QString missing = QDir(dir_->path()).filePath(QStringLiteral("no_such/materials.json"));
  MaterialBox box(own, fields, [] { return '.'; },
                  MaterialBox::Files{missing.toStdString(), UserMaterialsPath().toStdString()});
  QTRY_COMPARE(own.warnings.size(), 1);
  QVERIFY2(own.warnings[0].contains(missing) && own.warnings[0].contains(UserMaterialsPath()),
           qPrintable(own.warnings[0]));
  auto* list = box.findChild<QComboBox*>(QStringLiteral("MaterialChoice"));
  list->setCurrentIndex(list->findText(MaterialBox::kCustom));
  fields[0]->setText(QStringLiteral("1.1"));
  list->setCurrentIndex(0);
  QCOMPARE(fields[0]->text(), QStringLiteral("0.96"));
  QCOMPARE(fields[2]->text(), QStringLiteral("0.00052"));
  QVERIFY(!fields[0]->isEnabled());
}


// A table made from known parameters (eta0 = 1500 Pa.s at 210 C and 100 1/s, n = 0.4,
// b = 0.015 1/C) gives them back, is saved with the default melt's thermal values as the
// library gives them (not back from the SI texts shown), then renamed and removed; the
// library's materials stay. Its fields show it rounded, exact in the tips; the window runs
// the exact values, as the command line does, warns outside the fitted window, and a case
// saved from it runs the same on the command line.
void MaterialBoxTest::fittedMaterialIsSavedRenamedAndRemoved() {
  QString table = QStringLiteral("temp_C,shear_rate_per_s,viscosity_Pa_s\n");
  for (const double temp : {190.0, 210.0, 230.0}) {
    for (const double rate : {5.0, 10.0, 30.0, 100.0, 300.0, 1000.0, 2000.0, 5000.0}) {
      const double eta = 1500 * std::pow(rate / 100, 0.4 - 1) * std::exp(-0.015 * (temp - 210));
      table += QStringLiteral("%1,%2,%3\n").arg(temp).arg(rate).arg(eta, 0, 'g', 17);
    }
  }
  MaterialFitDialog fit(MaterialFitDialog::Source::Data, dialogs_, *form_->materialBox());
  fit.findChild<QPlainTextEdit*>(QStringLiteral("FitTable"))->setPlainText(table);
  QVERIFY(fit.fit());
  QCOMPARE(fit.lastFit()->points, std::size_t(24));
  QVERIFY(std::abs(fit.lastFit()->eta0 * 98.0665 / 1500 - 1) < 1e-9);
  QVERIFY(std::abs(fit.lastFit()->n - 0.4) < 1e-9);
  QVERIFY(std::abs(fit.lastFit()->b - 0.015) < 1e-9);
  fit.findChild<QLineEdit*>(QStringLiteral("FitName"))->setText(QStringLiteral("Grade 7"));
  auto* like = fit.findChild<QComboBox*>(QStringLiteral("FitLike"));
  like->setCurrentIndex(0);
  QVERIFY(fit.save());
  QCOMPARE(choice()->currentText(), QStringLiteral("Grade 7"));
  QVERIFY(std::abs(edit(16)->text().toDouble() - 0.4) < 1e-9);
  const nlohmann::json saved = Entry(UserMaterialsPath(), "Grade 7");
  QCOMPARE(saved.at("specific-heat").dump(), std::string("0.68"));
  const nlohmann::json melt = ReadJson(QStringLiteral(KELVADO_MATERIALS_FILE)).at("materials").at(0);
  for (const char* key : {"density", "specific-heat", "conductivity"}) QVERIFY2(saved.at(key) == melt.at(key), key);
  QVERIFY(saved.at("source").get<std::string>().find("a pasted table: 24 points") != std::string::npos);
  QCOMPARE(saved.at("fitted-temps").dump(), std::string("[190.0,230.0]"));
  QCOMPARE(saved.at("fitted-shear-rates").dump(), std::string("[5.0,5000.0]"));
  QVERIFY(dialogs_.warnings.isEmpty());

  // eta0 = 1500 / 98.0665 gf.s/cm2: six digits shown, every digit in the tip.
  const QString exact = QString::fromStdString(saved.at("std-viscosity").dump());
  QVERIFY2(exact.size() > 10, qPrintable(exact));
  QCOMPARE(edit(13)->text(), QStringLiteral("15.2957"));
  QVERIFY2(edit(13)->toolTip().contains(QStringLiteral("Exact value: ") + exact), qPrintable(edit(13)->toolTip()));
  QCOMPARE(edit(9)->text(), QStringLiteral("0.68"));
  QVERIFY(window_harness::RunByEnter(*form_, edit(1)));
  const QByteArray windowFile = ReadAll(resultPath());
  const QString status = form_->findChild<QLabel*>(QStringLiteral("PlotStatus"))->toolTip();
  QVERIFY2(status.contains(QStringLiteral("above the 190 to 230 \u00b0C the material was fitted over")), qPrintable(status));
  // The die page's run at its point warns the same.
  auto* die = form_->resultsPlots()->diePanel();
  die->findChild<QDoubleSpinBox*>(QStringLiteral("DieRpm"))->setValue(80);
  QSignalSpy searched(die, &DiePanel::finished);
  QTest::mouseClick(die->findChild<QPushButton*>(QStringLiteral("DieRun")), Qt::LeftButton);
  QVERIFY(searched.wait(60000));
  const QString dieStatus = die->findChild<QLabel*>(QStringLiteral("DieStatus"))->text();
  QVERIFY2(dieStatus.contains(QStringLiteral("the material was fitted over")), qPrintable(dieStatus));
  dialogs_.fileAnswers << QDir(dir_->path()).filePath(QStringLiteral("grade7.kvcase"));
  QVERIFY(form_->caseSession()->saveAs());
  for (const QStringList& args : {QStringList{QStringLiteral("--material"), QStringLiteral("Grade 7")},
                                  QStringList{QStringLiteral("--inputs"), QStringLiteral("grade7.kvcase")}}) {
    QProcess cli;
    cli.setWorkingDirectory(dir_->path());
    cli.start(QStringLiteral(KELVADO_CLI), args + QStringList{QStringLiteral("-o"), QStringLiteral("cli.txt")});
    QVERIFY(cli.waitForFinished(window_harness::kRunTimeoutMs));
    QCOMPARE(cli.exitCode(), 0);
    QCOMPARE(ReadAll(QDir(dir_->path()).filePath(QStringLiteral("cli.txt"))), windowFile);
  }
  // Opened again, the case's exact values are the material's: shown rounded as before.
  choose(QStringLiteral("LDPE"));
  QVERIFY(form_->caseSession()->open(QDir(dir_->path()).filePath(QStringLiteral("grade7.kvcase"))));
  QCOMPARE(choice()->currentText(), QStringLiteral("Grade 7"));
  QCOMPARE(edit(13)->text(), QStringLiteral("15.2957"));

  ManageMaterialsDialog manage(dialogs_, *form_->materialBox());
  dialogs_.answers << QStringLiteral("Grade 8");
  QVERIFY(manage.rename(0));
  QCOMPARE(choice()->currentText(), QStringLiteral("Grade 8"));
  QVERIFY(Entry(UserMaterialsPath(), "Grade 7").is_null());
  QVERIFY(manage.remove(0));
  QCOMPARE(choice()->currentText(), MaterialBox::kCustom);
  QVERIFY(std::abs(edit(16)->text().toDouble() - 0.4) < 1e-9);  // the fields keep the values
  QVERIFY(ReadJson(UserMaterialsPath()).at("materials").empty());
  QVERIFY(choice()->findText(QStringLiteral("LDPE")) >= 0);
}

QTEST_MAIN(MaterialBoxTest)
// A "Custom" field shown rounded, typed in and the typing undone in the field (Ctrl+Z), holds
// its exact value again: the saved case has every digit, not the six shown.
void MaterialBoxTest::typingUndoneInAFieldKeepsItsExactValue() {
  QVERIFY(QDir().mkpath(QFileInfo(UserMaterialsPath()).path()));
  {
    QFile file(UserMaterialsPath());
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(R"({"materials": [{"name": "Exact melt", "source": "mine", "density": 0.96, "specific-heat": 0.68,
                   "conductivity": 0.00052, "std-viscosity": 15.298130957893875, "std-shear-rate": 100,
                   "std-temp": 290, "power-index": 0.786, "temp-coeff": 0.0337}]})");
  }
  QVERIFY(reopen());
  choose(QStringLiteral("Exact melt"));
  choose(MaterialBox::kCustom);
  QCOMPARE(edit(13)->text(), QStringLiteral("15.2981"));
  edit(13)->setFocus();
  QTest::keyClick(edit(13), Qt::Key_End);
  QTest::keyClicks(edit(13), QStringLiteral("7"));
  QCOMPARE(edit(13)->text(), QStringLiteral("15.29817"));
  QTest::keyClick(edit(13), Qt::Key_Z, Qt::ControlModifier);
  QCOMPARE(edit(13)->text(), QStringLiteral("15.2981"));
  edit(1)->setFocus();
  const QString path = QDir(dir_->path()).filePath(QStringLiteral("exact.kvcase"));
  dialogs_.fileAnswers << path;
  QVERIFY(form_->caseSession()->saveAs());
  const QByteArray saved = ReadAll(path);
  QVERIFY2(saved.contains("= 15.298130957893875\n"), saved.constData());
  // Typed over and left, it holds what was typed, and its tip no longer names the exact value.
  edit(13)->setFocus();
  edit(13)->selectAll();
  QTest::keyClicks(edit(13), QStringLiteral("15.3"));
  edit(1)->setFocus();
  QVERIFY2(!edit(13)->toolTip().contains(QStringLiteral("15.298130957893875")), qPrintable(edit(13)->toolTip()));
}

// "Custom" brought back by an undo, after another material was chosen, is remembered with the
// texts it shows, not the other material's: the next window starts on them.
void MaterialBoxTest::customTextsBroughtBackByAnUndoAreRemembered() {
  choose(MaterialBox::kCustom);
  edit(15)->setFocus();
  edit(15)->selectAll();
  QTest::keyClicks(edit(15), QStringLiteral("210.5"));
  edit(1)->setFocus();  // left: one step
  choose(QStringLiteral("LDPE"));
  QCOMPARE(edit(15)->text(), QStringLiteral("200.0"));
  form_->findChild<QAction*>(QStringLiteral("actionUndo"))->trigger();
  QCOMPARE(choice()->currentText(), MaterialBox::kCustom);
  QCOMPARE(edit(15)->text(), QStringLiteral("210.5"));
  QVERIFY(reopen());
  QCOMPARE(choice()->currentText(), MaterialBox::kCustom);
  QCOMPARE(edit(15)->text(), QStringLiteral("210.5"));
}

#include "material_box_test.moc"
