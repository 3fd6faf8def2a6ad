// SPDX-License-Identifier: MIT
#include "engine/natural_order.h"

#include <algorithm>
#include <string>

namespace morvane {
namespace {

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

char Folded(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// -1, 0 or 1 as a is before, equal to or after b.
int Compare(std::string_view a, std::string_view b) {
  std::size_t i = 0;
  std::size_t j = 0;
  while (i < a.size() && j < b.size()) {
    if (IsDigit(a[i]) && IsDigit(b[j])) {
      // Numbers by value: leading zeros aside, the longer is larger, else the first digit
      // that differs says.
      std::size_t endA = i;
      std::size_t endB = j;
      while (endA < a.size() && IsDigit(a[endA])) ++endA;
      while (endB < b.size() && IsDigit(b[endB])) ++endB;
      std::size_t fromA = i;
      std::size_t fromB = j;
      while (fromA + 1 < endA && a[fromA] == '0') ++fromA;
      while (fromB + 1 < endB && b[fromB] == '0') ++fromB;
      const std::string_view numberA = a.substr(fromA, endA - fromA);
      const std::string_view numberB = b.substr(fromB, endB - fromB);
      if (numberA.size() != numberB.size()) return numberA.size() < numberB.size() ? -1 : 1;
      if (const int order = numberA.compare(numberB); order != 0) return order < 0 ? -1 : 1;
      i = endA;
      j = endB;
      continue;
    }
    // UTF-8 bytes in order are characters in code point order.
    const auto x = static_cast<unsigned char>(Folded(a[i]));
    const auto y = static_cast<unsigned char>(Folded(b[j]));
    if (x != y) return x < y ? -1 : 1;
    ++i;
    ++j;
  }
  const bool aLeft = i < a.size();
  const bool bLeft = j < b.size();
  return aLeft == bLeft ? 0 : aLeft ? 1 : -1;
}

}  // namespace

bool NaturallyBefore(std::string_view a, std::string_view b) {
  return Compare(a, b) < 0;
}

void SortNaturally(std::vector<Path>& paths) {
  const auto nameOf = [](const Path& path) {
    const std::string shown = DisplayName(path);
    return shown.substr(shown.rfind(kPathSeparator) + 1);
  };
  std::stable_sort(paths.begin(), paths.end(), [&](const Path& a, const Path& b) {
    return NaturallyBefore(nameOf(a), nameOf(b));
  });
}

}  // namespace morvane
