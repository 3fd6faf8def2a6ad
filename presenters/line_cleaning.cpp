// SPDX-License-Identifier: MIT
#include "presenters/line_cleaning.h"

#include <algorithm>
#include <array>
#include <memory>
#include <set>
#include <string>
#include <utility>

#include "core/encoding.h"
#include "core/gbk.h"
#include "engine/line_cleaning.h"
#include "engine/messages.h"
#include "engine/script_conversion.h"
#include "presenters/control_names.h"
#include "presenters/encoding_choice.h"
#include "presenters/size_cutting.h"

namespace morvane {

using namespace names;
namespace {

// The words of the kinds, in the order of LineChangeKind.
constexpr std::array<std::string_view, kLineChangeKinds> kKindWords = {
    "广告行", "重复标题", "多余空行", "行尾空白", "缩进"};
// The lists' items, in the order the window lists them.
constexpr BlankLines kBlankChoices[] = {BlankLines::kOne, BlankLines::kNone, BlankLines::kKeep};
constexpr Indentation kIndentChoices[] = {Indentation::kFullWidth, Indentation::kNone,
                                          Indentation::kKeep};
// A line of the list shows this many characters at most.
constexpr std::size_t kShownCharacters = 200;

// What the open window works on and has found.
struct Draft {
  bool cutPage = false;
  Path path;  // the file of the text on the cut page; none for the simple-cut box
  ByteText text;
  Detected detected;
  Indentation indentation = Indentation::kKeep;
  std::shared_ptr<const std::vector<LineChange>> changes =
      std::make_shared<const std::vector<LineChange>>();
  // What the user unticked, kept over a new 查找 (the text stays the same while the window
  // is open, so a line's offset and kind name its change): a search never ticks it again.
  std::set<std::pair<std::int64_t, LineChangeKind>> unticked;
  std::vector<bool> kinds;  // the kinds' ticks
};

class KindRows final : public TableRows {
 public:
  explicit KindRows(std::array<std::int64_t, kLineChangeKinds> counts) : counts_(counts) {}
  int Count() const override { return kLineChangeKinds; }
  std::string Cell(int row, int column) const override {
    const auto i = static_cast<std::size_t>(row);
    return column == 0 ? std::string(kKindWords[i]) : std::to_string(counts_[i]);
  }
  bool Marked(int) const override { return false; }

 private:
  std::array<std::int64_t, kLineChangeKinds> counts_;
};

// The lines are read from the text only for the rows in sight.
class LineRows final : public TableRows {
 public:
  LineRows(std::shared_ptr<const std::vector<LineChange>> changes, ByteText text, Encoding encoding)
      : changes_(std::move(changes)), text_(std::move(text)), encoding_(encoding) {}
  int Count() const override { return static_cast<int>(changes_->size()); }
  std::string Cell(int row, int column) const override {
    const LineChange& change = (*changes_)[static_cast<std::size_t>(row)];
    switch (column) {
      case 0:
        return std::to_string(change.line);
      case 1:
        return std::string(kKindWords[static_cast<std::size_t>(change.kind)]);
      default: {
        std::u16string line =
            Decode(encoding_,
                   LineAt(text_.view(), static_cast<std::size_t>(change.offset), encoding_))
                .text;
        if (line.size() > kShownCharacters) line = line.substr(0, kShownCharacters) + u"…";
        return EncodeShown(Encoding::kUtf8, line);
      }
    }
  }
  bool Marked(int) const override { return false; }

