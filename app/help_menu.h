// SPDX-License-Identifier: Apache-2.0
#pragma once
// Help: About (the program's version and licence, and where its manual is) and Manual (the
// README installed beside the program, opened in the desktop's viewer).
#include <QString>

class QMenuBar;
class QWidget;

namespace help_menu {

// The installed README (share/doc/kelvado beside the program's bin folder), else the one of the
// source tree the program was built from; empty when neither is there.
QString ManualPath();

// Adds the Help menu; About opens a box on `window` named "AboutBox".
void AddHelpMenu(QMenuBar* bar, QWidget* window);

}  // namespace help_menu
