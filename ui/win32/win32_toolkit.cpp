#include "ui/win32/win32_toolkit.h"

#include <commctrl.h>
#include <commdlg.h>
#include <shellapi.h>
#include <shlwapi.h>
#include <uxtheme.h>
#include <windowsx.h>

#include <algorithm>
#include <cstdlib>
#include <new>
#include <stdexcept>
#include <utility>

#include "core/encoding.h"
#include "core/fatal.h"
#include "core/folder_listing.h"
#include "core/gbk.h"
#include "core/numbers.h"

namespace morvane::ui {

struct Win32Toolkit::Control {
  std::string name;
  std::string window;
  std::string parent;
  Kind kind = Kind::kLabel;
  Look look;
  Geometry place;
  HWND hwnd = nullptr;
  int id = 0;
  bool shown = true;
  bool checked = false;
  HBRUSH brush = nullptr;  // the background, when the row names one
  ByteText text;           // a web view's content as set
  // An edit box: the encoding of the bytes it is given and gives back.
  Encoding encoding = Encoding::kGbk;
  // A tab control: its pages in order and the one shown. A tab page: its index.
  std::vector<std::string> pages;
  int page = 0;
  // A drive list: the drives of the items.
  std::vector<Win32Drive> drives;
  // A folder tree: the path of the folder last opened or set.
  std::wstring treeValue;
  // A spin box: its arrows (the box itself is hwnd).
  HWND arrows = nullptr;
  // A check list: its rows and ticks, and the text of the cell asked for last.
  std::shared_ptr<const TableRows> rows;
  std::vector<bool> ticks;
  std::wstring cell;
  // A drop target: what it takes, and what the last drop brought.
  Drop drop;
  std::vector<Path> dropped;
};

struct Win32Toolkit::TopWindow {
  Win32Toolkit* toolkit = nullptr;
  std::string name;
  HWND hwnd = nullptr;
  bool main = false;
  std::vector<std::string> controls;
  int nextId = 100;
  HWND focus = nullptr;  // given the focus before the window was shown
};

namespace {

constexpr wchar_t kWindowClass[] = L"MorvaneWindow";
constexpr wchar_t kPageClass[] = L"MorvanePage";

// Bits of a folder node's item data.
constexpr LPARAM kOpened = 1;
constexpr LPARAM kExpanded = 2;
// Images of the folder tree: closed and opened folder, each also when selected.
constexpr int kClosedImage = 0;
constexpr int kOpenedImage = 1;

std::wstring Wide(const ByteText& gbk) {
  const std::u16string units = DecodeGbk(gbk.view());
  return std::wstring(units.begin(), units.end());
}

// The bytes of an edit box in its encoding, and back: a byte that is no character comes
// back as itself.
std::wstring WideIn(Encoding encoding, const ByteText& bytes) {
  if (encoding == Encoding::kGbk) return Wide(bytes);
  const std::u16string units = Decode(encoding, bytes.view()).text;
  return std::wstring(units.begin(), units.end());
}

std::wstring WideFromUtf8Literal(std::string_view utf8) {
  return Wide(GbkFromUtf8(utf8));
}

// Text that need not pass through GBK (a check list's cells, messages).
std::wstring WideFromUtf8(std::string_view utf8) {
  if (utf8.empty()) return {};
  const int length =
      MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(std::max(length, 0)), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(), length);
  return wide;
}

ByteText Gbk(std::wstring_view wide) {
  return ByteText(EncodeGbk(std::u16string(wide.begin(), wide.end())));
}

ByteText BytesIn(Encoding encoding, std::wstring_view wide) {
  if (encoding == Encoding::kGbk) return Gbk(wide);
  return ByteText(EncodeShown(encoding, std::u16string(wide.begin(), wide.end())));
}

std::wstring WindowText(HWND window) {
  const int length = GetWindowTextLengthW(window);
  std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
  const int got = GetWindowTextW(window, text.data(), length + 1);
  text.resize(static_cast<std::size_t>(std::max(got, 0)));
  return text;
}

COLORREF Colour(std::uint32_t rgb) {
  return RGB((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF);
}

// The text of a local HTML page as a read-only box shows it: tags out, line breaks for
// paragraphs, headings and <br>, the common entities decoded.
std::wstring PlainTextOfPage(std::wstring_view html) {
  std::wstring out;
  for (std::size_t i = 0; i < html.size();) {
    if (html[i] == L'<') {
      const std::size_t end = html.find(L'>', i);
      if (end == std::wstring_view::npos) break;
      std::wstring tag(html.substr(i + 1, end - i - 1));
      for (wchar_t& c : tag) c = static_cast<wchar_t>(towlower(c));
      const bool breaks = tag.starts_with(L"br") || tag.starts_with(L"/p") ||
                          tag.starts_with(L"/h") || tag.starts_with(L"/div");
      if (breaks && !out.ends_with(L"\r\n\r\n")) out += L"\r\n";
      i = end + 1;
      continue;
    }
    if (html[i] == L'&') {
      static const std::pair<std::wstring_view, wchar_t> kEntities[] = {
          {L"&amp;", L'&'}, {L"&lt;", L'<'}, {L"&gt;", L'>'}, {L"&nbsp;", L' '}, {L"&quot;", L'"'}};
      bool decoded = false;
      for (const auto& [entity, c] : kEntities) {
        if (html.substr(i).starts_with(entity)) {
          out.push_back(c);
          i += entity.size();
          decoded = true;
          break;
        }
      }
      if (decoded) continue;
    }
    out.push_back(html[i++]);
  }
  return out;
}

// A 16-pixel folder, closed or opened, drawn on a magenta mask colour.
HBITMAP FolderBitmap(HDC screen, bool opened) {
  HDC dc = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, 16, 16);
  HGDIOBJ old = SelectObject(dc, bitmap);
  const RECT all{0, 0, 16, 16};
  HBRUSH mask = CreateSolidBrush(RGB(255, 0, 255));
  FillRect(dc, &all, mask);
  DeleteObject(mask);
  HBRUSH back = CreateSolidBrush(RGB(214, 170, 40));
  HBRUSH front = CreateSolidBrush(opened ? RGB(255, 226, 120) : RGB(246, 206, 80));
  HPEN pen = CreatePen(PS_SOLID, 1, RGB(150, 110, 20));
  SelectObject(dc, pen);
  SelectObject(dc, back);
  Rectangle(dc, 1, 3, 7, 6);    // the tab
  Rectangle(dc, 1, 4, 15, 14);  // the back
  SelectObject(dc, front);
  if (opened) {
    const POINT flap[] = {{3, 7}, {15, 7}, {13, 14}, {1, 14}};
    Polygon(dc, flap, 4);
  } else {
    Rectangle(dc, 1, 6, 15, 14);
  }
  SelectObject(dc, old);
  DeleteObject(pen);
  DeleteObject(back);
  DeleteObject(front);
  DeleteDC(dc);
  return bitmap;
}

HIMAGELIST MakeFolderImages() {
  HIMAGELIST list = ImageList_Create(16, 16, ILC_COLOR24 | ILC_MASK, 2, 0);
  HDC screen = GetDC(nullptr);
  for (bool opened : {false, true}) {
    HBITMAP bitmap = FolderBitmap(screen, opened);
    ImageList_AddMasked(list, bitmap, RGB(255, 0, 255));
    DeleteObject(bitmap);
  }
  ReleaseDC(nullptr, screen);
  return list;
}

void RegisterClasses(WNDPROC procedure) {
  static bool registered = false;
  if (registered) return;
  registered = true;
  INITCOMMONCONTROLSEX common{sizeof common, ICC_TAB_CLASSES | ICC_TREEVIEW_CLASSES |
                                                 ICC_STANDARD_CLASSES | ICC_PROGRESS_CLASS |
                                                 ICC_LISTVIEW_CLASSES | ICC_UPDOWN_CLASS};
  InitCommonControlsEx(&common);
  HICON icon = LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(1));
  if (!icon) icon = LoadIconW(nullptr, IDI_APPLICATION);
  RegisterWindowClass(kWindowClass, procedure, icon);
  RegisterWindowClass(kPageClass, [](HWND window, UINT message, WPARAM w, LPARAM l) -> LRESULT {
    // A page passes its controls' notices on to the window, where the controls are known.
    switch (message) {
      case WM_COMMAND:
      case WM_NOTIFY:
      case WM_CTLCOLORSTATIC:
      case WM_CTLCOLOREDIT:
      case WM_CTLCOLORBTN:
      case WM_DRAWITEM:
        return SendMessageW(GetAncestor(window, GA_ROOT), message, w, l);
      default:
        return DefWindowProcW(window, message, w, l);
    }
  });
}

}  // namespace

