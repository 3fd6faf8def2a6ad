// The chapter-map window on Windows: the same window as on Linux, built with the standard
// controls. The map is a list view in report mode that holds no rows of its own (owner
// data): it asks for the texts of the rows in sight, so a map of a hundred thousand
// headings opens and scrolls as fast as one of ten.

#include <windows.h>
// After windows.h, which they need.
#include <commctrl.h>
#include <windowsx.h>

#include <algorithm>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/chapter_map_opening.h"
#include "app/chapter_map_text.h"
#include "engine/control_names.h"
#include "engine/messages.h"
#include "ui/win32/win32_toolkit.h"

namespace morvane::app {
namespace {

constexpr wchar_t kWindowClass[] = L"MorvaneChapterMap";
enum : int {
  kRulesId = 101,
  kPatternId,
  kApplyId,
  kListId,
  kPerFileId,
  kPerFileSpinId,
  kByNumberId,
  kByTitleId,
};
enum Column { kCutColumn, kNumberColumn, kTitleColumn, kSizeColumn, kFlagsColumn };
constexpr int kMaxPerFile = 100000;
// Flagged rows stand out in a soft orange; rows not cut at are greyed.
constexpr COLORREF kFlaggedBackground = RGB(0xFF, 0xE4, 0xC4);
constexpr COLORREF kUncutText = RGB(0x80, 0x80, 0x80);

std::wstring Wide(std::string_view utf8) {
  if (utf8.empty()) return {};
  const int length =
      MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(length), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(), length);
  return wide;
}

std::wstring TextOf(HWND control) {
  std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(control)) + 1, L'\0');
  text.resize(static_cast<std::size_t>(
      GetWindowTextW(control, text.data(), static_cast<int>(text.size()))));
  return text;
}

class MapWindow {
 public:
  MapWindow(ui::Win32Toolkit& toolkit, AppState& state) : ui_(toolkit), state_(state) {}

  // Builds the window over owner and runs it until it is closed.
  void Run(HWND owner);

 private:
  static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM w, LPARAM l);
  static void RegisterWindowClass();
  LRESULT Handle(UINT message, WPARAM w, LPARAM l);
  LRESULT Notice(const NMHDR& header, LPARAM l);
  void Create();
  HWND Make(const wchar_t* cls, const wchar_t* text, DWORD style, int x, int y, int width,
            int height, int id = 0, DWORD exStyle = 0);
  void ApplyRule();
  void ShowMap(const std::vector<bool>& cut);
  void ShowSummary();
  void Toggle(int row);
  // Space: ticks or unticks the row with the focus.
  void ToggleFocused();
  ChapterChoice Choice() const;
  void Close(bool confirm);

  ui::Win32Toolkit& ui_;
  AppState& state_;
  ChapterPlan plan_;
  std::vector<bool> cut_;
  // The text of the cell the list asked for last: the list copies it at once.
  std::wstring cell_;
  HWND window_ = nullptr;
  HWND rules_ = nullptr;
  HWND pattern_ = nullptr;
  HWND apply_ = nullptr;
  HWND list_ = nullptr;
  HWND perFile_ = nullptr;
  HWND spin_ = nullptr;
  HWND byNumber_ = nullptr;
  HWND byTitle_ = nullptr;
  HWND summary_ = nullptr;
  HWND preview_ = nullptr;
  bool open_ = false;
};

void MapWindow::RegisterWindowClass() {
  static bool registered = false;
  if (registered) return;
  registered = true;
  WNDCLASSEXW window{};
  window.cbSize = sizeof window;
  window.lpfnWndProc = Procedure;
  window.hInstance = GetModuleHandleW(nullptr);
  window.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  window.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  window.hIcon = LoadIconW(window.hInstance, MAKEINTRESOURCEW(1));
  window.lpszClassName = kWindowClass;
  RegisterClassExW(&window);
}

