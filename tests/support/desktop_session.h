// SPDX-License-Identifier: MIT
#pragma once
// The desktop program on Qt as at start-up, for the window tests that drive its real
// widgets: the state, the toolkit with every window described and every event bound, and
// the main window shown.

#include <fstream>
#include <memory>
#include <string_view>

#include <QString>
#include <QWidget>
#include <QtTest>

#include "app/desktop.h"
#include "app/wiring.h"
#include "presenters/control_names.h"
#include "presenters/state.h"
#include "ui/qt_toolkit.h"

namespace morvane::testing {

// Fills state and toolkit and shows the main window; null when it never appeared. A
// volume, when given, is the drive list's one volume, so that the folder tree starts there.
inline QWidget* StartDesktop(std::unique_ptr<AppState>& state,
                             std::unique_ptr<ui::QtToolkit>& toolkit,
                             const QString& volume = QString()) {
  state = std::make_unique<AppState>();
  toolkit = std::make_unique<ui::QtToolkit>();
  if (!volume.isEmpty()) toolkit->SetVolumes({{volume.toStdString(), "ext4", "", ""}});
  app::DescribeWindows(*toolkit);
  app::BindEvents(*toolkit, *state);
  QWidget* main = toolkit->CreateWindow(names::kMainWindow);
  ui::QtToolkit::ShowCentred(main);
  return QTest::qWaitForWindowExposed(main) ? main : nullptr;
}

// The windows go first: they hold the state's address.
inline void StopDesktop(std::unique_ptr<AppState>& state, std::unique_ptr<ui::QtToolkit>& toolkit) {
  toolkit.reset();
  state.reset();
}

inline void WriteFile(const QString& path, std::string_view bytes) {
  std::ofstream(path.toStdString(), std::ios::binary) << bytes;
}

}  // namespace morvane::testing
