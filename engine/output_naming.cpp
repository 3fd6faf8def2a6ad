// SPDX-License-Identifier: MIT
#include "engine/output_naming.h"

#include <string>

namespace morvane {

Path PieceFileName(const Path& prefix, int number) {
  std::string suffix = "-";
  suffix += std::to_string(number);
  suffix += ".txt";
  return WithSuffix(prefix, suffix);
}

Path MergedFileName(const Path& prefix) {
  return WithSuffix(prefix, "已合并.txt");
}

Path BookFileName(const Path& prefix) {
  return WithSuffix(prefix, ".epub");
}

Path PiecePath(const OutputTarget& target, int number) {
  return JoinPath(target.folder, PieceFileName(target.prefix, number));
}

Path MergedPath(const OutputTarget& target) {
  return JoinPath(target.folder, MergedFileName(target.prefix));
}

Path BaseNameOf(const Path& path) {
  return StemOf(path);
}

}  // namespace morvane
