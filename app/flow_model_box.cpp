// SPDX-License-Identifier: Apache-2.0
#include "app/flow_model_box.h"

#include <QButtonGroup>
#include <QHBoxLayout>
#include <QLabel>
#include <QRadioButton>

#include "app/caption_palette.h"
#include "app/settings.h"

namespace {

const QString kKey = QStringLiteral("flowModel");

QRadioButton* ModelButton(kelvado::FlowModel model, const QString& tip) {
  auto* button = new QRadioButton(QString::fromLatin1(kelvado::FlowModelName(model)));
  button->setObjectName(QStringLiteral("FlowModel_%1").arg(QString::fromLatin1(kelvado::FlowModelName(model))));
  button->setToolTip(tip);
  // Clicked, never reached by Tab from the inputs.
  button->setFocusPolicy(Qt::ClickFocus);
  return button;
}

}  // namespace

FlowModelBox::FlowModelBox(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("FlowModelBox"));
  classic_ = ModelButton(kelvado::FlowModel::Classic,
                         QStringLiteral("The nested iterations of the classic results files: the shear rate runs "
                                        "continuously across the depth nodes."));
  consistent_ = ModelButton(kelvado::FlowModel::Consistent,
                            QStringLiteral("Shear stresses linear in depth, so that the momentum balance holds "
                                           "exactly; its results file names the model."));
  auto* group = new QButtonGroup(this);
  group->addButton(classic_);
  group->addButton(consistent_);

  auto* label = new QLabel(QStringLiteral("Flow model"));
  label->setPalette(CaptionPalette(label->palette()));
  auto* layout = new QHBoxLayout(this);
  layout->setContentsMargins(10, 0, 10, 0);
  layout->addWidget(label);
  layout->addStretch(1);
  layout->addWidget(classic_);
  layout->addWidget(consistent_);

  const std::optional<kelvado::FlowModel> remembered =
      kelvado::FindFlowModel(WindowSettings().value(kKey).toString().toStdString());
  (remembered == kelvado::FlowModel::Consistent ? consistent_ : classic_)->setChecked(true);
  connect(group, &QButtonGroup::buttonToggled, this, [this](QAbstractButton*, bool checked) {
    if (!checked) return;
    WindowSettings().setValue(kKey, QString::fromLatin1(kelvado::FlowModelName(model())));
    emit modelChanged(model());
  });
}

kelvado::FlowModel FlowModelBox::model() const {
  return consistent_->isChecked() ? kelvado::FlowModel::Consistent : kelvado::FlowModel::Classic;
}

void FlowModelBox::setModel(kelvado::FlowModel model) {
  (model == kelvado::FlowModel::Consistent ? consistent_ : classic_)->setChecked(true);
}
