#include "display_time_date.h"

#include "clock_face.h"
#include "panel.h"
#include "smapi.h"

namespace view {

bool DisplayTimeDate::Create(HWND parent, int id) {
  const RECT r = SkinRect(58);
  return Window::Create(L"RewynClock", L"", WS_CHILD | WS_VISIBLE, 0, r.left, r.top, r.right - r.left,
                        r.bottom - r.top, parent, reinterpret_cast<HMENU>(INT_PTR(id)));
}

void DisplayTimeDate::Start() {
  if (!glyphs_) glyphs_.Reset(SMAPI_GetResourceBitmapHandle(48));
  if (!clock_) {
    placement_ = SkinRect(58);
    win32::WindowDC screen(nullptr);
    clock_.Reset(CreateCompatibleBitmap(screen.Get(), kClockWidth, kClockHeight));
  }
  Compose();
  if (Hwnd()) {
    win32::WindowDC dc(Hwnd());
    PaintTo(dc.Get());
    timer_ = SetTimer(Hwnd(), kTimer, kTickMs, nullptr);
  }
}

void DisplayTimeDate::Stop() {
  if (timer_ && Hwnd()) KillTimer(Hwnd(), kTimer);
  timer_ = 0;
  glyphs_.Reset();
  clock_.Reset();
}

void DisplayTimeDate::Compose() {
  if (!clock_ || !glyphs_) return;
  SYSTEMTIME now;
  GetLocalTime(&now);
  win32::MemoryDC to(nullptr), from(nullptr);
  win32::SelectedObject use_to(to.Get(), clock_.Get()), use_from(from.Get(), glyphs_.Get());
  const auto glyphs = ClockGlyphs(now.wHour, now.wMinute, now.wSecond);
  for (int i = 0; i < 8; ++i) {
    const RECT place = SkinRect(WORD(49 + i));
    BitBlt(to.Get(), place.left, place.top, glyphs[i].width, kClockHeight, from.Get(), glyphs[i].x, 0, SRCCOPY);
  }
}

void DisplayTimeDate::PaintTo(HDC dc) {
  if (!clock_) {
    RECT all{0, 0, kClockWidth, kClockHeight};
    win32::Brush magenta(CreateSolidBrush(RGB(255, 0, 255)));
    FillRect(dc, &all, magenta.Get());
    return;
  }
  win32::MemoryDC from(dc);
  win32::SelectedObject use(from.Get(), clock_.Get());
  BitBlt(dc, 0, 0, kClockWidth, kClockHeight, from.Get(), 0, 0, SRCCOPY);
}

LRESULT DisplayTimeDate::OnMessage(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_PAINT: {
      win32::PaintDC dc(Hwnd());
      PaintTo(dc.Get());
      return 0;
    }
    case WM_ERASEBKGND:
      PaintTo(reinterpret_cast<HDC>(wp));
      return 1;
    case WM_TIMER:
      if (wp == kTimer) {
        Compose();
        InvalidateRect(Hwnd(), nullptr, FALSE);
        return 0;
      }
      break;
    case WM_DESTROY:
      Stop();
      break;
  }
  return Window::OnMessage(msg, wp, lp);
}

}  // namespace view
