// SPDX-License-Identifier: Apache-2.0
#pragma once
// The plots beside the inputs: pressure, mean temperature and power along the channel, and
// the outlet profiles across the depth. A finished run fills them; any other outcome clears
// them and the line above them says why. A third page draws the screw characteristic, a
// fourth the die and the operating point. Along the channel of a screw of zones, dashed lines
// mark where the zones meet. Each
// plot can be saved as PNG or SVG from its context menu or from the "Save plot…" button.
// "Keep run" leaves the run on show on every plot as dashed curves, until cleared;
// the legends name the quantities, a key above the plots names each kept run once.
#include <QStringList>
#include <QWidget>
#include <array>
#include <functional>
#include <optional>
#include <vector>

#include "app/plots/characteristic_panel.h"
#include "app/display_units.h"
#include "app/plots/die_panel.h"
#include "app/plots/plot_data.h"
#include "solver/run.h"

class QAction;
class WindowDialogs;
class QChart;
class QChartView;
class QHBoxLayout;
class QLabel;
class QTabWidget;
class QToolButton;

class ResultsPlots : public QWidget {
  Q_OBJECT

 public:
  // The characteristic's cases start from the inputs the source gives; a plot that could
  // not be saved is reported through the dialogs, which must outlive the plots.
  ResultsPlots(WindowDialogs& dialogs, CharacteristicPanel::BaseSource source, QWidget* parent = nullptr);

  // The summary line names the flow model the run was made in.
  void showOutcome(const kelvado::RunOutcome& outcome, kelvado::FlowModel model = kelvado::FlowModel::Classic);
  bool hasResults() const { return hasResults_; }
  // Every page as before any run, for another case: the run on show, the characteristic and
  // the operating point go (searches still going are cancelled); kept runs stay, for comparison.
  void clearResults();

  QChartView* view(plots::PlotId id) const { return views_[Index(id)]; }
  QChart* chart(plots::PlotId id) const;
  // The page in front (0: along the channel); a page that does not exist is ignored.
  int currentPage() const;
  void setCurrentPage(int page);
  CharacteristicPanel* characteristic() const { return characteristic_; }
  DiePanel* diePanel() const { return die_; }
  // Another page, after the others, with its tab's name and tip.
  void addPage(QWidget* page, const QString& name, const QString& tip);
  void showPage(QWidget* page);

  // Writes the plot as drawn; the file name's extension (.png or .svg) picks the format.
  // A plot on the page behind is brought to the front first.
  bool savePlot(plots::PlotId id, const QString& path, QString* error = nullptr);
  // Asks for a file name, then saves the plot; a failure is shown in a warning box.
  void askAndSave(QChartView* view);

  // Where askAndSave gets its file name (empty: the user gave up). The default asks with a
  // file dialog; tests answer themselves.
  using FileAsker = std::function<QString(const QString& suggestedPath)>;
  void setFileAsker(FileAsker asker) { askFile_ = std::move(asker); }

  // The unit of the pressures on show: the pressure plot, the characteristic, the line above.
  void setPressureUnit(display_units::PressureUnit unit);
  display_units::PressureUnit pressureUnit() const { return unit_; }

  // What the next run is; set before showOutcome.
  struct RunName {
    QString caseName;
    QString output;  // kg/hr, as the run read it
    double rpm = 0;
    QString material;
    kelvado::FlowModel model = kelvado::FlowModel::Classic;
    std::size_t zones = 0;
  };
  void setRunName(RunName name) { runName_ = std::move(name); }
  // Keeps the finished run on show: on every plot, its curves stay as dashed lines named after
  // it in the legend, whatever runs come next. False when no finished run is on show.
  bool keepForComparison();
  void clearComparison();
  // The names of the kept runs: one alone by its case, output, speed and flow model
  // ("pipe, 52.0 kg/hr, 85.8 rpm, classic"); several by what tells them apart (output, speed,
  // material, flow model, zones, case), so that no two read alike.
  QStringList keptRuns() const;

  // Narrower than the tabs and the buttons beside them, the buttons go up beside the summary
  // line; the tabs always show whole.
  int wideWidth() const;
  QSize minimumSizeHint() const override;

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  static std::size_t Index(plots::PlotId id) { return static_cast<std::size_t>(id); }
  QChartView* makeView(plots::PlotId id);
  void addSaveAction(QChartView* view, const QString& title);
  void setResults(bool hasResults, const QString& status);
  void updateSaveButton();
  QString askWithDialog(const QString& suggestedPath);
  void redraw();
  void showSummary();
  void showKeptKey();

  struct KeptRun {
    RunName name;
    kelvado::RunRecord record;
  };

  WindowDialogs& dialogs_;
  std::array<QChartView*, plots::kPlotCount> views_{};
  CharacteristicPanel* characteristic_ = nullptr;
  DiePanel* die_ = nullptr;
  QTabWidget* tabs_ = nullptr;
  QLabel* status_ = nullptr;
  QWidget* buttons_ = nullptr;  // keep, clear and save
  QHBoxLayout* statusRow_ = nullptr;
  QToolButton* saveButton_ = nullptr;
  QToolButton* keepButton_ = nullptr;
  QToolButton* clearButton_ = nullptr;
  QLabel* keptKey_ = nullptr;  // names the kept runs, once for every plot
  bool hasResults_ = false;
  std::optional<kelvado::RunRecord> shown_;  // the finished run on show
  kelvado::OutletSummary summary_;
  QStringList warnings_;  // of the run on show
  kelvado::FlowModel shownModel_ = kelvado::FlowModel::Classic;  // of the run on show
  RunName runName_;
  RunName shownName_;
  std::vector<KeptRun> kept_;
  display_units::PressureUnit unit_ = display_units::PressureUnit::KgfPerCm2;
  QString lastFolder_;
  FileAsker askFile_;
};
