// SPDX-License-Identifier: MIT
#include "window_check.h"

#include "core/gbk.h"

namespace morvane::testing {
namespace {

using enum ui::Kind;

// The kinds whose text is the row's text: the others show a folder, a path or rows.
bool TextIsDescribed(ui::Kind kind) {
  switch (kind) {
    case kFileDialog:
    case kDriveList:
    case kFolderTree:
    case kTabControl:
    case kTabPage:
    case kCheckList:
    case kDropDown:
      return false;
    default:
      return true;
  }
}

}  // namespace

std::vector<std::string> DifferencesFromDescription(const Toolkit& ui,
                                                    const ui::WindowDescription& window) {
  std::vector<std::string> differences;
  for (const ui::ControlRow& row : window.controls) {
    const std::string name(row.name);
    const auto differ = [&](std::string_view what, std::string_view is, std::string_view was) {
      differences.push_back(name + ": " + std::string(what) + " 「" + std::string(is) +
                            "」, described 「" + std::string(was) + "」");
    };
    const auto yesNo = [](bool yes) { return yes ? "yes" : "no"; };
    if (TextIsDescribed(row.kind)) {
      const ByteText text = ui.Text(row.name);
      if (text != GbkFromUtf8(row.text)) differ("text", Utf8FromGbk(text.view()), row.text);
    }
    if (row.kind == kDropDown) {
      const std::span<const std::string_view> items = row.items;
      for (std::size_t i = 0; i <= items.size(); ++i) {
        const ByteText item = ui.ComboItemText(row.name, static_cast<int>(i));
        const ByteText described = i < items.size() ? GbkFromUtf8(items[i]) : ByteText();
        if (item != described) {
          differ("item " + std::to_string(i), Utf8FromGbk(item.view()),
                 Utf8FromGbk(described.view()));
        }
      }
      if (ui.SelectedIndex(row.name) != 0) {
        differ("selected item", std::to_string(ui.SelectedIndex(row.name)), "0");
      }
    }
    // A tab page shows when its tab is chosen; a dialog component never shows.
    if (row.kind != kTabPage && row.kind != kFileDialog && ui.Visible(row.name) != row.visible) {
      differ("shown", yesNo(ui.Visible(row.name)), yesNo(row.visible));
    }
    if (row.kind == kRadio && ui.Checked(row.name) != ((row.look.flags & ui::kChecked) != 0)) {
      differ("checked", yesNo(ui.Checked(row.name)), yesNo(row.look.flags & ui::kChecked));
    }
    if (row.kind != kFileDialog && row.kind != kTabPage &&
        ui.Enabled(row.name) == ((row.look.flags & ui::kDisabled) != 0)) {
      differ("takes input", yesNo(ui.Enabled(row.name)), yesNo(!(row.look.flags & ui::kDisabled)));
    }
  }
  return differences;
}

}  // namespace morvane::testing
