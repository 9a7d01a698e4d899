#pragma once
// The window's side of a run. The run lives on a worker thread; everything it asks of the
// window is carried over to the GUI thread, and the modal requests hold the run until the
// user has answered them.
#include <QPointer>
#include <QString>
#include <atomic>
#include <functional>
#include <string>

#include "solver/services.h"

class QWidget;
class TFinishForm;

// The modal boxes a run may raise. The window shows real ones; tests put their own in.
class RunDialogs {
 public:
  virtual ~RunDialogs() = default;
  // A box with the text and one OK button.
  virtual void showMessage(const QString& text) = 0;
  // The report of a fault that ended a run at once: arithmetic fault or write error.
  virtual void showError(const QString& text) = 0;
  // The finish dialog, shown modally.
  virtual void showFinishDialog() = 0;
};

class ModalDialogs final : public RunDialogs {
 public:
  ModalDialogs(QWidget* parent, TFinishForm* finishForm);
  void showMessage(const QString& text) override;
  void showError(const QString& text) override;
  void showFinishDialog() override;

 private:
  QPointer<QWidget> parent_;
  TFinishForm* finishForm_;
};

// What the window does for a run, always called on the GUI thread.
struct WindowCallbacks {
  std::function<void(const QString& text)> showMessage;
  std::function<void()> refreshFileList;
  std::function<void()> showFinishDialog;
  std::function<void(double turns, double totalTurns)> stepFinished;
};

// The services a run on a worker thread gets (never a run on the GUI thread itself, which
// would wait for itself). Message, file list and finish dialog block the run until the GUI
// thread has done them; progress is posted without waiting.
class QtRunServices final : public kelvado::RunServices {
 public:
  QtRunServices(QObject* guiContext, WindowCallbacks callbacks, const std::atomic<bool>& cancel);

  void ShowMessage(const std::string& text) override;
  void RefreshFileList() override;
  void ShowFinishDialog() override;
  void StepFinished(const kelvado::CalcState& state) override;
  bool CancelRequested() override;

  // GUI thread: from now on the window is left alone; requests still pending return at once.
  void Detach();

 private:
  void CallAndWait(std::function<void()> work);

  QObject* guiContext_;
  WindowCallbacks callbacks_;
  const std::atomic<bool>& cancel_;
  std::atomic<bool> detached_{false};
};
