// SPDX-License-Identifier: Apache-2.0
#include "app/background_run.h"

#include <QCoreApplication>
#include <QDeadlineTimer>

BackgroundRun::BackgroundRun(QObject* parent) : QObject(parent) {}

BackgroundRun::~BackgroundRun() {
  if (!thread_) return;
  closing_ = true;
  cancel_ = true;
  // The job may be waiting for this thread to do some work for it; serve those requests
  // (they return at once now) until it has ended.
  while (!thread_->wait(QDeadlineTimer(20))) {
    QCoreApplication::sendPostedEvents(this, QEvent::MetaCall);
  }
}

bool BackgroundRun::start(Job job) {
  if (thread_) return false;
  cancel_ = false;
  thread_.reset(QThread::create([this, job = std::move(job)] { job(cancel_); }));
  connect(thread_.get(), &QThread::finished, this, &BackgroundRun::onThreadFinished);
  thread_->start();
  return true;
}

void BackgroundRun::post(std::function<void()> work) {
  QMetaObject::invokeMethod(
      this,
      [this, work = std::move(work)] {
        if (!closing_) work();
      },
      Qt::QueuedConnection);
}

void BackgroundRun::callAndWait(const std::function<void()>& work) {
  QMetaObject::invokeMethod(
      this,
      [this, &work] {
        if (!closing_) work();
      },
      Qt::BlockingQueuedConnection);
}

void BackgroundRun::onThreadFinished() {
  if (closing_) return;  // the destructor is waiting for the thread itself
  thread_->wait();
  thread_.reset();
  emit finished();
}
