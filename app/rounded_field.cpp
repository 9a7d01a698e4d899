// SPDX-License-Identifier: Apache-2.0
#include "app/rounded_field.h"

#include <QLineEdit>
#include <QVariant>

#include "solver/input.h"

namespace rounded_field {
namespace {

// Kept on the field itself, so that whoever holds it reads the same.
constexpr const char* kExact = "kelvadoExactText";
constexpr const char* kShown = "kelvadoShownText";
constexpr const char* kTip = "kelvadoPlainTip";
constexpr const char* kWatched = "kelvadoRoundedWatched";

}  // namespace

void Show(QLineEdit* field, const QString& exact, char separator) {
  Forget(field);
  const std::optional<double> value = kelvado::ParseNumber(exact.toStdString(), separator);
  const std::string rounded = value ? kelvado::ShortNumberText(*value, separator) : std::string();  // 6 digits
  if (!value || kelvado::ParseNumber(rounded, separator) == value) {
    field->setText(exact);
    return;
  }
  if (!field->property(kWatched).toBool()) {
    field->setProperty(kWatched, true);
    // Set to another text (a case, New case), or left with another typed: the exact text no
    // longer holds. Typing alone keeps it, so that the field's own undo back to the text shown
    // brings it back.
    QObject::connect(field, &QLineEdit::textChanged, field, [field](const QString& text) {
      if (!field->isModified() && text != field->property(kShown).toString()) Forget(field);
    });
    QObject::connect(field, &QLineEdit::editingFinished, field, [field] {
      if (field->text() != field->property(kShown).toString()) Forget(field);
    });
  }
  const QString shown = QString::fromStdString(rounded);
  field->setProperty(kExact, exact);
  field->setProperty(kShown, shown);
  field->setProperty(kTip, field->toolTip());
  field->setText(shown);
  field->setToolTip(QStringLiteral("%1\nExact value: %2 (shown rounded; a run reads the exact value unless the "
                                   "field is edited)")
                        .arg(field->property(kTip).toString(), exact));
}

QString Text(const QLineEdit* field) {
  const QVariant exact = field->property(kExact);
  return exact.isValid() && field->text() == field->property(kShown).toString() ? exact.toString() : field->text();
}

void Forget(QLineEdit* field) {
  if (!field->property(kExact).isValid()) return;
  field->setProperty(kExact, QVariant());
  field->setProperty(kShown, QVariant());
  field->setToolTip(field->property(kTip).toString());
}

}  // namespace rounded_field
