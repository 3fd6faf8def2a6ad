#include "engine/file_choosing.h"

#include "engine/messages.h"

namespace morvane {

std::optional<ChosenFile> ChooseAndReadFile(Toolkit& ui, std::string_view dialog) {
  if (!ui.ShowFileDialog(dialog)) return std::nullopt;
  ChosenFile file{ui.DialogFileName(dialog), {}};
  // A file of a gigabyte takes a while to read: off the window's thread. The read itself
  // cannot stop half-way; a stop request discards what it read.
  bool stopped = false;
  ui.RunLongWork({}, [&](Progress& progress) {
    file.read = ReadTextFile(file.path, ReadMode::kCopy);
    stopped = progress.StopRequested();
  });
  if (stopped) return std::nullopt;
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
