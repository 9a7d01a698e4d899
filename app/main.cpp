// Start-up: the main window (its finish dialog hidden until a run ends well), the loop.
//
//   kelvado                           opens the window
//   kelvado --screenshot FILE         renders the window to a PNG without showing it, then exits;
//                                     with --with-plots, after running the default case
//   kelvado --plot-screenshot FILE    runs the default case and writes one of its plots (PNG or
//           [--plot KEY]              SVG by the extension; KEY as listed by --help)
//   kelvado --die-screenshot FILE     finds the operating point of the default case with a sheet
//                                     die at 80 rpm on the die page, then renders the plots to a PNG
// Pictures neither read nor change what the user's window remembers.
#include <QApplication>
#include <QCommandLineParser>
#include <QEventLoop>
#include <QScreen>
#include <QSettings>
#include <QSplitter>
#include <QTabWidget>
#include <QTemporaryDir>
#include <cstring>

#include "report/results_file.h"
#include "app/dialogs.h"
#include "app/main_window.h"
#include "app/plots/die_panel.h"
#include "app/plots/plot_picture.h"
#include "app/plots/results_plots.h"
#include "solver/input_fields.h"

namespace {

bool WantsPicture(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    for (const char* option : {"--screenshot", "--plot-screenshot", "--die-screenshot"}) {
      const std::size_t length = std::strlen(option);
      if (std::strncmp(argv[i], option, length) == 0 && (argv[i][length] == 0 || argv[i][length] == '=')) {
        return true;
      }
    }
  }
  return false;
}

// A run with nobody to answer it and no results file; a message goes to standard error.
kelvado::RunOutcome RunDefaultCase() {
  kelvado::QuietServices services;
  kelvado::RunRequest request(kelvado::DefaultInputTexts(), {});
  request.writeResultsFile = false;
  request.keptSteps = plots::kPlottedStepsAtMost;
  kelvado::RunOutcome outcome = kelvado::RunWithResultsFile(request, services);
  if (!services.message.empty()) qWarning("kelvado: %s", services.message.c_str());
  return outcome;
}

QString PlotKeys() {
  QStringList keys;
  for (int i = 0; i < plots::kPlotCount; ++i) keys << plots::LookOf(static_cast<plots::PlotId>(i)).key;
  return keys.join(QStringLiteral(", "));
}

int WritePlotScreenshot(const QString& key, const QString& path) {
  const std::optional<plots::PlotId> id = plots::PlotByKey(key);
  if (!id) {
    qCritical("kelvado: no plot named %s (one of: %s)", qPrintable(key), qPrintable(PlotKeys()));
    return 2;
  }
  const kelvado::RunOutcome outcome = RunDefaultCase();
  if (outcome.status != kelvado::RunStatus::Finished) {
    qCritical("kelvado: the default case ended as %s", kelvado::StatusName(outcome.status));
    return 1;
  }
  QString error;
  if (!plots::WritePlotPicture(*id, outcome.record, path, plots::kPictureSize, &error)) {
    qCritical("kelvado: %s", qPrintable(error));
    return 1;
  }
  return 0;
}

// Boxes with nobody to answer them: their text goes to standard error.
class StderrDialogs final : public WindowDialogs {
 public:
  void showMessage(const QString& text) override { qWarning("kelvado: %s", qPrintable(text)); }
  void showError(const QString& text) override { qWarning("kelvado: %s", qPrintable(text)); }
  void showWarning(const QString& title, const QString& text) override {
    qWarning("kelvado: %s: %s", qPrintable(title), qPrintable(text));
  }
  void showFinishDialog() override {}
  std::optional<QString> askText(const QString&, const QString&) override { return std::nullopt; }
};

// The example of the README on the die page, at a size where its numbers read well.
int WriteDieScreenshot(const QString& path) {
  StderrDialogs dialogs;
  TForm1 form(&dialogs);
  form.setAttribute(Qt::WA_DontShowOnScreen);
  form.show();
  form.resize(1500, 720);
  // The inputs as narrow as they go, the rest to the plots.
  if (auto* splitter = form.findChild<QSplitter*>(QStringLiteral("Splitter1"))) {
    splitter->setSizes({splitter->widget(0)->minimumSizeHint().width(), form.width()});
  }
  ResultsPlots* plots = form.resultsPlots();
  DiePanel* page = plots->diePanel();
  plots->findChild<QTabWidget*>(QStringLiteral("PlotTabs"))->setCurrentWidget(page);
  page->setSections({kelvado::ParseDieSection("slit:width=20,gap=0.08,length=4")});
  page->setRpm(80);
  page->setOutputRange({}, {});
  QEventLoop loop;
  QObject::connect(page, &DiePanel::finished, &loop, &QEventLoop::quit);
  if (!page->run()) return 1;
  loop.exec();
  // The numbers and the axes are laid out on events of their own; the picture waits for them.
  for (int pass = 0; pass < 3; ++pass) QCoreApplication::processEvents();
  if (!page->hasPoint()) {
    qCritical("kelvado: no operating point: %s", page->result().message.c_str());
    return 1;
  }
  if (!plots->grab().save(path, "PNG")) {
    qCritical("kelvado: cannot write %s", qPrintable(path));
    return 1;
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  // A picture of the window needs no display.
  if (WantsPicture(argc, argv) && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
  }
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("kelvado"));
  QApplication::setDesktopFileName(QStringLiteral("kelvado"));
  QTemporaryDir pictureSettings;
  if (WantsPicture(argc, argv)) QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, pictureSettings.path());

  QCommandLineParser parser;
  parser.setApplicationDescription(
      QStringLiteral("Non-isothermal melt flow in the metering zone of a single-screw extruder."));
  parser.addHelpOption();
  const QCommandLineOption screenshot(QStringLiteral("screenshot"),
                                      QStringLiteral("Render the main window to a PNG file and exit."),
                                      QStringLiteral("FILE"));
  parser.addOption(screenshot);
  const QCommandLineOption withPlots(QStringLiteral("with-plots"),
                                     QStringLiteral("With --screenshot: run the default case first."));
  parser.addOption(withPlots);
  const QCommandLineOption plotScreenshot(
      QStringLiteral("plot-screenshot"),
      QStringLiteral("Run the default case, write one of its plots to FILE (.png or .svg) and exit."),
      QStringLiteral("FILE"));
  parser.addOption(plotScreenshot);
  const QCommandLineOption plot(QStringLiteral("plot"),
                                QStringLiteral("The plot --plot-screenshot writes: %1.").arg(PlotKeys()),
                                QStringLiteral("KEY"), QStringLiteral("pressure"));
  parser.addOption(plot);
  const QCommandLineOption dieScreenshot(
      QStringLiteral("die-screenshot"),
      QStringLiteral("Find the operating point of the default case with the die slit:width=20,gap=0.08,length=4 "
                     "at 80 rpm on the die page, render the plots to a PNG file and exit."),
      QStringLiteral("FILE"));
  parser.addOption(dieScreenshot);
  parser.process(app);

  if (parser.isSet(dieScreenshot)) return WriteDieScreenshot(parser.value(dieScreenshot));

  if (parser.isSet(plotScreenshot)) return WritePlotScreenshot(parser.value(plot), parser.value(plotScreenshot));

  TForm1 form;  // with its own modal boxes and finish dialog

  if (parser.isSet(screenshot)) {
    if (parser.isSet(withPlots)) form.resultsPlots()->showOutcome(RunDefaultCase());
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
