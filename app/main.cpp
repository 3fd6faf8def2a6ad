#include <QApplication>

#include "app/desktop.h"

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  morvane::app::RunDesktop();
  return 0;
}
