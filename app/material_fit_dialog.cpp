// SPDX-License-Identifier: Apache-2.0
#include "app/material_fit_dialog.h"

#include <QChart>
#include <QChartView>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFile>
#include <QFileInfo>
#include <QFontDatabase>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLegend>
#include <QLegendMarker>
#include <QLineEdit>
#include <QLineSeries>
#include <QLogValueAxis>
#include <QPen>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScatterSeries>
#include <QScrollArea>
#include <QStyle>
#include <QStackedWidget>
#include <QVBoxLayout>
#include <cmath>
#include <iterator>
#include <map>

#include "app/dialogs.h"
#include "app/material_box.h"
#include "materials/viscosity_models.h"
#include "files/bounded_read.h"
#include "materials/viscosity_table.h"
#include "solver/input.h"
#include "solver/units.h"

namespace {

const QString kFitTitle = QStringLiteral("Fit material");

QLineEdit* Field(const QString& text = {}) {
  auto* edit = new QLineEdit(text);
  edit->setMaximumWidth(110);
  return edit;
}

QString Shown(double value, int digits = 6) { return QString::number(value, 'g', digits); }

// The thermal fields: typed in SI, kept in the program's units.
struct Thermal {
  kelvado::Field field;
  double toSi;
};
constexpr Thermal kThermal[] = {{kelvado::Field::Density, kelvado::kKgPerM3PerGPerCm3},
                                {kelvado::Field::SpecificHeat, kelvado::kJoulePerKgKPerCalPerGC},
                                {kelvado::Field::Conductivity, kelvado::kWattPerMKPerCalPerCmSC}};

// The two ends of a window side by side.
QWidget* Pair(QLineEdit* from, QLineEdit* to) {
  auto* row = new QWidget;
  auto* layout = new QHBoxLayout(row);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(from);
  layout->addWidget(new QLabel(QStringLiteral("to")));
  layout->addWidget(to);
  layout->addStretch(1);
  return row;
}

// Whole when the screen has the height, scrolled up and down on a low one; never sideways.
class UpDownScroll final : public QScrollArea {
 public:
  explicit UpDownScroll(QWidget* content) {
    setWidget(content);
    setWidgetResizable(true);
    setFrameShape(QFrame::NoFrame);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  }
  QSize sizeHint() const override { return widget()->sizeHint() + QSize(bar(), 0); }
  QSize minimumSizeHint() const override { return {widget()->minimumSizeHint().width() + bar(), 120}; }

 private:
  int bar() const { return style()->pixelMetric(QStyle::PM_ScrollBarExtent); }
};

}  // namespace

