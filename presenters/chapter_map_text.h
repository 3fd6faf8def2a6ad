// SPDX-License-Identifier: MIT
#pragma once
// What the chapter-map window says and does apart from its controls: the words for the
// flags and sizes, the summary line, the preview of the file names, and the search under
// a chosen rule.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/toolkit.h"
#include "engine/chapter_map.h"
#include "engine/map_doubts.h"
#include "presenters/state.h"

namespace morvane {

// The flags in words, as the map shows them: "跳号、过长"; empty for none (UTF-8).
std::string FlagWords(unsigned flags);
// A chapter's size in K with one decimal: "0.5 K", "1.5 K"; one too small for that in
// bytes, "37 字节", which a reader takes for what it is (UTF-8).
std::string SizeWords(std::int64_t bytes);
// The one line that offers the automatic rule when the map looks wrong (MapLooksWrong):
// "这份目录可能有误（N 个标题，F 个有提示）；智能规则找到 M 章" (UTF-8).
std::string AutoOffer(const ChapterMap& map, std::size_t automaticChapters);
// Where the lines of chapter i begin, for its preview: its first lines, as many as fit
// into what a look at a screenful of text takes (the last may be cut short).
std::vector<std::int64_t> ChapterLines(const ChapterMap& map, std::size_t i);
// The line of text that begins at begin (the next line, or end, ends it), control
// characters as spaces, at most a few hundred characters (UTF-8).
std::string LineWords(const ChapterMap& map, std::int64_t begin, std::int64_t end);
// "共 N 个标题，F 个有提示，切分 K 处，将写出 W 个文件" (UTF-8).
std::string MapSummary(const ChapterMap& map, const ChapterChoice& choice);
// "文件名：" and the names of the first three files the cut would write now, with the
// prefix and save location the main window shows, then "…" when there are more (UTF-8).
std::string NamePreview(const Toolkit& ui, const ChapterMap& map, const ChapterChoice& choice);
// The map of the text opened on the cut page under rule, found as long work; nothing
// when the rule is refused, after the message that says why.
std::optional<ChapterMap> FindChapterMap(Toolkit& ui, const AppState& state,
                                         const ChapterRule& rule);

}  // namespace morvane
