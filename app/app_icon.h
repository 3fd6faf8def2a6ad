#pragma once
// The program's icon, drawn in code: one icon with a 16 and a 24 pixel image.

#include <QIcon>

namespace morvane::app {

QIcon AppIcon();

}  // namespace morvane::app
