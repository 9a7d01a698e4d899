// SPDX-License-Identifier: Apache-2.0
#include "app/plots/die_panel.h"

#include <QChart>
#include <QChartView>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLegendMarker>
#include <QLineEdit>
#include <QLineSeries>
#include <QLocale>
#include <QPushButton>
#include <QScatterSeries>
#include <QTableWidget>
#include <QVBoxLayout>
#include <QValueAxis>
#include <algorithm>
#include <array>
#include <cmath>
#include <utility>

#include "app/dialogs.h"
#include "app/plots/plot_chart.h"
#include "app/plots/table_headers.h"
#include "app/settings.h"
#include "solver/ranges.h"
#include "solver/units.h"

using kelvado::DieInputError;
using kelvado::DieSection;
using kelvado::DieShape;
using kelvado::OperatingPointStatus;

namespace {

const QString kIntroduction = QStringLiteral(
    "The other inputs and the flow model are the window's. Run finds the output at which the screw's outlet pressure "
    "equals the die's pressure drop.");

// The table's columns after the type: what each holds for each shape, in cm.
struct Dimension {
  const char* name = nullptr;  // none: the shape has no such dimension
  double DieSection::*value = nullptr;
};
constexpr int kTypeColumn = 0;
constexpr int kDimensionColumns = 3;

std::array<Dimension, kDimensionColumns> DimensionsOf(DieShape shape) {
  const Dimension length{"length", &DieSection::length};
  switch (shape) {
    case DieShape::Circular: return {{{"diameter", &DieSection::diameter}, {}, length}};
    case DieShape::Slit: return {{{"width", &DieSection::width}, {"gap", &DieSection::gap}, length}};
    case DieShape::Annulus:
      return {{{"outer diameter", &DieSection::outer}, {"inner diameter", &DieSection::inner}, length}};
  }
  return {};
}

constexpr std::array<DieShape, 3> kShapes{DieShape::Circular, DieShape::Slit, DieShape::Annulus};

// The sheet die of the README's example.
DieSection ExampleSection() {
  DieSection slit;
  slit.shape = DieShape::Slit;
  slit.width = 20;
  slit.gap = 0.08;
  slit.length = 4;
  return slit;
}

// A message of the core as a sentence for a box.
QString Sentence(const std::string& text) {
  QString sentence = QString::fromStdString(text);
  if (!sentence.isEmpty()) sentence[0] = sentence[0].toUpper();
  if (!sentence.endsWith(u'.')) sentence += u'.';
  return sentence;
}

const QString kSectionsKey = QStringLiteral("die/sections");
const QString kRpmKey = QStringLiteral("die/rpm");
const QString kFromKey = QStringLiteral("die/outputFrom");
const QString kToKey = QStringLiteral("die/outputTo");

constexpr int kDieCurvePoints = 61;

}  // namespace

