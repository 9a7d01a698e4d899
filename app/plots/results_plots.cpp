#include "app/plots/results_plots.h"

#include <QAction>
#include <QChart>
#include <QChartView>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QTabBar>
#include <QTabWidget>
#include <QToolButton>
#include <QVBoxLayout>

#include "app/dialogs.h"
#include "app/plots/plot_chart.h"
#include "app/plots/plot_export.h"

using plots::PlotId;

namespace {

const QString kPngFilter = QStringLiteral("PNG image (*.png)");
const QString kSvgFilter = QStringLiteral("SVG drawing (*.svg)");

QString ObjectName(PlotId id) {
  // "pressure" -> "PressurePlot", "outlet-shear-rate" -> "OutletShearRatePlot"
  QString name;
  for (const QString& word : plots::LookOf(id).key.split(u'-')) name += word.front().toUpper() + word.mid(1);
  return name + QStringLiteral("Plot");
}

QString NotFinishedReason(kelvado::RunStatus status) {
  using kelvado::RunStatus;
  switch (status) {
    case RunStatus::Finished: break;
    case RunStatus::ImproperInput: return QStringLiteral("had improper input");
    case RunStatus::InnerFailed:
    case RunStatus::ClosureFailed: return QStringLiteral("did not converge");
    case RunStatus::FileNotOpened: return QStringLiteral("could not open its results file");
    case RunStatus::ArithmeticFault: return QStringLiteral("stopped on an arithmetic fault");
    case RunStatus::WriteError: return QStringLiteral("could not write its results file");
    case RunStatus::Cancelled: return QStringLiteral("was cancelled");
    case RunStatus::NotRun: return QStringLiteral("was not run");
  }
  return QStringLiteral("did not finish");
}

}  // namespace

ResultsPlots::ResultsPlots(WindowDialogs& dialogs, CharacteristicPanel::BaseSource source, QWidget* parent)
    : QWidget(parent), dialogs_(dialogs), lastFolder_(QDir::currentPath()) {
  setObjectName(QStringLiteral("ResultsPlots"));
  askFile_ = [this](const QString& suggested) { return askWithDialog(suggested); };

  auto* channelPage = new QWidget;
  channelPage->setObjectName(QStringLiteral("ChannelPlots"));
  auto* channelLayout = new QVBoxLayout(channelPage);
  channelLayout->setContentsMargins(2, 2, 2, 2);
  channelLayout->setSpacing(0);
  for (PlotId id : plots::kChannelPlots) channelLayout->addWidget(makeView(id));

  auto* outletPage = new QWidget;
  outletPage->setObjectName(QStringLiteral("OutletPlots"));
  auto* outletLayout = new QGridLayout(outletPage);
  outletLayout->setContentsMargins(2, 2, 2, 2);
  outletLayout->setSpacing(0);
  for (std::size_t i = 0; i < plots::kOutletPlots.size(); ++i) {
    outletLayout->addWidget(makeView(plots::kOutletPlots[i]), int(i / 2), int(i % 2));
  }

  characteristic_ = new CharacteristicPanel(source);
  addSaveAction(characteristic_->view(), QStringLiteral("screw characteristic"));
  connect(characteristic_, &CharacteristicPanel::calculated, this, [this] {
    characteristic_->view()->actions().front()->setEnabled(characteristic_->hasResults());
    updateSaveButton();
  });
  die_ = new DiePanel(dialogs, std::move(source));
  addSaveAction(die_->view(), QStringLiteral("operating point"));
  connect(die_, &DiePanel::finished, this, [this] {
    die_->view()->actions().front()->setEnabled(!die_->result().runs.empty());
    updateSaveButton();
  });

  tabs_ = new QTabWidget;
  tabs_->setObjectName(QStringLiteral("PlotTabs"));
  tabs_->addTab(channelPage, QStringLiteral("Along the channel"));
  tabs_->addTab(outletPage, QStringLiteral("Outlet profiles"));
  tabs_->addTab(characteristic_, QStringLiteral("Screw characteristic"));
  tabs_->addTab(die_, QStringLiteral("Die and operating point"));
  connect(tabs_, &QTabWidget::currentChanged, this, &ResultsPlots::updateSaveButton);
  // The inputs keep the keyboard: Tab never leaves their fields, nor reaches the arrows that
  // scroll the tabs when they do not all fit.
  tabs_->setFocusPolicy(Qt::NoFocus);
  for (QToolButton* arrow : tabs_->tabBar()->findChildren<QToolButton*>()) arrow->setFocusPolicy(Qt::NoFocus);

  status_ = new QLabel;
  status_->setObjectName(QStringLiteral("PlotStatus"));
  status_->setWordWrap(true);

  // The menu offers the plots of the page in front.
  auto* saveMenu = new QMenu(this);
  connect(saveMenu, &QMenu::aboutToShow, this, [this, saveMenu] {
    saveMenu->clear();
    for (QChartView* v : tabs_->currentWidget()->findChildren<QChartView*>()) saveMenu->addActions(v->actions());
  });
  saveButton_ = new QToolButton;
  saveButton_->setObjectName(QStringLiteral("SavePlotButton"));
  saveButton_->setText(QStringLiteral("Save plot..."));
  saveButton_->setToolTip(QStringLiteral("Save one of the plots on this page as PNG or SVG"));
  saveButton_->setPopupMode(QToolButton::InstantPopup);
  saveButton_->setMenu(saveMenu);
  saveButton_->setFocusPolicy(Qt::NoFocus);

  auto* bar = new QHBoxLayout;
  bar->addWidget(status_, 1);
  bar->addWidget(saveButton_);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addLayout(bar);
  layout->addWidget(tabs_, 1);

  setResults(false, QStringLiteral("Press OK to run the case: its profiles are drawn here."));
}

