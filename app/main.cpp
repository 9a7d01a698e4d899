// Start-up: the main window, the finish dialog (hidden until a run ends well), the loop.
//
//   kelvado                    opens the window
//   kelvado --screenshot FILE  renders the window to a PNG without showing it, then exits
#include <QApplication>
#include <QCommandLineParser>
#include <QScreen>
#include <cstring>

#include "finish_dialog.h"
#include "main_window.h"
#include "qt_services.h"

namespace {

bool WantsScreenshot(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--screenshot") == 0 || std::strncmp(argv[i], "--screenshot=", 13) == 0) return true;
  }
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  // A picture of the window needs no display.
  if (WantsScreenshot(argc, argv) && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
  }
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("kelvado"));
  QApplication::setDesktopFileName(QStringLiteral("kelvado"));

  QCommandLineParser parser;
  parser.setApplicationDescription(
      QStringLiteral("Non-isothermal melt flow in the metering zone of a single-screw extruder."));
  parser.addHelpOption();
  const QCommandLineOption screenshot(QStringLiteral("screenshot"),
                                      QStringLiteral("Render the main window to a PNG file and exit."),
                                      QStringLiteral("FILE"));
  parser.addOption(screenshot);
  parser.process(app);

  TForm1 form;
  TFinishForm finishForm;
  ModalDialogs dialogs(&form, &finishForm);
  form.setDialogs(&dialogs);

  if (parser.isSet(screenshot)) {
    form.setAttribute(Qt::WA_DontShowOnScreen);
    form.show();
    if (!form.grab().save(parser.value(screenshot), "PNG")) {
      qCritical("kelvado: cannot write %s", qPrintable(parser.value(screenshot)));
      return 1;
    }
    return 0;
  }

  form.adjustSize();
  if (const QScreen* screen = form.screen()) {
    form.move(screen->availableGeometry().center() - form.rect().center());
  }
  form.show();
  return app.exec();
}
