#include "am4_writer.h"

#include <gtest/gtest.h>

#include <array>
#include <cstring>

#include "backup_walk.h"

namespace am4write {
namespace {

using testsupport::WalkSegments;

// A stream of `count` tiny pictures with a key frame every `group`.
ElementaryStream Stream(int count, int group) {
  ElementaryStream es{{0x67, 0x42, 0xC0, 0x1E}, {0x68, 0xCE}, {}};
  for (int i = 0; i < count; ++i) {
    const bool key = i % group == 0;
    es.pictures.push_back({key, {{static_cast<uint8_t>(key ? 0x65 : 0x41), 0x88, static_cast<uint8_t>(i)}}});
  }
  return es;
}

uint32_t LE32(const Bytes& b, size_t at) {
  return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | static_cast<uint32_t>(b[at + 3]) << 24;
}

TEST(Am4Writer, LaysOutOneSegmentPerGroupWithLinkedHeaders) {
  WriterOptions o;
  o.start = {2026, 3, 14, 9, 26, 59};
  Bytes audio(32000 * 3, 0xFF);  // three seconds of silence
  Bytes file;
  std::string error;
  ASSERT_TRUE(WriteBackupFile(o, Stream(50, 10), audio, file, error)) << error;

  ASSERT_EQ(std::memcmp(file.data(), "rvdx", 4), 0);
  EXPECT_EQ(LE32(file, 16), 1000000u);  // own sector number of offset 0
  EXPECT_EQ(LE32(file, 48), 13u);       // format code
  EXPECT_EQ(LE32(file, 52), 25u);       // frame rate

  const auto segments = WalkSegments(file);
  ASSERT_EQ(segments.size(), 5u);
  for (size_t s = 0; s < segments.size(); ++s) {
    const auto& seg = segments[s];
    SCOPED_TRACE(s);
    EXPECT_EQ(seg.own, 1000000 + seg.offset / 512);
    EXPECT_EQ(seg.next, seg.own + 1 + seg.data_sectors);
    EXPECT_EQ(seg.previous, s == 0 ? seg.own : segments[s - 1].own);
    EXPECT_LE(seg.payload_length, seg.data_sectors * 512);
    EXPECT_GT(seg.payload_length, (seg.data_sectors - 1) * 512);
    // Pictures 10s .. 10s+9: the header carries the second of its first picture.
    const int second_of_day = 9 * 3600 + 26 * 60 + 59 + static_cast<int>(s) * 10 / 25;
    EXPECT_EQ(seg.hour * 3600 + seg.minute * 60 + seg.second, second_of_day);

    ASSERT_EQ(seg.parameters.size(), 1u);
    EXPECT_EQ(seg.parameters[0].flags, 1u);
    EXPECT_EQ(seg.parameters[0].stream_type, 2);
    EXPECT_EQ(testsupport::ToAnnexB(seg.parameters[0].payload),
              (Bytes{0, 0, 0, 1, 0x67, 0x42, 0xC0, 0x1E, 0, 0, 0, 1, 0x68, 0xCE}));

    int pictures = 0;
    uint32_t last_time = 0;
    for (const auto& box : seg.boxes) {
      EXPECT_EQ(box.flags, 1u);
      EXPECT_GE(box.timestamp, last_time);
      last_time = box.timestamp;
      if (box.stream_type == 1) {
        EXPECT_EQ(box.payload.size(), 1152u);
        EXPECT_EQ(box.timestamp % 3240, 0u);
        continue;
      }
      ASSERT_EQ(box.stream_type, 2);
      const int index = static_cast<int>(s) * 10 + pictures++;
      EXPECT_EQ(box.sample_flags, index % 10 == 0 ? 4u : 0u);
      EXPECT_EQ(box.timestamp, index * 3600u);
      EXPECT_EQ(box.payload, (Bytes{0, 0, 0, 3, static_cast<uint8_t>(index % 10 ? 0x41 : 0x65), 0x88,
                                    static_cast<uint8_t>(index)}));
    }
    EXPECT_EQ(pictures, 10);
  }
  // 2 s of video keeps the boxes that start before 180,000 ticks: 0 .. 55.
  size_t audio_boxes = 0;
  for (const auto& seg : segments)
    for (const auto& box : seg.boxes) audio_boxes += box.stream_type == 1;
  EXPECT_EQ(audio_boxes, 56u);
}

TEST(Am4Writer, PreviousHeaderOffsetFollowsFromSectorNumbers) {
  Bytes file;
  std::string error;
  ASSERT_TRUE(WriteBackupFile({}, Stream(30, 5), {}, file, error)) << error;
  const auto segments = WalkSegments(file);
  ASSERT_EQ(segments.size(), 6u);
  for (size_t s = 1; s < segments.size(); ++s) {
    const auto& seg = segments[s];
    EXPECT_EQ(seg.offset + static_cast<int32_t>(seg.previous - seg.own) * 512, segments[s - 1].offset);
    EXPECT_EQ(segments[s - 1].offset + (segments[s - 1].next - segments[s - 1].own) * 512, seg.offset);
  }
}

TEST(Am4Writer, RefusesStreamsTheRecorderCannotHaveWritten) {
  struct Case {
    const char* what;
    ElementaryStream stream;
    int fps;
  };
  ElementaryStream no_key_first = Stream(10, 5);
  no_key_first.pictures[0].key = false;
  ElementaryStream no_sps = Stream(10, 5);
  no_sps.sps.clear();
  const Case cases[] = {
      {"group of 11 pictures", Stream(22, 11), 25},
      {"first picture not a key frame", no_key_first, 25},
      {"no parameter sets", no_sps, 25},
      {"no pictures", Stream(0, 5), 25},
      {"frame rate 0", Stream(10, 5), 0},
  };
  for (const Case& c : cases) {
    WriterOptions o;
    o.fps = c.fps;
    Bytes file;
    std::string error;
    EXPECT_FALSE(WriteBackupFile(o, c.stream, {}, file, error)) << c.what;
    EXPECT_FALSE(error.empty()) << c.what;
  }
}

TEST(Am4Writer, FillerMarkerSeveralGroupsAndTruncation) {
  WriterOptions o;
  o.filler_sectors = 3;
  o.marker = Marker::kRVDE;
  o.groups_per_segment = 2;
  o.truncate_last = true;
  Bytes file;
  std::string error;
  ASSERT_TRUE(WriteBackupFile(o, Stream(40, 5), Bytes(32000 * 2, 0xFF), file, error)) << error;

  for (int s = 0; s < 3; ++s) {
    const uint8_t* p = &file[s * 512];
    EXPECT_NE(p[0], 0xFA);
    EXPECT_NE(p[0], 0xFB);
    EXPECT_NE(p[0], 'R');
    EXPECT_NE(p[0], 'r');
  }
  EXPECT_EQ(std::memcmp(&file[3 * 512], "RVDE", 4), 0);

  const auto segments = WalkSegments(file);
  ASSERT_EQ(segments.size(), 3u);  // the fourth is cut short
  EXPECT_EQ(segments[0].offset, 4u * 512);
  EXPECT_EQ(segments[0].own, 1000004u);
  int keys = 0;
  for (const auto& box : segments[0].boxes) keys += box.stream_type == 2 && (box.sample_flags & 4);
  EXPECT_EQ(keys, 2);

  const uint64_t last = segments.back().offset + 512 + segments.back().data_sectors * 512ull;
  ASSERT_EQ(std::memcmp(&file[last], "rvdx", 4), 0);
  EXPECT_LT(file.size() - last - 512, LE32(file, last + 32) * 512ull);
}

TEST(Am4Writer, HeaderTimesCrossDayYearAndLeapDay) {
  struct Case {
    backup::CaptureTime start;
    int64_t seconds;
    backup::CaptureTime expected;
  };
  const Case cases[] = {
      {{2006, 12, 31, 23, 59, 58}, 3, {2007, 1, 1, 0, 0, 1}},
      {{2024, 2, 28, 23, 59, 59}, 1, {2024, 2, 29, 0, 0, 0}},
      {{2023, 2, 28, 23, 59, 59}, 1, {2023, 3, 1, 0, 0, 0}},
      {{2026, 3, 14, 9, 26, 55}, 3600, {2026, 3, 14, 10, 26, 55}},
  };
  for (const Case& c : cases) {
    const backup::CaptureTime t = backup::AddSeconds(c.start, c.seconds);
    EXPECT_EQ((std::array{t.year, t.month, t.day, t.hour, t.minute, t.second}),
              (std::array{c.expected.year, c.expected.month, c.expected.day, c.expected.hour,
                          c.expected.minute, c.expected.second}));
  }
}

TEST(AnnexB, GroupsSlicesIntoPicturesAndKeepsFirstParameterSets) {
  const Bytes stream = {
      0, 0, 0, 1, 0x09, 0xF0,              // delimiter: dropped
      0, 0, 0, 1, 0x67, 0x42, 0x00,        // SPS (trailing zero byte belongs to the next start code)
      0, 0, 1, 0x68, 0xCE,                 // PPS behind a 3-byte start code
      0, 0, 0, 1, 0x06, 0x05, 0x01,        // SEI: dropped
      0, 0, 0, 1, 0x65, 0x88, 0x01,        // IDR, first slice
      0, 0, 0, 1, 0x65, 0x44, 0x02,        // IDR, second slice of the same picture
      0, 0, 0, 1, 0x67, 0x42, 0x11,        // repeated SPS: ignored
      0, 0, 0, 1, 0x41, 0x9A, 0x03,        // P picture
  };
  const ElementaryStream es = ParseElementaryStream(stream);
  EXPECT_EQ(es.sps, (Bytes{0x67, 0x42}));
  EXPECT_EQ(es.pps, (Bytes{0x68, 0xCE}));
  ASSERT_EQ(es.pictures.size(), 2u);
  EXPECT_TRUE(es.pictures[0].key);
  EXPECT_EQ(es.pictures[0].nals.size(), 2u);
  EXPECT_FALSE(es.pictures[1].key);
  EXPECT_EQ(es.pictures[1].nals[0], (Bytes{0x41, 0x9A, 0x03}));
}

}  // namespace
}  // namespace am4write
