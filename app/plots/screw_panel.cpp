// SPDX-License-Identifier: Apache-2.0
#include "app/plots/screw_panel.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <array>
#include <cmath>

#include "app/plots/table_headers.h"
#include "app/settings.h"
#include "solver/input.h"

namespace {

// The columns, each with what it adds to the zone text; the last three may stay empty, and
// an empty "Depth to" is a zone of one depth.
struct Column {
  const char* header;
  const char* name;  // in full, for the header's tip
  const char* key;
  bool optional;
};
constexpr std::array<Column, 6> kColumns{{
    {"Turns", "Turns of the zone, above zero", "turns=", false},
    {"Depth\nfrom\n(cm)", "Depth from (cm): the channel depth at the zone's start", ",depth=", false},
    {"Depth\nto (cm)", "Depth to (cm): the depth at the zone's end; empty: the depth from", ":", true},
    {"Pitch\n(cm)", "Pitch (cm); empty: the case's Screw Pitch", ",pitch=", true},
    {"Flight\nwidth\n(cm)", "Flight width (cm); empty: the case's Flight Width", ",flight-width=", true},
    {"Barrel\ntemp.\n(\u00b0C)", "Barrel temperature (\u00b0C) along the zone; empty: the case's", ",barrel-temp=",
     true}}};
constexpr int kDepthFrom = 1;
constexpr int kDepthTo = 2;

// A row whose cells are all good, for reading one cell alone.
const QStringList kGoodRow{QStringLiteral("1"), QStringLiteral("1"), {}, {}, {}, {}};

const QString kRpmKey = QStringLiteral("screw/rpm");
const QColor kBadCell(255, 205, 205);

// The zone text of the cells, numbers with the point.
std::string RowText(const QStringList& cells, char separator) {
  std::string text;
  for (std::size_t c = 0; c < kColumns.size(); ++c) {
    QString cell = cells.value(qsizetype(c)).trimmed();
    if (kColumns[c].optional && cell.isEmpty()) continue;
    if (separator != '.') cell.replace(QLatin1Char(separator), QLatin1Char('.'));
    text += kColumns[c].key;
    text += cell.toStdString();
  }
  return text;
}

}  // namespace

