#include "engine/output_naming.h"

#include "core/gbk.h"
#include "core/numbers.h"
#include "core/system_folders.h"
#include "engine/control_names.h"
#include "engine/messages.h"

namespace morvane {
namespace {

const ByteText& Separator() {
  static const ByteText text(std::string(1, kPathSeparator));
  return text;
}

}  // namespace

ByteText JoinPath(const ByteText& folder, const ByteText& name) {
  if (folder == Separator()) return Concat({folder, name});
  return Concat({folder, Separator(), name});
}

ByteText PieceFileName(const ByteText& prefix, int number) {
  static const ByteText dash("-");
  static const ByteText extension(".txt");
  return Concat({prefix, dash, ToText(number), extension});
}

ByteText MergedFileName(const ByteText& prefix) {
  return Concat({prefix, messages::MergedSuffix()});
}

ByteText PiecePath(const OutputTarget& target, int number) {
  return JoinPath(target.folder, PieceFileName(target.prefix, number));
}

ByteText MergedPath(const OutputTarget& target) {
  return JoinPath(target.folder, MergedFileName(target.prefix));
}

ByteText BaseNameOf(const ByteText& path) {
  static const ByteText dot(".");
  const int dotAt = FindTextBackward(path, dot);
  const int slashAt = FindTextBackward(path, Separator());
  const ByteText name = RightText(path, TextLength(path) - slashAt);
  return LeftText(name, dotAt - slashAt - 1);
}

OutputTarget OutputTargetOf(const Toolkit& ui) {
  return {ui.Text(names::kSaveLocationBox), ui.Text(names::kPrefixBox)};
}

ByteText PiecePath(const Toolkit& ui, int number) {
  return PiecePath(OutputTargetOf(ui), number);
}

ByteText MergedPath(const Toolkit& ui) {
  return MergedPath(OutputTargetOf(ui));
}

bool ConfirmOutputFolder(Toolkit& ui, AppState& state, const ByteText& folder) {
  if (folder == state.systemFolderAllowed || !IsSystemFolder(NativePath(folder))) return true;
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
