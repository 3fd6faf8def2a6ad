// SPDX-License-Identifier: MIT
#include "engine/natural_order.h"

#include <unicode/coll.h>
#include <unicode/unistr.h>

#include <algorithm>
#include <memory>
#include <string>

namespace morvane {

void SortNaturally(std::vector<Path>& paths) {
  const auto nameOf = [](const Path& path) {
    const std::string shown = DisplayName(path);
    return icu::UnicodeString::fromUTF8(shown.substr(shown.rfind(kPathSeparator) + 1));
  };
  UErrorCode status = U_ZERO_ERROR;
  std::unique_ptr<icu::Collator> collator(
      icu::Collator::createInstance(icu::Locale::getChinese(), status));
  if (U_FAILURE(status) || !collator) return;  // the system's order, then
  collator->setAttribute(UCOL_NUMERIC_COLLATION, UCOL_ON, status);
  collator->setStrength(icu::Collator::SECONDARY);  // case aside
  std::stable_sort(paths.begin(), paths.end(), [&](const Path& a, const Path& b) {
    UErrorCode compared = U_ZERO_ERROR;
    return collator->compare(nameOf(a), nameOf(b), compared) == UCOL_LESS;
  });
}

}  // namespace morvane
