// SPDX-License-Identifier: MIT
#include "presenters/batch_books.h"

#include <algorithm>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <variant>
#include <vector>

#include "core/encoding.h"
#include "core/files.h"
#include "core/folder_listing.h"
#include "core/gbk.h"
#include "engine/default_book.h"
#include "engine/epub_writing.h"
#include "engine/map_doubts.h"
#include "engine/messages.h"
#include "engine/natural_order.h"
#include "engine/output_checks.h"
#include "engine/output_naming.h"
#include "engine/output_writing.h"
#include "presenters/control_names.h"
#include "presenters/output_steps.h"

namespace morvane {

using namespace names;
namespace {

// One file of the list: what its listing found, then what 转换 made of it.
struct BatchFile {
  Path path;
  std::optional<Encoding> encoding;  // none when it cannot be read
  std::size_t chapters = 0;
  std::size_t flagged = 0;
  bool doubtful = false;
  std::string problem;  // why it can be no book, found by the listing
  std::string result;   // 已生成, 失败：…, or nothing yet
  bool failed = false;
};

using BatchFiles = std::vector<BatchFile>;

// The name shown for a file: its own, without the folder.
std::string ShownName(const Path& path) {
  const std::string shown = DisplayName(path);
  return shown.substr(shown.rfind(kPathSeparator) + 1);
}

std::string DoubtOf(const BatchFile& file) {
  if (!file.problem.empty()) return file.problem;
  return messages::MapDoubtNote(file.doubtful, file.flagged);
}

class BatchRows final : public TableRows {
 public:
  explicit BatchRows(BatchFiles files) : files_(std::move(files)) {}
  int Count() const override { return static_cast<int>(files_.size()); }
  std::string Cell(int row, int column) const override {
    const BatchFile& file = files_[static_cast<std::size_t>(row)];
    switch (column) {
      case kBatchFileColumn:
        return ShownName(file.path);
      case kBatchEncodingColumn:
        // As the pages' encoding lists show it.
        return file.encoding ? std::string(EncodingLabel(*file.encoding)) : std::string("-");
      case kBatchChaptersColumn:
        return file.problem.empty() ? std::to_string(file.chapters) : std::string();
      case kBatchDoubtColumn:
        return DoubtOf(file);
      case kBatchResultColumn:
        return file.result;
      default:
        return {};
    }
  }
  // The files that need a look stand out.
  bool Marked(int row) const override {
    const BatchFile& file = files_[static_cast<std::size_t>(row)];
    return file.doubtful || file.failed || !file.problem.empty();
  }
  std::string Tip(int row, int column) const override {
    return column == kBatchFileColumn ? DisplayName(files_[static_cast<std::size_t>(row)].path)
                                      : Cell(row, column);
  }

