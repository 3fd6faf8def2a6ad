#include "app/app_icon.h"

#include <QPainter>
#include <QPixmap>

namespace morvane::app {
namespace {

// A page of text cut across by a dashed line, in the window's beige and grey blue.
QPixmap DrawPage(int size) {
  QPixmap pixmap(size, size);
  pixmap.fill(Qt::transparent);
  QPainter painter(&pixmap);
  const qreal unit = size / 16.0;
  painter.scale(unit, unit);
  painter.setRenderHint(QPainter::Antialiasing, size > 16);

  painter.setPen(QPen(QColor(90, 110, 140), 1.0));
  painter.setBrush(QColor(255, 252, 235));
  painter.drawRect(QRectF(2.5, 1.5, 10, 13));
  painter.setPen(QPen(QColor(123, 158, 189), 1.0));
  for (qreal y : {4.0, 6.0, 10.5, 12.5}) painter.drawLine(QPointF(4.5, y), QPointF(10.5, y));
  QPen cut(QColor(200, 40, 40), 1.2);
  cut.setDashPattern({1.5, 1.0});
  painter.setPen(cut);
  painter.drawLine(QPointF(0.5, 8.25), QPointF(15.5, 8.25));
  return pixmap;
}

}  // namespace

QIcon AppIcon() {
  QIcon icon;
  icon.addPixmap(DrawPage(16));
  icon.addPixmap(DrawPage(24));
  return icon;
}

}  // namespace morvane::app
