// SPDX-License-Identifier: MIT
#pragma once
// Output naming: where every writing operation puts its files. Numbered files are
// folder/prefix-N.txt, the merged file folder/prefix已合并.txt.

#include "core/path.h"

namespace morvane {

// Where an operation writes: the save folder (never ending with a separator, except the
// root "/") and the file-name prefix, both as the file system spells them (path.h).
struct OutputTarget {
  Path folder;
  Path prefix;
};

// prefix "-" number ".txt": PieceFileName("a", 12) is "a-12.txt".
Path PieceFileName(const Path& prefix, int number);
// prefix "已合并.txt" (the suffix in the file system's encoding).
Path MergedFileName(const Path& prefix);
// prefix ".epub": the book.
Path BookFileName(const Path& prefix);
Path PiecePath(const OutputTarget& target, int number);
Path MergedPath(const OutputTarget& target);

// The prefix for an opened file: its name between the last separator and the last dot
// (StemOf in path.h). "/in/第一卷.part.txt" gives "第一卷.part".
Path BaseNameOf(const Path& path);

}  // namespace morvane
