// SPDX-License-Identifier: MIT
// The entry point on Windows: the arguments come as UTF-16 (the W form of the command
// line), so that a file name holding any character reaches the program whole, whatever
// the console's code page. The program takes them in UTF-8.

#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cstdio>

#include <string>
#include <vector>

namespace morvane::cli {
int RunCommandLine(int argc, char** argv);
}  // namespace morvane::cli

int wmain(int argc, wchar_t** argv) {
  // Output is bytes: a cleaned text keeps its CR LF, and "\n" stays one byte.
  _setmode(_fileno(stdout), _O_BINARY);
  _setmode(_fileno(stderr), _O_BINARY);
  std::vector<std::string> arguments;
  for (int i = 0; i < argc; ++i) {
    const int n = WideCharToMultiByte(CP_UTF8, 0, argv[i], -1, nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<std::size_t>(n > 0 ? n : 1), '\0');
    if (n > 0) WideCharToMultiByte(CP_UTF8, 0, argv[i], -1, utf8.data(), n, nullptr, nullptr);
    utf8.resize(utf8.size() - 1);  // the terminating zero
    arguments.push_back(std::move(utf8));
  }
  std::vector<char*> pointers;
  for (std::string& argument : arguments) pointers.push_back(argument.data());
  pointers.push_back(nullptr);
  return morvane::cli::RunCommandLine(argc, pointers.data());
}