 private:
  std::shared_ptr<const std::vector<LineChange>> changes_;
  ByteText text_;
  Encoding encoding_;
};

ByteText Gbk(std::string_view utf8) {
  return GbkFromUtf8(utf8);
}

int Selected(const Toolkit& ui, DropDown list) {
  return std::max(ui.SelectedIndex(list), 0);
}

void ShowSummary(Toolkit& ui, const Draft& draft) {
  const std::vector<bool> ticks = ui.Ticks(kCleanLineList);
  const auto chosen = std::count(ticks.begin(), ticks.end(), true);
  ui.SetText(kCleanSummary, Gbk("共" + std::to_string(draft.changes->size()) + "处，清理其中" +
                                std::to_string(chosen) + "处"));
}

// Runs work as long work when the text is large; false when the user stopped it.
template <typename Work>
bool Run(Toolkit& ui, const ByteText& text, Work work) {
  if (static_cast<std::int64_t>(text.size()) <= kLongWorkBytes) {
    NoProgress progress;
    return work(progress);
  }
  bool done = false;
  ui.RunLongWork({0, static_cast<std::int64_t>(text.size())},
                 [&](Progress& progress) { done = work(progress) && !progress.StopRequested(); });
  return done;
}

// Takes note of the ticks the lists show, before they are replaced.
void RememberTicks(const Toolkit& ui, Draft& draft) {
  const std::vector<bool> ticks = ui.Ticks(kCleanLineList);
  for (std::size_t i = 0; i < draft.changes->size() && i < ticks.size(); ++i) {
    const LineChange& change = (*draft.changes)[i];
    if (ticks[i]) {
      draft.unticked.erase({change.offset, change.kind});
    } else {
      draft.unticked.insert({change.offset, change.kind});
    }
  }
  const std::vector<bool> kinds = ui.Ticks(kCleanKindList);
  if (!kinds.empty()) draft.kinds = kinds;
}

// The lists with nothing in them and 确定 disabled: the search was stopped or refused, and
// a 确定 would change nothing the user has seen.
void ShowNothingFound(Toolkit& ui, Draft& draft) {
  draft.changes = std::make_shared<const std::vector<LineChange>>();
  ui.SetRows(kCleanKindList, nullptr, {});
  ui.SetRows(kCleanLineList, nullptr, {});
  ui.SetText(kCleanSummary, Gbk("没有查找结果：请点击“查找”"));
  ui.SetEnabled(kCleanOkButton, false);
}

// Finds the changes under the lists' choices and the rules, and shows them.
void Find(Toolkit& ui, Draft& draft) {
  RememberTicks(ui, draft);
  const std::string userRules(ui.Text(kCleanRulesBox).view());
  ui.SetSetting(kJunkRulesSetting, userRules);
  auto parsed = JunkRules::Parse(userRules);
  if (const auto* problem = std::get_if<JunkRules::Problem>(&parsed)) {
    ui.ShowMessageBox(messages::BadJunkRule({}, problem->line, problem->error));
    return;
  }
  auto rules = std::make_shared<JunkRules>(JunkRules::BuiltIn());
  rules->Add(std::get<JunkRules>(parsed));
  LineCleaning cleaning;
  cleaning.junk = std::move(rules);
  cleaning.repeatedTitles = true;
  cleaning.blankLines = kBlankChoices[std::min(Selected(ui, kCleanBlankList), 2)];
  cleaning.trailingSpace = true;
  cleaning.indentation = kIndentChoices[std::min(Selected(ui, kCleanIndentList), 2)];
  LineChangesOrError found;
  if (!Run(ui, draft.text, [&](Progress& progress) {
        found = FindLineChanges(draft.text, draft.detected.encoding, cleaning, &progress);
        return true;
      })) {
    ShowNothingFound(ui, draft);
    return;
  }
  if (const auto* error = std::get_if<RuleError>(&found)) {
    ShowNothingFound(ui, draft);
    if (error->kind == RuleError::Kind::kGaveUp) {
      ui.ShowMessageBox(messages::JunkRuleGaveUp(error->line, error->problem));
    }
    return;
  }
  draft.indentation = cleaning.indentation;
  draft.changes = std::make_shared<const std::vector<LineChange>>(
      std::move(std::get<std::vector<LineChange>>(found)));
  std::array<std::int64_t, kLineChangeKinds> counts{};
  for (const LineChange& change : *draft.changes) ++counts[static_cast<std::size_t>(change.kind)];
  ui.SetRows(kCleanKindList, std::make_shared<KindRows>(counts), draft.kinds);
  std::vector<bool> ticks;
  ticks.reserve(draft.changes->size());
  for (const LineChange& change : *draft.changes) {
    const auto kind = static_cast<std::size_t>(change.kind);
    ticks.push_back((kind >= draft.kinds.size() || draft.kinds[kind]) &&
                    !draft.unticked.contains({change.offset, change.kind}));
  }
  ui.SetRows(kCleanLineList,
             std::make_shared<LineRows>(draft.changes, draft.text, draft.detected.encoding), ticks);
  ui.SetEnabled(kCleanOkButton, true);
  ShowSummary(ui, draft);
}

// A kind ticked or unticked ticks or unticks all its lines.
void OnKindTicked(Toolkit& ui, const Draft& draft) {
  const std::vector<bool> kinds = ui.Ticks(kCleanKindList);
  std::vector<bool> ticks;
  ticks.reserve(draft.changes->size());
  for (const LineChange& change : *draft.changes) {
    const auto kind = static_cast<std::size_t>(change.kind);
    ticks.push_back(kind >= kinds.size() || kinds[kind]);
  }
  ui.SetRows(kCleanLineList,
             std::make_shared<LineRows>(draft.changes, draft.text, draft.detected.encoding), ticks);
  ShowSummary(ui, draft);
}

// The text with the ticked changes made and converted as chosen into the encoding chosen;
// nothing when the user stopped it, or a converted character does not fit (said).
std::optional<ByteText> Cleaned(Toolkit& ui, const Draft& draft, Encoding target) {
  const std::vector<bool> ticks = ui.Ticks(kCleanLineList);
  std::vector<LineChange> chosen;
  for (std::size_t i = 0; i < draft.changes->size(); ++i) {
    if (i >= ticks.size() || ticks[i]) chosen.push_back((*draft.changes)[i]);
  }
  const int convert = Selected(ui, kCleanConvertList);
  std::unique_ptr<ScriptConverter> converter;
  if (convert > 0) {
    const std::string_view config = kScriptConversions[static_cast<std::size_t>(convert - 1)];
    ScriptConversionProblem whyNot;
    converter = ScriptConverter::Open(config, &whyNot);
    if (!converter) {
      ui.ShowMessageBox(messages::CannotConvertScript(config, whyNot));
      return std::nullopt;
    }
  }
  const Encoding encoding = draft.detected.encoding;
  if (converter || target != encoding) {
    // Bytes that are no character cannot be carried into another encoding.
    const Undecodable undecodable = FindUndecodable(encoding, draft.text.view());
    if (undecodable.count > 0) {
      const std::size_t bom = draft.cutPage && draft.detected.bom ? BomOf(encoding).size() : 0;
      ui.ShowMessageBox(messages::CannotConvertBytes(
          draft.path, encoding, static_cast<std::int64_t>(undecodable.first + bom), target));
      return std::nullopt;
    }
  }
  std::optional<ByteText> result;
  std::optional<char32_t> unfit;
  if (!Run(ui, draft.text, [&](Progress&) {
        ByteText made = WithChanges(draft.text, encoding, draft.indentation, chosen);
        if (!converter && target == encoding) {
          result = std::move(made);
          return true;
        }
        EncodedText converted = ConvertText(converter.get(), made.view(), encoding, target);
        if (converted.unencodable > 0) {
          unfit = converted.firstUnencodableChar;
        } else {
          result = ByteText::Copy(converted.bytes);
        }
        return true;
      })) {
    return std::nullopt;
  }
  if (unfit) {
    // UTF-8 holds every character: the list suggests it for the next 确定.
    ui.SetText(kCleanEncodingList, ui.ComboItemText(kCleanEncodingList, 3));
    ui.ShowMessageBox(messages::ConvertedDoesNotFit(target, *unfit));
  }
  return result;
}

void OnOk(Toolkit& ui, AppState& state, const Draft& draft) {
  ui.SetSetting(kJunkRulesSetting, std::string(ui.Text(kCleanRulesBox).view()));
  const int item = Selected(ui, kCleanEncodingList);
  const Encoding target =
      item == 0 ? draft.detected.encoding : kEncodings[static_cast<std::size_t>(item - 1)];
  const std::optional<ByteText> cleaned = Cleaned(ui, draft, target);
  if (!cleaned) return;
  const bool reencoded = target != draft.detected.encoding;
  const Detected detected{target, draft.detected.bom && !BomOf(target).empty()};
  if (draft.cutPage) {
    state.cut.normalEncoding = detected;
    // Headings found in the text before mean nothing in the cleaned one.
    state.chapterSearchDone = 0;
    state.chapterPlan.reset();
    ShowNormalCutSize(ui, state, *cleaned);
    if (reencoded) KeepChoice(ui, kNormalEncodingList, state.cut.normalChosen, target);
  } else if (reencoded) {
    // One edit, which undo takes back with the encoding (the page follows the box:
    // ShowSimpleCutCount).
    state.cut.simpleEncoding = detected;
    KeepChoice(ui, kSimpleEncodingList, state.cut.simpleChosen, target);
    ui.ReplaceTextAsEdit(kSimpleText, *cleaned, target);
  } else {
    ui.ReplaceTextAsEdit(kSimpleText, *cleaned);
  }
  ui.CloseWindow(kCleanWindow);
}

void Open(Toolkit& ui, const AppState& state, Draft& draft, bool cutPage) {
  draft = Draft{};
  draft.cutPage = cutPage;
  if (cutPage) draft.path = state.cut.normalPath;
  draft.text = cutPage ? state.cut.normalText : ui.Text(kSimpleText);
  draft.detected = cutPage ? state.cut.normalEncoding : state.cut.simpleEncoding;
  if (draft.text.empty()) {
    ui.ShowMessageBox(messages::FileToCutIsEmpty());
    return;
  }
  ui.LoadWindow(kCleanWindow, kMainWindow, true);
}

}  // namespace

void BindCleanWindow(Toolkit& ui, AppState& state) {
  using enum Event;
  Toolkit* t = &ui;
  AppState* s = &state;
  auto draft = std::make_shared<Draft>();
  ui.Bind(kSimpleCleanButton, kClicked, [t, s, draft] { Open(*t, *s, *draft, false); });
  ui.Bind(kNormalCleanButton, kClicked, [t, s, draft] { Open(*t, *s, *draft, true); });
  ui.Bind(kCleanWindow, kCreated, [t, draft] {
    t->SetTextEncoding(kCleanRulesBox, Encoding::kUtf8);
    t->SetText(kCleanRulesBox, ByteText(t->Setting(kJunkRulesSetting)));
    if (!ScriptConversionAvailable()) {
      // Said before the user chooses, not only at 确定.
      t->SetComboItemText(kCleanConvertList, 0, GbkFromUtf8("本版本不能转换"));
      t->SetEnabled(kCleanConvertList, false);
    }
    Find(*t, *draft);
    t->Focus(kCleanLineList);
  });
  ui.Bind(kCleanFindButton, kClicked, [t, draft] { Find(*t, *draft); });
  ui.Bind(kCleanBlankList, kItemSelected, [t, draft] { Find(*t, *draft); });
  ui.Bind(kCleanIndentList, kItemSelected, [t, draft] { Find(*t, *draft); });
  ui.Bind(kCleanKindList, kTicked, [t, draft] { OnKindTicked(*t, *draft); });
  ui.Bind(kCleanLineList, kTicked, [t, draft] { ShowSummary(*t, *draft); });
  ui.Bind(kCleanOkButton, kClicked, [t, s, draft] { OnOk(*t, *s, *draft); });
  ui.Bind(kCleanCancelButton, kClicked, [t] { t->CloseWindow(kCleanWindow); });
}

}  // namespace morvane
