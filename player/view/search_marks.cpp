#include "search_marks.h"

#include <algorithm>
#include <cstdlib>

namespace view {

SourceRect CameraRegionOfDrag(AreaRect drag, int area_width, int area_height, int channel, int mosaic_width,
                              int mosaic_height) {
  const int half_w = mosaic_width / 2, half_h = std::abs(mosaic_height) / 2;
  if (area_width <= 0 || area_height <= 0 || half_w <= 0 || half_h <= 0) return {0, 0, 0, 0};
  const SourceRect source = QuarterSource(channel, mosaic_width, mosaic_height);
  const int quarter_x = channel % 2 ? half_w : 0, quarter_y = channel >= 2 ? half_h : 0;
  // An edge at area pixel a lies at mosaic pixel source + a * size / area.
  const auto map = [](int a, int area, int from, int size, int quarter, int limit) {
    const int at = from - quarter + int(int64_t(std::clamp(a, 0, area)) * size / area);
    return std::clamp(at, 0, limit);
  };
  const int x0 = map(std::min(drag.left, drag.right), area_width, source.x, source.width, quarter_x, half_w);
  const int x1 = map(std::max(drag.left, drag.right), area_width, source.x, source.width, quarter_x, half_w);
  const int y0 = map(std::min(drag.top, drag.bottom), area_height, source.y, source.height, quarter_y, half_h);
  const int y1 = map(std::max(drag.top, drag.bottom), area_height, source.y, source.height, quarter_y, half_h);
  return {x0, y0, x1 - x0, y1 - y0};
}

int IntervalToShow(const std::vector<uint32_t>& firsts, uint32_t shown, int direction) {
  // Timestamps wrap: their order is that of their signed difference.
  const auto after = [&](uint32_t t) { return int32_t(t - shown) > 0; };
  const auto before = [&](uint32_t t) { return int32_t(t - shown) < 0; };
  if (direction > 0) {
    const auto at = std::find_if(firsts.begin(), firsts.end(), after);
    return at == firsts.end() ? -1 : int(at - firsts.begin());
  }
  const auto at = std::find_if(firsts.rbegin(), firsts.rend(), before);
  return at == firsts.rend() ? -1 : int(firsts.rend() - at - 1);
}

}  // namespace view
