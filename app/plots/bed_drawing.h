// SPDX-License-Identifier: Apache-2.0
#pragma once
// A screw fed with pellets along its whole length, turns across: the solid bed in the unwound
// channel (the trailing flight below, the pushing flight above; the bed's width X/W up from the
// trailing flight, the melt pool above it), then the pressure and the mean melt temperature.
// Zone boundaries are dashed across all three, where melting starts and ends solid.
#include <QWidget>
#include <vector>

#include "app/display_units.h"
#include "screw/pellet_screw.h"

class BedDrawing : public QWidget {
 public:
  struct Run {
    std::vector<kelvado::ScrewStep> profile;
    kelvado::Plastication plastication;
    std::vector<double> zoneEnds;  // turns from the hopper where one zone meets the next
  };

  BedDrawing();
  void setRun(Run run);
  const Run& run() const { return run_; }
  void setPressureUnit(display_units::PressureUnit unit);

  // Where the unwound channel is drawn, and the turns its width spans (0 to the screw's end).
  QRectF channelArea() const;
  double turns() const { return run_.profile.empty() ? 0 : run_.profile.back().turn; }

  static const QColor kBed;
  static const QColor kPool;

 protected:
  void paintEvent(QPaintEvent*) override;

 private:
  struct Band {
    QRectF area;
    QString title;
  };
  std::array<Band, 3> bands() const;
  double xOf(const QRectF& area, double turn) const;

  Run run_;
  display_units::PressureUnit unit_ = display_units::PressureUnit::KgfPerCm2;
};
