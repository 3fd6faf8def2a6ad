// SPDX-License-Identifier: MIT
#include "window_check.h"

#include <type_traits>

#include "core/gbk.h"

namespace morvane::testing {
namespace {

using enum ControlKind;

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

// Runs f with the row's control as a handle of the row's kind.
template <typename F>
void WithHandle(const ui::ControlRow& row, F&& f) {
  switch (row.kind) {
    case kEdit:
      return f(Control<kEdit>(row.name));
    case kLabel:
      return f(Control<kLabel>(row.name));
    case kTransparentLabel:
      return f(Control<kTransparentLabel>(row.name));
    case kButton:
      return f(Control<kButton>(row.name));
    case kGroupBox:
      return f(Control<kGroupBox>(row.name));
    case kRadio:
      return f(Control<kRadio>(row.name));
    case kDropDown:
      return f(Control<kDropDown>(row.name));
    case kTabControl:
      return f(Control<kTabControl>(row.name));
    case kTabPage:
      return f(Control<kTabPage>(row.name));
    case kWebView:
      return f(Control<kWebView>(row.name));
    case kFileDialog:
      return f(Control<kFileDialog>(row.name));
    case kDriveList:
      return f(Control<kDriveList>(row.name));
    case kFolderTree:
      return f(Control<kFolderTree>(row.name));
    case kCheckList:
      return f(Control<kCheckList>(row.name));
    case kPreview:
      return f(Control<kPreview>(row.name));
    case kSpin:
      return f(Control<kSpin>(row.name));
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
    WithHandle(row, [&]<ui::Kind K>(Control<K> control) {
      if constexpr (std::is_convertible_v<Control<K>, TextControl>) {
        if (TextIsDescribed(K)) {
          const ByteText text = ui.Text(control);
          if (text != GbkFromUtf8(row.text)) differ("text", Utf8FromGbk(text.view()), row.text);
        }
      }
      if constexpr (K == kDropDown) {
        const std::span<const std::string_view> items = row.items;
        for (std::size_t i = 0; i <= items.size(); ++i) {
          const ByteText item = ui.ComboItemText(control, static_cast<int>(i));
          const ByteText described = i < items.size() ? GbkFromUtf8(items[i]) : ByteText();
          if (item != described) {
            differ("item " + std::to_string(i), Utf8FromGbk(item.view()),
                   Utf8FromGbk(described.view()));
          }
        }
        if (ui.SelectedIndex(control) != 0) {
          differ("selected item", std::to_string(ui.SelectedIndex(control)), "0");
        }
      }
      if constexpr (K == kRadio) {
        if (ui.Checked(control) != ((row.look.flags & ui::kChecked) != 0)) {
          differ("checked", yesNo(ui.Checked(control)), yesNo(row.look.flags & ui::kChecked));
        }
      }
      // A tab page shows when its tab is chosen; a dialog component never shows.
      if constexpr (K != kTabPage && K != kFileDialog) {
        if (ui.Visible(control) != row.visible) {
          differ("shown", yesNo(ui.Visible(control)), yesNo(row.visible));
        }
        if (ui.Enabled(control) == ((row.look.flags & ui::kDisabled) != 0)) {
          differ("takes input", yesNo(ui.Enabled(control)),
                 yesNo(!(row.look.flags & ui::kDisabled)));
        }
      }
    });
  }
  return differences;
}

}  // namespace morvane::testing
