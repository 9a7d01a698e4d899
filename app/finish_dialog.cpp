// SPDX-License-Identifier: Apache-2.0
#include "app/finish_dialog.h"

#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

#include "app/caption_palette.h"
#include "app/pixel_font.h"

TFinishForm::TFinishForm(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("TFinishForm"));
  setWindowTitle(QStringLiteral("Finsh"));
  setFont(PixelFont(font(), 12));

  auto* panel = new QFrame(this);
  panel->setObjectName(QStringLiteral("Panel1"));
  panel->setFrameShape(QFrame::Panel);
  panel->setFrameShadow(QFrame::Raised);
  panel->setMinimumSize(289, 49);

  auto* label1 = new QLabel(QStringLiteral("Calculation is successfully finished !"), panel);
  label1->setObjectName(QStringLiteral("Label1"));
  label1->setFont(PixelFont(font(), 16));
  label1->setAlignment(Qt::AlignCenter);
  label1->setPalette(CaptionPalette(label1->palette()));
  auto* panelLayout = new QVBoxLayout(panel);
  panelLayout->setContentsMargins(8, 4, 8, 4);
  panelLayout->addWidget(label1);

  auto* label2 = new QLabel(QStringLiteral("2008.8.3"), this);
  label2->setObjectName(QStringLiteral("Label2"));
  label2->setFont(PixelFont(font(), 15));
  label2->setAlignment(Qt::AlignCenter);

  auto* ok = new QPushButton(style()->standardIcon(QStyle::SP_DialogOkButton), QStringLiteral("OK"), this);
  ok->setObjectName(QStringLiteral("BitBtn1"));
  ok->setDefault(true);
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(16, 20, 16, 16);
  layout->addWidget(panel, 0, Qt::AlignHCenter);
  layout->addWidget(label2);
  layout->addStretch();
  layout->addWidget(ok, 0, Qt::AlignHCenter);
  // A fixed border, at least the classic size, wider where the font needs it.
  setFixedSize(sizeHint().expandedTo(QSize(322, 179)));
}
