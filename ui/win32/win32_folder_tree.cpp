// SPDX-License-Identifier: MIT
// The folder tree of the save-location window on Win32: the chain of folders from the
// drive down to the one shown, with the subfolders of the last one listed, opened by a
// double-click or Enter; and its folder images, drawn here.
#include "ui/win32/win32_folder_tree.h"

#include <commctrl.h>

#include <algorithm>

#include "core/folder_listing.h"
#include "ui/win32/win32_control.h"

namespace morvane::ui {
namespace {

// Bits of a folder node's item data.
constexpr LPARAM kOpened = 1;
constexpr LPARAM kExpanded = 2;
// Images of the folder tree: closed and opened folder, each also when selected.
constexpr int kClosedImage = 0;
constexpr int kOpenedImage = 1;

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

}  // namespace

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
  tree.As<TreePart>().value = last ? TreePathOf(tree, last) : std::wstring();
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
  tree.As<TreePart>().value = TreePathOf(tree, node);
  const std::string name = tree.name;
  Fire(name, Event::kFolderChanged);
  // The routine may have closed the window; the tree is then gone.
  auto still = controls_.find(name);
  if (still == controls_.end()) return;
  ListSubfolders(*still->second, node);
}

}  // namespace morvane::ui
