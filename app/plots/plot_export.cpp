// SPDX-License-Identifier: Apache-2.0
#include "app/plots/plot_export.h"

#include <QBuffer>
#include <QChart>
#include <QFileInfo>
#include <QGraphicsLayout>
#include <QGraphicsScene>
#include <QImage>
#include <QPainter>
#include <QSvgGenerator>

#include "app/output_bytes.h"

namespace plots {
namespace {

bool Fail(QString* error, const QString& why) {
  if (error) *error = why;
  return false;
}

void Draw(QGraphicsScene& scene, const QChart& chart, QPainter& painter, const QRectF& target) {
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setRenderHint(QPainter::TextAntialiasing);
  scene.render(&painter, target, chart.sceneBoundingRect());
}

bool WritePng(QGraphicsScene& scene, const QChart& chart, const QString& path, QString* error) {
  const QSize size = chart.size().toSize();
  QImage image(size, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::white);
  {
    QPainter painter(&image);
    Draw(scene, chart, painter, QRectF(QPointF(0, 0), size));
  }
  return output_bytes::WritePng(path, image, error);
}

bool WriteSvg(QGraphicsScene& scene, const QChart& chart, const QString& path, QString* error) {
  const QSize size = chart.size().toSize();
  QByteArray bytes;
  QBuffer buffer(&bytes);
  QSvgGenerator svg;
  svg.setOutputDevice(&buffer);
  svg.setSize(size);
  svg.setViewBox(QRect(QPoint(0, 0), size));
  svg.setTitle(chart.title());
  svg.setDescription(QStringLiteral("Kelvado results plot"));
  QPainter painter;
  if (!painter.begin(&svg)) return Fail(error, QStringLiteral("cannot write %1").arg(path));
  Draw(scene, chart, painter, QRectF(QPointF(0, 0), size));
  if (!painter.end()) return Fail(error, QStringLiteral("cannot finish %1").arg(path));
  return output_bytes::WriteBytes(path, bytes, error);
}

// Calls draw(scene) with the chart in a scene and laid out: its own, or one made for the call.
template <typename Drawing>
auto InScene(QChart* chart, Drawing draw) {
  // Axes and curves are placed when the chart's layout is activated.
  QGraphicsScene own;
  QGraphicsScene* scene = chart->scene();
  if (!scene) {
    scene = &own;
    own.addItem(chart);
  }
  if (chart->layout()) chart->layout()->activate();
  const auto result = draw(*scene);
  if (scene == &own) own.removeItem(chart);
  return result;
}

}  // namespace

bool SavePlot(QChart* chart, const QString& path, QString* error) {
  const QString suffix = QFileInfo(path).suffix().toLower();
  if (suffix != QLatin1String("png") && suffix != QLatin1String("svg")) {
    return Fail(error, QStringLiteral("the file name must end in .png or .svg"));
  }
  if (chart->size().toSize().isEmpty()) return Fail(error, QStringLiteral("the plot has no size"));
  return InScene(chart, [&](QGraphicsScene& scene) {
    return suffix == QLatin1String("png") ? WritePng(scene, *chart, path, error) : WriteSvg(scene, *chart, path, error);
  });
}

void DrawPlot(QChart* chart, QPainter& painter, const QRectF& target) {
  InScene(chart, [&](QGraphicsScene& scene) {
    painter.save();
    Draw(scene, *chart, painter, target);
    painter.restore();
    return true;
  });
}

}  // namespace plots
