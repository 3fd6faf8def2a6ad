#include "presenters/chapter_map.h"

#include <algorithm>
#include <memory>
#include <string>
#include <utility>

#include "core/encoding.h"
#include "core/gbk.h"
#include "core/numbers.h"
#include "engine/chapter_map.h"
#include "engine/messages.h"
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
        return Encode(Encoding::kUtf8, map_->Title(i)).bytes;
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

// What the open window shows: the map of the rule chosen last.
struct Draft {
  std::shared_ptr<const ChapterMap> map = std::make_shared<ChapterMap>();
  ChapterRule rule;
};

ByteText Gbk(std::string_view utf8) {
  return GbkFromUtf8(utf8);
}

ChapterChoice Choice(const Toolkit& ui) {
  const int perFile = ToInteger(ui.Text(kMapPerFileBox));
  return {ui.Ticks(kMapList), std::clamp(perFile, 1, 100000),
          ui.Checked(kMapByTitleRadio) ? NameStyle::kTitle : NameStyle::kNumber};
}

void ShowSummary(Toolkit& ui, const Draft& draft) {
  const ChapterChoice choice = Choice(ui);
  ui.SetText(kMapSummary, Gbk(MapSummary(*draft.map, choice)));
  // The names of the first files, as the cut will write them now.
  ui.SetText(kMapPreview, Gbk(NamePreview(ui, *draft.map, choice)));
}

void ShowMap(Toolkit& ui, const Draft& draft, const std::vector<bool>& cut) {
  ui.SetRows(kMapList, std::make_shared<MapRows>(draft.map), cut);
  ShowSummary(ui, draft);
}

// Finds the headings under the chosen rule and shows the new map.
void ApplyRule(Toolkit& ui, const AppState& state, Draft& draft) {
  ChapterRule rule;
  rule.kind = static_cast<RuleKind>(std::max(ui.SelectedIndex(kMapRuleList), 0));
  if (rule.kind == RuleKind::kRegex) rule.pattern = DecodeGbk(ui.Text(kMapPatternBox).view());
  std::optional<ChapterMap> map = FindChapterMap(ui, state, rule);
  if (!map) return;
  draft.rule = std::move(rule);
  draft.map = std::make_shared<const ChapterMap>(std::move(*map));
  ShowMap(ui, draft, {});
}

void ShowRuleChoice(Toolkit& ui, bool regex) {
  ui.SetEnabled(kMapPatternBox, regex);
  ui.SetEnabled(kMapApplyButton, regex);
}

void OnCreated(Toolkit& ui, const AppState& state, Draft& draft) {
  if (!state.chapterPlan) {
    ApplyRule(ui, state, draft);
    ui.Focus(kMapList);
    return;
  }
  // The map as the user left it.
  const ChapterPlan& plan = *state.chapterPlan;
  draft.map = std::make_shared<const ChapterMap>(plan.map);
  draft.rule = plan.rule;
  ui.SetText(kMapRuleList, ui.ComboItemText(kMapRuleList, static_cast<int>(plan.rule.kind)));
  ShowRuleChoice(ui, plan.rule.kind == RuleKind::kRegex);
  ui.SetText(kMapPatternBox, ByteText(EncodeGbk(plan.rule.pattern)));
  ui.SetText(kMapPerFileBox, ByteText(std::to_string(plan.choice.perFile)));
  const bool byTitle = plan.choice.names == NameStyle::kTitle;
  ui.SetChecked(kMapByTitleRadio, byTitle);
  ui.SetChecked(kMapByNumberRadio, !byTitle);
  ShowMap(ui, draft, plan.choice.cut);
  ui.Focus(kMapList);
}

void OnRuleChosen(Toolkit& ui, const AppState& state, Draft& draft) {
  const bool regex = ui.SelectedIndex(kMapRuleList) == static_cast<int>(RuleKind::kRegex);
  ShowRuleChoice(ui, regex);
  if (regex) {
    ui.Focus(kMapPatternBox);
  } else {
    ApplyRule(ui, state, draft);
  }
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
  const auto summary = [t, draft] { ShowSummary(*t, *draft); };
  ui.Bind(kMapList, kTicked, summary);
  ui.Bind(kMapPerFileBox, kContentChanged, summary);
  ui.Bind(kMapByNumberRadio, kClicked, [t, draft] {
    t->SetChecked(kMapByTitleRadio, false);
    ShowSummary(*t, *draft);
  });
  ui.Bind(kMapByTitleRadio, kClicked, [t, draft] {
    t->SetChecked(kMapByNumberRadio, false);
    ShowSummary(*t, *draft);
  });
  ui.Bind(kMapOkButton, kClicked, [t, s, draft] {
    s->chapterPlan =
        std::make_shared<const ChapterPlan>(ChapterPlan{*draft->map, Choice(*t), draft->rule});
    t->CloseWindow(kChapterMapWindow);
  });
  ui.Bind(kMapCancelButton, kClicked, [t] { t->CloseWindow(kChapterMapWindow); });
}

}  // namespace morvane
