// SPDX-License-Identifier: Apache-2.0
#include "app/display_units.h"

#include <QStringList>

#include "app/settings.h"

namespace display_units {

namespace {
const QString kSettingsKey = QStringLiteral("view/pressureUnit");
}  // namespace

std::optional<PressureUnit> FindPressureUnit(const QString& key) {
  for (const PressureUnitInfo& info : kPressureUnits) {
    if (key.compare(QLatin1String(info.key), Qt::CaseInsensitive) == 0) return info.unit;
  }
  return std::nullopt;
}

QString PressureUnitKeys() {
  QStringList keys;
  for (const PressureUnitInfo& info : kPressureUnits) keys << QLatin1String(info.key);
  return keys.join(QStringLiteral(", "));
}

PressureUnit RememberedPressureUnit() {
  const WindowSettings settings;
  return FindPressureUnit(settings.value(kSettingsKey).toString()).value_or(PressureUnit::KgfPerCm2);
}

void RememberPressureUnit(PressureUnit unit) {
  WindowSettings settings;
  settings.setValue(kSettingsKey, QLatin1String(Info(unit).key));
}

}  // namespace display_units
