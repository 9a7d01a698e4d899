// SPDX-License-Identifier: Apache-2.0
#pragma once
// What the window remembers between sessions (the flow model, the die page's inputs, the
// pressure unit, the recent cases): one file for the user, in the INI format, under
// $XDG_CONFIG_HOME/kelvado/, so that tests and pictures can move it elsewhere with
// QSettings::setPath or XDG_CONFIG_HOME.
#include <QSettings>

class WindowSettings : public QSettings {
 public:
  WindowSettings()
      : QSettings(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("kelvado"), QStringLiteral("kelvado")) {}
};
