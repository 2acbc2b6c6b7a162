#include "picture_mark.h"

namespace mark {
namespace {

uint32_t Check(uint32_t picture, uint32_t camera) {
  uint32_t sum = camera;
  for (int shift = 0; shift < 16; shift += 4) sum += (picture >> shift) & 0xF;
  return (sum & 0xF) ^ 0x5;  // never all zeros or all ones for a real mark
}

}  // namespace

uint32_t Encode(Mark m) {
  const uint32_t picture = static_cast<uint32_t>(m.picture) & 0xFFFF;
  const uint32_t camera = static_cast<uint32_t>(m.camera) & 0xF;
  return picture | camera << 16 | Check(picture, camera) << 20;
}

std::optional<Mark> Decode(uint32_t code) {
  const uint32_t picture = code & 0xFFFF;
  const uint32_t camera = code >> 16 & 0xF;
  if ((code >> 20 & 0xF) != Check(picture, camera) || camera < 1 || camera > 4) return std::nullopt;
  return Mark{static_cast<int>(camera), static_cast<int>(picture)};
}

// The cells fill columns 2..9 and rows 7..9 of a 12 x 12 grid over the quarter.
Rect CellRect(int bit, int quarter_width, int quarter_height) {
  const int column = 2 + bit % kColumns;
  const int row = 7 + bit / kColumns;
  return {column * quarter_width / 12, row * quarter_height / 12,
          (column + 1) * quarter_width / 12, (row + 1) * quarter_height / 12};
}

void QuarterOrigin(int camera, int width, int height, int& x, int& y) {
  x = (camera - 1) % 2 * (width / 2);
  y = (camera - 1) / 2 * (height / 2);
}

}  // namespace mark
