// SPDX-License-Identifier: MIT
#pragma once
// The order a reader counts files in: "2.txt" before "10.txt", 第2章 before 第10章, for the
// files of a folder, which the system lists in an order of its own. Files dropped on a
// window arrive sorted so by the toolkit (QCollator, StrCmpLogicalW); a folder is listed
// by the presenters, where neither is at hand, and ICU's collation is left out of the
// Windows build, so the rule is this one: runs of digits compare by their value, the rest
// character by character, letters A-Z as a-z.

#include <string_view>
#include <vector>

#include "core/path.h"

namespace morvane {

// Whether name a comes before name b (UTF-8).
bool NaturallyBefore(std::string_view a, std::string_view b);

// Sorts paths by their file names (as shown) in natural order; names equal by it keep
// their order.
void SortNaturally(std::vector<Path>& paths);

}  // namespace morvane
