#include "panel.h"

#include "smapi.h"

namespace view {

RECT Union(const RECT& a, const RECT& b) {
  RECT r;
  UnionRect(&r, &a, &b);
  return r;
}

bool Panel::Load(HWND window) {
  std::lock_guard<std::mutex> hold(lock_);
  window_ = window;
  rect_ = SkinRect(0);
  panel_.Reset(SMAPI_GetResourceBitmapHandle(0));
  background_.Reset(SMAPI_GetResourceBitmapHandle(0));
  if (!panel_ || !background_ || !dc_.Get() || !background_dc_.Get()) return false;
  old_ = SelectObject(dc_.Get(), panel_.Get());
  background_old_ = SelectObject(background_dc_.Get(), background_.Get());
  return true;
}

void Panel::Unload() {
  std::lock_guard<std::mutex> hold(lock_);
  if (old_) SelectObject(dc_.Get(), old_);
  if (background_old_) SelectObject(background_dc_.Get(), background_old_);
  old_ = background_old_ = nullptr;
  panel_.Reset();
  background_.Reset();
}

void Panel::RestoreLocked(HDC panel_dc, const RECT& r) {
  if (background_)
    BitBlt(panel_dc, r.left, r.top, r.right - r.left, r.bottom - r.top, background_dc_.Get(), r.left, r.top, SRCCOPY);
}

void Panel::Copy(const RECT& r, HDC dc) {
  std::lock_guard<std::mutex> hold(lock_);
  CopyLocked(r, dc);
}

void Panel::CopyLocked(const RECT& r, HDC dc) {
  if (!panel_ || !window_ || IsRectEmpty(&r)) return;
  const int w = r.right - r.left, h = r.bottom - r.top;
  if (dc) {
    TransparentBlt(dc, r.left, r.top, w, h, dc_.Get(), r.left, r.top, w, h, RGB(0, 0, 255));
    return;
  }
  win32::WindowDC window_dc(window_);
  TransparentBlt(window_dc.Get(), r.left, r.top, w, h, dc_.Get(), r.left, r.top, w, h, RGB(0, 0, 255));
}

}  // namespace view
