// SPDX-License-Identifier: MIT
#pragma once
// The program's icon, drawn in code: a page of text cut across by a dashed line. The
// window uses a 16 and a 24 pixel image; the installed icon theme gets PNGs from 16 to
// 256 pixels and an SVG, all from the same shapes.

#include <QByteArray>
#include <QIcon>
#include <QImage>

namespace morvane::ui {

QIcon AppIcon();
// The icon as a size x size image with a transparent background.
QImage AppIconImage(int size);
// The icon as an SVG document (16 x 16 user units, scalable).
QByteArray AppIconSvg();

}  // namespace morvane::ui