DiePanel::DiePanel(WindowDialogs& dialogs, CharacteristicPanel::BaseSource source, QWidget* parent)
    : QWidget(parent),
      dialogs_(dialogs),
      source_(std::move(source)),
      separator_(QLocale::system().decimalPoint() == QStringLiteral(",") ? ',' : '.') {
  setObjectName(QStringLiteral("DiePanel"));

  table_ = new QTableWidget(0, 1 + kDimensionColumns);
  table_->setObjectName(QStringLiteral("DieSections"));
  table_->setHorizontalHeaderLabels({QStringLiteral("Section"), QStringLiteral("Diameter,\nwidth or\nouter (cm)"),
                                     QStringLiteral("Gap or\ninner\n(cm)"), QStringLiteral("Length\n(cm)")});
  table_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  KeepHeadingsWhole(table_);
  table_->setFocusPolicy(Qt::ClickFocus);
  table_->setMaximumHeight(table_->horizontalHeader()->sizeHint().height() +
                           3 * table_->verticalHeader()->defaultSectionSize() + 4);
  auto* add = new QPushButton(QStringLiteral("Add section"));
  add->setObjectName(QStringLiteral("DieAdd"));
  connect(add, &QPushButton::clicked, this, [this] { addRow(DieSection{}); });
  auto* remove = new QPushButton(QStringLiteral("Remove"));
  remove->setObjectName(QStringLiteral("DieRemove"));
  connect(remove, &QPushButton::clicked, this, [this] {
    const int row = table_->currentRow();
    table_->removeRow(row >= 0 ? row : table_->rowCount() - 1);
  });

  rpm_ = new QDoubleSpinBox;
  rpm_->setObjectName(QStringLiteral("DieRpm"));
  rpm_->setRange(0.1, 10000);
  rpm_->setDecimals(1);
  rpm_->setToolTip(QStringLiteral("Screw speed of the search, in rpm; allowed: 0.1 to 10000"));
  from_ = new QLineEdit;
  from_->setObjectName(QStringLiteral("DieFrom"));
  to_ = new QLineEdit;
  to_->setObjectName(QStringLiteral("DieTo"));
  for (QLineEdit* edit : {from_, to_}) {
    edit->setPlaceholderText(QStringLiteral("default"));
    edit->setToolTip(QStringLiteral("Output in kg/hr, above zero, the first below the last; both empty: 10 % to "
                                    "120 % of the drag flow at this speed"));
    edit->setMaximumWidth(70);
  }
  runButton_ = new QPushButton(QStringLiteral("Run"));
  runButton_->setObjectName(QStringLiteral("DieRun"));
  connect(runButton_, &QPushButton::clicked, this, &DiePanel::run);
  cancel_ = new QPushButton(QStringLiteral("Cancel"));
  cancel_->setObjectName(QStringLiteral("DieCancel"));
  cancel_->setEnabled(false);
  connect(cancel_, &QPushButton::clicked, this, &DiePanel::cancel);
  for (QWidget* w : std::initializer_list<QWidget*>{add, remove, rpm_, from_, to_, runButton_, cancel_}) {
    // As on the characteristic page: clicked into, never reached by Tab from the inputs.
    w->setFocusPolicy(qobject_cast<QPushButton*>(w) ? Qt::NoFocus : Qt::ClickFocus);
  }

  auto* sectionButtons = new QVBoxLayout;
  sectionButtons->addWidget(add);
  sectionButtons->addWidget(remove);
  sectionButtons->addStretch(1);
  auto* sections = new QHBoxLayout;
  sections->addWidget(table_, 1);
  sections->addLayout(sectionButtons);

  auto* controls = new QGridLayout;
  controls->addWidget(new QLabel(QStringLiteral("Screw speed (rpm)")), 0, 0);
  controls->addWidget(rpm_, 0, 1);
  controls->addWidget(runButton_, 0, 3);
  controls->addWidget(cancel_, 0, 4);
  controls->addWidget(new QLabel(QStringLiteral("Output (kg/hr)")), 1, 0);
  auto* range = new QHBoxLayout;
  range->addWidget(from_);
  range->addWidget(new QLabel(QStringLiteral("to")));
  range->addWidget(to_);
  range->addStretch(1);
  controls->addLayout(range, 1, 1, 1, 4);
  controls->setColumnStretch(2, 1);

  status_ = new QLabel(kIntroduction);
  status_->setObjectName(QStringLiteral("DieStatus"));
  status_->setWordWrap(true);

  QChart* chart = plots::MakeBlankChart(QStringLiteral("operating-point"), QStringLiteral("Screw and die"));
  outputAxis_ = plots::AddAxis(chart, QStringLiteral("Output (kg/hr)"), Qt::AlignBottom);
  pressureAxis_ = plots::AddAxis(chart, QStringLiteral("kgf/cm\u00b2"), Qt::AlignLeft);
  QLineSeries* screw = plots::AddCurve(chart, QStringLiteral("Screw"), outputAxis_, pressureAxis_);
  die_ = plots::AddCurve(chart, QStringLiteral("Die"), outputAxis_, pressureAxis_);
  auto scatter = [&](const QString& name, QColor colour, double size) {
    auto* series = new QScatterSeries;
    series->setName(name);
    series->setColor(colour);
    series->setBorderColor(colour);
    series->setMarkerSize(size);
    chart->addSeries(series);
    series->attachAxis(outputAxis_);
    series->attachAxis(pressureAxis_);
    return series;
  };
  screwRuns_ = scatter(QStringLiteral("Screw runs"), screw->color(), 7);
  point_ = scatter(QStringLiteral("Operating point"), Qt::red, 13);
  chart->legend()->markers(screwRuns_).front()->setVisible(false);  // the screw's curve names them
  screwLine_ = std::make_unique<plots::GappedLine>(chart, screw, outputAxis_, pressureAxis_);
  belowZero_ = plots::AddMarks(chart, plots::Mark::BelowZero, outputAxis_, pressureAxis_);
  failed_ = plots::AddMarks(chart, plots::Mark::Failed, outputAxis_, pressureAxis_);
  view_ = new QChartView(chart);
  view_->setObjectName(QStringLiteral("OperatingPointPlot"));
  view_->setRenderHint(QPainter::Antialiasing);
  view_->setFocusPolicy(Qt::NoFocus);
  view_->setMinimumSize(260, 170);
  numbers_ = new QLabel;
  numbers_->setObjectName(QStringLiteral("DieNumbers"));
  numbers_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  numbers_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  auto* plotRow = new QHBoxLayout;
  plotRow->addWidget(view_, 1);
  plotRow->addWidget(numbers_);

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(2, 2, 2, 2);
  layout->addLayout(sections);
  layout->addLayout(controls);
  layout->addWidget(status_);
  layout->addLayout(plotRow, 1);

  // The inputs of the last session, or the example of the README.
  const WindowSettings settings;
  if (settings.contains(kSectionsKey)) {
    for (const QString& text : settings.value(kSectionsKey).toStringList()) {
      try {
        addRow(kelvado::ParseDieSection(text.toStdString()));
      } catch (const DieInputError&) {
        // A section that can no longer be read is left out.
      }
    }
  } else {
    addRow(ExampleSection());
  }
  rpm_->setValue(settings.value(kRpmKey, 80.0).toDouble());
  from_->setText(settings.value(kFromKey).toString());
  to_->setText(settings.value(kToKey).toString());

  // The case follows the table.
  connect(table_, &QTableWidget::itemChanged, this, &DiePanel::sectionsEdited);
  connect(table_->model(), &QAbstractItemModel::rowsRemoved, this, &DiePanel::sectionsEdited);

  connect(&run_, &BackgroundRun::finished, this, [this] {
    runButton_->setEnabled(true);
    cancel_->setEnabled(false);
    if (std::exchange(dropWhenDone_, false)) {
      clearResults();
    } else {
      showResult();
    }
    emit finished();
  });
}

