// SPDX-License-Identifier: MIT
#pragma once
// The order a reader counts files in: "2.txt" before "10.txt", 第2章 before 第10章 (ICU's
// collation of Chinese with numbers compared by value), for the files of a folder, which
// the system lists in an order of its own.

#include <vector>

#include "core/path.h"

namespace morvane {

// Sorts paths by their file names (as shown) in natural order; names the collation finds
// equal keep their order.
void SortNaturally(std::vector<Path>& paths);

}  // namespace morvane
