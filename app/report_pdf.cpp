// SPDX-License-Identifier: Apache-2.0
#include "app/report_pdf.h"

#include <QChart>
#include <QDateTime>
#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>
#include <QBuffer>
#include <memory>
#include <numbers>

#include "app/output_bytes.h"
#include "app/plots/plot_chart.h"
#include "app/plots/plot_data.h"
#include "app/plots/plot_export.h"
#include "app/plots/zone_marks.h"
#include "solver/input_fields.h"
#include "solver/units.h"
#include "kelvado_version.h"

namespace report_pdf {
namespace {

using plots::PlotId;

constexpr int kDotsPerInch = 300;
const QString kVersion = QStringLiteral(KELVADO_VERSION);
// The plots are laid out as on a screen of 96 dots per inch, then drawn to the page's size.
constexpr double kPlotScale = kDotsPerInch / 96.0;

QString Utf8(std::string_view text) { return QString::fromUtf8(text.data(), qsizetype(text.size())); }

// The window's captions with the characters every PDF font has.
QString Plain(QString caption) {
  return caption.replace(QChar(0x3000), QLatin1Char(' ')).replace(QChar(0x2103), QStringLiteral("\u00b0C"));
}

class ReportPainter {
 public:
  ReportPainter(QPdfWriter& writer, const ReportContent& content)
      : writer_(writer), content_(content), painter_(&writer) {
    page_ = QRectF(QPointF(0, 0), QSizeF(writer.width(), writer.height()));
    body_ = page_.adjusted(0, 0, 0, -lineHeight(font(9)) * 2.5);
  }

  bool isActive() const { return painter_.isActive(); }
  bool finish() { return painter_.end(); }

  void newPage() {
    drawFooter();
    writer_.newPage();
    ++pageNumber_;
    y_ = 0;
  }
  void lastPage() { drawFooter(); }

  void title(const QString& text, const QString& subtitle) {
    write(text, font(16, true));
    write(subtitle, font(11));
    y_ += lineHeight(font(10)) * 0.5;
  }

  void heading(const QString& text) {
    y_ += lineHeight(font(10)) * 0.6;
    write(text, font(12, true));
    painter_.setPen(QPen(Qt::gray, 2));
    painter_.drawLine(QPointF(body_.left(), y_), QPointF(body_.right(), y_));
    y_ += lineHeight(font(10)) * 0.3;
  }

  // A row of a table: the quantity with its unit, and the value right-aligned after it.
  void row(const QString& what, const QString& value) {
    const QFont f = font(10);
    painter_.setFont(f);
    painter_.setPen(Qt::black);
    const double h = lineHeight(f);
    const double valueRight = body_.left() + body_.width() * 0.75;
    painter_.drawText(QRectF(body_.left() + h, y_, valueRight - body_.left() - h, h), Qt::AlignLeft | Qt::AlignVCenter,
                      what);
    // A long value (a die section) reaches to the left, past the short caption it has.
    painter_.drawText(QRectF(body_.left(), y_, valueRight - body_.left(), h), Qt::AlignRight | Qt::AlignVCenter, value);
    y_ += h;
  }

  void note(const QString& text) { write(text, font(9), Qt::darkGray); }

  // A row of a table whose columns share the body's width as their weights say, the first
  // left-aligned, the others right.
  void cells(const QStringList& texts, const QList<double>& weights, bool bold = false) {
    const QFont f = font(9, bold);
    painter_.setFont(f);
    painter_.setPen(Qt::black);
    const double h = lineHeight(f);
    double total = 0;
    for (const double w : weights) total += w;
    double x = body_.left() + h;
    for (qsizetype i = 0; i < texts.size() && i < weights.size(); ++i) {
      const double width = (body_.right() - body_.left() - h) * weights[i] / total;
      painter_.drawText(QRectF(x, y_, width - h * 0.3, h), (i == 0 ? Qt::AlignLeft : Qt::AlignRight) | Qt::AlignVCenter,
                        texts[i]);
      x += width;
    }
    y_ += h;
  }

