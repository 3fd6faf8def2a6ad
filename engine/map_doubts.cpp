// SPDX-License-Identifier: MIT
#include "engine/map_doubts.h"

#include <algorithm>

namespace morvane {

std::size_t FlaggedHeadings(const ChapterMap& map) {
  return static_cast<std::size_t>(
      std::count_if(map.entries.begin(), map.entries.end(),
                    [](const ChapterEntry& entry) { return entry.flags() != 0; }));
}

std::optional<MapDoubt> DoubtOf(const ChapterMap& map) {
  const MapDoubt doubt{map.size(), FlaggedHeadings(map)};
  if (doubt.headings < 3 || doubt.flagged * 20 > doubt.headings) return doubt;
  return std::nullopt;
}

bool SameHeadings(const ChapterMap& a, const ChapterMap& b) {
  return std::equal(
      a.entries.begin(), a.entries.end(), b.entries.begin(), b.entries.end(),
      [](const ChapterEntry& x, const ChapterEntry& y) { return x.offset() == y.offset(); });
}

}  // namespace morvane