// The root of the screw and the barrel's wall along the axis, the upper half from the axis
// up; zone boundaries dashed, each zone numbered. Axial lengths are to scale across the width,
// radii to scale up the height.
class ScrewDrawing : public QWidget {
 public:
  ScrewDrawing() {
    setObjectName(QStringLiteral("ScrewDrawing"));
    setMinimumHeight(140);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
  }
  void setProfile(const ScrewPanel::Profile& profile) {
    profile_ = profile;
    update();
  }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.fillRect(rect(), palette().base());
    const QFontMetricsF metrics(font());
    const double line = metrics.height();
    const std::vector<ScrewPanel::RootSection>& sections = profile_.sections;
    const double radius = profile_.barrelRadius;
    if (sections.empty() || !(radius > 0) || !(sections.back().to > 0)) {
      painter.setPen(palette().color(QPalette::PlaceholderText));
      painter.drawText(rect(), Qt::AlignCenter, QStringLiteral("No screw to draw: the fields or zones are not numbers."));
      return;
    }
    // Room on the right for the depth scale's labels.
    const double scaleRoom = metrics.horizontalAdvance(QStringLiteral("- 0.25 cm")) + 0.5 * line;
    const QRectF area = QRectF(rect()).adjusted(line, 1.6 * line, -line - scaleRoom, -1.6 * line);
    const double length = sections.back().to;
    auto point = [&](double x, double r) {
      return QPointF(area.left() + area.width() * x / length, area.bottom() - area.height() * std::max(r, 0.0) / radius);
    };
    // The screw's body, from the axis to its root.
    QPainterPath body(point(0, 0));
    for (const ScrewPanel::RootSection& s : sections) {
      body.lineTo(point(s.from, s.rootFrom));
      body.lineTo(point(s.to, s.rootTo));
    }
    body.lineTo(point(length, 0));
    body.closeSubpath();
    painter.setPen(QPen(Qt::black, 1.5));
    painter.setBrush(QColor(190, 195, 205));
    painter.drawPath(body);
    // The barrel's wall and the axis.
    painter.setPen(QPen(Qt::black, 3));
    painter.drawLine(point(0, radius), point(length, radius));
    painter.setPen(QPen(Qt::darkGray, 1, Qt::DashDotLine));
    painter.drawLine(point(0, 0), point(length, 0));
    // Zone boundaries and numbers.
    painter.setPen(QPen(QColor(60, 60, 60), 1, Qt::DashLine));
    for (std::size_t i = 0; i + 1 < sections.size(); ++i) {
      painter.drawLine(point(sections[i].to, 0), point(sections[i].to, radius));
    }
    painter.setPen(palette().color(QPalette::Text));
    for (std::size_t i = 0; i < sections.size(); ++i) {
      const QPointF left = point(sections[i].from, radius), right = point(sections[i].to, radius);
      painter.drawText(QRectF(left.x(), left.y() - 1.4 * line, right.x() - left.x(), line), Qt::AlignCenter,
                       QString::number(i + 1));
    }
    // The scale: the axial positions of the ends and the barrel's radius.
    auto cm = [](double value) { return QString::fromStdString(kelvado::ShortNumberText(value)) + QStringLiteral(" cm"); };
    drawDepthScale(painter, area, sections, radius, line, cm);
    const QRectF under(area.left(), area.bottom() + 0.3 * line, area.width(), line);
    painter.drawText(under, Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("0"));
    painter.drawText(under, Qt::AlignRight | Qt::AlignVCenter, cm(length));
    painter.drawText(under, Qt::AlignHCenter | Qt::AlignVCenter,
                     QStringLiteral("along the axis; barrel radius %1").arg(cm(radius)));
  }

 private:
  // A ruler beside the barrel's end, its ticks the channel's depth below the barrel's wall, at
  // round steps far enough apart to be read, down to the deepest root.
  template <typename Cm>
  void drawDepthScale(QPainter& painter, const QRectF& area, const std::vector<ScrewPanel::RootSection>& sections,
                      double radius, double line, Cm cm) {
    double deepest = 0;
    for (const ScrewPanel::RootSection& s : sections) deepest = std::max(deepest, radius - std::min(s.rootFrom, s.rootTo));
    deepest = std::min(deepest, radius);
    const double pixelsPerCm = area.height() / radius;
    if (!(deepest > 0) || !(pixelsPerCm > 0)) return;
    double step = std::pow(10.0, std::floor(std::log10(deepest)));
    for (const double widen : {1.0, 2.0, 2.5, 5.0, 10.0, 20.0}) {
      if (step * widen * pixelsPerCm >= 1.4 * line || widen == 20.0) {
        step *= widen;
        break;
      }
    }
    const double x = area.right() + 0.25 * line;
    const auto y = [&](double depth) { return area.top() + depth * pixelsPerCm; };
    const double last = std::ceil(deepest / step - 1e-9) * step;
    painter.setPen(QPen(palette().color(QPalette::Text), 1));
    painter.drawLine(QPointF(x, y(0)), QPointF(x, y(std::min(last, radius))));
    painter.drawText(QRectF(x, y(0) - 1.4 * line, 10 * line, line), Qt::AlignLeft | Qt::AlignVCenter,
                     QStringLiteral("depth"));
    const int ticks = int(std::lround(std::min(last, radius) / step));
    for (int k = 0; k <= ticks; ++k) {
      const double depth = k * step;
      painter.drawLine(QPointF(x, y(depth)), QPointF(x + 0.3 * line, y(depth)));
      const QString text = k == ticks ? cm(depth) : QString::fromStdString(kelvado::ShortNumberText(depth));
      painter.drawText(QRectF(x + 0.4 * line, y(depth) - line / 2, 10 * line, line), Qt::AlignLeft | Qt::AlignVCenter,
                       text);
    }
  }

  ScrewPanel::Profile profile_;
};

