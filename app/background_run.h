// SPDX-License-Identifier: Apache-2.0
#pragma once
// One job at a time on a thread of its own, so that the window keeps repainting, shows
// progress and can cancel: the Run button's run and the screw characteristic's cases both
// go through it.
#include <QObject>
#include <QThread>
#include <atomic>
#include <functional>
#include <memory>

class BackgroundRun : public QObject {
  Q_OBJECT

 public:
  // The work done on the thread; it looks at the flag now and then and ends early once set.
  using Job = std::function<void(const std::atomic<bool>& cancel)>;

  explicit BackgroundRun(QObject* parent = nullptr);
  // A job still going is cancelled and waited for; finished() is not emitted and nothing
  // the job hands to the GUI thread is done any more.
  ~BackgroundRun() override;

  bool isRunning() const { return thread_ != nullptr; }
  // Starts the job; returns false (and does nothing) while one is in progress.
  bool start(Job job);
  // Asks the job to stop at its next look at the flag.
  void cancel() { cancel_ = true; }
  bool cancelRequested() const { return cancel_.load(); }

  // From the job's thread, or any thread the job started: does the work on the GUI thread.
  // post() returns at once (progress); callAndWait() holds the caller until the work is
  // done (modal boxes), and must not be called from the GUI thread itself.
  void post(std::function<void()> work);
  void callAndWait(const std::function<void()>& work);

 signals:
  // On the GUI thread, once the job has returned and its thread has ended.
  void finished();

 private:
  void onThreadFinished();

  std::atomic<bool> cancel_{false};
  std::atomic<bool> closing_{false};
  std::unique_ptr<QThread> thread_;
};
