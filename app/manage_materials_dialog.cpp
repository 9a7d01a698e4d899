// SPDX-License-Identifier: Apache-2.0
#include "app/manage_materials_dialog.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/dialogs.h"
#include "app/material_box.h"

namespace {

const QString kTitle = QStringLiteral("Manage materials");

}  // namespace

ManageMaterialsDialog::ManageMaterialsDialog(WindowDialogs& dialogs, MaterialBox& box, QWidget* parent)
    : QDialog(parent), dialogs_(dialogs), box_(box) {
  setObjectName(QStringLiteral("ManageMaterialsDialog"));
  setWindowTitle(kTitle);
  list_ = new QListWidget;
  list_->setObjectName(QStringLiteral("UserMaterials"));
  auto* renameButton = new QPushButton(QStringLiteral("Rename\u2026"));
  auto* removeButton = new QPushButton(QStringLiteral("Remove"));
  connect(renameButton, &QPushButton::clicked, this, [this] { rename(list_->currentRow()); });
  connect(removeButton, &QPushButton::clicked, this, [this] { remove(list_->currentRow()); });
  auto* buttons = new QVBoxLayout;
  buttons->addWidget(renameButton);
  buttons->addWidget(removeButton);
  buttons->addStretch(1);
  auto* row = new QHBoxLayout;
  row->addWidget(list_, 1);
  row->addLayout(buttons);
  auto* close = new QDialogButtonBox(QDialogButtonBox::Close);
  connect(close, &QDialogButtonBox::rejected, this, &QDialog::reject);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(new QLabel(QStringLiteral("Your own materials (the library's are not changed here):")));
  layout->addLayout(row, 1);
  layout->addWidget(close);
  fill();
}

void ManageMaterialsDialog::fill() {
  list_->clear();
  for (const kelvado::Material& m : box_.catalog().user) {
    auto* item = new QListWidgetItem(QString::fromStdString(m.name), list_);
    item->setToolTip(QString::fromStdString(m.source));
  }
}

bool ManageMaterialsDialog::rename(int row) {
  if (row < 0 || row >= list_->count()) return false;
  const std::string name = list_->item(row)->text().toStdString();
  const std::optional<QString> answer = dialogs_.askText(kTitle, QStringLiteral("New name of \u201c%1\u201d:").arg(list_->item(row)->text()));
  if (!answer || answer->trimmed().isEmpty()) return false;
  if (const std::optional<QString> error = box_.renameUserMaterial(name, *answer)) {
    dialogs_.showWarning(kTitle, *error);
    return false;
  }
  fill();
  return true;
}

bool ManageMaterialsDialog::remove(int row) {
  if (row < 0 || row >= list_->count()) return false;
  if (const std::optional<QString> error = box_.removeUserMaterial(list_->item(row)->text().toStdString())) {
    dialogs_.showWarning(kTitle, *error);
    return false;
  }
  fill();
  return true;
}
