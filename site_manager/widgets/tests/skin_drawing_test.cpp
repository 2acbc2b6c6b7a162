// The window shape from a bitmap, the help box's tint and growth, and the
// bitmap blit, read back from real GDI objects.
#include "skin_drawing.h"

#include <gtest/gtest.h>

#include <vector>

#include "win32/dib.h"
#include "win32/gdi.h"

namespace {

constexpr uint32_t kKey = 0xFF00FF, kGrey = 0x808080;

// A bitmap of 0x00RRGGBB pixels, rows top first.
HBITMAP MakeBitmap(int width, int height, const std::vector<uint32_t>& rgb) {
  void* bits = nullptr;
  HBITMAP bitmap = win32::CreateTopDownDib32(nullptr, width, height, &bits);
  if (bitmap) memcpy(bits, rgb.data(), rgb.size() * 4);
  return bitmap;
}

TEST(CreateRegionFromBitmap, KeyGreyKeyGivesTheMiddlePixel) {
  win32::Bitmap bitmap(MakeBitmap(3, 1, {kKey, kGrey, kKey}));
  win32::Region region(CreateRegionFromBitmap(bitmap.Get()));
  ASSERT_TRUE(region);
  win32::Region expected(CreateRectRgn(1, 0, 2, 1));
  EXPECT_TRUE(EqualRgn(region.Get(), expected.Get()));
}

TEST(CreateRegionFromBitmap, OnlyKeyPixelsGiveAnEmptyRegion) {
  win32::Bitmap bitmap(MakeBitmap(2, 2, {kKey, 0xFF10FF, kKey, kKey}));
  win32::Region region(CreateRegionFromBitmap(bitmap.Get()));
  ASSERT_TRUE(region);
  RECT box;
  EXPECT_EQ(GetRgnBox(region.Get(), &box), NULLREGION);
  EXPECT_EQ(CreateRegionFromBitmap(nullptr), nullptr);
}

TEST(CreateRegionFromBitmap, ShapeOfThousandsOfRunsEqualsTheRunsUnitedOneByOne) {
  // Every other pixel opaque, shifted by one each row: 2,500 single-pixel runs.
  const int width = 100, height = 50;
  std::vector<uint32_t> rgb(width * height);
  win32::Region expected(CreateRectRgn(0, 0, 0, 0));
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      bool opaque = (x + y) % 2 == 0;
      rgb[y * width + x] = opaque ? kGrey : kKey;
      if (!opaque) continue;
      win32::Region pixel(CreateRectRgn(x, y, x + 1, y + 1));
      CombineRgn(expected.Get(), expected.Get(), pixel.Get(), RGN_OR);
    }
  win32::Bitmap bitmap(MakeBitmap(width, height, rgb));
  win32::Region region(CreateRegionFromBitmap(bitmap.Get()));
  ASSERT_TRUE(region);
  EXPECT_TRUE(EqualRgn(region.Get(), expected.Get()));
  EXPECT_TRUE(PtInRegion(region.Get(), 98, 0));
  EXPECT_FALSE(PtInRegion(region.Get(), 99, 0));
}

// A black 300 x 300 memory bitmap to draw on, and its pixels.
struct Canvas {
  win32::MemoryDC dc{nullptr};
  win32::Bitmap bitmap{MakeBitmap(300, 300, std::vector<uint32_t>(300 * 300, 0))};
  win32::SelectedObject selected{dc.Get(), bitmap.Get()};
  COLORREF At(int x, int y) { return GetPixel(dc.Get(), x, y); }
};

TEST(DrawHelpBox, TintsTheBoxAtAlpha60AndGrowsItForFourLines) {
  // The tint added to black: each channel of 0x78E6FD times 60 / 255.
  const COLORREF tinted = RGB(253 * 60 / 255, 230 * 60 / 255, 120 * 60 / 255);
  auto similar = [](COLORREF a, COLORREF b) {
    return abs(GetRValue(a) - GetRValue(b)) <= 1 && abs(GetGValue(a) - GetGValue(b)) <= 1 &&
           abs(GetBValue(a) - GetBValue(b)) <= 1;
  };
  {
    Canvas c;
    DrawHelpBox(L"one\r\ntwo", 8, c.dc.Get(), 50, 100, 250, 200);
    EXPECT_TRUE(similar(c.At(52, 102), tinted));
    EXPECT_EQ(c.At(52, 98), 0u);    // above the box
    EXPECT_EQ(c.At(249, 150), 0u);  // the last column is left as created
    EXPECT_EQ(c.At(150, 199), 0u);  // and the last row
  }
  {
    Canvas c;
    const wchar_t text[] = L"a\r\nb\r\nc\r\nd";
    DrawHelpBox(text, int(wcslen(text)), c.dc.Get(), 50, 100, 250, 200);
    EXPECT_TRUE(similar(c.At(52, 91), tinted));   // 10 pixels more above
    EXPECT_TRUE(similar(c.At(52, 208), tinted));  // and below
    EXPECT_EQ(c.At(52, 89), 0u);
  }
  {
    Canvas c;
    DrawHelpBox(L"x", 0, c.dc.Get(), 50, 100, 250, 200);
    DrawHelpBox(nullptr, 3, c.dc.Get(), 50, 100, 250, 200);
    EXPECT_EQ(c.At(52, 102), 0u);
  }
}

TEST(DrawHelpBox, LinesAreDrawnInTheHelpColourWhereTheLayoutPutsThem) {
  Canvas c;
  DrawHelpBox(L"MMMM\r\nMMMM", 10, c.dc.Get(), 0, 0, 300, 120);
  // Two lines: the first in rows 30..49 (120 / 3 - 10), the second 40 lower.
  auto inkIn = [&](int top) {
    int count = 0;
    for (int y = top; y < top + 20; ++y)
      for (int x = 20; x < 120; ++x) count += GetRValue(c.At(x, y)) > 150;
    return count;
  };
  EXPECT_GT(inkIn(30), 20);
  EXPECT_GT(inkIn(70), 20);
  EXPECT_EQ(inkIn(50), 0);
  EXPECT_EQ(inkIn(5), 0);
}

TEST(DrawBitmap, CopiesFromTheTopLeftIntoTheRectangle) {
  win32::Bitmap source(MakeBitmap(2, 2, {0x112233, 0x445566, 0x778899, 0xAABBCC}));
  Canvas c;
  DrawBitmap(source.Get(), c.dc.Get(), 10, 20, 11, 22);
  EXPECT_EQ(c.At(10, 20), RGB(0x11, 0x22, 0x33));
  EXPECT_EQ(c.At(10, 21), RGB(0x77, 0x88, 0x99));
  EXPECT_EQ(c.At(11, 20), 0u);  // only one column wide
  DrawBitmap(nullptr, c.dc.Get(), 0, 0, 5, 5);
  EXPECT_EQ(c.At(0, 0), 0u);
}

}  // namespace
