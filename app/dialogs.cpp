#include "app/dialogs.h"

#include <QInputDialog>
#include <QMessageBox>
#include <QWidget>

#include "app/finish_dialog.h"

ModalDialogs::ModalDialogs(QWidget* parent) : parent_(parent), finishForm_(std::make_unique<TFinishForm>()) {}

ModalDialogs::~ModalDialogs() = default;

void ModalDialogs::showMessage(const QString& text) {
  QMessageBox box(QMessageBox::NoIcon, QStringLiteral("Kelvado"), text, QMessageBox::Ok, parent_);
  box.exec();
}

void ModalDialogs::showError(const QString& text) {
  QMessageBox box(QMessageBox::Critical, QStringLiteral("Kelvado"), text, QMessageBox::Ok, parent_);
  box.exec();
}

void ModalDialogs::showWarning(const QString& title, const QString& text) {
  QMessageBox::warning(parent_, title, text);
}

void ModalDialogs::showFinishDialog() { finishForm_->exec(); }

std::optional<QString> ModalDialogs::askText(const QString& title, const QString& label) {
  bool ok = false;
  const QString text = QInputDialog::getText(parent_, title, label, QLineEdit::Normal, QString(), &ok);
  if (!ok) return std::nullopt;
  return text;
}