MaterialFitDialog::MaterialFitDialog(Source source, WindowDialogs& dialogs, MaterialBox& box, QWidget* parent)
    : QDialog(parent), source_(source), dialogs_(dialogs), box_(box) {
  setObjectName(QStringLiteral("MaterialFitDialog"));
  setWindowTitle(source == Source::Data ? QStringLiteral("Fit from data") : QStringLiteral("From data-sheet model"));

  shearFrom_ = Field(), shearTo_ = Field(), tempFrom_ = Field(), tempTo_ = Field();
  refTemp_ = Field(), refShear_ = Field(QStringLiteral("100"));
  shearFrom_->setObjectName(QStringLiteral("FitShearFrom")), shearTo_->setObjectName(QStringLiteral("FitShearTo"));
  tempFrom_->setObjectName(QStringLiteral("FitTempFrom")), tempTo_->setObjectName(QStringLiteral("FitTempTo"));
  refTemp_->setPlaceholderText(QStringLiteral("the middle"));
  auto* windows = new QGroupBox(source == Source::Data ? QStringLiteral("Fit the points inside (empty: all)")
                                                       : QStringLiteral("Sample the model over"));
  auto* windowForm = new QFormLayout(windows);
  windowForm->addRow(QStringLiteral("Shear rate (1/s)"), Pair(shearFrom_, shearTo_));
  windowForm->addRow(QStringLiteral("Temperature (\u00b0C)"), Pair(tempFrom_, tempTo_));
  windowForm->addRow(QStringLiteral("Reference temperature T0 (\u00b0C)"), refTemp_);
  windowForm->addRow(QStringLiteral("Reference shear rate \u03b30 (1/s)"), refShear_);

  auto* fitButton = new QPushButton(QStringLiteral("Fit"));
  fitButton->setObjectName(QStringLiteral("FitButton"));
  connect(fitButton, &QPushButton::clicked, this, &MaterialFitDialog::fit);
  result_ = new QLabel;
  result_->setObjectName(QStringLiteral("FitResult"));
  result_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  result_->setWordWrap(true);
  chart_ = new QChartView;
  chart_->setMinimumSize(420, 320);
  chart_->setRenderHint(QPainter::Antialiasing);

  name_ = Field();
  name_->setObjectName(QStringLiteral("FitName"));
  name_->setMaximumWidth(QWIDGETSIZE_MAX);
  like_ = new QComboBox;
  like_->setObjectName(QStringLiteral("FitLike"));
  for (const std::vector<kelvado::Material>* list : {&box_.catalog().library, &box_.catalog().user}) {
    for (const kelvado::Material& m : *list) like_->addItem(QString::fromStdString(m.name));
  }
  density_ = Field(), specificHeat_ = Field(), conductivity_ = Field();
  connect(like_, &QComboBox::currentIndexChanged, this, &MaterialFitDialog::showThermalOf);
  showThermalOf(0);
  save_ = new QPushButton(QStringLiteral("Save material"));
  save_->setObjectName(QStringLiteral("FitSave"));
  save_->setEnabled(false);
  connect(save_, &QPushButton::clicked, this, [this] {
    if (save()) accept();
  });
  auto* saving = new QGroupBox(QStringLiteral("Save among your materials"));
  auto* saveForm = new QFormLayout(saving);
  saveForm->addRow(QStringLiteral("Name"), name_);
  saveForm->addRow(QStringLiteral("Thermal values of"), like_);
  saveForm->addRow(QStringLiteral("Density (kg/m\u00b3)"), density_);
  saveForm->addRow(QStringLiteral("Specific heat (J/(kg\u00b7K))"), specificHeat_);
  saveForm->addRow(QStringLiteral("Conductivity (W/(m\u00b7K))"), conductivity_);
  saveForm->addRow(save_);

  auto* close = new QDialogButtonBox(QDialogButtonBox::Close);
  connect(close, &QDialogButtonBox::rejected, this, &QDialog::reject);

  auto* leftSide = new QWidget;
  auto* left = new QVBoxLayout(leftSide);
  left->setContentsMargins(0, 0, 0, 0);
  left->addWidget(source == Source::Data ? buildDataSide() : buildModelSide());
  left->addWidget(windows);
  left->addWidget(fitButton);
  left->addWidget(saving);
  auto* right = new QVBoxLayout;
  right->addWidget(chart_, 1);
  right->addWidget(result_);
  auto* columns = new QHBoxLayout;
  columns->addWidget(new UpDownScroll(leftSide));
  columns->addLayout(right, 1);
  auto* outer = new QVBoxLayout(this);
  outer->addLayout(columns, 1);
  outer->addWidget(close);
}

QWidget* MaterialFitDialog::buildDataSide() {
  auto* group = new QGroupBox(QStringLiteral("Measured viscosities"));
  auto* layout = new QVBoxLayout(group);
  auto* open = new QPushButton(QStringLiteral("Open CSV\u2026"));
  connect(open, &QPushButton::clicked, this, &MaterialFitDialog::openTable);
  table_ = new QPlainTextEdit;
  table_->setObjectName(QStringLiteral("FitTable"));
  table_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  table_->setPlaceholderText(QStringLiteral("Paste a table here: a header naming temp_C, shear_rate_per_s and "
                                            "viscosity_Pa_s or viscosity_gf_s_per_cm2, then one point a line"));
  layout->addWidget(open);
  layout->addWidget(table_);
  return group;
}

