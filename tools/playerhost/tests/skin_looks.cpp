#include "skin_looks.h"

#include <cstring>

#include "panel.h"
#include "smapi.h"
#include "win32/gdi.h"

namespace skinlooks {

std::wstring Widen(const char* s) { return std::wstring(s, s + strlen(s)); }

std::wstring WindowsPath(std::wstring path) {
  for (wchar_t& c : path)
    if (c == L'/') c = L'\\';
  return path;
}

uidriver::Pixels FromBitmap(HBITMAP bitmap, RECT part) {
  uidriver::Pixels out;
  BITMAP info{};
  if (!bitmap || !GetObjectW(bitmap, sizeof(info), &info)) return out;
  win32::MemoryDC dc(nullptr);
  win32::SelectedObject use(dc.Get(), bitmap);
  out.width = part.right - part.left;
  out.height = part.bottom - part.top;
  out.bgr.resize(size_t(out.width) * out.height * 3);
  for (int y = 0; y < out.height; ++y)
    for (int x = 0; x < out.width; ++x) {
      const COLORREF c = GetPixel(dc.Get(), part.left + x, part.top + y);
      uint8_t* p = &out.bgr[(size_t(y) * out.width + x) * 3];
      p[0] = GetBValue(c), p[1] = GetGValue(c), p[2] = GetRValue(c);
    }
  return out;
}

uidriver::Pixels ButtonFace(int id, int face) {
  HBITMAP f[8] = {};
  SMAPI_GetResourceBitmapHandle(WORD(id), &f[0], &f[1], &f[2], &f[3]);
  SMAPI_GetResourceBitmapHandleEx(WORD(id), &f[4], &f[5], &f[6], &f[7]);
  const RECT r = view::SkinRect(WORD(id));
  uidriver::Pixels p = FromBitmap(f[face], {0, 0, r.right - r.left, r.bottom - r.top});
  for (HBITMAP b : f)
    if (b) DeleteObject(b);
  return p;
}

uidriver::Pixels Background(int id) {
  win32::Bitmap panel(SMAPI_GetResourceBitmapHandle(0));
  return FromBitmap(panel.Get(), view::SkinRect(WORD(id)));
}

}  // namespace skinlooks
