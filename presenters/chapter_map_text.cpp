// SPDX-License-Identifier: MIT
#include "presenters/chapter_map_text.h"

#include <algorithm>
#include <cstdio>
#include <utility>
#include <variant>
#include <vector>

#include "engine/messages.h"
#include "engine/output_checks.h"
#include "engine/output_naming.h"
#include "presenters/control_names.h"
#include "presenters/output_steps.h"

namespace morvane {

std::string FlagWords(unsigned flags) {
  static const std::pair<ChapterFlag, const char*> kWords[] = {
      {kGap, "跳号"},  {kRepeat, "重号"}, {kRestart, "重新编号"},
      {kLong, "过长"}, {kShort, "过短"},  {kInline, "不在行首"},
  };
  std::string words;
  for (const auto& [flag, word] : kWords) {
    if (!(flags & flag)) continue;
    if (!words.empty()) words += "、";
    words += word;
  }
  return words;
}

std::string SizeWords(std::int64_t bytes) {
  // One unit down the column, so that sizes compare at a glance; but "0.0 K" would say
  // the chapter is empty, and a chapter of a few bytes is worth seeing as one.
  if (bytes * 20 < 1024) return std::to_string(bytes) + " 字节";
  char text[48];
  std::snprintf(text, sizeof text, "%.1f K", static_cast<double>(bytes) / 1024.0);
  return text;
}

namespace {

// A preview shows what a screenful would: a few hundred lines, from no more than this
// much text (a chapter of a gigabyte in one line is not read whole for it).
constexpr std::size_t kPreviewLines = 300;
constexpr std::int64_t kPreviewBytes = 256 * 1024;
constexpr std::size_t kLineCharacters = 300;

}  // namespace

std::string AutoOffer(const ChapterMap& map, std::size_t automaticChapters) {
  return "这份目录可能有误（" + std::to_string(map.size()) + " 个标题，" +
         std::to_string(FlaggedHeadings(map)) + " 个有提示）；智能规则找到 " +
         std::to_string(automaticChapters) + " 章";
}

std::vector<std::int64_t> ChapterLines(const ChapterMap& map, std::size_t i) {
  const std::string_view text = map.text.view();
  const std::int64_t begin = map.entries[i].offset();
  const std::int64_t end = std::min(begin + kPreviewBytes, begin + map.Length(i));
  const int unit = static_cast<int>(UnitBytes(map.encoding));
  std::vector<std::int64_t> lines;
  for (std::int64_t line = begin; line < end && lines.size() < kPreviewLines;) {
    lines.push_back(line);
    const auto from = static_cast<std::size_t>(line);
    line = static_cast<std::int64_t>(
               LineEndOf(text, from, unit, static_cast<std::size_t>(end - line))) +
           unit;
  }
  return lines;
}

std::string LineWords(const ChapterMap& map, std::int64_t begin, std::int64_t end) {
  const std::string_view text = map.text.view();
  const int unit = static_cast<int>(UnitBytes(map.encoding));
  // Enough bytes for the characters shown in any encoding.
  const std::size_t most =
      std::min<std::size_t>(static_cast<std::size_t>(end - begin), kLineCharacters * 4);
  const auto from = static_cast<std::size_t>(begin);
  const std::size_t limit = LineEndOf(text, from, unit, most);
  // Whole characters only.
  std::size_t stop = from;
  while (stop < limit) {
    const std::size_t length = CharLength(map.encoding, text, stop);
    if (stop + length > limit) break;
    stop += length;
  }
  std::u16string line = Decode(map.encoding, text.substr(from, stop - from)).text;
  for (char16_t& c : line) {
    if (c < 0x20 || c == 0x7F) c = u' ';
  }
  while (!line.empty() && line.back() == u' ') line.pop_back();  // the CR of a CR LF
  if (line.size() > kLineCharacters) {
    // Never half a surrogate pair.
    const bool lead = (line[kLineCharacters - 1] & 0xFC00) == 0xD800;
    line.resize(kLineCharacters - (lead ? 1 : 0));
  }
  return EncodeShown(Encoding::kUtf8, line);
}

namespace {

std::int64_t FilesOf(const ChapterChoice& choice, std::int64_t kept) {
  return 1 + (kept + choice.perFile - 1) / choice.perFile;
}

std::int64_t Kept(const ChapterMap& map, const ChapterChoice& choice) {
  // An entry beyond the choice's list is cut at.
  const auto listed = std::min(choice.cut.size(), map.entries.size());
  return std::count(choice.cut.begin(), choice.cut.begin() + static_cast<std::ptrdiff_t>(listed),
                    true) +
         static_cast<std::int64_t>(map.entries.size() - listed);
}

}  // namespace

std::string MapSummary(const ChapterMap& map, const ChapterChoice& choice) {
  const auto& entries = map.entries;
  const std::int64_t kept = Kept(map, choice);
  const auto flagged = std::count_if(entries.begin(), entries.end(),
                                     [](const ChapterEntry& entry) { return entry.flags() != 0; });
  return "共 " + std::to_string(entries.size()) + " 个标题，" + std::to_string(flagged) +
         " 个有提示，切分 " + std::to_string(kept) + " 处，将写出 " +
         std::to_string(FilesOf(choice, kept)) + " 个文件";
}

std::string NamePreview(const Toolkit& ui, const ChapterMap& map, const ChapterChoice& choice) {
  const auto& entries = map.entries;
  const std::int64_t files = FilesOf(choice, Kept(map, choice));
  const Path prefix = PathOfBox(ui, names::kPrefixBox).path;
  const int width = std::max(4, static_cast<int>(std::to_string(files - 1).size()));
  const std::size_t limit = FileNameLimit(PathOfBox(ui, names::kSaveLocationBox).path);
  std::vector<std::string> names;
  const auto nameOf = [&](int number, const std::u16string& title) {
    return DisplayName(choice.names == NameStyle::kNumber
                           ? PieceFileName(prefix, number)
                           : TitleFileName(prefix, number, width, title, limit));
  };
  names.push_back(nameOf(0, {}));
  std::int64_t keptSoFar = 0;
  for (std::size_t i = 0; i < entries.size() && names.size() < 3; ++i) {
    const bool cut = i >= choice.cut.size() || choice.cut[i];
    if (!cut || keptSoFar++ % choice.perFile != 0) continue;
    names.push_back(nameOf(static_cast<int>(names.size()), FileTitle(map, i, choice.names)));
  }
  if (files > static_cast<std::int64_t>(names.size())) names.push_back("…");
  std::string preview = "文件名：";
  for (std::size_t i = 0; i < names.size(); ++i) {
    if (i > 0) preview += "  ";
    preview += names[i];
  }
  return preview;
}

std::optional<ChapterMap> FindChapterMap(Toolkit& ui, const AppState& state,
                                         const ChapterRule& rule) {
  const ByteText text = state.cut.normalText;
  const Encoding encoding = state.cut.normalEncoding.encoding;
  std::variant<ChapterMap, RuleError> found;
  // A gigabyte takes a moment: the toolkit shows its progress window when it does.
  ui.RunLongWork({0, static_cast<std::int64_t>(text.size())},
                 [&](Progress& progress) { found = MapOf(text, rule, encoding, &progress); });
  // A search the user stopped leaves the map as it was, without a word.
  if (const auto* error = std::get_if<RuleError>(&found)) {
    if (error->kind != RuleError::Kind::kStopped) {
      ui.ShowMessageBox(messages::ChapterRuleFailed(*error, rule));
    }
    return std::nullopt;
  }
  return std::get<ChapterMap>(std::move(found));
}

}  // namespace morvane
