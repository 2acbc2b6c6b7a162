#include "bmp_button.h"

#include <commctrl.h>

#include "skin_drawing.h"

namespace {
// The button's object, for the owner-draw message that reaches its dialog.
constexpr wchar_t kObjectProp[] = L"CBmpButton";
}

bool CBmpButton::Attach(HWND dialog, int controlId) {
  HWND control = GetDlgItem(dialog, controlId);
  if (!SubclassedControl::Attach(control, kObjectProp)) return false;
  LONG_PTR style = GetWindowLongPtrW(control, GWL_STYLE);
  SetWindowLongPtrW(control, GWL_STYLE, (style & ~LONG_PTR(BS_TYPEMASK)) | BS_OWNERDRAW);
  return true;
}

bool CBmpButton::SetFaces(HBITMAP normal, HBITMAP pressed, HBITMAP hover, HBITMAP disabled) {
  faces_[kFaceNormal] = normal;
  faces_[kFacePressed] = pressed ? pressed : normal;
  faces_[kFaceHover] = hover ? hover : normal;
  faces_[kFaceDisabled] = disabled ? disabled : normal;
  Repaint();
  return normal != nullptr;
}

void CBmpButton::Disable() { React(state_.Disable(), 0, 0, 0); }
void CBmpButton::Enable() { React(state_.Enable(), 0, 0, 0); }

void CBmpButton::Repaint() const {
  if (Hwnd()) InvalidateRect(Hwnd(), nullptr, FALSE);
}

bool CBmpButton::DrawItemMessage(const DRAWITEMSTRUCT* item) {
  if (!item || item->CtlType != ODT_BUTTON) return false;
  auto* button = static_cast<CBmpButton*>(Find(item->hwndItem, kObjectProp));
  if (!button) return false;
  const RECT& r = item->rcItem;
  DrawBitmap(button->faces_[button->state_.face()], item->hDC, r.left, r.top, r.right, r.bottom);
  return true;
}

LRESULT CBmpButton::React(const ButtonReaction& r, UINT msg, WPARAM wp, LPARAM lp) {
  if (r.repaint) Repaint();
  if (r.trackLeave) {
    TRACKMOUSEEVENT track = {sizeof(track), TME_LEAVE, Hwnd(), 0};
    _TrackMouseEvent(&track);
    SendMessageW(Hwnd(), BM_SETSTATE, FALSE, 0);  // no highlight of the push button's own
  }
  LRESULT result = r.passOn ? DefaultProc(msg, wp, lp) : 0;
  const WPARAM id = WPARAM(GetDlgCtrlID(Hwnd()));
  if (notify_ && r.postHover) PostMessageW(notify_, UM_BUTTONHOVER, id, 0);
  if (notify_ && r.postLeave) PostMessageW(notify_, UM_BUTTONLEAVE, id, 0);
  return result;
}

LRESULT CBmpButton::OnMessage(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_SETCURSOR:
      SetCursor(LoadCursorW(nullptr, state_.notAllowed() ? IDC_NO : IDC_HAND));
      return TRUE;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      return React(state_.ButtonDown(), WM_LBUTTONDOWN, wp, lp);
    case WM_LBUTTONUP:
      return React(state_.ButtonUp(), msg, wp, lp);
    case WM_MOUSEMOVE:
      return React(state_.MouseMove(), msg, wp, lp);
    case WM_MOUSELEAVE:
      return React(state_.MouseLeave(), msg, wp, lp);
    case WM_ERASEBKGND:
      return FALSE;  // only the face is painted
  }
  return DefaultProc(msg, wp, lp);
}
