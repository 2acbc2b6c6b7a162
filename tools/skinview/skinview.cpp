// skinview DLL OUTDIR: loads a skin library and renders what it holds into
// 24-bit BMP sheets, so a person can look at a skin:
//   background_<id>.bmp  each single bitmap, with the normal face of every
//                        face set drawn at its rectangle and every rectangle
//                        outlined and labelled with its identifier
//   faces.bmp            every face set (normal, hover, pressed, disabled)
//                        and alternate face set side by side
// A library cannot say which window an identifier belongs to, so a
// background gets every rectangle that fits inside it, except that an
// identifier of 256 or more goes only to the background of its own block of
// 256 when the skin has one (the player's dialog panels).
#include <windows.h>

#include <cstdio>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "smapi.h"

namespace {

using RectFn = void (*)(WORD, RECT*);
using BitmapFn = HBITMAP (*)(WORD);
using FacesFn = void (*)(WORD, HBITMAP*, HBITMAP*, HBITMAP*, HBITMAP*);

struct Skin {
  RectFn rect = nullptr;
  BitmapFn bitmap = nullptr;
  FacesFn faces = nullptr;
  FacesFn altFaces = nullptr;  // absent in a library without alternate sets
};

using Faces = std::vector<HBITMAP>;  // four, null where a face is missing

// Everything the library answers, read once; the sheets own the bitmaps.
struct Entries {
  std::map<int, RECT> rects;
  std::map<int, HBITMAP> backgrounds;
  std::map<int, Faces> faces, altFaces;
  ~Entries() {
    for (auto& [id, b] : backgrounds) DeleteObject(b);
    for (auto* set : {&faces, &altFaces})
      for (auto& [id, f] : *set)
        for (HBITMAP b : f)
          if (b) DeleteObject(b);
  }
};

const HBITMAP kUnset = reinterpret_cast<HBITMAP>(uintptr_t(1));

void ReadFaces(FacesFn fn, int id, std::map<int, Faces>& out) {
  if (!fn) return;
  Faces f(4, kUnset);
  fn(WORD(id), &f[0], &f[1], &f[2], &f[3]);
  if (f[0] != kUnset) out[id] = f;
}

void ReadAll(const Skin& skin, Entries& e) {
  for (int id = 0; id <= 0xFFFF; ++id) {
    RECT r = {INT_MIN, 0, 0, 0};
    skin.rect(WORD(id), &r);
    if (r.left != INT_MIN) e.rects[id] = r;
    if (HBITMAP b = skin.bitmap(WORD(id))) e.backgrounds[id] = b;
    ReadFaces(skin.faces, id, e.faces);
    ReadFaces(skin.altFaces, id, e.altFaces);
  }
}

SIZE SizeOf(HBITMAP b) {
  BITMAP info = {};
  if (!b || !GetObjectW(b, sizeof(info), &info)) return {0, 0};
  return {info.bmWidth, info.bmHeight};
}

// A 24-bit drawing surface written out as a BMP file.
class Sheet {
 public:
  Sheet(int w, int h) : w_(w), h_(h) {
    BITMAPINFO bi = {};
    bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    bi.bmiHeader.biWidth = w;
    bi.bmiHeader.biHeight = h;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 24;
    dc_ = CreateCompatibleDC(nullptr);
    bitmap_ = CreateDIBSection(dc_, &bi, DIB_RGB_COLORS, &bits_, nullptr, 0);
    old_ = SelectObject(dc_, bitmap_);
    font_ = CreateFontW(-12, 0, 0, 0, FW_BOLD, 0, 0, 0, DEFAULT_CHARSET, 0, 0, ANTIALIASED_QUALITY, 0,
                        L"Liberation Sans");
    oldFont_ = SelectObject(dc_, font_);
    Fill({0, 0, w, h}, RGB(48, 48, 52));
  }
  ~Sheet() {
    SelectObject(dc_, oldFont_);
    DeleteObject(font_);
    SelectObject(dc_, old_);
    DeleteObject(bitmap_);
    DeleteDC(dc_);
  }
  Sheet(const Sheet&) = delete;
  Sheet& operator=(const Sheet&) = delete;

