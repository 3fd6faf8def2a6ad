// SPDX-License-Identifier: MIT
#pragma once
// Whether a chapter map looks wrong: the test behind the chapter-map window's offer of the
// automatic rule and behind the warning of morvane-cli epub.

#include <cstddef>
#include <optional>

#include "engine/chapter_map.h"

namespace morvane {

// Why a map looks wrong: how many headings it has, and how many of them are flagged.
struct MapDoubt {
  std::size_t headings = 0;
  std::size_t flagged = 0;
};

// The headings of map with a flag.
std::size_t FlaggedHeadings(const ChapterMap& map);

// A map looks wrong with fewer than three headings (a novel has more; the rule found
// none of its kind), or with more than one in twenty flagged (numbers that skip or repeat,
// chapters far too long or short: body lines taken for headings). Nothing when it looks
// right.
std::optional<MapDoubt> DoubtOf(const ChapterMap& map);
inline bool MapLooksWrong(const ChapterMap& map) {
  return DoubtOf(map).has_value();
}

// Whether two maps of one text have their headings at the same places: another rule that
// finds the same has nothing to offer.
bool SameHeadings(const ChapterMap& a, const ChapterMap& b);

}  // namespace morvane
