#pragma once
// The chapter-map window: after a chapter search, the user sees every heading (its
// chapter number, title, size and what looks wrong), switches the rule and sees the map
// change, unticks headings that are no headings, and chooses how many chapters go into
// a file and how the files are named. 确定 keeps that choice for the next chapter cut;
// a user who never opens the window cuts as before.
//
// Its description, one row per control, and the names of its controls.

#include <span>
#include <string_view>

#include "ui/control_row.h"

namespace morvane::app {

inline constexpr std::string_view kChapterMapWindow = "chapterMapWindow";
inline constexpr std::string_view kMapRuleList = "组合框_章节规则";
inline constexpr std::string_view kMapPatternBox = "编辑框_正则表达式";
inline constexpr std::string_view kMapApplyButton = "按钮_应用";
inline constexpr std::string_view kMapList = "章节列表";
inline constexpr std::string_view kMapPerFileBox = "调节框_每个文件章数";
inline constexpr std::string_view kMapByNumberRadio = "单选框_按序号";
inline constexpr std::string_view kMapByTitleRadio = "单选框_按标题";
inline constexpr std::string_view kMapPreview = "预览_文件名";
inline constexpr std::string_view kMapSummary = "标签_统计";
inline constexpr std::string_view kMapOkButton = "按钮_确定";
inline constexpr std::string_view kMapCancelButton = "按钮_取消";

// The columns of the map, in order.
enum MapColumn { kIndexColumn, kNumberColumn, kTitleColumn, kSizeColumn, kFlagsColumn };

ui::WindowDescription ChapterMapWindowDescription();
std::span<const ui::ControlRow> ChapterMapWindowControls();

}  // namespace morvane::app
