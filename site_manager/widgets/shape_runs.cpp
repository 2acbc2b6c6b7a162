#include "shape_runs.h"

#include <algorithm>

std::vector<RunRect> OpaqueRuns(const uint8_t* pixels, int width, int height, size_t rowBytes) {
  std::vector<RunRect> runs;
  for (int y = 0; y < height; ++y) {
    const uint8_t* row = pixels + size_t(y) * rowBytes;
    auto key = [row](int x) { return IsShapeKey(row[4 * x], row[4 * x + 1], row[4 * x + 2]); };
    for (int x = 0; x < width;) {
      while (x < width && key(x)) ++x;
      int start = x;
      while (x < width && !key(x)) ++x;
      if (x > start) runs.push_back({start, y, x, y + 1});
    }
  }
  return runs;
}

std::vector<std::span<const RunRect>> RegionBatches(std::span<const RunRect> runs) {
  std::vector<std::span<const RunRect>> batches;
  for (size_t at = 0; at < runs.size(); at += kRunsPerRegion)
    batches.push_back(runs.subspan(at, std::min(kRunsPerRegion, runs.size() - at)));
  return batches;
}
