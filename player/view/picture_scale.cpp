#include "picture_scale.h"

#include <algorithm>
#include <cmath>
#include <cstddef>

namespace view {

namespace {
constexpr double kNegligible = 1.0 / 32;  // of an output pixel's weight
}  // namespace

ScaleTaps MakeTaps(int from, int to) {
  ScaleTaps t;
  t.from = from;
  t.to = to;
  if (from <= 0 || to <= 0) return t;
  const double scale = double(from) / to;
  const double support = std::max(1.0, scale);  // a shrink averages the whole area
  std::vector<double> w;
  for (int i = 0; i < to; ++i) {
    const double centre = (i + 0.5) * scale - 0.5;
    const int lo = std::max(0, int(std::floor(centre - support + 1e-9)) + 1);
    const int hi = std::min(from - 1, int(std::ceil(centre + support - 1e-9)) - 1);
    w.clear();
    double sum = 0;
    for (int s = lo; s <= hi; ++s) sum += w.emplace_back(std::max(0.0, 1.0 - std::abs(s - centre) / support));
    // Taps at the ends that hardly count are left out: fewer taps, the same picture.
    int first = lo;
    while (w.size() > 1 && w.front() < sum * kNegligible) sum -= w.front(), w.erase(w.begin()), ++first;
    while (w.size() > 1 && w.back() < sum * kNegligible) sum -= w.back(), w.pop_back();
    if (sum <= 0) {  // no source pixel in reach: the nearest one
      first = std::clamp(int(std::lround(centre)), 0, from - 1);
      w.assign(1, 1.0);
      sum = 1;
    }
    t.first.push_back(first);
    t.count.push_back(int32_t(w.size()));
    int given = 0;
    for (size_t k = 0; k < w.size(); ++k) {
      const int weight = k + 1 == w.size() ? ScaleTaps::kWeightOne - given
                                           : int(std::lround(w[k] / sum * ScaleTaps::kWeightOne));
      t.weights.push_back(weight);
      given += weight;
    }
  }
  return t;
}

// The same number of taps for every output pixel (zero weights pad the
// shorter ones), so that the inner loops have a fixed length.
struct FixedTaps {
  int taps = 0;
  std::vector<int32_t> first, weights;  // weights: taps entries per output
};

namespace {

FixedTaps Fix(const ScaleTaps& t) {
  FixedTaps f;
  for (int c : t.count) f.taps = std::max(f.taps, c);
  size_t w = 0;
  for (int i = 0; i < t.to; ++i) {
    const int first = std::max(0, std::min(t.first[i], t.from - f.taps));
    f.first.push_back(first);
    for (int k = 0; k < f.taps; ++k) {
      const int s = first + k;
      const bool used = s >= t.first[i] && s < t.first[i] + t.count[i];
      f.weights.push_back(used ? t.weights[w + (s - t.first[i])] : 0);
    }
    w += t.count[i];
  }
  return f;
}

// One row across: `count` outputs of 4 channels (the fourth 0) from 24-bit input.
template <int kTaps>
void Across(const uint8_t* row, const FixedTaps& t, int count, uint16_t* out) {
  const int taps = kTaps ? kTaps : t.taps;
  const int32_t* weight = t.weights.data();
  for (int x = 0; x < count; ++x, weight += taps, out += 4) {
    const uint8_t* p = row + t.first[x] * 3;
    int32_t b = 0, g = 0, r = 0;
    for (int k = 0; k < taps; ++k) {
      b += p[3 * k] * weight[k];
      g += p[3 * k + 1] * weight[k];
      r += p[3 * k + 2] * weight[k];
    }
    out[0] = uint16_t((b + 32) >> 6);
    out[1] = uint16_t((g + 32) >> 6);
    out[2] = uint16_t((r + 32) >> 6);
    out[3] = 0;
  }
}

// One output row down from `taps` scaled rows; weights sum to one, so no
// value leaves 0..255.
void Down(const uint16_t* const* rows, const int32_t* weight, int taps, int count, uint8_t* __restrict out) {
  const int32_t w0 = weight[0], w1 = taps > 1 ? weight[1] : 0, w2 = taps > 2 ? weight[2] : 0;
  const uint16_t* __restrict r0 = rows[0];
  const uint16_t* __restrict r1 = taps > 1 ? rows[1] : rows[0];
  const uint16_t* __restrict r2 = taps > 2 ? rows[2] : rows[0];
  if (taps <= 3) {
    for (int i = 0; i < count; ++i) out[i] = uint8_t((r0[i] * w0 + r1[i] * w1 + r2[i] * w2 + (1 << 21)) >> 22);
    return;
  }
  for (int i = 0; i < count; ++i) {
    int32_t sum = 1 << 21;
    for (int k = 0; k < taps; ++k) sum += rows[k][i] * weight[k];
    out[i] = uint8_t(sum >> 22);
  }
}

}  // namespace

PictureScaler::PictureScaler() = default;
PictureScaler::~PictureScaler() = default;

void PictureScaler::Scale(const SourcePicture& src, uint8_t* out, int stride, int width, int height) {
  if (src.width <= 0 || src.height <= 0 || width <= 0 || height <= 0) return;
  if (!across_ || columns_.from != src.width || columns_.to != width) {
    columns_ = MakeTaps(src.width, width);
    across_ = std::make_unique<FixedTaps>(Fix(columns_));
  }
  if (!down_ || rows_.from != src.height || rows_.to != height) {
    rows_ = MakeTaps(src.height, height);
    down_ = std::make_unique<FixedTaps>(Fix(rows_));
  }
  const size_t scaled_row = size_t(width) * 4;
  rows_scaled_.resize(size_t(src.height) * scaled_row);

  // Across: every source row of the part to `width` pixels.
  for (int y = 0; y < src.height; ++y) {
    const uint8_t* row = src.pixels + ptrdiff_t(src.y + y) * src.stride + ptrdiff_t(src.x) * 3;
    uint16_t* to = &rows_scaled_[size_t(y) * scaled_row];
    switch (across_->taps) {
      case 1: Across<1>(row, *across_, width, to); break;
      case 2: Across<2>(row, *across_, width, to); break;
      case 3: Across<3>(row, *across_, width, to); break;
      case 4: Across<4>(row, *across_, width, to); break;
      default: Across<0>(row, *across_, width, to); break;
    }
  }
  // Down: the scaled rows to `height` rows of 32-bit pixels.
  const int taps = down_->taps;
  std::vector<const uint16_t*> rows(taps);
  for (int y = 0; y < height; ++y) {
    for (int k = 0; k < taps; ++k) rows[k] = &rows_scaled_[size_t(down_->first[y] + k) * scaled_row];
    const int32_t* weight = &down_->weights[size_t(y) * taps];
    uint8_t* to = out + size_t(y) * stride;
    Down(rows.data(), weight, taps, width * 4, to);
  }
}

}  // namespace view
