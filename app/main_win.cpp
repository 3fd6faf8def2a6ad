#include <windows.h>

#include "app/desktop.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  morvane::app::RunDesktop();
  return 0;
}
