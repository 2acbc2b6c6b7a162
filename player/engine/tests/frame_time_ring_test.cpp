#include "frame_time_ring.h"

#include <gtest/gtest.h>

#include <optional>

namespace engine {
namespace {

constexpr backup::CaptureTime kT0 = {2026, 12, 31, 23, 59, 59};

struct Stamper {
  FrameTimeRing ring;
  // Stamps a frame and, when accepted, returns the second its stamp carries.
  std::optional<backup::CaptureTime> Frame(bool key, uint32_t rate = 30, backup::CaptureTime header = kT0) {
    if (!ring.Stamp(header, rate, key, 0)) return std::nullopt;
    FrameTimeEntry e;
    EXPECT_TRUE(ring.Take(e));
    EXPECT_EQ(e.key, key ? 1 : 0);
    return e.time;
  }
};

bool Same(const std::optional<backup::CaptureTime>& a, const backup::CaptureTime& b) {
  return a && a->year == b.year && a->month == b.month && a->day == b.day && a->hour == b.hour &&
         a->minute == b.minute && a->second == b.second;
}

TEST(FrameTimeRing, AKeyFrameTakesAtMostNineNonKeyFramesAfterIt) {
  Stamper s;
  ASSERT_TRUE(s.Frame(true));
  for (int i = 1; i <= 9; ++i) EXPECT_TRUE(s.Frame(false)) << i;
  EXPECT_FALSE(s.Frame(false)) << "the tenth non-key frame";
  EXPECT_FALSE(s.Frame(false)) << "refused until a key frame";
  EXPECT_TRUE(s.Frame(true));
  EXPECT_TRUE(s.Frame(false));
}

TEST(FrameTimeRing, OneSecondIsAddedEveryFramePictures) {
  // Groups of 10 at 4 pictures per second; each header carries the second its
  // first picture falls in, so the second group's key frame does not re-anchor.
  Stamper s;
  const backup::CaptureTime t0 = {2026, 12, 31, 23, 59, 58};
  const backup::CaptureTime seconds[] = {t0, {2026, 12, 31, 23, 59, 59}, {2027, 1, 1, 0, 0, 0}, {2027, 1, 1, 0, 0, 1},
                                 {2027, 1, 1, 0, 0, 2}};
  for (int i = 0; i < 20; ++i) {
    const backup::CaptureTime header = seconds[i / 10 * 10 / 4];
    EXPECT_TRUE(Same(s.Frame(i % 10 == 0, 4, header), seconds[i / 4])) << "picture " << i;
  }
}

TEST(FrameTimeRing, EachStampCountsThePicturesBeforeItInItsSecondFromTheAnchor) {
  // 4 pictures per second, anchored at kT0, re-anchored by picture 6's header.
  FrameTimeRing ring;
  const backup::CaptureTime later = {2027, 1, 1, 0, 0, 5};
  const uint32_t expected[] = {0, 1, 2, 3, 0, 1, 0, 1};
  for (uint32_t i = 0; i < 8; ++i) {
    ASSERT_TRUE(ring.Stamp(i < 6 ? kT0 : later, 4, i == 0 || i == 6, i));
    FrameTimeEntry e;
    ASSERT_TRUE(ring.Take(e));
    EXPECT_EQ(e.in_second, expected[i]) << "picture " << i;
  }
}

TEST(FrameTimeRing, KeyFrameOfAnotherSecondOrRateReanchors) {
  Stamper s;
  ASSERT_TRUE(s.Frame(true));
  ASSERT_TRUE(s.Frame(false));
  const backup::CaptureTime later = {2027, 1, 1, 0, 0, 5};
  EXPECT_TRUE(Same(s.Frame(true, 30, later), later));
  EXPECT_TRUE(Same(s.Frame(false), later)) << "non-key frames keep the anchor's second";
  EXPECT_TRUE(Same(s.Frame(true, 25, later), later));
  EXPECT_FALSE(s.Frame(false, 30, later)) << "a non-key frame of another rate waits for a key frame";
  EXPECT_FALSE(s.Frame(false, 25, later));
}

TEST(FrameTimeRing, TwoKeyFramesInARowAreBothTaken) {
  Stamper s;
  EXPECT_TRUE(s.Frame(true));
  EXPECT_TRUE(s.Frame(true));
  EXPECT_TRUE(s.Frame(false));
}

TEST(FrameTimeRing, ResetRefusesNonKeyFramesUntilTheNextKeyFrame) {
  Stamper s;
  ASSERT_TRUE(s.Frame(true));
  s.ring.Reset();
  EXPECT_FALSE(s.Frame(false));
  EXPECT_TRUE(s.Frame(true));
}

TEST(FrameTimeRing, StampsComeOutOldestFirstAndNotTwice) {
  FrameTimeRing ring;
  ASSERT_TRUE(ring.Stamp(kT0, 25, true, 100));
  ASSERT_TRUE(ring.Stamp(kT0, 25, false, 200));
  FrameTimeEntry e;
  ASSERT_TRUE(ring.Take(e));
  EXPECT_EQ(e.timestamp, 100u);
  ASSERT_TRUE(ring.Take(e));
  EXPECT_EQ(e.timestamp, 200u);
  EXPECT_FALSE(ring.Take(e));
}

}  // namespace
}  // namespace engine