QChartView* ResultsPlots::makeView(PlotId id) {
  auto* view = new QChartView(plots::MakeChart(id));
  view->setObjectName(ObjectName(id));
  view->setRenderHint(QPainter::Antialiasing);
  view->setFocusPolicy(Qt::NoFocus);
  view->setMinimumSize(260, 170);
  addSaveAction(view, plots::LookOf(id).title.toLower());
  views_[Index(id)] = view;
  return view;
}

void ResultsPlots::addSaveAction(QChartView* view, const QString& title) {
  auto* save = new QAction(QStringLiteral("Save %1 plot...").arg(title), view);
  save->setObjectName(view->objectName() + QStringLiteral("Save"));
  save->setEnabled(false);
  connect(save, &QAction::triggered, this, [this, view] { askAndSave(view); });
  view->addAction(save);
  view->setContextMenuPolicy(Qt::ActionsContextMenu);
}

QChart* ResultsPlots::chart(PlotId id) const { return view(id)->chart(); }

void ResultsPlots::showOutcome(const kelvado::RunOutcome& outcome, kelvado::FlowModel model) {
  if (outcome.status != kelvado::RunStatus::Finished) {
    for (QChartView* v : views_) plots::ClearChart(v->chart());
    setResults(false, QStringLiteral("The last run %1: nothing to plot.").arg(NotFinishedReason(outcome.status)));
    return;
  }
  for (int i = 0; i < plots::kPlotCount; ++i) {
    const auto id = static_cast<PlotId>(i);
    plots::FillChart(chart(id), id, plots::PlotPoints(id, outcome.record));
  }
  const kelvado::OutletSummary& s = outcome.summary;
  setResults(true, QStringLiteral("Outlet: %1 kgf/cm\u00b2, mean %2 \u00b0C, total power %3 kW at %4 rpm (%5 flow model).")
                       .arg(s.OutletPressure, 0, 'f', 1)
                       .arg(s.AvgTemp, 0, 'f', 1)
                       .arg(s.TotalPowerKW, 0, 'f', 2)
                       .arg(s.Rpm, 0, 'f', 1)
                       .arg(QString::fromLatin1(kelvado::FlowModelName(model))));
}

void ResultsPlots::setResults(bool hasResults, const QString& status) {
  hasResults_ = hasResults;
  status_->setText(status);
  for (QChartView* v : views_) v->actions().front()->setEnabled(hasResults);
  updateSaveButton();
}

void ResultsPlots::updateSaveButton() {
  bool any = false;
  for (QChartView* v : tabs_->currentWidget()->findChildren<QChartView*>()) any |= v->actions().front()->isEnabled();
  saveButton_->setEnabled(any);
}

bool ResultsPlots::savePlot(PlotId id, const QString& path, QString* error) {
  // A plot is drawn at the size it has on screen: one on the page behind has never been laid
  // out, so its page comes to the front first.
  QChartView* v = view(id);
  if (isVisible() && !v->isVisible()) {
    for (int page = 0; page < tabs_->count(); ++page) {
      if (tabs_->widget(page)->isAncestorOf(v)) tabs_->setCurrentIndex(page);
    }
    if (QLayout* pageLayout = tabs_->currentWidget()->layout()) pageLayout->activate();
  }
  return plots::SavePlot(v->chart(), path, error);
}

void ResultsPlots::askAndSave(QChartView* view) {
  const QString suggested = QDir(lastFolder_).filePath(view->chart()->objectName() + QStringLiteral(".png"));
  const QString path = askFile_(suggested);
  if (path.isEmpty()) return;
  lastFolder_ = QFileInfo(path).absolutePath();
  QString error;
  if (!plots::SavePlot(view->chart(), path, &error)) {
    dialogs_.showWarning(QStringLiteral("Save plot"), QStringLiteral("The plot was not saved: %1.").arg(error));
  }
}

QString ResultsPlots::askWithDialog(const QString& suggestedPath) {
  QString filter = kPngFilter;
  QString path = QFileDialog::getSaveFileName(this, QStringLiteral("Save plot"), suggestedPath,
                                              kPngFilter + QStringLiteral(";;") + kSvgFilter, &filter);
  if (path.isEmpty()) return path;
  // A name typed without an extension takes the chosen format's.
  const QString suffix = QFileInfo(path).suffix().toLower();
  if (suffix != QLatin1String("png") && suffix != QLatin1String("svg")) {
    path += filter == kSvgFilter ? QStringLiteral(".svg") : QStringLiteral(".png");
  }
  return path;
}
