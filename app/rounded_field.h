// SPDX-License-Identifier: Apache-2.0
#pragma once
// A field filled from a material shows its value rounded for reading, and keeps the exact
// text behind it: the tip gives it, and a run or a saved case reads it, until the field is
// edited or set to another text.
#include <QString>

class QLineEdit;

namespace rounded_field {

// Shows `exact` (a number with `separator`) in the field, rounded to 6 significant digits
// when that changes its value, the exact text then named in the tip. A text that is no number is shown
// as it is.
void Show(QLineEdit* field, const QString& exact, char separator);

// What the field holds: the exact text behind a rounded one, else the text shown.
QString Text(const QLineEdit* field);

// Drops the exact text (the field now holds what it shows) and gives the tip back.
void Forget(QLineEdit* field);

}  // namespace rounded_field