DiePanel::~DiePanel() {
  rememberInputs();
  // The table empties as it goes, after this panel's own part is gone.
  table_->model()->disconnect(this);
  table_->disconnect(this);
}

bool DiePanel::hasPoint() const { return point_->count() > 0; }

void DiePanel::setSections(const std::vector<DieSection>& sections) {
  table_->setRowCount(0);
  for (const DieSection& section : sections) addRow(section);
}

std::optional<std::vector<std::string>> DiePanel::sectionTexts() const {
  std::vector<std::string> texts;
  try {
    for (int row = 0; row < table_->rowCount(); ++row) texts.push_back(kelvado::DieSectionText(sectionOfRow(row)));
  } catch (const DieInputError&) {
    return std::nullopt;
  }
  return texts;
}

void DiePanel::showSectionTexts(const std::vector<std::string>& texts) {
  std::vector<DieSection> sections;
  for (const std::string& text : texts) {
    try {
      sections.push_back(kelvado::ParseDieSection(text));
    } catch (const DieInputError&) {
      // The case file's reader has refused such a die already.
    }
  }
  setSections(sections);
}

QList<QStringList> DiePanel::cellTexts() const {
  QList<QStringList> rows;
  for (int row = 0; row < table_->rowCount(); ++row) {
    QStringList cells{qobject_cast<QComboBox*>(table_->cellWidget(row, kTypeColumn))->currentText()};
    for (int c = 1; c <= kDimensionColumns; ++c) cells << table_->item(row, c)->text();
    rows << cells;
  }
  return rows;
}

