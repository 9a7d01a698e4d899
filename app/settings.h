#pragma once
// What the window remembers between sessions (the pressure unit, the recent cases), in the
// user's configuration folder: $XDG_CONFIG_HOME/kelvado/kelvado.conf.
#include <QSettings>

class WindowSettings : public QSettings {
 public:
  WindowSettings() : QSettings(QStringLiteral("kelvado"), QStringLiteral("kelvado")) {}
};
