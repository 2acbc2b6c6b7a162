#include "recording_summary.h"

#include <gtest/gtest.h>

#include <string>

#include "backup_walk.h"

namespace am4info {
namespace {

using testsupport::Bytes;

struct Counted {
  RecordingSummary summary;
  bool probed;
};

Counted Summarize(const Bytes& file) {
  backup::MemorySource source(file.data(), static_cast<uint32_t>(file.size()));
  backup::RecordingInfo info;
  Counted c{{}, backup::ProbeSource(source, info)};
  if (c.probed) c.summary = SummarizeRecording(source, info);
  return c;
}

// What the test walker finds in the segments up to the last complete one.
RecordingSummary Expected(const std::vector<testsupport::WalkedSegment>& segments) {
  RecordingSummary s;
  for (const auto& seg : segments) {
    ++s.segments;
    for (const auto& box : seg.boxes) {
      if (box.stream_type == 2 || box.stream_type == 5) {
        ++s.video_frames;
        s.key_frames += (box.sample_flags & 4) != 0;
      } else if (box.stream_type == 1 || box.stream_type == 6) {
        ++s.audio_frames;
      }
    }
  }
  return s;
}

void ExpectSame(const RecordingSummary& a, const RecordingSummary& b, const std::string& what) {
  EXPECT_EQ(a.segments, b.segments) << what;
  EXPECT_EQ(a.video_frames, b.video_frames) << what;
  EXPECT_EQ(a.key_frames, b.key_frames) << what;
  EXPECT_EQ(a.audio_frames, b.audio_frames) << what;
  EXPECT_EQ(a.bad_segments, b.bad_segments) << what;
}

TEST(RecordingSummary, CountsEveryFixtureAsTheWalkerDoes) {
  for (const char* name : {"cams4_25fps", "cams4_30fps_480", "filler_truncated", "multi_group"}) {
    const Bytes file = testsupport::ReadWholeFile(std::string(FIXTURE_DIR) + "/" + name + ".am4");
    const Counted c = Summarize(file);
    ASSERT_TRUE(c.probed) << name;
    ExpectSame(c.summary, Expected(testsupport::WalkSegments(file)), name);
  }
}

TEST(RecordingSummary, DamagedSegmentsAreCountedBadAndTheWalkGoesOn) {
  Bytes file = testsupport::ReadWholeFile(std::string(FIXTURE_DIR) + "/cams4_25fps.am4");
  const auto segments = testsupport::WalkSegments(file);
  ASSERT_GE(segments.size(), 10u);
  RecordingSummary expected = Expected(segments);

  // Segment 2: parameter box flags no longer exactly 1; its frames are not read.
  const uint64_t s2 = segments[2].offset;
  file[s2 + 512 - file[s2 + 400] + 11] = 3;
  expected.video_frames -= 5, expected.key_frames -= 1;
  for (const auto& box : segments[2].boxes) expected.audio_frames -= box.stream_type == 1;

  // Segment 5: the fourth box's type is damaged; the three boxes before it count.
  uint64_t at = segments[5].offset + 512;
  int video_after = 0, audio_after = 0;
  for (size_t i = 0; i < segments[5].boxes.size(); ++i) {
    const auto& box = segments[5].boxes[i];
    if (i == 3) file[at + 4] = 'Q';
    if (i >= 3) (box.stream_type == 2 ? video_after : audio_after)++;
    at += 24 + box.payload.size();
  }
  expected.video_frames -= video_after, expected.audio_frames -= audio_after;

  // Segment 7: a payload length beyond the 1 MiB buffer.
  const uint64_t s7 = segments[7].offset;
  file[s7 + 36 + 2] = 0x20;  // 2 MiB and a bit
  expected.video_frames -= 5, expected.key_frames -= 1;
  for (const auto& box : segments[7].boxes) expected.audio_frames -= box.stream_type == 1;
  expected.bad_segments = 3;

  const Counted c = Summarize(file);
  ASSERT_TRUE(c.probed);
  ExpectSame(c.summary, expected, "damaged");
}

}  // namespace
}  // namespace am4info