void DiePanel::restoreCellTexts(const QList<QStringList>& rows) {
  {
    const QSignalBlocker blocker(table_);
    table_->setRowCount(0);
    for (const QStringList& cells : rows) {
      DieSection section;
      for (const DieShape shape : kShapes) {
        if (cells.value(kTypeColumn) == QString::fromLatin1(kelvado::DieShapeName(shape))) section.shape = shape;
      }
      fillNewRow(section);
      for (int c = 1; c <= kDimensionColumns; ++c) table_->item(table_->rowCount() - 1, c)->setText(cells.value(c));
    }
  }
  emit sectionsEdited();
}

void DiePanel::setRpm(double rpm) { rpm_->setValue(rpm); }

void DiePanel::setPressureUnit(display_units::PressureUnit unit) {
  unit_ = unit;
  pressureAxis_->setTitleText(display_units::Label(unit));
  // Refused inputs drew nothing, and their message must not come up again.
  if (!isRunning() && result_.status != OperatingPointStatus::ImproperInput) showResult();
}

void DiePanel::setOutputRange(const QString& from, const QString& to) {
  from_->setText(from);
  to_->setText(to);
}

void DiePanel::addRow(const DieSection& section) {
  {
    // The row says it is there once it is whole.
    const QSignalBlocker blocker(table_);
    fillNewRow(section);
  }
  emit sectionsEdited();
}

void DiePanel::fillNewRow(const DieSection& section) {
  const int row = table_->rowCount();
  table_->insertRow(row);
  auto* type = new QComboBox;
  for (const DieShape shape : kShapes) type->addItem(QString::fromLatin1(kelvado::DieShapeName(shape)));
  type->setCurrentIndex(static_cast<int>(section.shape));
  type->setFocusPolicy(Qt::ClickFocus);
  table_->setCellWidget(row, kTypeColumn, type);
  const auto dimensions = DimensionsOf(section.shape);
  for (int c = 0; c < kDimensionColumns; ++c) {
    const double value = dimensions[c].value ? section.*dimensions[c].value : 0;
    table_->setItem(row, c + 1, new QTableWidgetItem(value != 0 ? number(value, -1) : QString()));
  }
  showShape(row);
  connect(type, &QComboBox::currentIndexChanged, this, [this, type] {
    for (int r = 0; r < table_->rowCount(); ++r) {
      if (table_->cellWidget(r, kTypeColumn) == type) showShape(r);
    }
    emit sectionsEdited();
  });
}

void DiePanel::showShape(int row) {
  const auto shape = static_cast<DieShape>(qobject_cast<QComboBox*>(table_->cellWidget(row, kTypeColumn))->currentIndex());
  const auto dimensions = DimensionsOf(shape);
  for (int c = 0; c < kDimensionColumns; ++c) {
    QTableWidgetItem* item = table_->item(row, c + 1);
    if (dimensions[c].name) {
      item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable);
      item->setToolTip(QStringLiteral("The %1 of the %2 section, cm")
                           .arg(QString::fromLatin1(dimensions[c].name), QString::fromLatin1(kelvado::DieShapeName(shape))));
      item->setData(Qt::BackgroundRole, QVariant());
    } else {
      item->setText(QString());
      item->setFlags(Qt::NoItemFlags);
      item->setToolTip(QString());
      item->setBackground(palette().brush(QPalette::Disabled, QPalette::Window));
    }
  }
}

std::optional<double> DiePanel::numberIn(const QString& text) const {
  // The window's separator; a point or comma typed the other way is read all the same.
  const std::string bytes = text.trimmed().toStdString();
  if (const std::optional<double> value = kelvado::ParseNumber(bytes, separator_)) return value;
  return kelvado::ParseNumber(bytes, separator_ == '.' ? ',' : '.');
}

QString DiePanel::number(double value, int decimals) const {
  if (decimals < 0) return QString::fromStdString(kelvado::ExactNumberText(value, separator_));
  return QString::number(value, 'f', decimals).replace(u'.', QLatin1Char(separator_));
}

// One decimal more than a summary line: a crossing is read more closely than an outlet.
QString DiePanel::pressure(double kgfPerCm2) const {
  return number(display_units::FromKgfPerCm2(kgfPerCm2, unit_), display_units::Info(unit_).decimals + 1) +
         QLatin1Char(' ') + display_units::Label(unit_);
}

