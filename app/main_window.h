// SPDX-License-Identifier: MIT
#pragma once
// The main window: its description, one row per control, and the names of the
// controls that only the description itself needs (labels, frames, pages, web views).

#include <span>
#include <string_view>

#include "ui/control_row.h"

namespace morvane::app {

inline constexpr std::string_view kPrefixCaption = "透明标签_分割后文件名";
inline constexpr std::string_view kAnnouncementView = "超文本浏览框3";
inline constexpr std::string_view kPageTabs = "高级选择夹1";
inline constexpr std::string_view kCreditLine = "标签15";
// The pages of 高级选择夹1 beyond those the handlers show (names::kCutPage, ...).
inline constexpr std::string_view kDownloadsPage = "高级选择夹1_文本小说下载";
inline constexpr std::string_view kSuggestionsPage = "高级选择夹1_建议征集";
// Cut page.
inline constexpr std::string_view kNormalCutFrame = "分组框4";
inline constexpr std::string_view kCounterView = "超文本浏览框4";
inline constexpr std::string_view kNormalEncodingCaption = "标签16";
// Simple-cut page.
inline constexpr std::string_view kFunctionFrame = "分组框1";
inline constexpr std::string_view kCountFrame = "分组框2";
inline constexpr std::string_view kCutModeFrame = "分组框3";
inline constexpr std::string_view kSimpleEncodingCaption = "标签17";
// Merge page.
inline constexpr std::string_view kMergeFrame = "分组框5";
inline constexpr std::string_view kMergePrompt = "标签14";
inline constexpr std::string_view kMergeEncodingCaption = "标签18";  // above the rows' lists
inline constexpr std::string_view kMergedEncodingCaption = "标签19";
// Web pages.
inline constexpr std::string_view kSiteView = "超文本浏览框1";
inline constexpr std::string_view kSuggestionView = "超文本浏览框2";

// Window caption, UTF-8.
extern const std::string_view kMainCaption;
// The simple-cut box's text at start, UTF-8 with CR LF line ends.
extern const std::string_view kHelpText;

ui::WindowDescription MainWindowDescription();
std::span<const ui::ControlRow> MainWindowControls();

}  // namespace morvane::app
