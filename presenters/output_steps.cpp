// SPDX-License-Identifier: MIT
#include "presenters/output_steps.h"

#include "core/system_folders.h"
#include "engine/messages.h"
#include "presenters/control_names.h"

namespace morvane {

TypedName PathOfBox(const Toolkit& ui, PathControl box) {
  return ui.TypedPathIn(box);
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

std::optional<std::string> RefuseOutputs(Toolkit& ui, const OutputPlan& plan,
                                         const RunFiles& files) {
  std::optional<std::string> refusal;
  bool stopped = false;
  ui.RunLongWork({}, [&](Progress& progress) {
    refusal = RefuseOutputs(plan, files);
    stopped = progress.StopRequested();
  });
  if (stopped) return messages::Cancelled();
  return refusal;
}

void ShowOutcome(Toolkit& ui, const WriteReport& report, const std::string& done,
                 const std::string& caption) {
  if (report.cancelled()) {
    ui.ShowMessageBox(messages::Cancelled(), 0, messages::HintCaption());
    return;
  }
  if (report.ok()) {
    ui.ShowCompletion(done, caption, report.folder());
    return;
  }
  ui.ShowMessageBox(report.folderMoved()
                        ? messages::OutputFolderMoved(report.folder())
                        : messages::WritesFailed(report.failures(), report.firstFailedPath(),
                                                 report.firstFailure()),
                    0, messages::WarningCaption());
}

}  // namespace morvane
