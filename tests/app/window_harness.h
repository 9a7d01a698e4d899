// SPDX-License-Identifier: Apache-2.0
#pragma once
// What the window tests share: boxes that are recorded instead of shown, a window opened on
// a folder of the test's own, and runs started as a user starts them.
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QProgressBar>
#include <QSignalSpy>
#include <QStringList>
#include <QTemporaryDir>
#include <QTest>
#include <memory>
#include <optional>

#include "app/dialogs.h"
#include "app/folder_chooser.h"
#include "app/main_window.h"
#include "app/settings.h"

namespace window_harness {

inline constexpr int kRunTimeoutMs = 30000;
// Long enough (tens of seconds) that a test can act while it is still going.
inline constexpr const char* kLongRunLengthRatio = "1000";  // the longest channel a run takes

class RecordingDialogs final : public WindowDialogs {
 public:
  void showMessage(const QString& text) override { messages << text; }
  void showError(const QString& text) override { errors << text; }
  void showWarning(const QString& title, const QString& text) override { warnings << title + ": " + text; }
  void showFinishDialog() override { ++finishDialogs; }
  // Each question is noted and answered with the next answer given, or `unsavedDefault`.
  UnsavedAnswer askUnsavedChanges(const QString& caseName) override {
    unsavedQuestions << caseName;
    return unsavedAnswers.isEmpty() ? unsavedDefault : unsavedAnswers.takeFirst();
  }
  QString askOpenFileName(const QString& title, const QString&, const QString&) override {
    fileQuestions << title;
    return fileAnswers.isEmpty() ? QString() : fileAnswers.takeFirst();
  }
  QString askSaveFileName(const QString& title, const QString& suggestedPath, const QString&) override {
    fileQuestions << title + ": " + suggestedPath;
    return fileAnswers.isEmpty() ? QString() : fileAnswers.takeFirst();
  }
  // Answers with the next of `answers`, or as a cancel when none is left.
  std::optional<QString> askText(const QString& title, const QString&) override {
    questions << title;
    if (answers.isEmpty()) return std::nullopt;
    return answers.takeFirst();
  }

  QStringList answers;
  QStringList questions;
  QStringList messages;
  QStringList errors;
  QStringList warnings;
  int finishDialogs = 0;
  QStringList unsavedQuestions;
  QList<UnsavedAnswer> unsavedAnswers;
  UnsavedAnswer unsavedDefault = UnsavedAnswer::Discard;
  QStringList fileQuestions;  // the title of each, and the suggested path of a save
  QStringList fileAnswers;    // the files chosen, in order; none left: the user gives up
};

// What the windows remember, and the user's materials, go to a folder of the test program's
// own, emptied for each case: never the user's settings, never the last case's.
inline void FreshSettings() {
  static QTemporaryDir folder;
  QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, folder.path());
  WindowSettings().clear();
  const QString config = folder.filePath(QStringLiteral("xdg"));
  QDir(config).removeRecursively();
  qputenv("XDG_CONFIG_HOME", QFile::encodeName(config));
}

// A shown window whose results go to the folder; the caller waits for it to be exposed.
// Without dialogs it shows real modal boxes.
inline std::unique_ptr<TForm1> OpenWindow(WindowDialogs* dialogs, const QString& folder) {
  auto form = std::make_unique<TForm1>(dialogs);
  form->setDecimalSeparator('.');
  form->folderChooser()->openFolder(folder);
  form->show();
  return form;
}

// What a test case of one window holds: a folder of its own, the window on it and the boxes it
// raised. open() for init() (fresh settings first), close() for cleanup().
struct OpenedWindow {
  std::unique_ptr<QTemporaryDir> dir;
  std::unique_ptr<TForm1> form;
  RecordingDialogs dialogs;

  bool open() {
    FreshSettings();
    dir = std::make_unique<QTemporaryDir>();
    dialogs = RecordingDialogs();
    if (!dir->isValid()) return false;
    form = OpenWindow(&dialogs, dir->path());
    return QTest::qWaitForWindowExposed(form.get());
  }
  void close() {
    form.reset();
    dir.reset();
  }
};

inline QLineEdit* Edit(const TForm1& form, int number) {
  return form.findChild<QLineEdit*>(QStringLiteral("Edit%1").arg(number));
}

// Presses Enter in the field and waits until the run it started has ended.
inline bool RunByEnter(TForm1& form, QLineEdit* field) {
  QSignalSpy finished(&form, &TForm1::runFinished);
  QTest::keyClick(field, Qt::Key_Return);
  return finished.wait(kRunTimeoutMs);
}

// Starts a long run and waits until it has written its header and finished a step. Every
// step of this test's runs then pauses, so that the run lasts until the test ends it.
inline bool StartLongRun(TForm1& form) {
  qputenv("KELVADO_TEST_STEP_PAUSE_MS", "2");
  Edit(form, 2)->setText(QString::fromLatin1(kLongRunLengthRatio));
  QSignalSpy stepped(form.findChild<QProgressBar*>(QStringLiteral("ProgressBar1")), &QProgressBar::valueChanged);
  QTest::keyClick(Edit(form, 1), Qt::Key_Return);
  return form.runInProgress() && stepped.wait(kRunTimeoutMs);
}

}  // namespace window_harness
