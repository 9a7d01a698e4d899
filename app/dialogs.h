// SPDX-License-Identifier: Apache-2.0
#pragma once
// Every box the window raises: the messages of a run, its finish dialog, the report of a
// fault, the warning that something the user asked for was not done, the question about
// unsaved changes, the choice of a file and the question for a name. The window shows real
// ones; tests put their own in.
#include <QPointer>
#include <QString>
#include <memory>
#include <optional>

class QWidget;
class TFinishForm;

class WindowDialogs {
 public:
  virtual ~WindowDialogs() = default;
  // A box with the text and one OK button.
  virtual void showMessage(const QString& text) = 0;
  // The report of a fault that ended a run at once: arithmetic fault or write error.
  virtual void showError(const QString& text) = 0;
  // Something the user asked for outside a run could not be done (a plot not saved).
  virtual void showWarning(const QString& title, const QString& text) = 0;
  // The finish dialog, shown modally.
  virtual void showFinishDialog() = 0;

  // The case has changes that are not saved: what to do with them before it goes.
  enum class UnsavedAnswer { Save, Discard, Cancel };
  virtual UnsavedAnswer askUnsavedChanges(const QString& caseName) = 0;
  // A file to read, or a name to write under; empty when the user gave up. `filter` as
  // QFileDialog takes it: "Kelvado case (*.kvcase);;All files (*)".
  virtual QString askOpenFileName(const QString& title, const QString& folder, const QString& filter) = 0;
  virtual QString askSaveFileName(const QString& title, const QString& suggestedPath, const QString& filter) = 0;
  // Asks for one line of text (a name to save under); nothing when the user cancels.
  virtual std::optional<QString> askText(const QString& title, const QString& label) = 0;
};

// Modal boxes over the window; the finish dialog is made once and reused.
class ModalDialogs final : public WindowDialogs {
 public:
  explicit ModalDialogs(QWidget* parent);
  ~ModalDialogs() override;

  void showMessage(const QString& text) override;
  void showError(const QString& text) override;
  void showWarning(const QString& title, const QString& text) override;
  void showFinishDialog() override;
  UnsavedAnswer askUnsavedChanges(const QString& caseName) override;
  QString askOpenFileName(const QString& title, const QString& folder, const QString& filter) override;
  QString askSaveFileName(const QString& title, const QString& suggestedPath, const QString& filter) override;
  std::optional<QString> askText(const QString& title, const QString& label) override;

 private:
  QPointer<QWidget> parent_;
  std::unique_ptr<TFinishForm> finishForm_;
};
