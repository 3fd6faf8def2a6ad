// SPDX-License-Identifier: MIT
#pragma once
// Runs a program as a child process, as a user would from a shell: in a given folder,
// with empty standard input, its standard output and error captured.

#include <string>
#include <vector>

namespace morvane::testing {

struct ProgramRun {
  int exitCode = -1;  // -1 when it did not end by itself (a signal, no start)
  std::string out;
  std::string err;
};

// args in UTF-8; program is a native path.
ProgramRun RunProgram(const std::string& program, const std::vector<std::string>& args,
                      const std::string& cwd);

}  // namespace morvane::testing