DieSection DiePanel::sectionOfRow(int row) const {
  DieSection section;
  section.shape = static_cast<DieShape>(qobject_cast<QComboBox*>(table_->cellWidget(row, kTypeColumn))->currentIndex());
  const auto dimensions = DimensionsOf(section.shape);
  for (int c = 0; c < kDimensionColumns; ++c) {
    if (!dimensions[c].name) continue;
    const std::string name(dimensions[c].name);
    const QString text = table_->item(row, c + 1)->text().trimmed();
    if (text.isEmpty()) throw DieInputError("the " + name + " is missing (cm)");
    const std::optional<double> value = numberIn(text);
    if (!value) throw DieInputError("the " + name + " '" + text.toStdString() + "' is not a number");
    section.*dimensions[c].value = *value;
  }
  kelvado::CheckDieSection(section);
  return section;
}

bool DiePanel::run() {
  if (isRunning()) return false;
  const CharacteristicPanel::Base base = source_();
  separator_ = base.decimalSeparator;
  kelvado::OperatingPointRequest request;
  request.inputs = base.inputs;
  request.decimalSeparator = base.decimalSeparator;
  request.flowModel = base.flowModel;
  request.rpm = rpm_->value();
  request.zones = base.zones;
  request.maxProcessingTemp = base.maxProcessingTemp;
  request.fittedWindow = base.fittedWindow;
  if (!base.zoneProblem.isEmpty()) {
    dialogs_.showMessage(base.zoneProblem);
    return false;
  }
  try {
    if (table_->rowCount() == 0) throw DieInputError("the die has no section: add one with \"Add section\"");
    for (int row = 0; row < table_->rowCount(); ++row) {
      try {
        request.die.push_back(sectionOfRow(row));
      } catch (const DieInputError& error) {
        const auto shape = static_cast<DieShape>(qobject_cast<QComboBox*>(table_->cellWidget(row, kTypeColumn))->currentIndex());
        throw DieInputError("die section " + std::to_string(row + 1) + " (" + kelvado::DieShapeName(shape) + "): " +
                            error.what());
      }
    }
    if (!from_->text().trimmed().isEmpty() || !to_->text().trimmed().isEmpty()) {
      const std::optional<double> from = numberIn(from_->text()), to = numberIn(to_->text());
      if (!from || !to || !(*from > 0) || !(*from < *to) || !std::isfinite(*to)) {
        throw DieInputError("the output range takes two outputs in kg/hr, the first above zero and below the "
                            "second; leave both empty for 10 % to 120 % of the drag flow");
      }
      request.outputFrom = *from;
      request.outputTo = *to;
    }
    searchedDie_.emplace(request.die, kelvado::MeltOfInputs(request.inputs, request.decimalSeparator));
  } catch (const DieInputError& error) {
    dialogs_.showMessage(Sentence(error.what()));
    return false;
  }
  rememberInputs();
  request_ = request;
  result_ = {};
  showResult();  // nothing yet: the last search's curves must not pass for this one's
  status_->setText(QStringLiteral("Searching at %1 rpm...").arg(number(request.rpm, -1)));
  runButton_->setEnabled(false);
  cancel_->setEnabled(true);
  run_.start([this, request](const std::atomic<bool>& cancel) {
    kelvado::OperatingPointOptions options;
    options.cancel = &cancel;
    options.progress = [this, rpm = request.rpm](const kelvado::ScrewRun& screwRun, std::size_t made) {
      run_.post([this, rpm, output = screwRun.output, made] {
        if (!isRunning()) return;
        status_->setText(QStringLiteral("Searching at %1 rpm: %2 screw runs made, the last at %3 kg/hr...")
                             .arg(number(rpm, -1))
                             .arg(made)
                             .arg(number(output, 2)));
        emit progressed(static_cast<int>(made));
      });
    };
    result_ = kelvado::FindOperatingPoint(request, options);
  });
  return true;
}

void DiePanel::cancel() {
  if (!isRunning()) return;
  run_.cancel();
  cancel_->setEnabled(false);
}

void DiePanel::clearResults() {
  if (isRunning()) {
    dropWhenDone_ = true;
    cancel();
    return;
  }
  result_ = {};
  searchedDie_.reset();
  drawCurves();
  numbers_->clear();
  status_->setText(kIntroduction);
}

