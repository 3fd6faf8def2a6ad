// SPDX-License-Identifier: MIT
#include "app/desktop.h"

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTimer>
#include <QTranslator>

#include "app/windows.h"
#include "app/wiring.h"
#include "core/fatal.h"
#include "presenters/control_names.h"
#include "presenters/desktop_events.h"
#include "presenters/state.h"
#include "ui/file_drops.h"
#include "ui/qt_toolkit.h"

namespace morvane::app {

void DescribeWindows(ui::QtToolkit& toolkit) {
  for (ui::WindowDescription& window : WindowDescriptions()) toolkit.Describe(std::move(window));
}

bool UseChineseEverywhere() {
  const QLocale chinese(QLocale::Chinese, QLocale::China);
  QLocale::setDefault(chinese);
  static QTranslator* translator = nullptr;
  if (translator != nullptr) return true;
  auto* loaded = new QTranslator(qApp);
  if (!loaded->load(chinese, QStringLiteral("qtbase"), QStringLiteral("_"),
                    QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
    delete loaded;
    return false;
  }
  QCoreApplication::installTranslator(loaded);
  translator = loaded;
  return true;
}

void OpenGivenFiles(ui::QtToolkit& toolkit, AppState& state, std::vector<Path> files) {
  ui::SortNaturally(files);
  morvane::OpenGivenFiles(toolkit, state, files);
}

int RunDesktop(std::vector<Path> files) {
  QGuiApplication::setDesktopFileName(QStringLiteral("morvane"));
  UseChineseEverywhere();
  SetFatalPresenter([](const ByteText& boxText) {
    ui::ShowStopBox(boxText, ByteText("\xB4\xED\xCE\xF3"));  // "错误"
  });
  // The state lives from before the main window is built until after it is gone:
  // the toolkit (and with it every window) is destroyed first.
  auto state = std::make_unique<AppState>();
  int exitCode = 0;
  {
    ui::QtToolkit toolkit;
    DescribeWindows(toolkit);
    BindEvents(toolkit, *state);
    QWidget* mainWindow = toolkit.CreateWindow(names::kMainWindow);
    ui::QtToolkit::ShowCentred(mainWindow);
    // Once the loop runs, so that the window is up behind any message the opening shows.
    QTimer::singleShot(0, mainWindow, [&toolkit, &state, files = std::move(files)]() mutable {
      OpenGivenFiles(toolkit, *state, std::move(files));
    });
    exitCode = QApplication::exec();
  }
  state.reset();
  return exitCode;
}

}  // namespace morvane::app
