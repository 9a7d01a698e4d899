// SPDX-License-Identifier: Apache-2.0
// Start-up: the main window (its finish dialog hidden until a run ends well), the loop.
//
//   kelvado [CASE]                    opens the window, with the case file if one is given
//   kelvado --report FILE.pdf [CASE]  runs the case (the default one without CASE) and writes
//           [--pressure-unit UNIT]    its PDF report without a display, then exits
//   kelvado --screenshot FILE         renders the window to a PNG without showing it, then exits;
//                                     with --with-plots, after running the default case
//           [--compare OUTPUTS]       and, first, keeping the case at these outputs for comparison
//           [--size WxH] [--page NAME] the window at that size, that page in front (Channel, Outlet,
//           [--dialog NAME]           Characteristic, Die, Screw), or one of its dialogs (fit-data with
//           [--fit-table CSV]         the table given, fit-model with the README's Cross-WLF example,
//           [--scroll-inputs]         materials, finish, about) as large as it is but within that size;
//                                     the inputs scrolled to the pellets' group, or to their end
//   kelvado --plot-screenshot FILE    runs the default case and writes one of its plots (PNG or
//           [--plot KEY]              SVG by the extension; KEY as listed by --help)
//   kelvado --die-screenshot FILE     finds the operating point of the default case with a sheet
//                                     die at 80 rpm on the die page, then renders the plots to a PNG
// Pictures neither read nor change what the user's window remembers. The files go out by the
// command line's rule for outputs, and Ctrl-C or SIGTERM ends a headless mode as it ends a
// command (130 or 143, one line on standard error, nothing written). One headless mode at a
// time; options that it would ignore are a usage error (2), and so on for the exit statuses
// of files/exit_codes.h.
#include <QApplication>
#include <QCommandLineParser>
#include <QEventLoop>
#include <QAbstractButton>
#include <QFile>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QScrollArea>
#include <QScrollBar>
#include <QTabWidget>
#include <QFileInfo>
#include <QScreen>
#include <QSettings>
#include <QTemporaryDir>
#include <QTimer>
#include <cstring>
#include <initializer_list>
#include <exception>
#include <memory>
#include <optional>
#include <variant>

#include "report/results_file.h"
#include "app/case_session.h"
#include "app/dialogs.h"
#include "app/feed_box.h"
#include "app/finish_dialog.h"
#include "app/manage_materials_dialog.h"
#include "app/material_fit_dialog.h"
#include "app/main_window.h"
#include "app/material_box.h"
#include "app/output_bytes.h"
#include "app/plots/die_panel.h"
#include "app/report_pdf.h"
#include "case/case_plan.h"
#include "case/compose.h"
#include "app/plots/plot_picture.h"
#include "app/plots/results_plots.h"
#include "files/exit_codes.h"
#include "files/interrupt.h"
#include "kelvado_version.h"
#include "solver/input_fields.h"
#include "solver/screw_zones.h"
#include "solver/sweep.h"

