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
// shorter ones), so that the inner loops have a fixed length. Across a row
// the outputs go in runs whose first source pixel moves with the output, and
// each tap's weights are spread over the three channels: within a run every
// tap is one straight multiply-add over contiguous bytes.
struct FixedTaps {
  struct Run {
    int begin, end, offset;  // outputs begin..end-1 start at source pixel output + offset
  };
  int taps = 0;
  std::vector<int32_t> first, weights;  // weights: taps entries per output
  std::vector<Run> runs;
  std::vector<int16_t> spread;  // taps planes of 3 entries per output
};

namespace {

FixedTaps Fix(const ScaleTaps& t) {
  FixedTaps f;
  for (int c : t.count) f.taps = std::max(f.taps, c);
  f.spread.assign(size_t(f.taps) * t.to * 3, 0);
  size_t w = 0;
  for (int i = 0; i < t.to; ++i) {
    const int first = std::max(0, std::min(t.first[i], t.from - f.taps));
    f.first.push_back(first);
    for (int k = 0; k < f.taps; ++k) {
      const int s = first + k;
      const bool used = s >= t.first[i] && s < t.first[i] + t.count[i];
      const int32_t weight = used ? t.weights[w + (s - t.first[i])] : 0;
      f.weights.push_back(weight);
      for (int c = 0; c < 3; ++c) f.spread[(size_t(k) * t.to + i) * 3 + c] = int16_t(weight);
    }
    w += t.count[i];
    if (f.runs.empty() || f.runs.back().offset != first - i) f.runs.push_back({i, i, first - i});
    f.runs.back().end = i + 1;
  }
  return f;
}

// One row across: `count` outputs of 3 channels from 24-bit input. Weights
// sum to 256, so every sum fits 16 bits: eight lanes at a time.
void Across(const uint8_t* row, const FixedTaps& t, int count, uint16_t* __restrict sum, uint8_t* __restrict out) {
  const int n = count * 3;
  std::fill(sum, sum + n, uint16_t(128));  // rounds the 8 bits dropped below
  for (const FixedTaps::Run& run : t.runs) {
    for (int k = 0; k < t.taps; ++k) {
      const int16_t* __restrict weight = &t.spread[size_t(k) * n];
      const uint8_t* __restrict source = row + 3 * (run.offset + k);
      for (int i = 3 * run.begin; i < 3 * run.end; ++i) sum[i] = uint16_t(sum[i] + source[i] * uint16_t(weight[i]));
    }
  }
  for (int i = 0; i < n; ++i) out[i] = uint8_t(sum[i] >> 8);
}

// One output row down from `taps` scaled rows.
void Down(const uint8_t* const* rows, const int32_t* weight, int taps, int count, uint8_t* __restrict out) {
  const uint16_t w0 = uint16_t(weight[0]), w1 = taps > 1 ? uint16_t(weight[1]) : 0,
                 w2 = taps > 2 ? uint16_t(weight[2]) : 0;
  const uint8_t* __restrict r0 = rows[0];
  const uint8_t* __restrict r1 = taps > 1 ? rows[1] : rows[0];
  const uint8_t* __restrict r2 = taps > 2 ? rows[2] : rows[0];
  if (taps <= 3) {
    for (int i = 0; i < count; ++i) out[i] = uint8_t(uint16_t(r0[i] * w0 + r1[i] * w1 + r2[i] * w2 + 128) >> 8);
    return;
  }
  for (int i = 0; i < count; ++i) {
    uint16_t sum = 128;
    for (int k = 0; k < taps; ++k) sum = uint16_t(sum + rows[k][i] * uint16_t(weight[k]));
    out[i] = uint8_t(sum >> 8);
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
  // Source rows are scaled across as the output rows come to need them,
  // into a ring of as many rows as an output row takes: it stays in the cache.
  const int taps = down_->taps;
  const size_t scaled_row = size_t(width) * 3;
  rows_scaled_.resize(size_t(taps) * scaled_row);
  sums_.resize(size_t(width) * 3);
  const auto scaled = [&](int row) { return &rows_scaled_[size_t(row % taps) * scaled_row]; };
  std::vector<const uint8_t*> rows(taps);
  int next = 0;  // the next source row to scale across
  for (int y = 0; y < height; ++y) {
    const int first = down_->first[y];
    for (next = std::max(next, first); next < first + taps; ++next) {
      const uint8_t* row = src.pixels + ptrdiff_t(src.y + next) * src.stride + ptrdiff_t(src.x) * 3;
      Across(row, *across_, width, sums_.data(), scaled(next));
    }
    for (int k = 0; k < taps; ++k) rows[k] = scaled(first + k);
    Down(rows.data(), &down_->weights[size_t(y) * taps], taps, width * 3, out + size_t(y) * stride);
  }
}

}  // namespace view
