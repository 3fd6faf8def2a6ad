// SPDX-License-Identifier: MIT
// Writes the program's icon for an icon theme: FOLDER/N/morvane.png for each size N and
// FOLDER/scalable/morvane.svg. Run by the build; needs no display.

#include <cstdio>

#include <QCoreApplication>
#include <QDir>
#include <QFile>

#include "ui/app_icon.h"

int main(int argc, char** argv) {
  QCoreApplication application(argc, argv);
  if (argc != 2) {
    std::fprintf(stderr, "usage: morvane-icon-export FOLDER\n");
    return 2;
  }
  const QString folder = QString::fromLocal8Bit(argv[1]);
  for (int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
    const QString sub = QStringLiteral("%1/%2x%2").arg(folder).arg(size);
    if (!QDir().mkpath(sub) ||
        !morvane::ui::AppIconImage(size).save(sub + QStringLiteral("/morvane.png"))) {
      std::fprintf(stderr, "cannot write %s/morvane.png\n", qPrintable(sub));
      return 1;
    }
  }
  QDir().mkpath(folder + QStringLiteral("/scalable"));
  QFile svg(folder + QStringLiteral("/scalable/morvane.svg"));
  if (!svg.open(QIODevice::WriteOnly) || svg.write(morvane::ui::AppIconSvg()) < 0) {
    std::fprintf(stderr, "cannot write %s\n", qPrintable(svg.fileName()));
    return 1;
  }
  return 0;
}
