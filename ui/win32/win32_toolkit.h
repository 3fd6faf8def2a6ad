// SPDX-License-Identifier: MIT
#pragma once
// The Toolkit on the Win32 API (ui/win32/, one file per job: win32_toolkit.cpp the windows
// and the controls by name, win32_controls.cpp a factory per kind of control,
// win32_message_loop.cpp the window procedure and the loop, win32_dialogs.cpp boxes and
// dialogs, win32_check_list.cpp, win32_folder_tree.cpp, win32_drives.cpp, win32_dpi.cpp
// the lengths of the descriptions at a window's DPI, win32_text.cpp the texts between GBK,
// UTF-8 and UTF-16): builds windows from their descriptions, at the DPI of the monitor each
// stands on and again when it moves to another, with the
// standard controls (edit boxes, static texts, buttons, a combo box, a tab control, a tree view, a
// list view that holds no rows of its own, an up-down box), runs the common open-file
// dialog, message boxes and modal windows, takes files dropped from Explorer on the
// controls whose rows say so, and delivers events.
//
// Events reach the bound routines by one rule: a handler's write into an edit box runs
// the box's content-changed routine once, nested, even when the text is the same; the
// user's typing runs it after each change; the change notices that the write itself
// causes run nothing.
//
// Every control is a child of its top-level window, placed at the sum of its own and its
// parents' positions (a tab page counts from its tab control), scaled to the window's DPI
// as a whole (so that neighbours keep their gaps), so that every notice
// reaches the one window procedure. A control is shown when it, every parent and, on a
// tab page, that page are shown.

#include <windows.h>
// After windows.h, which it needs.
#include <commctrl.h>
#include <shellapi.h>

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/path.h"
#include "core/toolkit.h"
#include "ui/control_row.h"

namespace morvane::ui {

// One entry of the drive list.
struct Win32Drive {
  std::wstring root;  // "C:"
  std::wstring item;  // "C: （硬盘） System"
};

// The item of the drive list for a drive: the letter and colon, then the note for its
// kind (fixed disks with their volume label), as GetDriveTypeW reports it.
std::wstring DriveItem(std::wstring_view root, UINT driveType, std::wstring_view label);
// The logical drives of the system, in the order it reports them.
std::vector<Win32Drive> LogicalDrives();

// A folder path split at its backslashes, empty parts dropped: "C:\" gives {"C:"}.
std::vector<std::wstring> FolderParts(std::wstring_view path);

// Sorts paths by their file names as a reader counts (the order of the file manager):
// "2.txt" before "10.txt", 第2章 before 第10章.
void SortNaturally(std::vector<Path>& paths);

struct ControlPlace;

class Win32Toolkit final : public Toolkit {
 public:
  Win32Toolkit();
  ~Win32Toolkit() override;
  Win32Toolkit(const Win32Toolkit&) = delete;
  Win32Toolkit& operator=(const Win32Toolkit&) = delete;

  // Makes a window known; CreateTopWindow and LoadWindow build it from this description.
  void Describe(WindowDescription window);
  // Builds a window owned by owner and runs its creation routine; not shown yet.
  HWND CreateTopWindow(std::string_view window, HWND owner = nullptr);
  static void ShowCentred(HWND window);
  // The message loop of the program; returns when the main window is gone.
  int Run();
  // The font of the controls that name none, at the DPI the descriptions are drawn for.
  HFONT GuiFont() { return FontFor(Font{}, 96); }
  // The window of a control or top-level window that exists now, else nullptr.
  HWND Handle(std::string_view control) const;
  // The window a message box or dialog speaks for, which owns it: the program's active
  // window when it takes input, else the shown one that takes input and was opened last (a
  // modal window over the others), else the last one opened; nullptr only when no window is
  // open.
  HWND OwnerWindow() const;

