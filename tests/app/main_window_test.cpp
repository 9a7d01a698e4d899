// SPDX-License-Identifier: Apache-2.0
// The main window driven as a user would: keys, clicks, the folder chooser, and the boxes a
// run raises. Most cases record the boxes instead of showing them; the real ones are
// answered from a timer.
#include <QApplication>
#include <QDir>
#include <QAction>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <memory>

#include <sys/stat.h>

#include "app/finish_dialog.h"
#include "app/folder_chooser.h"
#include "app/help_menu.h"
#include "app/main_window.h"
#include "materials/material_library.h"
#include "solver/input_fields.h"
#include "tests/app/window_harness.h"

namespace {

using window_harness::kRunTimeoutMs;
using window_harness::RecordingDialogs;

// Answers each modal window as it comes up by pressing Enter in it, and notes what it saw.
class ModalAnswerer : public QObject {
 public:
  struct Seen {
    QWidget* window;
    QString title;
    QString text;     // a message box's text
    int buttons = 0;  // a message box's buttons
    bool runWaiting;  // the run was held while the window was up
  };

  explicit ModalAnswerer(const TForm1* form) : form_(form) {
    connect(&timer_, &QTimer::timeout, this, [this] { answer(); });
    timer_.start(10);
  }

  QList<Seen> seen;

 private:
  void answer() {
    QWidget* modal = QApplication::activeModalWidget();
    if (!modal) return;
    Seen s{modal, modal->windowTitle(), {}, 0, form_->runInProgress()};
    if (auto* box = qobject_cast<QMessageBox*>(modal)) {
      s.text = box->text();
      s.buttons = int(box->buttons().size());
    }
    seen << s;
    QTest::keyClick(modal, Qt::Key_Return);  // hides it at once
  }

  const TForm1* form_;
  QTimer timer_;
};

QByteArray ReadAll(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The line of a results file that starts with the text, without its line end.
QByteArray LineStartingWith(const QByteArray& bytes, const QByteArray& start) {
  for (const QByteArray& line : bytes.split('\n')) {
    if (line.startsWith(start)) return line.trimmed();
  }
  return {};
}

QStringList Texts(const QListWidget* list) {
  QStringList texts;
  for (int row = 0; row < list->count(); ++row) texts << list->item(row)->text().trimmed();
  return texts;
}

}  // namespace

class WindowTest : public QObject {
  Q_OBJECT

 private slots:
  void init();
  void cleanup();

  void fieldTable();
  void tabWalksEditableFieldsInOrder();
  void enterInFieldRunsDefaultCase();
  void readOnlyFieldTakesPartInRun();
  void openingFolderMovesResultsFile();
  void resultsFileOnAFifoOrTheMaterialsIsRefusedBeforeTheRun();
  void twoRunsShowFinishDialogTwice();
  void finishBoxTurnedOffStaysOff();
  void improperInputShowsMessageAndWritesNothing();
  void arithmeticFaultIsReportedByName();
  void cancelDeletesFileWithoutDialog();
  void okDisabledDuringRun();
  void closeDuringRunWaitsForCancel();
  void destroyingWindowEndsRun();
  void flowModelReachesTheRunAndIsRemembered();
  void everyInputTipsItsUnitAndRange();
  void aboutShowsVersionLicenceAndManual();
  void manualFoundWhereAnInstallationPutsIt();

 private:
  QLineEdit* edit(int number) const { return window_harness::Edit(*form_, number); }
  QPushButton* button(const char* name) const { return form_->findChild<QPushButton*>(name); }
  QString resultPath(const QString& folder = {}) const {
    return QDir(folder.isEmpty() ? dir_->path() : folder).filePath(QStringLiteral("result.txt"));
  }
  bool runByEnter(QLineEdit* field) { return window_harness::RunByEnter(*form_, field); }
  bool startLongRun() { return window_harness::StartLongRun(*form_); }
  // The window opened again, this time with the real modal boxes.
  bool reopenWithModalDialogs() {
    form_ = window_harness::OpenWindow(nullptr, dir_->path());
    return QTest::qWaitForWindowExposed(form_.get());
  }

