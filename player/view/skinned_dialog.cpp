#include "skinned_dialog.h"

#include <windowsx.h>

#include "panel.h"
#include "player_messages.h"
#include "smapi.h"

namespace view {

bool SkinnedDialog::Create(HWND player) {
  player_ = player;
  const win32::DialogTemplate t = Template();
  return CreateIndirect(t.Get(), player);
}

void SkinnedDialog::Show(bool show) {
  if (Hwnd()) ShowWindow(Hwnd(), show ? SW_SHOW : SW_HIDE);
}

void SkinnedDialog::Follow() {
  if (!Hwnd() || !player_) return;
  POINT origin{0, 0};
  ClientToScreen(player_, &origin);
  SetWindowPos(Hwnd(), nullptr, origin.x + panel_rect_.left, origin.y + panel_rect_.top,
               panel_rect_.right - panel_rect_.left, panel_rect_.bottom - panel_rect_.top,
               SWP_NOZORDER | SWP_NOACTIVATE);
}

void SkinnedDialog::Close() {
  if (Hwnd()) DestroyWindow(Hwnd());
}

ImageButton* SkinnedDialog::AddButton(int id, const wchar_t* label) {
  return buttons_.Add(id, label, Hwnd(), ImageButton::kPush, true);
}

void SkinnedDialog::EnableButton(ImageButton* b, bool enabled) {
  if (!b) return;
  b->State().Enable(enabled);
  if (Hwnd()) PostMessageW(Hwnd(), UM_BUTTON_REFRESH, WPARAM(b->Id()), 0);
}

BOOL SkinnedDialog::OnInit() {
  Build();
  panel_.Reset(SMAPI_GetResourceBitmapHandle(panel_id_));
  panel_rect_ = SkinRect(panel_id_);
  if (panel_) panel_old_ = SelectObject(panel_dc_.Get(), panel_.Get());
  SetWindowPos(Hwnd(), nullptr, 0, 0, panel_rect_.right - panel_rect_.left, panel_rect_.bottom - panel_rect_.top,
               SWP_NOZORDER | SWP_NOACTIVATE);
  if (panel_) buttons_.Draw(panel_dc_.Get());
  Copy({0, 0, panel_rect_.right - panel_rect_.left, panel_rect_.bottom - panel_rect_.top});
  return TRUE;
}

void SkinnedDialog::Copy(const RECT& r, HDC to) {
  if (!panel_ || IsRectEmpty(&r)) return;
  if (to) {
    BitBlt(to, r.left, r.top, r.right - r.left, r.bottom - r.top, panel_dc_.Get(), r.left, r.top, SRCCOPY);
    return;
  }
  win32::WindowDC dc(Hwnd());
  BitBlt(dc.Get(), r.left, r.top, r.right - r.left, r.bottom - r.top, panel_dc_.Get(), r.left, r.top, SRCCOPY);
}

void SkinnedDialog::DropPanel() {
  if (panel_old_) SelectObject(panel_dc_.Get(), panel_old_);
  panel_old_ = nullptr;
  panel_.Reset();
}

INT_PTR SkinnedDialog::OnMessage(UINT msg, WPARAM wp, LPARAM lp) {
  const int x = GET_X_LPARAM(lp), y = GET_Y_LPARAM(lp);
  HDC panel = panel_ ? panel_dc_.Get() : nullptr;
  const RECT whole{0, 0, panel_rect_.right - panel_rect_.left, panel_rect_.bottom - panel_rect_.top};
  switch (msg) {
    case WM_SHOWWINDOW:
      if (wp) Follow();
      return FALSE;
    case WM_PAINT: {
      win32::PaintDC dc(Hwnd());
      Copy(whole, dc.Get());
      return TRUE;
    }
    case WM_ERASEBKGND:
      Copy(whole, reinterpret_cast<HDC>(wp));
      SetWindowLongPtrW(Hwnd(), DWLP_MSGRESULT, 1);
      return TRUE;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:  // a quick second click is a click too
      if (!captured_) SetCapture(Hwnd()), captured_ = true;
      buttons_.Press(panel, false, x, y);
      return TRUE;
    case WM_LBUTTONUP:
      if (captured_) captured_ = false, ReleaseCapture();
      buttons_.Release(panel, false, x, y);
      return TRUE;
    case WM_MOUSEMOVE:
      if (!tracking_leave_) {
        TRACKMOUSEEVENT track{sizeof(track), TME_LEAVE, Hwnd(), 0};
        tracking_leave_ = TrackMouseEvent(&track);
      }
      buttons_.Move(panel, (wp & MK_LBUTTON) != 0, x, y);
      return TRUE;
    case WM_MOUSELEAVE:
      tracking_leave_ = false;
      if (!captured_) buttons_.Move(panel, false, -1, -1);
      return TRUE;
    case WM_CAPTURECHANGED:
      captured_ = false;
      return TRUE;
    case UM_BUTTON_CLICK:
      OnClick(int(wp));
      return TRUE;
    case UM_BUTTON_DRAWN:
      Copy(*reinterpret_cast<const RECT*>(lp));
      return TRUE;
    case UM_BUTTON_REFRESH: {
      ImageButton* b = buttons_.Find(int(wp));
      if (b && b->State().visible && panel) b->Draw(panel);
      return TRUE;
    }
    case WM_CLOSE:  // Alt+F4 on the panel: it lives on hidden, and the player turns its toggle off
      Show(false);
      if (player_) PostMessageW(player_, UM_PANEL_CLOSED, 0, LPARAM(Hwnd()));
      return TRUE;
    case WM_DESTROY:
      DropPanel();
      return TRUE;
  }
  return OnControl(msg, wp, lp);
}

}  // namespace view
