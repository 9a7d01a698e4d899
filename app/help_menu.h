// SPDX-License-Identifier: Apache-2.0
#pragma once
// Help: About (the program's version and licence, and where its manual is) and Manual (the
// user's manual installed beside the program, opened in the desktop's viewer).
#include <QString>

class QMenuBar;
class QWidget;

namespace help_menu {

// The user's manual for a program in `programFolder`: <prefix>/share/doc/kelvado/manual.md for
// <prefix>/bin, its pictures beside it. The build tree links that place to the source's
// docs/manual.md, for its programs and, a folder further down, its tests; the path returned is
// the file itself, links resolved. Empty when there is none.
QString ManualPath(const QString& programFolder);
// The manual of this program.
QString ManualPath();

// Adds the Help menu; About opens a box on `window` named "AboutBox".
void AddHelpMenu(QMenuBar* bar, QWidget* window);

}  // namespace help_menu
