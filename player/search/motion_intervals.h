// From block decisions to intervals of motion: the share of a region that
// moved in each picture, and the pictures with motion joined into
// intervals. Portable.
#pragma once
#include <cstdint>
#include <optional>
#include <vector>

namespace search {

struct Region {
  int x, y, width, height;  // in the picture's pixels
};
// Camera 1-4's quarter of a width x height mosaic (1 top left, 2 top right,
// 3 bottom left, 4 bottom right) at its recorded size; 0: the whole picture.
Region CameraQuarter(int camera, int width, int height);

// The region in a picture of half the width and height: what it covers, at least a sample.
Region HalfRegion(const Region& region);

// The blocks (kBlockPixels a side) that stand for a region: those with at
// least half of their area inside it, or when there are none, those it
// touches. Indices rows top first.
std::vector<int> RegionBlocks(const Region& region, int blocks_across, int blocks_down);

// The share of those blocks that moved, 0-100, rounded up so that any motion shows.
int MovedShare(const std::vector<int>& region_blocks, const std::vector<uint8_t>& moved);

struct MotionInterval {
  int64_t first, last;        // picture numbers
  int64_t first_ms, last_ms;  // their capture times, milliseconds since 1970
  int peak;                   // the largest share that moved, 1-100
};

constexpr int64_t kJoinMs = 1000;  // motion closer than this to the last is one interval

// Joins pictures with motion into intervals, in recording order.
class IntervalJoiner {
 public:
  // A searched picture and the share of the region that moved in it (0:
  // none). Returns the interval it closes, if any.
  std::optional<MotionInterval> Add(int64_t picture, int64_t ms, int share);
  // The interval still open at the end, if any.
  std::optional<MotionInterval> Finish();

 private:
  std::optional<MotionInterval> open_;
};

}  // namespace search
