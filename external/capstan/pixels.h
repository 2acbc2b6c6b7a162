// A part of a bitmap read into memory: 24 bits a pixel, rows top first,
// each row padded to 4 bytes as a DIB row.
#pragma once
#include <windows.h>

#include <cstdint>
#include <vector>

namespace capstan {

struct Pixels {
  int width = 0, height = 0;
  int stride = 0;  // bytes a row
  std::vector<uint8_t> bgr;

  bool Empty() const { return bgr.empty(); }
  BITMAPINFO Info() const;  // top-down, 24 bits
};

// The rectangle of the bitmap, clipped to it; empty when nothing is left.
Pixels ReadPixels(HDC dc, HBITMAP bitmap, RECT part);

}  // namespace capstan
