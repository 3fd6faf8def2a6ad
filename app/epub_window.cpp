// SPDX-License-Identifier: MIT
#include "app/epub_window.h"

#include "presenters/control_names.h"

namespace morvane::app {

using namespace ui;
using namespace names;
using enum ControlKind;

namespace {

constexpr std::string_view kWindow{};
constexpr FileFilter kImageFilter[] = {{"JPEG或PNG图片", "*.jpg;*.jpeg;*.png"}};

// clang-format off
const ControlRow kControls[] = {
  // name              kind         parent   x    y    w    h     initial text   at start  look
  {"标签_书名",         kLabel,      kWindow, {10,  12,  48,  22},  "书名：",       kShown},
  {kEpubTitleBox,      kEdit,       kWindow, {60,  12,  320, 22},  "",             kShown, {kSunken}},
  {"标签_作者",         kLabel,      kWindow, {10,  42,  48,  22},  "作者：",       kShown},
  {kEpubAuthorBox,     kEdit,       kWindow, {60,  42,  320, 22},  "",             kShown, {kSunken}},
  {"标签_封面",         kLabel,      kWindow, {10,  72,  48,  22},  "封面：",       kShown},
  {kEpubCoverBox,      kEdit,       kWindow, {60,  72,  176, 22},  "",             kShown, {kSunken | kReadOnly},
      "JPEG或PNG图片，可不选"},
  {kEpubCoverButton,   kButton,     kWindow, {244, 71,  66,  24},  "选择…",        kShown, {kPlain}},
  {kEpubClearCoverButton, kButton,  kWindow, {314, 71,  66,  24},  "清除",         kShown, {kPlain}},
  FileDialogRow(kEpubCoverDialog, kWindow, kImageFilter),
  {kEpubSummary,       kLabel,      kWindow, {10,  102, 370, 22},  "",             kShown},
  {kEpubOkButton,      kButton,     kWindow, {214, 132, 80,  26},  "生成",         kShown, {kPlain | kDefault}},
  {kEpubCancelButton,  kButton,     kWindow, {300, 132, 80,  26},  "取消",         kShown, {kPlain}},
};
// clang-format on

}  // namespace

std::span<const ControlRow> EpubWindowControls() {
  return kControls;
}

WindowDescription EpubWindowDescription() {
  return ProgramDialog(kEpubWindow, "生成EPUB", 390, 168, kControls);
}

}  // namespace morvane::app
