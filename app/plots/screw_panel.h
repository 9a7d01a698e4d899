// SPDX-License-Identifier: Apache-2.0
#pragma once
// The screw page: the zones of the screw in a table, from the hopper side (turns, depth at the
// zone's start and end, and its own pitch, flight width and barrel temperature where it has
// them), the screw speed a zoned run is driven at, and a drawing of the screw's root along the
// axis, with a scale of the channel's depth below the barrel's wall. An empty table is the case's one channel. A cell the zones cannot be read from is
// marked, and the line under the table names the zone; the drawing follows every edit.
#include <QWidget>
#include <cmath>
#include <functional>
#include <string>
#include <vector>

#include "app/plots/bed_drawing.h"
#include "solver/screw_zones.h"

class QLabel;
class QLineEdit;
class QTableWidget;
class ScrewDrawing;

class ScrewPanel : public QWidget {
  Q_OBJECT

 public:
  // What the page takes from the case's fields: numbers in cm (NaN for a field that is not one)
  // and the separator the cells are typed with.
  struct Channel {
    double barrelDiameter = NAN;
    double pitch = NAN;
    double depth = NAN;
    double turns = NAN;  // the L/D
    char decimalSeparator = '.';
  };
  using ChannelSource = std::function<Channel()>;

  // A stretch of the root along the axis: from/to in cm from the hopper-side end, the root's
  // radius at each end.
  struct RootSection {
    double from = 0, to = 0;
    double rootFrom = 0, rootTo = 0;
  };
  struct Profile {
    std::vector<RootSection> sections;  // one a zone (up to a zone that cannot be read)
    double barrelRadius = 0;
  };

  // The zones of the table, every row read, or the message of the first row that is wrong.
  struct Zones {
    std::vector<kelvado::ScrewZone> zones;
    QString problem;
  };

  explicit ScrewPanel(ChannelSource source, QWidget* parent = nullptr);

  QTableWidget* table() const { return table_; }
  int zoneCount() const;
  // Fills the table from zone texts (`zone = TEXT` lines); says nothing of an edit.
  void showZoneTexts(const std::vector<std::string>& texts);
  // Each row as the zone text it makes: a row that reads as a zone in the one form the case
  // files write, any other as typed (numbers with the point).
  std::vector<std::string> zoneTexts() const;
  // Reads every row and marks the cells that are wrong; the problem names the zone.
  Zones zones();
  // Every cell as typed, row by row; put back, they are an edit of the user's (zonesEdited).
  QList<QStringList> cellTexts() const;
  void restoreCellTexts(const QList<QStringList>& rows);

  // The screw speed box, as typed; it is remembered between sessions.
  QString rpmText() const;
  void setRpmText(const QString& text);

  Profile profile() const { return profile_; }
  // What the rest of the window says against running any zones (the flow model chosen): shown
  // under the table, once the zones themselves read, whenever there are zones.
  void setZonesNote(const QString& note);

  // A finished run fed with pellets: the solid bed, pressure and temperature along the whole
  // screw, under the screw's drawing, until cleared (another run, another case).
  void showPelletRun(BedDrawing::Run run);
  void clearPelletRun();
  BedDrawing* bedDrawing() const { return bed_; }
  void setPressureUnit(display_units::PressureUnit unit);

 public slots:
  // The case's fields changed: the depths are checked and the screw drawn again.
  void channelChanged();

 signals:
  // A zone was added, removed, moved or changed by the user.
  void zonesEdited();
  // The user typed in the screw speed box.
  void rpmEdited();
  // The table was filled or edited: whether it has zones now.
  void zonesShown(bool any);

 private:
  void addZone();
  void removeZone();
  void moveZone(int by);
  void setRow(int row, const QStringList& cells);
  QStringList cellsOf(int row) const;
  void refresh();

  ChannelSource source_;
  QTableWidget* table_ = nullptr;
  QLineEdit* rpm_ = nullptr;
  QLabel* status_ = nullptr;
  ScrewDrawing* drawing_ = nullptr;
  BedDrawing* bed_ = nullptr;
  Profile profile_;
  QString note_;
  bool filling_ = false;  // the table is being set, not edited
};
