// SPDX-License-Identifier: MIT
#include "app/save_location_window.h"

#include "presenters/control_names.h"

namespace morvane::app {

using namespace ui;
using enum ControlKind;

namespace {

constexpr std::string_view kWindow{};

// clang-format off
const ControlRow kControls[] = {
  // name             kind         parent   x   y   w    h     initial text  at start
  {names::kDriveList, kDriveList,  kWindow, {0,  0,  200, 20},  "",           kShown},
  {names::kFolderTree, kFolderTree, kWindow, {-1, 21, 200, 200}, "",           kShown},
};
// clang-format on

}  // namespace

std::span<const ControlRow> SaveLocationWindowControls() {
  return kControls;
}

WindowDescription SaveLocationWindowDescription() {
  return {
      .name = names::kSaveLocationWindow,
      .caption = "保存位置",
      .outerWidth = 204,
      .outerHeight = 244,
      .frame = Frame::kToolWindow,
      .icon = WindowIcon::kProgram,
      .controls = kControls,
  };
}

}  // namespace morvane::app
