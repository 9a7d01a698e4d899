#pragma once
// What the window remembers between sessions: one file for the user, in the INI format, so
// that tests and pictures can move it elsewhere with QSettings::setPath.
#include <QSettings>

class WindowSettings : public QSettings {
 public:
  WindowSettings()
      : QSettings(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("kelvado"), QStringLiteral("kelvado")) {}
};
