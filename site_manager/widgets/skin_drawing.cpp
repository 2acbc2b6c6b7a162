#include "skin_drawing.h"

#include <string_view>
#include <vector>

#include "help_box_layout.h"
#include "shape_runs.h"
#include "velmora.h"
#include "win32/dib.h"
#include "win32/gdi.h"

void DrawBitmap(HBITMAP bitmap, HDC dc, int left, int top, int right, int bottom) {
  if (!bitmap) return;
  win32::MemoryDC mem(dc);
  win32::SelectedObject selected(mem.Get(), bitmap);
  BitBlt(dc, left, top, right - left, bottom - top, mem.Get(), 0, 0, SRCCOPY);
}

namespace {

// One region from a batch of runs.
HRGN RegionOfRuns(std::span<const RunRect> runs) {
  std::vector<BYTE> block(sizeof(RGNDATAHEADER) + runs.size() * sizeof(RECT));
  auto* data = reinterpret_cast<RGNDATA*>(block.data());
  data->rdh = {sizeof(RGNDATAHEADER), RDH_RECTANGLES, DWORD(runs.size()), 0, {0x7FFFFFFF, 0x7FFFFFFF, 0, 0}};
  RECT* rects = reinterpret_cast<RECT*>(data->Buffer);
  RECT& bounds = data->rdh.rcBound;
  for (size_t i = 0; i < runs.size(); ++i) {
    const RunRect& r = runs[i];
    rects[i] = {r.left, r.top, r.right, r.bottom};
    bounds = {std::min<LONG>(bounds.left, r.left), std::min<LONG>(bounds.top, r.top),
              std::max<LONG>(bounds.right, r.right), std::max<LONG>(bounds.bottom, r.bottom)};
  }
  return ExtCreateRegion(nullptr, DWORD(block.size()), data);
}

}  // namespace

HRGN CreateRegionFromBitmap(HBITMAP bitmap) {
  BITMAP info{};
  if (!bitmap || !GetObjectW(bitmap, sizeof(info), &info)) return nullptr;
  win32::MemoryDC target(nullptr);
  win32::MemoryDC source(nullptr);
  if (!target.Get() || !source.Get()) return nullptr;

  // The bitmap copied into a 32-bit section.
  const int width = info.bmWidth, height = info.bmHeight;
  void* bits = nullptr;
  win32::Bitmap section(win32::CreateTopDownDib32(target.Get(), width, height, &bits));
  if (!section || !bits) return nullptr;
  {
    win32::SelectedObject intoTarget(target.Get(), section.Get());
    win32::SelectedObject intoSource(source.Get(), bitmap);
    BitBlt(target.Get(), 0, 0, width, height, source.Get(), 0, 0, SRCCOPY);
  }
  GdiFlush();

  const size_t rowBytes = size_t(width) * 4;  // 32-bit rows are always whole words
  std::vector<RunRect> runs = OpaqueRuns(static_cast<const uint8_t*>(bits), width, height, rowBytes);
  if (runs.empty()) return CreateRectRgn(0, 0, 0, 0);
  HRGN result = nullptr;
  for (std::span<const RunRect> batch : RegionBatches(runs)) {
    HRGN piece = RegionOfRuns(batch);
    if (!piece) {
      if (result) DeleteObject(result);
      return nullptr;
    }
    if (!result) {
      result = piece;
    } else {
      CombineRgn(result, result, piece, RGN_OR);
      DeleteObject(piece);
    }
  }
  return result;
}

HFONT CreateHelpFont() {
  return CreateFontW(20, 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, 0, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                     DEFAULT_QUALITY, VARIABLE_PITCH, L"MS Sans Serif");
}

void DrawHelpBox(const wchar_t* text, int length, HDC dc, int left, int top, int right, int bottom) {
  if (!text || length <= 0) return;
  std::u16string_view view(reinterpret_cast<const char16_t*>(text), size_t(length));
  HelpBoxLayout layout = LayOutHelpBox(view, {left, top, right, bottom});
  const BoxRect& box = layout.box;
  const int width = box.right - box.left, height = box.bottom - box.top;
  if (width <= 0 || height <= 0) return;

  {
    // The tint: a compatible bitmap filled but for its last column and row.
    win32::MemoryDC mem(dc);
    win32::Bitmap tint(CreateCompatibleBitmap(dc, width, height));
    win32::SelectedObject selected(mem.Get(), tint.Get());
    win32::Brush brush(CreateSolidBrush(kHelpBoxColour));
    RECT fill = {0, 0, width - 1, height - 1};
    FillRect(mem.Get(), &fill, brush.Get());
    BLENDFUNCTION blend = {AC_SRC_OVER, 0, kHelpBoxAlpha, AC_SRC_ALPHA};
    AlphaBlend(dc, box.left, box.top, width, height, mem.Get(), 0, 0, width, height, blend);
  }

  COLORREF ink = 0;
  SMAPI_GetTextColorValue(10, &ink);
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, ink);
  win32::Font font(CreateHelpFont());
  win32::SelectedObject selectedFont(dc, font.Get());
  for (const HelpLine& line : layout.lines) {
    RECT r = {line.rect.left, line.rect.top, line.rect.right, line.rect.bottom};
    DrawTextW(dc, reinterpret_cast<const wchar_t*>(line.text.data()), int(line.text.size()), &r, DT_VCENTER);
  }
}