ScrewPanel::ScrewPanel(ChannelSource source, QWidget* parent) : QWidget(parent), source_(std::move(source)) {
  setObjectName(QStringLiteral("ScrewPanel"));
  auto* note = new QLabel(QStringLiteral(
      "The screw's zones from the hopper side; pitch, flight width and barrel temperature left empty are the case's. "
      "With zones, Run drives the screw at this speed with the case's Output, and the zones replace L/D, Channel "
      "Depth and the Dimensionless Flow Rate. An empty table is the case's one channel."));
  note->setWordWrap(true);

  table_ = new QTableWidget(0, int(kColumns.size()));
  table_->setObjectName(QStringLiteral("ScrewZones"));
  for (int c = 0; c < int(kColumns.size()); ++c) {
    auto* header = new QTableWidgetItem(QString::fromUtf8(kColumns[c].header));
    header->setToolTip(QString::fromUtf8(kColumns[c].name));
    table_->setHorizontalHeaderItem(c, header);
  }
  table_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  KeepHeadingsWhole(table_);
  table_->setFocusPolicy(Qt::ClickFocus);
  table_->setMaximumHeight(table_->horizontalHeader()->sizeHint().height() +
                           4 * table_->verticalHeader()->defaultSectionSize() + 4);
  connect(table_, &QTableWidget::itemChanged, this, [this] {
    if (filling_) return;
    refresh();
    emit zonesEdited();
  });

  auto* buttons = new QVBoxLayout;
  const struct {
    const char* name;
    const char* text;
    std::function<void()> action;
  } actions[]{{"ScrewAdd", "Add zone", [this] { addZone(); }},
              {"ScrewRemove", "Remove", [this] { removeZone(); }},
              {"ScrewUp", "Move up", [this] { moveZone(-1); }},
              {"ScrewDown", "Move down", [this] { moveZone(1); }}};
  for (const auto& action : actions) {
    auto* button = new QPushButton(QString::fromLatin1(action.text));
    button->setObjectName(QLatin1String(action.name));
    button->setFocusPolicy(Qt::NoFocus);
    connect(button, &QPushButton::clicked, this, action.action);
    buttons->addWidget(button);
  }
  buttons->addStretch(1);
  auto* zones = new QHBoxLayout;
  zones->addWidget(table_, 1);
  zones->addLayout(buttons);

  rpm_ = new QLineEdit(WindowSettings().value(kRpmKey, QStringLiteral("80")).toString());
  rpm_->setObjectName(QStringLiteral("ScrewRpm"));
  rpm_->setMaximumWidth(80);
  rpm_->setFocusPolicy(Qt::ClickFocus);
  rpm_->setToolTip(QStringLiteral("The screw speed a run with zones is driven at, above zero"));
  connect(rpm_, &QLineEdit::textEdited, this, [this](const QString& text) {
    WindowSettings().setValue(kRpmKey, text);
    emit rpmEdited();
  });
  auto* speed = new QHBoxLayout;
  auto* speedLabel = new QLabel(QStringLiteral("Screw speed (rpm)"));
  speedLabel->setBuddy(rpm_);
  speed->addWidget(speedLabel);
  speed->addWidget(rpm_);
  speed->addStretch(1);

  status_ = new QLabel;
  status_->setObjectName(QStringLiteral("ScrewStatus"));
  status_->setWordWrap(true);
  QPalette red = status_->palette();
  red.setColor(QPalette::WindowText, Qt::darkRed);
  status_->setPalette(red);

  drawing_ = new ScrewDrawing;
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(note);
  layout->addLayout(zones);
  layout->addLayout(speed);
  layout->addWidget(status_);
  layout->addWidget(drawing_, 1);
  bed_ = new BedDrawing;
  bed_->setVisible(false);
  layout->addWidget(bed_, 3);
  refresh();
}

void ScrewPanel::showPelletRun(BedDrawing::Run run) {
  bed_->setRun(std::move(run));
  bed_->setVisible(true);
  drawing_->setMinimumHeight(80);  // the bed's drawing takes the room
}

void ScrewPanel::clearPelletRun() {
  bed_->setRun({});
  bed_->setVisible(false);
  drawing_->setMinimumHeight(140);
}

void ScrewPanel::setPressureUnit(display_units::PressureUnit unit) { bed_->setPressureUnit(unit); }

