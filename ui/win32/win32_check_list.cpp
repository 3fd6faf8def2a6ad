// SPDX-License-Identifier: MIT
// The check lists on Win32: a list view that holds no rows of its own (the program's
// TableRows give the texts of the rows in sight), the ticks the toolkit keeps, clicks on the
// boxes, the row the user is on, and the shading of marked rows.
#include <windows.h>
// After windows.h, which they need.
#include <commctrl.h>

#include "ui/win32/win32_control.h"
#include "ui/win32/win32_text.h"

namespace morvane::ui {

void Win32Toolkit::SetRows(CheckList name, std::shared_ptr<const TableRows> rows,
                           const std::vector<bool>& ticks) {
  Control& list = Find(name);
  ListPart& part = list.As<ListPart>();
  part.ticks.assign(rows ? static_cast<std::size_t>(rows->Count()) : 0, true);
  for (std::size_t i = 0; i < ticks.size() && i < part.ticks.size(); ++i) part.ticks[i] = ticks[i];
  part.rows = std::move(rows);
  ++choosingRow_;
  ListView_SetItemState(list.hwnd, -1, 0, LVIS_SELECTED | LVIS_FOCUSED);
  ListView_SetItemCountEx(list.hwnd, static_cast<int>(part.ticks.size()), 0);
  --choosingRow_;
  InvalidateRect(list.hwnd, nullptr, TRUE);
}

int Win32Toolkit::CurrentRow(CheckList name) const {
  return ListView_GetNextItem(Find(name).hwnd, -1, LVNI_FOCUSED);
}

void Win32Toolkit::SetCurrentRow(CheckList name, int row) {
  Control& list = Find(name);
  if (row < 0 || static_cast<std::size_t>(row) >= list.As<ListPart>().ticks.size()) return;
  ++choosingRow_;
  ListView_SetItemState(list.hwnd, -1, 0, LVIS_SELECTED | LVIS_FOCUSED);
  ListView_SetItemState(list.hwnd, row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
  --choosingRow_;
  ListView_EnsureVisible(list.hwnd, row, FALSE);
}

std::vector<bool> Win32Toolkit::Ticks(CheckList name) const {
  return Find(name).As<ListPart>().ticks;
}

void Win32Toolkit::Toggle(Control& list, int row) {
  std::vector<bool>& ticks = list.As<ListPart>().ticks;
  if (row < 0 || static_cast<std::size_t>(row) >= ticks.size()) return;
  ticks[static_cast<std::size_t>(row)] = !ticks[static_cast<std::size_t>(row)];
  ListView_RedrawItems(list.hwnd, row, row);
  Fire(list.name, Event::kTicked);
}

LRESULT Win32Toolkit::ListNotice(Control& list, const NMHDR& header, LPARAM l) {
  ListPart& part = list.As<ListPart>();
  switch (header.code) {
    case LVN_GETDISPINFOW: {
      LVITEMW& item = reinterpret_cast<NMLVDISPINFOW*>(l)->item;
      if (item.iItem < 0 || static_cast<std::size_t>(item.iItem) >= part.ticks.size()) return 0;
      if (item.mask & LVIF_TEXT) {
        part.cell = WideFromUtf8(part.rows->Cell(item.iItem, item.iSubItem));
        lstrcpynW(item.pszText, part.cell.c_str(), item.cchTextMax);
      }
      if ((item.mask & LVIF_STATE) && !(list.look.flags & kNoBoxes)) {
        item.state =
            INDEXTOSTATEIMAGEMASK(part.ticks[static_cast<std::size_t>(item.iItem)] ? 2 : 1);
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
        if (row < part.ticks.size()) {
          if (list.look.background != kNoColour && part.rows->Marked(static_cast<int>(row))) {
            draw.clrTextBk = Colour(list.look.background);
          }
          if (list.look.textColour != kNoColour && !part.ticks[row]) {
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

}  // namespace morvane::ui
