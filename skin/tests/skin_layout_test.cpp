// The player data set's layout: every control inside the panel it belongs
// to, no two controls of a panel overlapping, the slider's parts nested as
// the slider drawing needs them.
#include <gtest/gtest.h>

#include <vector>

#include "skin_table.h"

namespace {

using skin::Rect;

Rect R(uint16_t id) {
  std::optional<Rect> r = skin::FindRect(skin::kPlayerSkin, id);
  EXPECT_TRUE(r.has_value()) << id;
  return r.value_or(Rect{});
}

bool Inside(const Rect& inner, const Rect& outer) {
  return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
         inner.bottom <= outer.bottom;
}

bool Overlap(const Rect& a, const Rect& b) {
  return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}

void ExpectLaidOut(const std::vector<uint16_t>& ids, Rect area) {
  for (size_t i = 0; i < ids.size(); ++i) {
    EXPECT_TRUE(Inside(R(ids[i]), area)) << ids[i];
    for (size_t j = i + 1; j < ids.size(); ++j) EXPECT_FALSE(Overlap(R(ids[i]), R(ids[j]))) << ids[i] << " " << ids[j];
  }
}

TEST(PlayerLayout, ControlsOfThePlayerWindow) {
  // 63 holds the texts 64-75 and 39 the slider, so they stand for them here.
  ExpectLaidOut({1, 2, 3, 4, 5, 6, 7, 8, 9, 11, 12, 13, 14, 15, 16, 29, 30, 33, 34, 35, 36, 39, 41, 42, 43, 44, 45,
                 46, 47, 58, 59, 60, 61, 63, 519},
                R(0));
  for (uint16_t id : {64, 65, 66, 67, 68, 69, 73, 74, 75}) EXPECT_TRUE(Inside(R(id), R(63))) << id;
}

TEST(PlayerLayout, PanelsOfTheTwoDialogs) {
  Rect edit = R(256), avi = R(512);
  EXPECT_TRUE(Inside(edit, R(0)));
  EXPECT_TRUE(Inside(avi, R(0)));
  ExpectLaidOut({257, 258, 259, 260, 261, 262, 263, 264, 265, 266, 267, 268}, {0, 0, edit.width(), edit.height()});
  ExpectLaidOut({513, 514, 516, 517, 518}, {0, 0, avi.width(), avi.height()});
}

TEST(PlayerLayout, SliderPartsNest) {
  Rect thumb = R(37), track = R(38), bar = R(39), fill = R(40);
  // The thumb travels the whole track and stays inside the bar that is redrawn under it.
  EXPECT_TRUE(Inside(track, bar));
  EXPECT_TRUE(Inside(fill, track));
  EXPECT_EQ(thumb.left, track.left);
  EXPECT_EQ(thumb.top, bar.top);
  EXPECT_EQ(thumb.bottom, bar.bottom);
}

TEST(PlayerLayout, ClockGlyphPositions) {
  // hh:mm:ss from the left of the 84 x 12 clock, then the spare 18-wide place.
  const int widths[] = {9, 9, 6, 9, 9, 6, 9, 9, 18};
  int x = 0;
  for (int i = 0; i < 9; ++i) {
    Rect r = R(uint16_t(49 + i));
    EXPECT_EQ(r, (Rect{x, 0, x + widths[i], 12})) << 49 + i;
    x += widths[i];
  }
  EXPECT_EQ(x, 84);
}

}  // namespace