int ScrewPanel::zoneCount() const { return table_->rowCount(); }

QStringList ScrewPanel::cellsOf(int row) const {
  QStringList cells;
  for (int c = 0; c < table_->columnCount(); ++c) {
    const QTableWidgetItem* item = table_->item(row, c);
    cells << (item ? item->text() : QString());
  }
  return cells;
}

void ScrewPanel::setRow(int row, const QStringList& cells) {
  for (int c = 0; c < table_->columnCount(); ++c) table_->setItem(row, c, new QTableWidgetItem(cells.value(c)));
}

QList<QStringList> ScrewPanel::cellTexts() const {
  QList<QStringList> rows;
  for (int row = 0; row < table_->rowCount(); ++row) rows << cellsOf(row);
  return rows;
}

void ScrewPanel::restoreCellTexts(const QList<QStringList>& rows) {
  filling_ = true;
  table_->setRowCount(int(rows.size()));
  for (int row = 0; row < int(rows.size()); ++row) setRow(row, rows[row]);
  filling_ = false;
  refresh();
  emit zonesEdited();
}

void ScrewPanel::showZoneTexts(const std::vector<std::string>& texts) {
  const char separator = source_().decimalSeparator;
  auto number = [separator](const std::optional<double>& value) {
    return value ? QString::fromStdString(kelvado::ExactNumberText(*value, separator)) : QString();
  };
  filling_ = true;
  table_->setRowCount(0);
  for (const std::string& text : texts) {
    const auto parsed = kelvado::ParseZone(text);
    const int row = table_->rowCount();
    table_->insertRow(row);
    if (const auto* zone = std::get_if<kelvado::ScrewZone>(&parsed)) {
      setRow(row, {number(zone->turns), number(zone->depthFrom), number(zone->depthTo), number(zone->pitch),
                   number(zone->flightWidth), number(zone->barrelTemp)});
    } else {
      setRow(row, {});  // a case file's zones have been read: never here
    }
  }
  filling_ = false;
  refresh();
}

std::vector<std::string> ScrewPanel::zoneTexts() const {
  const char separator = source_().decimalSeparator;
  std::vector<std::string> texts;
  for (int row = 0; row < table_->rowCount(); ++row) {
    std::string text = RowText(cellsOf(row), separator);
    const auto parsed = kelvado::ParseZone(text);
    if (const auto* zone = std::get_if<kelvado::ScrewZone>(&parsed)) text = kelvado::ZoneText(*zone);
    texts.push_back(std::move(text));
  }
  return texts;
}

ScrewPanel::Zones ScrewPanel::zones() {
  const Channel channel = source_();
  Zones result;
  // Every row, the zones that cannot be read as zones of no depth, so that a zone too deep is
  // named by its row.
  std::vector<kelvado::ScrewZone> all;
  // A barrel diameter that is not a number is the field's to refuse, not the zones'.
  auto tooDeep = [&](const std::vector<kelvado::ScrewZone>& zones) {
    return std::isfinite(channel.barrelDiameter) ? kelvado::ZoneDepthProblem(zones, channel.barrelDiameter)
                                                 : std::nullopt;
  };
  filling_ = true;
  for (int row = 0; row < table_->rowCount(); ++row) {
    const QStringList cells = cellsOf(row);
    // Each cell on its own in a row that is otherwise good: what is wrong is marked where it is.
    for (int c = 0; c < table_->columnCount(); ++c) {
      QStringList alone = kGoodRow;
      alone[c] = cells[c];
      const auto parsed = kelvado::ParseZone(RowText(alone, channel.decimalSeparator));
      const auto* zone = std::get_if<kelvado::ScrewZone>(&parsed);
      const bool deep = zone && (c == kDepthFrom || c == kDepthTo) && !cells[c].trimmed().isEmpty() &&
                        tooDeep({{1, zone->depthTo, zone->depthTo, {}, {}, {}}});
      QTableWidgetItem* item = table_->item(row, c);
      if (!item) table_->setItem(row, c, item = new QTableWidgetItem);
      item->setBackground(zone && !deep ? QBrush() : QBrush(kBadCell));
    }
    const auto parsed = kelvado::ParseZone(RowText(cells, channel.decimalSeparator));
    if (const auto* zone = std::get_if<kelvado::ScrewZone>(&parsed)) {
      all.push_back(*zone);
      if (result.problem.isEmpty() && tooDeep({*zone})) result.problem = QString::fromStdString(*tooDeep(all));
    } else {
      all.push_back({});
      if (result.problem.isEmpty()) {
        result.problem = QStringLiteral("Zone %1: %2").arg(row + 1).arg(QString::fromStdString(std::get<std::string>(parsed)));
      }
    }
  }
  filling_ = false;
  if (result.problem.isEmpty()) result.zones = std::move(all);
  return result;
}

