#include "magic_list.h"

#include <windowsx.h>

#include <string>
#include <vector>

namespace {
constexpr wchar_t kObjectProp[] = L"CMagicList";
constexpr int kFirstColumnMargin = 4, kOtherColumnMargin = 12;

std::u16string CellText(HWND list, int row, int column) {
  wchar_t text[512] = {};
  LVITEMW item{};
  item.iSubItem = column;
  item.pszText = text;
  item.cchTextMax = 512;
  SendMessageW(list, LVM_GETITEMTEXTW, row, LPARAM(&item));
  return std::u16string(reinterpret_cast<const char16_t*>(text));
}

std::wstring Wide(const std::u16string& s) { return std::wstring(s.begin(), s.end()); }
}  // namespace

bool CMagicList::Attach(HWND dialog, int controlId) {
  HWND list = GetDlgItem(dialog, controlId);
  if (!SubclassedControl::Attach(list, kObjectProp)) return false;
  header_.Attach(ListView_GetHeader(list));
  MeasureRows();  // they were measured before we were here
  return true;
}

void CMagicList::MeasureRows() {
  // An owner-drawn list asks its parent for the row height when its size
  // changes: one pixel taller, then back.
  RECT r;
  GetWindowRect(Hwnd(), &r);
  const int width = r.right - r.left, height = r.bottom - r.top;
  const UINT flags = SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE;
  SetWindowPos(Hwnd(), nullptr, 0, 0, width, height + 1, flags);
  SetWindowPos(Hwnd(), nullptr, 0, 0, width, height, flags);
}

void CMagicList::SetSelectionColours(COLORREF text, COLORREF focused, COLORREF unfocused) {
  selectedText_ = text;
  selectedFocused_ = focused;
  selectedUnfocused_ = unfocused;
  if (Hwnd()) InvalidateRect(Hwnd(), nullptr, FALSE);
}

void CMagicList::SetColumnImages(int column, HIMAGELIST images) {
  columnImages_[column] = images;
  header_.SetLocked(column, images != nullptr);
}

int CMagicList::RowHeight() const {
  win32::WindowDC dc(Hwnd());
  win32::SelectedObject font(dc.Get(), GetWindowFont(Hwnd()));
  TEXTMETRICW tm{};
  GetTextMetricsW(dc.Get(), &tm);
  return tm.tmHeight + 10;
}

bool CMagicList::MeasureItemMessage(HWND dialog, MEASUREITEMSTRUCT* item) {
  if (!item || item->CtlType != ODT_LISTVIEW) return false;
  auto* list = static_cast<CMagicList*>(Find(GetDlgItem(dialog, int(item->CtlID)), kObjectProp));
  if (!list) return false;
  item->itemHeight = UINT(list->RowHeight());
  return true;
}

bool CMagicList::DrawItemMessage(const DRAWITEMSTRUCT* item) {
  if (!item || item->CtlType != ODT_LISTVIEW) return false;
  auto* list = static_cast<CMagicList*>(Find(item->hwndItem, kObjectProp));
  if (!list) return false;
  list->DrawRow(*item);
  return true;
}

void CMagicList::DrawRow(const DRAWITEMSTRUCT& d) const {
  const int row = int(d.itemID);
  const UINT state = ListView_GetItemState(Hwnd(), row, LVIS_SELECTED | LVIS_DROPHILITED);
  const bool focused = GetFocus() == Hwnd();
  const bool showAlways = GetWindowLongPtrW(Hwnd(), GWL_STYLE) & LVS_SHOWSELALWAYS;
  const bool selected = ((state & LVIS_SELECTED) && (focused || showAlways)) || (state & LVIS_DROPHILITED);
  HDC dc = d.hDC;

  RECT bounds{};
  ListView_GetItemRect(Hwnd(), row, &bounds, LVIR_BOUNDS);
  win32::Brush fill(CreateSolidBrush(selected ? (focused ? selectedFocused_ : selectedUnfocused_) : background_));
  FillRect(dc, &bounds, fill.Get());
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, selected ? selectedText_ : text_);

  auto width = [dc](std::u16string_view s) {
    SIZE size{};
    GetTextExtentPoint32W(dc, reinterpret_cast<const wchar_t*>(s.data()), int(s.size()), &size);
    return int(size.cx);
  };
  const int columns = Header_GetItemCount(header_.Hwnd());
  for (int column = 0; column < columns; ++column) {
    RECT cell{};
    ListView_GetSubItemRect(Hwnd(), row, column, column == 0 ? LVIR_LABEL : LVIR_BOUNDS, &cell);
    if (column == 0) {  // the label rectangle of the first column starts after any image
      RECT header{};
      Header_GetItemRect(header_.Hwnd(), 0, &header);
      cell.right = cell.left + (header.right - header.left) - (cell.left - bounds.left);
    }
    const std::u16string text = CellText(Hwnd(), row, column);
    if (auto images = columnImages_.find(column); images != columnImages_.end() && images->second) {
      int cx = 0, cy = 0;
      ImageList_GetIconSize(images->second, &cx, &cy);
      ImageList_Draw(images->second, _wtoi(Wide(text).c_str()), dc, cell.left + kCellInset,
                     cell.top + (cell.bottom - cell.top - cy) / 2, ILD_TRANSPARENT);
    } else {
      LVCOLUMNW lvc{};
      lvc.mask = LVCF_FMT;
      ListView_GetColumn(Hwnd(), column, &lvc);
      const UINT align = (lvc.fmt & LVCFMT_JUSTIFYMASK) == LVCFMT_RIGHT ? DT_RIGHT
                         : (lvc.fmt & LVCFMT_JUSTIFYMASK) == LVCFMT_CENTER ? DT_CENTER
                                                                           : DT_LEFT;
      const int margin = column == 0 ? kFirstColumnMargin : kOtherColumnMargin;
      // Fitted to the rectangle the text is drawn in, so that the dots show whole.
      RECT r = {cell.left + kCellInset, cell.top, cell.right - kCellInset, cell.bottom};
      const std::wstring shown = Wide(FitCellText(text, r.right - r.left, margin, width));
      DrawTextW(dc, shown.c_str(), int(shown.size()), &r, align | DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
    }
    if (options_ & kGridLines) {
      win32::SelectedObject pen(dc, gridPen_.Get());
      MoveToEx(dc, cell.right - 1, cell.top, nullptr);
      LineTo(dc, cell.right - 1, cell.bottom);
    }
  }
}

