#include "report/results_file.h"
#include "app/run_worker.h"

#include <QCoreApplication>
#include <QDeadlineTimer>

RunWorker::RunWorker(WindowCallbacks callbacks, QObject* parent)
    : QObject(parent), services_(this, std::move(callbacks), cancel_) {}

RunWorker::~RunWorker() {
  if (!thread_) return;
  closing_ = true;
  cancel_ = true;
  services_.Detach();
  // The run may be waiting for this thread to carry out one of its requests; serve them
  // (they return at once now) until it has ended.
  while (!thread_->wait(QDeadlineTimer(20))) {
    QCoreApplication::sendPostedEvents(this, QEvent::MetaCall);
  }
}

bool RunWorker::start(kelvado::RunRequest request) {
  if (thread_) return false;
  cancel_ = false;
  thread_.reset(QThread::create([this, request = std::move(request)] {
    outcome_ = kelvado::RunWithResultsFile(request, services_);
  }));
  connect(thread_.get(), &QThread::finished, this, &RunWorker::onThreadFinished);
  thread_->start();
  return true;
}

void RunWorker::onThreadFinished() {
  if (closing_) return;  // the destructor is waiting for the thread itself
  thread_->wait();
  thread_.reset();
  emit finished();
}
