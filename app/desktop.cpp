#include "app/desktop.h"

#include <memory>

#include <QApplication>

#include "app/main_window.h"
#include "app/save_location_window.h"
#include "app/wiring.h"
#include "core/fatal.h"
#include "engine/control_names.h"
#include "engine/state.h"
#include "ui/qt_toolkit.h"

namespace morvane::app {

void DescribeWindows(ui::QtToolkit& toolkit) {
  toolkit.Describe(MainWindowDescription());
  toolkit.Describe(SaveLocationWindowDescription());
}

int RunDesktop() {
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