QWidget* MaterialFitDialog::buildModelSide() {
  auto* group = new QGroupBox(QStringLiteral("Model of the data sheet, SI units"));
  auto* layout = new QVBoxLayout(group);
  model_ = new QComboBox;
  model_->setObjectName(QStringLiteral("FitModel"));
  model_->addItems({QStringLiteral("Cross-WLF"), QStringLiteral("Carreau")});
  auto* pages = new QStackedWidget;
  auto page = [pages](const QStringList& captions, std::vector<QLineEdit*>& edits, const QStringList& texts) {
    auto* form = new QWidget;
    auto* layout = new QFormLayout(form);
    for (qsizetype i = 0; i < captions.size(); ++i) {
      edits.push_back(Field(texts.value(i)));
      edits.back()->setObjectName(QStringLiteral("FitParameter%1").arg(pages->count() * 10 + int(i)));
      layout->addRow(captions[i], edits.back());
    }
    pages->addWidget(form);
  };
  page({QStringLiteral("n"), QStringLiteral("\u03c4* (Pa)"), QStringLiteral("D1 (Pa\u00b7s)"), QStringLiteral("D2 (K)"),
        QStringLiteral("A1"), QStringLiteral("A2 (K)")},
       crossWlf_, {});
  page({QStringLiteral("\u03b70 (Pa\u00b7s)"), QStringLiteral("\u03bb (s)"), QStringLiteral("n"), QStringLiteral("a"),
        QStringLiteral("Tref (\u00b0C)"), QStringLiteral("E (J/mol)")},
       carreau_, {QString(), QString(), QString(), QStringLiteral("2")});
  connect(model_, &QComboBox::currentIndexChanged, pages, &QStackedWidget::setCurrentIndex);
  layout->addWidget(model_);
  layout->addWidget(pages);
  return group;
}

void MaterialFitDialog::openTable() {
  const QString path = dialogs_.askOpenFileName(QStringLiteral("Open measured viscosities"), QString(),
                                                QStringLiteral("CSV table (*.csv *.txt);;All files (*)"));
  if (path.isEmpty()) return;
  // As the command line reads it: a FIFO or device never blocks the window in its open.
  std::string content;
  try {
    content = kelvado::ReadBoundedFile(QFile::encodeName(path).toStdString(), 4 << 20, "the data file");
  } catch (const kelvado::ReadError& error) {
    dialogs_.showWarning(kFitTitle, QString::fromLocal8Bit(error.what()));
    return;
  }
  table_->setPlainText(QString::fromUtf8(content.data(), qsizetype(content.size())));
  tableOrigin_ = QFileInfo(path).fileName();
}

void MaterialFitDialog::showThermalOf(int index) {
  const kelvado::Material* m = box_.catalog().Find(like_->itemText(index).toStdString());
  if (!m) return;
  // The program's units shown in SI, through the one table of factors, rounded for reading;
  // the material's own values stay behind them.
  const std::array<QLineEdit*, 3> edits{density_, specificHeat_, conductivity_};
  for (std::size_t i = 0; i < edits.size(); ++i) {
    const kelvado::Field field = kThermal[i].field;
    likeValues_[i] = m->Value(field);
    likeShown_[i] = Shown(likeValues_[i] * kThermal[i].toSi);
    edits[i]->setText(likeShown_[i]);
    edits[i]->setToolTip(QStringLiteral("%1 %2 of %3, saved exactly unless this text is edited")
                             .arg(QString::fromStdString(kelvado::ExactNumberText(likeValues_[i])),
                                  QString::fromUtf8(kelvado::FieldInfo(field).unit.data(),
                                                    qsizetype(kelvado::FieldInfo(field).unit.size())),
                                  QString::fromStdString(m->name)));
  }
}

