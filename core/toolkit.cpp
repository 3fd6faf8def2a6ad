// SPDX-License-Identifier: MIT
#include "core/toolkit.h"

namespace morvane {

void Toolkit::SetPath(PathControl control, const Path& path) {
  const ByteText shown = DisplayNameGbk(path);
  // Kept before the text is set: setting it fires routines that may read the path.
  shownPaths_.insert_or_assign(std::string(control.name()), std::make_pair(shown, path));
  SetText(TextOf(control), shown);
}

std::optional<Path> Toolkit::PathIn(PathControl control) const {
  auto found = shownPaths_.find(control.name());
  if (found == shownPaths_.end() || Text(TextOf(control)) != found->second.first)
    return std::nullopt;
  return found->second.second;
}

TypedName Toolkit::TypedPathIn(PathControl control) const {
  if (auto path = PathIn(control)) return {*path, {}};
  return PathFromTyped(Text(TextOf(control)));
}

std::string Toolkit::Setting(std::string_view key) const {
  const auto found = settings_.find(key);
  return found == settings_.end() ? std::string() : found->second;
}

void Toolkit::SetSetting(std::string_view key, const std::string& value) {
  settings_[std::string(key)] = value;
}

}  // namespace morvane