  std::unique_ptr<QTemporaryDir> dir_;
  std::unique_ptr<TForm1> form_;
  RecordingDialogs dialogs_;
};

void WindowTest::init() {
  window_harness::FreshSettings();
  dir_ = std::make_unique<QTemporaryDir>();
  QVERIFY(dir_->isValid());
  dialogs_ = RecordingDialogs();
  form_ = window_harness::OpenWindow(&dialogs_, dir_->path());
  QVERIFY(QTest::qWaitForWindowExposed(form_.get()));
}

void WindowTest::cleanup() {
  form_.reset();
  dir_.reset();
}

void WindowTest::fieldTable() {
  QCOMPARE(form_->windowTitle(), QStringLiteral("Kelvado"));
  // Every field's caption sits in the label named for it, inside the right group.
  const char* labels[] = {"Label3",  "Label4",  "Label5",  "Label6",  "Label7",  "Label8",
                          "Label9",  "Label10", "Label11", "Label12", "Label13", "Label14",
                          "Label15", "Label16", "Label17", "Label1",  "Label2"};
  for (int i = 0; i < kelvado::kInputCount; ++i) {
    const kelvado::InputField& field = kelvado::kInputFields[i];
    QLineEdit* e = edit(i + 1);
    QVERIFY(e);
    QCOMPARE(e->text().toStdString(), std::string(field.defaultText));
    QCOMPARE(e->isEnabled(), field.editable);
    auto* label = form_->findChild<QLabel*>(labels[i]);
    QVERIFY(label);
    QCOMPARE(label->text().toStdString(), std::string(field.caption));
    QCOMPARE(label->buddy(), e);
    const char* group = i < 12 ? "GroupBox1" : "GroupBox2";
    QCOMPARE(e->parentWidget()->objectName(), QString::fromLatin1(group));
  }
  // Two captions carry characters beyond ASCII that must survive as they are.
  QCOMPARE(form_->findChild<QLabel*>("Label12")->text(),
           QString::fromUtf8("Thermal\u3000Conductivity (cal/cm.s.\u2103)"));
  QCOMPARE(edit(18)->text(), QStringLiteral("result.txt"));
  // One name for the button that runs, here and on the pages that run cases.
  for (const char* run : {"BitBtn1", "CharacteristicCalculate", "DieRun"}) QCOMPARE(button(run)->text(), QStringLiteral("Run"));
  QCOMPARE(button("BitBtn2")->text(), QStringLiteral("Close(&C)"));
  for (const char* name : {"Panel1", "Panel3", "GroupBox3", "Image1", "Image2", "DriveComboBox1",
                           "DirectoryListBox1", "FileListBox1"}) {
    QVERIFY2(form_->findChild<QWidget*>(name), name);
  }
}

void WindowTest::tabWalksEditableFieldsInOrder() {
  form_->activateWindow();
  QVERIFY(QTest::qWaitForWindowActive(form_.get()));
  QCOMPARE(QApplication::focusWidget(), edit(1));
  // The editable fields, then round to the first again: no button, chooser or file name.
  const int order[] = {2, 3, 4, 5, 6, 7, 11, 12, 1};
  for (int number : order) {
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), edit(number));
  }
}

void WindowTest::enterInFieldRunsDefaultCase() {
  // Enter in the last editable field, which is not where focus starts.
  QVERIFY(runByEnter(edit(12)));
  QCOMPARE(form_->lastOutcome().status, kelvado::RunStatus::Finished);
  QCOMPARE(ReadAll(resultPath()), ReadAll(QStringLiteral(KELVADO_GOLDEN_RESULT)));
  QCOMPARE(dialogs_.finishDialogs, 1);
  QVERIFY(dialogs_.messages.isEmpty());
  // The file list was re-read at the end of the run.
  QVERIFY(Texts(form_->findChild<QListWidget*>("FileListBox1")).contains("result.txt"));
  QCOMPARE(form_->findChild<QProgressBar*>("ProgressBar1")->value(), 1000);
}

void WindowTest::readOnlyFieldTakesPartInRun() {
  // The user cannot change it, but what it holds is read by every run.
  QVERIFY(!edit(8)->isEnabled());
  edit(8)->setText(QStringLiteral("1.2"));
  QVERIFY(runByEnter(edit(1)));
  const QByteArray bytes = ReadAll(resultPath());
  QVERIFY(LineStartingWith(bytes, "    Density (g/cm3)").endsWith("=  1.200"));
  QVERIFY(bytes != ReadAll(QStringLiteral(KELVADO_GOLDEN_RESULT)));

  edit(16)->setText(QStringLiteral("n"));
  QVERIFY(runByEnter(edit(1)));
  // The message names the field.
  QCOMPARE(dialogs_.messages, QStringList{QString::fromLatin1(kelvado::messages::kImproperInput) +
                                          QStringLiteral("\nParameter n (-): \"n\"")});
}

