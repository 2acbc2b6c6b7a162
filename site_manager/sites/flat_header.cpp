#include "flat_header.h"

#include <windowsx.h>

#include <algorithm>
#include <string>

#include "win32/gdi.h"
#include "win32/mem_dc.h"

namespace {
constexpr int kMarkerHalf = 4;                // half the width of a drop triangle

std::wstring ItemText(HWND header, int item) {
  wchar_t text[256] = {};
  HDITEMW hdi{};
  hdi.mask = HDI_TEXT;
  hdi.pszText = text;
  hdi.cchTextMax = 256;
  Header_GetItem(header, item, &hdi);
  return text;
}

std::vector<int> Order(HWND header) {
  std::vector<int> order(size_t(std::max(0, Header_GetItemCount(header))));
  if (!order.empty()) Header_GetOrderArray(header, int(order.size()), order.data());
  return order;
}

void Triangle(HDC dc, int x, int tipY, int baseY) {
  POINT p[3] = {{x - kMarkerHalf, baseY}, {x + kMarkerHalf, baseY}, {x, tipY}};
  Polygon(dc, p, 3);
}
}  // namespace

// --- CFHDragWnd -------------------------------------------------------------

bool CFHDragWnd::Create(CFlatHeaderCtrl* header, int item, POINT centre) {
  header_ = header;
  item_ = item;
  RECT r{};
  Header_GetItemRect(header->Hwnd(), item, &r);
  size_ = {r.right - r.left, r.bottom - r.top};
  if (!Window::Create(L"CFHDragWnd", L"", WS_POPUP | WS_BORDER, WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE,
                      centre.x - size_.cx / 2, centre.y - size_.cy / 2, size_.cx, size_.cy, header->Hwnd()))
    return false;
  ShowWindow(Hwnd(), SW_SHOWNOACTIVATE);
  return true;
}

