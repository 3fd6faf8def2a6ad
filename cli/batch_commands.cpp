// SPDX-License-Identifier: MIT
// The commands of many files: where each file's outputs go under the output folder, and
// the run of each as one file alone runs (batch_runner.h runs them side by side).
//   cut, chapters: a folder of its own for each file, named after it without its extension
//                  ("甲.txt" into DIR/甲/), made when missing, since a cut writes many files
//                  with the same numbers;
//   epub:          the book, DIR/甲.epub, as for one file;
//   clean:         the cleaned text under the file's own name, DIR/甲.txt.

#include <cerrno>

#include "cli/batch_runner.h"
#include "cli/command_inputs.h"
#include "cli/terminal.h"
#include "core/files.h"
#include "engine/messages.h"

namespace morvane::cli {
namespace {

// The folder of a file's cut: its name without the extension, or the whole name when it
// has none.
std::string CutFolderOf(const OutputArgs& output, const std::string& file) {
  const std::string stem = StemOfName(file);
  return Within(output.folder, stem.empty() ? FileNameOf(file) : stem);
}

// Runs cut into the file's own folder, made now (and taken away again, empty, when the
// file fails).
FileOutcome InOwnFolder(const std::string& folder,
                        const std::function<FileOutcome(const OutputArgs&)>& cut,
                        const OutputArgs& output) {
  const Path path = PathFromUtf8(folder);
  const int made = MakeFolder(path);
  if (made != 0 && made != EEXIST) {
    // A missing output folder is named as the user gave it, not the one made in it.
    PrintMessage(messages::FolderNotWritable(made == ENOENT ? FolderOf(output.folder) : path));
    return {};
  }
  OutputArgs own = output;
  own.folder = folder;
  FileOutcome outcome = cut(own);
  if (outcome.exitCode != 0 && made == 0) RemoveEmptyFolder(path);
  return outcome;
}

}  // namespace

int RunCutBatch(const CutCommand& command, const RunFiles& files) {
  Batch batch;
  batch.files = {command.file};
  batch.files.insert(batch.files.end(), command.more.begin(), command.more.end());
  batch.jobs = command.jobs;
  batch.output = [&](const std::string& file) { return CutFolderOf(command.output, file); };
  batch.run = [&](const std::string& file, const std::string& folder) {
    return InOwnFolder(
        folder,
        [&](const OutputArgs& own) {
          return CutFile(command.size, command.kilobytes, own, file, files);
        },
        command.output);
  };
  return RunBatch(batch);
}

int RunChaptersBatch(const ChaptersCommand& command, const RunFiles& files) {
  Batch batch;
  batch.files = {command.file};
  batch.files.insert(batch.files.end(), command.more.begin(), command.more.end());
  batch.jobs = command.jobs;
  batch.chapters = true;
  batch.output = [&](const std::string& file) { return CutFolderOf(command.output, file); };
  batch.run = [&](const std::string& file, const std::string& folder) {
    return InOwnFolder(
        folder,
        [&](const OutputArgs& own) { return ChaptersOfFile(own, command.chapters, file, files); },
        command.output);
  };
  return RunBatch(batch);
}

int RunEpubBatch(const EpubCommand& command, const RunFiles& files) {
  Batch batch;
  batch.files = {command.file};
  batch.files.insert(batch.files.end(), command.more.begin(), command.more.end());
  batch.jobs = command.jobs;
  batch.chapters = true;
  batch.output = [&](const std::string& file) {
    return Within(command.output.folder, StemOfName(file) + ".epub");
  };
  batch.run = [&](const std::string& file, const std::string&) {
    return MakeBook(command.output, command.epub, file, files);
  };
  return RunBatch(batch);
}

int RunCleanBatch(const CleanCommand& command, const RunFiles& files) {
  // Each file's result is a file named whole, the input's own name in the folder.
  const auto clean = [&](const std::string& file, const std::string& output) {
    CleanArgs args = command.clean;
    args.out = output;
    RunFiles own = files;
    own.folder = Path();
    own.file = PathFromUtf8(output);
    return CleanFile(args, file, own);
  };
  const auto outputOf = [&](const std::string& file) {
    return Within(command.clean.outDir, FileNameOf(file));
  };
  if (command.more.empty()) return clean(command.file, outputOf(command.file)).exitCode;
  Batch batch;
  batch.files = {command.file};
  batch.files.insert(batch.files.end(), command.more.begin(), command.more.end());
  batch.jobs = command.jobs;
  batch.output = outputOf;
  batch.run = clean;
  return RunBatch(batch);
}

}  // namespace morvane::cli
