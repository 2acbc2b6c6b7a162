// The method: every pixel keeps a background level, a running average of
// its picture levels (1/16 of the new level a picture; 1/256 where its block
// moved, so that something passing does not become background). A pixel
// changed when it differs from its background by more than a threshold: the
// sensitivity's, or three times the picture's noise (the median over blocks
// of the mean difference) when that is higher, so that sensor noise and
// compression flicker stay below it. A block moved when a quarter of its
// pixels changed. A moved block whose picture has stayed as it is for
// kSettlePictures (something that stopped, or the place something left
// when the background was taken with it there) is taken into the
// background. When in two thirds of the blocks the mean change, sign kept,
// exceeds the sensitivity's threshold, the picture changed as a whole
// (lights, exposure): no block moved and the background starts again from
// that picture.
#include "motion_detector.h"

#include <algorithm>
#include <cstdlib>

namespace search {
namespace {

constexpr int kFraction = 16;       // background levels are kept in 1/16 levels
constexpr int kStillShare = 16;     // a still pixel's background takes 1/16 of the change
constexpr int kMovedShare = 256;    // a moved pixel's 1/256
constexpr int kNoiseFactor = 3;     // the threshold is at least this times the noise
constexpr int kWholeShareNum = 2, kWholeShareDen = 3;  // share of blocks that makes a change whole
constexpr int kSettlePictures = 50;                    // 2 s at 25 pictures/s

int Blocks(int pixels) { return (pixels + kBlockPixels - 1) / kBlockPixels; }

// The value num/den of the way up the values in order (which it reorders).
int Quantile(std::vector<int> values, int num, int den) {
  const auto at = values.begin() + static_cast<long>(values.size() - 1) * num / den;
  std::nth_element(values.begin(), at, values.end());
  return *at;
}

}  // namespace

void HalfLumaOfBgr(const uint8_t* bgr, int stride, int x, int y, int width, int height, std::vector<uint8_t>& luma) {
  luma.resize(static_cast<size_t>(width / 2) * (height / 2));
  uint8_t* out = luma.data();
  for (int row = 0; row + 1 < height; row += 2) {
    const uint8_t* p = bgr + static_cast<size_t>(y + row) * stride + static_cast<size_t>(x) * 3;
    const uint8_t* q = p + stride;
    for (int col = 0; col + 1 < width; col += 2, p += 6, q += 6) {
      const int b = p[0] + p[3] + q[0] + q[3], g = p[1] + p[4] + q[1] + q[4], r = p[2] + p[5] + q[2] + q[5];
      *out++ = static_cast<uint8_t>((29 * b + 150 * g + 77 * r + 512) >> 10);
    }
  }
}

MotionDetector::MotionDetector(int width, int height, int sensitivity)
    : width_(width),
      height_(height),
      across_(Blocks(width)),
      down_(Blocks(height)),
      min_threshold_(8 + 3 * (kMaxSensitivity - std::clamp(sensitivity, kMinSensitivity, kMaxSensitivity))),
      background_(static_cast<size_t>(width) * height),
      previous_(background_.size()),
      differences_(background_.size()),
      steady_(static_cast<size_t>(across_) * down_),
      moved_(steady_.size()) {}

const std::vector<uint8_t>& MotionDetector::Update(const LumaView& picture) {
  std::fill(moved_.begin(), moved_.end(), 0);
  changed_as_a_whole_ = false;
  if (picture.width != width_ || picture.height != height_ || !picture.pixels || moved_.empty()) return moved_;
  if (!started_) {
    TakeAsBackground(picture);
    started_ = true;
    return moved_;
  }

  // Per pixel the difference from the background; per block its mean
  // (noise), its mean with the sign kept, in which noise cancels out and a
  // change of the whole picture does not (shift), and the mean change since
  // the previous picture (unrest).
  std::vector<int> noise(moved_.size(), 0), shift(moved_.size(), 0), unrest(moved_.size(), 0);
  for (int y = 0; y < height_; ++y) {
    const uint8_t* row = picture.pixels + static_cast<size_t>(y) * picture.stride;
    const size_t at = static_cast<size_t>(y) * width_;
    const size_t blocks = static_cast<size_t>(y / kBlockPixels) * across_;
    for (int x = 0; x < width_; ++x) {
      const int d = (row[x] * kFraction - background_[at + x]) / kFraction;
      const size_t b = blocks + x / kBlockPixels;
      differences_[at + x] = static_cast<uint8_t>(std::abs(d));
      noise[b] += std::abs(d);
      shift[b] += d;
      unrest[b] += std::abs(row[x] - previous_[at + x]);
    }
  }
  for (size_t b = 0; b < moved_.size(); ++b) {
    noise[b] /= BlockArea(b);
    shift[b] = std::abs(shift[b]) / BlockArea(b);
    unrest[b] /= BlockArea(b);
  }
  if (Quantile(shift, kWholeShareDen - kWholeShareNum, kWholeShareDen) > min_threshold_) {
    changed_as_a_whole_ = true;
    TakeAsBackground(picture);
    return moved_;
  }
  const int threshold = std::max(min_threshold_, kNoiseFactor * Quantile(noise, 1, 2));

  // Blocks where a quarter of the pixels changed, unless they settled.
  std::vector<int> changed(moved_.size(), 0);
  for (int y = 0; y < height_; ++y) {
    const uint8_t* d = differences_.data() + static_cast<size_t>(y) * width_;
    int* counts = changed.data() + static_cast<size_t>(y / kBlockPixels) * across_;
    for (int x = 0; x < width_; ++x) counts[x / kBlockPixels] += d[x] > threshold;
  }
  std::vector<uint8_t> settled(moved_.size(), 0);
  for (size_t b = 0; b < moved_.size(); ++b) {
    moved_[b] = changed[b] * 4 >= BlockArea(b);
    steady_[b] = moved_[b] && unrest[b] <= threshold ? steady_[b] + 1 : 0;  // counted while it differs
    settled[b] = steady_[b] >= kSettlePictures;
    if (settled[b]) moved_[b] = 0;
  }

  for (int y = 0; y < height_; ++y) {
    const uint8_t* row = picture.pixels + static_cast<size_t>(y) * picture.stride;
    const size_t blocks = static_cast<size_t>(y / kBlockPixels) * across_;
    uint16_t* bg = background_.data() + static_cast<size_t>(y) * width_;
    for (int x = 0; x < width_; ++x) {
      const size_t b = blocks + x / kBlockPixels;
      const int change = row[x] * kFraction - bg[x];  // constant divisors: shifts, not divisions
      bg[x] = static_cast<uint16_t>(settled[b] ? row[x] * kFraction
                                               : bg[x] + (moved_[b] ? change / kMovedShare : change / kStillShare));
    }
    std::copy(row, row + width_, previous_.begin() + static_cast<ptrdiff_t>(y) * width_);
  }
  return moved_;
}

int MotionDetector::BlockArea(size_t block) const {
  const int bx = static_cast<int>(block % across_), by = static_cast<int>(block / across_);
  return (std::min(width_, (bx + 1) * kBlockPixels) - bx * kBlockPixels) *
         (std::min(height_, (by + 1) * kBlockPixels) - by * kBlockPixels);
}

void MotionDetector::TakeAsBackground(const LumaView& picture) {
  for (int y = 0; y < height_; ++y) {
    const uint8_t* row = picture.pixels + static_cast<size_t>(y) * picture.stride;
    uint16_t* bg = background_.data() + static_cast<size_t>(y) * width_;
    for (int x = 0; x < width_; ++x) bg[x] = static_cast<uint16_t>(row[x] * kFraction);
    std::copy(row, row + width_, previous_.begin() + static_cast<ptrdiff_t>(y) * width_);
  }
  std::fill(steady_.begin(), steady_.end(), 0);
}

}  // namespace search