void CFHDragWnd::MoveTo(POINT centre) {
  SetWindowPos(Hwnd(), nullptr, centre.x - size_.cx / 2, centre.y - size_.cy / 2, 0, 0,
               SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

LRESULT CFHDragWnd::OnMessage(UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_ERASEBKGND) return 1;
  if (msg == WM_PAINT) {
    win32::PaintDC paint(Hwnd());
    win32::CMemDC dc(paint.Get());
    RECT client;
    GetClientRect(Hwnd(), &client);
    SelectObject(dc.Get(), GetWindowFont(header_->Hwnd()));
    header_->DrawItem(dc.Get(), item_, client);
    return 0;
  }
  return Window::OnMessage(msg, wp, lp);
}

// --- CFlatHeaderCtrl --------------------------------------------------------

bool CFlatHeaderCtrl::Attach(HWND header) {
  if (!SubclassedControl::Attach(header)) return false;
  InvalidateRect(Hwnd(), nullptr, TRUE);
  return true;
}

void CFlatHeaderCtrl::SetLocked(int column, bool locked) {
  if (column < 0) return;
  if (size_t(column) >= extra_.size()) extra_.resize((size_t(column) / 20 + 1) * 20);
  extra_[size_t(column)].locked = locked;
}

bool CFlatHeaderCtrl::Locked(int column) const {
  return column >= 0 && size_t(column) < extra_.size() && extra_[size_t(column)].locked;
}

void CFlatHeaderCtrl::SetSortMark(int column, bool ascending) {
  sortColumn_ = column;
  sortAscending_ = ascending;
  if (Hwnd()) InvalidateRect(Hwnd(), nullptr, FALSE);
}

void CFlatHeaderCtrl::SetSortBitmaps(HBITMAP ascending, HBITMAP descending) {
  sortUp_ = ascending;
  sortDown_ = descending;
}

void CFlatHeaderCtrl::DrawItem(HDC dc, int item, const RECT& rect) const {
  win32::Brush background(CreateSolidBrush(kBackground));
  FillRect(dc, &rect, background.Get());
  HDITEMW hdi{};
  hdi.mask = HDI_FORMAT;
  Header_GetItem(Hwnd(), item, &hdi);
  RECT text = {rect.left + kTextInset, rect.top, rect.right - kTextInset, rect.bottom};
  HBITMAP mark = item == sortColumn_ && sortUp_ && sortDown_ ? (sortAscending_ ? sortUp_ : sortDown_) : nullptr;
  if (mark) {
    BITMAP b{};
    GetObjectW(mark, sizeof(b), &b);
    win32::MemoryDC source(dc);
    win32::SelectedObject use(source.Get(), mark);
    text.right -= b.bmWidth + kTextInset;
    BitBlt(dc, text.right + kTextInset, rect.top + (rect.bottom - rect.top - b.bmHeight) / 2, b.bmWidth, b.bmHeight,
           source.Get(), 0, 0, SRCCOPY);
  }
  const UINT align = (hdi.fmt & HDF_JUSTIFYMASK) == HDF_RIGHT ? DT_RIGHT
                     : (hdi.fmt & HDF_JUSTIFYMASK) == HDF_CENTER ? DT_CENTER
                                                                  : DT_LEFT;
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
  const std::wstring caption = ItemText(Hwnd(), item);
  DrawTextW(dc, caption.c_str(), int(caption.size()), &text,
            align | DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS);
}

void CFlatHeaderCtrl::Paint(HDC target) const {
  win32::CMemDC buffer(target);
  HDC dc = doubleBuffer_ ? buffer.Get() : target;
  RECT client;
  GetClientRect(Hwnd(), &client);
  win32::Brush background(CreateSolidBrush(kBackground));
  FillRect(dc, &client, background.Get());
  SelectObject(dc, GetWindowFont(Hwnd()));
  win32::Pen shadow(CreatePen(PS_SOLID, 1, GetSysColor(COLOR_BTNSHADOW)));
  win32::Pen highlight(CreatePen(PS_SOLID, 1, GetSysColor(COLOR_BTNHIGHLIGHT)));
  const std::vector<int> order = Order(Hwnd());
  for (size_t i = 0; i < order.size(); ++i) {
    RECT r{};
    Header_GetItemRect(Hwnd(), order[i], &r);
    DrawItem(dc, order[i], r);
    if (i + 1 == order.size()) continue;
    // Between neighbours: shadow at the item's last pixel, highlight one to the right.
    win32::SelectedObject pen(dc, shadow.Get());
    MoveToEx(dc, r.right - 1, r.top + 2, nullptr);
    LineTo(dc, r.right - 1, r.bottom - 2);
    SelectObject(dc, highlight.Get());
    MoveToEx(dc, r.right, r.top + 2, nullptr);
    LineTo(dc, r.right, r.bottom - 2);
  }
  if (dragging_ && dropPosition_ >= 0) {
    int x = 0;
    if (dropPosition_ < int(order.size())) {
      RECT r{};
      Header_GetItemRect(Hwnd(), order[size_t(dropPosition_)], &r);
      x = r.left;
    } else if (!order.empty()) {
      RECT r{};
      Header_GetItemRect(Hwnd(), order.back(), &r);
      x = r.right;
    }
    win32::Brush red(CreateSolidBrush(kDropMarker));
    win32::Pen redPen(CreatePen(PS_SOLID, 1, kDropMarker));
    win32::SelectedObject useBrush(dc, red.Get());
    win32::SelectedObject usePen(dc, redPen.Get());
    Triangle(dc, x, client.top + kMarkerHalf, client.top);
    Triangle(dc, x, client.bottom - 1 - kMarkerHalf, client.bottom - 1);
  }
}

int CFlatHeaderCtrl::ItemAt(POINT p) const {
  HDHITTESTINFO hit{};
  hit.pt = p;
  SendMessageW(Hwnd(), HDM_HITTEST, 0, LPARAM(&hit));
  return (hit.flags & HHT_ONHEADER) ? hit.iItem : -1;
}

int CFlatHeaderCtrl::DropPosition(int x) const {
  const std::vector<int> order = Order(Hwnd());
  int from = -1, position = int(order.size());
  for (size_t i = 0; i < order.size(); ++i) {
    RECT r{};
    Header_GetItemRect(Hwnd(), order[i], &r);
    if (order[i] == pressedItem_) from = int(i);
    if (x >= r.left && x < r.right) position = x < (r.left + r.right) / 2 ? int(i) : int(i) + 1;
  }
  if (x < 0) position = 0;
  return position == from || position == from + 1 ? -1 : position;  // its own two edges
}

bool CFlatHeaderCtrl::OnButtonDown(POINT p) {
  if (!(GetWindowLongPtrW(Hwnd(), GWL_STYLE) & HDS_DRAGDROP)) return false;
  pressedItem_ = ItemAt(p);
  if (pressedItem_ < 0) return false;
  pressedAt_ = p;
  SetCapture(Hwnd());
  return true;
}

void CFlatHeaderCtrl::OnDragMove(POINT p) {
  if (!dragging_) {
    if (abs(p.x - pressedAt_.x) <= GetSystemMetrics(SM_CXDRAG) && abs(p.y - pressedAt_.y) <= GetSystemMetrics(SM_CYDRAG))
      return;
    dragging_ = true;
    POINT screen = p;
    ClientToScreen(Hwnd(), &screen);
    dragWindow_.Create(this, pressedItem_, screen);
  }
  POINT screen = p;
  ClientToScreen(Hwnd(), &screen);
  dragWindow_.MoveTo(screen);
  const int position = DropPosition(p.x);
  if (position != dropPosition_) {
    dropPosition_ = position;
    InvalidateRect(Hwnd(), nullptr, FALSE);
  }
}

void CFlatHeaderCtrl::OnButtonUp(POINT p) {
  const bool dragged = dragging_;
  const int item = pressedItem_, position = dropPosition_;
  EndDrag();
  if (!dragged) {  // a plain click: let the header report it
    DefaultProc(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(p.x, p.y));
    DefaultProc(WM_LBUTTONUP, 0, MAKELPARAM(p.x, p.y));
    return;
  }
  if (position < 0) return;
  std::vector<int> order = Order(Hwnd());
  NMHEADERW n{};
  n.hdr = {Hwnd(), UINT_PTR(GetDlgCtrlID(Hwnd())), UINT(HDN_ENDDRAG)};
  n.iItem = item;
  HDITEMW hdi{};
  hdi.mask = HDI_ORDER;
  hdi.iOrder = position;
  n.pitem = &hdi;
  if (SendMessageW(GetParent(Hwnd()), WM_NOTIFY, n.hdr.idFrom, LPARAM(&n))) return;  // the owner refused
  auto from = std::find(order.begin(), order.end(), item);
  const int fromIndex = int(from - order.begin());
  order.erase(from);
  order.insert(order.begin() + (position > fromIndex ? position - 1 : position), item);
  // The list keeps its columns in the header's order.
  if (!ListView_SetColumnOrderArray(GetParent(Hwnd()), int(order.size()), order.data()))
    Header_SetOrderArray(Hwnd(), int(order.size()), order.data());
  InvalidateRect(GetParent(Hwnd()), nullptr, TRUE);
}

void CFlatHeaderCtrl::EndDrag() {
  const bool wasDragging = dragging_;
  dragging_ = false;
  pressedItem_ = dropPosition_ = -1;
  if (GetCapture() == Hwnd()) ReleaseCapture();
  dragWindow_.Destroy();
  if (wasDragging) InvalidateRect(Hwnd(), nullptr, FALSE);
}

LRESULT CFlatHeaderCtrl::OnMessage(UINT msg, WPARAM wp, LPARAM lp) {
  const POINT p = {GET_X_LPARAM(lp), GET_Y_LPARAM(lp)};
  switch (msg) {
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT: {
      win32::PaintDC paint(Hwnd());
      Paint(paint.Get());
      return 0;
    }
    case WM_LBUTTONDOWN:
      if (OnButtonDown(p)) return 0;
      break;
    case WM_MOUSEMOVE:
      if (pressedItem_ >= 0) {
        OnDragMove(p);
        return 0;
      }
      break;
    case WM_LBUTTONUP:
      if (pressedItem_ >= 0) {
        OnButtonUp(p);
        return 0;
      }
      break;
    case WM_CAPTURECHANGED:
      if (pressedItem_ >= 0 && HWND(lp) != Hwnd()) EndDrag();
      break;
  }
  return DefaultProc(msg, wp, lp);
}
