// SPDX-License-Identifier: MIT
#include <filesystem>
#include <system_error>
#include <vector>

#include <QApplication>

#include "app/desktop.h"
#include "core/fatal.h"
#include "core/files.h"

int main(int argc, char** argv) {
  // Takes Qt's own options (-platform, say) out of argv: what stays are the files.
  morvane::EndUncaughtOutOfMemoryWithMessage();
  QApplication application(argc, argv);
  morvane::HandleWriteSignals();
  // The names as the file system spells them, made absolute so that they show whole.
  std::error_code error;
  const std::string here = std::filesystem::current_path(error).native();
  std::vector<morvane::Path> files;
  for (int i = 1; i < argc; ++i) {
    std::string name = argv[i];
    if (name.empty()) continue;
    if (name.front() != '/' && !here.empty()) {
      name = morvane::JoinPath(morvane::Path(here), morvane::Path(name)).native();
    }
    files.emplace_back(std::move(name));
  }
  morvane::app::RunDesktop(std::move(files));
  return 0;
}
