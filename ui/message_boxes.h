// SPDX-License-Identifier: MIT
#pragma once
// What the message boxes of every toolkit (Qt, Win32 and the tests' in-memory one) share:
// the caption of a box that is given none.

#include <string>

namespace morvane::ui {

// "信息：", UTF-8 as every message text is.
inline const std::string kDefaultCaption = "信息：";

inline const std::string& CaptionOrDefault(const std::string& caption) {
  return caption.empty() ? kDefaultCaption : caption;
}

}  // namespace morvane::ui
