#include "recording_frames.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "mark_reader.h"

namespace am4frames {
namespace {

std::wstring Fixture(const char* name) {
  const std::string path = std::string(FIXTURE_DIR) + "/" + name;
  return std::wstring(path.begin(), path.end());
}

struct Seen {
  int index, key, second;
  uint32_t timestamp;
  int width, height;
  std::vector<mark::Mark> marks;
  uint64_t checksum;
};

std::vector<Seen> Decode(const char* fixture, int64_t format = -1) {
  std::vector<Seen> seen;
  const bool ok = DecodeRecording(Fixture(fixture).c_str(), format, [&](int index, const engine::PictureEntry& p) {
    const int width = p.bitmap_info.header.width, height = -p.bitmap_info.header.height;
    Seen s{index, p.key, p.capture_time.hour * 3600 + p.capture_time.minute * 60 + p.capture_time.second,
           p.timestamp, width, height, {}, 0};
    const testsupport::PictureView view{p.pixels, width, height, width * 3, testsupport::PixelFormat::kBgr24};
    for (int camera = 1; camera <= 4; ++camera) s.marks.push_back(testsupport::ReadQuarterMark(view, camera).value_or(mark::Mark{}));
    for (int i = 0; i < width * height * 3; ++i) s.checksum = s.checksum * 31 + p.pixels[i];
    seen.push_back(s);
  });
  EXPECT_TRUE(ok) << fixture;
  return seen;
}

void ExpectPictures(const std::vector<Seen>& seen, int count, int fps, int group, int first_second, int width,
                    int height) {
  ASSERT_EQ(static_cast<int>(seen.size()), count);
  for (int i = 0; i < count; ++i) {
    const Seen& s = seen[i];
    SCOPED_TRACE("picture " + std::to_string(i));
    EXPECT_EQ(s.index, i);
    EXPECT_EQ(s.key, i % group == 0 ? 1 : 0);
    EXPECT_EQ(s.timestamp, static_cast<uint32_t>(i * 90000 / fps));
    EXPECT_EQ(s.second, (first_second + i / fps) % 86400);
    EXPECT_EQ(s.width, width);
    EXPECT_EQ(s.height, height);
    for (int camera = 1; camera <= 4; ++camera) EXPECT_EQ(s.marks[camera - 1], (mark::Mark{camera, i}));
  }
}

TEST(RecordingFrames, SynchronousModeDecodesEveryPictureInOrder) {
  ExpectPictures(Decode("cams4_25fps.am4"), 250, 25, 5, 9 * 3600 + 26 * 60 + 55, 720, 576);
}

TEST(RecordingFrames, CallBackModeStoresTheSamePictures) {
  // Format code 7 sets the decoder up in call-back mode.
  const auto call_back = Decode("cams4_30fps_480.am4");
  ExpectPictures(call_back, 120, 30, 10, 23 * 3600 + 59 * 60 + 58, 720, 480);
  const auto synchronous = Decode("cams4_30fps_480.am4", 13);
  ASSERT_EQ(synchronous.size(), call_back.size());
  for (size_t i = 0; i < call_back.size(); ++i) EXPECT_EQ(synchronous[i].checksum, call_back[i].checksum) << i;
}

TEST(RecordingFrames, RefusesFilesThatAreNotPlayable) {
  int pictures = 0;
  EXPECT_FALSE(DecodeRecording(Fixture("rvde_first.am4").c_str(), -1, [&](int, const auto&) { ++pictures; }));
  EXPECT_FALSE(DecodeRecording(L"C:\\no such file.am4", -1, [&](int, const auto&) { ++pictures; }));
  EXPECT_EQ(pictures, 0);
}

}  // namespace
}  // namespace am4frames
