// SPDX-License-Identifier: MIT
// The Toolkit on the Win32 API: the windows built from their descriptions and the
// controls reached by name (texts, paths, visibility, pages, lists, settings). The other
// files of ui/win32/ hold the factories of the controls, the message loop, the dialogs,
// the check lists, the folder tree and the drives.
#include "ui/win32/win32_toolkit.h"

#include <commctrl.h>
#include <uxtheme.h>

#include <algorithm>
#include <cwctype>
#include <new>
#include <stdexcept>
#include <tuple>
#include <utility>

#include "core/fatal.h"
#include "core/gbk.h"
#include "core/numbers.h"
#include "ui/win32/win32_control.h"
#include "ui/win32/win32_dpi.h"
#include "ui/win32/win32_text.h"

namespace morvane::ui {

// ---- the toolkit -------------------------------------------------------------------

Win32Toolkit::Win32Toolkit() {
  RegisterClasses();
}

Win32Toolkit::~Win32Toolkit() {
  while (!windows_.empty()) {
    HWND window = windows_.begin()->second->hwnd;
    if (window && IsWindow(window)) {
      DestroyWindow(window);
    } else {
      Forget(windows_.begin()->first);
    }
  }
  for (auto& [key, font] : fonts_) DeleteObject(font);
  if (folderImages_) ImageList_Destroy(folderImages_);
}

void Win32Toolkit::Describe(WindowDescription window) {
  std::string name(window.name);
  descriptions_.insert_or_assign(std::move(name), std::move(window));
}

HWND Win32Toolkit::Handle(std::string_view control) const {
  if (auto window = windows_.find(control); window != windows_.end()) return window->second->hwnd;
  auto found = controls_.find(control);
  return found == controls_.end() ? nullptr : found->second->hwnd;
}

Win32Toolkit::Control& Win32Toolkit::Find(std::string_view name) {
  auto found = controls_.find(name);
  if (found == controls_.end()) {
    throw std::logic_error("no control named " + std::string(name) + " is open");
  }
  return *found->second;
}

const Win32Toolkit::Control& Win32Toolkit::Find(std::string_view name) const {
  return const_cast<Win32Toolkit*>(this)->Find(name);
}

Win32Toolkit::Control* Win32Toolkit::FindById(const TopWindow& top, int id) {
  for (const std::string& name : top.controls) {
    Control& control = *controls_.at(name);
    if (control.id == id) return &control;
  }
  return nullptr;
}

void Win32Toolkit::Fire(std::string_view control, Event event) {
  auto found = routines_.find({std::string(control), event});
  if (found == routines_.end()) return;
  Routine routine = found->second;  // the routine may bind again
  // An exception must not cross the toolkit's event loop: memory running out ends the
  // program with its message.
  try {
    routine();
  } catch (const std::bad_alloc&) {
    OutOfMemoryAtTop();
  }
}

void Win32Toolkit::Bind(EventSource control, Event event, Routine routine) {
  routines_[{std::string(control), event}] = std::move(routine);
}

HFONT Win32Toolkit::FontFor(const Font& font, int dpi) {
  const std::string family = font.family.empty() ? std::string("SimSun") : std::string(font.family);
  const int pixels = Scaled(font.pixelSize > 0 ? font.pixelSize : 12, dpi);
  const auto key = std::make_pair(family, pixels * 2 + (font.bold ? 1 : 0));
  if (auto found = fonts_.find(key); found != fonts_.end()) return found->second;
  HFONT handle =
      CreateFontW(-pixels, 0, 0, 0, font.bold ? FW_BOLD : FW_NORMAL, FALSE, FALSE, FALSE,
                  GB2312_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                  DEFAULT_PITCH | FF_DONTCARE, WideFromUtf8Literal(family).c_str());
  fonts_[key] = handle;
  return handle;
}

POINT Win32Toolkit::Origin(const Control& control) const {
  POINT at{control.place.x, control.place.y};
  for (const Control* c = &control; !c->parent.empty();) {
    c = controls_.at(c->parent).get();
    at.x += c->place.x;
    at.y += c->place.y;
  }
  return at;
}

HWND Win32Toolkit::CreateTopWindow(std::string_view window, HWND owner) {
  auto described = descriptions_.find(window);
  if (described == descriptions_.end()) {
    throw std::logic_error("no window described as " + std::string(window));
  }
  const WindowDescription& description = described->second;
  auto top = std::make_unique<TopWindow>();
  top->toolkit = this;
  top->name = std::string(window);
  top->main = owner == nullptr;
  TopWindow& ref = *top;
  windows_[top->name] = std::move(top);

  DWORD style = WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
  DWORD exStyle = WS_EX_CONTROLPARENT;
  int width = description.outerWidth;
  int height = description.outerHeight;
  switch (description.frame) {
    case Frame::kMain:
      style |= WS_OVERLAPPED | WS_MINIMIZEBOX;
      exStyle |= WS_EX_APPWINDOW;
      break;
    case Frame::kToolWindow:
      style |= WS_OVERLAPPED;
      exStyle |= WS_EX_TOOLWINDOW;
      break;
    case Frame::kDialog:
      // The system's own dialog frame around the described client area.
      style |= WS_POPUP;
      exStyle |= WS_EX_DLGMODALFRAME;
      break;
  }
  ref.hwnd = CreateWindowExW(
      exStyle, kWindowClass, WideFromUtf8Literal(description.caption).c_str(), style, CW_USEDEFAULT,
      CW_USEDEFAULT, width, height, owner, nullptr, GetModuleHandleW(nullptr), &ref);
  if (!ref.hwnd) {
    windows_.erase(ref.name);
    return nullptr;
  }
  ref.opened = ++opened_;
  // Sized at the DPI of the monitor it stands on: the described client area scaled, in the
  // frame the system draws at that DPI (a main window's outer size is a least).
  ref.dpi = WindowDpi(ref.hwnd);
  SIZE framed = FramedSize(Scaled(ClientWidth(description), ref.dpi),
                           Scaled(ClientHeight(description), ref.dpi), style, exStyle, ref.dpi);
  if (description.frame != Frame::kDialog) {
    framed.cx = std::max<LONG>(framed.cx, Scaled(width, ref.dpi));
    framed.cy = std::max<LONG>(framed.cy, Scaled(height, ref.dpi));
  }
  SetWindowPos(ref.hwnd, nullptr, 0, 0, framed.cx, framed.cy,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  for (const ControlRow& row : description.controls) Build(row, ref);
  for (const ControlRow& row : description.controls) {
    if (row.drop.kind == DropKind::kNone) continue;
    DragAcceptFiles(ref.hwnd, TRUE);
    dropTargets_.emplace_back(row.name);
  }
  // Frames lie under what they frame.
  for (const std::string& name : ref.controls) {
    const Control& control = *controls_.at(name);
    if (control.kind == Kind::kGroupBox) {
      SetWindowPos(control.hwnd, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    }
  }
  for (const std::string& name : ref.controls) {
    const Control& control = *controls_.at(name);
    if (control.kind == Kind::kTabControl) {
      SetWindowPos(control.hwnd, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
      // The page shown at start.
      SendMessageW(control.hwnd, TCM_SETCURSEL, control.As<TabsPart>().shown, 0);
    }
  }
  UpdateVisibility(ref.name);
  const std::string name = ref.name;
  Fire(name, Event::kCreated);
  return Handle(name);
}

bool Win32Toolkit::ShownOnScreen(const Control& control) const {
  for (const Control* c = &control;;) {
    if (!c->shown) return false;
    if (c->parent.empty()) return true;
    const Control& parent = *controls_.at(c->parent);
    if (parent.kind == Kind::kTabPage) {
      // A page's controls show with the page; the page shows when it is the current one.
      return true;
    }
    c = &parent;
  }
}

void Win32Toolkit::UpdateVisibility(const std::string& window) {
  auto top = windows_.find(window);
  if (top == windows_.end()) return;
  for (const std::string& name : top->second->controls) {
    Control& control = *controls_.at(name);
    if (!control.hwnd) continue;
    bool show = ShownOnScreen(control);
    if (control.kind == Kind::kTabPage) {
      const Control& tabs = *controls_.at(control.parent);
      show = ShownOnScreen(tabs) && tabs.As<TabsPart>().shown == control.As<PagePart>().index;
    }
    ShowWindow(control.hwnd, show ? SW_SHOWNA : SW_HIDE);
    if (HWND arrows = control.Arrows()) ShowWindow(arrows, show ? SW_SHOWNA : SW_HIDE);
  }
}

void Win32Toolkit::SelectPage(Control& tabs, int page) {
  tabs.As<TabsPart>().shown = page;
  SendMessageW(tabs.hwnd, TCM_SETCURSEL, page, 0);
  UpdateVisibility(tabs.window);
}

void Win32Toolkit::ShowPage(TabPage page) {
  const Control& shown = Find(page);
  SelectPage(Find(shown.parent), shown.As<PagePart>().index);
}

void Win32Toolkit::ShowCentred(HWND window) {
  RECT frame;
  GetWindowRect(window, &frame);
  RECT work;
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  const int width = frame.right - frame.left;
  const int height = frame.bottom - frame.top;
  // A window larger than the work area (large fonts on a small screen) keeps its title bar
  // and left edge in sight.
  const auto place = [](LONG low, LONG high, int size) {
    return std::max<LONG>(low, std::min<LONG>(low + (high - low - size) / 2, high - size));
  };
  SetWindowPos(window, nullptr, place(work.left, work.right, width),
               place(work.top, work.bottom, height), 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  ShowWindow(window, SW_SHOW);
  UpdateWindow(window);
}

// ---- texts -------------------------------------------------------------------------

ByteText Win32Toolkit::Text(TextControl name) const {
  const Control& control = Find(name);
  switch (control.kind) {
    case Kind::kWebView:
      return control.As<WebPart>().text;
    case Kind::kFileDialog:
      return Gbk(dialogs_.at(control.name).fileName);
    case Kind::kDriveList: {
      const auto& drives = control.As<DrivesPart>().drives;
      const auto index = SendMessageW(control.hwnd, CB_GETCURSEL, 0, 0);
      if (index < 0 || static_cast<std::size_t>(index) >= drives.size()) return {};
      return Gbk(drives[static_cast<std::size_t>(index)].root);
    }
    case Kind::kFolderTree:
      return Gbk(control.As<TreePart>().value);
    case Kind::kDropDown: {
      const auto index = static_cast<int>(SendMessageW(control.hwnd, CB_GETCURSEL, 0, 0));
      return ComboItemText(DropDown(name), index);
    }
    case Kind::kTabPage:
    case Kind::kTabControl:
      return {};
    case Kind::kEdit:
      return BytesIn(control.As<EditPart>().encoding, WindowText(control.hwnd));
    default:
      return Gbk(WindowText(control.hwnd));
  }
}

void Win32Toolkit::SetText(TextControl name, const ByteText& text) {
  Control& control = Find(name);
  const std::wstring wide =
      WideIn(control.kind == Kind::kEdit ? control.As<EditPart>().encoding : Encoding::kGbk, text);
  switch (control.kind) {
    case Kind::kEdit:
      ++settingText_;
      SetWindowTextW(control.hwnd, wide.c_str());
      --settingText_;
      Fire(name, Event::kContentChanged);
      return;
    case Kind::kSpin:
      // Set by a handler: no change event.
      ++settingText_;
      SendMessageW(control.Arrows(), UDM_SETPOS32, 0, ToInteger(text));
      --settingText_;
      return;
    case Kind::kWebView:
      control.As<WebPart>().text = text;
      SetWindowTextW(control.hwnd, PlainTextOfPage(wide).c_str());
      return;
    case Kind::kFolderTree:
      SetTreePath(control, wide);
      return;
    case Kind::kDriveList: {
      const auto& drives = control.As<DrivesPart>().drives;
      for (std::size_t i = 0; i < drives.size(); ++i) {
        if (!wide.empty() && towupper(wide[0]) == drives[i].root[0]) {
          SendMessageW(control.hwnd, CB_SETCURSEL, i, 0);
        }
      }
      return;
    }
    case Kind::kFileDialog:
      dialogs_[control.name].fileName = wide;
      return;
    case Kind::kDropDown: {
      // The item with that text becomes the selected one; no selection event.
      const auto index = SendMessageW(control.hwnd, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                      reinterpret_cast<LPARAM>(wide.c_str()));
      if (index != CB_ERR) SendMessageW(control.hwnd, CB_SETCURSEL, index, 0);
      return;
    }
    case Kind::kTransparentLabel: {
      SetWindowTextW(control.hwnd, wide.c_str());
      // Nothing paints the old text away behind a transparent label but its parent.
      RECT r;
      GetWindowRect(control.hwnd, &r);
      HWND parent = GetParent(control.hwnd);
      MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
      InvalidateRect(parent, &r, TRUE);
      return;
    }
    default:
      SetWindowTextW(control.hwnd, wide.c_str());
      return;
  }
}

// As the Qt toolkit does: a folder tree opens the folder, a drive list selects its drive,
// a file dialog component takes the path as the file last chosen; a box shows the path's
// name and keeps the path (Toolkit::SetPath).
void Win32Toolkit::SetPath(PathControl name, const Path& path) {
  Control& control = Find(name);
  switch (control.kind) {
    case Kind::kFolderTree:
      SetTreePath(control, path.native());
      return;
    case Kind::kDriveList: {
      const auto& drives = control.As<DrivesPart>().drives;
      const std::wstring& native = path.native();
      for (std::size_t i = 0; i < drives.size(); ++i) {
        if (!native.empty() && towupper(native[0]) == drives[i].root[0]) {
          SendMessageW(control.hwnd, CB_SETCURSEL, i, 0);
        }
      }
      return;
    }
    case Kind::kFileDialog:
      dialogs_[control.name].fileName = path.native();
      return;
    default:
      Toolkit::SetPath(name, path);
  }
}

std::optional<Path> Win32Toolkit::PathIn(PathControl name) const {
  const Control& control = Find(name);
  switch (control.kind) {
    case Kind::kFolderTree:
      return Path(control.As<TreePart>().value);
    case Kind::kDriveList: {
      const auto& drives = control.As<DrivesPart>().drives;
      const auto index = SendMessageW(control.hwnd, CB_GETCURSEL, 0, 0);
      if (index < 0 || static_cast<std::size_t>(index) >= drives.size()) return std::nullopt;
      return Path(drives[static_cast<std::size_t>(index)].root);
    }
    case Kind::kFileDialog:
      return DialogFileName(FileDialog(name));
    default:
      return Toolkit::PathIn(name);
  }
}

TypedName Win32Toolkit::TypedPathIn(PathControl name) const {
  if (auto path = PathIn(name)) return {*path, {}};
  const Control& control = Find(name);
  if (control.kind != Kind::kEdit || control.As<EditPart>().encoding != Encoding::kGbk) {
    return Toolkit::TypedPathIn(name);
  }
  // The box's GBK bytes would hold "?" for a character GBK lacks; its text holds it. A
  // stand-in for a byte that is no character is refused as a typed byte is.
  std::wstring text = WindowText(control.hwnd);
  if (std::any_of(text.begin(), text.end(), [](wchar_t c) { return IsByteStandIn(c); })) {
    return Toolkit::TypedPathIn(name);
  }
  return {Path(std::move(text)), {}};
}

bool Win32Toolkit::Visible(AnyControl name) const {
  return Find(name).shown;
}

void Win32Toolkit::SetVisible(AnyControl name, bool visible) {
  Control& control = Find(name);
  control.shown = visible;
  UpdateVisibility(control.window);
}

bool Win32Toolkit::Enabled(AnyControl name) const {
  const Control& control = Find(name);
  return control.hwnd != nullptr && IsWindowEnabled(control.hwnd);
}

void Win32Toolkit::SetEnabled(AnyControl name, bool enabled) {
  Control& control = Find(name);
  if (control.hwnd) EnableWindow(control.hwnd, enabled);
  if (HWND arrows = control.Arrows()) EnableWindow(arrows, enabled);
}

void Win32Toolkit::Focus(AnyControl name) {
  Control& control = Find(name);
  if (!control.hwnd) return;
  auto top = windows_.find(control.window);
  if (top != windows_.end() && !IsWindowVisible(top->second->hwnd)) {
    top->second->focus = control.hwnd;  // for when it is shown
    return;
  }
  SetFocus(control.hwnd);
}

bool Win32Toolkit::Checked(RadioButton name) const {
  return Find(name).checked;
}

void Win32Toolkit::SetChecked(RadioButton name, bool checked) {
  Control& control = Find(name);
  control.checked = checked;
  if (control.hwnd) {
    SendMessageW(control.hwnd, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
  }
}

int Win32Toolkit::SelectedIndex(ListControl name) const {
  const Control& control = Find(name);
  return static_cast<int>(SendMessageW(control.hwnd, CB_GETCURSEL, 0, 0));
}

ByteText Win32Toolkit::ComboItemText(ListControl name, int index) const {
  const Control& control = Find(name);
  const auto count = static_cast<int>(SendMessageW(control.hwnd, CB_GETCOUNT, 0, 0));
  if (index < 0 || index >= count) return {};
  const auto length = SendMessageW(control.hwnd, CB_GETLBTEXTLEN, index, 0);
  std::wstring item(static_cast<std::size_t>(std::max<LRESULT>(length, 0)) + 1, L'\0');
  SendMessageW(control.hwnd, CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(item.data()));
  item.resize(static_cast<std::size_t>(std::max<LRESULT>(length, 0)));
  return Gbk(item);
}

void Win32Toolkit::SetComboItemText(DropDown name, int index, const ByteText& text) {
  const Control& control = Find(name);
  const auto count = static_cast<int>(SendMessageW(control.hwnd, CB_GETCOUNT, 0, 0));
  if (index < 0 || index >= count) return;
  const auto selected = SendMessageW(control.hwnd, CB_GETCURSEL, 0, 0);
  const std::wstring item = Wide(text);
  SendMessageW(control.hwnd, CB_DELETESTRING, index, 0);
  SendMessageW(control.hwnd, CB_INSERTSTRING, index, reinterpret_cast<LPARAM>(item.c_str()));
  SendMessageW(control.hwnd, CB_SETCURSEL, selected, 0);
  FitDroppedWidth(control.hwnd, windows_.at(control.window)->dpi);
}

void Win32Toolkit::SetTextEncoding(EditBox name, Encoding encoding) {
  Control& control = Find(name);
  if (control.kind != Kind::kEdit) return;
  // Emptied first, so that no text is ever read in an encoding that is not its own.
  ++settingText_;
  SetWindowTextW(control.hwnd, L"");
  --settingText_;
  control.As<EditPart>().encoding = encoding;
}

constexpr wchar_t kSettingsKey[] = L"Software\\Morvane";

std::string Win32Toolkit::Setting(std::string_view key) const {
  const std::wstring name = WideFromUtf8(key);
  DWORD bytes = 0;
  if (RegGetValueW(HKEY_CURRENT_USER, kSettingsKey, name.c_str(), RRF_RT_REG_SZ, nullptr, nullptr,
                   &bytes) != ERROR_SUCCESS) {
    return {};
  }
  std::wstring value(bytes / sizeof(wchar_t) + 1, L'\0');
  bytes = static_cast<DWORD>(value.size() * sizeof(wchar_t));
  if (RegGetValueW(HKEY_CURRENT_USER, kSettingsKey, name.c_str(), RRF_RT_REG_SZ, nullptr,
                   value.data(), &bytes) != ERROR_SUCCESS) {
    return {};
  }
  value.resize(wcsnlen(value.c_str(), value.size()));
  return Utf8FromWide(value);
}

void Win32Toolkit::SetSetting(std::string_view key, const std::string& value) {
  const std::wstring wide = WideFromUtf8(value);
  RegSetKeyValueW(HKEY_CURRENT_USER, kSettingsKey, WideFromUtf8(key).c_str(), REG_SZ, wide.c_str(),
                  static_cast<DWORD>((wide.size() + 1) * sizeof(wchar_t)));
}

bool Win32Toolkit::LoadWindow(Window window, Window parent, bool modal) {
  if (auto open = windows_.find(window.name()); open != windows_.end()) {
    HWND hwnd = open->second->hwnd;
    if (IsIconic(hwnd)) ShowWindow(hwnd, SW_RESTORE);
    SetForegroundWindow(hwnd);
    return true;
  }
  HWND owner = Handle(parent);
  HWND hwnd = CreateTopWindow(window, owner);
  if (!hwnd) return false;
  const std::string name(window);
  std::vector<HWND> disabled;
  if (modal) {
    for (const auto& [other, top] : windows_) {
      if (other != name && IsWindowEnabled(top->hwnd)) {
        EnableWindow(top->hwnd, FALSE);
        disabled.push_back(top->hwnd);
      }
    }
  }
  ShowCentred(hwnd);
  if (auto top = windows_.find(name); top != windows_.end() && top->second->focus) {
    SetFocus(std::exchange(top->second->focus, nullptr));
  }
  if (!modal) return true;
  MSG message;
  while (windows_.count(name)) {
    const BOOL got = GetMessageW(&message, nullptr, 0, 0);
    if (got == 0) {
      PostQuitMessage(static_cast<int>(message.wParam));  // for the outer loop
      break;
    }
    if (got < 0) break;
    if (!PreTranslate(message)) {
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
  }
  for (HWND other : disabled) {
    if (IsWindow(other)) EnableWindow(other, TRUE);
  }
  if (owner && IsWindow(owner)) SetActiveWindow(owner);
  return true;
}

void Win32Toolkit::CloseWindow(Window window) {
  // Closed once the routine that asked has returned: its control still exists meanwhile.
  if (auto top = windows_.find(window.name()); top != windows_.end()) {
    PostMessageW(top->second->hwnd, WM_CLOSE, 0, 0);
  }
}

bool Win32Toolkit::SetControlStyle(int style) {
  style_ = style >= 1 && style <= 3 ? style : 0;
  // Every control of the open windows; those built later take the style in Build.
  for (const auto& [name, control] : controls_) ApplyStyle(control->hwnd);
  for (const auto& [name, top] : windows_) {
    RedrawWindow(top->hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
  }
  return true;
}

void Win32Toolkit::ApplyStyle(HWND control) const {
  // The visual style of the system (the manifest asks for it), or the plain look.
  if (control) SetWindowTheme(control, style_ ? nullptr : L"", style_ ? nullptr : L"");
}

HWND Win32Toolkit::OwnerWindow() const {
  HWND active = GetActiveWindow();
  const TopWindow* owner = nullptr;
  const auto rank = [](const TopWindow& top) {
    return std::tuple(IsWindowVisible(top.hwnd) != FALSE, IsWindowEnabled(top.hwnd) != FALSE,
                      top.opened);
  };
  for (const auto& [name, top] : windows_) {
    if (top->hwnd == active && IsWindowEnabled(active)) return active;
    if (!owner || rank(*top) > rank(*owner)) owner = top.get();
  }
  return owner ? owner->hwnd : nullptr;
}

std::vector<HWND> Win32Toolkit::TopWindows() const {
  std::vector<HWND> windows;
  for (const auto& [name, top] : windows_) {
    if (top->main)
      windows.insert(windows.begin(), top->hwnd);
    else
      windows.push_back(top->hwnd);
  }
  return windows;
}

void Win32Toolkit::Forget(const std::string& window) {
  auto top = windows_.find(window);
  if (top == windows_.end()) return;
  for (const std::string& name : top->second->controls) {
    auto control = controls_.find(name);
    if (control == controls_.end()) continue;
    if (control->second->brush) DeleteObject(control->second->brush);
    std::erase(dropTargets_, name);
    controls_.erase(control);
  }
  windows_.erase(top);
}

std::vector<Path> Win32Toolkit::DroppedPaths(DropTarget control) const {
  return Find(control).dropped;
}

}  // namespace morvane::ui