void DiePanel::drawCurves() {
  const kelvado::OperatingPointResult& r = result_;
  auto inUnit = [this](double kgfPerCm2) { return display_units::FromKgfPerCm2(kgfPerCm2, unit_); };
  std::vector<const kelvado::ScrewRun*> runs;
  for (const kelvado::ScrewRun& run : r.runs) runs.push_back(&run);
  std::sort(runs.begin(), runs.end(), [](auto* a, auto* b) { return a->output < b->output; });
  // A run that did not finish breaks the screw's curve and is marked on the zero line.
  QList<QList<QPointF>> pieces{{}};
  QList<QPointF> screw, belowZero, failed;
  for (const kelvado::ScrewRun* run : runs) {
    if (run->status != kelvado::RunStatus::Finished || !std::isfinite(run->summary.OutletPressure)) {
      failed << QPointF(run->output, 0);
      if (!pieces.back().isEmpty()) pieces.append(QList<QPointF>());
      continue;
    }
    const QPointF p(run->output, inUnit(run->summary.OutletPressure));
    pieces.back() << p;
    screw << p;
    if (p.y() < 0) belowZero << p;
  }
  screwLine_->replace(pieces);
  screwRuns_->replace(screw);
  plots::SetMarks(belowZero_, belowZero);
  plots::SetMarks(failed_, failed);

  // The die at the melt temperature of the point, or else of the last run that finished.
  const bool found = r.status == OperatingPointStatus::Found;
  std::optional<double> temp;
  if (found) temp = r.point.summary.AvgTemp;
  for (auto run = r.runs.rbegin(); !temp && run != r.runs.rend(); ++run) {
    if (run->status == kelvado::RunStatus::Finished && run->summary.AvgTemp > kelvado::kAbsoluteZero) temp = run->summary.AvgTemp;
  }
  QList<QPointF> die;
  if (temp && searchedDie_ && r.outputFrom < r.outputTo) {
    std::vector<double> outputs = kelvado::EvenlySpaced(r.outputFrom, r.outputTo, kDieCurvePoints);
    if (found) outputs.insert(std::upper_bound(outputs.begin(), outputs.end(), r.point.output), r.point.output);
    for (const double output : outputs) {
      const double drop =
          searchedDie_->FlowAt(kelvado::VolumeRateOf(output, searchedDie_->melt()), *temp).pressureDrop / kelvado::kGfPerKgf;
      if (std::isfinite(drop)) die << QPointF(output, inUnit(drop));
    }
  }
  die_->replace(die);
  point_->replace(found ? QList<QPointF>{QPointF(r.point.output, inUnit(r.point.summary.OutletPressure))}
                        : QList<QPointF>{});

  QChart* chart = view_->chart();
  chart->setTitle(found ? QStringLiteral("Operating point at %1 rpm").arg(number(request_.rpm, -1))
                        : QStringLiteral("Screw and die"));
  if (screw.isEmpty() && die.isEmpty() && failed.isEmpty()) {
    plots::ClearChart(chart);
    return;
  }
  double low = 0, high = 0;  // zero pressure, and the marks on it, stay in sight
  for (const QPointF& p : screw + die) {
    low = std::min(low, p.y());
    high = std::max(high, p.y());
  }
  // A little room beyond the first and last runs, so that a mark on them shows whole, widened to
  // round ticks so that the axis ends on a labelled one.
  const double pad = (r.outputTo - r.outputFrom) * 0.03;
  plots::FitValueAxis(outputAxis_, std::max(0.0, r.outputFrom - pad), r.outputTo + pad);
  plots::FitValueAxis(pressureAxis_, low, high);
}