void WindowTest::resultsFileOnAFifoOrTheMaterialsIsRefusedBeforeTheRun() {
  // A FIFO would block the run's open for ever: the window refuses it and runs nothing.
  QVERIFY(::mkfifo(QFile::encodeName(resultPath()).constData(), 0600) == 0);
  QTest::keyClick(edit(1), Qt::Key_Return);
  QVERIFY(!form_->runInProgress());
  QCOMPARE(dialogs_.errors.size(), 1);
  QVERIFY2(dialogs_.errors[0].contains(QStringLiteral("result.txt")), qPrintable(dialogs_.errors[0]));
  QVERIFY(QFileInfo(resultPath()).exists() && !QFileInfo(resultPath()).isFile());

  // Nor may the results file be the user's materials, which the window reads.
  const QString materials = QString::fromStdString(kelvado::UserMaterialsFile().string());
  QVERIFY(QDir().mkpath(QFileInfo(materials).path()));
  const QByteArray mine = R"({"materials": []})";
  QFile file(materials);
  QVERIFY(file.open(QIODevice::WriteOnly) && file.write(mine) == mine.size());
  file.close();
  form_->folderChooser()->openFolder(QFileInfo(materials).path());
  form_->findChild<QLineEdit*>(QStringLiteral("Edit18"))->setText(QFileInfo(materials).fileName());
  QTest::keyClick(edit(1), Qt::Key_Return);
  QVERIFY(!form_->runInProgress());
  QCOMPARE(dialogs_.errors.size(), 2);
  QCOMPARE(ReadAll(materials), mine);
}

void WindowTest::openingFolderMovesResultsFile() {
  const QString top = dir_->path();
  const QString first = QDir(top).filePath("first");
  const QString second = QDir(top).filePath("second");
  QVERIFY(QDir().mkpath(first) && QDir().mkpath(second));
  FolderChooser* chooser = form_->folderChooser();
  chooser->openFolder(top);
  auto* list = form_->findChild<QListWidget*>("DirectoryListBox1");
  auto clickAt = [list](QListWidgetItem* item) { return list->visualItemRect(item).center(); };

  // Double-click opens a folder (a double-click arrives as a click, then the second press).
  QListWidgetItem* item = chooser->folderItem(first);
  QVERIFY(item);
  QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, clickAt(item));
  QCOMPARE(chooser->folder(), top);
  QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, clickAt(item));
  QCOMPARE(chooser->folder(), first);
  QVERIFY(runByEnter(edit(1)));
  QVERIFY(QFile::exists(resultPath(first)));
  QVERIFY(!QFile::exists(resultPath(top)));

  // A single click only highlights: the next file still goes to the open folder.
  QVERIFY(QFile::remove(resultPath(first)));
  item = chooser->folderItem(top);
  QVERIFY(item);
  QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, clickAt(item));
  QCOMPARE(list->currentItem(), item);
  QCOMPARE(chooser->folder(), first);
  QVERIFY(runByEnter(edit(1)));
  QVERIFY(QFile::exists(resultPath(first)));
  QVERIFY(!QFile::exists(resultPath(top)));

  // Enter on the highlighted entry opens it; so does Enter on a folder inside it.
  QTest::keyClick(list, Qt::Key_Return);
  QCOMPARE(chooser->folder(), top);
  list->setCurrentItem(chooser->folderItem(second));
  QTest::keyClick(list, Qt::Key_Return);
  QCOMPARE(chooser->folder(), second);
  QVERIFY(runByEnter(edit(1)));
  QVERIFY(QFile::exists(resultPath(second)));
  QVERIFY(!QFile::exists(resultPath(top)));

  // A name with a folder of its own is used as given.
  const QString elsewhere = QDir(first).filePath("named.txt");
  edit(18)->setText(elsewhere);
  QVERIFY(runByEnter(edit(18)));
  QVERIFY(QFile::exists(elsewhere));
}

