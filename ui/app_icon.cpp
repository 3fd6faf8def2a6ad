// SPDX-License-Identifier: MIT
#include "ui/app_icon.h"

#include <QPainter>
#include <QPixmap>
#include <QString>

namespace morvane::ui {
namespace {

// The shapes, on a 16 x 16 grid, in the window's beige and grey blue.
struct Line {
  QPointF from, to;
};
constexpr QRectF kPage(2.5, 1.5, 10, 13);
const QColor kPageEdge(90, 110, 140);
const QColor kPageFill(255, 252, 235);
const QColor kTextColour(123, 158, 189);
constexpr Line kTextLines[] = {
    {{4.5, 4.0}, {10.5, 4.0}},
    {{4.5, 6.0}, {10.5, 6.0}},
    {{4.5, 10.5}, {10.5, 10.5}},
    {{4.5, 12.5}, {10.5, 12.5}},
};
const QColor kCutColour(200, 40, 40);
constexpr Line kCut{{0.5, 8.25}, {15.5, 8.25}};
constexpr qreal kCutWidth = 1.2;
constexpr qreal kDash = 1.5;  // in pen widths, as Qt counts dashes
constexpr qreal kGap = 1.0;

void Draw(QPainter& painter, int size) {
  painter.scale(size / 16.0, size / 16.0);
  painter.setRenderHint(QPainter::Antialiasing, size > 16);
  painter.setPen(QPen(kPageEdge, 1.0));
  painter.setBrush(kPageFill);
  painter.drawRect(kPage);
  // Flat line ends, as in the SVG, so the dashes keep their gaps at every size.
  painter.setPen(QPen(kTextColour, 1.0, Qt::SolidLine, Qt::FlatCap));
  for (const Line& line : kTextLines) painter.drawLine(line.from, line.to);
  QPen cut(kCutColour, kCutWidth, Qt::SolidLine, Qt::FlatCap);
  cut.setDashPattern({kDash, kGap});
  painter.setPen(cut);
  painter.drawLine(kCut.from, kCut.to);
}

QString Svg(const QColor& colour) {
  return colour.name(QColor::HexRgb);
}

QString SvgLine(const Line& line) {
  return QStringLiteral("x1=\"%1\" y1=\"%2\" x2=\"%3\" y2=\"%4\"")
      .arg(line.from.x())
      .arg(line.from.y())
      .arg(line.to.x())
      .arg(line.to.y());
}

}  // namespace

QImage AppIconImage(int size) {
  QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  QPainter painter(&image);
  Draw(painter, size);
  return image;
}

QIcon AppIcon() {
  QIcon icon;
  icon.addPixmap(QPixmap::fromImage(AppIconImage(16)));
  icon.addPixmap(QPixmap::fromImage(AppIconImage(24)));
  return icon;
}

QByteArray AppIconSvg() {
  QString svg = QStringLiteral(
                    "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"16\" height=\"16\" "
                    "viewBox=\"0 0 16 16\">\n"
                    "  <rect x=\"%1\" y=\"%2\" width=\"%3\" height=\"%4\" fill=\"%5\" "
                    "stroke=\"%6\" stroke-width=\"1\"/>\n")
                    .arg(kPage.x())
                    .arg(kPage.y())
                    .arg(kPage.width())
                    .arg(kPage.height())
                    .arg(Svg(kPageFill), Svg(kPageEdge));
  for (const Line& line : kTextLines) {
    svg += QStringLiteral("  <line %1 stroke=\"%2\" stroke-width=\"1\"/>\n")
               .arg(SvgLine(line), Svg(kTextColour));
  }
  svg +=
      QStringLiteral("  <line %1 stroke=\"%2\" stroke-width=\"%3\" stroke-dasharray=\"%4 %5\"/>\n")
          .arg(SvgLine(kCut), Svg(kCutColour))
          .arg(kCutWidth)
          .arg(kDash * kCutWidth)
          .arg(kGap * kCutWidth);
  svg += QStringLiteral("</svg>\n");
  return svg.toUtf8();
}

}  // namespace morvane::ui
