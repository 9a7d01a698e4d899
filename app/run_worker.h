#pragma once
// Runs one calculation at a time on a thread of its own, so that the window keeps
// repainting, shows progress and can cancel.
#include <QObject>
#include <QThread>
#include <atomic>
#include <memory>

#include "app/qt_services.h"
#include "solver/run.h"

class RunWorker : public QObject {
  Q_OBJECT

 public:
  explicit RunWorker(WindowCallbacks callbacks, QObject* parent = nullptr);
  // A run still going is cancelled and waited for; the window is not called any more.
  ~RunWorker() override;

  bool isRunning() const { return thread_ != nullptr; }
  // Starts a run; returns false (and does nothing) while one is in progress.
  bool start(kelvado::RunRequest request);
  // Asks the run to stop at its next check; it then ends like a failed run.
  void cancel() { cancel_ = true; }
  // How the last run ended; valid once finished() has been emitted.
  const kelvado::RunOutcome& outcome() const { return outcome_; }

 signals:
  void finished();

 private:
  void onThreadFinished();

  std::atomic<bool> cancel_{false};
  bool closing_ = false;
  QtRunServices services_;
  std::unique_ptr<QThread> thread_;
  kelvado::RunOutcome outcome_;
};
