// A 32-bit device-independent section with rows top first: bytes blue,
// green, red, unused a pixel, rows of width * 4 bytes.
#pragma once
#include <windows.h>

namespace win32 {

inline HBITMAP CreateTopDownDib32(HDC dc, int width, int height, void** bits) {
  BITMAPINFO bi{};
  bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  bi.bmiHeader.biWidth = width;
  bi.bmiHeader.biHeight = -height;
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  bi.bmiHeader.biCompression = BI_RGB;
  *bits = nullptr;
  return CreateDIBSection(dc, &bi, DIB_RGB_COLORS, bits, nullptr, 0);
}

}  // namespace win32