void WindowTest::twoRunsShowFinishDialogTwice() {
  QVERIFY(reopenWithModalDialogs());
  ModalAnswerer answerer(form_.get());
  QVERIFY(runByEnter(edit(1)));
  QVERIFY(runByEnter(edit(1)));
  // The same dialog, each time modal and each time while the run waited for it.
  QCOMPARE(answerer.seen.size(), 2);
  auto* finishForm = qobject_cast<TFinishForm*>(answerer.seen[0].window);
  QVERIFY(finishForm);
  for (const ModalAnswerer::Seen& s : answerer.seen) {
    QCOMPARE(s.window, finishForm);
    QCOMPARE(s.title, QStringLiteral("Finsh"));
    QVERIFY(s.runWaiting);
  }
  QVERIFY(finishForm->isHidden());
  QCOMPARE(finishForm->findChild<QLabel*>("Label1")->text(),
           QStringLiteral("Calculation is successfully finished !"));
  QCOMPARE(finishForm->findChild<QLabel*>("Label2")->text(), QStringLiteral("2008.8.3"));
}

void WindowTest::finishBoxTurnedOffStaysOff() {
  auto* option = form_->findChild<QAction*>("actionFinishBox");
  QVERIFY(option && option->isChecked());
  option->trigger();
  QVERIFY(runByEnter(edit(1)));
  QCOMPARE(form_->lastOutcome().status, kelvado::RunStatus::Finished);
  QCOMPARE(dialogs_.finishDialogs, 0);
  // The next window remembers the choice; turned on again, the box is back.
  form_.reset();
  form_ = window_harness::OpenWindow(&dialogs_, dir_->path());
  QVERIFY(QTest::qWaitForWindowExposed(form_.get()));
  option = form_->findChild<QAction*>("actionFinishBox");
  QVERIFY(!option->isChecked());
  option->trigger();
  QVERIFY(runByEnter(edit(1)));
  QCOMPARE(dialogs_.finishDialogs, 1);
}

void WindowTest::improperInputShowsMessageAndWritesNothing() {
  // A file of the same name from an earlier run stays as it was.
  {
    QFile earlier(resultPath());
    QVERIFY(earlier.open(QIODevice::WriteOnly));
    earlier.write("earlier");
  }
  QVERIFY(reopenWithModalDialogs());
  ModalAnswerer answerer(form_.get());
  edit(3)->setText(QStringLiteral("0.25cm"));
  QVERIFY(runByEnter(edit(3)));
  QCOMPARE(form_->lastOutcome().status, kelvado::RunStatus::ImproperInput);
  QCOMPARE(answerer.seen.size(), 1);
  QCOMPARE(answerer.seen[0].text, QString::fromLatin1(kelvado::messages::kImproperInput) +
                                       QStringLiteral("\nChannel Depth (cm): \"0.25cm\""));
  QCOMPARE(answerer.seen[0].buttons, 1);
  QVERIFY(answerer.seen[0].runWaiting);
  QCOMPARE(ReadAll(resultPath()), QByteArray("earlier"));
}

void WindowTest::arithmeticFaultIsReportedByName() {
  // A density of 1e-320 overflows the volume rate before the header is written.
  edit(8)->setText(QStringLiteral("1e-320"));
  QVERIFY(runByEnter(edit(1)));
  QCOMPARE(form_->lastOutcome().status, kelvado::RunStatus::ArithmeticFault);
  QCOMPARE(dialogs_.errors.size(), 1);
  QVERIFY2(dialogs_.errors[0].contains("overflow"), qPrintable(dialogs_.errors[0]));
  QVERIFY(dialogs_.messages.isEmpty());
  QCOMPARE(dialogs_.finishDialogs, 0);
  QVERIFY(!QFile::exists(resultPath()));
  // The window is ready for the next run.
  edit(8)->setText(QStringLiteral("0.96"));
  QVERIFY(runByEnter(edit(1)));
  QCOMPARE(form_->lastOutcome().status, kelvado::RunStatus::Finished);
}