LRESULT CALLBACK MapWindow::Procedure(HWND window, UINT message, WPARAM w, LPARAM l) {
  if (message == WM_NCCREATE) {
    SetWindowLongPtrW(
        window, GWLP_USERDATA,
        reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTW*>(l)->lpCreateParams));
  }
  auto* self = reinterpret_cast<MapWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (!self) return DefWindowProcW(window, message, w, l);
  if (!self->window_) self->window_ = window;
  return self->Handle(message, w, l);
}

HWND MapWindow::Make(const wchar_t* cls, const wchar_t* text, DWORD style, int x, int y, int width,
                     int height, int id, DWORD exStyle) {
  HWND control = CreateWindowExW(exStyle, cls, text, WS_CHILD | WS_VISIBLE | style, x, y, width,
                                 height, window_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                 GetModuleHandleW(nullptr), nullptr);
  SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(ui_.GuiFont()), FALSE);
  return control;
}

void MapWindow::Create() {
  // The rule row.
  Make(L"STATIC", L"章节规则：", SS_NOPREFIX | SS_CENTERIMAGE, 10, 10, 72, 22);
  rules_ = Make(L"COMBOBOX", L"", WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST, 84, 10, 150, 120,
                kRulesId);
  // In the order of RuleKind.
  for (const wchar_t* rule : {L"第…章（默认）", L"整行标题", L"正则表达式"}) {
    SendMessageW(rules_, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(rule));
  }
  SendMessageW(rules_, CB_SETCURSEL, 0, 0);
  pattern_ = Make(L"EDIT", L"", WS_TABSTOP | ES_AUTOHSCROLL | WS_DISABLED, 242, 10, 380, 22,
                  kPatternId, WS_EX_CLIENTEDGE);
  SendMessageW(pattern_, EM_SETCUEBANNER, TRUE,
               reinterpret_cast<LPARAM>(L"如 ^\\s*第.{1,9}[章节回]"));
  apply_ =
      Make(L"BUTTON", L"应用", WS_TABSTOP | BS_PUSHBUTTON | WS_DISABLED, 630, 9, 80, 24, kApplyId);

  // The map.
  list_ = Make(WC_LISTVIEWW, L"",
               WS_TABSTOP | LVS_REPORT | LVS_OWNERDATA | LVS_SHOWSELALWAYS | WS_BORDER, 10, 42, 700,
               380, kListId);
  ListView_SetExtendedListViewStyle(list_,
                                    LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES);
  // The tick of a row is the program's, asked for like its texts.
  ListView_SetCallbackMask(list_, LVIS_STATEIMAGEMASK);
  const struct {
    const wchar_t* title;
    int width;
    int format;
  } columns[] = {{L"切分", 72, LVCFMT_LEFT},
                 {L"章号", 60, LVCFMT_RIGHT},
                 {L"标题", 346, LVCFMT_LEFT},
                 {L"大小", 76, LVCFMT_RIGHT},
                 {L"提示", 120, LVCFMT_LEFT}};
  for (int i = 0; i < static_cast<int>(std::size(columns)); ++i) {
    LVCOLUMNW column{};
    column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT;
    column.fmt = columns[i].format;
    column.cx = columns[i].width;
    std::wstring title = columns[i].title;
    column.pszText = title.data();
    ListView_InsertColumn(list_, i, &column);
  }

  // The file row.
  Make(L"STATIC", L"每个文件", SS_NOPREFIX | SS_CENTERIMAGE, 10, 432, 56, 22);
  perFile_ = Make(L"EDIT", L"1", WS_TABSTOP | ES_NUMBER | ES_RIGHT, 68, 432, 70, 22, kPerFileId,
                  WS_EX_CLIENTEDGE);
  spin_ =
      Make(UPDOWN_CLASSW, L"", UDS_SETBUDDYINT | UDS_ALIGNRIGHT | UDS_ARROWKEYS | UDS_NOTHOUSANDS,
           0, 0, 0, 0, kPerFileSpinId);
  SendMessageW(spin_, UDM_SETBUDDY, reinterpret_cast<WPARAM>(perFile_), 0);
  SendMessageW(spin_, UDM_SETRANGE32, 1, kMaxPerFile);
  SendMessageW(spin_, UDM_SETPOS32, 0, 1);
  Make(L"STATIC", L"章；文件名：", SS_NOPREFIX | SS_CENTERIMAGE, 146, 432, 90, 22);
  byNumber_ = Make(L"BUTTON", L"按序号", WS_TABSTOP | WS_GROUP | BS_AUTORADIOBUTTON, 238, 432, 70,
                   22, kByNumberId);
  byTitle_ = Make(L"BUTTON", L"按标题", BS_AUTORADIOBUTTON, 312, 432, 70, 22, kByTitleId);
  Button_SetCheck(byNumber_, BST_CHECKED);
  preview_ = Make(L"STATIC", L"", SS_NOPREFIX | SS_ENDELLIPSIS, 10, 462, 700, 20);
  summary_ = Make(L"STATIC", L"", SS_NOPREFIX | SS_CENTERIMAGE, 10, 490, 500, 24);
  Make(L"BUTTON", L"确定", WS_TABSTOP | WS_GROUP | BS_DEFPUSHBUTTON, 540, 490, 80, 26, IDOK);
  Make(L"BUTTON", L"取消", WS_TABSTOP | BS_PUSHBUTTON, 630, 490, 80, 26, IDCANCEL);
}