namespace {

bool HasOption(int argc, char** argv, std::initializer_list<const char*> options) {
  for (int i = 1; i < argc; ++i) {
    for (const char* option : options) {
      const std::size_t length = std::strlen(option);
      if (std::strncmp(argv[i], option, length) == 0 && (argv[i][length] == 0 || argv[i][length] == '=')) {
        return true;
      }
    }
  }
  return false;
}

// A picture is the same whatever the user chose last: it gets settings of its own.
bool WantsPicture(int argc, char** argv) {
  return HasOption(argc, argv, {"--screenshot", "--plot-screenshot", "--die-screenshot"});
}

bool WantsHeadless(int argc, char** argv) { return WantsPicture(argc, argv) || HasOption(argc, argv, {"--report"}); }

// A picture, a report, the help and the version need no display.
bool WantsNoDisplay(int argc, char** argv) {
  return WantsHeadless(argc, argv) || HasOption(argc, argv, {"--help", "-h", "--help-all", "--version", "-v"});
}

// The end of a headless mode that a signal cut short.
int Interrupted() {
  qCritical("kelvado: cancelled by a signal; nothing was written");
  return kelvado::InterruptExitCode().value_or(kelvado::kExitStopped);
}

bool WasInterrupted() { return kelvado::InterruptRequested().load(); }

// A run with nobody to answer it and no results file; a message goes to standard error.
kelvado::RunOutcome RunCase(const kelvado::CaseData& data) {
  kelvado::RunRequest request(data.inputs, {});
  // Run as melt from the hopper on, a screw fed with pellets would give another screw's numbers.
  if (data.feed == kelvado::Feed::Pellets) {
    qWarning("kelvado: the case is fed with pellets, which the headless report and pictures do not run; open it in "
             "the window and export its report there");
    kelvado::RunOutcome refused;
    refused.status = kelvado::RunStatus::ImproperInput;
    return refused;
  }
  // Run as one channel, a screw of zones would give another screw's numbers: it is driven at
  // the case's speed, and refused without one.
  if (!data.zones.empty()) {
    kelvado::RunOutcome refused;
    refused.status = kelvado::RunStatus::ImproperInput;
    if (!data.rpm) {
      qWarning("kelvado: the case has a screw of zones but no screw speed to drive it at: give it an 'rpm = R' "
               "line, or run it from the window's Screw page");
      return refused;
    }
    // Both were checked when the case was read.
    const auto zones = std::get<std::vector<kelvado::ScrewZone>>(kelvado::ParseZones(data.zones));
    if (const auto failed = kelvado::DriveRequest(request, zones, kelvado::RpmOf(*data.rpm, '.'))) {
      qWarning("kelvado: %s", failed->message.c_str());
      refused.status = failed->status;
      return refused;
    }
  }
  // Quiet, ended by a signal, and paced like the window's runs when a test asks for it.
  struct HeadlessServices : kelvado::QuietServices {
    using QuietServices::QuietServices;
    void StepFinished(const kelvado::CalcState&) override { kelvado::PauseAfterStepForTests(); }
  } services(&kelvado::InterruptRequested());
  request.flowModel = data.flowModel;
  request.writeResultsFile = false;
  request.keptSteps = plots::kPlottedStepsAtMost;
  kelvado::RunOutcome outcome = kelvado::RunWithResultsFile(request, services);
  if (!services.message.empty()) qWarning("kelvado: %s", services.message.c_str());
  return outcome;
}

kelvado::RunOutcome RunDefaultCase() { return RunCase(kelvado::DefaultCase('.')); }

// The case file, or the default case without one; a file that cannot be read is said so on
// standard error (no box: there may be nobody to answer it).
std::optional<kelvado::CaseData> ReadCase(const QString& casePath) {
  if (casePath.isEmpty()) return kelvado::DefaultCase('.');
  try {
    return kelvado::ReadCaseFile(QFile::encodeName(casePath).toStdString(), '.');
  } catch (const std::exception& error) {
    qCritical("kelvado: %s", error.what());
    return std::nullopt;
  }
}

// The report of the case file (or of the default case) as the window would export it.
int WriteReport(const QString& pdfPath, const QString& casePath, const QString& unitKey) {
  if (const int refused = output_bytes::CheckHeadlessOutput(pdfPath, {casePath})) return refused;
  report_pdf::ReportContent content;
  const std::optional<kelvado::CaseData> read = ReadCase(casePath);
  if (WasInterrupted()) return Interrupted();
  if (!read) return 2;
  const kelvado::CaseData& data = *read;
  content.caseName = casePath.isEmpty() ? QStringLiteral("Untitled") : QFileInfo(casePath).completeBaseName();
  content.pressureUnit = display_units::RememberedPressureUnit();
  if (!unitKey.isEmpty()) {
    const std::optional<display_units::PressureUnit> unit = display_units::FindPressureUnit(unitKey);
    if (!unit) {
      qCritical("kelvado: no pressure unit named %s (one of: %s)", qPrintable(unitKey),
                qPrintable(display_units::PressureUnitKeys()));
      return 2;
    }
    content.pressureUnit = *unit;
  }
  content.inputs = data.inputs;
  content.flowModel = data.flowModel;
  content.dieSections = data.dieSections;
  content.material = QStringLiteral("Custom");
  try {
    const kelvado::MaterialCatalog catalog = kelvado::MaterialCatalog::Load();
    if (const kelvado::Material* material = kelvado::CaseMaterial(data, catalog, '.')) {
      content.material = QString::fromStdString(material->name);
      content.materialSource = QString::fromStdString(material->source);
    }
  } catch (const kelvado::MaterialError& error) {
    qWarning("kelvado: %s", error.what());  // the report names no material then
  }
  content.outcome = RunCase(data);
  if (WasInterrupted()) return Interrupted();
  if (content.outcome.status != kelvado::RunStatus::Finished) {
    qCritical("kelvado: the case ended as %s; no report was written", kelvado::StatusName(content.outcome.status));
    return 1;
  }
  QString error;
  if (!report_pdf::WriteReportPdf(content, pdfPath, &error)) {
    qCritical("kelvado: %s", qPrintable(error));
    return output_bytes::FailedWriteStatus();
  }
  return 0;
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
  if (const int refused = output_bytes::CheckHeadlessOutput(path, {})) return refused;
  const kelvado::RunOutcome outcome = RunDefaultCase();
  if (WasInterrupted()) return Interrupted();
  if (outcome.status != kelvado::RunStatus::Finished) {
    qCritical("kelvado: the default case ended as %s", kelvado::StatusName(outcome.status));
    return 1;
  }
  QString error;
  if (!plots::WritePlotPicture(*id, outcome.record, path, plots::kPictureSize, &error)) {
    qCritical("kelvado: %s", qPrintable(error));
    return output_bytes::FailedWriteStatus();
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
  UnsavedAnswer askUnsavedChanges(const QString&) override { return UnsavedAnswer::Discard; }
  QString askOpenFileName(const QString&, const QString&, const QString&) override { return {}; }
  QString askSaveFileName(const QString&, const QString&, const QString&) override { return {}; }
  std::optional<QString> askText(const QString&, const QString&) override { return std::nullopt; }
};

// Runs enough for an engineer to compare on one plot: a characteristic at a handful of
// outputs, or a few speeds at three or four outputs each. Beyond it, the twelve curves on each
// plot and their key above the tabs no longer read, while each kept run still costs memory.
constexpr qsizetype kMaxComparedRuns = 12;

QStringList ComparedOutputs(const QString& outputs) { return outputs.split(QLatin1Char(','), Qt::SkipEmptyParts); }

// Runs the case at each output (kg/hr) and keeps it on the plots, named as the window names a
// kept run: 0, or the exit status after saying which one did not finish.
int KeepRunsAt(TForm1& form, const kelvado::CaseData& data, const QStringList& outputs) {
  for (const QString& output : outputs) {
    kelvado::CaseData kept = data;
    kept.inputs[kelvado::Field::OutputRate] = output.trimmed().toStdString();
    const kelvado::RunOutcome outcome = RunCase(kept);
    if (WasInterrupted()) return Interrupted();
    form.resultsPlots()->setRunName({form.caseSession()->caseName(), output.trimmed(), outcome.summary.Rpm,
                                     kept.material ? QString::fromStdString(*kept.material) : MaterialBox::kCustom,
                                     kept.flowModel, kept.zones.size()});
    form.resultsPlots()->showOutcome(outcome, kept.flowModel);
    if (!form.resultsPlots()->keepForComparison()) {
      qCritical("kelvado: the case at an output of %s ended as %s", qPrintable(output),
                kelvado::StatusName(outcome.status));
      return kelvado::kExitStopped;
    }
  }
  return 0;
}

// The options of the headless modes, which make one file each.
struct HeadlessOptions {
  QCommandLineOption screenshot, withPlots, compare, plotScreenshot, plot, dieScreenshot, report, pressureUnit;
  QCommandLineOption size, page, dialog, fitTable, scrollInputs;
};

QString Dashed(const QCommandLineOption& option) { return QStringLiteral("--") + option.names().constLast(); }

// What would be left undone or ignored without a word is refused before any work: two modes
// at once, an option of a mode not asked for, a case file for a picture of the default case,
// more kept runs than a plot can show.
QString HeadlessConflict(const QCommandLineParser& parser, const HeadlessOptions& o, bool caseGiven) {
  QStringList modes;
  for (const QCommandLineOption* mode : {&o.screenshot, &o.plotScreenshot, &o.dieScreenshot, &o.report}) {
    if (parser.isSet(*mode)) modes << Dashed(*mode);
  }
  if (modes.size() > 1) return QStringLiteral("%1 make one file each; give one of them at a time").arg(modes.join(QStringLiteral(" and ")));
  struct Needs {
    const QCommandLineOption* option;
    const QCommandLineOption* mode;
  };
  for (const Needs& needs : {Needs{&o.withPlots, &o.screenshot}, Needs{&o.compare, &o.withPlots},
                             Needs{&o.plot, &o.plotScreenshot}, Needs{&o.pressureUnit, &o.report},
                             Needs{&o.size, &o.screenshot}, Needs{&o.page, &o.screenshot},
                             Needs{&o.dialog, &o.screenshot}, Needs{&o.fitTable, &o.dialog},
                             Needs{&o.scrollInputs, &o.screenshot}}) {
    if (parser.isSet(*needs.option) && !parser.isSet(*needs.mode)) {
      return QStringLiteral("%1 goes with %2").arg(Dashed(*needs.option), Dashed(*needs.mode));
    }
  }
  for (const QCommandLineOption* mode : {&o.plotScreenshot, &o.dieScreenshot}) {
    if (caseGiven && parser.isSet(*mode)) return QStringLiteral("%1 draws the default case; it takes no case file").arg(Dashed(*mode));
  }
  if (const qsizetype count = ComparedOutputs(parser.value(o.compare)).size(); count > kMaxComparedRuns) {
    return QStringLiteral("--compare keeps at most %1 runs, not %2").arg(kMaxComparedRuns).arg(count);
  }
  return {};
}

// "1024x600" as a size; none for anything else.
std::optional<QSize> SizeOf(const QString& text) {
  const QStringList parts = text.split(QLatin1Char('x'));
  bool wide = false, high = false;
  const QSize size(parts.value(0).toInt(&wide), parts.value(1).toInt(&high));
  if (parts.size() != 2 || !wide || !high || size.width() < 200 || size.height() < 200 || size.width() > 10000 ||
      size.height() > 10000) {
    return std::nullopt;
  }
  return size;
}

// The window's page named, in front; false when there is none of that name.
bool ShowPage(TForm1& form, const QString& name) {
  auto* tabs = form.findChild<QTabWidget*>(QStringLiteral("PlotTabs"));
  for (int page = 0; page < tabs->count(); ++page) {
    if (tabs->tabText(page).compare(name, Qt::CaseInsensitive) == 0) {
      tabs->setCurrentIndex(page);
      return true;
    }
  }
  return false;
}

template <typename Widget>
Widget* Named(const QWidget& parent, const char* name) {
  return parent.findChild<Widget*>(QLatin1String(name));
}

// One of the window's dialogs as the user would see it on a screen of `screen`: its own size,
// no larger than the screen. Null, said why, for a name that is none of them or a table that
// can not be read; `table`, the measured viscosities the data fit is shown with.
std::unique_ptr<QWidget> OpenDialog(TForm1& form, WindowDialogs& dialogs, const QString& name, const QString& table) {
  std::unique_ptr<QWidget> dialog;
  if (name == QLatin1String("fit-data") || name == QLatin1String("fit-model")) {
    const bool data = name == QLatin1String("fit-data");
    auto fit = std::make_unique<MaterialFitDialog>(data ? MaterialFitDialog::Source::Data : MaterialFitDialog::Source::Model,
                                                   dialogs, *form.materialBox(), &form);
    if (data && !table.isEmpty()) {
      QFile file(table);
      if (!file.open(QIODevice::ReadOnly)) {
        qCritical("kelvado: %s can not be read: %s", qPrintable(table), qPrintable(file.errorString()));
        return nullptr;
      }
      Named<QPlainTextEdit>(*fit, "FitTable")->setPlainText(QString::fromUtf8(file.readAll()));
    } else if (!data) {
      // The README's example: the Cross-WLF model of a data sheet.
      const char* values[] = {"0.2842", "27300", "4.5e13", "263.15", "28.7", "51.6"};
      for (int i = 0; i < 6; ++i) {
        Named<QLineEdit>(*fit, QStringLiteral("FitParameter%1").arg(i).toLatin1().constData())->setText(QLatin1String(values[i]));
      }
      Named<QLineEdit>(*fit, "FitShearFrom")->setText(QStringLiteral("10"));
      Named<QLineEdit>(*fit, "FitShearTo")->setText(QStringLiteral("1000"));
      Named<QLineEdit>(*fit, "FitTempFrom")->setText(QStringLiteral("200"));
      Named<QLineEdit>(*fit, "FitTempTo")->setText(QStringLiteral("260"));
    }
    if (!data || !table.isEmpty()) fit->fit();
    dialog = std::move(fit);
  } else if (name == QLatin1String("materials")) {
    dialog = std::make_unique<ManageMaterialsDialog>(dialogs, *form.materialBox(), &form);
  } else if (name == QLatin1String("finish")) {
    dialog = std::make_unique<TFinishForm>(&form);
  } else if (name == QLatin1String("about")) {
    Named<QAction>(form, "actionAbout")->trigger();
    auto* about = Named<QWidget>(form, "AboutBox");
    about->hide();
    about->setParent(nullptr);
    dialog.reset(about);
  } else {
    qCritical("kelvado: no dialog named %s (one of: fit-data, fit-model, materials, finish, about)", qPrintable(name));
  }
  return dialog;
}

// The window, or one of its dialogs, at the size asked: 0, or the exit status.
int WriteWindowShot(TForm1& form, const QString& path, std::optional<QSize> size, const QString& page,
                    const QString& dialogName, const QString& table, bool scrollInputs) {
  if (!page.isEmpty() && !ShowPage(form, page)) {
    qCritical("kelvado: no page named %s", qPrintable(page));
    return kelvado::kExitUsage;
  }
  form.setAttribute(Qt::WA_DontShowOnScreen);
  form.show();
  if (size) form.resize(*size);
  QWidget* shown = &form;
  StderrDialogs dialogs;
  std::unique_ptr<QWidget> dialog;
  if (!dialogName.isEmpty()) {
    dialog = OpenDialog(form, dialogs, dialogName, table);
    if (!dialog) return kelvado::kExitUsage;  // said why
    dialog->setAttribute(Qt::WA_DontShowOnScreen);
    dialog->show();
    const QSize screen = size.value_or(form.size());
    dialog->resize(dialog->sizeHint().expandedTo(dialog->minimumSize()).boundedTo(screen).expandedTo(dialog->minimumSizeHint()));
    shown = dialog.get();
  }
  for (int pass = 0; pass < 3; ++pass) QCoreApplication::processEvents();
  if (scrollInputs) {
    // To the pellets' group when it is shown, else to the end.
    auto* inputs = Named<QScrollArea>(form, "InputScroll");
    if (form.feedBox()->isVisible()) {
      inputs->ensureWidgetVisible(form.feedBox());
    } else {
      inputs->verticalScrollBar()->setValue(inputs->verticalScrollBar()->maximum());
    }
    QCoreApplication::processEvents();
  }
  QString error;
  if (!output_bytes::WritePng(path, shown->grab().toImage(), &error)) {
    qCritical("kelvado: %s", qPrintable(error));
    return output_bytes::FailedWriteStatus();
  }
  return 0;
}

// The example of the README on the die page, at a size where its numbers read well.
int WriteDieScreenshot(const QString& path) {
  if (const int refused = output_bytes::CheckHeadlessOutput(path, {})) return refused;
  StderrDialogs dialogs;
  TForm1 form(&dialogs);
  form.setAttribute(Qt::WA_DontShowOnScreen);
  form.show();
  form.resize(1500, 720);
  form.narrowInputs();
  ResultsPlots* plots = form.resultsPlots();
  DiePanel* page = plots->diePanel();
  plots->showPage(page);
  page->setSections({kelvado::ParseDieSection("slit:width=20,gap=0.08,length=4")});
  page->setRpm(80);
  page->setOutputRange({}, {});
  QEventLoop loop;
  QObject::connect(page, &DiePanel::finished, &loop, &QEventLoop::quit);
  // A signal only sets a flag; the loop looks at it often enough to end within a second.
  QTimer watch;
  QObject::connect(&watch, &QTimer::timeout, &loop, [&] {
    if (WasInterrupted()) loop.quit();
  });
  watch.start(50);
  if (!page->run()) return 1;
  loop.exec();
  if (WasInterrupted()) {
    page->cancel();
    return Interrupted();
  }
  // The numbers and the axes are laid out on events of their own; the picture waits for them.
  for (int pass = 0; pass < 3; ++pass) QCoreApplication::processEvents();
  if (!page->hasPoint()) {
    qCritical("kelvado: no operating point: %s", page->result().message.c_str());
    return 1;
  }
  QString error;
  if (!output_bytes::WritePng(path, plots->grab().toImage(), &error)) {
    qCritical("kelvado: %s", qPrintable(error));
    return output_bytes::FailedWriteStatus();
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  // A picture of the window needs no display.
  if (WantsNoDisplay(argc, argv) && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
  }
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("kelvado"));
  QApplication::setDesktopFileName(QStringLiteral("kelvado"));
  QApplication::setApplicationVersion(QStringLiteral(KELVADO_VERSION));
  std::optional<kelvado::InterruptHandlers> interrupts;
  if (WantsHeadless(argc, argv)) interrupts.emplace();
  QTemporaryDir pictureSettings;
  if (WantsPicture(argc, argv)) QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, pictureSettings.path());

  QCommandLineParser parser;
  // The headless modes end with the command line's statuses: the same table, which the manual
  // page carries too.
  parser.setApplicationDescription(
      QStringLiteral("Non-isothermal melt flow in the metering zone of a single-screw extruder.\n\n") +
      QString::fromStdString(kelvado::ExitStatusTable()).trimmed());
  parser.addHelpOption();
  parser.addVersionOption();
  const QCommandLineOption screenshot(QStringLiteral("screenshot"),
                                      QStringLiteral("Render the main window to a PNG file and exit."),
                                      QStringLiteral("FILE"));
  parser.addOption(screenshot);
  const QCommandLineOption withPlots(QStringLiteral("with-plots"),
                                     QStringLiteral("With --screenshot: run the case (the default one without CASE) first."));
  parser.addOption(withPlots);
  const QCommandLineOption compare(
      QStringLiteral("compare"),
      QStringLiteral("With --with-plots: first run the case at each of these outputs (kg/hr, comma-separated, "
                     "at most %1) and keep it for comparison.").arg(kMaxComparedRuns),
      QStringLiteral("OUTPUTS"));
  parser.addOption(compare);
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
  const QCommandLineOption report(
      QStringLiteral("report"),
      QStringLiteral("Run the case (the default one without CASE), write its PDF report to FILE and exit."),
      QStringLiteral("FILE"));
  parser.addOption(report);
  const QCommandLineOption pressureUnit(
      QStringLiteral("pressure-unit"),
      QStringLiteral("The pressure unit of --report: %1 (by default the one chosen last in the window).")
          .arg(display_units::PressureUnitKeys()),
      QStringLiteral("UNIT"));
  parser.addOption(pressureUnit);
  const QCommandLineOption size(QStringLiteral("size"), QStringLiteral("With --screenshot: the window's size, as 1024x600."),
                                QStringLiteral("WxH"));
  parser.addOption(size);
  const QCommandLineOption page(QStringLiteral("page"),
                                QStringLiteral("With --screenshot: the page in front (Channel, Outlet, Characteristic, Die, Screw)."),
                                QStringLiteral("NAME"));
  parser.addOption(page);
  const QCommandLineOption dialog(
      QStringLiteral("dialog"),
      QStringLiteral("With --screenshot: render this dialog of the window instead (fit-data, fit-model, materials, "
                     "finish, about), no larger than the window."),
      QStringLiteral("NAME"));
  parser.addOption(dialog);
  const QCommandLineOption fitTable(QStringLiteral("fit-table"),
                                    QStringLiteral("With --dialog fit-data: the measured viscosities (CSV) to fit."),
                                    QStringLiteral("CSV"));
  parser.addOption(fitTable);
  const QCommandLineOption scrollInputs(QStringLiteral("scroll-inputs"),
                                        QStringLiteral("With --screenshot: the inputs scrolled to the pellets' group, or to their end."));
  parser.addOption(scrollInputs);
  parser.addPositionalArgument(QStringLiteral("CASE"), QStringLiteral("A case file to open (.kvcase)."),
                               QStringLiteral("[CASE]"));
  // Qt ends an unknown option with 1; a usage error is 2, as on the command line.
  if (!parser.parse(QCoreApplication::arguments())) {
    qCritical("kelvado: %s", qPrintable(parser.errorText()));
    return kelvado::kExitUsage;
  }
  parser.process(app);  // --help and --version
  const QStringList positional = parser.positionalArguments();
  if (positional.size() > 1) {
    qCritical("kelvado: one case file at the most, not %lld", static_cast<long long>(positional.size()));
    return kelvado::kExitUsage;
  }
  const QString casePath = positional.value(0);
  const QString conflict = HeadlessConflict(
      parser, {screenshot, withPlots, compare, plotScreenshot, plot, dieScreenshot, report, pressureUnit, size, page,
               dialog, fitTable, scrollInputs},
      !casePath.isEmpty());
  if (!conflict.isEmpty()) {
    qCritical("kelvado: %s", qPrintable(conflict));
    return kelvado::kExitUsage;
  }

  if (parser.isSet(dieScreenshot)) return WriteDieScreenshot(parser.value(dieScreenshot));

  if (parser.isSet(plotScreenshot)) return WritePlotScreenshot(parser.value(plot), parser.value(plotScreenshot));
  if (parser.isSet(report)) return WriteReport(parser.value(report), casePath, parser.value(pressureUnit));

  TForm1 form;  // with its own modal boxes and finish dialog

  if (parser.isSet(screenshot)) {
    const QString path = parser.value(screenshot);
    if (const int refused = output_bytes::CheckHeadlessOutput(path, {casePath})) return refused;
    const std::optional<kelvado::CaseData> data = ReadCase(casePath);
    if (WasInterrupted()) return Interrupted();
    if (!data) return 2;
    if (!casePath.isEmpty()) form.caseSession()->open(casePath);
    if (parser.isSet(withPlots)) {
      if (const int failed = KeepRunsAt(form, *data, ComparedOutputs(parser.value(compare)))) return failed;
      form.resultsPlots()->showOutcome(RunCase(*data), data->flowModel);
    }
    if (WasInterrupted()) return Interrupted();
    std::optional<QSize> shotSize;
    if (parser.isSet(size) && !(shotSize = SizeOf(parser.value(size)))) {
      qCritical("kelvado: --size takes WIDTHxHEIGHT from 200 to 10000 pixels, as 1024x600, not %s",
                qPrintable(parser.value(size)));
      return kelvado::kExitUsage;
    }
    return WriteWindowShot(form, path, shotSize, parser.value(page), parser.value(dialog), parser.value(fitTable),
                           parser.isSet(scrollInputs));
  }

  const QScreen* screen = form.screen();
  if (!form.restoredGeometry() && screen) form.move(screen->availableGeometry().center() - form.rect().center());
  form.show();
  // A case that cannot be read is said so over the window, which keeps the default case.
  if (!casePath.isEmpty()) form.caseSession()->open(casePath);
  return app.exec();
}
