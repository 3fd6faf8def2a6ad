// SPDX-License-Identifier: MIT
#pragma once
// Many files at once, for every command that takes them (cut, chapters, epub, clean
// --out-dir): each file is run exactly as it would be alone, a few workers side by side,
// since one file leaves cores idle while it is read and searched. Every file is tried: one
// that fails is told on standard error and the others go on. Standard output gets one line
// per file, in the order of the files, as soon as it and those before it are done:
// "file<TAB>encoding[<TAB>N 章<TAB>doubts]<TAB>成功|失败".

#include <functional>
#include <string>
#include <vector>

#include "cli/commands.h"

namespace morvane::cli {

struct Batch {
  std::vector<std::string> files;  // as the command line gave them
  int jobs = 1;                    // files run side by side
  bool chapters = false;           // the lines have the chapters and doubts columns
  // Where each file writes, as one path its own (its folder or its file); two files with
  // the same one would write over each other, and the later one is not run.
  std::function<std::string(const std::string& file)> output;
  // Runs one file, given its output.
  std::function<FileOutcome(const std::string& file, const std::string& output)> run;
};

// Runs the batch; 0 when every file succeeded and every line was printed, else 1.
int RunBatch(const Batch& batch);

// The name of file without its folder: "甲/乙.txt" gives "乙.txt".
std::string FileNameOf(const std::string& file);
// The name of file without its folder and its last extension, as the default prefix is
// (BaseNameOf): "甲/乙.part.txt" gives "乙.part", "甲/乙" gives "".
std::string StemOfName(const std::string& file);
// folder (as --out gives it, separators at its end or not) joined with name.
std::string Within(const std::string& folder, const std::string& name);

}  // namespace morvane::cli
