// SPDX-License-Identifier: Apache-2.0
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
#include <QLegendMarker>
#include <QLineSeries>
#include <QMenu>
#include <QPainter>
#include <QResizeEvent>
#include <QTabBar>
#include <QValueAxis>
#include <QTabWidget>
#include <QToolButton>
#include <QVBoxLayout>

#include "app/dialogs.h"
#include "app/plots/plot_chart.h"
#include "app/plots/plot_export.h"
#include "app/plots/zone_marks.h"

using plots::PlotId;

namespace {

const QString kPngFilter = QStringLiteral("PNG image (*.png)");
const QString kSvgFilter = QStringLiteral("SVG drawing (*.svg)");
const std::vector<kelvado::ZoneRecord> kNoZones;

QString ObjectName(PlotId id) {
  // "pressure" -> "PressurePlot", "outlet-shear-rate" -> "OutletShearRatePlot"
  QString name;
  for (const QString& word : plots::LookOf(id).key.split(u'-')) name += word.front().toUpper() + word.mid(1);
  return name + QStringLiteral("Plot");
}

// How each kept run is drawn, in turn, and the sample of it that the key shows.
struct KeptDash {
  Qt::PenStyle style;
  const char* sample;
};
constexpr KeptDash kKeptDashes[] = {{Qt::DashLine, "\u2013 \u2013 \u2013"},
                                    {Qt::DotLine, "\u00b7 \u00b7 \u00b7 \u00b7"},
                                    {Qt::DashDotLine, "\u2013\u00b7\u2013\u00b7"},
                                    {Qt::DashDotDotLine, "\u2013\u00b7\u00b7\u2013"}};

QString NotFinishedReason(kelvado::RunStatus status) {
  using kelvado::RunStatus;
  switch (status) {
    case RunStatus::Finished: break;
    case RunStatus::ImproperInput: return QStringLiteral("had improper input");
    case RunStatus::InnerFailed:
    case RunStatus::ClosureFailed: return QStringLiteral("did not converge");
    case RunStatus::Unstable: return QStringLiteral("left the physical bounds of temperature");
    case RunStatus::FileNotOpened: return QStringLiteral("could not open its results file");
    case RunStatus::ArithmeticFault: return QStringLiteral("stopped on an arithmetic fault");
    case RunStatus::WriteError: return QStringLiteral("could not write its results file");
    case RunStatus::Cancelled: return QStringLiteral("was cancelled");
    case RunStatus::NotRun: return QStringLiteral("was not run");
  }
  return QStringLiteral("did not finish");
}

// A line of text one line high whatever its length: what does not fit is elided, so that the
// tabs below never move as the text changes; the tip says it all.
class OneLineLabel final : public QLabel {
 public:
  using QLabel::QLabel;
  QSize sizeHint() const override { return minimumSizeHint(); }
  QSize minimumSizeHint() const override {
    const QMargins m = contentsMargins();
    return {m.left() + m.right() + fontMetrics().averageCharWidth() * 10, m.top() + m.bottom() + fontMetrics().height()};
  }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    painter.setPen(palette().color(foregroundRole()));
    const QRect area = contentsRect();
    painter.drawText(area, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                     fontMetrics().elidedText(text(), Qt::ElideRight, area.width()));
  }
};

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
  // Short names, so that all four show beside the inputs at the window's first size; the tips
  // say the rest.
  const struct {
    QWidget* page;
    const char* name;
    const char* tip;
  } pages[]{{channelPage, "Channel", "Pressure, mean temperature and power along the channel"},
            {outletPage, "Outlet", "Temperature, velocities, viscosity and shear rate across the depth at the outlet"},
            {characteristic_, "Characteristic", "Screw characteristic: outlet pressure and temperature against output"},
            {die_, "Die", "Die and operating point: where the screw's pressure meets the die's drop"}};
  for (const auto& page : pages) {
    const int index = tabs_->addTab(page.page, QString::fromLatin1(page.name));
    tabs_->setTabToolTip(index, QString::fromLatin1(page.tip));
  }
  connect(tabs_, &QTabWidget::currentChanged, this, &ResultsPlots::updateSaveButton);
  // The inputs keep the keyboard: Tab never leaves their fields, nor reaches the arrows that
  // scroll the tabs when they do not all fit.
  tabs_->setFocusPolicy(Qt::NoFocus);
  for (QToolButton* arrow : tabs_->tabBar()->findChildren<QToolButton*>()) arrow->setFocusPolicy(Qt::NoFocus);

  status_ = new OneLineLabel;
  status_->setObjectName(QStringLiteral("PlotStatus"));
  status_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);

  // The menu offers the plots of the page in front.
  auto* saveMenu = new QMenu(this);
  connect(saveMenu, &QMenu::aboutToShow, this, [this, saveMenu] {
    saveMenu->clear();
    for (QChartView* v : tabs_->currentWidget()->findChildren<QChartView*>()) saveMenu->addActions(v->actions());
  });
  saveButton_ = new QToolButton;
  saveButton_->setObjectName(QStringLiteral("SavePlotButton"));
  saveButton_->setText(QStringLiteral("Save plot\u2026"));
  saveButton_->setToolTip(QStringLiteral("Save one of the plots on this page as PNG or SVG"));
  saveButton_->setPopupMode(QToolButton::InstantPopup);
  saveButton_->setMenu(saveMenu);
  saveButton_->setFocusPolicy(Qt::NoFocus);

  keepButton_ = new QToolButton;
  keepButton_->setObjectName(QStringLiteral("KeepRunButton"));
  keepButton_->setText(QStringLiteral("Keep run"));
  keepButton_->setToolTip(QStringLiteral("Keep this run for comparison: it stays on every plot as dashed curves"));
  keepButton_->setFocusPolicy(Qt::NoFocus);
  connect(keepButton_, &QToolButton::clicked, this, &ResultsPlots::keepForComparison);
  clearButton_ = new QToolButton;
  clearButton_->setObjectName(QStringLiteral("ClearKeptButton"));
  clearButton_->setText(QStringLiteral("Clear kept"));
  clearButton_->setToolTip(QStringLiteral("Take the kept runs off the plots"));
  clearButton_->setFocusPolicy(Qt::NoFocus);
  clearButton_->setEnabled(false);
  connect(clearButton_, &QToolButton::clicked, this, &ResultsPlots::clearComparison);

  keptKey_ = new QLabel;
  keptKey_->setObjectName(QStringLiteral("KeptRunsKey"));
  keptKey_->setWordWrap(true);
  keptKey_->setToolTip(QStringLiteral("Runs kept for comparison: on every plot, dashed in the colour of each quantity"));
  keptKey_->setVisible(false);

  // The line above the plots has a row of its own, the names of the kept runs another while
  // there are any; the buttons sit beside the tabs.
  auto* buttons = buttons_ = new QWidget;
  auto* buttonRow = new QHBoxLayout(buttons);
  buttonRow->setContentsMargins(0, 0, 0, 2);
  buttonRow->addWidget(keepButton_);
  buttonRow->addWidget(clearButton_);
  buttonRow->addWidget(saveButton_);
  tabs_->setCornerWidget(buttons, Qt::TopRightCorner);
  auto* layout = new QVBoxLayout(this);
  // A little room at the window's edge, so that no frame touches it.
  layout->setContentsMargins(0, 0, 4, 4);
  layout->setSpacing(2);
  statusRow_ = new QHBoxLayout;
  statusRow_->setContentsMargins(0, 0, 0, 0);
  statusRow_->addWidget(status_, 1);
  layout->addLayout(statusRow_);
  layout->addWidget(keptKey_);
  layout->addWidget(tabs_, 1);

  clearResults();
}