void WindowTest::cancelDeletesFileWithoutDialog() {
  // The unfinished file goes; the earlier one of the same name stays as it was.
  {
    QFile earlier(resultPath());
    QVERIFY(earlier.open(QIODevice::WriteOnly));
    earlier.write("earlier");
  }
  QVERIFY(startLongRun());
  const QDir folder = QFileInfo(resultPath()).dir();
  const QStringList hidden = {QStringLiteral(".result.txt.*")};
  QCOMPARE(folder.entryList(hidden, QDir::Files | QDir::Hidden).size(), 1);
  auto* bar = form_->findChild<QProgressBar*>("ProgressBar1");
  // The total as typed, never as "2e+04".
  QVERIFY2(bar->format().endsWith(QStringLiteral(" of %1 turns").arg(window_harness::kLongRunLengthRatio)),
           qPrintable(bar->format()));
  QSignalSpy finished(form_.get(), &TForm1::runFinished);
  QTest::mouseClick(button("BitBtn3"), Qt::LeftButton);
  QVERIFY(finished.wait(kRunTimeoutMs));
  QCOMPARE(form_->lastOutcome().status, kelvado::RunStatus::Cancelled);
  QCOMPARE(ReadAll(resultPath()), QByteArray("earlier"));
  QVERIFY(folder.entryList(hidden, QDir::Files | QDir::Hidden).isEmpty());
  QCOMPARE(dialogs_.finishDialogs, 0);
  QVERIFY(dialogs_.messages.isEmpty());
  QVERIFY(dialogs_.errors.isEmpty());
  QCOMPARE(bar->value(), 0);
  QVERIFY(bar->format().isEmpty());
}

void WindowTest::okDisabledDuringRun() {
  QSignalSpy started(form_.get(), &TForm1::runStarted);
  QVERIFY(startLongRun());
  QVERIFY(!button("BitBtn1")->isEnabled());
  QVERIFY(button("BitBtn3")->isEnabled());
  // Neither Enter nor a click starts a second run.
  QTest::keyClick(edit(1), Qt::Key_Return);
  QTest::mouseClick(button("BitBtn1"), Qt::LeftButton);
  QCOMPARE(started.size(), 1);

  QSignalSpy finished(form_.get(), &TForm1::runFinished);
  QTest::mouseClick(button("BitBtn3"), Qt::LeftButton);
  QVERIFY(finished.wait(kRunTimeoutMs));
  QVERIFY(button("BitBtn1")->isEnabled());
  QVERIFY(!button("BitBtn3")->isEnabled());
}

void WindowTest::closeDuringRunWaitsForCancel() {
  QVERIFY(startLongRun());
  QSignalSpy finished(form_.get(), &TForm1::runFinished);
  QTest::mouseClick(button("BitBtn2"), Qt::LeftButton);
  QVERIFY(form_->isVisible());
  QVERIFY(finished.wait(kRunTimeoutMs));
  QTRY_VERIFY(!form_->isVisible());
  QVERIFY(!QFile::exists(resultPath()));
}

void WindowTest::destroyingWindowEndsRun() {
  QVERIFY(startLongRun());
  form_.reset();
  // The run was cancelled and waited for: its unfinished file is gone.
  QVERIFY(!QFile::exists(resultPath()));
}

void WindowTest::flowModelReachesTheRunAndIsRemembered() {
  auto model = [this](const char* name) {
    return form_->findChild<QRadioButton*>(QStringLiteral("FlowModel_%1").arg(QLatin1String(name)));
  };
  auto summary = [this] { return form_->findChild<QLabel*>("PlotStatus")->text(); };
  QVERIFY(model("classic")->isChecked());
  QTest::mouseClick(model("consistent"), Qt::LeftButton);
  QVERIFY(runByEnter(edit(1)));
  QCOMPARE(form_->lastOutcome().status, kelvado::RunStatus::Finished);
  // The file says which model made it; the classic file has no such line.
  const QByteArray consistent = ReadAll(resultPath());
  QCOMPARE(LineStartingWith(consistent, "    Flow Model").simplified(), QByteArray("Flow Model = consistent"));
  QVERIFY(LineStartingWith(ReadAll(QStringLiteral(KELVADO_GOLDEN_RESULT)), "    Flow Model").isEmpty());
  QVERIFY2(summary().contains("consistent flow model"), qPrintable(summary()));

  // A new window starts with the choice of the last one; back to classic, the file is the
  // classic file of old again.
  form_.reset();
  form_ = window_harness::OpenWindow(&dialogs_, dir_->path());
  QVERIFY(QTest::qWaitForWindowExposed(form_.get()));
  QVERIFY(model("consistent")->isChecked());
  QVERIFY(runByEnter(edit(1)));
  QCOMPARE(ReadAll(resultPath()), consistent);
  QTest::mouseClick(model("classic"), Qt::LeftButton);
  QVERIFY(runByEnter(edit(1)));
  QCOMPARE(ReadAll(resultPath()), ReadAll(QStringLiteral(KELVADO_GOLDEN_RESULT)));
  QVERIFY2(summary().contains("classic flow model"), qPrintable(summary()));
}

