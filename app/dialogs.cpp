// SPDX-License-Identifier: Apache-2.0
#include "app/dialogs.h"

#include <QFileDialog>
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

WindowDialogs::UnsavedAnswer ModalDialogs::askUnsavedChanges(const QString& caseName) {
  QMessageBox box(QMessageBox::Warning, QStringLiteral("Kelvado"),
                  QStringLiteral("The case \u201c%1\u201d has changes that are not saved.").arg(caseName),
                  QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, parent_);
  box.setInformativeText(QStringLiteral("Save them first?"));
  box.setDefaultButton(QMessageBox::Save);
  switch (box.exec()) {
    case QMessageBox::Save: return UnsavedAnswer::Save;
    case QMessageBox::Discard: return UnsavedAnswer::Discard;
    default: return UnsavedAnswer::Cancel;
  }
}

QString ModalDialogs::askOpenFileName(const QString& title, const QString& folder, const QString& filter) {
  return QFileDialog::getOpenFileName(parent_, title, folder, filter);
}

QString ModalDialogs::askSaveFileName(const QString& title, const QString& suggestedPath, const QString& filter) {
  return QFileDialog::getSaveFileName(parent_, title, suggestedPath, filter);
}

std::optional<QString> ModalDialogs::askText(const QString& title, const QString& label) {
  bool ok = false;
  const QString text = QInputDialog::getText(parent_, title, label, QLineEdit::Normal, QString(), &ok);
  if (!ok) return std::nullopt;
  return text;
}