QString ScrewPanel::rpmText() const { return rpm_->text(); }

void ScrewPanel::setRpmText(const QString& text) {
  rpm_->setText(text);
  WindowSettings().setValue(kRpmKey, text);
}

void ScrewPanel::channelChanged() { refresh(); }

void ScrewPanel::setZonesNote(const QString& note) {
  note_ = note;
  refresh();
}

void ScrewPanel::refresh() {
  const Channel channel = source_();
  const QString problem = zones().problem;
  status_->setText(problem.isEmpty() && table_->rowCount() > 0 ? note_ : problem);
  emit zonesShown(table_->rowCount() > 0);
  // The zones up to the first that cannot be read; without zones, the case's one channel.
  std::vector<kelvado::ScrewZone> drawn;
  for (int row = 0; row < table_->rowCount(); ++row) {
    const auto parsed = kelvado::ParseZone(RowText(cellsOf(row), channel.decimalSeparator));
    const auto* zone = std::get_if<kelvado::ScrewZone>(&parsed);
    if (!zone) break;
    drawn.push_back(*zone);
  }
  if (table_->rowCount() == 0 && channel.turns > 0 && channel.depth > 0) {
    drawn.push_back({channel.turns, channel.depth, channel.depth, {}, {}, {}});
  }
  profile_ = {};
  profile_.barrelRadius = channel.barrelDiameter / 2;
  double from = 0;
  for (const kelvado::ScrewZone& zone : drawn) {
    const double to = from + zone.turns * zone.pitch.value_or(channel.pitch);
    if (!std::isfinite(to)) break;
    profile_.sections.push_back({from, to, profile_.barrelRadius - zone.depthFrom, profile_.barrelRadius - zone.depthTo});
    from = to;
  }
  drawing_->setProfile(profile_);
}

void ScrewPanel::addZone() {
  // A new zone goes on from the one before it, at its end depth; the first at the case's depth.
  const Channel channel = source_();
  QString depth = QString::fromStdString(kelvado::ExactNumberText(channel.depth > 0 ? channel.depth : 0.25,
                                                                  channel.decimalSeparator));
  const int row = table_->currentRow() >= 0 ? table_->currentRow() + 1 : table_->rowCount();
  if (row > 0) {
    const QStringList before = cellsOf(row - 1);
    depth = before[kDepthTo].trimmed().isEmpty() ? before[kDepthFrom] : before[kDepthTo];
  }
  filling_ = true;
  table_->insertRow(row);
  setRow(row, {QStringLiteral("4"), depth, depth, {}, {}, {}});
  filling_ = false;
  table_->setCurrentCell(row, 0);
  refresh();
  emit zonesEdited();
}

void ScrewPanel::removeZone() {
  if (table_->rowCount() == 0) return;
  const int row = table_->currentRow();
  table_->removeRow(row >= 0 ? row : table_->rowCount() - 1);
  refresh();
  emit zonesEdited();
}

void ScrewPanel::moveZone(int by) {
  const int row = table_->currentRow();
  const int to = row + by;
  if (row < 0 || to < 0 || to >= table_->rowCount()) return;
  const QStringList moved = cellsOf(row), other = cellsOf(to);
  filling_ = true;
  setRow(row, other);
  setRow(to, moved);
  filling_ = false;
  table_->setCurrentCell(to, table_->currentColumn());
  refresh();
  emit zonesEdited();
}