std::optional<double> MaterialFitDialog::number(const QLineEdit* edit, bool required, const QString& what) const {
  const std::string text = edit->text().trimmed().toStdString();
  if (text.empty() && !required) return std::nullopt;
  std::optional<double> value = kelvado::ParseNumber(text, '.');
  if (!value) value = kelvado::ParseNumber(text, ',');
  if (!value) throw kelvado::FitError(what.toStdString() + " needs a number, not '" + text + "'");
  return value;
}

std::optional<kelvado::ValueRange> MaterialFitDialog::window(QLineEdit* from, QLineEdit* to, bool required,
                                                              const QString& what) const {
  const std::optional<double> low = number(from, required, what);
  const std::optional<double> high = number(to, required || low, what);
  if (!low && !high) return std::nullopt;
  if (!low || !(*low <= *high)) throw kelvado::FitError(what.toStdString() + " needs FROM at most TO");
  return kelvado::ValueRange{*low, *high};
}

bool MaterialFitDialog::fit() {
  const bool model = source_ == Source::Model;
  try {
    kelvado::FitOptions options;
    options.shearRates = window(shearFrom_, shearTo_, model, QStringLiteral("The shear-rate window"));
    options.temps = window(tempFrom_, tempTo_, model, QStringLiteral("The temperature window"));
    options.referenceTemp = number(refTemp_, false, QStringLiteral("T0"));
    options.referenceShearRate = *number(refShear_, true, QStringLiteral("\u03b30"));
    if (!(options.referenceShearRate > 0)) throw kelvado::FitError("\u03b30 must be above zero");
    std::string origin;
    if (!model) {
      origin = tableOrigin_.isEmpty() ? "the pasted table" : tableOrigin_.toStdString();
      what_ = tableOrigin_.isEmpty() ? "a pasted table" : "the data file " + origin;
      points_ = kelvado::ParseViscosityTable(table_->toPlainText().toStdString(), origin);
    } else {
      if (!(options.shearRates->from > 0)) throw kelvado::FitError("the shear-rate window must start above zero");
      std::vector<double> p;
      for (QLineEdit* edit : model_->currentIndex() == 0 ? crossWlf_ : carreau_) {
        p.push_back(*number(edit, true, QStringLiteral("Every parameter of the model")));
      }
      std::function<double(double, double)> eta;
      if (model_->currentIndex() == 0) {
        const kelvado::CrossWlf m{p[0], p[1], p[2], p[3], p[4], p[5]};
        kelvado::CheckModel(m);
        eta = [m](double t, double g) { return kelvado::CrossWlfViscosity(m, t, g); };
        what_ = kelvado::Describe(m), origin = "the Cross-WLF model";
      } else {
        const kelvado::Carreau m{p[0], p[1], p[2], p[3], p[4], p[5]};
        kelvado::CheckModel(m);
        eta = [m](double t, double g) { return kelvado::CarreauViscosity(m, t, g); };
        what_ = kelvado::Describe(m), origin = "the Carreau model";
      }
      points_ = kelvado::SampleModel(eta, *options.shearRates, *options.temps);
      options.shearRates.reset(), options.temps.reset();  // every sampled point is fitted
    }
    fit_ = kelvado::FitPowerLaw(points_, options, origin);
    if (const auto problem = kelvado::FitProblem(*fit_, what_)) throw kelvado::FitError(*problem);
  } catch (const kelvado::FitError& error) {
    fit_.reset();
    save_->setEnabled(false);
    dialogs_.showWarning(kFitTitle, QString::fromUtf8(error.what()));
    return false;
  }
  const kelvado::PowerLawFit& f = *fit_;
  QString text = QStringLiteral("\u03b70 = %1 gf\u00b7s/cm\u00b2 (%2 Pa\u00b7s) at T0 = %3 \u00b0C, \u03b30 = %4 1/s; "
                                "n = %5; b = %6 1/\u00b0C. %7 points, %8 \u00b0C, %9 1/s; R\u00b2 of ln \u03b7 %10; "
                                "worst viscosity error %11 %.")
                     .arg(Shown(f.eta0), Shown(f.eta0 * kelvado::kPascalSecondPerGfSecondPerCm2), Shown(f.referenceTemp),
                          Shown(f.referenceShearRate), Shown(f.n), Shown(f.b))
                     .arg(f.points)
                     .arg(QString::fromStdString(kelvado::FitRangeText(f.tempRange)),
                          QString::fromStdString(kelvado::FitRangeText(f.shearRateRange)), Shown(f.rSquared, 5),
                          QString::number(100 * f.worstRelativeError, 'f', 2));
  for (const std::string& warning : f.warnings) text += QStringLiteral("\nWarning: %1.").arg(QString::fromStdString(warning));
  result_->setText(text);
  save_->setEnabled(true);
  draw();
  return true;
}