  // A text of any length, broken into lines across the body.
  void paragraph(const QString& text) {
    const QFont f = font(9);
    painter_.setFont(f);
    painter_.setPen(Qt::black);
    const QRectF room(body_.left() + lineHeight(f), y_, body_.width() - lineHeight(f), body_.bottom() - y_);
    QRectF used;
    painter_.drawText(room, Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, text, &used);
    y_ += used.height() + lineHeight(f) * 0.3;
  }

  // The plots in a grid of `columns` that fills the rest of the page's body.
  void plots(const QList<PlotId>& ids, int columns) {
    const int rows = int((ids.size() + columns - 1) / columns);
    const double width = body_.width() / columns;
    const double height = (body_.bottom() - y_) / rows;
    for (qsizetype i = 0; i < ids.size(); ++i) {
      const QRectF target(body_.left() + width * double(i % columns), y_ + height * double(i / columns), width,
                          height);
      drawPlot(ids[i], target.adjusted(8, 8, -8, -8));
    }
    y_ = body_.bottom();
  }

 private:
  QFont font(double points, bool bold = false) const {
    QFont f(QStringLiteral("DejaVu Sans"));
    f.setPointSizeF(points);
    f.setBold(bold);
    return f;
  }
  double lineHeight(const QFont& f) const { return QFontMetricsF(f, &writer_).height() * 1.25; }

  void write(const QString& text, const QFont& f, const QColor& colour = Qt::black) {
    painter_.setFont(f);
    painter_.setPen(colour);
    const double h = lineHeight(f);
    painter_.drawText(QRectF(body_.left(), y_, body_.width(), h), Qt::AlignLeft | Qt::AlignVCenter, text);
    y_ += h;
  }

  void drawPlot(PlotId id, const QRectF& target) {
    const std::unique_ptr<QChart> chart(plots::MakeChart(id));
    chart->resize(target.size() / kPlotScale);
    plots::FillChart(chart.get(), id, plots::PlotPoints(id, content_.outcome.record, content_.pressureUnit));
    plots::MarkRun(chart.get(), id, content_.outcome.record.zones);
    chart->axes(Qt::Vertical).front()->setTitleText(plots::ValueAxisTitle(id, content_.pressureUnit));
    plots::DrawPlot(chart.get(), painter_, target);
  }

  void drawFooter() {
    const QFont f = font(9);
    painter_.setFont(f);
    painter_.setPen(Qt::darkGray);
    const double h = lineHeight(f);
    const QRectF line(page_.left(), page_.bottom() - h, page_.width(), h);
    painter_.drawLine(QPointF(page_.left(), line.top() - h * 0.3), QPointF(page_.right(), line.top() - h * 0.3));
    painter_.drawText(line, Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("Kelvado report: %1").arg(content_.caseName));
    painter_.drawText(line, Qt::AlignHCenter | Qt::AlignVCenter,
                      QStringLiteral("%1, Kelvado %2").arg(content_.date.toString(Qt::ISODate), kVersion));
    painter_.drawText(line, Qt::AlignRight | Qt::AlignVCenter,
                      QStringLiteral("Page %1 of %2").arg(pageNumber_).arg(kReportPages));
  }

  QPdfWriter& writer_;
  const ReportContent& content_;
  QPainter painter_;
  QRectF page_;
  QRectF body_;
  double y_ = 0;
  int pageNumber_ = 1;
};

class Numbers {
 public:
  explicit Numbers(char separator) : separator_(QLatin1Char(separator)) {}
  QString operator()(double value, int decimals) const {
    return QString::number(value, 'f', decimals).replace(QLatin1Char('.'), separator_);
  }
  // A pressure in the unit, one decimal more than a summary line shows.
  QString pressure(double kgfPerCm2, display_units::PressureUnit unit) const {
    return (*this)(display_units::FromKgfPerCm2(kgfPerCm2, unit), display_units::Info(unit).decimals + 1);
  }