void RegisterWindowClass(const wchar_t* name, WNDPROC procedure, HICON icon) {
  WNDCLASSEXW windowClass{};
  windowClass.cbSize = sizeof windowClass;
  windowClass.lpfnWndProc = procedure;
  windowClass.hInstance = GetModuleHandleW(nullptr);
  windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  windowClass.hIcon = icon;
  windowClass.lpszClassName = name;
  RegisterClassExW(&windowClass);
}

std::wstring DriveItem(std::wstring_view root, UINT driveType, std::wstring_view label) {
  std::wstring item;
  if (!root.empty()) item.push_back(static_cast<wchar_t>(towupper(root[0])));
  item += L':';
  switch (driveType) {
    case DRIVE_FIXED:
      item += L" （硬盘）";
      if (!label.empty()) item += L" " + std::wstring(label);
      break;
    case DRIVE_REMOTE:
      item += L" （网络驱动器）";
      break;
    case DRIVE_CDROM:
      item += L" （光驱）";
      break;
    case DRIVE_RAMDISK:
      item += L" （内存虚拟驱动器）";
      break;
    default:  // removable drives and the rest carry no note
      break;
  }
  return item;
}

std::vector<Win32Drive> LogicalDrives() {
  std::vector<Win32Drive> drives;
  wchar_t buffer[512];
  const DWORD n = GetLogicalDriveStringsW(static_cast<DWORD>(std::size(buffer)), buffer);
  if (n == 0 || n > std::size(buffer)) return drives;
  for (const wchar_t* root = buffer; *root; root += wcslen(root) + 1) {
    const UINT type = GetDriveTypeW(root);
    wchar_t label[MAX_PATH + 1] = L"";
    // Only fixed disks show their label; asking a removable or network drive may wait.
    if (type == DRIVE_FIXED) {
      const UINT oldMode = SetErrorMode(SEM_FAILCRITICALERRORS);
      if (!GetVolumeInformationW(root, label, MAX_PATH + 1, nullptr, nullptr, nullptr, nullptr,
                                 0)) {
        label[0] = L'\0';
      }
      SetErrorMode(oldMode);
    }
    Win32Drive drive;
    drive.root = std::wstring(1, static_cast<wchar_t>(towupper(root[0]))) + L":";
    drive.item = DriveItem(root, type, label);
    drives.push_back(std::move(drive));
  }
  return drives;
}

std::vector<std::wstring> FolderParts(std::wstring_view path) {
  std::vector<std::wstring> parts;
  std::size_t start = 0;
  while (start <= path.size()) {
    std::size_t end = path.find(L'\\', start);
    if (end == std::wstring_view::npos) end = path.size();
    if (end > start) parts.emplace_back(path.substr(start, end - start));
    start = end + 1;
  }
  return parts;
}

// ---- the toolkit -------------------------------------------------------------------

Win32Toolkit::Win32Toolkit() {
  RegisterClasses(WindowProcedure);
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

void Win32Toolkit::Bind(std::string_view control, Event event, Routine routine) {
  routines_[{std::string(control), event}] = std::move(routine);
}

HFONT Win32Toolkit::FontFor(const Font& font) {
  const std::string family = font.family.empty() ? std::string("SimSun") : std::string(font.family);
  const int pixels = font.pixelSize > 0 ? font.pixelSize : 12;
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
    case Frame::kDialog: {
      // The system's own dialog frame around the described client area.
      style |= WS_POPUP;
      exStyle |= WS_EX_DLGMODALFRAME;
      RECT frame{0, 0, ClientWidth(description), ClientHeight(description)};
      AdjustWindowRectEx(&frame, style, FALSE, exStyle);
      width = frame.right - frame.left;
      height = frame.bottom - frame.top;
      break;
    }
  }
  ref.hwnd = CreateWindowExW(
      exStyle, kWindowClass, WideFromUtf8Literal(description.caption).c_str(), style, CW_USEDEFAULT,
      CW_USEDEFAULT, width, height, owner, nullptr, GetModuleHandleW(nullptr), &ref);
  if (!ref.hwnd) {
    windows_.erase(ref.name);
    return nullptr;
  }
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
      SendMessageW(control.hwnd, TCM_SETCURSEL, control.page, 0);  // the page shown at start
    }
  }
  UpdateVisibility(ref.name);
  const std::string name = ref.name;
  Fire(name, Event::kCreated);
  return Handle(name);
}

