// SPDX-License-Identifier: Apache-2.0
#include "app/input_tips.h"

#include "solver/input_bounds.h"

namespace {

QString Utf8(std::string_view text) { return QString::fromUtf8(text.data(), qsizetype(text.size())); }

}  // namespace

QString InputTip(const kelvado::InputField& field) {
  // The caption without its unit in parentheses: the tip names the unit itself.
  QString name = Utf8(field.caption).replace(QChar(0x3000), QLatin1Char(' '));
  if (const qsizetype open = name.lastIndexOf(QStringLiteral(" (")); open > 0) name.truncate(open);
  const QString unit = field.unit == "-" ? QStringLiteral("dimensionless (-)") : QStringLiteral("in %1").arg(Utf8(field.unit));
  const std::string bound = kelvado::BoundText(field.field);
  const QString range = bound.empty() ? QStringLiteral("any number") : QString::fromStdString(bound);
  return QStringLiteral("%1, %2; allowed: %3").arg(name, unit, range);
}
