#include "image_filter.h"

#include <algorithm>
#include <cstdlib>

namespace view {

namespace {

uint8_t Clamp(int v) { return uint8_t(std::clamp(v, 0, 255)); }

// Bytes per pixel, or 0 when the picture cannot be filtered.
int PixelBytes(const FilterPicture& p) {
  const int b = p.bits_per_pixel / 8;
  if ((b != 3 && b != 4) || !p.pixels || p.width <= 0 || p.height == 0) return 0;
  const size_t needed = size_t(p.width) * size_t(std::abs(p.height)) * size_t(b);
  return needed <= p.bytes ? b : 0;
}

template <class Change>
void EachColourValue(const FilterPicture& p, Change change) {
  const int b = PixelBytes(p);
  if (!b) return;
  const size_t end = size_t(p.width) * size_t(std::abs(p.height)) * size_t(b);
  for (size_t i = 0; i < end; i += size_t(b))
    for (int c = 0; c < 3; ++c) p.pixels[i + c] = change(p.pixels[i + c]);
}

struct Neighbours {
  int sides = 0;      // left, right, above, below
  int diagonals = 0;
};

// The pixels of rows 1 to H - 3 in memory order, in place. A neighbour's
// pixel index outside 0 .. W x H - 1 becomes the nearest one inside.
template <class Combine>
void EachInnerValue(const FilterPicture& p, Combine combine) {
  const int b = PixelBytes(p);
  const long long w = p.width, h = std::abs(p.height);
  if (!b || h <= 3) return;
  const long long last = w * h - 1;
  const auto value = [&](long long pixel, int c) { return int(p.pixels[std::clamp(pixel, 0LL, last) * b + c]); };
  for (long long i = w; i < (h - 2) * w; ++i)
    for (int c = 0; c < 3; ++c) {
      Neighbours n;
      n.sides = value(i - 1, c) + value(i + 1, c) + value(i - w, c) + value(i + w, c);
      n.diagonals = value(i - w - 1, c) + value(i - w + 1, c) + value(i + w - 1, c) + value(i + w + 1, c);
      p.pixels[i * b + c] = Clamp(combine(value(i, c), n));
    }
}

}  // namespace

void CFilter::Brightness(const FilterPicture& p, int step) const {
  EachColourValue(p, [&](int v) { return Clamp(v + step); });
}

void CFilter::Contrast(const FilterPicture& p, int step) const {
  EachColourValue(p, [&](int v) { return Clamp(v + step * (v - 128) / 128); });
}

// 1.4 v - 0.05 s is (28 v - s) / 20, in integers so that a flat picture stays flat.
void CFilter::Sharpen(const FilterPicture& p) const {
  EachInnerValue(p, [](int v, const Neighbours& n) { return (28 * v - (n.sides + n.diagonals)) / 20; });
}

void CFilter::Blur(const FilterPicture& p) const {
  EachInnerValue(p, [](int v, const Neighbours& n) { return (4 * v + 3 * n.sides + n.diagonals) / 19; });
}

}  // namespace view
