// SPDX-License-Identifier: MIT
#include "presenters/chapter_map.h"

#include <algorithm>
#include <memory>
#include <string>
#include <utility>

#include "core/encoding.h"
#include "core/files.h"
#include "core/gbk.h"
#include "core/numbers.h"
#include "engine/chapter_map.h"
#include "engine/chinese_numerals.h"
#include "engine/map_file.h"
#include "engine/messages.h"
#include "engine/output_checks.h"
#include "presenters/chapter_map_text.h"
#include "presenters/control_names.h"

namespace morvane {

using namespace names;
namespace {

// The map's rows as the list asks for them: their texts are made for the rows in sight.
class MapRows final : public TableRows {
 public:
  explicit MapRows(std::shared_ptr<const ChapterMap> map) : map_(std::move(map)) {}

  int Count() const override { return static_cast<int>(map_->entries.size()); }

  // The title is read from the text only now, for a row in sight.
  std::string Cell(int row, int column) const override {
    const auto i = static_cast<std::size_t>(row);
    switch (column) {
      case kIndexColumn:
        return std::to_string(row + 1);
      case kNumberColumn: {
        const std::optional<std::int64_t> number = map_->entries[i].number();
        return number ? std::to_string(*number) : std::string();
      }
      case kTitleColumn:
        return EncodeShown(Encoding::kUtf8, map_->Title(i));
      case kVolumeColumn:
        return map_->volumes.empty() ? std::string()
                                     : EncodeShown(Encoding::kUtf8, map_->VolumeTitle(i));
      case kSizeColumn:
        return SizeWords(map_->Length(i));
      case kFlagsColumn:
        return FlagWords(map_->entries[i].flags());
      default:
        return {};
    }
  }

  // A size to the byte.
  std::string Tip(int row, int column) const override {
    if (column == kSizeColumn) return std::to_string(map_->Length(static_cast<std::size_t>(row)));
    return Cell(row, column);
  }

  bool Marked(int row) const override {
    return map_->entries[static_cast<std::size_t>(row)].flags() != 0;
  }

 private:
  std::shared_ptr<const ChapterMap> map_;
};

// The first lines of one chapter, each decoded when it comes into sight.
class LineRows final : public TableRows {
 public:
  LineRows(std::shared_ptr<const ChapterMap> map, std::size_t chapter)
      : map_(std::move(map)),
        starts_(ChapterLines(*map_, chapter)),
        end_(map_->entries[chapter].offset() + map_->Length(chapter)) {}

  int Count() const override { return static_cast<int>(starts_.size()); }
  std::string Cell(int row, int) const override {
    const auto i = static_cast<std::size_t>(row);
    return LineWords(*map_, starts_[i], i + 1 < starts_.size() ? starts_[i + 1] : end_);
  }
  bool Marked(int) const override { return false; }
  std::int64_t Start(int row) const { return starts_[static_cast<std::size_t>(row)]; }

