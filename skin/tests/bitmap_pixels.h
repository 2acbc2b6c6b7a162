// Reads a bitmap's pixels back as callers see them when they draw it.
#pragma once

#include <windows.h>

#include <cstdint>
#include <vector>

struct Pixels {
  int width = 0, height = 0;
  std::vector<uint32_t> rgb;  // 0x00RRGGBB, rows top first
  uint32_t at(int x, int y) const { return rgb[size_t(y) * width + x]; }
};

inline Pixels ReadPixels(HBITMAP bitmap) {
  Pixels p;
  BITMAP info = {};
  if (!bitmap || !GetObjectW(bitmap, sizeof(info), &info)) return p;
  p.width = info.bmWidth;
  p.height = info.bmHeight;
  p.rgb.resize(size_t(p.width) * p.height);
  BITMAPINFO bi = {};
  bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
  bi.bmiHeader.biWidth = p.width;
  bi.bmiHeader.biHeight = -p.height;
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  bi.bmiHeader.biCompression = BI_RGB;
  HDC dc = GetDC(nullptr);
  GetDIBits(dc, bitmap, 0, p.height, p.rgb.data(), &bi, DIB_RGB_COLORS);
  ReleaseDC(nullptr, dc);
  for (uint32_t& c : p.rgb) c &= 0xFFFFFF;
  return p;
}

// Reads and deletes.
inline Pixels TakePixels(HBITMAP bitmap) {
  Pixels p = ReadPixels(bitmap);
  if (bitmap) DeleteObject(bitmap);
  return p;
}
