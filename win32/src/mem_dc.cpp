#include "win32/mem_dc.h"

namespace win32 {

CMemDC::CMemDC(HDC target) : target_(target) {
  if (GetDeviceCaps(target, TECHNOLOGY) == DT_RASPRINTER) return;
  GetClipBox(target, &area_);
  const int width = area_.right - area_.left, height = area_.bottom - area_.top;
  memory_ = CreateCompatibleDC(target);
  bitmap_ = memory_ ? CreateCompatibleBitmap(target, width, height) : nullptr;
  if (!bitmap_) {
    if (memory_) DeleteDC(memory_);
    memory_ = nullptr;
    return;  // draw straight into the target
  }
  offscreen_ = true;
  replaced_ = SelectObject(memory_, bitmap_);
  SetWindowOrgEx(memory_, area_.left, area_.top, nullptr);
  HBRUSH back = CreateSolidBrush(GetBkColor(target));
  FillRect(memory_, &area_, back);
  DeleteObject(back);
}

CMemDC::~CMemDC() {
  if (!offscreen_) return;
  BitBlt(target_, area_.left, area_.top, area_.right - area_.left, area_.bottom - area_.top, memory_, area_.left,
         area_.top, SRCCOPY);
  SelectObject(memory_, replaced_);
  DeleteObject(bitmap_);
  DeleteDC(memory_);
}

}  // namespace win32