void DiePanel::showResult() {
  drawCurves();
  const kelvado::OperatingPointResult& r = result_;
  const QString runs = QStringLiteral("%1 screw runs, %2 to %3 kg/hr searched")
                           .arg(r.runs.size())
                           .arg(number(r.outputFrom, 2), number(r.outputTo, 2));
  QString status;
  QString numbers;
  switch (r.status) {
    case OperatingPointStatus::Found: {
      const kelvado::ScrewRun& p = r.point;
      auto row = [&numbers](const QString& name, const QString& value) {
        numbers += QStringLiteral("<tr><td>%1</td><td align=\"right\">&nbsp;%2</td></tr>").arg(name, value);
      };
      numbers = QStringLiteral("<b>Operating point</b><table cellspacing=\"0\">");
      row(QStringLiteral("Output"), number(p.output, 2) + QStringLiteral(" kg/hr"));
      row(QStringLiteral("Pressure"), pressure(p.summary.OutletPressure));
      row(QStringLiteral("Melt temp."), number(p.summary.AvgTemp, 2) + QStringLiteral(" \u00b0C"));
      row(QStringLiteral("Power"), number(p.summary.TotalPowerKW, 3) + QStringLiteral(" kW"));
      row(QStringLiteral("Flow-rate ratio"), number(p.flowRateRatio, 6));
      for (std::size_t i = 0; i < request_.die.size(); ++i) {
        const kelvado::SectionFlow& s = p.die.sections[i];
        numbers += QStringLiteral("<tr><td colspan=\"2\"><br><b>Section %1</b> (%2)</td></tr>")
                       .arg(i + 1)
                       .arg(kelvado::DieShapeName(request_.die[i].shape));
        row(QStringLiteral("Pressure drop"), pressure(s.pressureDrop / kelvado::kGfPerKgf));
        row(QStringLiteral("Wall shear rate"), number(s.wallShearRate, 1) + QStringLiteral(" 1/s"));
      }
      numbers += QStringLiteral("</table>");
      status = QStringLiteral("Operating point at %1 rpm in the %2 flow model (%3).")
                   .arg(number(request_.rpm, -1), QString::fromLatin1(kelvado::FlowModelName(request_.flowModel)), runs);
      break;
    }
    case OperatingPointStatus::NoCrossing:
    case OperatingPointStatus::RunFailed:
      numbers = QStringLiteral("<b>No operating point</b>");
      status = QStringLiteral("No operating point: %1 (%2).").arg(QString::fromStdString(r.message), runs);
      break;
    case OperatingPointStatus::Cancelled:
      numbers = QStringLiteral("<b>No operating point</b>");
      status = QStringLiteral("The search was cancelled after %1 screw runs: no operating point.").arg(r.runs.size());
      break;
    case OperatingPointStatus::ImproperInput:
      if (r.message.empty()) break;  // no search yet
      numbers = QStringLiteral("<b>No operating point</b>");
      status = QStringLiteral("No operating point: %1").arg(Sentence(r.message));
      dialogs_.showMessage(Sentence(r.message));
      break;
  }
  QStringList failures;
  for (const kelvado::ScrewRun& run : r.runs) {
    if (run.status != kelvado::RunStatus::Finished) {
      failures << QStringLiteral("%1 kg/hr (%2)").arg(number(run.output, 2), kelvado::StatusName(run.status));
    }
  }
  if (!failures.isEmpty() && !status.isEmpty()) {
    status += QStringLiteral(" Did not finish at %1.").arg(failures.join(QStringLiteral(", ")));
  }
  // The die's warnings, then the screw run's at the point: numbers that hold but are not ordinary.
  std::vector<std::string> warnings = r.warnings;
  if (r.status == OperatingPointStatus::Found) warnings.insert(warnings.end(), r.point.warnings.begin(), r.point.warnings.end());
  for (const std::string& warning : warnings) status += QStringLiteral(" Warning: %1").arg(Sentence(warning));
  numbers_->setText(numbers);
  if (!status.isEmpty()) status_->setText(status);
}

void DiePanel::rememberInputs() const {
  WindowSettings settings;
  QStringList sections;
  try {
    for (int row = 0; row < table_->rowCount(); ++row) {
      sections << QString::fromStdString(kelvado::DieSectionText(sectionOfRow(row)));
    }
    settings.setValue(kSectionsKey, sections);
  } catch (const DieInputError&) {
    // A table that does not make a die leaves the sections remembered before.
  }
  settings.setValue(kRpmKey, rpm_->value());
  settings.setValue(kFromKey, from_->text().trimmed());
  settings.setValue(kToKey, to_->text().trimmed());
}