 private:
  QChar separator_;
};

void WriteCase(ReportPainter& page, const ReportContent& c) {
  page.heading(QStringLiteral("Case"));
  for (const kelvado::InputField& field : kelvado::kInputFields) {
    page.row(Plain(Utf8(field.caption)), QString::fromStdString(c.inputs[field.field]).trimmed());
  }
  page.row(QStringLiteral("Material"), c.material);
  page.row(QStringLiteral("Flow model"), QString::fromLatin1(kelvado::FlowModelName(c.flowModel)));
  if (c.pellets) {
    page.row(QStringLiteral("Feed"), QStringLiteral("pellets"));
    for (const kelvado::PelletFieldInfo& f : kelvado::kPelletFields) {
      page.row(Plain(Utf8(f.caption)),
               QString::fromStdString(c.pellets->values[static_cast<std::size_t>(f.field)].value_or("")));
    }
  }
  for (const std::string& section : c.dieSections) page.row(QStringLiteral("Die section"), QString::fromStdString(section));
}

void WriteResults(ReportPainter& page, const ReportContent& c) {
  const Numbers number(c.decimalSeparator);
  const kelvado::OperatingRecord& op = c.outcome.record.operating;
  page.heading(QStringLiteral("Operating conditions"));
  page.row(QStringLiteral("Screw speed (rpm)"), number(op.Rpm, 2));
  page.row(QStringLiteral("Barrel surface velocity (cm/s)"), number(op.BarrelSpeed, 2));
  page.row(QStringLiteral("Its cross-channel component (cm/s)"), number(op.BarrelSpeedX, 2));
  page.row(QStringLiteral("Its down-channel component (cm/s)"), number(op.BarrelSpeedZ, 2));
  page.row(QStringLiteral("Helix angle (\u00b0)"), number(op.HelixAngle * 180 / std::numbers::pi, 2));
  page.row(QStringLiteral("Channel width (cm)"), number(op.ChannelWidth, 3));
  page.row(QStringLiteral("Down-channel length (cm)"), number(op.ChannelLength, 1));

  const kelvado::OutletSummary& s = c.outcome.summary;
  const display_units::PressureUnit unit = c.pressureUnit;
  page.heading(QStringLiteral("Outlet"));
  page.row(QStringLiteral("Mean temperature (\u00b0C)"), number(s.AvgTemp, 2));
  page.row(QStringLiteral("Mixing degree (-)"), number(s.MixingDegree, 3));
  page.row(QStringLiteral("Outlet pressure (%1)").arg(display_units::Label(unit)),
           number.pressure(s.OutletPressure, unit));

  page.heading(QStringLiteral("Power balance"));
  page.row(QStringLiteral("Total power (kW)"), number(s.TotalPowerKW, 3));
  page.row(QStringLiteral("Enthalpy difference (kW)"), number(s.EnthalpyDiffKW, 3));
  page.row(QStringLiteral("Power for the pressure rise (kW)"), number(s.PressurePowerKW, 3));
  page.row(QStringLiteral("Cooling (1), from the heat balance (kW)"), number(s.Cooling1KW, 3));
  page.row(QStringLiteral("Cooling (2), from the temperature gradients at the walls (kW)"), number(s.Cooling2KW, 3));
  page.note(QStringLiteral("Total power = enthalpy difference + power for the pressure rise + cooling (1)."));
  if (!c.outcome.warnings.empty()) {
    page.heading(QStringLiteral("Warnings"));
    for (const std::string& warning : c.outcome.warnings) page.note(QString::fromStdString(warning));
  }
}

// Above the plots along the channel: where the material comes from, and the die's point.
void WriteMaterialAndDie(ReportPainter& page, const ReportContent& c) {
  page.heading(QStringLiteral("Material: %1").arg(c.material));
  page.paragraph(c.materialSource.isEmpty() ? QStringLiteral("Values entered by the user.") : c.materialSource);
  if (!c.operatingPoint) return;
  const Numbers number(c.decimalSeparator);
  const kelvado::ScrewRun& p = c.operatingPoint->point;
  const display_units::PressureUnit unit = c.pressureUnit;
  auto pressure = [&](double kgfPerCm2) { return number.pressure(kgfPerCm2, unit); };
  page.heading(QStringLiteral("Die and operating point (die page)"));
  page.row(QStringLiteral("Output (kg/hr)"), number(p.output, 2));
  page.row(QStringLiteral("Screw speed (rpm)"), number(p.summary.Rpm, 2));
  page.row(QStringLiteral("Die pressure drop (%1)").arg(display_units::Label(unit)),
           pressure(p.die.pressureDrop / kelvado::kGfPerKgf));
  page.row(QStringLiteral("Melt temperature (\u00b0C)"), number(p.summary.AvgTemp, 2));
  for (std::size_t i = 0; i < p.die.sections.size(); ++i) {
    const kelvado::SectionFlow& s = p.die.sections[i];
    page.row(QStringLiteral("Section %1: pressure drop (%2), wall shear rate (1/s)").arg(i + 1).arg(display_units::Label(unit)),
             pressure(s.pressureDrop / kelvado::kGfPerKgf) + QStringLiteral(", ") + number(s.wallShearRate, 1));
  }
  for (const std::string& warning : c.operatingPoint->warnings) {
    page.paragraph(QStringLiteral("Warning: %1").arg(QString::fromStdString(warning)));
  }
}

// A screw of zones: each zone's extent, section and barrel, and where it leaves the melt.
void WriteZones(ReportPainter& page, const ReportContent& c) {
  const std::vector<kelvado::ZoneRecord>& zones = c.outcome.record.zones;
  if (zones.empty()) return;
  const Numbers number(c.decimalSeparator);
  const display_units::PressureUnit unit = c.pressureUnit;
  page.heading(QStringLiteral("Screw of %1 zones").arg(zones.size()));
  const QList<double> widths{0.5, 1.1, 1.4, 1, 1.1, 1.1, 1.5, 1.1};
  page.cells({QStringLiteral("Zone"), QStringLiteral("Turns"), QStringLiteral("Depth (cm)"), QStringLiteral("Pitch (cm)"),
              QStringLiteral("Flight (cm)"), QStringLiteral("Barrel (\u00b0C)"),
              QStringLiteral("End p (%1)").arg(display_units::Label(unit)), QStringLiteral("End T (\u00b0C)")},
             widths, true);
  for (std::size_t i = 0; i < zones.size(); ++i) {
    const kelvado::ZoneRecord& z = zones[i];
    page.cells({QString::number(i + 1), number(z.StartTurns, 2) + QStringLiteral("\u2013") + number(z.EndTurns, 2),
                number(z.DepthFrom, 3) + QStringLiteral(" \u2192 ") + number(z.DepthTo, 3), number(z.Pitch, 2),
                number(z.FlightWidth, 3), number(z.BarrelTemp, 1),
                number.pressure(z.EndPressure, unit),
                number(z.EndMeanTemp, 2)},
               widths);
  }
  page.note(QStringLiteral("Turns from the inlet; depth at the zone's start and end; pressure and mean melt "
                           "temperature at the zone's end."));
}

// A screw fed with pellets: where each stage runs, what melting leaves and what set the output.
void WriteStages(ReportPainter& page, const ReportContent& c) {
  if (!c.pellets) return;
  const Numbers number(c.decimalSeparator);
  const kelvado::Plastication& p = c.pellets->plastication;
  const double end = c.pellets->turns;
  const double meltingFrom = p.meltingStartTurn.value_or(end);
  const double meltedAt = p.meltingEndTurn.value_or(end);
  auto turns = [&](double from, double to) {
    return number(from, 2) + QStringLiteral(" \u2013 ") + number(to, 2);
  };
  page.heading(QStringLiteral("Stages along the screw (turns from the hopper)"));
  page.row(QStringLiteral("Solids conveying"), turns(0, meltingFrom));
  if (p.meltingStartTurn) page.row(QStringLiteral("Melting"), turns(meltingFrom, meltedAt));
  if (p.meltingEndTurn) page.row(QStringLiteral("Melt conveying"), turns(meltedAt, end));
  page.row(QStringLiteral("Melting length (turns)"),
           p.meltingStartTurn ? number(meltedAt - meltingFrom, 2) + (p.meltingEndTurn ? QString() : QStringLiteral(", not done"))
                              : QStringLiteral("none: the barrel is nowhere above the melting temperature"));
  page.row(QStringLiteral("Unmelted at the end (X/W)"), number(p.unmeltedAtEnd, 3));
  page.row(QStringLiteral("Output (kg/hr), limited by"), number(p.output, 2) + QStringLiteral(", ") +
                                                          QString::fromStdString(p.limitedBy));
  page.row(QStringLiteral("Feed ceiling, against no pressure rise (kg/hr)"), number(p.noPressureOutput, 2));
  page.row(QStringLiteral("Peak solids pressure (%1), at turn").arg(display_units::Label(c.pressureUnit)),
           number.pressure(p.peakSolidsPressure, c.pressureUnit) + QStringLiteral(", ") +
               number(p.peakSolidsPressureTurn, 2));
  page.row(QStringLiteral("Power: solids friction, melting, melt conveying (kW)"),
           number(p.solidsFrictionKW, 3) + QStringLiteral(", ") + number(p.meltingKW, 3) + QStringLiteral(", ") +
               number(p.meltConveyingKW, 3));
  page.note(QStringLiteral("The results file's outlet, power balance and plots describe the melt stage alone."));
}

}  // namespace

QDate ReportDate() {
  bool ok = false;
  const qint64 seconds = qEnvironmentVariable("SOURCE_DATE_EPOCH").toLongLong(&ok);
  return ok ? QDateTime::fromSecsSinceEpoch(seconds, Qt::UTC).date() : QDate::currentDate();
}

bool WriteReportPdf(const ReportContent& content, const QString& path, QString* error) {
  auto fail = [error](const QString& why) {
    if (error) *error = why;
    return false;
  };
  if (content.outcome.status != kelvado::RunStatus::Finished) return fail(QStringLiteral("the run did not finish"));
  // Made in memory, then written by the one rule for outputs.
  QByteArray bytes;
  QBuffer file(&bytes);
  file.open(QIODevice::WriteOnly);
  {
    QPdfWriter writer(&file);
    writer.setResolution(kDotsPerInch);
    writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(15, 15, 15, 15),
                                     QPageLayout::Millimeter));
    writer.setTitle(QStringLiteral("Kelvado report: %1").arg(content.caseName));
    writer.setCreator(QStringLiteral("Kelvado %1").arg(kVersion));
    ReportPainter page(writer, content);
    if (!page.isActive()) return fail(QStringLiteral("cannot write %1").arg(path));

