// CMemDC: draws off-screen into a bitmap of the target's clip box and copies
// it to the target in one go when it goes, so a control paints without
// flicker. Callers keep the target's coordinates. A printer context is drawn
// into directly.
#pragma once
#include <windows.h>

namespace win32 {

class CMemDC {
 public:
  explicit CMemDC(HDC target);
  CMemDC(const CMemDC&) = delete;
  CMemDC& operator=(const CMemDC&) = delete;
  ~CMemDC();

  HDC Get() const { return offscreen_ ? memory_ : target_; }
  bool Offscreen() const { return offscreen_; }
  const RECT& Area() const { return area_; }

 private:
  HDC target_;
  HDC memory_ = nullptr;
  HBITMAP bitmap_ = nullptr;
  HGDIOBJ replaced_ = nullptr;
  RECT area_{};
  bool offscreen_ = false;
};

}  // namespace win32
