#include "mark_reader.h"

namespace testsupport {
namespace {

int Luma(const PictureView& p, int x, int y) {
  const uint8_t* px = p.pixels + static_cast<ptrdiff_t>(y) * p.stride;
  if (p.format == PixelFormat::kGray8) return px[x];
  px += x * 3;
  return (px[0] + px[1] + px[2]) / 3;
}

}  // namespace

std::optional<mark::Mark> ReadMark(const PictureView& p, int x, int y, int width, int height) {
  if (x < 0 || y < 0 || width < 24 || height < 24 || x + width > p.width || y + height > p.height)
    return std::nullopt;
  uint32_t code = 0;
  for (int bit = 0; bit < mark::kBits; ++bit) {
    const mark::Rect r = mark::CellRect(bit, width, height);
    // Average the middle half of the cell, away from blurred edges.
    const int w = r.right - r.left, h = r.bottom - r.top;
    long sum = 0, count = 0;
    for (int cy = r.top + h / 4; cy < r.bottom - h / 4; ++cy) {
      for (int cx = r.left + w / 4; cx < r.right - w / 4; ++cx, ++count) sum += Luma(p, x + cx, y + cy);
    }
    if (count == 0) return std::nullopt;
    const long mean = sum / count;
    if (mean > 80 && mean < 170) return std::nullopt;  // neither black nor white
    if (mean >= 170) code |= 1u << bit;
  }
  return mark::Decode(code);
}

std::optional<mark::Mark> ReadQuarterMark(const PictureView& p, int camera) {
  int x, y;
  mark::QuarterOrigin(camera, p.width, p.height, x, y);
  return ReadMark(p, x, y, p.width / 2, p.height / 2);
}

}  // namespace testsupport