 private:
  BatchFiles files_;
};

// The book of a file, planned: or why it can be none.
struct Planned {
  TextRead read;
  DefaultBookPlan book;
  std::string problem;
};

// Reads the file and plans its book as morvane-cli epub does; stop is the user's 取消.
Planned PlanOf(const Path& path, Progress* progress) {
  Planned planned;
  planned.read = ReadTextFile(path, ReadMode::kMap);
  const TextRead& read = planned.read;
  if (!read.ok()) {
    planned.problem = messages::CannotReadFile(path, read);
    return planned;
  }
  if (read.text.empty()) {
    planned.problem = messages::EmptyTextForBook(path);
    return planned;
  }
  // The book's text is UTF-8: bytes that are no character cannot go into it.
  const Undecodable undecodable = read.undecodable
                                      ? *read.undecodable
                                      : FindUndecodable(read.detected.encoding, read.text.view());
  if (undecodable.count > 0) {
    const std::size_t bom = read.detected.bom ? BomOf(read.detected.encoding).size() : 0;
    planned.problem = messages::CannotConvertBytes(
        path, read.detected.encoding, static_cast<std::int64_t>(undecodable.first + bom),
        Encoding::kUtf8);
    return planned;
  }
  auto made = PlanDefaultBook(read.text, read.detected.encoding, progress);
  if (const auto* error = std::get_if<RuleError>(&made)) {
    planned.problem = messages::ChapterRuleFailed(*error, {RuleKind::kAuto, {}});
    return planned;
  }
  planned.book = std::get<DefaultBookPlan>(std::move(made));
  if (TooManyHeadingsForBook(planned.book.plan)) {
    planned.problem =
        messages::TooManyHeadingsForBook(static_cast<std::int64_t>(planned.book.plan.map.size()));
  }
  return planned;
}

// The listing of one file.
BatchFile Examine(const Path& path) {
  BatchFile file;
  file.path = path;
  const Planned planned = PlanOf(path, nullptr);
  if (planned.read.ok()) file.encoding = planned.read.detected.encoding;
  if (!planned.problem.empty()) {
    file.problem = messages::BookFailed(planned.problem);
    return file;
  }
  const ChapterMap& map = planned.book.plan.map;
  file.chapters = BookChapters(planned.book.plan);
  file.flagged = FlaggedHeadings(map);
  file.doubtful = MapLooksWrong(map);
  return file;
}

// The window's list: the files, and the rows the toolkit shows of them.
struct Batch {
  BatchFiles files;
};

void ShowFiles(Toolkit& ui, const Batch& batch, const std::vector<bool>& ticks) {
  ui.SetRows(kBatchList, std::make_shared<BatchRows>(batch.files), ticks);
  std::size_t doubtful = 0;
  for (const BatchFile& file : batch.files) {
    doubtful += file.doubtful || file.failed || !file.problem.empty();
  }
  std::string summary = "共 " + std::to_string(batch.files.size()) + " 个文件";
  if (doubtful > 0) summary += "，" + std::to_string(doubtful) + " 个需要查看";
  ui.SetText(kBatchSummary, GbkFromUtf8(summary));
  ui.SetEnabled(kBatchConvertButton, !batch.files.empty());
}

// Lists paths (in the order given) as long work; 取消 keeps the files listed so far.
void List(Toolkit& ui, Batch& batch, const std::vector<Path>& paths) {
  BatchFiles files;
  ui.RunLongWork({static_cast<std::int64_t>(paths.size()), 0}, [&](Progress& progress) {
    for (const Path& path : paths) {
      if (progress.StopRequested()) break;
      files.push_back(Examine(path));
      if (!progress.Advance(static_cast<std::int64_t>(files.size()), 0)) break;
    }
  });
  batch.files = std::move(files);
  ShowFiles(ui, batch, {});
}

bool IsTextName(const Path& name) {
  const std::string shown = DisplayName(name);
  if (shown.size() < 4) return false;
  std::string ending = shown.substr(shown.size() - 4);
  std::transform(ending.begin(), ending.end(), ending.begin(),
                 [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; });
  return ending == ".txt";
}

// The .txt files of a folder, in natural order.
void ListFolderOf(Toolkit& ui, Batch& batch, const Path& folder) {
  std::vector<Path> paths;
  for (const FolderEntry& entry : ListFolder(folder)) {
    if (!entry.folder && IsTextName(entry.name)) paths.push_back(JoinPath(folder, entry.name));
  }
  SortNaturally(paths);
  ui.SetPath(kBatchFolderBox, folder);
  if (paths.empty()) {
    batch.files.clear();
    ShowFiles(ui, batch, {});
    ui.ShowMessageBox(messages::NoTextFilesIn(folder));
    return;
  }
  List(ui, batch, paths);
}

// A text chosen in the dialog stands for its folder.
void ChooseFolder(Toolkit& ui, Batch& batch) {
  if (!ui.ShowFileDialog(kBatchDialog)) return;
  ListFolderOf(ui, batch, FolderPart(ui.DialogFileName(kBatchDialog)));
}

void TakeDroppedFiles(Toolkit& ui, Batch& batch) {
  const std::vector<Path> paths = ui.DroppedPaths(kBatchList);
  if (paths.empty()) return;
  ui.SetText(kBatchFolderBox, ByteText());
  List(ui, batch, paths);
}

// Writes the book of one file into folder; its result goes into file. written holds the
// books the run wrote before, with their files: a second file of the same name (from
// another folder) would replace the first's book, and is refused.
void Convert(BatchFile& file, const Path& folder, std::vector<std::pair<Path, Path>>& written) {
  file.failed = true;
  const Path name = BookFileName(BaseNameOf(file.path));
  const Path path = JoinPath(folder, name);
  for (const auto& [book, from] : written) {
    if (book == path) {
      file.result = messages::BookFailed(messages::SameOutputInBatch(file.path, from, path));
      return;
    }
  }
  const Planned planned = PlanOf(file.path, nullptr);
  if (planned.read.ok()) file.encoding = planned.read.detected.encoding;
  if (!planned.problem.empty()) {
    file.result = messages::BookFailed(planned.problem);
    return;
  }
  // The report lets go of the folder the check opens, whatever the outcome.
  WriteReport report;
  const OutputTarget target{folder, BaseNameOf(file.path)};
  if (auto refusal = RefuseOutputs({target, false, 1, 1, [&name](int) { return name; }},
                                   RunFiles{{file.path}, folder, {}})) {
    file.result = messages::BookFailed(*refusal);
    return;
  }
  const ChapterMap& map = planned.book.plan.map;
  file.chapters = BookChapters(planned.book.plan);
  file.flagged = FlaggedHeadings(map);
  file.doubtful = MapLooksWrong(map);
  const BookInfo info =
      DefaultBookInfo(file.path, planned.read.text, planned.read.detected.encoding);
  report.Record(path, WriteEpub(path, planned.book.plan, info));
  if (!report.ok()) {
    file.result = messages::BookFailed(
        messages::WritesFailed(1, report.firstFailedPath(), report.firstFailure()));
    return;
  }
  written.emplace_back(path, file.path);
  file.failed = false;
  file.result = messages::BookDone();
}

void ConvertTicked(Toolkit& ui, AppState& state, Batch& batch) {
  const std::vector<bool> ticks = ui.Ticks(kBatchList);
  std::vector<std::size_t> chosen;
  for (std::size_t i = 0; i < batch.files.size(); ++i) {
    if (i >= ticks.size() || ticks[i]) chosen.push_back(i);
  }
  if (chosen.empty()) {
    ui.ShowMessageBox(messages::TickFilesFirst());
    return;
  }
  if (!RequireSaveFolder(ui, state)) return;
  const auto target = OutputTargetOf(ui);
  if (!target) return;
  if (!ConfirmOutputFolder(ui, state, target->folder)) return;
  for (BatchFile& file : batch.files) {
    file.result.clear();
    file.failed = false;
  }
  std::size_t done = 0;
  std::vector<std::pair<Path, Path>> written;
  ui.RunLongWork({static_cast<std::int64_t>(chosen.size()), 0}, [&](Progress& progress) {
    for (const std::size_t i : chosen) {
      if (progress.StopRequested()) break;
      Convert(batch.files[i], target->folder, written);
      ++done;
      if (!progress.Advance(static_cast<std::int64_t>(done), 0)) break;
    }
  });
  std::size_t failed = 0;
  std::vector<std::string> toLook;
  for (const std::size_t i : chosen) {
    const BatchFile& file = batch.files[i];
    if (file.result.empty()) continue;  // left by 取消
    if (file.failed) {
      ++failed;
      toLook.push_back(ShownName(file.path) + "：" + file.result);
    } else if (file.doubtful) {
      toLook.push_back(ShownName(file.path) + "：" + DoubtOf(file));
    }
  }
  ShowFiles(ui, batch, ticks);
  ui.ShowCompletion(messages::BatchFinished(done - failed, failed, chosen.size() - done, toLook),
                    {}, target->folder);
}

}  // namespace

void BindBatchWindow(Toolkit& ui, AppState& state) {
  using enum Event;
  Toolkit* t = &ui;
  AppState* s = &state;
  auto batch = std::make_shared<Batch>();
  ui.Bind(kBatchButton, kClicked, [t, batch] {
    batch->files.clear();
    t->LoadWindow(kBatchWindow, kMainWindow, true);
  });
  ui.Bind(kBatchWindow, kCreated, [t, batch] { ShowFiles(*t, *batch, {}); });
  ui.Bind(kBatchFolderButton, kClicked, [t, batch] { ChooseFolder(*t, *batch); });
  ui.Bind(kBatchFolderBox, kDropped, [t, batch] {
    const std::vector<Path> dropped = t->DroppedPaths(kBatchFolderBox);
    if (!dropped.empty()) ListFolderOf(*t, *batch, dropped.front());
  });
  ui.Bind(kBatchList, kDropped, [t, batch] { TakeDroppedFiles(*t, *batch); });
  ui.Bind(kBatchConvertButton, kClicked, [t, s, batch] { ConvertTicked(*t, *s, *batch); });
  ui.Bind(kBatchCloseButton, kClicked, [t] { t->CloseWindow(kBatchWindow); });
}

}  // namespace morvane
