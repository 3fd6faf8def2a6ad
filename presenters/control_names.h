// SPDX-License-Identifier: MIT
#pragma once
// Names of the controls, windows and dialog components that handlers address. They are
// the identifiers of the window descriptions (app/main_window, app/save_location_window,
// app/chapter_map_window, app/epub_window, app/clean_window, app/batch_window).

#include <string_view>

namespace morvane::names {

// Windows.
inline constexpr std::string_view kMainWindow = "mainWindow";
inline constexpr std::string_view kSaveLocationWindow = "saveLocationWindow";

// The pages of the main window that the handlers show or take drops on.
inline constexpr std::string_view kCutPage = "高级选择夹1_切割";
inline constexpr std::string_view kSimpleCutPage = "高级选择夹1_简单切割";
inline constexpr std::string_view kMergePage = "高级选择夹1_文本合并";

// Top strip.
inline constexpr std::string_view kSaveLocationButton = "超级按钮_保存位置";
inline constexpr std::string_view kSaveLocationBox = "编辑框_保存位置";
inline constexpr std::string_view kPrefixBox = "编辑框_分割后文件名前缀";

// Cut page.
inline constexpr std::string_view kNormalOpenButton = "超级按钮_切割_打开文件";
inline constexpr std::string_view kNormalPathBox = "编辑框_切割_打开文件内容";
inline constexpr std::string_view kNormalSizeLabel = "标签7";
inline constexpr std::string_view kCutSizeBox = "编辑框_切割_切割大小";
inline constexpr std::string_view kNormalRadio = "单选框1";
inline constexpr std::string_view kChapterRadio = "单选框2";
inline constexpr std::string_view kNormalCutButton = "超级按钮_切割_普通切割";
inline constexpr std::string_view kChapterSearchButton = "超级按钮_切割_章节搜寻";
inline constexpr std::string_view kChapterCutButton = "超级按钮_切割_章节切割";
inline constexpr std::string_view kChapterMapButton = "超级按钮_切割_章节目录";
inline constexpr std::string_view kEpubButton = "超级按钮_切割_生成EPUB";
// The book of the opened file in one step: the EPUB window with the automatic map.
inline constexpr std::string_view kConvertEpubButton = "超级按钮_切割_转换为EPUB";
inline constexpr std::string_view kNormalDialog = "通用对话框2";
// The encoding of the opened file: 自动 (detected) or one of the encodings.
inline constexpr std::string_view kNormalEncodingList = "组合框_切割_编码";

// Simple-cut page.
inline constexpr std::string_view kSimpleText = "编辑框_简单切割_文本容器";
inline constexpr std::string_view kSimpleOpenButton = "超级按钮_简单切割_打开文件";
inline constexpr std::string_view kRemoveSpacesButton = "超级按钮_简单切割_去空格";
inline constexpr std::string_view kRemoveLineBreaksButton = "超级按钮_简单切割_去换行符";
inline constexpr std::string_view kRemoveTabsButton = "超级按钮_简单切割_去TAB键";
inline constexpr std::string_view kSimpleCutButton = "超级按钮_简单切割_切割";
inline constexpr std::string_view kSimpleClearButton = "超级按钮_简单切割_清空";
inline constexpr std::string_view kSimpleSizeLabel = "标签1";
inline constexpr std::string_view kSimplePieceBytesBox = "编辑框_简单切割_切割字节";
inline constexpr std::string_view kSimpleCountLabel = "标签4";
inline constexpr std::string_view kSimpleDialog = "通用对话框1";
inline constexpr std::string_view kSimpleEncodingList = "组合框_简单切割_编码";

// Merge page.
inline constexpr std::string_view kMergeCountList = "组合框1";
inline constexpr std::string_view kMergeButton = "超级按钮_合并_合并";
inline constexpr std::string_view kMergeDialog = "通用对话框3";
// Row n (1..5) of the merge page: caption label, path box, open button.
inline constexpr std::string_view kMergeRowLabel[6] = {"",       "标签9",  "标签10",
                                                       "标签11", "标签12", "标签13"};
inline constexpr std::string_view kMergePathBox[6] = {
    "", "编辑框_合并_1", "编辑框_合并_2", "编辑框_合并_3", "编辑框_合并_4", "编辑框_合并_5"};
inline constexpr std::string_view kMergeOpenButton[6] = {"",
                                                         "超级按钮_合并_1",
                                                         "超级按钮_合并_2",
                                                         "超级按钮_合并_3",
                                                         "超级按钮_合并_4",
                                                         "超级按钮_合并_5"};
// Row n's encoding list, and the merged file's encoding (the first file's, or one chosen).
inline constexpr std::string_view kMergeEncodingList[6] = {"",
                                                           "组合框_合并_编码_1",
                                                           "组合框_合并_编码_2",
                                                           "组合框_合并_编码_3",
                                                           "组合框_合并_编码_4",
                                                           "组合框_合并_编码_5"};
inline constexpr std::string_view kMergedEncodingList = "组合框_合并_合并编码";

// Save-location window.
inline constexpr std::string_view kDriveList = "驱动器框1";
inline constexpr std::string_view kFolderTree = "目录框1";

// The chapter-map window.
inline constexpr std::string_view kChapterMapWindow = "chapterMapWindow";
inline constexpr std::string_view kMapRuleList = "组合框_章节规则";
inline constexpr std::string_view kMapPatternBox = "编辑框_正则表达式";
inline constexpr std::string_view kMapApplyButton = "按钮_应用";
inline constexpr std::string_view kMapList = "章节列表";
// The line that offers the automatic rule when the map looks wrong, and its button.
inline constexpr std::string_view kMapAutoHint = "标签_智能提示";
inline constexpr std::string_view kMapAutoButton = "按钮_改用智能";
// The title of the chosen chapter, to be renamed.
inline constexpr std::string_view kMapTitleBox = "编辑框_标题";
inline constexpr std::string_view kMapRenameButton = "按钮_改名";
// The first lines of the chosen chapter; a heading can be added at one of them.
inline constexpr std::string_view kMapLines = "章节开头";
inline constexpr std::string_view kMapAddButton = "按钮_设为标题";
inline constexpr std::string_view kMapUndoButton = "按钮_撤销";
// The map as a file of the command line's --list lines.
inline constexpr std::string_view kMapOpenButton = "按钮_打开目录";
inline constexpr std::string_view kMapSaveButton = "按钮_保存目录";
inline constexpr std::string_view kMapOpenDialog = "通用对话框_打开目录";
inline constexpr std::string_view kMapSaveDialog = "通用对话框_保存目录";
inline constexpr std::string_view kMapPerFileBox = "调节框_每个文件章数";
inline constexpr std::string_view kMapByNumberRadio = "单选框_按序号";
inline constexpr std::string_view kMapByTitleRadio = "单选框_按标题";
inline constexpr std::string_view kMapByVolumeRadio = "单选框_按卷和标题";
inline constexpr std::string_view kMapPreview = "预览_文件名";
inline constexpr std::string_view kMapSummary = "标签_统计";
inline constexpr std::string_view kMapOkButton = "按钮_确定";
inline constexpr std::string_view kMapCancelButton = "按钮_取消";

// The EPUB window.
inline constexpr std::string_view kEpubWindow = "epubWindow";
inline constexpr std::string_view kEpubTitleBox = "编辑框_书名";
inline constexpr std::string_view kEpubAuthorBox = "编辑框_作者";
inline constexpr std::string_view kEpubCoverBox = "编辑框_封面";
inline constexpr std::string_view kEpubCoverButton = "按钮_选择封面";
inline constexpr std::string_view kEpubClearCoverButton = "按钮_清除封面";
inline constexpr std::string_view kEpubCoverDialog = "通用对话框_封面";
inline constexpr std::string_view kEpubSummary = "标签_EPUB统计";
inline constexpr std::string_view kEpubOkButton = "按钮_生成";
inline constexpr std::string_view kEpubCancelButton = "按钮_EPUB取消";
// The cleaning window, and the 清理… buttons that open it on the simple-cut and cut pages.
inline constexpr std::string_view kSimpleCleanButton = "超级按钮_简单切割_清理";
inline constexpr std::string_view kNormalCleanButton = "超级按钮_切割_清理";
inline constexpr std::string_view kCleanWindow = "cleanWindow";
inline constexpr std::string_view kCleanBlankList = "组合框_清理_空行";
inline constexpr std::string_view kCleanIndentList = "组合框_清理_缩进";
inline constexpr std::string_view kCleanConvertList = "组合框_清理_繁简转换";
inline constexpr std::string_view kCleanEncodingList = "组合框_清理_保存编码";
inline constexpr std::string_view kCleanRulesBox = "编辑框_清理_自定义规则";
inline constexpr std::string_view kCleanFindButton = "按钮_清理_查找";
inline constexpr std::string_view kCleanKindList = "清理_类别列表";
inline constexpr std::string_view kCleanLineList = "清理_行列表";
inline constexpr std::string_view kCleanSummary = "标签_清理_统计";
inline constexpr std::string_view kCleanOkButton = "按钮_清理_确定";
inline constexpr std::string_view kCleanCancelButton = "按钮_清理_取消";
// The 批量 window, and the button on the cut page that opens it: many files made books.
inline constexpr std::string_view kBatchButton = "超级按钮_切割_批量";
inline constexpr std::string_view kBatchWindow = "batchWindow";
inline constexpr std::string_view kBatchFolderBox = "编辑框_批量_文件夹";
inline constexpr std::string_view kBatchFolderButton = "按钮_批量_选择文件夹";
inline constexpr std::string_view kBatchDialog = "通用对话框_批量";
inline constexpr std::string_view kBatchList = "批量_文件列表";
inline constexpr std::string_view kBatchSummary = "标签_批量_统计";
inline constexpr std::string_view kBatchConvertButton = "按钮_批量_转换";
inline constexpr std::string_view kBatchCloseButton = "按钮_批量_关闭";

// The columns of kMapList, in order.
enum MapColumn {
  kIndexColumn,
  kNumberColumn,
  kTitleColumn,
  kVolumeColumn,
  kSizeColumn,
  kFlagsColumn
};
// The columns of kBatchList, in order.
enum BatchColumn {
  kBatchFileColumn,
  kBatchEncodingColumn,
  kBatchChaptersColumn,
  kBatchDoubtColumn,
  kBatchResultColumn
};

// The items of kMapRuleList, in order: the automatic rule first, where a user looks for it.
enum MapRuleItem { kAutoItem, kNearItem, kLinesItem, kRegexItem };

}  // namespace morvane::names
