// SPDX-License-Identifier: MIT
// The checks that run before an operation writes its first file. Without them a missing
// folder or an impossible name would fail file after file, and a prefix naming the
// input would replace the very file being cut.

#include <algorithm>
#include <cerrno>
#include <string>
#include <vector>

#include "core/files.h"
#include "engine/messages.h"
#include "engine/output_checks.h"

namespace morvane {
namespace {

Path FileNameOf(const OutputPlan& plan, int number) {
  if (plan.name) return plan.name(number);
  return plan.merged ? MergedFileName(plan.target.prefix)
                     : PieceFileName(plan.target.prefix, number);
}

Path PathOf(const OutputPlan& plan, int number) {
  return JoinPath(plan.target.folder, FileNameOf(plan, number));
}

// The message for a save folder the system will not take, or nothing.
std::optional<std::string> RefuseFolder(const Path& folder) {
  const int reason = FolderRefusal(folder);
  if (reason == 0) return std::nullopt;
  if (reason == ENAMETOOLONG) return messages::PathTooLong(folder);
  return messages::FolderNotWritable(folder);
}

}  // namespace

std::size_t FileNameLimit(const Path& folder) {
  // A name must fit the folder's file system and, after the folder and a separator, the
  // longest path the system takes; a title name is shortened to both.
  const std::size_t used = folder.native().size() + 1;
  const std::size_t room = used < PathLimit() ? PathLimit() - 1 - used : 0;
  return std::min(NameLimit(folder), room);
}

namespace {

std::optional<std::string> CheckOutputs(const OutputPlan& plan, std::span<const Path> inputs) {
  if (auto refusal = RefuseFolder(plan.target.folder)) return refusal;
  // From here on the run reaches its folder through one descriptor, whatever becomes of
  // the folder's path.
  if (WriteInto(plan.target.folder) != 0) return messages::FolderNotWritable(plan.target.folder);
  if (HasSeparator(plan.target.prefix)) return messages::PrefixHasSeparator(plan.target.prefix);

  // Numbered names differ only in the ASCII number, so the one with the most digits (the
  // last) stands for all. Named files (titles) differ in more than the number: each is
  // looked at.
  const int highest = plan.merged ? 0 : std::max(plan.first, plan.last);
  const int lowest = plan.name ? plan.first : highest;
  const std::size_t nameLimit = NameLimit(plan.target.folder);
  for (std::int64_t looked = lowest; looked <= highest; ++looked) {
    const int number = static_cast<int>(looked);
    const Path name = FileNameOf(plan, number);
    if (HasSeparator(name)) return messages::PrefixHasSeparator(plan.target.prefix);
    if (name.native().size() > nameLimit) return messages::NameTooLong(name);
    if (IsDeviceName(name)) return messages::DeviceName(name);
    const Path path = PathOf(plan, number);
    if (path.native().size() >= PathLimit()) return messages::PathTooLong(path);
  }

  // Every input is compared with every existing output by device and inode, links
  // followed, whatever file system each lives on: a link in the folder can name a file
  // anywhere. The writes compare again at the moment each file gets its name.
  std::vector<FileIdentity> kept;
  for (const Path& input : inputs) {
    if (auto id = IdentityOf(input)) kept.push_back(*id);
  }
  KeepUnchanged(kept);

  // Every name is looked at before the first write, so that an operation writes all its
  // files or none: an existing name that cannot be replaced would otherwise fail alone.
  const int first = plan.merged ? 0 : plan.first;
  const int last = plan.merged ? 0 : plan.last;
  for (std::int64_t number = first; number <= last; ++number) {
    const Path output = PathOf(plan, static_cast<int>(number));
    if (NothingStandsAt(output)) continue;
    const auto id = OutputIdentityOf(output);
    if (id && std::find(kept.begin(), kept.end(), *id) != kept.end()) {
      return messages::WouldOverwriteInput(output);
    }
    if (int reason = ReplaceRefusal(output)) return messages::CannotReplaceOutput(output, reason);
  }
  RemoveStaleTemporaries(plan.target.folder);
  return std::nullopt;
}

}  // namespace

std::optional<std::string> RefuseOutputs(const OutputPlan& plan, const RunFiles& files) {
  auto refusal = CheckOutputs(plan, files.inputs);
  if (refusal) EndWrites();
  return refusal;
}

OutputPlan SingleFilePlan(const Path& file) {
  // The name is what follows the last separator ('/' everywhere, '\\' on Windows too).
  const auto& native = file.native();
  std::size_t start = native.size();
  while (start > 0 && native[start - 1] != '/' && native[start - 1] != kPathSeparator) --start;
  const Path name(native.substr(start));
  return {{FolderPart(file), Path()}, false, 1, 1, [name](int) { return name; }};
}

}  // namespace morvane
