// The checks that run before an operation writes its first file. Without them a missing
// folder or an impossible name would fail file after file, and a prefix naming the
// input would replace the very file being cut.

#include <algorithm>
#include <string>
#include <vector>

#include "core/file_facts.h"
#include "core/files.h"
#include "core/gbk.h"
#include "engine/messages.h"
#include "engine/output_naming.h"

namespace morvane {
namespace {

ByteText FileNameOf(const OutputPlan& plan, int number) {
  if (!plan.names.empty()) return plan.names[static_cast<std::size_t>(number)];
  return plan.merged ? MergedFileName(plan.target.prefix)
                     : PieceFileName(plan.target.prefix, number);
}

ByteText PathOf(const OutputPlan& plan, int number) {
  return JoinPath(plan.target.folder, FileNameOf(plan, number));
}

}  // namespace

std::size_t FileNameLimit(const ByteText& folder) {
  return NameLimit(NativePath(folder));
}

std::optional<ByteText> RefuseOutputs(const OutputPlan& plan, std::span<const ByteText> inputs) {
  const std::string folder = NativePath(plan.target.folder);
  if (!IsWritableFolder(folder)) return messages::FolderNotWritable(plan.target.folder);

  // Names differ only in the ASCII number, so the one with the most digits (the last)
  // stands for all: what the system makes of the prefix is the same in each. The check
  // looks at the name as the system sees it (UTF-8 on POSIX), where a separator is a
  // separator whatever GBK bytes it came from.
  // Named files (titles) differ in more than the number: each is looked at.
  std::vector<int> looked = {plan.merged ? 0 : std::max(plan.first, plan.last)};
  if (!plan.names.empty()) {
    looked.clear();
    for (std::size_t i = 0; i < plan.names.size(); ++i) looked.push_back(static_cast<int>(i));
  }
  for (const int number : looked) {
    const ByteText name = FileNameOf(plan, number);
    const std::string nativeName = NativePath(name);
    if (nativeName.find('/') != std::string::npos ||
        nativeName.find(kPathSeparator) != std::string::npos) {
      return messages::PrefixHasSeparator(plan.target.prefix);
    }
    const ByteText path = PathOf(plan, number);
    if (nativeName.size() > NameLimit(folder) || NativePath(path).size() >= PathLimit()) {
      return messages::NameTooLong(name);
    }
  }

  std::vector<FileIdentity> inputIds;
  for (const ByteText& input : inputs) {
    if (auto id = IdentityOf(NativePath(input))) inputIds.push_back(*id);
  }
  const auto folderId = IdentityOf(folder);
  // An output can only be an input on the folder's own device.
  std::erase_if(inputIds,
                [&](const FileIdentity& id) { return !folderId || id.volume != folderId->volume; });

  // Every name is looked at before the first write, so that an operation writes all its
  // files or none: an existing name that cannot be replaced would otherwise fail alone.
  const int first = plan.merged || !plan.names.empty() ? 0 : plan.first;
  const int last = plan.merged          ? 0
                   : plan.names.empty() ? plan.last
                                        : static_cast<int>(plan.names.size()) - 1;
  for (std::int64_t number = first; number <= last; ++number) {
    const ByteText output = PathOf(plan, static_cast<int>(number));
    if (!inputIds.empty()) {
      const auto id = IdentityOf(NativePath(output));
      if (id && std::find(inputIds.begin(), inputIds.end(), *id) != inputIds.end()) {
        return messages::WouldOverwriteInput(output);
      }
    }
    if (ReplaceRefusal(output) != 0) return messages::CannotReplaceOutput(output);
  }
  return std::nullopt;
}

}  // namespace morvane
