// The still's time argument and the picture on show at a time, on the
// committed 25 pictures/s fixture (from 09:26:55).
#include "still_picture.h"

#include <gtest/gtest.h>

#include "backup_walk.h"
#include "byte_source.h"
#include "capture_time.h"
#include "recording.h"

namespace still {
namespace {

TEST(StillPicture, TimesAreReadToTheSecondOrTheMillisecond) {
  const int64_t second = backup::CalendarSeconds({2026, 3, 14, 9, 26, 57}) * 1000;
  struct Case {
    const char* text;
    bool ok;
    int64_t ms;
  } cases[] = {
      {"2026-03-14 09:26:57", true, second},   {"2026-03-14 09:26:57.040", true, second + 40},
      {"2026-03-14 09:26:57.999", true, second + 999}, {"2026-03-14 09:26:57.04", false, 0},
      {"2026-03-14 09:26:57,040", false, 0},   {"2026-03-14 09:26:57.0x0", false, 0},
      {"2026-02-30 09:26:57", false, 0},       {"", false, 0},
  };
  for (const Case& c : cases) {
    int64_t ms = 0;
    EXPECT_EQ(ParseStillTime(c.text, ms), c.ok) << c.text;
    if (c.ok) {
      EXPECT_EQ(ms, c.ms) << c.text;
    }
  }
}

am4export::RecordingIndex FixtureIndex() {
  const testsupport::Bytes bytes = testsupport::ReadWholeFile(std::string(FIXTURE_DIR) + "/cams4_25fps.am4");
  backup::MemorySource source(bytes.data(), static_cast<uint32_t>(bytes.size()));
  backup::RecordingInfo info;
  EXPECT_TRUE(backup::ProbeSource(source, info));
  return am4export::IndexRecording(source, info);
}

TEST(StillPicture, ThePictureAtATimeIsTheOneOnShowThen) {
  const am4export::RecordingIndex index = FixtureIndex();
  ASSERT_EQ(index.pictures.size(), 250u);
  const int64_t start = backup::CalendarSeconds({2026, 3, 14, 9, 26, 55}) * 1000;
  struct Case {
    int64_t ms;
    int64_t picture;
  } cases[] = {
      {0, 0}, {39, 0}, {40, 1}, {1000, 25}, {2079, 51}, {9960, 249}, {9999, 249}, {10000, -1}, {-1, -1},
  };
  for (const Case& c : cases) EXPECT_EQ(PictureAt(index, start + c.ms), c.picture) << c.ms << " ms in";
}

TEST(StillPicture, DecodedPicturesPairWithTheIndexByTimestampAndSkipWhatItLacks) {
  const am4export::RecordingIndex index = FixtureIndex();
  am4export::PictureMatcher matcher(index);
  EXPECT_EQ(matcher.Next(index.pictures[0].timestamp), 0);
  EXPECT_EQ(matcher.Next(index.pictures[1].timestamp), 1);
  EXPECT_EQ(matcher.Next(0xFFFFFFFFu), -1) << "a picture the index does not have";
  EXPECT_EQ(matcher.Next(index.pictures[5].timestamp), 5) << "pairing goes on after it, past pictures not decoded";
  EXPECT_EQ(matcher.Next(index.pictures[1].timestamp), -1) << "never backwards";
}

}  // namespace
}  // namespace still
