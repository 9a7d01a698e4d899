#include "app/qt_services.h"

#include <QMessageBox>
#include <QWidget>

#include "app/finish_dialog.h"
#include "solver/calc_state.h"

ModalDialogs::ModalDialogs(QWidget* parent, TFinishForm* finishForm)
    : parent_(parent), finishForm_(finishForm) {}

void ModalDialogs::showMessage(const QString& text) {
  QMessageBox box(QMessageBox::NoIcon, QStringLiteral("Kelvado"), text, QMessageBox::Ok, parent_);
  box.exec();
}

void ModalDialogs::showError(const QString& text) {
  QMessageBox box(QMessageBox::Critical, QStringLiteral("Kelvado"), text, QMessageBox::Ok, parent_);
  box.exec();
}

void ModalDialogs::showFinishDialog() { finishForm_->exec(); }

QtRunServices::QtRunServices(QObject* guiContext, WindowCallbacks callbacks,
                             const std::atomic<bool>& cancel)
    : guiContext_(guiContext), callbacks_(std::move(callbacks)), cancel_(cancel) {}

void QtRunServices::CallAndWait(std::function<void()> work) {
  QMetaObject::invokeMethod(
      guiContext_,
      [this, &work] {
        if (!detached_) work();
      },
      Qt::BlockingQueuedConnection);
}

void QtRunServices::ShowMessage(const std::string& text) {
  const QString message = QString::fromStdString(text);
  CallAndWait([this, &message] { callbacks_.showMessage(message); });
}

void QtRunServices::RefreshFileList() {
  CallAndWait([this] { callbacks_.refreshFileList(); });
}

void QtRunServices::ShowFinishDialog() {
  CallAndWait([this] { callbacks_.showFinishDialog(); });
}

void QtRunServices::StepFinished(const kelvado::CalcState& state) {
  const double turns = state.Turns;
  const double total = state.LengthRatio;
  QMetaObject::invokeMethod(
      guiContext_,
      [this, turns, total] {
        if (!detached_) callbacks_.stepFinished(turns, total);
      },
      Qt::QueuedConnection);
}

bool QtRunServices::CancelRequested() { return cancel_.load(); }

void QtRunServices::Detach() { detached_ = true; }