void Win32Toolkit::Build(const ControlRow& row, TopWindow& top) {
  auto owned = std::make_unique<Control>();
  Control& control = *owned;
  control.name = std::string(row.name);
  control.window = top.name;
  control.parent = std::string(row.parent);
  control.kind = row.kind;
  control.look = row.look;
  control.place = row.place;
  control.shown = row.visible;
  control.checked = (row.look.flags & kChecked) != 0;
  control.drop = row.drop;
  control.id = top.nextId++;
  if (controls_.count(control.name)) {
    throw std::logic_error("control " + control.name + " described twice");
  }
  controls_[control.name] = std::move(owned);
  top.controls.push_back(control.name);

  // The window the control lives in: the nearest tab page up the chain, else the window.
  HWND container = top.hwnd;
  POINT containerOrigin{0, 0};
  for (std::string up = control.parent; !up.empty();) {
    const Control& ancestor = *controls_.at(up);
    if (ancestor.kind == Kind::kTabPage) {
      container = ancestor.hwnd;
      RECT r;
      GetWindowRect(container, &r);
      MapWindowPoints(nullptr, top.hwnd, reinterpret_cast<POINT*>(&r), 2);
      containerOrigin = {r.left, r.top};
      break;
    }
    up = ancestor.parent;
  }
  const POINT at = Origin(control);
  const int x = at.x - containerOrigin.x;
  const int y = at.y - containerOrigin.y;
  const int width = row.place.width;
  const int height = row.place.height;
  const std::wstring text = WideFromUtf8Literal(row.text);
  const std::uint32_t flags = row.look.flags;
  HINSTANCE instance = GetModuleHandleW(nullptr);
  const auto make = [&](DWORD exStyle, const wchar_t* cls, const std::wstring& caption, DWORD style,
                        int h) {
    return CreateWindowExW(
        exStyle, cls, caption.c_str(), WS_CHILD | WS_CLIPSIBLINGS | style, x, y, width, h,
        container, reinterpret_cast<HMENU>(static_cast<INT_PTR>(control.id)), instance, nullptr);
  };

  switch (row.kind) {
    case Kind::kEdit: {
      DWORD style = WS_TABSTOP | (flags & kCentred ? ES_CENTER : ES_LEFT);
      if (flags & kMultiLine) {
        style |= ES_MULTILINE | ES_WANTRETURN | ES_AUTOVSCROLL | WS_VSCROLL;
      } else {
        style |= ES_AUTOHSCROLL;
      }
      if (flags & kReadOnly) style |= ES_READONLY;
      const DWORD exStyle = flags & kSunken ? WS_EX_CLIENTEDGE : 0;
      control.hwnd = make(exStyle, L"EDIT", L"", style | (flags & kSunken ? 0 : WS_BORDER), height);
      SendMessageW(control.hwnd, EM_SETLIMITTEXT, 0, 0);  // no 30000-character limit
      if (!row.detail.empty() && !(flags & kMultiLine)) {
        const std::wstring hint = WideFromUtf8(row.detail);
        SendMessageW(control.hwnd, EM_SETCUEBANNER, TRUE, reinterpret_cast<LPARAM>(hint.c_str()));
      }
      ++settingText_;
      SetWindowTextW(control.hwnd, text.c_str());
      --settingText_;
      break;
    }
    case Kind::kLabel:
    case Kind::kTransparentLabel:
      control.hwnd =
          make(row.kind == Kind::kTransparentLabel ? WS_EX_TRANSPARENT : 0, L"STATIC", text,
               SS_NOPREFIX | SS_CENTERIMAGE | (flags & kCentred ? SS_CENTER : SS_LEFT), height);
      break;
    case Kind::kButton: {
      DWORD style = BS_OWNERDRAW;
      if (flags & kPlain) style = flags & kDefault ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON;
      control.hwnd = make(0, L"BUTTON", text, WS_TABSTOP | style, height);
      break;
    }
    case Kind::kPreview:
      control.hwnd = make(0, L"STATIC", text, SS_NOPREFIX | SS_ENDELLIPSIS, height);
      break;
    case Kind::kSpin: {
      control.hwnd =
          make(WS_EX_CLIENTEDGE, L"EDIT", text, WS_TABSTOP | ES_NUMBER | ES_RIGHT, height);
      control.arrows = CreateWindowExW(
          0, UPDOWN_CLASSW, L"",
          WS_CHILD | UDS_SETBUDDYINT | UDS_ALIGNRIGHT | UDS_ARROWKEYS | UDS_NOTHOUSANDS, 0, 0, 0, 0,
          container, nullptr, instance, nullptr);
      SendMessageW(control.arrows, UDM_SETBUDDY, reinterpret_cast<WPARAM>(control.hwnd), 0);
      SendMessageW(control.arrows, UDM_SETRANGE32, row.range.least, row.range.most);
      ++settingText_;
      SendMessageW(control.arrows, UDM_SETPOS32, 0, ToInteger(GbkFromUtf8(row.text)));
      --settingText_;
      break;
    }
    case Kind::kCheckList: {
      // The rows are the program's (owner data): the list asks for the texts and the tick
      // of each row in sight.
      const bool boxes = !(flags & kNoBoxes);
      control.hwnd = make(0, WC_LISTVIEWW, L"",
                          WS_TABSTOP | LVS_REPORT | LVS_OWNERDATA | LVS_SHOWSELALWAYS | WS_BORDER |
                              (boxes ? 0 : LVS_SINGLESEL),
                          height);
      ListView_SetExtendedListViewStyle(
          control.hwnd, (boxes ? LVS_EX_CHECKBOXES : 0) | LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES);
      if (boxes) ListView_SetCallbackMask(control.hwnd, LVIS_STATEIMAGEMASK);
      // A stretching column takes what the others and the scroll bar leave.
      int others = GetSystemMetrics(SM_CXVSCROLL) + 4;
      for (const Column& column : row.columns) others += column.stretch ? 0 : column.width;
      for (std::size_t i = 0; i < row.columns.size(); ++i) {
        const Column& described = row.columns[i];
        LVCOLUMNW column{};
        column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT;
        column.fmt = described.right ? LVCFMT_RIGHT : LVCFMT_LEFT;
        column.cx = described.stretch ? std::max(described.width, width - others) : described.width;
        std::wstring title = WideFromUtf8(described.title);
        column.pszText = title.data();
        ListView_InsertColumn(control.hwnd, static_cast<int>(i), &column);
      }
      break;
    }
    case Kind::kGroupBox:
      control.hwnd = make(WS_EX_TRANSPARENT, L"BUTTON", flags & kNoCaption ? std::wstring() : text,
                          BS_GROUPBOX, height);
      break;
    case Kind::kRadio:
      control.hwnd = make(0, L"BUTTON", text, WS_TABSTOP | BS_RADIOBUTTON, height);
      SendMessageW(control.hwnd, BM_SETCHECK, control.checked ? BST_CHECKED : BST_UNCHECKED, 0);
      break;
    case Kind::kDropDown: {
      control.hwnd = make(0, L"COMBOBOX", L"", WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST,
                          std::max(height, 80));
      std::size_t start = 0;
      while (start <= text.size()) {
        std::size_t bar = text.find(L'|', start);
        if (bar == std::wstring::npos) bar = text.size();
        const std::wstring item = text.substr(start, bar - start);
        SendMessageW(control.hwnd, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.c_str()));
        start = bar + 1;
      }
      SendMessageW(control.hwnd, CB_SETCURSEL, 0, 0);
      break;
    }
    case Kind::kTabControl:
      control.hwnd = make(0, WC_TABCONTROLW, L"", WS_TABSTOP, height);
      break;
    case Kind::kTabPage: {
      Control& tabs = Find(control.parent);
      control.page = static_cast<int>(tabs.pages.size());
      tabs.pages.push_back(control.name);
      TCITEMW item{};
      item.mask = TCIF_TEXT;
      std::wstring caption = text;
      item.pszText = caption.data();
      SendMessageW(tabs.hwnd, TCM_INSERTITEMW, control.page, reinterpret_cast<LPARAM>(&item));
      if (flags & kSelected) tabs.page = control.page;
      // The page's window covers the tab control's display area.
      RECT area;
      GetClientRect(tabs.hwnd, &area);
      SendMessageW(tabs.hwnd, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&area));
      MapWindowPoints(tabs.hwnd, top.hwnd, reinterpret_cast<POINT*>(&area), 2);
      control.hwnd = CreateWindowExW(
          WS_EX_CONTROLPARENT, kPageClass, L"", WS_CHILD | WS_CLIPSIBLINGS, area.left, area.top,
          area.right - area.left, area.bottom - area.top, top.hwnd,
          reinterpret_cast<HMENU>(static_cast<INT_PTR>(control.id)), instance, nullptr);
      break;
    }
    case Kind::kWebView:
      control.text = GbkFromUtf8(row.text);
      control.hwnd = make(0, L"EDIT", PlainTextOfPage(text),
                          ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL, height);
      break;
    case Kind::kFileDialog: {
      FileDialogSettings& settings = dialogs_[control.name];
      std::wstring filter = text;
      while (!filter.empty() && iswspace(filter.back())) filter.pop_back();
      if (!filter.ends_with(L"||")) filter += L"||";
      std::replace(filter.begin(), filter.end(), L'|', L'\0');
      settings.filter = filter;
      settings.initialFolder = WideFromUtf8Literal(row.detail);
      settings.save = (flags & kSaveAs) != 0;
      return;  // no window of its own
    }
    case Kind::kDriveList: {
      control.hwnd = make(0, L"COMBOBOX", L"", WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST, 240);
      control.drives = LogicalDrives();
      wchar_t current[MAX_PATH] = L"";
      GetCurrentDirectoryW(MAX_PATH, current);
      int selected = 0;
      for (std::size_t i = 0; i < control.drives.size(); ++i) {
        const Win32Drive& drive = control.drives[i];
        SendMessageW(control.hwnd, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(drive.item.c_str()));
        if (towupper(current[0]) == drive.root[0]) selected = static_cast<int>(i);
      }
      SendMessageW(control.hwnd, CB_SETCURSEL, selected, 0);
      break;
    }
    case Kind::kFolderTree:
      control.hwnd = make(WS_EX_CLIENTEDGE, WC_TREEVIEWW, L"",
                          WS_TABSTOP | TVS_HASLINES | TVS_LINESATROOT | TVS_SHOWSELALWAYS, height);
      if (!folderImages_) folderImages_ = MakeFolderImages();
      SendMessageW(control.hwnd, TVM_SETIMAGELIST, TVSIL_NORMAL,
                   reinterpret_cast<LPARAM>(folderImages_));
      break;
  }
  if (control.hwnd) {
    SendMessageW(control.hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(FontFor(row.look.font)), FALSE);
    ApplyStyle(control.hwnd);
    if (flags & kDisabled) SetEnabled(control.name, false);
  }
  if (row.look.background != kNoColour)
    control.brush = CreateSolidBrush(Colour(row.look.background));
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
      show = ShownOnScreen(tabs) && tabs.page == control.page;
    }
    ShowWindow(control.hwnd, show ? SW_SHOWNA : SW_HIDE);
    if (control.arrows) ShowWindow(control.arrows, show ? SW_SHOWNA : SW_HIDE);
  }
}

