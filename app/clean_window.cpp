// SPDX-License-Identifier: MIT
#include "app/clean_window.h"

#include "presenters/control_names.h"

namespace morvane::app {

using namespace ui;
using namespace names;
using enum ControlKind;

namespace {

constexpr std::string_view kWindow{};
constexpr std::uint32_t kUntickedText = 0x808080;

// The items of the lists, in the order of the presenter's tables (presenters/line_cleaning.h).
constexpr std::string_view kBlankItems[] = {"合并为一行", "全部删除", "保留"};
constexpr std::string_view kIndentItems[] = {"两个全角空格", "不缩进", "保留"};
constexpr std::string_view kConvertItems[] = {
    "不转换",
    "繁→简 (t2s)",
    "简→繁 (s2t)",
    "台湾正体→简 (tw2s)",
    "简→台湾正体 (s2tw)",
    "香港繁体→简 (hk2s)",
    "简→香港繁体 (s2hk)",
    "台湾正体→简，含词汇 (tw2sp)",
    "简→台湾正体，含词汇 (s2twp)",
};
constexpr std::string_view kEncodingItems[] = {"原编码",   "GBK",      "GB18030", "UTF-8",
                                               "UTF-16LE", "UTF-16BE", "Big5"};

// clang-format off
const Column kKindColumns[] = {
  // title     width  right
  {"清理",     200},
  {"行数",     100,   true},
};

const Column kLineColumns[] = {
  // title     width  right  stretch
  {"行号",     90,    true},
  {"类别",     90},
  {"内容",     496,   false, true},
};

const ControlRow kControls[] = {
  // name               kind        parent   x    y    w    h     initial text       at start  look
  {"标签_清理_空行",     kLabel,     kWindow, {10,  10,  40,  22},  "空行：",          kShown},
  DropDownRow(kCleanBlankList, kWindow, {50,  10,  100, 120}, kBlankItems),
  {"标签_清理_缩进",     kLabel,     kWindow, {160, 10,  40,  22},  "缩进：",          kShown},
  DropDownRow(kCleanIndentList, kWindow, {200, 10,  110, 120}, kIndentItems),
  {"标签_清理_繁简",     kLabel,     kWindow, {320, 10,  64,  22},  "繁简转换：",      kShown},
  DropDownRow(kCleanConvertList, kWindow, {384, 10,  160, 200}, kConvertItems),
  {"标签_清理_编码",     kLabel,     kWindow, {554, 10,  64,  22},  "保存编码：",      kShown},
  DropDownRow(kCleanEncodingList, kWindow, {618, 10,  92,  200}, kEncodingItems),
  {"标签_清理_规则",     kLabel,     kWindow, {10,  40,  250, 22},  "自定义广告规则（每行一条）：", kShown},
  {kCleanRulesBox,      kEdit,      kWindow, {10,  62,  250, 150}, "",               kShown, {kMultiLine | kSunken},
      "整行文字，或 re: 加正则表达式"},
  {kCleanFindButton,    kButton,    kWindow, {10,  220, 250, 26},  "查找",            kShown, {kPlain}},
  {kCleanKindList,      kCheckList, kWindow, {270, 40,  440, 206}, "",               kShown,
      {kNoFlags, {}, kUntickedText}, {}, {}, kKindColumns},
  {kCleanLineList,      kCheckList, kWindow, {10,  256, 700, 224}, "",               kShown,
      {kNoFlags, {}, kUntickedText}, {}, {}, kLineColumns},
  {kCleanSummary,       kLabel,     kWindow, {10,  490, 520, 24},  "",               kShown},
  {kCleanOkButton,      kButton,    kWindow, {540, 490, 80,  26},  "确定",            kShown, {kPlain | kDefault}},
  {kCleanCancelButton,  kButton,    kWindow, {630, 490, 80,  26},  "取消",            kShown, {kPlain}},
};
// clang-format on

}  // namespace

std::span<const ControlRow> CleanWindowControls() {
  return kControls;
}

WindowDescription CleanWindowDescription() {
  // The same width as the chapter map.
  return ProgramDialog(kCleanWindow, "清理", 720, 524, kControls);
}

}  // namespace morvane::app
