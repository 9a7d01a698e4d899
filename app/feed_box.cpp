// SPDX-License-Identifier: Apache-2.0
#include "app/feed_box.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>

#include "app/caption_palette.h"
#include "app/rounded_field.h"
#include "solver/input.h"

namespace {

QString BoundText(kelvado::PelletBound bound) {
  switch (bound) {
    case kelvado::PelletBound::AboveZero:
      return QStringLiteral("above zero");
    case kelvado::PelletBound::NotBelowZero:
      return QStringLiteral("zero or above");
    case kelvado::PelletBound::AboveAbsoluteZero:
      return QStringLiteral("above \u2212273.15");
  }
  return {};
}

}  // namespace

FeedBox::FeedBox(char separator, QWidget* parent) : QGroupBox(QStringLiteral("Pellets"), parent) {
  setObjectName(QStringLiteral("PelletGroup"));
  choice_ = new QComboBox;
  choice_->setObjectName(QStringLiteral("FeedChoice"));
  choice_->setFocusPolicy(Qt::ClickFocus);
  choice_->setToolTip(QStringLiteral("Melt fills the screw from the hopper on; pellets are conveyed as a solid, "
                                     "melted, then conveyed as melt (the consistent model, at the Screw page's speed)"));
  for (const kelvado::Feed feed : {kelvado::Feed::Melt, kelvado::Feed::Pellets}) {
    choice_->addItem(QString::fromLatin1(kelvado::FeedName(feed)), int(feed));
  }
  auto* grid = new QGridLayout(this);
  grid->setVerticalSpacing(2);
  const QPalette blue = CaptionPalette(palette());
  for (std::size_t i = 0; i < kelvado::kPelletFieldCount; ++i) {
    const kelvado::PelletFieldInfo& info = kelvado::kPelletFields[i];
    auto* edit = new QLineEdit;
    edit->setObjectName(QStringLiteral("Pellet_%1").arg(QString::fromUtf8(info.name.data(), info.name.size())));
    edit->setFixedWidth(64);
    edit->setToolTip(QStringLiteral("%1, %2 (--%3)")
                         .arg(QString::fromUtf8(info.caption.data(), info.caption.size()), BoundText(info.bound),
                              QString::fromUtf8(info.name.data(), info.name.size())));
    auto* label = new QLabel(QString::fromUtf8(info.caption.data(), info.caption.size()));
    label->setBuddy(edit);
    label->setPalette(blue);
    // The hopper's pressure is the case's, not the grade's: apart from the seven.
    const int row = int(i) + (i < kelvado::kSolidStateCount ? 0 : 1);
    grid->addWidget(label, row, 0);
    grid->addWidget(edit, row, 1);
    connect(edit, &QLineEdit::textChanged, this, &FeedBox::changed);
    connect(edit, &QLineEdit::returnPressed, this, &FeedBox::runRequested);
    edits_[i] = edit;
  }
  grid->setRowMinimumHeight(int(kelvado::kSolidStateCount), 6);
  grid->setRowStretch(int(kelvado::kPelletFieldCount) + 1, 1);
  field(kelvado::PelletField::HopperPressure)
      ->setText(QString::fromStdString(kelvado::ExactNumberText(kelvado::kDefaultHopperPressure, separator)));
  setVisible(false);
  connect(choice_, &QComboBox::currentIndexChanged, this, [this] {
    setVisible(feed() == kelvado::Feed::Pellets);
    emit changed();
  });
}

kelvado::Feed FeedBox::feed() const { return static_cast<kelvado::Feed>(choice_->currentData().toInt()); }

void FeedBox::setFeed(kelvado::Feed feed) { choice_->setCurrentIndex(choice_->findData(int(feed))); }

kelvado::PelletTexts FeedBox::texts() const {
  kelvado::PelletTexts texts;
  for (std::size_t i = 0; i < edits_.size(); ++i) {
    const QString text = rounded_field::Text(edits_[i]).trimmed();
    if (!text.isEmpty()) texts[i] = text.toStdString();
  }
  return texts;
}

void FeedBox::setTexts(const kelvado::PelletTexts& texts) {
  for (std::size_t i = 0; i < edits_.size(); ++i) {
    rounded_field::Forget(edits_[i]);
    edits_[i]->setText(QString::fromStdString(texts[i].value_or("")));
  }
}

std::array<QLineEdit*, kelvado::kSolidStateCount> FeedBox::solidFields() const {
  std::array<QLineEdit*, kelvado::kSolidStateCount> fields{};
  for (std::size_t i = 0; i < fields.size(); ++i) fields[i] = edits_[i];
  return fields;
}
