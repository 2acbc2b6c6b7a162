// CMemDC on a window context: drawing lands on the window only when the
// object goes, in the target's coordinates, limited to the clip box.
#include "win32/mem_dc.h"

#include <gtest/gtest.h>

namespace {

TEST(CMemDC, DrawsOffscreenAndCopiesTheClipBoxWhenItGoes) {
  HWND window = CreateWindowExW(WS_EX_TOPMOST, L"STATIC", L"", WS_POPUP | WS_VISIBLE, 300, 300, 120, 80, nullptr,
                                nullptr, nullptr, nullptr);
  ASSERT_NE(window, nullptr);
  UpdateWindow(window);
  HDC dc = GetDC(window);
  HBRUSH black = CreateSolidBrush(RGB(0, 0, 0));
  RECT all = {0, 0, 120, 80};
  FillRect(dc, &all, black);
  HRGN clip = CreateRectRgn(20, 10, 100, 60);
  SelectClipRgn(dc, clip);
  SetBkColor(dc, RGB(0, 0, 255));
  {
    win32::CMemDC mem(dc);
    ASSERT_TRUE(mem.Offscreen());
    EXPECT_EQ(mem.Area().left, 20);
    EXPECT_EQ(mem.Area().bottom, 60);
    HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
    RECT r = {50, 30, 60, 40};
    FillRect(mem.Get(), &r, red);
    DeleteObject(red);
    EXPECT_EQ(GetPixel(dc, 55, 35), RGB(0, 0, 0));  // nothing on the window yet
  }
  SelectClipRgn(dc, nullptr);
  EXPECT_EQ(GetPixel(dc, 55, 35), RGB(255, 0, 0));
  EXPECT_EQ(GetPixel(dc, 25, 15), RGB(0, 0, 255));  // the clip box filled with the background colour
  EXPECT_EQ(GetPixel(dc, 10, 5), RGB(0, 0, 0));     // outside the clip box
  DeleteObject(clip);
  DeleteObject(black);
  ReleaseDC(window, dc);
  DestroyWindow(window);
}

}  // namespace
