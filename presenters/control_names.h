// SPDX-License-Identifier: MIT
#pragma once
// The handles of the controls, windows and dialog components that handlers address, each
// typed by its kind (core/control_handles.h), so that a misspelt control or an operation
// its kind has not fails to build. The names they hold are the identifiers of the window
// descriptions (app/main_window, app/save_location_window, app/chapter_map_window,
// app/epub_window, app/clean_window, app/batch_window), which name their rows by these handles.

#include "core/control_handles.h"

namespace morvane::names {

// Windows.
inline constexpr Window kMainWindow{"mainWindow"};
inline constexpr Window kSaveLocationWindow{"saveLocationWindow"};

// The pages of the main window that the handlers show or take drops on.
inline constexpr TabPage kCutPage{"高级选择夹1_切割"};
inline constexpr TabPage kSimpleCutPage{"高级选择夹1_简单切割"};
inline constexpr TabPage kMergePage{"高级选择夹1_文本合并"};

// Top strip.
inline constexpr Button kSaveLocationButton{"超级按钮_保存位置"};
inline constexpr EditBox kSaveLocationBox{"编辑框_保存位置"};
inline constexpr EditBox kPrefixBox{"编辑框_分割后文件名前缀"};

// Cut page.
inline constexpr Button kNormalOpenButton{"超级按钮_切割_打开文件"};
inline constexpr EditBox kNormalPathBox{"编辑框_切割_打开文件内容"};
inline constexpr Label kNormalSizeLabel{"标签7"};
inline constexpr EditBox kCutSizeBox{"编辑框_切割_切割大小"};
inline constexpr RadioButton kNormalRadio{"单选框1"};
inline constexpr RadioButton kChapterRadio{"单选框2"};
inline constexpr Button kNormalCutButton{"超级按钮_切割_普通切割"};
inline constexpr Button kChapterSearchButton{"超级按钮_切割_章节搜寻"};
inline constexpr Button kChapterCutButton{"超级按钮_切割_章节切割"};
inline constexpr Button kChapterMapButton{"超级按钮_切割_章节目录"};
inline constexpr Button kEpubButton{"超级按钮_切割_生成EPUB"};
// The book of the opened file in one step: the EPUB window with the automatic map.
inline constexpr Button kConvertEpubButton{"超级按钮_切割_转换为EPUB"};
inline constexpr FileDialog kNormalDialog{"通用对话框2"};
// The encoding of the opened file: 自动 (detected) or one of the encodings.
inline constexpr DropDown kNormalEncodingList{"组合框_切割_编码"};

// Simple-cut page.
inline constexpr EditBox kSimpleText{"编辑框_简单切割_文本容器"};
inline constexpr Button kSimpleOpenButton{"超级按钮_简单切割_打开文件"};
inline constexpr Button kRemoveSpacesButton{"超级按钮_简单切割_去空格"};
inline constexpr Button kRemoveLineBreaksButton{"超级按钮_简单切割_去换行符"};
inline constexpr Button kRemoveTabsButton{"超级按钮_简单切割_去TAB键"};
inline constexpr Button kSimpleCutButton{"超级按钮_简单切割_切割"};
inline constexpr Button kSimpleClearButton{"超级按钮_简单切割_清空"};
inline constexpr Label kSimpleSizeLabel{"标签1"};
inline constexpr EditBox kSimplePieceBytesBox{"编辑框_简单切割_切割字节"};
inline constexpr Label kSimpleCountLabel{"标签4"};
inline constexpr FileDialog kSimpleDialog{"通用对话框1"};
inline constexpr DropDown kSimpleEncodingList{"组合框_简单切割_编码"};

// Merge page.
inline constexpr DropDown kMergeCountList{"组合框1"};
inline constexpr Button kMergeButton{"超级按钮_合并_合并"};
inline constexpr FileDialog kMergeDialog{"通用对话框3"};
// Row n (1..5) of the merge page: caption label, path box, open button.
inline constexpr Label kMergeRowLabel[6] = {Label{""},       Label{"标签9"},  Label{"标签10"},
                                            Label{"标签11"}, Label{"标签12"}, Label{"标签13"}};
inline constexpr EditBox kMergePathBox[6] = {EditBox{""},
                                             EditBox{"编辑框_合并_1"},
                                             EditBox{"编辑框_合并_2"},
                                             EditBox{"编辑框_合并_3"},
                                             EditBox{"编辑框_合并_4"},
                                             EditBox{"编辑框_合并_5"}};
inline constexpr Button kMergeOpenButton[6] = {Button{""},
                                               Button{"超级按钮_合并_1"},
                                               Button{"超级按钮_合并_2"},
                                               Button{"超级按钮_合并_3"},
                                               Button{"超级按钮_合并_4"},
                                               Button{"超级按钮_合并_5"}};
// Row n's encoding list, and the merged file's encoding (the first file's, or one chosen).
inline constexpr DropDown kMergeEncodingList[6] = {DropDown{""},
                                                   DropDown{"组合框_合并_编码_1"},
                                                   DropDown{"组合框_合并_编码_2"},
                                                   DropDown{"组合框_合并_编码_3"},
                                                   DropDown{"组合框_合并_编码_4"},
                                                   DropDown{"组合框_合并_编码_5"}};
inline constexpr DropDown kMergedEncodingList{"组合框_合并_合并编码"};

// Save-location window.
inline constexpr DriveList kDriveList{"驱动器框1"};
inline constexpr FolderTree kFolderTree{"目录框1"};

// The chapter-map window.
inline constexpr Window kChapterMapWindow{"chapterMapWindow"};
inline constexpr DropDown kMapRuleList{"组合框_章节规则"};
inline constexpr EditBox kMapPatternBox{"编辑框_正则表达式"};
inline constexpr Button kMapApplyButton{"按钮_应用"};
inline constexpr CheckList kMapList{"章节列表"};
// The line that offers the automatic rule when the map looks wrong, and its button.
inline constexpr Label kMapAutoHint{"标签_智能提示"};
inline constexpr Button kMapAutoButton{"按钮_改用智能"};
// The title of the chosen chapter, to be renamed.
inline constexpr EditBox kMapTitleBox{"编辑框_标题"};
inline constexpr Button kMapRenameButton{"按钮_改名"};
// The first lines of the chosen chapter; a heading can be added at one of them.
inline constexpr CheckList kMapLines{"章节开头"};
inline constexpr Button kMapAddButton{"按钮_设为标题"};
inline constexpr Button kMapUndoButton{"按钮_撤销"};
// The map as a file of the command line's --list lines.
inline constexpr Button kMapOpenButton{"按钮_打开目录"};
inline constexpr Button kMapSaveButton{"按钮_保存目录"};
inline constexpr FileDialog kMapOpenDialog{"通用对话框_打开目录"};
inline constexpr FileDialog kMapSaveDialog{"通用对话框_保存目录"};
inline constexpr SpinBox kMapPerFileBox{"调节框_每个文件章数"};
inline constexpr RadioButton kMapByNumberRadio{"单选框_按序号"};
inline constexpr RadioButton kMapByTitleRadio{"单选框_按标题"};
inline constexpr RadioButton kMapByVolumeRadio{"单选框_按卷和标题"};
inline constexpr Preview kMapPreview{"预览_文件名"};
inline constexpr Label kMapSummary{"标签_统计"};
inline constexpr Button kMapOkButton{"按钮_确定"};
inline constexpr Button kMapCancelButton{"按钮_取消"};

// The EPUB window.
inline constexpr Window kEpubWindow{"epubWindow"};
inline constexpr EditBox kEpubTitleBox{"编辑框_书名"};
inline constexpr EditBox kEpubAuthorBox{"编辑框_作者"};
inline constexpr EditBox kEpubCoverBox{"编辑框_封面"};
inline constexpr Button kEpubCoverButton{"按钮_选择封面"};
inline constexpr Button kEpubClearCoverButton{"按钮_清除封面"};
inline constexpr FileDialog kEpubCoverDialog{"通用对话框_封面"};
inline constexpr Label kEpubSummary{"标签_EPUB统计"};
inline constexpr Button kEpubOkButton{"按钮_生成"};
inline constexpr Button kEpubCancelButton{"按钮_EPUB取消"};
// The cleaning window, and the 清理… buttons that open it on the simple-cut and cut pages.
inline constexpr Button kSimpleCleanButton{"超级按钮_简单切割_清理"};
inline constexpr Button kNormalCleanButton{"超级按钮_切割_清理"};
inline constexpr Window kCleanWindow{"cleanWindow"};
inline constexpr DropDown kCleanBlankList{"组合框_清理_空行"};
inline constexpr DropDown kCleanIndentList{"组合框_清理_缩进"};
inline constexpr DropDown kCleanConvertList{"组合框_清理_繁简转换"};
inline constexpr DropDown kCleanEncodingList{"组合框_清理_保存编码"};
inline constexpr EditBox kCleanRulesBox{"编辑框_清理_自定义规则"};
inline constexpr Button kCleanFindButton{"按钮_清理_查找"};
inline constexpr CheckList kCleanKindList{"清理_类别列表"};
inline constexpr CheckList kCleanLineList{"清理_行列表"};
inline constexpr Label kCleanSummary{"标签_清理_统计"};
inline constexpr Button kCleanOkButton{"按钮_清理_确定"};
inline constexpr Button kCleanCancelButton{"按钮_清理_取消"};
// The 批量 window, and the button on the cut page that opens it: many files made books.
inline constexpr Button kBatchButton{"超级按钮_切割_批量"};
inline constexpr Window kBatchWindow{"batchWindow"};
inline constexpr EditBox kBatchFolderBox{"编辑框_批量_文件夹"};
inline constexpr Button kBatchFolderButton{"按钮_批量_选择文件夹"};
inline constexpr FileDialog kBatchDialog{"通用对话框_批量"};
inline constexpr CheckList kBatchList{"批量_文件列表"};
inline constexpr Label kBatchSummary{"标签_批量_统计"};
inline constexpr Button kBatchConvertButton{"按钮_批量_转换"};
inline constexpr Button kBatchCloseButton{"按钮_批量_关闭"};

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
