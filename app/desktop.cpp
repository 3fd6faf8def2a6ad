#include "app/desktop.h"

#include <memory>
#include <utility>

#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

#include "app/windows.h"
#include "app/wiring.h"
#include "core/fatal.h"
#include "core/gbk.h"
#include "engine/control_names.h"
#include "engine/state.h"
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

int RunDesktop() {
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
    exitCode = QApplication::exec();
  }
  state.reset();
  return exitCode;
}

}  // namespace morvane::app
