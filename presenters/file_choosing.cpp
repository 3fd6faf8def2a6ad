// SPDX-License-Identifier: MIT
#include "presenters/file_choosing.h"

#include "engine/messages.h"

namespace morvane {

std::optional<ChosenFile> ChooseAndReadFile(Toolkit& ui, FileDialog dialog, std::int64_t askAbove,
                                            std::optional<Encoding> encoding) {
  if (!ui.ShowFileDialog(dialog)) return std::nullopt;
  const Path path = ui.DialogFileName(dialog);
  const std::int64_t size = FileSizeOf(path);
  // A file too large for any text is refused by the read below, without a question.
  if (askAbove >= 0 && size > askAbove && size <= kMaxTextBytes &&
      ui.ShowMessageBox(messages::LargeTextForSimpleCut(size), kYesNo, messages::HintCaption()) !=
          kAnswerYes) {
    return std::nullopt;
  }
  return ReadChosenFile(ui, path, encoding);
}

std::optional<ChosenFile> ReadChosenFile(Toolkit& ui, const Path& path,
                                         std::optional<Encoding> encoding) {
  ChosenFile file{path, {}};
  if (FileSizeOf(path) > kLongWorkBytes) {
    bool stopped = false;
    ui.RunLongWork({0, 0}, [&](Progress& progress) {
      file.read = ReadTextFile(file.path, ReadMode::kCopy, encoding);
      stopped = progress.StopRequested();
    });
    if (stopped) return std::nullopt;
  } else {
    file.read = ReadTextFile(file.path, ReadMode::kCopy, encoding);
  }
  if (!file.read.ok()) {
    ui.ShowMessageBox(messages::CannotReadFile(file.path, file.read), 0,
                      messages::WarningCaption());
    return std::nullopt;
  }
  return file;
}

void WarnIfEndedEarly(Toolkit& ui, const ChosenFile& file) {
  if (file.read.EndedEarly()) {
    ui.ShowMessageBox(messages::TextEndedEarly(file.path, file.read), 0,
                      messages::WarningCaption());
  }
}

}  // namespace morvane
