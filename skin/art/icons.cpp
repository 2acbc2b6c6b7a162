#include "artwork.h"

#include <algorithm>

namespace art {
namespace {

// A centred square of side s inside b.
Box Square(Box b, double s) {
  double cx = (b.left + b.right) / 2, cy = (b.top + b.bottom) / 2;
  return {cx - s / 2, cy - s / 2, cx + s / 2, cy + s / 2};
}

void Triangle(Canvas& c, Box b, uint32_t rgb, bool left) {
  if (left)
    c.Polygon({{b.right, b.top}, {b.right, b.bottom}, {b.left, (b.top + b.bottom) / 2}}, rgb);
  else
    c.Polygon({{b.left, b.top}, {b.left, b.bottom}, {b.right, (b.top + b.bottom) / 2}}, rgb);
}

}  // namespace

void IconPlay(Canvas& c, Box b, uint32_t rgb, bool reverse) {
  double s = std::min(b.width(), b.height());
  Box q = Square(b, s);
  Triangle(c, {q.left + s * 0.12, q.top, q.right - s * 0.12, q.bottom}, rgb, reverse);
}

void IconDouble(Canvas& c, Box b, uint32_t rgb, bool reverse) {
  double s = std::min(b.width() / 1.4, b.height());
  Box q = Square(b, s);
  double w = s * 0.7;
  double x0 = (q.left + q.right) / 2 - w;
  Triangle(c, {x0, q.top, x0 + w, q.bottom}, rgb, reverse);
  Triangle(c, {x0 + w, q.top, x0 + 2 * w, q.bottom}, rgb, reverse);
}

void IconEnd(Canvas& c, Box b, uint32_t rgb, bool first) {
  double s = std::min(b.width() / 1.6, b.height());
  Box q = Square(b, s);
  double w = s * 0.62, bar = std::max(1.0, s * 0.16);
  double total = bar + 2 * w;
  double x0 = (q.left + q.right) / 2 - total / 2;
  if (first) {
    c.Fill({x0, q.top, x0 + bar, q.bottom}, rgb);
    Triangle(c, {x0 + bar, q.top, x0 + bar + w, q.bottom}, rgb, true);
    Triangle(c, {x0 + bar + w, q.top, x0 + total, q.bottom}, rgb, true);
  } else {
    Triangle(c, {x0, q.top, x0 + w, q.bottom}, rgb, false);
    Triangle(c, {x0 + w, q.top, x0 + 2 * w, q.bottom}, rgb, false);
    c.Fill({x0 + 2 * w, q.top, x0 + total, q.bottom}, rgb);
  }
}

void IconPause(Canvas& c, Box b, uint32_t rgb) {
  double s = std::min(b.width(), b.height());
  Box q = Square(b, s);
  double bar = s * 0.3;
  c.Fill({q.left + s * 0.12, q.top, q.left + s * 0.12 + bar, q.bottom}, rgb);
  c.Fill({q.right - s * 0.12 - bar, q.top, q.right - s * 0.12, q.bottom}, rgb);
}

void IconArrow(Canvas& c, Box b, uint32_t rgb, bool up) {
  double s = std::min(b.width(), b.height() * 1.6);
  double cx = (b.left + b.right) / 2, cy = (b.top + b.bottom) / 2, h = s / 1.8;
  if (up)
    c.Polygon({{cx - s / 2, cy + h / 2}, {cx + s / 2, cy + h / 2}, {cx, cy - h / 2}}, rgb);
  else
    c.Polygon({{cx - s / 2, cy - h / 2}, {cx + s / 2, cy - h / 2}, {cx, cy + h / 2}}, rgb);
}

}  // namespace art
