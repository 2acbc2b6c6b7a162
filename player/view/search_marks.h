// The motion search as the player shows it: the region a drag across the
// video area covers in the camera's own pixels, and which interval of
// motion N and P go to. Portable.
#pragma once
#include <cstdint>
#include <vector>

#include "division_layout.h"

namespace view {

struct AreaRect {
  int left, top, right, bottom;  // pixels of the video area, either corner first
};

// The part of camera `channel` (0-3) under `drag`, in the camera's own
// pixels (its quarter of a mosaic_width x mosaic_height picture), for a
// video area of area_width x area_height that shows that camera alone
// (QuarterSource). Clipped to the camera; width or height 0 when nothing
// of it is covered.
SourceRect CameraRegionOfDrag(AreaRect drag, int area_width, int area_height, int channel, int mosaic_width,
                              int mosaic_height);

// Of the intervals' first pictures (their timestamps, in recording order),
// the one to show next (direction > 0: the first after the picture shown)
// or before (the last before it); -1 when there is none.
int IntervalToShow(const std::vector<uint32_t>& firsts, uint32_t shown, int direction);

}  // namespace view
