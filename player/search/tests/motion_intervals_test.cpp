#include "motion_intervals.h"

#include <gtest/gtest.h>

#include <array>

namespace search {
namespace {

TEST(MotionIntervals, EachCameraIsItsQuarterAtTheRecordedSize) {
  struct Case {
    int camera, width, height;
    Region rect;
  } cases[] = {
      {1, 720, 576, {0, 0, 360, 288}},   {2, 720, 576, {360, 0, 360, 288}}, {3, 720, 576, {0, 288, 360, 288}},
      {4, 720, 576, {360, 288, 360, 288}}, {0, 720, 576, {0, 0, 720, 576}},  {4, 704, 480, {352, 240, 352, 240}},
  };
  for (const Case& c : cases) {
    const Region r = CameraQuarter(c.camera, c.width, c.height);
    EXPECT_EQ((std::array{r.x, r.y, r.width, r.height}),
              (std::array{c.rect.x, c.rect.y, c.rect.width, c.rect.height}))
        << "camera " << c.camera << " of " << c.width << " x " << c.height;
  }
}

TEST(RegionBlocks, AreTheBlocksMostlyInsideOrElseThoseTouched) {
  struct Case {
    Region region;
    std::vector<int> blocks;  // of a 4 x 3 grid of 8-pixel blocks
  } cases[] = {
      {{8, 0, 16, 8}, {1, 2}},             // on the grid
      {{4, 4, 16, 8}, {1, 5}},        // half of 1 and 5, a quarter of 0, 2, 4 and 6
      {{3, 3, 10, 10}, {0, 1, 4, 5}},  // under half of each: those touched
      {{10, 10, 2, 2}, {5}},           // smaller than a block
      {{30, 20, 8, 8}, {11}},          // running off the grid
      {{40, 0, 8, 8}, {}},             // beside it
  };
  for (const Case& c : cases)
    EXPECT_EQ(RegionBlocks(c.region, 4, 3), c.blocks) << c.region.x << "," << c.region.y;
}

TEST(HalfRegion, CoversWhatTheRegionCoversAndAtLeastASample) {
  struct Case {
    Region region, half;
  } cases[] = {
      {{160, 112, 96, 96}, {80, 56, 48, 48}},
      {{3, 5, 4, 1}, {1, 2, 3, 1}},  // 3-6 and 5: samples 1-3 and 2
      {{0, 0, 1, 1}, {0, 0, 1, 1}},
  };
  for (const Case& c : cases) {
    const Region half = HalfRegion(c.region);
    EXPECT_EQ((std::vector<int>{half.x, half.y, half.width, half.height}),
              (std::vector<int>{c.half.x, c.half.y, c.half.width, c.half.height}));
  }
}

TEST(MovedShare, CountsTheRegionsBlocksRoundedUp) {
  const std::vector<uint8_t> moved = {1, 0, 0, 1, 1, 0};
  EXPECT_EQ(MovedShare({0, 1, 2}, moved), 34);
  EXPECT_EQ(MovedShare({1, 2}, moved), 0);
  EXPECT_EQ(MovedShare({3, 4}, moved), 100);
  EXPECT_EQ(MovedShare({}, moved), 0);
  EXPECT_EQ(MovedShare({-1, 9}, moved), 0) << "blocks beyond the picture";
}

// Pictures at 25 per second from `first`, with the share that moved in each.
std::vector<MotionInterval> Join(const std::vector<int>& shares, int64_t first_ms = 0) {
  IntervalJoiner joiner;
  std::vector<MotionInterval> out;
  for (size_t n = 0; n < shares.size(); ++n)
    if (auto closed = joiner.Add(n, first_ms + n * 40, shares[n])) out.push_back(*closed);
  if (auto closed = joiner.Finish()) out.push_back(*closed);
  return out;
}

std::vector<int> Shares(int count, std::initializer_list<std::pair<int, int>> moved) {
  std::vector<int> shares(count, 0);
  for (const auto& [picture, share] : moved) shares[picture] = share;
  return shares;
}

TEST(IntervalJoiner, JoinsMotionLessThanASecondApartAndKeepsThePeak) {
  // Motion 0.96 s after the last joins it; 1.04 s after it does not.
  const auto intervals = Join(Shares(80, {{2, 10}, {3, 40}, {27, 5}, {53, 7}, {54, 3}}), 1'000'000);
  ASSERT_EQ(intervals.size(), 2u);
  EXPECT_EQ(intervals[0].first, 2);
  EXPECT_EQ(intervals[0].last, 27);
  EXPECT_EQ(intervals[0].first_ms, 1'000'080);
  EXPECT_EQ(intervals[0].last_ms, 1'001'080);
  EXPECT_EQ(intervals[0].peak, 40);
  EXPECT_EQ(intervals[1].first, 53);
  EXPECT_EQ(intervals[1].last, 54);
  EXPECT_EQ(intervals[1].peak, 7);
}

TEST(IntervalJoiner, ClosesAnIntervalAsSoonAsASecondHasPassed) {
  IntervalJoiner joiner;
  EXPECT_FALSE(joiner.Add(0, 0, 50));
  EXPECT_FALSE(joiner.Add(1, 999, 0));
  const auto closed = joiner.Add(2, 1000, 0);
  ASSERT_TRUE(closed);
  EXPECT_EQ(closed->last, 0);
  EXPECT_FALSE(joiner.Finish());
}

TEST(IntervalJoiner, ATimeGoingBackStartsAnotherInterval) {
  IntervalJoiner joiner;
  joiner.Add(0, 5000, 20);
  const auto closed = joiner.Add(1, 4000, 30);
  ASSERT_TRUE(closed);
  EXPECT_EQ(closed->first, 0);
  EXPECT_EQ(closed->last, 0);
  EXPECT_EQ(joiner.Finish()->first, 1);
}

}  // namespace
}  // namespace search