  void Fill(RECT r, COLORREF c) {
    HBRUSH b = CreateSolidBrush(c);
    FillRect(dc_, &r, b);
    DeleteObject(b);
  }
  void Frame(RECT r, COLORREF c) {
    HBRUSH b = CreateSolidBrush(c);
    FrameRect(dc_, &r, b);
    DeleteObject(b);
  }
  // Draws a bitmap at x, y (scaled), or a crossed box of w x h when it is missing.
  void Draw(HBITMAP b, int x, int y, int w = 0, int h = 0, int scale = 1) {
    SIZE s = SizeOf(b);
    if (!b) {
      RECT r = {x, y, x + w, y + h};
      Fill(r, RGB(90, 30, 30));
      Text(x + 2, y + 2, L"none", RGB(255, 200, 200));
      return;
    }
    HDC mem = CreateCompatibleDC(dc_);
    HGDIOBJ old = SelectObject(mem, b);
    StretchBlt(dc_, x, y, s.cx * scale, s.cy * scale, mem, 0, 0, s.cx, s.cy, SRCCOPY);
    SelectObject(mem, old);
    DeleteDC(mem);
  }
  void Text(int x, int y, const std::wstring& t, COLORREF c, COLORREF back = CLR_INVALID) {
    if (back != CLR_INVALID) {
      SIZE s;
      GetTextExtentPoint32W(dc_, t.c_str(), int(t.size()), &s);
      Fill({x - 1, y, x + s.cx + 1, y + s.cy}, back);
    }
    SetBkMode(dc_, TRANSPARENT);
    SetTextColor(dc_, c);
    TextOutW(dc_, x, y, t.c_str(), int(t.size()));
  }
  bool Save(const std::wstring& path) {
    GdiFlush();
    const int stride = (w_ * 3 + 3) & ~3;
    BITMAPFILEHEADER fh = {0x4D42, DWORD(sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER) + stride * h_), 0, 0,
                           DWORD(sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER))};
    BITMAPINFOHEADER ih = {};
    ih.biSize = sizeof(ih);
    ih.biWidth = w_;
    ih.biHeight = h_;
    ih.biPlanes = 1;
    ih.biBitCount = 24;
    ih.biSizeImage = DWORD(stride * h_);
    FILE* f = _wfopen(path.c_str(), L"wb");
    if (!f) return false;
    bool ok = fwrite(&fh, sizeof(fh), 1, f) == 1 && fwrite(&ih, sizeof(ih), 1, f) == 1 &&
              fwrite(bits_, size_t(stride) * h_, 1, f) == 1;
    return fclose(f) == 0 && ok;
  }

 private:
  int w_, h_;
  HDC dc_;
  HBITMAP bitmap_;
  HGDIOBJ old_, oldFont_;
  HFONT font_;
  void* bits_ = nullptr;
};

std::wstring IdText(int id) {
  wchar_t buf[16];
  swprintf(buf, 16, id >= 0x1000 ? L"0x%X" : L"%d", id);
  return buf;
}

bool OnBackground(const Entries& e, int id, int background, RECT r) {
  SIZE s = SizeOf(e.backgrounds.at(background));
  if (id == background || r.left < 0 || r.top < 0 || r.right > s.cx || r.bottom > s.cy) return false;
  int block = id & ~0xFF;
  if (block != 0 && e.backgrounds.count(block)) return block == background;
  return (background & ~0xFF) == 0;
}

bool BackgroundSheet(const Entries& e, int id, const std::wstring& dir) {
  HBITMAP b = e.backgrounds.at(id);
  SIZE s = SizeOf(b);
  const int scale = s.cx < 200 ? 4 : 1;  // small strips are enlarged
  const int margin = 24;
  Sheet sheet(s.cx * scale + 2 * margin, s.cy * scale + 2 * margin);
  sheet.Text(4, 4, L"background " + IdText(id) + L" (" + std::to_wstring(s.cx) + L" x " + std::to_wstring(s.cy) + L")",
             RGB(255, 255, 255));
  sheet.Draw(b, margin, margin, 0, 0, scale);
  if (scale == 1) {
    for (const auto& [fid, f] : e.faces) {
      auto r = e.rects.find(fid);
      if (r != e.rects.end() && OnBackground(e, fid, id, r->second) && f[0])
        sheet.Draw(f[0], margin + r->second.left, margin + r->second.top);
    }
    for (const auto& [rid, r] : e.rects) {
      if (!OnBackground(e, rid, id, r)) continue;
      sheet.Frame({margin + r.left, margin + r.top, margin + r.right, margin + r.bottom}, RGB(255, 230, 0));
      sheet.Text(margin + r.left + 1, margin + r.top + 1, IdText(rid), RGB(0, 0, 0), RGB(255, 230, 0));
    }
  }
  return sheet.Save(dir + L"\\background_" + IdText(id) + L".bmp");
}

