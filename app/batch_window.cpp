// SPDX-License-Identifier: MIT
#include "app/batch_window.h"

#include "presenters/control_names.h"

namespace morvane::app {

using namespace ui;
using namespace names;
using enum ControlKind;

namespace {

constexpr std::string_view kWindow{};
constexpr FileFilter kTxtFilter[] = {{"txt文本", "*.txt"}};
// The files that need a look are shaded as the chapter map's flagged rows are.
constexpr std::uint32_t kNeedsLookBackground = 0xFFF0C0;
constexpr std::uint32_t kUntickedText = 0x808080;
// A folder on the box; any number of files on the list.
constexpr Drop kOneFolder{DropKind::kFolder, 1};
constexpr Drop kManyFiles{DropKind::kFiles, 100000};

// clang-format off
// In the order of names::BatchColumn.
const Column kColumns[] = {
  // title     width  right  stretch
  {"文件",     250,   false, true},
  {"编码",     80},
  {"章数",     60,    true},
  {"提示",     170},
  {"结果",     130},
};

const ControlRow kControls[] = {
  // name                kind        parent   x    y    w    h     initial text   at start  look
  {"标签_批量_文件夹",    kLabel,     kWindow, {10,  12,  52,  22},  "文件夹：",     kShown},
  {kBatchFolderBox,      kEdit,      kWindow, {64,  12,  520, 22},  "",             kShown, {kSunken | kReadOnly},
      "把文件夹拖到这里，或点“选择…”选其中任一txt文件", kOneFolder},
  {kBatchFolderButton,   kButton,    kWindow, {592, 11,  118, 24},  "选择…",        kShown, {kPlain}},
  FileDialogRow(kBatchDialog, kWindow, kTxtFilter),
  {"标签_批量_拖放",      kLabel,     kWindow, {10,  40,  700, 22},
      "也可以把多个txt文件拖到下面的列表。勾选的文件转换为EPUB，存入保存位置。", kShown},
  {kBatchList,           kCheckList, kWindow, {10,  66,  700, 320}, "",             kShown,
      {kNoFlags, {}, kUntickedText, kNeedsLookBackground}, {}, kManyFiles, kColumns},
  {kBatchSummary,        kLabel,     kWindow, {10,  396, 520, 24},  "",             kShown},
  {kBatchConvertButton,  kButton,    kWindow, {540, 396, 80,  26},  "转换",         kShown, {kPlain | kDefault | kDisabled}},
  {kBatchCloseButton,    kButton,    kWindow, {630, 396, 80,  26},  "关闭",         kShown, {kPlain}},
};
// clang-format on

}  // namespace

std::span<const ControlRow> BatchWindowControls() {
  return kControls;
}

WindowDescription BatchWindowDescription() {
  return ProgramDialog(kBatchWindow, "批量转换为EPUB", 720, 430, kControls);
}

}  // namespace morvane::app