namespace {

// A log axis over whole decades beyond the values, a fifth of a decade kept clear at each end
// so that no marker is cut by the frame; a tick at every decade, labelled.
void FitLogAxis(QLogValueAxis* axis, double low, double high) {
  const double from = std::pow(10.0, std::floor(std::log10(low) - 0.2));
  const double to = std::pow(10.0, std::ceil(std::log10(high) + 0.2));
  axis->setBase(10);
  axis->setLabelFormat(QStringLiteral("%g"));
  axis->setMinorTickCount(-1);  // 2..9 in each decade
  axis->setRange(from, to);
}

// Told apart by shape as well as colour, for grey prints and colour-blind readers.
constexpr QScatterSeries::MarkerShape kShapes[] = {
    QScatterSeries::MarkerShapeCircle,   QScatterSeries::MarkerShapeRectangle, QScatterSeries::MarkerShapeTriangle,
    QScatterSeries::MarkerShapeRotatedRectangle, QScatterSeries::MarkerShapeStar, QScatterSeries::MarkerShapePentagon};

}  // namespace

void MaterialFitDialog::draw() {
  auto* chart = new QChart;
  auto* x = new QLogValueAxis;
  x->setTitleText(QStringLiteral("Shear rate (1/s)"));
  auto* y = new QLogValueAxis;
  y->setTitleText(QStringLiteral("Viscosity (Pa\u00b7s)"));
  chart->addAxis(x, Qt::AlignBottom);
  chart->addAxis(y, Qt::AlignLeft);
  std::map<double, std::vector<const kelvado::ViscosityPoint*>> byTemp;
  for (const kelvado::ViscosityPoint& p : points_) byTemp[p.tempC].push_back(&p);
  const kelvado::PowerLawFit& f = *fit_;
  auto pascal = [](double viscosity) { return viscosity * kelvado::kPascalSecondPerGfSecondPerCm2; };
  auto fitted = [&f](const kelvado::ViscosityPoint& p) {
    return f.tempRange.Holds(p.tempC) && f.shearRateRange.Holds(p.shearRate);
  };
  // The axes hold every point, fitted or not, and the fitted lines.
  double rateLow = f.shearRateRange.from, rateHigh = f.shearRateRange.to;
  double etaLow = INFINITY, etaHigh = 0;
  const kelvado::ViscosityPoint* worst = nullptr;
  double worstError = -1;
  auto widen = [&](double rate, double eta) {
    rateLow = std::min(rateLow, rate), rateHigh = std::max(rateHigh, rate);
    etaLow = std::min(etaLow, eta), etaHigh = std::max(etaHigh, eta);
  };
  std::size_t shape = 0;
  for (const auto& [temp, points] : byTemp) {
    auto* data = new QScatterSeries;
    data->setName(QStringLiteral("%1 \u00b0C").arg(Shown(temp)));
    data->setMarkerShape(kShapes[shape++ % std::size(kShapes)]);
    data->setMarkerSize(11);
    auto* line = new QLineSeries;
    for (const kelvado::ViscosityPoint* p : points) {
      data->append(p->shearRate, pascal(p->viscosity));
      widen(p->shearRate, pascal(p->viscosity));
      const double error = std::abs(kelvado::FittedViscosity(f, p->tempC, p->shearRate) / p->viscosity - 1);
      if (fitted(*p) && error > worstError) worst = p, worstError = error;
    }
    // The fit is straight on these axes: its two ends over the fitted shear rates.
    if (f.tempRange.Holds(temp)) {
      for (const double rate : {f.shearRateRange.from, f.shearRateRange.to}) {
        line->append(rate, pascal(kelvado::FittedViscosity(f, temp, rate)));
        widen(rate, line->points().back().y());
      }
    }
    for (QXYSeries* series : std::initializer_list<QXYSeries*>{data, line}) {
      chart->addSeries(series);
      series->attachAxis(x);
      series->attachAxis(y);
    }
    line->setColor(data->color());
    chart->legend()->markers(line).front()->setVisible(false);
  }
  if (worst) {
    // A ring around the point the fit misses most.
    auto* ring = new QScatterSeries;
    ring->setObjectName(QStringLiteral("FitWorstPoint"));
    ring->setMarkerSize(22);
    ring->setColor(Qt::transparent);
    ring->setBorderColor(Qt::red);
    ring->setPen(QPen(Qt::red, 2));
    ring->append(worst->shearRate, pascal(worst->viscosity));
    chart->addSeries(ring);
    ring->attachAxis(x);
    ring->attachAxis(y);
    chart->legend()->markers(ring).front()->setVisible(false);  // named below the plot, where it fits
    result_->setText(result_->text() + QStringLiteral("\nRinged in red: the point the fit misses most, %1 \u00b0C at %2 1/s.")
                                           .arg(Shown(worst->tempC), Shown(worst->shearRate)));
  }
  chart->legend()->setMarkerShape(QLegend::MarkerShapeFromSeries);
  FitLogAxis(x, rateLow, rateHigh);
  FitLogAxis(y, etaLow, etaHigh);
  QChart* old = chart_->chart();
  chart_->setChart(chart);
  delete old;
}

