// The picture size read from the sequence parameter set in front of a key
// frame, cropping included, in baseline and high profile.
#include <gtest/gtest.h>

#include "decoder_fixture.h"
#include "sps_size.h"

namespace {

using framix::PictureSize;

std::optional<PictureSize> SizeOf(const testsupport::Bytes& unit) { return framix::SequenceSize(unit.data(), unit.size()); }

TEST(SequenceSize, IsThePicturesOwnSize) {
  struct Case {
    std::string file;
    PictureSize size;
  } cases[] = {
      {FIXTURE_DIR "/cams4_25fps.am4", {720, 576}},
      {FIXTURE_DIR "/cams4_30fps_480.am4", {720, 480}},
      {DATA_DIR "/key_1024x400.h264", {1024, 400}},
      {DATA_DIR "/key_720x600.h264", {720, 600}},         // 608 rows coded, 8 cropped
      {DATA_DIR "/key_high_350x202.h264", {350, 202}},    // high profile, cropped both ways
  };
  for (const Case& c : cases) {
    const testsupport::Bytes unit = c.file.ends_with(".am4") ? framixtest::FixtureFrames(c.file).at(0).bytes
                                                             : testsupport::ReadWholeFile(c.file);
    EXPECT_EQ(SizeOf(unit), c.size) << c.file;
  }
}

TEST(SequenceSize, IsNothingForFramesWithoutOneOrCutShort) {
  const auto frames = framixtest::FixtureFrames(FIXTURE_DIR "/cams4_25fps.am4");
  ASSERT_FALSE(frames[1].key);
  EXPECT_EQ(SizeOf(frames[1].bytes), std::nullopt) << "non-key frame";
  const testsupport::Bytes cut(frames[0].bytes.begin(), frames[0].bytes.begin() + 8);
  EXPECT_EQ(SizeOf(cut), std::nullopt) << "parameter set cut after 4 bytes";
  EXPECT_EQ(SizeOf({}), std::nullopt);
}

}  // namespace