void WindowTest::everyInputTipsItsUnitAndRange() {
  for (int i = 0; i < kelvado::kInputCount; ++i) {
    const kelvado::InputField& field = kelvado::kInputFields[i];
    const QString tip = edit(i + 1)->toolTip();
    const QString unit = field.unit == "-" ? QStringLiteral("dimensionless") : QString::fromUtf8(field.unit.data(), qsizetype(field.unit.size()));
    QVERIFY2(tip.contains(unit), qPrintable(tip));
  }
  // The ranges the run refuses outside of.
  QVERIFY(edit(1)->toolTip().endsWith(QStringLiteral("allowed: above zero")));
  QVERIFY(edit(3)->toolTip().contains(QStringLiteral("less than the barrel radius")));
  QVERIFY(edit(5)->toolTip().contains(QStringLiteral("less than the pitch across the channel")));
  QVERIFY(edit(11)->toolTip().contains(QStringLiteral("-273.15")));
  QVERIFY(edit(17)->toolTip().endsWith(QStringLiteral("allowed: any number")));
  // And a value outside one is refused as the tip says.
  edit(3)->setText(QStringLiteral("3.25"));
  QVERIFY(runByEnter(edit(3)));
  QCOMPARE(dialogs_.messages.size(), 1);
  QVERIFY2(dialogs_.messages[0].contains(QStringLiteral("less than the barrel radius")), qPrintable(dialogs_.messages[0]));
}

void WindowTest::aboutShowsVersionLicenceAndManual() {
  QCoreApplication::setApplicationVersion(QStringLiteral("7.8.9"));
  auto* about = form_->findChild<QAction*>(QStringLiteral("actionAbout"));
  QVERIFY(about);
  about->trigger();
  auto* box = form_->findChild<QMessageBox*>(QStringLiteral("AboutBox"));
  QVERIFY(box && box->isVisible());
  QVERIFY2(box->text().contains(QStringLiteral("Kelvado 7.8.9")), qPrintable(box->text()));
  QVERIFY(box->text().contains(QStringLiteral("Apache-2.0")));
  // The user's manual, found beside the program: in the build tree, the source's own with its
  // pictures beside it.
  const QString manual = help_menu::ManualPath();
  QCOMPARE(manual, QFileInfo(QStringLiteral(KELVADO_SOURCE_DIR "/docs/manual.md")).canonicalFilePath());
  QVERIFY(ReadAll(manual).startsWith("# Kelvado: the user's manual"));
  QVERIFY(box->text().contains(manual));
  QVERIFY(form_->findChild<QAction*>(QStringLiteral("actionManual")));
}

// Installed, the manual is <prefix>/share/doc/kelvado/manual.md for a program in <prefix>/bin;
// without it there is none (and Help says it is not installed).
void WindowTest::manualFoundWhereAnInstallationPutsIt() {
  QTemporaryDir prefix;
  QVERIFY(QDir(prefix.path()).mkpath(QStringLiteral("bin")));
  const QString bin = prefix.filePath(QStringLiteral("bin"));
  QVERIFY(help_menu::ManualPath(bin).isEmpty());
  QVERIFY(QDir(prefix.path()).mkpath(QStringLiteral("share/doc/kelvado")));
  const QString installed = prefix.filePath(QStringLiteral("share/doc/kelvado/manual.md"));
  QVERIFY(QFile::copy(QStringLiteral(KELVADO_SOURCE_DIR "/docs/manual.md"), installed));
  QCOMPARE(help_menu::ManualPath(bin), QFileInfo(installed).canonicalFilePath());
}

QTEST_MAIN(WindowTest)
#include "main_window_test.moc"
