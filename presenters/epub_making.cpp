// SPDX-License-Identifier: MIT
#include "presenters/epub_making.h"

#include <memory>
#include <string>
#include <utility>
#include <variant>

#include "core/encoding.h"
#include "core/gbk.h"
#include "engine/book_metadata.h"
#include "engine/chapter_map.h"
#include "engine/cover_image.h"
#include "engine/default_book.h"
#include "engine/epub_book.h"
#include "engine/epub_writing.h"
#include "engine/messages.h"
#include "presenters/chapter_map_text.h"
#include "presenters/control_names.h"
#include "presenters/output_steps.h"

namespace morvane {

using namespace names;
namespace {

// A cover larger than this is no cover.
constexpr std::size_t kMostCoverBytes = 64u << 20;

// The plan of the window that is open.
struct Draft {
  std::shared_ptr<const ChapterPlan> plan;
  // The plan was made by the opener (转换为EPUB), not left to the window.
  bool planned = false;
  // Lines the book's cleaning took away (repeated titles).
  std::size_t cleanedLines = 0;
};

int CutCount(const ChapterPlan& plan) {
  int count = 0;
  for (std::size_t i = 0; i < plan.map.size(); ++i) {
    count += i >= plan.choice.cut.size() || plan.choice.cut[i] ? 1 : 0;
  }
  return count;
}

// What the opened text says of itself, as morvane-cli epub reads it.
BookMetadata MetadataOfOpened(const AppState& state) {
  return MetadataOf(DisplayName(BaseNameOf(state.cut.normalPath)), state.cut.normalText,
                    state.cut.normalEncoding.encoding);
}

std::string SummaryOf(const Draft& draft) {
  std::string summary = "目录：" + std::to_string(CutCount(*draft.plan)) + " 章";
  if (draft.cleanedLines > 0) {
    summary += "；已去掉重复的标题 " + std::to_string(draft.cleanedLines) + " 行";
  }
  return summary;
}

void OnCreated(Toolkit& ui, const AppState& state, const Draft& draft) {
  // A title or an author may hold any character, GBK or not: the boxes take UTF-8, as the
  // command line's --title and --author do.
  ui.SetTextEncoding(kEpubTitleBox, Encoding::kUtf8);
  ui.SetTextEncoding(kEpubAuthorBox, Encoding::kUtf8);
  const BookMetadata metadata = MetadataOfOpened(state);
  ui.SetText(kEpubTitleBox, ByteText(metadata.title));
  ui.SetText(kEpubAuthorBox, ByteText(metadata.author));
  ui.SetText(kEpubCoverBox, ByteText());
  ui.SetText(kEpubSummary, GbkFromUtf8(SummaryOf(draft)));
  ui.Focus(kEpubTitleBox);
}

// A cover chosen, or none: 清除 takes a chosen one away.
void ChooseCover(Toolkit& ui) {
  if (ui.ShowFileDialog(kEpubCoverDialog))
    ui.SetPath(kEpubCoverBox, ui.DialogFileName(kEpubCoverDialog));
}

// What the window says of the book, or nothing after the message that refuses the cover.
std::optional<BookInfo> InfoOf(Toolkit& ui, const AppState& state) {
  BookInfo info = DefaultBookInfo(state.cut.normalPath, state.cut.normalText,
                                  state.cut.normalEncoding.encoding);
  info.title = std::string(ui.Text(kEpubTitleBox).view());
  info.author = std::string(ui.Text(kEpubAuthorBox).view());
  if (const std::optional<Path> cover = ui.PathIn(kEpubCoverBox)) {
    std::optional<std::string> bytes = ReadFileBytes(*cover, kMostCoverBytes);
    if (!bytes) {
      ui.ShowMessageBox(messages::CannotReadCover(*cover));
      return std::nullopt;
    }
    const CoverCheck check = CheckCover(*bytes);
    info.cover = check.kind;
    if (!check.ok()) {
      ui.ShowMessageBox(messages::CoverRefused(*cover, check.problem));
      return std::nullopt;
    }
    info.coverBytes = std::move(*bytes);
  }
  return info;
}

void MakeBook(Toolkit& ui, AppState& state, const Draft& draft) {
  if (TooManyHeadingsForBook(*draft.plan)) {
    ui.ShowMessageBox(
        messages::TooManyHeadingsForBook(static_cast<std::int64_t>(draft.plan->map.size())));
    return;
  }
  std::optional<BookInfo> info = InfoOf(ui, state);
  if (!info) return;
  const auto target = OutputTargetOf(ui);
  if (!target) return;
  const Path name = BookFileName(target->prefix);
  RunFiles declared{{state.cut.normalPath}, target->folder, {}};
  if (!state.chapterMapFile.empty()) declared.inputs.push_back(state.chapterMapFile);
  if (const std::optional<Path> cover = ui.PathIn(kEpubCoverBox)) declared.inputs.push_back(*cover);
  if (auto refusal =
          RefuseOutputs(ui, {*target, false, 1, 1, [&name](int) { return name; }}, declared)) {
    ui.ShowMessageBox(*refusal);
    return;
  }
  if (!ConfirmOutputFolder(ui, state, target->folder)) return;
  ui.CloseWindow(kEpubWindow);
  const std::shared_ptr<const ChapterPlan> plan = draft.plan;
  const Path path = JoinPath(target->folder, name);
  WriteReport report;
  bool stopped = false;
  ui.RunLongWork({0, plan->map.textBytes()}, [&](Progress& progress) {
    report.Record(path, WriteEpub(path, *plan, *info, &progress));
    stopped = progress.StopRequested();
  });
  if (stopped) report.Cancel();
  ShowOutcome(ui, report, messages::BookWritten(name), {});
}

// Whether the opened text can be a book; false after the message that says why not.
bool TextFitsBook(Toolkit& ui, const AppState& state) {
  if (state.cut.normalText.empty()) {
    ui.ShowMessageBox(messages::EmptyTextForBook(state.cut.normalPath));
    return false;
  }
  // The book's text is UTF-8: bytes that are no character cannot go into it.
  const Detected& detected = state.cut.normalEncoding;
  const Undecodable undecodable = FindUndecodable(detected.encoding, state.cut.normalText.view());
  if (undecodable.count > 0) {
    const std::size_t bom = detected.bom ? BomOf(detected.encoding).size() : 0;
    ui.ShowMessageBox(messages::CannotConvertBytes(
        state.cut.normalPath, detected.encoding, static_cast<std::int64_t>(undecodable.first + bom),
        Encoding::kUtf8));
    return false;
  }
  return true;
}

void OpenWindow(Toolkit& ui, AppState& state, Draft& draft) {
  if (!RequireSaveFolder(ui, state)) return;
  if (state.chapterSearchDone == 0) {
    ui.ShowMessageBox(messages::SearchFirst());
    return;
  }
  if (!TextFitsBook(ui, state)) return;
  draft = Draft{};
  ui.LoadWindow(kEpubWindow, kMainWindow, true);
}

// The book of the opened text in one step, as morvane-cli epub makes it by default: the
// repeated titles taken away, then the automatic rule's map. A map the user confirmed in
// 章节目录 is theirs and is kept, with the text it maps.
void ConvertOpened(Toolkit& ui, AppState& state, Draft& draft) {
  if (!RequireSaveFolder(ui, state)) return;
  if (state.cut.normalPath.empty()) {
    ui.ShowMessageBox(messages::OpenFileToCutFirst());
    return;
  }
  if (!TextFitsBook(ui, state)) return;
  draft = Draft{};
  draft.planned = true;
  if (state.chapterPlan) {
    draft.plan = state.chapterPlan;
  } else {
    const ByteText text = state.cut.normalText;
    const Encoding encoding = state.cut.normalEncoding.encoding;
    std::optional<std::variant<DefaultBookPlan, RuleError>> made;
    bool stopped = false;
    ui.RunLongWork({}, [&](Progress& progress) {
      made = PlanDefaultBook(text, encoding, &progress);
      stopped = progress.StopRequested();
    });
    if (stopped || !made) return;
    if (const auto* failed = std::get_if<RuleError>(&*made)) {
      const std::string why = messages::ChapterRuleFailed(*failed, {RuleKind::kAuto, {}});
      if (!why.empty()) ui.ShowMessageBox(why);
      return;
    }
    auto& book = std::get<DefaultBookPlan>(*made);
    draft.cleanedLines = book.cleanedLines;
    draft.plan = std::make_shared<const ChapterPlan>(std::move(book.plan));
  }
  ui.LoadWindow(kEpubWindow, kMainWindow, true);
}

}  // namespace

void BindEpubWindow(Toolkit& ui, AppState& state) {
  using enum Event;
  Toolkit* t = &ui;
  AppState* s = &state;
  auto draft = std::make_shared<Draft>();
  ui.Bind(kEpubButton, kClicked, [t, s, draft] { OpenWindow(*t, *s, *draft); });
  ui.Bind(kConvertEpubButton, kClicked, [t, s, draft] { ConvertOpened(*t, *s, *draft); });
  ui.Bind(kEpubWindow, kCreated, [t, s, draft] {
    // The plan the opener made; else the map as the user confirmed it; else the headings
    // of the written rule, which the search counted.
    if (!draft->planned) draft->plan = s->chapterPlan;
    draft->planned = false;
    if (!draft->plan) {
      std::optional<ChapterMap> map = FindChapterMap(*t, *s, ChapterRule{});
      if (!map) {
        t->CloseWindow(kEpubWindow);
        return;
      }
      auto plan = std::make_shared<ChapterPlan>();
      plan->map = std::move(*map);
      draft->plan = std::move(plan);
    }
    OnCreated(*t, *s, *draft);
  });
  ui.Bind(kEpubCoverButton, kClicked, [t] { ChooseCover(*t); });
  ui.Bind(kEpubClearCoverButton, kClicked, [t] { t->SetText(kEpubCoverBox, ByteText()); });
  ui.Bind(kEpubOkButton, kClicked, [t, s, draft] { MakeBook(*t, *s, *draft); });
  ui.Bind(kEpubCancelButton, kClicked, [t] { t->CloseWindow(kEpubWindow); });
}

}  // namespace morvane