 private:
  std::shared_ptr<const ChapterMap> map_;
  std::vector<std::int64_t> starts_;
  std::int64_t end_;
};

// A correction of the map, as undo takes it back.
struct Edit {
  enum class Kind { kTick, kRename, kAdd };
  Kind kind = Kind::kTick;
  std::size_t row = 0;
  std::u16string title;  // a rename: the title before
};

// What the open window shows: the map of the rule chosen last, as the user corrected it.
struct Draft {
  std::shared_ptr<const ChapterMap> map = std::make_shared<ChapterMap>();
  ChapterRule rule;
  std::vector<bool> ticks;  // the list's, as last seen: a tick changes one of them
  std::vector<Edit> edits;  // the corrections, the last one first to be undone
  std::shared_ptr<const ChapterMap> automatic;  // offered while the map looks wrong
  std::shared_ptr<const LineRows> lines;        // the chosen chapter's lines shown
  Path file;  // the map file opened in the window, if one was: the user's, never an output
};

RuleKind RuleOfItem(int item) {
  switch (item) {
    case kAutoItem:
      return RuleKind::kAuto;
    case kLinesItem:
      return RuleKind::kLines;
    case kRegexItem:
      return RuleKind::kRegex;
    default:
      return RuleKind::kNear;
  }
}

int ItemOfRule(RuleKind kind) {
  switch (kind) {
    case RuleKind::kAuto:
      return kAutoItem;
    case RuleKind::kLines:
      return kLinesItem;
    case RuleKind::kRegex:
      return kRegexItem;
    case RuleKind::kNear:
      break;
  }
  return kNearItem;
}

ByteText Gbk(std::string_view utf8) {
  return GbkFromUtf8(utf8);
}

// The boxes that take what a user types hold UTF-8: a title or a pattern may have any
// character of the text, GBK or not.
std::u16string BoxText(const Toolkit& ui, EditBox box) {
  return Decode(Encoding::kUtf8, ui.Text(box).view()).text;
}

void SetBoxText(Toolkit& ui, EditBox box, std::u16string_view text) {
  ui.SetText(box, ByteText(EncodeShown(Encoding::kUtf8, text)));
}

// The radio buttons of the names, one per style.
constexpr std::pair<RadioButton, NameStyle> kNameRadios[] = {
    {kMapByNumberRadio, NameStyle::kNumber},
    {kMapByTitleRadio, NameStyle::kTitle},
    {kMapByVolumeRadio, NameStyle::kVolume},
};

ChapterChoice Choice(const Toolkit& ui) {
  const int perFile = ToInteger(ui.Text(kMapPerFileBox));
  NameStyle chosen = NameStyle::kNumber;
  for (const auto& [radio, style] : kNameRadios) {
    if (ui.Checked(radio)) chosen = style;
  }
  return {ui.Ticks(kMapList), std::clamp(perFile, 1, 100000), chosen};
}

void CheckNames(Toolkit& ui, NameStyle chosen) {
  for (const auto& [radio, style] : kNameRadios) ui.SetChecked(radio, style == chosen);
}

void ShowSummary(Toolkit& ui, const Draft& draft) {
  const ChapterChoice choice = Choice(ui);
  ui.SetText(kMapSummary, Gbk(MapSummary(*draft.map, choice)));
  // The names of the first files, as the cut will write them now.
  ui.SetText(kMapPreview, Gbk(NamePreview(ui, *draft.map, choice)));
}

// The chosen chapter's title and first lines.
void ShowChapter(Toolkit& ui, Draft& draft) {
  const int row = ui.CurrentRow(kMapList);
  if (row < 0 || static_cast<std::size_t>(row) >= draft.map->size()) {
    draft.lines = nullptr;
    SetBoxText(ui, kMapTitleBox, {});
  } else {
    draft.lines = std::make_shared<LineRows>(draft.map, static_cast<std::size_t>(row));
    SetBoxText(ui, kMapTitleBox, draft.map->Title(static_cast<std::size_t>(row)));
  }
  ui.SetRows(kMapLines, draft.lines, {});
}

// The map with these ticks, on row current (none when the map is empty).
void ShowMap(Toolkit& ui, Draft& draft, const std::vector<bool>& ticks, int current) {
  ui.SetRows(kMapList, std::make_shared<MapRows>(draft.map), ticks);
  draft.ticks = ui.Ticks(kMapList);
  const int rows = static_cast<int>(draft.map->size());
  if (rows > 0) ui.SetCurrentRow(kMapList, std::clamp(current, 0, rows - 1));
  ShowChapter(ui, draft);
  ShowSummary(ui, draft);
  ui.SetEnabled(kMapUndoButton, !draft.edits.empty());
}

// A new map: corrections of the one before do not apply to it.
void ShowNewMap(Toolkit& ui, Draft& draft, std::shared_ptr<const ChapterMap> map) {
  draft.map = std::move(map);
  draft.edits.clear();
  draft.automatic = nullptr;
  ui.SetVisible(kMapAutoHint, false);
  ui.SetVisible(kMapAutoButton, false);
  ShowMap(ui, draft, {}, 0);
}

void ShowRuleChoice(Toolkit& ui, bool regex) {
  ui.SetEnabled(kMapPatternBox, regex);
  ui.SetEnabled(kMapApplyButton, regex);
}

// Finds the headings under the chosen rule and shows the new map.
void ApplyRule(Toolkit& ui, const AppState& state, Draft& draft) {
  ChapterRule rule;
  rule.kind = RuleOfItem(ui.SelectedIndex(kMapRuleList));
  if (rule.kind == RuleKind::kRegex) rule.pattern = BoxText(ui, kMapPatternBox);
  std::optional<ChapterMap> map = FindChapterMap(ui, state, rule);
  if (!map) return;
  draft.rule = std::move(rule);
  ShowNewMap(ui, draft, std::make_shared<const ChapterMap>(std::move(*map)));
}

// A map that looks wrong as the window opens: what the automatic rule finds, offered in
// one line, when it finds otherwise.
void OfferAutomaticRule(Toolkit& ui, const AppState& state, Draft& draft) {
  if (draft.rule.kind == RuleKind::kAuto || !MapLooksWrong(*draft.map)) return;
  std::optional<ChapterMap> found = FindChapterMap(ui, state, {RuleKind::kAuto, {}});
  if (!found || SameHeadings(*found, *draft.map)) return;
  ui.SetText(kMapAutoHint, Gbk(AutoOffer(*draft.map, found->size())));
  draft.automatic = std::make_shared<const ChapterMap>(std::move(*found));
  ui.SetVisible(kMapAutoHint, true);
  ui.SetVisible(kMapAutoButton, true);
}

void OnAutomaticChosen(Toolkit& ui, Draft& draft) {
  if (!draft.automatic) return;
  ui.SetText(kMapRuleList, ui.ComboItemText(kMapRuleList, kAutoItem));
  ShowRuleChoice(ui, false);
  draft.rule = {RuleKind::kAuto, {}};
  ShowNewMap(ui, draft, draft.automatic);
  ui.Focus(kMapList);
}

void OnCreated(Toolkit& ui, const AppState& state, Draft& draft) {
  ui.SetTextEncoding(kMapPatternBox, Encoding::kUtf8);
  ui.SetTextEncoding(kMapTitleBox, Encoding::kUtf8);
  if (!state.chapterPlan) {
    // The written rule, as the search found the headings.
    ui.SetText(kMapRuleList, ui.ComboItemText(kMapRuleList, kNearItem));
    ApplyRule(ui, state, draft);
  } else {
    // The map as the user left it.
    const ChapterPlan& plan = *state.chapterPlan;
    draft.rule = plan.rule;
    ui.SetText(kMapRuleList, ui.ComboItemText(kMapRuleList, ItemOfRule(plan.rule.kind)));
    ShowRuleChoice(ui, plan.rule.kind == RuleKind::kRegex);
    SetBoxText(ui, kMapPatternBox, plan.rule.pattern);
    ui.SetText(kMapPerFileBox, ByteText(std::to_string(plan.choice.perFile)));
    CheckNames(ui, plan.choice.names);
    draft.map = std::make_shared<const ChapterMap>(plan.map);
    ShowMap(ui, draft, plan.choice.cut, 0);
  }
  OfferAutomaticRule(ui, state, draft);
  ui.Focus(kMapList);
}

void OnRuleChosen(Toolkit& ui, const AppState& state, Draft& draft) {
  const bool regex = ui.SelectedIndex(kMapRuleList) == kRegexItem;
  ShowRuleChoice(ui, regex);
  if (regex) {
    ui.Focus(kMapPatternBox);
  } else {
    ApplyRule(ui, state, draft);
  }
}

// The user ticked or unticked rows: each change is a correction of its own.
void OnTicked(Toolkit& ui, Draft& draft) {
  const std::vector<bool> ticks = ui.Ticks(kMapList);
  for (std::size_t row = 0; row < ticks.size() && row < draft.ticks.size(); ++row) {
    if (ticks[row] != draft.ticks[row]) draft.edits.push_back({Edit::Kind::kTick, row, {}});
  }
  draft.ticks = ticks;
  ui.SetEnabled(kMapUndoButton, !draft.edits.empty());
  ShowSummary(ui, draft);
}

void OnRename(Toolkit& ui, Draft& draft) {
  const int row = ui.CurrentRow(kMapList);
  if (row < 0) return;
  const auto i = static_cast<std::size_t>(row);
  std::u16string title = BoxText(ui, kMapTitleBox);
  const auto blank = [](char16_t c) { return IsBlank(c) || c < 0x20; };
  while (!title.empty() && blank(title.back())) title.pop_back();
  title.erase(title.begin(), std::find_if_not(title.begin(), title.end(), blank));
  std::u16string before = draft.map->Title(i);
  auto map = std::make_shared<ChapterMap>(*draft.map);
  SetTitle(*map, i, std::move(title));
  if (map->Title(i) == before) return;
  draft.map = std::move(map);
  draft.edits.push_back({Edit::Kind::kRename, i, std::move(before)});
  ShowMap(ui, draft, draft.ticks, row);
}

void OnAddHeading(Toolkit& ui, Draft& draft) {
  const int line = ui.CurrentRow(kMapLines);
  if (!draft.lines || line < 0) return;
  auto map = std::make_shared<ChapterMap>(*draft.map);
  const std::optional<std::size_t> added = AddHeading(*map, draft.lines->Start(line));
  if (!added) {
    ui.ShowMessageBox(messages::HeadingAlreadyThere());
    return;
  }
  draft.map = std::move(map);
  std::vector<bool> ticks = draft.ticks;
  ticks.insert(ticks.begin() + static_cast<std::ptrdiff_t>(*added), true);
  draft.edits.push_back({Edit::Kind::kAdd, *added, {}});
  ShowMap(ui, draft, ticks, static_cast<int>(*added));
}

void OnUndo(Toolkit& ui, Draft& draft) {
  if (draft.edits.empty()) return;
  Edit edit = std::move(draft.edits.back());
  draft.edits.pop_back();
  std::vector<bool> ticks = draft.ticks;
  auto map = std::make_shared<ChapterMap>(*draft.map);
  const auto row = static_cast<std::ptrdiff_t>(edit.row);
  switch (edit.kind) {
    case Edit::Kind::kTick:
      ticks[edit.row] = !ticks[edit.row];
      break;
    case Edit::Kind::kRename:
      SetTitle(*map, edit.row, std::move(edit.title));
      break;
    case Edit::Kind::kAdd:
      RemoveHeading(*map, edit.row);
      ticks.erase(ticks.begin() + row);
      break;
  }
  draft.map = std::move(map);
  ShowMap(ui, draft, ticks, static_cast<int>(edit.kind == Edit::Kind::kAdd ? row - 1 : row));
}

// The map as the cut would take it: the rows cut at, with the titles the user gave.
void OnSaveMap(Toolkit& ui, const AppState& state, const Draft& draft) {
  if (ui.DialogFileName(kMapSaveDialog).empty() && !state.cut.normalPath.empty()) {
    const Path& text = state.cut.normalPath;
    ui.SetPath(kMapSaveDialog, JoinPath(FolderPart(text), WithSuffix(StemOf(text), "-目录.tsv")));
  }
  if (!ui.ShowFileDialog(kMapSaveDialog)) return;
  const Path path = ui.DialogFileName(kMapSaveDialog);
  // The map never takes the place of the text it maps, whatever name reaches it.
  const RunFiles declared{{state.cut.normalPath}, {}, path};
  if (auto refusal = RefuseOutputs(SingleFilePlan(path), declared)) {
    ui.ShowMessageBox(*refusal);
    return;
  }
  const std::string lines = MapLines(KeptChapters(*draft.map, ui.Ticks(kMapList)));
  const std::string_view parts[] = {lines};
  const WriteResult written = WriteFileParts(path, parts);
  EndWrites();
  ui.ShowMessageBox(written.ok ? messages::MapSaved(path) : messages::CannotSaveMap(path, written));
}

// A map file refused leaves the map as it was.
void OnOpenMap(Toolkit& ui, const AppState& state, Draft& draft) {
  if (!ui.ShowFileDialog(kMapOpenDialog)) return;
  const Path path = ui.DialogFileName(kMapOpenDialog);
  auto map = ReadMapFileAt(path, state.cut.normalText, state.cut.normalEncoding.encoding);
  if (const auto* error = std::get_if<MapFileError>(&map)) {
    ui.ShowMessageBox(messages::MapFileRefused(*error));
    return;
  }
  ShowNewMap(ui, draft, std::make_shared<const ChapterMap>(std::get<ChapterMap>(std::move(map))));
  draft.file = path;
  ui.Focus(kMapList);
}

}  // namespace

void OpenChapterMap(Toolkit& ui, AppState& state) {
  if (state.chapterSearchDone == 0) {
    ui.ShowMessageBox(messages::SearchFirst());
    return;
  }
  ui.LoadWindow(kChapterMapWindow, names::kMainWindow, true);
}

void BindChapterMap(Toolkit& ui, AppState& state) {
  using enum Event;
  Toolkit* t = &ui;
  AppState* s = &state;
  auto draft = std::make_shared<Draft>();
  ui.Bind(kChapterMapWindow, kCreated, [t, s, draft] {
    *draft = Draft{};
    OnCreated(*t, *s, *draft);
  });
  ui.Bind(kMapRuleList, kItemSelected, [t, s, draft] { OnRuleChosen(*t, *s, *draft); });
  ui.Bind(kMapApplyButton, kClicked, [t, s, draft] { ApplyRule(*t, *s, *draft); });
  ui.Bind(kMapPatternBox, kEntered, [t, s, draft] {
    if (t->Enabled(kMapApplyButton)) ApplyRule(*t, *s, *draft);
  });
  ui.Bind(kMapAutoButton, kClicked, [t, draft] { OnAutomaticChosen(*t, *draft); });
  ui.Bind(kMapList, kTicked, [t, draft] { OnTicked(*t, *draft); });
  ui.Bind(kMapList, kRowChosen, [t, draft] { ShowChapter(*t, *draft); });
  ui.Bind(kMapRenameButton, kClicked, [t, draft] { OnRename(*t, *draft); });
  ui.Bind(kMapTitleBox, kEntered, [t, draft] { OnRename(*t, *draft); });
  ui.Bind(kMapAddButton, kClicked, [t, draft] { OnAddHeading(*t, *draft); });
  ui.Bind(kMapUndoButton, kClicked, [t, draft] { OnUndo(*t, *draft); });
  ui.Bind(kMapSaveButton, kClicked, [t, s, draft] { OnSaveMap(*t, *s, *draft); });
  ui.Bind(kMapOpenButton, kClicked, [t, s, draft] { OnOpenMap(*t, *s, *draft); });
  const auto summary = [t, draft] { ShowSummary(*t, *draft); };
  ui.Bind(kMapPerFileBox, kContentChanged, summary);
  for (const auto& [radio, style] : kNameRadios) {
    ui.Bind(radio, kClicked, [t, draft, style = style] {
      CheckNames(*t, style);
      ShowSummary(*t, *draft);
    });
  }
  ui.Bind(kMapOkButton, kClicked, [t, s, draft] {
    s->chapterPlan =
        std::make_shared<const ChapterPlan>(ChapterPlan{*draft->map, Choice(*t), draft->rule});
    s->chapterMapFile = draft->file;
    t->CloseWindow(kChapterMapWindow);
  });
  ui.Bind(kMapCancelButton, kClicked, [t] { t->CloseWindow(kChapterMapWindow); });
}

}  // namespace morvane
