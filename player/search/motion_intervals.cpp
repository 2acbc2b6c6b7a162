#include "motion_intervals.h"

#include <algorithm>
#include <utility>

#include "motion_detector.h"

namespace search {

Region CameraQuarter(int camera, int width, int height) {
  if (camera < 1 || camera > 4) return {0, 0, width, height};
  const int half_w = width / 2, half_h = height / 2;
  return {(camera - 1) % 2 * half_w, (camera - 1) / 2 * half_h, half_w, half_h};
}

Region HalfRegion(const Region& r) {
  const int x = r.x / 2, y = r.y / 2;
  return {x, y, std::max(1, (r.x + r.width + 1) / 2 - x), std::max(1, (r.y + r.height + 1) / 2 - y)};
}

std::vector<int> RegionBlocks(const Region& region, int blocks_across, int blocks_down) {
  std::vector<int> half_inside, touched;
  for (int by = 0; by < blocks_down; ++by) {
    for (int bx = 0; bx < blocks_across; ++bx) {
      const int x0 = bx * kBlockPixels, y0 = by * kBlockPixels;
      const int w = std::min(x0 + kBlockPixels, region.x + region.width) - std::max(x0, region.x);
      const int h = std::min(y0 + kBlockPixels, region.y + region.height) - std::max(y0, region.y);
      if (w <= 0 || h <= 0) continue;
      const int block = by * blocks_across + bx;
      touched.push_back(block);
      if (2 * w * h >= kBlockPixels * kBlockPixels) half_inside.push_back(block);
    }
  }
  return half_inside.empty() ? touched : half_inside;
}

int MovedShare(const std::vector<int>& region_blocks, const std::vector<uint8_t>& moved) {
  if (region_blocks.empty()) return 0;
  const int64_t count = std::count_if(region_blocks.begin(), region_blocks.end(), [&](int b) {
    return b >= 0 && static_cast<size_t>(b) < moved.size() && moved[b];
  });
  const int64_t blocks = static_cast<int64_t>(region_blocks.size());
  return static_cast<int>((count * 100 + blocks - 1) / blocks);
}

std::optional<MotionInterval> IntervalJoiner::Add(int64_t picture, int64_t ms, int share) {
  std::optional<MotionInterval> closed;
  // Motion that goes on, or comes back within kJoinMs, extends the open interval.
  const bool near = open_ && ms >= open_->last_ms && ms - open_->last_ms < kJoinMs;
  if (open_ && !near) closed = std::exchange(open_, std::nullopt);
  if (share <= 0) return closed;
  if (open_) {
    open_->last = picture;
    open_->last_ms = ms;
    open_->peak = std::max(open_->peak, share);
  } else {
    open_ = MotionInterval{picture, picture, ms, ms, share};
  }
  return closed;
}

std::optional<MotionInterval> IntervalJoiner::Finish() { return std::exchange(open_, std::nullopt); }

}  // namespace search