bool FacesSheet(const Entries& e, const std::wstring& dir) {
  if (e.faces.empty()) return true;
  const int label = 70, gap = 8, top = 26;
  int cell = 0, height = top;
  for (const auto& [id, f] : e.faces) {
    int rowHeight = 16;
    for (const auto* set : {&e.faces, &e.altFaces}) {
      auto it = set->find(id);
      if (it == set->end()) continue;
      for (HBITMAP b : it->second) {
        cell = std::max(cell, int(SizeOf(b).cx));
        rowHeight = std::max(rowHeight, int(SizeOf(b).cy));
      }
    }
    height += rowHeight + gap;
  }
  cell = std::max(cell, 40);
  const int width = label + 8 * (cell + gap) + 2 * gap;
  Sheet sheet(width, height);
  sheet.Text(4, 4, L"face sets: normal, hover, pressed, disabled | alternate set", RGB(255, 255, 255));
  int y = top;
  for (const auto& [id, f] : e.faces) {
    auto r = e.rects.find(id);
    int w = r != e.rects.end() ? r->second.right - r->second.left : 24;
    int h = r != e.rects.end() ? r->second.bottom - r->second.top : 16;
    int rowHeight = 16;
    sheet.Text(4, y, IdText(id), RGB(255, 230, 0));
    auto drawSet = [&](const Faces& set, int x0) {
      for (int i = 0; i < 4; ++i) {
        sheet.Draw(set[i], x0 + i * (cell + gap), y, w, h);
        rowHeight = std::max(rowHeight, set[i] ? int(SizeOf(set[i]).cy) : h);
      }
    };
    drawSet(f, label);
    auto alt = e.altFaces.find(id);
    if (alt != e.altFaces.end()) {
      sheet.Fill({label + 4 * (cell + gap) - gap / 2 - 1, y, label + 4 * (cell + gap) - gap / 2 + 1, y + h},
                 RGB(255, 230, 0));
      drawSet(alt->second, label + 4 * (cell + gap) + gap);
    }
    y += rowHeight + gap;
  }
  return sheet.Save(dir + L"\\faces.bmp");
}

template <typename Fn>
Fn Proc(HMODULE library, const char* name) {
  return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(library, name)));
}

// Creates the folder and any missing parents.
void MakeFolders(const std::wstring& path) {
  for (size_t at = path.find_first_of(L"\\/", 3); at != std::wstring::npos; at = path.find_first_of(L"\\/", at + 1))
    CreateDirectoryW(path.substr(0, at).c_str(), nullptr);
  CreateDirectoryW(path.c_str(), nullptr);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc != 3) {
    fwprintf(stderr, L"usage: skinview DLL OUTDIR\n");
    return 2;
  }
  HMODULE library = LoadLibraryW(argv[1]);
  if (!library) {
    fwprintf(stderr, L"skinview: cannot load %ls\n", argv[1]);
    return 1;
  }
  Skin skin;
  skin.rect = Proc<RectFn>(library, "SMAPI_GetResourceRect");
  skin.bitmap = Proc<BitmapFn>(library, kSmapiBitmapExport);
  skin.faces = Proc<FacesFn>(library, kSmapiFaceSetExport);
  skin.altFaces = Proc<FacesFn>(library, "SMAPI_GetResourceBitmapHandleEx");
  if (!skin.rect || !skin.bitmap || !skin.faces) {
    fwprintf(stderr, L"skinview: %ls does not export the skin functions\n", argv[1]);
    return 1;
  }
  MakeFolders(argv[2]);
  bool ok;
  {
    Entries e;
    ReadAll(skin, e);
    ok = FacesSheet(e, argv[2]);
    for (const auto& [id, b] : e.backgrounds) ok = BackgroundSheet(e, id, argv[2]) && ok;
    wprintf(L"%ls: %zu rectangles, %zu backgrounds, %zu face sets, %zu alternate face sets\n", argv[1], e.rects.size(),
            e.backgrounds.size(), e.faces.size(), e.altFaces.size());
  }
  if (!ok) fwprintf(stderr, L"skinview: cannot write the sheets to %ls\n", argv[2]);
  return ok ? 0 : 1;
}
