// Device-independent sections with rows top first: 24-bit (blue, green,
// red; rows padded to 4 bytes) or 32-bit (blue, green, red, unused).
#pragma once
#include <windows.h>

namespace win32 {

inline HBITMAP CreateTopDownDib(HDC dc, int width, int height, WORD bits_per_pixel, void** bits) {
  BITMAPINFO bi{};
  bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  bi.bmiHeader.biWidth = width;
  bi.bmiHeader.biHeight = -height;
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = bits_per_pixel;
  bi.bmiHeader.biCompression = BI_RGB;
  *bits = nullptr;
  return CreateDIBSection(dc, &bi, DIB_RGB_COLORS, bits, nullptr, 0);
}

inline HBITMAP CreateTopDownDib32(HDC dc, int width, int height, void** bits) {
  return CreateTopDownDib(dc, width, height, 32, bits);
}

}  // namespace win32