    page.title(QStringLiteral("Kelvado report: %1").arg(content.caseName),
               QStringLiteral("Non-isothermal melt flow %1, %2 flow model")
                   .arg(content.outcome.record.zones.empty()
                            ? QStringLiteral("in the metering zone")
                            : QStringLiteral("along a screw of %1 zones").arg(content.outcome.record.zones.size()))
                   .arg(QString::fromLatin1(kelvado::FlowModelName(content.flowModel))));
    WriteCase(page, content);
    WriteResults(page, content);
    page.newPage();
    WriteMaterialAndDie(page, content);
    WriteStages(page, content);
    WriteZones(page, content);
    page.heading(QStringLiteral("Along the channel"));
    page.plots({PlotId::Pressure, PlotId::MeanTemperature, PlotId::Power}, 1);
    page.newPage();
    page.heading(QStringLiteral("Outlet profiles, across the depth from the screw root"));
    page.plots({PlotId::OutletTemperature, PlotId::OutletVelocity, PlotId::OutletViscosity, PlotId::OutletShearRate},
               2);
    page.lastPage();
    if (!page.finish()) return fail(QStringLiteral("cannot finish %1").arg(path));
  }
  file.close();
  QString why;
  if (!output_bytes::WriteBytes(path, bytes, &why)) return fail(why);
  return true;
}

}  // namespace report_pdf
