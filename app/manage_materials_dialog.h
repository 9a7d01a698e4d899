// SPDX-License-Identifier: Apache-2.0
#pragma once
// Material → "Manage materials…": the user's own materials, to rename or remove; the
// library's are listed for reference and stay as they are.
#include <QDialog>

class MaterialBox;
class QListWidget;
class WindowDialogs;

class ManageMaterialsDialog : public QDialog {
  Q_OBJECT

 public:
  ManageMaterialsDialog(WindowDialogs& dialogs, MaterialBox& box, QWidget* parent = nullptr);

  // On the user's material in row `row` of the list; false (and a warning) when not done.
  bool rename(int row);
  bool remove(int row);

 private:
  void fill();

  WindowDialogs& dialogs_;
  MaterialBox& box_;
  QListWidget* list_ = nullptr;
};