void CMagicList::RedrawSelection(bool) {
  const int focusedRow = ListView_GetNextItem(Hwnd(), -1, LVNI_FOCUSED);
  if (focusedRow >= 0) ListView_RedrawItems(Hwnd(), focusedRow, focusedRow);
  if (!(GetWindowLongPtrW(Hwnd(), GWL_STYLE) & LVS_SHOWSELALWAYS))
    for (int row = -1; (row = ListView_GetNextItem(Hwnd(), row, LVNI_SELECTED)) >= 0;) ListView_RedrawItems(Hwnd(), row, row);
  UpdateWindow(Hwnd());
}

void CMagicList::Sort(int column, bool ascending) {
  const int rows = ListView_GetItemCount(Hwnd()), columns = Header_GetItemCount(header_.Hwnd());
  if (column < 0 || column >= columns) return;
  std::vector<std::u16string> cells;
  std::vector<int> order;
  for (int r = 0; r < rows; ++r) cells.push_back(CellText(Hwnd(), r, column)), order.push_back(r);
  SortRows(order, cells, numericColumns_.count(column) > 0, ascending);

  // Rewrite the rows in place in the new order: texts, item data and states.
  struct Row {
    std::vector<std::u16string> texts;
    LPARAM data;
    UINT state;
  };
  std::vector<Row> before(static_cast<size_t>(rows));
  for (int r = 0; r < rows; ++r) {
    for (int c = 0; c < columns; ++c) before[size_t(r)].texts.push_back(CellText(Hwnd(), r, c));
    LVITEMW item{};
    item.mask = LVIF_PARAM | LVIF_STATE;
    item.iItem = r;
    item.stateMask = UINT(-1);
    ListView_GetItem(Hwnd(), &item);
    before[size_t(r)].data = item.lParam;
    before[size_t(r)].state = item.state;
  }
  SendMessageW(Hwnd(), WM_SETREDRAW, FALSE, 0);
  for (int r = 0; r < rows; ++r) {
    const Row& from = before[size_t(order[size_t(r)])];
    for (int c = 0; c < columns; ++c) {
      std::wstring text = Wide(from.texts[size_t(c)]);
      ListView_SetItemText(Hwnd(), r, c, text.data());
    }
    LVITEMW item{};
    item.mask = LVIF_PARAM | LVIF_STATE;
    item.iItem = r;
    item.lParam = from.data;
    item.state = from.state;
    item.stateMask = UINT(-1);
    ListView_SetItem(Hwnd(), &item);
  }
  SendMessageW(Hwnd(), WM_SETREDRAW, TRUE, 0);
  InvalidateRect(Hwnd(), nullptr, FALSE);
  header_.SetSortMark(column, ascending);
}

bool CMagicList::OnHeaderNotify(NMHDR* n, LRESULT* result) {
  if (n->hwndFrom != header_.Hwnd()) return false;
  auto* h = reinterpret_cast<NMHEADERW*>(n);
  switch (n->code) {
    case HDN_BEGINTRACKW:
    case HDN_BEGINTRACKA:
    case HDN_DIVIDERDBLCLICKW:
    case HDN_DIVIDERDBLCLICKA:
      if (header_.Locked(h->iItem)) {
        *result = TRUE;  // refused
        return true;
      }
      return false;
    case HDN_ITEMCLICKW:
    case HDN_ITEMCLICKA:
      if (options_ & kSortOnHeaderClick) {
        sort_.Click(h->iItem);
        Sort(sort_.column, sort_.ascending);
      }
      return false;
  }
  return false;
}

LRESULT CMagicList::OnMessage(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case LVM_SETTEXTCOLOR:
      text_ = COLORREF(lp);
      break;
    case LVM_SETTEXTBKCOLOR:
      textBackground_ = COLORREF(lp);
      break;
    case LVM_SETBKCOLOR:
      background_ = COLORREF(lp);
      break;
    case WM_SETFOCUS:
    case WM_KILLFOCUS: {
      const LRESULT r = DefaultProc(msg, wp, lp);
      RedrawSelection(msg == WM_SETFOCUS);
      return r;
    }
    case WM_SETFONT: {
      const LRESULT r = DefaultProc(msg, wp, lp);
      MeasureRows();
      return r;
    }
    case WM_CONTEXTMENU:
      if (menu_) {
        if (HMENU popup = GetSubMenu(menu_, 0))
          TrackPopupMenu(popup, TPM_LEFTALIGN | TPM_RIGHTBUTTON, GET_X_LPARAM(lp), GET_Y_LPARAM(lp), 0,
                         GetParent(Hwnd()), nullptr);
        return 0;
      }
      break;
    case WM_NOTIFY: {
      LRESULT result = 0;
      if (OnHeaderNotify(reinterpret_cast<NMHDR*>(lp), &result)) return result;
      break;
    }
  }
  return DefaultProc(msg, wp, lp);
}
