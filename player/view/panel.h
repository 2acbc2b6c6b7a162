// The player's control panel: a copy of the skin's background on which the
// buttons, slider and texts are composed, and its copies to the screen. The
// user-interface thread, the data-load worker (slider) and the display
// worker (play time) all draw into it, so all of it goes through one lock,
// which is never held while waiting on another thread.
#pragma once
#include <windows.h>

#include <mutex>

#include "skin_rect.h"
#include "win32/gdi.h"

namespace view {

class Panel {
 public:
  // Skin bitmap 0 as panel and as the background to restore from.
  bool Load(HWND window);
  void Unload();
  const RECT& Rect() const { return rect_; }

  // Runs draw(dc) with the panel's context, then copies `copy` to the window.
  template <class Draw>
  void Paint(const RECT& copy, Draw draw) {
    std::lock_guard<std::mutex> hold(lock_);
    if (!panel_) return;
    draw(dc_.Get());
    CopyLocked(copy, nullptr);
  }
  // Runs draw(dc), which returns the rectangle it changed, and copies that
  // rectangle: for parts whose place is read under the lock.
  template <class Draw>
  void Refresh(Draw draw) {
    std::lock_guard<std::mutex> hold(lock_);
    if (!panel_) return;
    const RECT changed = draw(dc_.Get());
    CopyLocked(changed, nullptr);
  }
  // Draws without copying (the copy follows with the next Copy).
  template <class Draw>
  void DrawOnly(Draw draw) {
    std::lock_guard<std::mutex> hold(lock_);
    if (panel_) draw(dc_.Get());
  }
  // Copies a rectangle to the window (or to `dc`), leaving pure blue out.
  void Copy(const RECT& r, HDC dc = nullptr);
  // Puts the skin background back into a rectangle of the panel.
  void RestoreLocked(HDC panel_dc, const RECT& r);

 private:
  void CopyLocked(const RECT& r, HDC dc);

  std::mutex lock_;
  HWND window_ = nullptr;
  RECT rect_ = {};
  win32::Bitmap panel_, background_;
  win32::MemoryDC dc_, background_dc_;
  HGDIOBJ old_ = nullptr, background_old_ = nullptr;
};

using skin::SkinRect;
RECT Union(const RECT& a, const RECT& b);

}  // namespace view
