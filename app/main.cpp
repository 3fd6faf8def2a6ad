#include <QApplication>

#include "app/desktop.h"
#include "core/files.h"

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  morvane::HandleWriteSignals();
  morvane::app::RunDesktop();
  return 0;
}
