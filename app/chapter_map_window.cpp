// SPDX-License-Identifier: MIT
#include "app/chapter_map_window.h"

#include "presenters/control_names.h"

namespace morvane::app {

using namespace ui;
using namespace names;
using enum ControlKind;

namespace {

constexpr std::string_view kWindow{};

// Flagged rows stand out in a soft orange that keeps black text readable; rows not cut at
// are greyed.
constexpr std::uint32_t kFlaggedBackground = 0xFFE4C4;
constexpr std::uint32_t kUncutText = 0x808080;

// The rules in the order of names::MapRuleItem.
constexpr std::string_view kRules[] = {"智能", "第…章（默认）", "整行标题", "正则表达式"};
constexpr FileFilter kMapFiles[] = {{"章节目录", "*.tsv;*.txt"}, {"所有文件", "*.*"}};

// clang-format off
const Column kColumns[] = {
  // title  width  right  stretch
  {"切分",  72},
  {"章号",  60,    true},
  {"标题",  250,   false, true},
  {"卷",    96},
  {"大小",  76,    true},
  {"提示",  120},
};

const Column kLineColumns[] = {
  {"所选章节的开头（选一行，设为标题，就在那里切分）", 0, false, true},
};

const ControlRow kControls[] = {
  // name             kind       parent   x    y    w    h     initial text       at start  look
  {"标签_章节规则",    kLabel,    kWindow, {10,  10,  72,  22},  "章节规则：",       kShown},
  DropDownRow(kMapRuleList, kWindow, {84,  10,  150, 120}, kRules),
  {kMapPatternBox,    kEdit,     kWindow, {242, 10,  380, 22},  "",                kShown, {kSunken | kDisabled},
      "如 ^\\s*第.{1,9}[章节回]"},
  {kMapApplyButton,   kButton,   kWindow, {630, 9,   80,  24},  "应用",            kShown, {kPlain | kDisabled}},
  {kMapAutoHint,      kLabel,    kWindow, {10,  38,  610, 22},  "",                kHidden},
  {kMapAutoButton,    kButton,   kWindow, {630, 37,  80,  24},  "改用智能",        kHidden, {kPlain}},
  {kMapList,          kCheckList, kWindow, {10, 66,  700, 240}, "",                kShown,
      {kNoFlags, {}, kUncutText, kFlaggedBackground}, {}, {}, kColumns},
  {"标签_标题",        kLabel,    kWindow, {10,  314, 40,  22},  "标题：",           kShown},
  {kMapTitleBox,      kEdit,     kWindow, {52,  314, 490, 22},  "",                kShown, {kSunken}},
  {kMapRenameButton,  kButton,   kWindow, {550, 313, 76,  24},  "改名",            kShown, {kPlain}},
  {kMapLines,         kCheckList, kWindow, {10, 344, 616, 150}, "",                kShown,
      {kNoBoxes}, {}, {}, kLineColumns},
  {kMapAddButton,     kButton,   kWindow, {634, 344, 76,  24},  "设为标题",         kShown, {kPlain}},
  {kMapUndoButton,    kButton,   kWindow, {634, 376, 76,  24},  "撤销",            kShown, {kPlain | kDisabled}},
  {"标签_每个文件",    kLabel,    kWindow, {10,  502, 56,  22},  "每个文件",         kShown},
  {kMapPerFileBox,    kSpin,     kWindow, {68,  502, 70,  22},  "1",               kShown, {}, {}, {}, {},
      {1, 100000}},
  {"标签_文件名",      kLabel,    kWindow, {146, 502, 90,  22},  "章；文件名：",     kShown},
  {kMapByNumberRadio, kRadio,    kWindow, {238, 502, 70,  22},  "按序号",           kShown, {kChecked}},
  {kMapByTitleRadio,  kRadio,    kWindow, {312, 502, 70,  22},  "按标题",           kShown},
  {kMapByVolumeRadio, kRadio,    kWindow, {386, 502, 100, 22},  "按卷和标题",       kShown},
  {kMapOpenButton,    kButton,   kWindow, {550, 501, 78,  24},  "打开目录",         kShown, {kPlain}},
  {kMapSaveButton,    kButton,   kWindow, {632, 501, 78,  24},  "保存目录",         kShown, {kPlain}},
  {kMapPreview,       kPreview,  kWindow, {10,  532, 700, 20},  "",                kShown},
  {kMapSummary,       kLabel,    kWindow, {10,  560, 500, 24},  "",                kShown},
  {kMapOkButton,      kButton,   kWindow, {540, 560, 80,  26},  "确定",            kShown, {kPlain | kDefault}},
  {kMapCancelButton,  kButton,   kWindow, {630, 560, 80,  26},  "取消",            kShown, {kPlain}},
  FileDialogRow(kMapOpenDialog, kWindow, kMapFiles),
  FileDialogRow(kMapSaveDialog, kWindow, kMapFiles, kSaveAs),
};
// clang-format on

}  // namespace

std::span<const ControlRow> ChapterMapWindowControls() {
  return kControls;
}

WindowDescription ChapterMapWindowDescription() {
  return ProgramDialog(kChapterMapWindow, "章节目录", 720, 594, kControls);
}

}  // namespace morvane::app