void MapWindow::Run(HWND owner) {
  RegisterWindowClass();
  const DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
  RECT frame{0, 0, 720, 524};
  AdjustWindowRectEx(&frame, style, FALSE, WS_EX_DLGMODALFRAME);
  window_ =
      CreateWindowExW(WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT, kWindowClass, L"章节目录", style,
                      CW_USEDEFAULT, CW_USEDEFAULT, frame.right - frame.left,
                      frame.bottom - frame.top, owner, nullptr, GetModuleHandleW(nullptr), this);
  if (!window_) return;
  Create();

  if (state_.chapterPlan) {
    // The map as the user left it.
    plan_ = *state_.chapterPlan;
    SendMessageW(rules_, CB_SETCURSEL, static_cast<WPARAM>(plan_.rule.kind), 0);
    const bool regex = plan_.rule.kind == RuleKind::kRegex;
    EnableWindow(pattern_, regex);
    EnableWindow(apply_, regex);
    SetWindowTextW(pattern_,
                   std::wstring(plan_.rule.pattern.begin(), plan_.rule.pattern.end()).c_str());
    SendMessageW(spin_, UDM_SETPOS32, 0, plan_.choice.perFile);
    Button_SetCheck(byTitle_,
                    plan_.choice.names == NameStyle::kTitle ? BST_CHECKED : BST_UNCHECKED);
    Button_SetCheck(byNumber_,
                    plan_.choice.names == NameStyle::kTitle ? BST_UNCHECKED : BST_CHECKED);
    ShowMap(plan_.choice.cut);
  } else {
    ApplyRule();
  }

  // Modal over the owner: it takes no input until this window is closed.
  if (owner) EnableWindow(owner, FALSE);
  ui::Win32Toolkit::ShowCentred(window_);
  SetFocus(list_);
  open_ = true;
  MSG message;
  while (open_) {
    const BOOL got = GetMessageW(&message, nullptr, 0, 0);
    if (got == 0) {
      PostQuitMessage(static_cast<int>(message.wParam));  // for the outer loop
      break;
    }
    if (got < 0) break;
    if (message.message == WM_KEYDOWN && GetAncestor(message.hwnd, GA_ROOT) == window_) {
      if (message.wParam == VK_ESCAPE) {
        Close(false);
        continue;
      }
      if (message.wParam == VK_RETURN && message.hwnd == pattern_) {
        ApplyRule();
        continue;
      }
      if (message.wParam == VK_SPACE && message.hwnd == list_) {
        // The list would tick its own box, which it does not hold: the map ticks.
        ToggleFocused();
        continue;
      }
    }
    if (IsDialogMessageW(window_, &message)) continue;
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  if (owner && IsWindow(owner)) {
    EnableWindow(owner, TRUE);
    SetActiveWindow(owner);
  }
  if (IsWindow(window_)) DestroyWindow(window_);
}

void MapWindow::Close(bool confirm) {
  if (confirm) {
    plan_.choice = Choice();
    state_.chapterPlan = std::make_shared<const ChapterPlan>(plan_);
  }
  open_ = false;
  // The owner takes input again before this window goes, so that it is activated.
  if (HWND owner = GetWindow(window_, GW_OWNER)) EnableWindow(owner, TRUE);
  DestroyWindow(window_);
}

void MapWindow::ApplyRule() {
  ChapterRule rule;
  rule.kind = static_cast<RuleKind>(SendMessageW(rules_, CB_GETCURSEL, 0, 0));
  if (rule.kind == RuleKind::kRegex) {
    const std::wstring pattern = TextOf(pattern_);
    rule.pattern.assign(pattern.begin(), pattern.end());
  }
  std::optional<ChapterMap> map = FindChapterMap(ui_, state_, rule);
  if (!map) return;
  plan_.rule = std::move(rule);
  plan_.map = std::move(*map);
  ShowMap({});
}

void MapWindow::ShowMap(const std::vector<bool>& cut) {
  // The list asks for the texts of the rows in sight as it scrolls; they are made then.
  cut_.assign(plan_.map.size(), true);
  for (std::size_t i = 0; i < cut.size() && i < cut_.size(); ++i) cut_[i] = cut[i];
  ListView_SetItemCountEx(list_, static_cast<int>(plan_.map.size()), 0);
  InvalidateRect(list_, nullptr, TRUE);
  ShowSummary();
}

ChapterChoice MapWindow::Choice() const {
  BOOL failed = FALSE;
  int perFile =
      static_cast<int>(SendMessageW(spin_, UDM_GETPOS32, 0, reinterpret_cast<LPARAM>(&failed)));
  if (failed) perFile = 1;
  perFile = std::clamp(perFile, 1, kMaxPerFile);
  return {cut_, perFile,
          Button_GetCheck(byTitle_) == BST_CHECKED ? NameStyle::kTitle : NameStyle::kNumber};
}

void MapWindow::ShowSummary() {
  if (!summary_) return;
  const ChapterChoice choice = Choice();
  SetWindowTextW(summary_, Wide(MapSummary(plan_.map, choice)).c_str());
  // The names of the first files, as the cut will write them now.
  SetWindowTextW(preview_, Wide(NamePreview(ui_, plan_.map, choice)).c_str());
}

void MapWindow::ToggleFocused() {
  const int row = ListView_GetNextItem(list_, -1, LVNI_FOCUSED);
  if (row < 0) return;
  Toggle(row);
  ShowSummary();
}

void MapWindow::Toggle(int row) {
  if (row < 0 || static_cast<std::size_t>(row) >= cut_.size()) return;
  cut_[static_cast<std::size_t>(row)] = !cut_[static_cast<std::size_t>(row)];
  ListView_RedrawItems(list_, row, row);
}

LRESULT MapWindow::Notice(const NMHDR& header, LPARAM l) {
  if (header.idFrom != kListId) return 0;
  switch (header.code) {
    case LVN_GETDISPINFOW: {
      LVITEMW& item = reinterpret_cast<NMLVDISPINFOW*>(l)->item;
      const auto row = static_cast<std::size_t>(item.iItem);
      if (row >= cut_.size()) return 0;
      const ChapterEntry& entry = plan_.map.entries[row];
      if (item.mask & LVIF_TEXT) {
        switch (item.iSubItem) {
          case kCutColumn:
            cell_ = std::to_wstring(row + 1);
            break;
          case kNumberColumn:
            cell_ = entry.number() ? std::to_wstring(*entry.number()) : std::wstring();
            break;
          case kTitleColumn: {
            const std::u16string title = plan_.map.Title(row);
            cell_.assign(title.begin(), title.end());
            break;
          }
          case kSizeColumn:
            cell_ = Wide(SizeWords(plan_.map.Length(row)));
            break;
          case kFlagsColumn:
            cell_ = Wide(FlagWords(entry.flags()));
            break;
          default:
            cell_.clear();
        }
        lstrcpynW(item.pszText, cell_.c_str(), item.cchTextMax);
      }
      if (item.mask & LVIF_STATE) {
        item.state = INDEXTOSTATEIMAGEMASK(cut_[row] ? 2 : 1);
        item.stateMask = LVIS_STATEIMAGEMASK;
      }
      return 0;
    }
    case NM_CLICK:
    case NM_DBLCLK: {
      // A click on a row's box ticks or unticks it.
      LVHITTESTINFO hit{};
      hit.pt = reinterpret_cast<const NMITEMACTIVATE*>(l)->ptAction;
      const int row = ListView_HitTest(list_, &hit);
      // A whole-row list reports every part of a row as all of them: only the box alone
      // is the box.
      if (row >= 0 && (hit.flags & LVHT_ONITEM) == LVHT_ONITEMSTATEICON) {
        Toggle(row);
        ShowSummary();
      }
      return 0;
    }
    case NM_CUSTOMDRAW: {
      auto& draw = *reinterpret_cast<NMLVCUSTOMDRAW*>(l);
      if (draw.nmcd.dwDrawStage == CDDS_PREPAINT) return CDRF_NOTIFYITEMDRAW;
      if (draw.nmcd.dwDrawStage == CDDS_ITEMPREPAINT) {
        const auto row = static_cast<std::size_t>(draw.nmcd.dwItemSpec);
        if (row < cut_.size()) {
          if (plan_.map.entries[row].flags() != 0) draw.clrTextBk = kFlaggedBackground;
          if (!cut_[row]) draw.clrText = kUncutText;
        }
        return CDRF_NEWFONT;
      }
      return CDRF_DODEFAULT;
    }
    default:
      return 0;
  }
}

LRESULT MapWindow::Handle(UINT message, WPARAM w, LPARAM l) {
  switch (message) {
    case WM_COMMAND:
      switch (LOWORD(w)) {
        case kRulesId:
          if (HIWORD(w) == CBN_SELCHANGE) {
            const bool regex =
                SendMessageW(rules_, CB_GETCURSEL, 0, 0) == static_cast<LRESULT>(RuleKind::kRegex);
            EnableWindow(pattern_, regex);
            EnableWindow(apply_, regex);
            if (regex) {
              SetFocus(pattern_);
            } else {
              ApplyRule();
            }
          }
          return 0;
        case kApplyId:
          ApplyRule();
          return 0;
        case kPerFileId:
          if (HIWORD(w) == EN_CHANGE) ShowSummary();
          return 0;
        case kByNumberId:
        case kByTitleId:
          ShowSummary();
          return 0;
        case IDOK:
          Close(true);
          return 0;
        case IDCANCEL:
          Close(false);
          return 0;
        default:
          return 0;
      }
    case WM_NOTIFY:
      return Notice(*reinterpret_cast<const NMHDR*>(l), l);
    case WM_CLOSE:
      Close(false);
      return 0;
    default:
      return DefWindowProcW(window_, message, w, l);
  }
}

}  // namespace

void OpenChapterMap(Toolkit& ui, AppState& state) {
  if (state.chapterSearchDone == 0) {
    ui.ShowMessageBox(messages::SearchFirst());
    return;
  }
  auto* toolkit = dynamic_cast<ui::Win32Toolkit*>(&ui);
  if (!toolkit) return;
  MapWindow window(*toolkit, state);
  window.Run(toolkit->Handle(names::kMainWindow));
}

}  // namespace morvane::app