int ResultsPlots::wideWidth() const {
  const QMargins m = layout()->contentsMargins();
  // The tab bar's frame and the room between the tabs and the buttons.
  return m.left() + m.right() + tabs_->tabBar()->sizeHint().width() + buttons_->sizeHint().width() + 8;
}

QSize ResultsPlots::minimumSizeHint() const {
  const QMargins m = layout()->contentsMargins();
  const QSize own = QWidget::minimumSizeHint();
  // The tabs whole, and every page as wide as it needs (the frame around them 4 pixels).
  int tabs = tabs_->tabBar()->sizeHint().width();
  for (int page = 0; page < tabs_->count(); ++page) tabs = qMax(tabs, tabs_->widget(page)->minimumSizeHint().width());
  tabs += m.left() + m.right() + 4;
  const int row = m.left() + m.right() + buttons_->sizeHint().width() + status_->minimumSizeHint().width();
  // With the buttons in the tabs' corner, the row above grows to their height once they go up.
  const int up = tabs_->cornerWidget() ? qMax(0, buttons_->sizeHint().height() - status_->minimumSizeHint().height()) : 0;
  return {qMax(tabs, row), own.height() + up};
}

void ResultsPlots::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  const bool beside = width() >= wideWidth();
  if (beside == (tabs_->cornerWidget() == buttons_)) return;
  if (beside) {
    statusRow_->removeWidget(buttons_);
    tabs_->setCornerWidget(buttons_, Qt::TopRightCorner);
  } else {
    tabs_->setCornerWidget(nullptr, Qt::TopRightCorner);
    statusRow_->addWidget(buttons_);
  }
  buttons_->show();
}