void Win32Toolkit::SelectPage(Control& tabs, int page) {
  tabs.page = page;
  SendMessageW(tabs.hwnd, TCM_SETCURSEL, page, 0);
  UpdateVisibility(tabs.window);
}

void Win32Toolkit::ShowPage(std::string_view page) {
  const Control& shown = Find(page);
  SelectPage(Find(shown.parent), shown.page);
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

ByteText Win32Toolkit::Text(std::string_view name) const {
  const Control& control = Find(name);
  switch (control.kind) {
    case Kind::kWebView:
      return control.text;
    case Kind::kFileDialog:
      return Gbk(dialogs_.at(control.name).fileName);
    case Kind::kDriveList: {
      const auto index = SendMessageW(control.hwnd, CB_GETCURSEL, 0, 0);
      if (index < 0 || static_cast<std::size_t>(index) >= control.drives.size()) return {};
      return Gbk(control.drives[static_cast<std::size_t>(index)].root);
    }
    case Kind::kFolderTree:
      return Gbk(control.treeValue);
    case Kind::kDropDown: {
      const auto index = static_cast<int>(SendMessageW(control.hwnd, CB_GETCURSEL, 0, 0));
      return ComboItemText(name, index);
    }
    case Kind::kTabPage:
    case Kind::kTabControl:
      return {};
    case Kind::kEdit:
      return BytesIn(control.encoding, WindowText(control.hwnd));
    default:
      return Gbk(WindowText(control.hwnd));
  }
}

void Win32Toolkit::SetText(std::string_view name, const ByteText& text) {
  Control& control = Find(name);
  const std::wstring wide =
      WideIn(control.kind == Kind::kEdit ? control.encoding : Encoding::kGbk, text);
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
      SendMessageW(control.arrows, UDM_SETPOS32, 0, ToInteger(text));
      --settingText_;
      return;
    case Kind::kWebView:
      control.text = text;
      SetWindowTextW(control.hwnd, PlainTextOfPage(wide).c_str());
      return;
    case Kind::kFolderTree:
      SetTreePath(control, wide);
      return;
    case Kind::kDriveList:
      for (std::size_t i = 0; i < control.drives.size(); ++i) {
        if (!wide.empty() && towupper(wide[0]) == control.drives[i].root[0]) {
          SendMessageW(control.hwnd, CB_SETCURSEL, i, 0);
        }
      }
      return;
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

void Win32Toolkit::SetPath(std::string_view name, const Path& path) {
  auto found = controls_.find(name);
  if (found != controls_.end() && found->second->kind == Kind::kFolderTree) {
    SetTreePath(*found->second, path.native());
    return;
  }
  Toolkit::SetPath(name, path);
}

std::optional<Path> Win32Toolkit::PathIn(std::string_view name) const {
  auto found = controls_.find(name);
  if (found != controls_.end()) {
    const Control& control = *found->second;
    if (control.kind == Kind::kFolderTree) return Path(control.treeValue);
    if (control.kind == Kind::kDriveList) {
      const auto index = SendMessageW(control.hwnd, CB_GETCURSEL, 0, 0);
      if (index >= 0 && static_cast<std::size_t>(index) < control.drives.size()) {
        return Path(control.drives[static_cast<std::size_t>(index)].root);
      }
      return std::nullopt;
    }
  }
  return Toolkit::PathIn(name);
}

TypedName Win32Toolkit::TypedPathIn(std::string_view name) const {
  if (auto path = PathIn(name)) return {*path, {}};
  const Control& control = Find(name);
  if (control.kind != Kind::kEdit || control.encoding != Encoding::kGbk) {
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

bool Win32Toolkit::Visible(std::string_view name) const {
  return Find(name).shown;
}

void Win32Toolkit::SetVisible(std::string_view name, bool visible) {
  Control& control = Find(name);
  control.shown = visible;
  UpdateVisibility(control.window);
}

bool Win32Toolkit::Enabled(std::string_view name) const {
  const Control& control = Find(name);
  return control.hwnd != nullptr && IsWindowEnabled(control.hwnd);
}

void Win32Toolkit::SetEnabled(std::string_view name, bool enabled) {
  Control& control = Find(name);
  if (control.hwnd) EnableWindow(control.hwnd, enabled);
  if (control.arrows) EnableWindow(control.arrows, enabled);
}

void Win32Toolkit::Focus(std::string_view name) {
  Control& control = Find(name);
  if (!control.hwnd) return;
  auto top = windows_.find(control.window);
  if (top != windows_.end() && !IsWindowVisible(top->second->hwnd)) {
    top->second->focus = control.hwnd;  // for when it is shown
    return;
  }
  SetFocus(control.hwnd);
}

void Win32Toolkit::SetRows(std::string_view name, std::shared_ptr<const TableRows> rows,
                           const std::vector<bool>& ticks) {
  Control& list = Find(name);
  list.ticks.assign(rows ? static_cast<std::size_t>(rows->Count()) : 0, true);
  for (std::size_t i = 0; i < ticks.size() && i < list.ticks.size(); ++i) list.ticks[i] = ticks[i];
  list.rows = std::move(rows);
  ++choosingRow_;
  ListView_SetItemState(list.hwnd, -1, 0, LVIS_SELECTED | LVIS_FOCUSED);
  ListView_SetItemCountEx(list.hwnd, static_cast<int>(list.ticks.size()), 0);
  --choosingRow_;
  InvalidateRect(list.hwnd, nullptr, TRUE);
}

int Win32Toolkit::CurrentRow(std::string_view name) const {
  return ListView_GetNextItem(Find(name).hwnd, -1, LVNI_FOCUSED);
}

void Win32Toolkit::SetCurrentRow(std::string_view name, int row) {
  Control& list = Find(name);
  if (row < 0 || static_cast<std::size_t>(row) >= list.ticks.size()) return;
  ++choosingRow_;
  ListView_SetItemState(list.hwnd, -1, 0, LVIS_SELECTED | LVIS_FOCUSED);
  ListView_SetItemState(list.hwnd, row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
  --choosingRow_;
  ListView_EnsureVisible(list.hwnd, row, FALSE);
}

std::vector<bool> Win32Toolkit::Ticks(std::string_view name) const {
  return Find(name).ticks;
}

void Win32Toolkit::Toggle(Control& list, int row) {
  if (row < 0 || static_cast<std::size_t>(row) >= list.ticks.size()) return;
  list.ticks[static_cast<std::size_t>(row)] = !list.ticks[static_cast<std::size_t>(row)];
  ListView_RedrawItems(list.hwnd, row, row);
  Fire(list.name, Event::kTicked);
}

LRESULT Win32Toolkit::ListNotice(Control& list, const NMHDR& header, LPARAM l) {
  switch (header.code) {
    case LVN_GETDISPINFOW: {
      LVITEMW& item = reinterpret_cast<NMLVDISPINFOW*>(l)->item;
      if (item.iItem < 0 || static_cast<std::size_t>(item.iItem) >= list.ticks.size()) return 0;
      if (item.mask & LVIF_TEXT) {
        list.cell = WideFromUtf8(list.rows->Cell(item.iItem, item.iSubItem));
        lstrcpynW(item.pszText, list.cell.c_str(), item.cchTextMax);
      }
      if ((item.mask & LVIF_STATE) && !(list.look.flags & kNoBoxes)) {
        item.state =
            INDEXTOSTATEIMAGEMASK(list.ticks[static_cast<std::size_t>(item.iItem)] ? 2 : 1);
        item.stateMask = LVIS_STATEIMAGEMASK;
      }
      return 0;
    }
    case NM_CLICK:
    case NM_DBLCLK: {
      // A click on a row's box ticks or unticks it.
      LVHITTESTINFO hit{};
      hit.pt = reinterpret_cast<const NMITEMACTIVATE*>(l)->ptAction;
      const int row = ListView_HitTest(list.hwnd, &hit);
      // A whole-row list reports every part of a row as all of them: only the box alone
      // is the box.
      if (row >= 0 && (hit.flags & LVHT_ONITEM) == LVHT_ONITEMSTATEICON &&
          !(list.look.flags & kNoBoxes)) {
        Toggle(list, row);
      }
      return 0;
    }
    case LVN_ITEMCHANGED: {
      // The row the user moves to takes the focus.
      const auto& change = *reinterpret_cast<const NMLISTVIEW*>(l);
      if (choosingRow_ == 0 && change.iItem >= 0 && (change.uNewState & LVIS_FOCUSED) &&
          !(change.uOldState & LVIS_FOCUSED)) {
        Fire(list.name, Event::kRowChosen);
      }
      return 0;
    }
    case NM_CUSTOMDRAW: {
      auto& draw = *reinterpret_cast<NMLVCUSTOMDRAW*>(l);
      if (draw.nmcd.dwDrawStage == CDDS_PREPAINT) return CDRF_NOTIFYITEMDRAW;
      if (draw.nmcd.dwDrawStage == CDDS_ITEMPREPAINT) {
        const auto row = static_cast<std::size_t>(draw.nmcd.dwItemSpec);
        if (row < list.ticks.size()) {
          if (list.look.background != kNoColour && list.rows->Marked(static_cast<int>(row))) {
            draw.clrTextBk = Colour(list.look.background);
          }
          if (list.look.textColour != kNoColour && !list.ticks[row]) {
            draw.clrText = Colour(list.look.textColour);
          }
        }
        return CDRF_NEWFONT;
      }
      return CDRF_DODEFAULT;
    }
    default:
      return 0;
  }
}

bool Win32Toolkit::Checked(std::string_view name) const {
  return Find(name).checked;
}

void Win32Toolkit::SetChecked(std::string_view name, bool checked) {
  Control& control = Find(name);
  control.checked = checked;
  if (control.hwnd) {
    SendMessageW(control.hwnd, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
  }
}

int Win32Toolkit::SelectedIndex(std::string_view name) const {
  const Control& control = Find(name);
  return static_cast<int>(SendMessageW(control.hwnd, CB_GETCURSEL, 0, 0));
}

ByteText Win32Toolkit::ComboItemText(std::string_view name, int index) const {
  const Control& control = Find(name);
  const auto count = static_cast<int>(SendMessageW(control.hwnd, CB_GETCOUNT, 0, 0));
  if (index < 0 || index >= count) return {};
  const auto length = SendMessageW(control.hwnd, CB_GETLBTEXTLEN, index, 0);
  std::wstring item(static_cast<std::size_t>(std::max<LRESULT>(length, 0)) + 1, L'\0');
  SendMessageW(control.hwnd, CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(item.data()));
  item.resize(static_cast<std::size_t>(std::max<LRESULT>(length, 0)));
  return Gbk(item);
}

void Win32Toolkit::SetComboItemText(std::string_view name, int index, const ByteText& text) {
  const Control& control = Find(name);
  const auto count = static_cast<int>(SendMessageW(control.hwnd, CB_GETCOUNT, 0, 0));
  if (index < 0 || index >= count) return;
  const auto selected = SendMessageW(control.hwnd, CB_GETCURSEL, 0, 0);
  const std::wstring item = Wide(text);
  SendMessageW(control.hwnd, CB_DELETESTRING, index, 0);
  SendMessageW(control.hwnd, CB_INSERTSTRING, index, reinterpret_cast<LPARAM>(item.c_str()));
  SendMessageW(control.hwnd, CB_SETCURSEL, selected, 0);
}

void Win32Toolkit::SetTextEncoding(std::string_view name, Encoding encoding) {
  Control& control = Find(name);
  if (control.kind != Kind::kEdit) return;
  // Emptied first, so that no text is ever read in an encoding that is not its own.
  ++settingText_;
  SetWindowTextW(control.hwnd, L"");
  --settingText_;
  control.encoding = encoding;
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
  const int length = WideCharToMultiByte(CP_UTF8, 0, value.data(), static_cast<int>(value.size()),
                                         nullptr, 0, nullptr, nullptr);
  std::string utf8(static_cast<std::size_t>(std::max(length, 0)), '\0');
  WideCharToMultiByte(CP_UTF8, 0, value.data(), static_cast<int>(value.size()), utf8.data(), length,
                      nullptr, nullptr);
  return utf8;
}

void Win32Toolkit::SetSetting(std::string_view key, const std::string& value) {
  const std::wstring wide = WideFromUtf8(value);
  RegSetKeyValueW(HKEY_CURRENT_USER, kSettingsKey, WideFromUtf8(key).c_str(), REG_SZ, wide.c_str(),
                  static_cast<DWORD>((wide.size() + 1) * sizeof(wchar_t)));
}

// ---- boxes, dialogs and windows ----------------------------------------------------

int Win32Toolkit::ShowMessageBox(const std::string& content, int flags,
                                 const std::string& caption) {
  const int pressed =
      MessageBoxW(nullptr, WideFromUtf8(content).c_str(), WideFromUtf8(caption).c_str(),
                  static_cast<UINT>(flags) | MB_TASKMODAL);
  // IDOK (1), IDCANCEL, IDABORT, IDRETRY, IDIGNORE, IDYES, IDNO count from 0.
  return pressed >= IDOK && pressed <= IDNO ? pressed - IDOK : 0;
}

void Win32Toolkit::ShowCompletion(const std::string& content, const std::string& caption,
                                  const Path& folder) {
  // A task dialog has buttons of the program's own words; it comes with the common
  // controls of version 6 (the manifest asks for them), so it is looked up, and a plain
  // message box stands in where it is missing.
  using TaskDialogFunction = HRESULT(WINAPI*)(const TASKDIALOGCONFIG*, int*, int*, BOOL*);
  HMODULE controls = GetModuleHandleW(L"comctl32.dll");
  const auto taskDialog = controls ? reinterpret_cast<TaskDialogFunction>(reinterpret_cast<void*>(
                                         GetProcAddress(controls, "TaskDialogIndirect")))
                                   : nullptr;
  if (!taskDialog) {
    ShowMessageBox(content, 0, caption);
    return;
  }
  constexpr int kOpenFolder = 100;
  const std::wstring text = WideFromUtf8(content);
  const std::wstring title = WideFromUtf8(caption.empty() ? DefaultCaption() : caption);
  const TASKDIALOG_BUTTON buttons[] = {{IDOK, L"确定"}, {kOpenFolder, L"打开文件夹"}};
  TASKDIALOGCONFIG config{};
  config.cbSize = sizeof config;
  config.hwndParent = GetActiveWindow();  // the program's windows wait for the answer
  config.dwFlags = TDF_ALLOW_DIALOG_CANCELLATION;
  config.pszWindowTitle = title.c_str();
  config.pszContent = text.c_str();
  config.pButtons = buttons;
  config.cButtons = static_cast<UINT>(std::size(buttons));
  config.nDefaultButton = IDOK;
  int pressed = IDOK;
  if (FAILED(taskDialog(&config, &pressed, nullptr, nullptr))) {
    ShowMessageBox(content, 0, caption);
    return;
  }
  if (pressed != kOpenFolder) return;
  const auto opened = reinterpret_cast<INT_PTR>(
      ShellExecuteW(nullptr, L"explore", folder.c_str(), nullptr, nullptr, SW_SHOWNORMAL));
  // Values up to 32 are errors: no file manager to hand the folder to, so its path.
  if (opened <= 32) {
    ShowMessageBox("没有找到文件管理器。输出文件夹是：\n" + DisplayName(folder), 0,
                   DefaultCaption());
  }
}

bool Win32Toolkit::ShowFileDialog(std::string_view component) {
  FileDialogSettings& settings = dialogs_.at(std::string(component));
  if (!settings.preset.empty()) {
    settings.fileName = std::exchange(settings.preset, std::wstring());
    return true;
  }
  std::wstring file(32768, L'\0');
  std::copy_n(settings.fileName.begin(), std::min<std::size_t>(settings.fileName.size(), 32767),
              file.begin());
  const DWORD folder = GetFileAttributesW(settings.initialFolder.c_str());
  const bool folderExists =
      folder != INVALID_FILE_ATTRIBUTES && (folder & FILE_ATTRIBUTE_DIRECTORY);
  OPENFILENAMEW dialog{};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = GetActiveWindow();
  dialog.lpstrFilter = settings.filter.c_str();
  dialog.nFilterIndex = 1;
  dialog.lpstrFile = file.data();
  dialog.nMaxFile = static_cast<DWORD>(file.size());
  dialog.lpstrInitialDir = folderExists ? settings.initialFolder.c_str() : nullptr;
  dialog.Flags = OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_EXPLORER | OFN_NOCHANGEDIR |
                 (settings.save ? OFN_OVERWRITEPROMPT : OFN_FILEMUSTEXIST);
  if (!(settings.save ? GetSaveFileNameW(&dialog) : GetOpenFileNameW(&dialog))) return false;
  settings.fileName = file.c_str();
  return true;
}

Path Win32Toolkit::DialogFileName(std::string_view component) const {
  return Path(dialogs_.at(std::string(component)).fileName);
}

bool Win32Toolkit::LoadWindow(std::string_view window, std::string_view parent, bool modal) {
  if (auto open = windows_.find(window); open != windows_.end()) {
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

void Win32Toolkit::CloseWindow(std::string_view window) {
  // Closed once the routine that asked has returned: its control still exists meanwhile.
  if (auto top = windows_.find(window); top != windows_.end()) {
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

int Win32Toolkit::Run() {
  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    if (!PreTranslate(message)) {
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
  }
  return static_cast<int>(message.wParam);
}

bool Win32Toolkit::PreTranslate(MSG& message) {
  if (message.message != WM_KEYDOWN && message.message != WM_SYSKEYDOWN &&
      message.message != WM_CHAR) {
    return false;
  }
  HWND root = GetAncestor(message.hwnd, GA_ROOT);
  const bool ours = std::any_of(windows_.begin(), windows_.end(),
                                [&](const auto& entry) { return entry.second->hwnd == root; });
  if (!ours) return false;
  if (message.message == WM_KEYDOWN && message.wParam == VK_ESCAPE) {
    // Esc closes the window from whichever control has the focus.
    PostMessageW(root, WM_CLOSE, 0, 0);
    return true;
  }
  const bool control = GetKeyState(VK_CONTROL) < 0;
  if (message.message == WM_KEYDOWN && control &&
      (message.wParam == VK_NEXT || message.wParam == VK_PRIOR || message.wParam == VK_TAB)) {
    // Ctrl+PageDown (or Ctrl+Tab) and Ctrl+PageUp move between the pages of the window.
    for (auto& [name, c] : controls_) {
      if (c->kind != Kind::kTabControl || GetAncestor(c->hwnd, GA_ROOT) != root) continue;
      const int count = static_cast<int>(c->pages.size());
      if (count == 0) break;
      const bool back =
          message.wParam == VK_PRIOR || (message.wParam == VK_TAB && GetKeyState(VK_SHIFT) < 0);
      SelectPage(*c, (c->page + (back ? count - 1 : 1)) % count);
      return true;
    }
  }
  if (message.message == WM_KEYDOWN &&
      (message.wParam == VK_RETURN || message.wParam == VK_SPACE)) {
    for (auto& [name, control] : controls_) {
      if (control->hwnd != message.hwnd) continue;
      if (message.wParam == VK_RETURN && control->kind == Kind::kFolderTree) {
        const auto selected = reinterpret_cast<HTREEITEM>(
            SendMessageW(control->hwnd, TVM_GETNEXTITEM, TVGN_CARET, 0));
        if (selected) OpenTreeNode(*control, selected);
        return true;
      }
      if (message.wParam == VK_RETURN && control->kind == Kind::kEdit &&
          routines_.count({name, Event::kEntered})) {
        const std::string entered = name;  // the routine may close the window
        Fire(entered, Event::kEntered);
        return true;
      }
      if (message.wParam == VK_SPACE && control->kind == Kind::kCheckList &&
          !(control->look.flags & kNoBoxes)) {
        // The list would tick its own box, which it does not hold: the toolkit ticks.
        const int row = ListView_GetNextItem(control->hwnd, -1, LVNI_FOCUSED);
        if (row >= 0) Toggle(*control, row);
        return true;
      }
      break;
    }
  }
  // Tab moves the focus; Enter in a one-line box does nothing.
  return IsDialogMessageW(root, &message) != FALSE;
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

// ---- drops from the file manager ---------------------------------------------------

void SortNaturally(std::vector<Path>& paths) {
  const auto nameOf = [](const Path& path) {
    const std::wstring& native = path.native();
    const std::size_t slash = native.find_last_of(L"\\/");
    return slash == std::wstring::npos ? native.c_str() : native.c_str() + slash + 1;
  };
  std::stable_sort(paths.begin(), paths.end(), [&](const Path& a, const Path& b) {
    return StrCmpLogicalW(nameOf(a), nameOf(b)) < 0;
  });
}

void Win32Toolkit::ChooseWithoutDialog(std::string_view component, const Path& path) {
  dialogs_.at(std::string(component)).preset = path.native();
}

std::vector<Path> Win32Toolkit::DroppedPaths(std::string_view control) const {
  return Find(control).dropped;
}

void Win32Toolkit::Dropped(HWND window, HDROP drop) {
  // The files arrive at the window; the point says on which control they were let go.
  POINT at{};
  DragQueryPoint(drop, &at);
  std::vector<Path> paths;
  const UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
  for (UINT i = 0; i < count; ++i) {
    std::wstring path(DragQueryFileW(drop, i, nullptr, 0) + 1, L'\0');
    path.resize(DragQueryFileW(drop, i, path.data(), static_cast<UINT>(path.size())));
    paths.emplace_back(std::move(path));
  }
  DragFinish(drop);
  for (const std::string& name : dropTargets_) {
    auto found = controls_.find(name);
    if (found == controls_.end() || !IsWindowVisible(found->second->hwnd)) continue;
    Control& target = *found->second;
    RECT area;
    GetWindowRect(target.hwnd, &area);
    MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&area), 2);
    if (!PtInRect(&area, at)) continue;
    std::vector<Path> taken;
    for (const Path& path : paths) {
      const EntryKind kind = KindOf(path);
      if (target.drop.kind == DropKind::kFiles ? kind == EntryKind::kFile
                                               : kind == EntryKind::kFolder) {
        taken.push_back(path);
      }
    }
    if (taken.empty() || (target.drop.kind == DropKind::kFolder && taken.size() != 1)) return;
    SortNaturally(taken);
    if (static_cast<int>(taken.size()) > target.drop.most) {
      taken.resize(static_cast<std::size_t>(target.drop.most));
    }
    target.dropped = std::move(taken);
    const std::string dropped = name;  // the routine may close the window
    Fire(dropped, Event::kDropped);
    return;
  }
}

// ---- the folder tree ---------------------------------------------------------------

namespace {

HTREEITEM InsertFolder(HWND tree, HTREEITEM parent, const std::wstring& name, LPARAM bits,
                       HTREEITEM after) {
  TVINSERTSTRUCTW insert{};
  insert.hParent = parent;
  insert.hInsertAfter = after;
  insert.item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_PARAM;
  std::wstring text = name;
  insert.item.pszText = text.data();
  const int image = bits & kOpened ? kOpenedImage : kClosedImage;
  insert.item.iImage = image;
  insert.item.iSelectedImage = image;
  insert.item.lParam = bits;
  return reinterpret_cast<HTREEITEM>(
      SendMessageW(tree, TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&insert)));
}

LPARAM BitsOf(HWND tree, HTREEITEM node) {
  TVITEMW item{};
  item.mask = TVIF_PARAM | TVIF_HANDLE;
  item.hItem = node;
  SendMessageW(tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item));
  return item.lParam;
}

void SetBits(HWND tree, HTREEITEM node, LPARAM bits) {
  TVITEMW item{};
  item.mask = TVIF_PARAM | TVIF_HANDLE | TVIF_IMAGE | TVIF_SELECTEDIMAGE;
  item.hItem = node;
  item.lParam = bits;
  item.iImage = item.iSelectedImage = bits & kOpened ? kOpenedImage : kClosedImage;
  SendMessageW(tree, TVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&item));
}

HTREEITEM Next(HWND tree, HTREEITEM node, WPARAM relation) {
  return reinterpret_cast<HTREEITEM>(
      SendMessageW(tree, TVM_GETNEXTITEM, relation, reinterpret_cast<LPARAM>(node)));
}

// The names of the subfolders of a folder; none when it cannot be read (a drive without
// a disc stays quiet).
std::vector<std::wstring> SubfolderNames(const std::wstring& folder) {
  const UINT oldMode = SetErrorMode(SEM_FAILCRITICALERRORS);
  std::vector<std::wstring> names;
  for (const FolderEntry& entry : ListFolder(Path(folder), true))
    names.push_back(entry.name.native());
  SetErrorMode(oldMode);
  return names;
}

}  // namespace

std::wstring Win32Toolkit::TreePathOf(const Control& tree, HTREEITEM node) const {
  std::vector<std::wstring> parts;
  for (HTREEITEM at = node; at; at = Next(tree.hwnd, at, TVGN_PARENT)) {
    wchar_t text[MAX_PATH + 1] = L"";
    TVITEMW item{};
    item.mask = TVIF_TEXT | TVIF_HANDLE;
    item.hItem = at;
    item.pszText = text;
    item.cchTextMax = MAX_PATH + 1;
    SendMessageW(tree.hwnd, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item));
    parts.emplace_back(text);
  }
  std::wstring path;
  for (auto part = parts.rbegin(); part != parts.rend(); ++part) {
    if (!path.empty()) path += L'\\';
    path += *part;
  }
  return path;
}

void Win32Toolkit::ListSubfolders(Control& tree, HTREEITEM node) {
  // In the order the tree's sorted insertion gives (lstrcmpiW), sorted here once: each
  // TVI_SORT insertion walks the children before it, the square of a long list in all.
  std::vector<std::wstring> names = SubfolderNames(TreePathOf(tree, node));
  std::stable_sort(names.begin(), names.end(), [](const std::wstring& a, const std::wstring& b) {
    return lstrcmpiW(a.c_str(), b.c_str()) < 0;
  });
  SendMessageW(tree.hwnd, WM_SETREDRAW, FALSE, 0);
  for (const std::wstring& name : names) InsertFolder(tree.hwnd, node, name, 0, TVI_LAST);
  SendMessageW(tree.hwnd, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(tree.hwnd, nullptr, TRUE);
  SetBits(tree.hwnd, node, BitsOf(tree.hwnd, node) | kExpanded);
  SendMessageW(tree.hwnd, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(node));
}

void Win32Toolkit::SetTreePath(Control& tree, std::wstring_view path) {
  SendMessageW(tree.hwnd, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(TVI_ROOT));
  HTREEITEM last = nullptr;
  for (const std::wstring& part : FolderParts(path)) {
    HTREEITEM node = InsertFolder(tree.hwnd, last ? last : TVI_ROOT, part, kOpened, TVI_LAST);
    if (last) SendMessageW(tree.hwnd, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(last));
    SetBits(tree.hwnd, node, kOpened | kExpanded);
    last = node;
  }
  tree.treeValue = last ? TreePathOf(tree, last) : std::wstring();
  if (!last) return;
  SendMessageW(tree.hwnd, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(last));
  ListSubfolders(tree, last);
}

void Win32Toolkit::OpenTreeNode(Control& tree, HTREEITEM node) {
  const LPARAM bits = BitsOf(tree.hwnd, node);
  HTREEITEM first = Next(tree.hwnd, node, TVGN_CHILD);
  if (!(bits & kExpanded)) {
    // A listed subfolder: the chain keeps only it.
    HTREEITEM parent = Next(tree.hwnd, node, TVGN_PARENT);
    for (HTREEITEM sibling = parent ? Next(tree.hwnd, parent, TVGN_CHILD) : nullptr; sibling;) {
      HTREEITEM following = Next(tree.hwnd, sibling, TVGN_NEXT);
      if (sibling != node) {
        SendMessageW(tree.hwnd, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(sibling));
      }
      sibling = following;
    }
    SetBits(tree.hwnd, node, bits | kOpened);
  } else if (first && !(BitsOf(tree.hwnd, first) & kOpened)) {
    return;  // its subfolders are what the tree lists now
  } else {
    // Higher up the chain, or without subfolders: everything below goes.
    while (first) {
      HTREEITEM following = Next(tree.hwnd, first, TVGN_NEXT);
      SendMessageW(tree.hwnd, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(first));
      first = following;
    }
  }
  SendMessageW(tree.hwnd, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(node));
  tree.treeValue = TreePathOf(tree, node);
  const std::string name = tree.name;
  Fire(name, Event::kFolderChanged);
  // The routine may have closed the window; the tree is then gone.
  auto still = controls_.find(name);
  if (still == controls_.end()) return;
  ListSubfolders(*still->second, node);
}

// ---- the window procedure ----------------------------------------------------------

void Win32Toolkit::DrawButton(const DRAWITEMSTRUCT& item) {
  const bool pressed = item.itemState & ODS_SELECTED;
  const bool focused = item.itemState & ODS_FOCUS;
  HBRUSH fill = CreateSolidBrush(pressed ? RGB(222, 218, 196) : RGB(236, 233, 216));
  FillRect(item.hDC, &item.rcItem, fill);
  DeleteObject(fill);
  HPEN pen = CreatePen(PS_SOLID, 1, focused ? RGB(150, 142, 110) : RGB(196, 190, 160));
  HGDIOBJ oldPen = SelectObject(item.hDC, pen);
  HGDIOBJ oldBrush = SelectObject(item.hDC, GetStockObject(NULL_BRUSH));
  Rectangle(item.hDC, item.rcItem.left, item.rcItem.top, item.rcItem.right, item.rcItem.bottom);
  SelectObject(item.hDC, oldBrush);
  SelectObject(item.hDC, oldPen);
  DeleteObject(pen);
  std::wstring text = WindowText(item.hwndItem);
  RECT area = item.rcItem;
  if (pressed) OffsetRect(&area, 1, 1);
  SetBkMode(item.hDC, TRANSPARENT);
  SetTextColor(item.hDC,
               IsWindowEnabled(item.hwndItem) ? RGB(0, 0, 0) : GetSysColor(COLOR_GRAYTEXT));
  DrawTextW(item.hDC, text.c_str(), static_cast<int>(text.size()), &area,
            DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
}

LRESULT CALLBACK Win32Toolkit::WindowProcedure(HWND window, UINT message, WPARAM w, LPARAM l) {
  if (message == WM_NCCREATE) {
    auto* top = static_cast<TopWindow*>(reinterpret_cast<CREATESTRUCTW*>(l)->lpCreateParams);
    top->hwnd = window;
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(top));
  }
  auto* top = reinterpret_cast<TopWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (!top) return DefWindowProcW(window, message, w, l);
  return top->toolkit->Handle(*top, message, w, l);
}

LRESULT Win32Toolkit::Handle(TopWindow& top, UINT message, WPARAM w, LPARAM l) {
  HWND window = top.hwnd;
  switch (message) {
    case WM_COMMAND: {
      if (LOWORD(w) == IDOK) {
        // Enter where no control takes it (IsDialogMessage): the window's default button.
        for (const std::string& name : top.controls) {
          const Control& button = *controls_.at(name);
          if (button.kind == Kind::kButton && (button.look.flags & kDefault) &&
              IsWindowEnabled(button.hwnd)) {
            const std::string pressed = name;
            Fire(pressed, Event::kClicked);
            return 0;
          }
        }
      }
      Control* control = FindById(top, LOWORD(w));
      if (!control) break;
      const std::string name = control->name;
      const WORD code = HIWORD(w);
      if (control->kind == Kind::kButton && code == BN_CLICKED) {
        Fire(name, Event::kClicked);
      } else if (control->kind == Kind::kRadio && code == BN_CLICKED) {
        SetChecked(name, true);
        Fire(name, Event::kClicked);
      } else if ((control->kind == Kind::kEdit || control->kind == Kind::kSpin) &&
                 code == EN_CHANGE && settingText_ == 0) {
        Fire(name, Event::kContentChanged);
      } else if (control->kind == Kind::kDropDown && code == CBN_SELCHANGE) {
        Fire(name, Event::kItemSelected);
      } else if (control->kind == Kind::kDriveList && code == CBN_SELCHANGE) {
        Fire(name, Event::kDriveChanged);
      }
      return 0;
    }
    case WM_NOTIFY: {
      const auto* header = reinterpret_cast<const NMHDR*>(l);
      Control* control = FindById(top, static_cast<int>(header->idFrom));
      if (!control) break;
      if (control->kind == Kind::kCheckList) return ListNotice(*control, *header, l);
      if (control->kind == Kind::kTabControl && header->code == TCN_SELCHANGE) {
        SelectPage(*control, static_cast<int>(SendMessageW(control->hwnd, TCM_GETCURSEL, 0, 0)));
        return 0;
      }
      if (control->kind == Kind::kFolderTree) {
        if (header->code == NM_DBLCLK) {
          // A double-click selects the node under the pointer first, then opens it.
          TVHITTESTINFO hit{};
          const DWORD at = GetMessagePos();
          hit.pt = {GET_X_LPARAM(at), GET_Y_LPARAM(at)};
          ScreenToClient(control->hwnd, &hit.pt);
          auto node = reinterpret_cast<HTREEITEM>(
              SendMessageW(control->hwnd, TVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
          if (node && (hit.flags & TVHT_ONITEM)) OpenTreeNode(*control, node);
          return TRUE;  // no expanding or collapsing of its own
        }
        if (header->code == TVN_ITEMEXPANDINGW) {
          const auto* change = reinterpret_cast<const NMTREEVIEWW*>(l);
          // Only the program expands; the user's collapse would hide the chain.
          return change->action == TVE_COLLAPSE ? TRUE : FALSE;
        }
      }
      break;
    }
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORBTN: {
      HWND child = reinterpret_cast<HWND>(l);
      HDC dc = reinterpret_cast<HDC>(w);
      Control* control = FindById(top, GetDlgCtrlID(child));
      if (!control) break;
      if (control->look.textColour != kNoColour) SetTextColor(dc, Colour(control->look.textColour));
      if (control->kind == Kind::kTransparentLabel) {
        SetBkMode(dc, TRANSPARENT);
        return reinterpret_cast<LRESULT>(GetStockObject(NULL_BRUSH));
      }
      if (control->brush) {
        SetBkColor(dc, Colour(control->look.background));
        return reinterpret_cast<LRESULT>(control->brush);
      }
      if (control->kind == Kind::kWebView ||
          (control->kind == Kind::kEdit && message == WM_CTLCOLORSTATIC)) {
        // Read-only boxes and the local pages stay white, as the boxes that can be typed in.
        SetBkColor(dc, GetSysColor(COLOR_WINDOW));
        return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_WINDOW));
      }
      LRESULT brush = DefWindowProcW(window, message, w, l);
      if (control->look.textColour != kNoColour) SetTextColor(dc, Colour(control->look.textColour));
      return brush;
    }
    case WM_DROPFILES:
      Dropped(window, reinterpret_cast<HDROP>(w));
      return 0;
    case WM_DRAWITEM:
      DrawButton(*reinterpret_cast<const DRAWITEMSTRUCT*>(l));
      return TRUE;
    case WM_CLOSE:
      // The owner takes input again before this window goes, so that it is activated.
      if (HWND owner = GetWindow(window, GW_OWNER)) EnableWindow(owner, TRUE);
      DestroyWindow(window);
      return 0;
    case WM_DESTROY:
      if (top.main) PostQuitMessage(0);
      return 0;
    case WM_NCDESTROY: {
      const std::string name = top.name;
      SetWindowLongPtrW(window, GWLP_USERDATA, 0);
      Forget(name);
      return DefWindowProcW(window, message, w, l);
    }
    default:
      break;
  }
  return DefWindowProcW(window, message, w, l);
}

void ShowStopBox(const ByteText& text, const ByteText& caption) {
  MessageBoxW(nullptr, Wide(text).c_str(), Wide(caption).c_str(), MB_ICONSTOP | MB_TASKMODAL);
}

}  // namespace morvane::ui
