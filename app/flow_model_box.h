// SPDX-License-Identifier: Apache-2.0
#pragma once
// The choice of the flow model beside the inputs: classic (the default, the results files of
// old) or consistent. The choice is remembered between sessions.
#include <QWidget>

#include "solver/run.h"

class QRadioButton;

class FlowModelBox : public QWidget {
  Q_OBJECT

 public:
  // Starts with the model chosen last, or classic.
  explicit FlowModelBox(QWidget* parent = nullptr);

  kelvado::FlowModel model() const;
  // Chooses the model as a click on its button does, remembering it.
  void setModel(kelvado::FlowModel model);

 signals:
  // Whenever the choice changes, by a click or by setModel.
  void modelChanged(kelvado::FlowModel model);

 private:
  QRadioButton* classic_ = nullptr;
  QRadioButton* consistent_ = nullptr;
};