void ResultsPlots::clearResults() {
  shown_.reset();
  warnings_.clear();
  redraw();
  setResults(false, QStringLiteral("Press Run to run the case: its profiles are drawn here."));
  characteristic_->clearResults();
  die_->clearResults();
  for (QChartView* v : {characteristic_->view(), die_->view()}) v->actions().front()->setEnabled(false);
  updateSaveButton();
}

QChartView* ResultsPlots::makeView(PlotId id) {
  auto* view = new QChartView(plots::MakeChart(id));
  view->setObjectName(ObjectName(id));
  view->setRenderHint(QPainter::Antialiasing);
  view->setFocusPolicy(Qt::NoFocus);
  // Two of them side by side on the outlet page: the narrowest that still reads.
  view->setMinimumSize(230, 150);
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

void ResultsPlots::addPage(QWidget* page, const QString& name, const QString& tip) {
  tabs_->setTabToolTip(tabs_->addTab(page, name), tip);
}

void ResultsPlots::showPage(QWidget* page) { tabs_->setCurrentWidget(page); }

int ResultsPlots::currentPage() const { return tabs_->currentIndex(); }

void ResultsPlots::setCurrentPage(int page) {
  if (page >= 0 && page < tabs_->count()) tabs_->setCurrentIndex(page);
}

void ResultsPlots::showOutcome(const kelvado::RunOutcome& outcome, kelvado::FlowModel model) {
  if (outcome.status != kelvado::RunStatus::Finished) {
    shown_.reset();
    redraw();
    QString status = QStringLiteral("The last run %1: nothing to plot.").arg(NotFinishedReason(outcome.status));
    // A classic run that gave up says what it saw and what to do.
    const bool gaveUp = outcome.status == kelvado::RunStatus::InnerFailed || outcome.status == kelvado::RunStatus::ClosureFailed;
    if (gaveUp && !outcome.detail.empty()) status += QLatin1Char(' ') + QString::fromStdString(outcome.detail);
    setResults(false, status);
    return;
  }
  shown_ = outcome.record;
  shownName_ = runName_;
  summary_ = outcome.summary;
  warnings_.clear();
  for (const std::string& warning : outcome.warnings) warnings_ << QString::fromStdString(warning);
  shownModel_ = model;
  redraw();
  showSummary();
}

void ResultsPlots::showSummary() {
  const kelvado::OutletSummary& s = summary_;
  const display_units::PressureUnitInfo& unit = display_units::Info(unit_);
  setResults(true, QStringLiteral("Outlet: %1 %2, mean %3 \u00b0C, total power %4 kW at %5 rpm (%6 flow model).")
                       .arg(display_units::FromKgfPerCm2(s.OutletPressure, unit_), 0, 'f', unit.decimals)
                       .arg(display_units::Label(unit_))
                       .arg(s.AvgTemp, 0, 'f', 1)
                       .arg(s.TotalPowerKW, 0, 'f', 2)
                       .arg(s.Rpm, 0, 'f', 1)
                       .arg(QString::fromLatin1(kelvado::FlowModelName(shownModel_))));
  // The warnings go with the numbers: the first on the line, all of them in its tip.
  const QString numbers = status_->text();
  if (!warnings_.isEmpty()) {
    status_->setText(numbers + QStringLiteral(" \u26a0 ") + warnings_.front() +
                     (warnings_.size() > 1 ? QStringLiteral(" (and %1 more)").arg(warnings_.size() - 1) : QString()));
  }
  QStringList tip{numbers};
  for (const QString& warning : warnings_) tip << QStringLiteral("\u26a0 ") + warning;
  status_->setToolTip(tip.join(QLatin1Char('\n')));
}

// Every plot: the run on show (or nothing), then each kept run, in the pressure unit.
void ResultsPlots::redraw() {
  for (int i = 0; i < plots::kPlotCount; ++i) {
    const auto id = static_cast<PlotId>(i);
    QList<QList<QPointF>> curves;
    if (shown_) {
      curves = plots::PlotPoints(id, *shown_, unit_);
    } else {
      curves.resize(plots::LookOf(id).curves.size());
    }
    for (const KeptRun& kept : kept_) curves += plots::PlotPoints(id, kept.record, unit_);
    plots::FillChart(chart(id), id, curves);
    chart(id)->axes(Qt::Vertical).front()->setTitleText(plots::ValueAxisTitle(id, unit_));
    plots::MarkRun(chart(id), id, shown_ ? shown_->zones : kNoZones);
  }
  // The classic model's balance does not close, as that model has always computed it: its
  // plot says so, so that the gap is not read as a fault.
  const bool classic = shown_ && shownModel_ == kelvado::FlowModel::Classic;
  chart(PlotId::Power)->setTitle(plots::LookOf(PlotId::Power).title +
                                 (classic ? QStringLiteral(" (classic: the three need not add up)") : QString()));
  view(PlotId::Power)->setToolTip(
      classic ? QStringLiteral("In the classic flow model the power balance does not close: viscous heating is not "
                               "the enthalpy rise plus the wall cooling. The model is kept as it has always "
                               "computed; the consistent model closes the balance.")
              : QString());
}

void ResultsPlots::setPressureUnit(display_units::PressureUnit unit) {
  unit_ = unit;
  redraw();
  if (hasResults_) showSummary();
  characteristic_->setPressureUnit(unit);
  die_->setPressureUnit(unit);
}

bool ResultsPlots::keepForComparison() {
  if (!shown_) return false;
  const int number = int(kept_.size()) + 1;
  const KeptDash& dash = kKeptDashes[(number - 1) % std::size(kKeptDashes)];
  // Dashed in the colour of the quantity it keeps; the legends name the quantities only, and the
  // key above the plots names the run once.
  for (int i = 0; i < plots::kPlotCount; ++i) {
    const auto id = static_cast<PlotId>(i);
    QChart* c = chart(id);
    auto* x = qobject_cast<QValueAxis*>(c->axes(Qt::Horizontal).front());
    auto* y = qobject_cast<QValueAxis*>(c->axes(Qt::Vertical).front());
    for (qsizetype j = 0; j < plots::LookOf(id).curves.size(); ++j) {
      QLineSeries* series = plots::AddCurve(c, QString(), x, y);  // named with the others, below
      QPen pen = series->pen();
      pen.setColor(static_cast<QLineSeries*>(c->series()[j])->color());
      pen.setStyle(dash.style);
      series->setPen(pen);
      for (QLegendMarker* marker : c->legend()->markers(series)) marker->setVisible(false);
    }
  }
  kept_.push_back({shownName_, *shown_});
  clearButton_->setEnabled(true);
  showKeptKey();
  redraw();
  return true;
}

void ResultsPlots::clearComparison() {
  for (int i = 0; i < plots::kPlotCount; ++i) {
    const auto id = static_cast<PlotId>(i);
    QChart* c = chart(id);
    const QList<QAbstractSeries*> series = c->series();
    for (qsizetype j = plots::LookOf(id).curves.size(); j < series.size(); ++j) {
      c->removeSeries(series[j]);
      delete series[j];
    }
  }
  kept_.clear();
  clearButton_->setEnabled(false);
  showKeptKey();
  redraw();
}

// A kept run's name changes as runs are kept: the key and the curves are named again.
void ResultsPlots::showKeptKey() {
  const QStringList names = keptRuns();
  QStringList entries;
  for (qsizetype i = 0; i < names.size(); ++i) {
    entries << QStringLiteral("%1 kept: %2").arg(QString::fromUtf8(kKeptDashes[i % std::size(kKeptDashes)].sample),
                                                 names[i]);
  }
  keptKey_->setText(entries.join(QStringLiteral("    ")));
  keptKey_->setVisible(!entries.isEmpty());
  for (int i = 0; i < plots::kPlotCount; ++i) {
    const auto id = static_cast<PlotId>(i);
    const QList<QAbstractSeries*> series = chart(id)->series();
    const qsizetype own = plots::LookOf(id).curves.size();
    for (qsizetype j = own; j < series.size(); ++j) {
      series[j]->setName(QStringLiteral("kept: ") + names.value(j / own - 1));
    }
  }
}

QStringList ResultsPlots::keptRuns() const {
  auto parts = [](const RunName& n) {
    return QStringList{n.caseName,
                       n.output + QStringLiteral(" kg/hr"),
                       QStringLiteral("%1 rpm").arg(n.rpm, 0, 'f', 1),
                       n.material,
                       QString::fromLatin1(kelvado::FlowModelName(n.model)),
                       n.zones ? QStringLiteral("%1 zones").arg(n.zones) : QStringLiteral("no zones")};
  };
  enum { kCase, kOutput, kSpeed, kMaterial, kModel, kZones };
  // What tells the kept runs apart, the case last: runs of one case differ in what was edited.
  std::vector<int> shown;
  for (const int part : {kOutput, kSpeed, kMaterial, kModel, kZones, kCase}) {
    for (const KeptRun& kept : kept_) {
      if (parts(kept.name)[part] != parts(kept_.front().name)[part]) {
        shown.push_back(part);
        break;
      }
    }
  }
  if (shown.empty()) shown = {kCase, kOutput, kSpeed, kModel};
  QStringList names;
  for (const KeptRun& kept : kept_) {
    const QStringList all = parts(kept.name);
    QStringList name;
    for (const int part : shown) name << all[part];
    names << name.join(QStringLiteral(", "));
  }
  // The same run kept twice is told apart by its place in the key.
  const QStringList plain = names;
  for (qsizetype i = 0; i < names.size(); ++i) {
    if (plain.count(plain[i]) > 1) names[i] += QStringLiteral(" (%1)").arg(i + 1);
  }
  return names;
}

void ResultsPlots::setResults(bool hasResults, const QString& status) {
  hasResults_ = hasResults;
  status_->setText(status);
  status_->setToolTip(status);
  for (QChartView* v : views_) v->actions().front()->setEnabled(hasResults);
  keepButton_->setEnabled(hasResults);
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