bool MaterialFitDialog::save() {
  const QString name = name_->text().trimmed();
  std::optional<QString> error;
  if (!fit_) {
    error = QStringLiteral("Fit first; there is nothing to save.");
  } else if (name.isEmpty()) {
    error = QStringLiteral("Give the material a name.");
  } else {
    try {
      // SI typed, the program's units kept; a text left as shown is the material's own value.
      const std::array<QLineEdit*, 3> edits{density_, specificHeat_, conductivity_};
      const QString what[] = {QStringLiteral("The density"), QStringLiteral("The specific heat"),
                              QStringLiteral("The conductivity")};
      std::array<double, 3> thermal{};
      bool typed = false;
      for (std::size_t i = 0; i < edits.size(); ++i) {
        const bool kept = edits[i]->text().trimmed() == likeShown_[i];
        thermal[i] = kept ? likeValues_[i] : *number(edits[i], true, what[i]) / kThermal[i].toSi;
        typed = typed || !kept;
      }
      kelvado::Material m = kelvado::FittedMaterial(*fit_, name.toStdString(), thermal[0], thermal[1], thermal[2],
                                                    kelvado::FitSourceText(*fit_, what_, "the Kelvado window"));
      m.conversion = std::string(kelvado::kFitConversion) + " Density, specific heat and conductivity of '" +
                     like_->currentText().toStdString() + "'" +
                     (typed ? ", those typed in SI over them: kg/m3 / 1000, J/(kg K) / 4186.8, W/(m K) / 418.68."
                            : ".");
      if (const auto problem = kelvado::ThermalProblem(m)) throw kelvado::FitError(*problem);
      error = box_.saveMaterial(std::move(m));
    } catch (const kelvado::FitError& e) {
      error = QString::fromUtf8(e.what());
    }
  }
  if (error) dialogs_.showWarning(kFitTitle, *error);
  return !error;
}
