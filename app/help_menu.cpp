// SPDX-License-Identifier: Apache-2.0
#include "app/help_menu.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QUrl>

namespace help_menu {
namespace {

// The version the program reports, as `kelvado --version` prints it.
QString ProgramVersion() { return QCoreApplication::applicationVersion(); }

QString NotInstalled() { return QStringLiteral("The manual (manual.md) is not installed."); }

}  // namespace

QString ManualPath(const QString& programFolder) {
  QDir folder(programFolder);
  for (int up = 0; up < 3 && folder.cdUp(); ++up) {
    const QFileInfo manual(folder.filePath(QStringLiteral("share/doc/kelvado/manual.md")));
    if (manual.isFile()) return manual.canonicalFilePath();
  }
  return {};
}

QString ManualPath() { return ManualPath(QCoreApplication::applicationDirPath()); }

namespace {

// The text of Help -> About.
QString AboutText() {
  const QString manual = ManualPath();
  return QStringLiteral("<b>Kelvado %1</b><p>Non-isothermal melt flow in the metering zone of a single-screw "
                        "extruder.</p><p>Licensed under the Apache License, version 2.0 (Apache-2.0).</p><p>%2</p>")
      .arg(ProgramVersion().toHtmlEscaped(),
           manual.isEmpty() ? NotInstalled()
                            : QStringLiteral("The manual: %1").arg(manual.toHtmlEscaped()));
}

}  // namespace

void AddHelpMenu(QMenuBar* bar, QWidget* window) {
  QMenu* help = bar->addMenu(QStringLiteral("&Help"));
  help->setObjectName(QStringLiteral("MenuHelp"));
  QAction* manual = help->addAction(QStringLiteral("&Manual"));
  manual->setObjectName(QStringLiteral("actionManual"));
  manual->setShortcut(QKeySequence::HelpContents);
  QObject::connect(manual, &QAction::triggered, window, [window] {
    const QString path = ManualPath();
    if (path.isEmpty() || !QDesktopServices::openUrl(QUrl::fromLocalFile(path))) {
      QMessageBox::information(window, QStringLiteral("Manual"),
                               path.isEmpty() ? NotInstalled()
                                              : QStringLiteral("No viewer opened the manual; it is %1.").arg(path));
    }
  });
  QAction* about = help->addAction(QStringLiteral("&About Kelvado"));
  about->setObjectName(QStringLiteral("actionAbout"));
  QObject::connect(about, &QAction::triggered, window, [window] {
    // Not modal: the window stays usable, and one box is reused.
    auto* box = window->findChild<QMessageBox*>(QStringLiteral("AboutBox"));
    if (!box) {
      box = new QMessageBox(QMessageBox::Information, QStringLiteral("About Kelvado"), AboutText(), QMessageBox::Close,
                            window);
      box->setObjectName(QStringLiteral("AboutBox"));
      box->setTextFormat(Qt::RichText);
      box->setIconPixmap(window->windowIcon().pixmap(64, 64));
    }
    box->show();
    box->raise();
  });
}

}  // namespace help_menu
