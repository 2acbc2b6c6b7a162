// The region under a drag of the video area, and the interval N and P go to.
#include <gtest/gtest.h>

#include "search_marks.h"

namespace view {

bool operator==(const SourceRect& a, const SourceRect& b) {
  return a.x == b.x && a.y == b.y && a.width == b.width && a.height == b.height;
}
void PrintTo(const SourceRect& r, std::ostream* out) { *out << r.x << "," << r.y << " " << r.width << "x" << r.height; }

namespace {

TEST(SearchMarks, ADragCoversTheCamerasOwnPixelsUnderIt) {
  // A 704 x 576 area shows a camera of a 720 x 576 mosaic: camera 1 from its
  // pixel 4 on (356 x 288), camera 2 up to 4 before its right edge.
  const struct {
    AreaRect drag;
    int channel;
    SourceRect region;
  } cases[] = {
      {{0, 0, 704, 576}, 0, {4, 0, 356, 288}},        // all of it shown
      {{0, 0, 704, 576}, 1, {0, 0, 356, 288}},
      {{352, 288, 0, 0}, 3, {0, 0, 178, 144}},        // dragged up and left
      {{320, 224, 512, 416}, 0, {165, 112, 97, 96}},
      {{-50, -50, 2000, 2000}, 2, {4, 0, 356, 288}},  // beyond the area: clipped
      {{100, 100, 100, 300}, 0, {54, 50, 0, 100}},    // no width
  };
  for (const auto& c : cases) {
    EXPECT_EQ(CameraRegionOfDrag(c.drag, 704, 576, c.channel, 720, 576), c.region) << c.channel;
  }
  EXPECT_EQ(CameraRegionOfDrag({10, 10, 20, 20}, 704, 576, 0, 0, 0), (SourceRect{0, 0, 0, 0})) << "no picture";
}

TEST(SearchMarks, NextAndPreviousGoToTheNearestFirstPictureAfterOrBeforeTheOneShown) {
  const std::vector<uint32_t> firsts = {1000, 5000, 9000};
  const struct {
    uint32_t shown;
    int next, previous;
  } cases[] = {
      {0, 0, -1}, {1000, 1, -1}, {1001, 1, 0}, {5000, 2, 0}, {8999, 2, 1}, {9000, -1, 1}, {20000, -1, 2},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(IntervalToShow(firsts, c.shown, +1), c.next) << c.shown;
    EXPECT_EQ(IntervalToShow(firsts, c.shown, -1), c.previous) << c.shown;
  }
  EXPECT_EQ(IntervalToShow({}, 0, +1), -1);
  // Across the wrap of the 32-bit clock.
  EXPECT_EQ(IntervalToShow({0xFFFFFF00u, 0x100u}, 0xFFFFFFF0u, +1), 1);
  EXPECT_EQ(IntervalToShow({0xFFFFFF00u, 0x100u}, 0x10u, -1), 0);
}

}  // namespace
}  // namespace view
