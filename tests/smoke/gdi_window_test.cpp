// A real window on the (virtual) display, drawn with GDI and AlphaBlend, and
// its pixels read back from the window and from the screen.
#include <windows.h>

#include <gtest/gtest.h>

#include "message_pump.h"

namespace {

constexpr COLORREF kBack = RGB(0, 128, 255);
constexpr int kSize = 200;

LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_PAINT) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    HBRUSH back = CreateSolidBrush(kBack);
    RECT all = {0, 0, kSize, kSize};
    FillRect(dc, &all, back);
    DeleteObject(back);

    // Blend white at half strength over the right half.
    HDC mem = CreateCompatibleDC(dc);
    HBITMAP white = CreateCompatibleBitmap(dc, 1, 1);
    HGDIOBJ old = SelectObject(mem, white);
    SetPixel(mem, 0, 0, RGB(255, 255, 255));
    BLENDFUNCTION half = {AC_SRC_OVER, 0, 128, 0};
    AlphaBlend(dc, kSize / 2, 0, kSize / 2, kSize, mem, 0, 0, 1, 1, half);
    SelectObject(mem, old);
    DeleteObject(white);
    DeleteDC(mem);
    EndPaint(hwnd, &ps);
    return 0;
  }
  return DefWindowProcW(hwnd, msg, wp, lp);
}

bool Near(COLORREF c, int r, int g, int b) {
  return abs(GetRValue(c) - r) <= 3 && abs(GetGValue(c) - g) <= 3 && abs(GetBValue(c) - b) <= 3;
}

TEST(GdiWindow, DrawnPixelsReadBackFromWindowAndScreen) {
  WNDCLASSW wc = {};
  wc.lpfnWndProc = Proc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = L"GdiSmokeWindow";
  ASSERT_NE(RegisterClassW(&wc), 0);
  HWND hwnd = CreateWindowExW(WS_EX_TOPMOST, wc.lpszClassName, L"smoke", WS_POPUP | WS_VISIBLE, 50, 60,
                              kSize, kSize, nullptr, nullptr, wc.hInstance, nullptr);
  ASSERT_NE(hwnd, nullptr);
  UpdateWindow(hwnd);
  testsupport::PumpFor(200);

  HDC window = GetDC(hwnd);
  EXPECT_TRUE(Near(GetPixel(window, 10, 10), 0, 128, 255));
  EXPECT_TRUE(Near(GetPixel(window, 150, 150), 128, 191, 255));  // half white over the back colour
  ReleaseDC(hwnd, window);

  HDC screen = GetDC(nullptr);
  EXPECT_TRUE(Near(GetPixel(screen, 50 + 10, 60 + 10), 0, 128, 255));
  EXPECT_TRUE(Near(GetPixel(screen, 50 + 150, 60 + 150), 128, 191, 255));
  ReleaseDC(nullptr, screen);

  DestroyWindow(hwnd);
  UnregisterClassW(wc.lpszClassName, wc.hInstance);
}

}  // namespace
