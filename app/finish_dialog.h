// SPDX-License-Identifier: Apache-2.0
#pragma once
// The dialog that tells the user a run has ended well and the results file is complete.
// Created once at start-up and reused: closing it only hides it.
#include <QDialog>

class TFinishForm : public QDialog {
  Q_OBJECT

 public:
  explicit TFinishForm(QWidget* parent = nullptr);
};
