// SPDX-License-Identifier: Apache-2.0
#pragma once
// How the screw is fed: the Feed choice (melt, the default, or pellets) and, for pellets, a
// group of the pellets' fields beside the material's: the grade's seven solid-state values,
// which a material fills, and the hopper pressure. The group shows only while pellets are
// chosen, so that a melt-fed case looks as it always has.
#include <QGroupBox>
#include <array>

#include "case/fields.h"
#include "plastication/pellet_inputs.h"

class QComboBox;
class QLineEdit;

class FeedBox : public QGroupBox {
  Q_OBJECT

 public:
  // The hopper pressure's default is shown with the window's decimal separator.
  explicit FeedBox(char separator, QWidget* parent = nullptr);

  // The choice, for the window to place beside the flow model.
  QComboBox* choice() const { return choice_; }
  kelvado::Feed feed() const;
  void setFeed(kelvado::Feed feed);

  // The eight fields' texts, kPelletFields order; an empty field is none.
  kelvado::PelletTexts texts() const;
  void setTexts(const kelvado::PelletTexts& texts);
  // The grade's seven, for the material choice to fill.
  std::array<QLineEdit*, kelvado::kSolidStateCount> solidFields() const;
  QLineEdit* field(kelvado::PelletField field) const { return edits_[static_cast<std::size_t>(field)]; }

 signals:
  // The choice or a field changed.
  void changed();
  // Enter in a field.
  void runRequested();

 private:
  QComboBox* choice_ = nullptr;
  std::array<QLineEdit*, kelvado::kPelletFieldCount> edits_{};
};
