// SPDX-License-Identifier: MIT
// What each command reads and where it writes, from its arguments alone, and the run of a
// command by that declaration. The declaration is the whole list of the files a command
// reads: the output checks take their inputs from it and from nowhere else.

#include <type_traits>

#include "cli/commands.h"

namespace morvane::cli {
namespace {

// The paths of the command line as the system gave them.
std::vector<Path> PathsOf(std::initializer_list<const std::string*> given) {
  std::vector<Path> paths;
  for (const std::string* path : given) {
    if (!path->empty()) paths.push_back(PathFromUtf8(*path));
  }
  return paths;
}

// The files after the first of a batch: no output of the batch may replace any of them.
RunFiles WithMore(RunFiles files, const std::vector<std::string>& more) {
  for (const std::string& file : more) files.inputs.push_back(PathFromUtf8(file));
  return files;
}

}  // namespace

RunFiles FilesOf(const CutCommand& command) {
  return WithMore({PathsOf({&command.file}), FolderOf(command.output.folder), Path()},
                  command.more);
}

RunFiles FilesOf(const ChaptersCommand& command) {
  const ChapterArgs& chapters = command.chapters;
  // --list prints the map and writes no file.
  return WithMore({PathsOf({&command.file, &chapters.map}),
                   chapters.list ? Path() : FolderOf(command.output.folder), Path()},
                  command.more);
}

RunFiles FilesOf(const EpubCommand& command) {
  const EpubArgs& epub = command.epub;
  return WithMore({PathsOf({&command.file, &epub.map, &epub.cover, &epub.css, &epub.rules}),
                   FolderOf(command.output.folder), Path()},
                  command.more);
}

RunFiles FilesOf(const MergeCommand& command) {
  RunFiles files{{}, FolderOf(command.output.folder), Path()};
  for (const std::string& file : command.files) files.inputs.push_back(PathFromUtf8(file));
  return files;
}

RunFiles FilesOf(const CleanCommand& command) {
  const CleanArgs& clean = command.clean;
  // --report and no --out write to standard output only; --out-dir into a folder.
  if (!clean.outDir.empty()) {
    return WithMore({PathsOf({&command.file, &clean.rules}), FolderOf(clean.outDir), Path()},
                    command.more);
  }
  return {PathsOf({&command.file, &clean.rules}), Path(),
          clean.report ? Path() : PathFromUtf8(clean.out)};
}

RunFiles FilesOf(const DetectCommand& command) {
  RunFiles files;
  for (const std::string& file : command.files) files.inputs.push_back(PathFromUtf8(file));
  return files;
}

RunFiles FilesOf(const BannerCommand&) {
  return {};
}

int Run(const Command& command) {
  return std::visit(
      [](const auto& given) {
        const RunFiles files = FilesOf(given);
        using Given = std::decay_t<decltype(given)>;
        if constexpr (std::is_same_v<Given, CutCommand>) {
          if (!given.more.empty()) return RunCutBatch(given, files);
          return given.kilobytes ? RunNormalCut(given.size, given.output, given.file, files)
                                 : RunSimpleCut(given.size, given.output, given.file, files);
        } else if constexpr (std::is_same_v<Given, ChaptersCommand>) {
          if (!given.more.empty()) return RunChaptersBatch(given, files);
          return RunChapters(given.output, given.chapters, given.file, files);
        } else if constexpr (std::is_same_v<Given, EpubCommand>) {
          if (!given.more.empty()) return RunEpubBatch(given, files);
          return RunEpub(given.output, given.epub, given.file, files);
        } else if constexpr (std::is_same_v<Given, MergeCommand>) {
          return RunMerge(given.output, given.files, files);
        } else if constexpr (std::is_same_v<Given, CleanCommand>) {
          if (!given.clean.outDir.empty()) return RunCleanBatch(given, files);
          return RunClean(given.clean, given.file, files);
        } else if constexpr (std::is_same_v<Given, DetectCommand>) {
          return RunDetect(given.files);
        } else {
          static_assert(std::is_same_v<Given, BannerCommand>, "a command without its run");
          return RunBanner();
        }
      },
      command);
}

}  // namespace morvane::cli