  ByteText Text(TextControl control) const override;
  void SetText(TextControl control, const ByteText& text) override;
  bool Visible(AnyControl control) const override;
  void SetVisible(AnyControl control, bool visible) override;
  bool Checked(RadioButton control) const override;
  void SetChecked(RadioButton control, bool checked) override;
  int SelectedIndex(ListControl control) const override;
  ByteText ComboItemText(ListControl control, int index) const override;
  void SetComboItemText(DropDown control, int index, const ByteText& text) override;
  void SetTextEncoding(EditBox control, Encoding encoding) override;
  // In the registry, under HKEY_CURRENT_USER\Software\Morvane.
  std::string Setting(std::string_view key) const override;
  void SetSetting(std::string_view key, const std::string& value) override;
  int ShowMessageBox(const std::string& content, int flags, const std::string& caption) override;
  using Toolkit::ShowMessageBox;
  // The message with 确定 and 打开文件夹, which shows the folder in Explorer.
  void ShowCompletion(const std::string& content, const std::string& caption,
                      const Path& folder) override;
  bool ShowFileDialog(FileDialog component) override;
  Path DialogFileName(FileDialog component) const override;
  void SetPath(PathControl control, const Path& path) override;
  std::optional<Path> PathIn(PathControl control) const override;
  TypedName TypedPathIn(PathControl control) const override;
  bool LoadWindow(Window window, Window parent, bool modal) override;
  void CloseWindow(Window window) override;
  bool Enabled(AnyControl control) const override;
  void SetEnabled(AnyControl control, bool enabled) override;
  void Focus(AnyControl control) override;
  void SetRows(CheckList list, std::shared_ptr<const TableRows> rows,
               const std::vector<bool>& ticks) override;
  std::vector<bool> Ticks(CheckList list) const override;
  int CurrentRow(CheckList list) const override;
  void SetCurrentRow(CheckList list, int row) override;
  std::vector<Path> DroppedPaths(DropTarget control) const override;
  void ChooseWithoutDialog(FileDialog component, const Path& path) override;
  bool SetControlStyle(int style) override;
  // The job runs on a worker thread; the windows keep painting but take no input, and
  // after a moment a progress window shows what has been done, with a 取消 button.
  void RunLongWork(const WorkSize& size, const Job& job) override;
  void Bind(EventSource control, Event event, Routine routine) override;

  void ShowPage(TabPage page) override;

  struct Control;

 private:
  struct TopWindow;
  struct FileDialogSettings {
    std::wstring fileName;  // the path last chosen through this component
    std::wstring filter;    // "txt文本\0*.txt\0\0"
    std::wstring initialFolder;
    std::wstring preset;  // chosen without the dialog, for its next run
    bool save = false;    // asks for a name to save to
  };

  // The classes of the program's windows and tab pages, registered once.
  static void RegisterClasses();
  static LRESULT CALLBACK WindowProcedure(HWND window, UINT message, WPARAM w, LPARAM l);
  LRESULT Handle(TopWindow& top, UINT message, WPARAM w, LPARAM l);
  // Keys the windows share: Esc closes, Enter opens a tree's folder, Tab moves on.
  bool PreTranslate(MSG& message);
  Control& Find(std::string_view name);
  const Control& Find(std::string_view name) const;
  Control* FindById(const TopWindow& top, int id);
  void Fire(std::string_view control, Event event);
  void Build(const ControlRow& row, TopWindow& top);
  // Lays out a window's controls again for a DPI (its positions, sizes, fonts, a list's
  // columns); the window itself is sized by the caller.
  void LayOut(TopWindow& top, int dpi);
  POINT Origin(const Control& control) const;
  ControlPlace PlaceOf(const Control& control, const TopWindow& top) const;
  bool ShownOnScreen(const Control& control) const;
  void UpdateVisibility(const std::string& window);
  void SelectPage(Control& tabs, int page);
  void Forget(const std::string& window);
  // The windows open now, the main window first when it is open.
  std::vector<HWND> TopWindows() const;
  HFONT FontFor(const Font& font, int dpi);
  void ApplyStyle(HWND control) const;
  void DrawButton(const DRAWITEMSTRUCT& item);
  // A check list's notices: the texts of the rows in sight, clicks on the boxes, colours.
  LRESULT ListNotice(Control& list, const NMHDR& header, LPARAM l);
  void Toggle(Control& list, int row);
  // The folder tree.
  void SetTreePath(Control& tree, std::wstring_view path);
  void OpenTreeNode(Control& tree, HTREEITEM node);
  void ListSubfolders(Control& tree, HTREEITEM node);
  std::wstring TreePathOf(const Control& tree, HTREEITEM node) const;

  std::map<std::string, WindowDescription, std::less<>> descriptions_;
  std::map<std::string, std::unique_ptr<Control>, std::less<>> controls_;
  std::map<std::string, std::unique_ptr<TopWindow>, std::less<>> windows_;
  std::map<std::string, FileDialogSettings, std::less<>> dialogs_;  // live for the whole run
  std::map<std::pair<std::string, Event>, Routine> routines_;
  std::map<std::pair<std::string, int>, HFONT> fonts_;
  // The controls that take drops, in the order of their rows.
  std::vector<std::string> dropTargets_;
  void Dropped(HWND window, HDROP drop);
  HIMAGELIST folderImages_ = nullptr;
  int style_ = 0;
  int settingText_ = 0;  // EN_CHANGE notices caused by SetText are not the user's typing
  int choosingRow_ = 0;  // a list's row changes made by a handler are not the user's
  int opened_ = 0;       // top-level windows built so far
};

// Registers a class of the program's windows: the arrow cursor, the dialog face behind
// their controls, icon in the title bar (none when null).
void RegisterWindowClass(const wchar_t* name, WNDPROC procedure, HICON icon = nullptr);

// A box with the stop icon, modal for the program (the fatal error path).
void ShowStopBox(const ByteText& text, const ByteText& caption);

}  // namespace morvane::ui
