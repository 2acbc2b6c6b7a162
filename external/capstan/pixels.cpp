#include "pixels.h"

#include <algorithm>

#include "win32/gdi.h"

namespace capstan {

BITMAPINFO Pixels::Info() const {
  BITMAPINFO bi{};
  bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  bi.bmiHeader.biWidth = width;
  bi.bmiHeader.biHeight = -height;
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 24;
  bi.bmiHeader.biCompression = BI_RGB;
  bi.bmiHeader.biSizeImage = DWORD(stride) * DWORD(height);
  return bi;
}

Pixels ReadPixels(HDC dc, HBITMAP bitmap, RECT part) {
  Pixels out;
  BITMAP b{};
  if (!bitmap || !GetObjectW(bitmap, sizeof(b), &b)) return out;
  const RECT whole{0, 0, b.bmWidth, b.bmHeight};
  RECT r;
  if (!IntersectRect(&r, &part, &whole)) return out;

  // The whole bitmap first (GetDIBits reads whole rows), then the part.
  const int full_stride = (b.bmWidth * 3 + 3) & ~3;
  std::vector<uint8_t> full(size_t(full_stride) * b.bmHeight);
  Pixels whole_info;
  whole_info.width = b.bmWidth;
  whole_info.height = b.bmHeight;
  whole_info.stride = full_stride;
  BITMAPINFO bi = whole_info.Info();
  win32::WindowDC screen(nullptr);
  if (GetDIBits(dc ? dc : screen.Get(), bitmap, 0, UINT(b.bmHeight), full.data(), &bi, DIB_RGB_COLORS) !=
      b.bmHeight)
    return out;

  out.width = r.right - r.left;
  out.height = r.bottom - r.top;
  out.stride = (out.width * 3 + 3) & ~3;
  out.bgr.assign(size_t(out.stride) * out.height, 0);
  for (int y = 0; y < out.height; ++y)
    std::copy_n(&full[size_t(r.top + y) * full_stride + size_t(r.left) * 3], size_t(out.width) * 3,
                &out.bgr[size_t(y) * out.stride]);
  return out;
}

}  // namespace capstan
