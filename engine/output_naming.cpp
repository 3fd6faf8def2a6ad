#include "engine/output_naming.h"

#include <string>

#include "core/system_folders.h"
#include "engine/control_names.h"
#include "engine/messages.h"

namespace morvane {
TypedName PathOfBox(const Toolkit& ui, std::string_view box) {
  return ui.TypedPathIn(box);
}

Path PieceFileName(const Path& prefix, int number) {
  std::string suffix = "-";
  suffix += std::to_string(number);
  suffix += ".txt";
  return WithSuffix(prefix, suffix);
}

Path MergedFileName(const Path& prefix) {
  return WithSuffix(prefix, "已合并.txt");
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

std::optional<OutputTarget> OutputTargetOf(Toolkit& ui) {
  const TypedName folder = PathOfBox(ui, names::kSaveLocationBox);
  const TypedName prefix = PathOfBox(ui, names::kPrefixBox);
  for (const TypedName* typed : {&folder, &prefix}) {
    if (!typed->ok()) {
      ui.ShowMessageBox(messages::NameUnrepresentable(typed->unrepresentable), 0,
                        messages::WarningCaption());
      return std::nullopt;
    }
  }
  return OutputTarget{folder.path, prefix.path};
}

bool ConfirmOutputFolder(Toolkit& ui, AppState& state, const Path& folder) {
  if (folder == state.systemFolderAllowed || !IsSystemFolder(folder)) return true;
  const int answer =
      ui.ShowMessageBox(messages::WriteIntoSystemFolder(folder), kYesNo, messages::HintCaption());
  if (answer != kAnswerYes) return false;
  state.systemFolderAllowed = folder;
  return true;
}

bool RequireSaveFolder(Toolkit& ui, AppState& /*state*/) {
  if (!ui.Text(names::kSaveLocationBox).empty()) return true;
  ui.ShowMessageBox(messages::ChooseSaveFolderFirst());
  ui.LoadWindow(names::kSaveLocationWindow, names::kMainWindow, /*modal=*/true);
  return false;
}

}  // namespace morvane
