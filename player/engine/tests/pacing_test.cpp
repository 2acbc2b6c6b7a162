#include "pacing.h"

#include <gtest/gtest.h>

#include <vector>

namespace engine {
namespace {

// Intervals between shown pictures when every picture is ready early and the
// display waits as told.
std::vector<uint32_t> Intervals(uint32_t rate, int pictures) {
  PacingState s;
  std::vector<uint32_t> out;
  uint32_t now = 5000, last = 0;
  for (int i = 0; i < pictures; ++i) {
    const PacingDecision d = Pace(s, now, rate, 0);
    EXPECT_TRUE(d.show);
    if (i > 0) out.push_back(d.show_at - last);
    last = d.show_at;
    now = d.show_at + 2;  // the next picture is ready 2 ms later
  }
  return out;
}

TEST(Pacing, TwentyFivePerSecondIsFortyMillisecondsEach) {
  for (uint32_t v : Intervals(25, 60)) EXPECT_EQ(v, 40u);
}

TEST(Pacing, ThirtyPerSecondTakesExactlyOneSecondPerThirtyPictures) {
  const auto v = Intervals(30, 91);
  ASSERT_EQ(v.size(), 90u);
  for (size_t i = 0; i < v.size(); ++i) EXPECT_EQ(v[i], i % 30 == 0 ? 43u : 33u) << i;
  uint32_t second = 0;
  for (size_t i = 0; i < 30; ++i) second += v[i];
  EXPECT_EQ(second, 1000u);
}

TEST(Pacing, LatePicturesAreSkippedAtDelayZeroAndShownOtherwise) {
  PacingState s;
  ASSERT_TRUE(Pace(s, 1000, 25, 0).show);
  EXPECT_FALSE(Pace(s, 1100, 25, 0).show) << "60 ms late";
  EXPECT_TRUE(Pace(s, 1110, 25, 0).show) << "after a skip the schedule starts again";

  PacingState d;
  ASSERT_TRUE(Pace(d, 1000, 25, 3).show);
  const PacingDecision late = Pace(d, 1200, 25, 3);
  EXPECT_TRUE(late.show);
  EXPECT_LE(late.show_at, 1200u) << "shown at once";
}

TEST(Pacing, AClockThatGoesBackStartsFromThere) {
  PacingState s;
  ASSERT_TRUE(Pace(s, 1000, 25, 0).show);
  const PacingDecision d = Pace(s, 500, 25, 0);
  EXPECT_TRUE(d.show);
  EXPECT_EQ(d.show_at, 540u);
}

}  // namespace
}  // namespace engine
