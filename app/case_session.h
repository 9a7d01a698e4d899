// SPDX-License-Identifier: Apache-2.0
#pragma once
// The case the window holds, as a file: its name and place, whether the fields still match
// what was last saved or opened, and the File menu's work on it (new, open, save, save as,
// recent cases). The window gives the case through two hooks and shows the title this says.
#include <QObject>
#include <QString>
#include <QStringList>
#include <functional>

#include "case/case_file.h"

class QMenu;
class WindowDialogs;

class CaseSession : public QObject {
  Q_OBJECT

 public:
  struct Hooks {
    std::function<kelvado::CaseData()> current;           // the case as the window shows it
    std::function<void(const kelvado::CaseData&)> apply;  // puts a case into the window
    std::function<char()> decimalSeparator;               // the window's
    std::function<const kelvado::MaterialCatalog*()> catalog;  // where a case's material is found
  };

  // The dialogs must outlive the session. The window must show the default case.
  CaseSession(WindowDialogs& dialogs, Hooks hooks, QObject* parent = nullptr);

  QString path() const { return path_; }
  // The file's name without its folder and suffix; "Untitled" before the case has a file.
  QString caseName() const;
  bool isModified() const { return modified_; }
  // "Kelvado" for the untouched default case, else "NAME - Kelvado" with a "*" after the name
  // while there are unsaved changes.
  QString windowTitle() const;

  // The window calls this whenever something of the case may have changed.
  void contentChanged();

  // File menu: each returns whether it was done. Opening, New and Quit ask first what to do
  // with unsaved changes; a file that cannot be read is refused with a warning naming the
  // file and the line, and the window keeps its case.
  bool newCase();
  bool open(const QString& path);
  bool openWithDialog();
  bool save();
  bool saveAs();
  // True when the case may go: nothing unsaved, or saved, or the user let it go.
  bool maybeSave();

  // The cases opened or saved last, newest first; at most kRecentCount, remembered.
  static constexpr int kRecentCount = 8;
  QStringList recentCases() const;
  // Fills the menu with the recent cases (made again each time it is shown).
  void fillRecentMenu(QMenu* menu);

 signals:
  void titleChanged();

 private:
  bool writeTo(const QString& path);
  void setFile(const QString& path);
  void remember(const QString& path);
  void forgetIfGone(const QString& path);  // a recent case that is no longer there
  QString folderToAsk() const;

  WindowDialogs& dialogs_;
  Hooks hooks_;
  QString path_;
  kelvado::CaseData saved_;  // as last opened, saved or made new
  bool modified_ = false;
};
