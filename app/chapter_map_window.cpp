#include "app/chapter_map_window.h"

#include "presenters/control_names.h"

namespace morvane::app {

using namespace ui;
using namespace names;
using enum ui::Kind;

namespace {

constexpr std::string_view kWindow{};

// Flagged rows stand out in a soft orange that keeps black text readable; rows not cut at
// are greyed.
constexpr std::uint32_t kFlaggedBackground = 0xFFE4C4;
constexpr std::uint32_t kUncutText = 0x808080;

// The rules in the order of RuleKind.
constexpr std::string_view kRules = "第…章（默认）|整行标题|正则表达式";

// clang-format off
const Column kColumns[] = {
  // title  width  right  stretch
  {"切分",  72},
  {"章号",  60,    true},
  {"标题",  346,   false, true},
  {"大小",  76,    true},
  {"提示",  120},
};

const ControlRow kControls[] = {
  // name             kind       parent   x    y    w    h     initial text       at start  look
  {"标签_章节规则",    kLabel,    kWindow, {10,  10,  72,  22},  "章节规则：",       kShown},
  {kMapRuleList,      kDropDown, kWindow, {84,  10,  150, 120}, kRules,            kShown},
  {kMapPatternBox,    kEdit,     kWindow, {242, 10,  380, 22},  "",                kShown, {kSunken | kDisabled},
      "如 ^\\s*第.{1,9}[章节回]"},
  {kMapApplyButton,   kButton,   kWindow, {630, 9,   80,  24},  "应用",            kShown, {kPlain | kDisabled}},
  {kMapList,          kCheckList, kWindow, {10, 42,  700, 380}, "",                kShown,
      {kNoFlags, {}, kUncutText, kFlaggedBackground}, {}, {}, kColumns},
  {"标签_每个文件",    kLabel,    kWindow, {10,  432, 56,  22},  "每个文件",         kShown},
  {kMapPerFileBox,    kSpin,     kWindow, {68,  432, 70,  22},  "1",               kShown, {}, {}, {}, {},
      {1, 100000}},
  {"标签_文件名",      kLabel,    kWindow, {146, 432, 90,  22},  "章；文件名：",     kShown},
  {kMapByNumberRadio, kRadio,    kWindow, {238, 432, 70,  22},  "按序号",           kShown, {kChecked}},
  {kMapByTitleRadio,  kRadio,    kWindow, {312, 432, 70,  22},  "按标题",           kShown},
  {kMapPreview,       kPreview,  kWindow, {10,  462, 700, 20},  "",                kShown},
  {kMapSummary,       kLabel,    kWindow, {10,  490, 500, 24},  "",                kShown},
  {kMapOkButton,      kButton,   kWindow, {540, 490, 80,  26},  "确定",            kShown, {kPlain | kDefault}},
  {kMapCancelButton,  kButton,   kWindow, {630, 490, 80,  26},  "取消",            kShown, {kPlain}},
};
// clang-format on

}  // namespace

std::span<const ControlRow> ChapterMapWindowControls() {
  return kControls;
}

WindowDescription ChapterMapWindowDescription() {
  return {
      .name = kChapterMapWindow,
      .caption = "章节目录",
      // A client area of 720 x 524.
      .outerWidth = 720 + kDesignFrameWidth,
      .outerHeight = 524 + DesignTitleHeight(Frame::kDialog),
      .frame = Frame::kDialog,
      .icon = WindowIcon::kProgram,
      .controls = kControls,
  };
}

}  // namespace morvane::app
