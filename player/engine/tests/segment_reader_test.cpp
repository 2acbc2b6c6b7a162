#include "segment_reader.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "backup_walk.h"

namespace engine {
namespace {

struct Host : ReaderHost {
  void ShowPosition(uint32_t position, uint32_t span) override {
    positions.push_back(position);
    EXPECT_LE(position, span);
  }
  bool KeepSearching() override { return keep_searching; }
  void PrepareSeek() override { ++seeks; }
  void SleepMs(int) override {}
  bool keep_searching = true;
  std::vector<uint32_t> positions;
  int seeks = 0;
};

// A fixture read through the readers; frames land in real queues.
struct Reading {
  // `zeros`: bytes of zeros after the fixture's own, as a preallocating copy has.
  explicit Reading(const char* fixture, size_t zeros = 0)
      : file(WithZeros(testsupport::ReadWholeFile(std::string(FIXTURE_DIR) + "/" + fixture), zeros)),
        source(file.data(), static_cast<uint32_t>(file.size())),
        reader(video, audio, sets, host) {
    EXPECT_TRUE(backup::ProbeSource(source, info));
    source.Seek(0, backup::kFromStart);
    reader.Start(&source, info);
  }

  // The picture numbers (timestamp / ticks per picture) of the queued video frames.
  std::vector<int> Pictures(uint32_t ticks = 3600) {
    std::vector<int> out;
    backup::FrameRecord r;
    std::vector<uint8_t> data(1 << 20);
    while (video.Pop(&r, data.data())) out.push_back(static_cast<int>(r.timestamp / ticks));
    audio.Empty();
    return out;
  }

  static testsupport::Bytes WithZeros(testsupport::Bytes bytes, size_t zeros) {
    bytes.resize(bytes.size() + zeros, 0);
    return bytes;
  }

  testsupport::Bytes file;
  backup::MemorySource source;
  backup::RecordingInfo info;
  PacketQueue video, audio;
  SharedParameterSets sets;
  Host host;
  SegmentReader reader;
};

std::vector<int> Range(int from, int to) {
  std::vector<int> v;
  for (int i = from; i < to; ++i) v.push_back(i);
  return v;
}

TEST(SegmentReader, FirstThenForwardReadsEverySegmentThenFails) {
  auto r = std::make_unique<Reading>("cams4_25fps.am4");
  ASSERT_TRUE(r->reader.Read(ReaderKind::kFirst));
  EXPECT_EQ(r->Pictures(), Range(0, 5));
  for (int segment = 1; segment < 50; ++segment) {
    ASSERT_TRUE(r->reader.Read(ReaderKind::kForward)) << segment;
    EXPECT_EQ(r->Pictures(), Range(segment * 5, segment * 5 + 5));
  }
  EXPECT_FALSE(r->reader.Read(ReaderKind::kForward)) << "no header after the last";
}

TEST(SegmentReader, LastThenReverseReadsBackToTheStartThenFails) {
  auto r = std::make_unique<Reading>("cams4_25fps.am4");
  ASSERT_TRUE(r->reader.Read(ReaderKind::kLast));
  EXPECT_EQ(r->Pictures(), Range(240, 245)) << "the segment before the last header";
  for (int segment = 47; segment >= 0; --segment) {
    ASSERT_TRUE(r->reader.Read(ReaderKind::kReverse)) << segment;
    EXPECT_EQ(r->Pictures(), Range(segment * 5, segment * 5 + 5));
  }
  EXPECT_FALSE(r->reader.Read(ReaderKind::kReverse)) << "the first segment links to itself";
}

TEST(SegmentReader, ZerosAfterTheRecordingAreNotSearchedForTheLastAndAStopEndsASearch) {
  auto r = std::make_unique<Reading>("cams4_25fps.am4", 8 << 20);
  ASSERT_TRUE(r->reader.Read(ReaderKind::kLast));
  EXPECT_EQ(r->Pictures(), Range(240, 245));
  EXPECT_LT(r->host.positions.size(), (8u << 20) / 512) << "the search starts below the last header";

  // Play from there runs into the zeros; a stopping worker ends the search at once.
  ASSERT_TRUE(r->reader.Read(ReaderKind::kForward));
  EXPECT_EQ(r->Pictures(), Range(245, 250));
  r->host.keep_searching = false;
  r->host.positions.clear();
  EXPECT_FALSE(r->reader.Read(ReaderKind::kForward));
  EXPECT_EQ(r->host.positions.size(), 1u);
}

TEST(SegmentReader, SeekReadsTheSegmentAtOrAfterForwardsAndAtOrBeforeBackwards) {
  auto r = std::make_unique<Reading>("cams4_25fps.am4");
  const auto segments = testsupport::WalkSegments(r->file);
  r->reader.RequestSeek(0.5);
  const uint32_t target = SeekTarget(r->info, 0.5);
  ASSERT_TRUE(r->reader.Read(ReaderKind::kForward));
  EXPECT_EQ(r->host.seeks, 1);
  EXPECT_FALSE(r->reader.SeekPending());
  size_t after = 0;
  while (segments[after].offset < target) ++after;
  EXPECT_EQ(r->Pictures()[0], static_cast<int>(after) * 5);

  r->reader.RequestSeek(0.5);
  ASSERT_TRUE(r->reader.Read(ReaderKind::kReverse));
  EXPECT_EQ(r->Pictures()[0], static_cast<int>(after - 1) * 5);
}

TEST(SegmentReader, SeekTargetsStayInsideTheSpan) {
  auto r = std::make_unique<Reading>("filler_truncated.am4");
  const backup::RecordingInfo& info = r->info;
  const struct {
    double fraction;
    uint32_t target;
  } cases[] = {{-3, info.first_header_offset}, {0, info.first_header_offset},
               {1, info.last_header_offset}, {7, info.last_header_offset},
               {0.5, (info.first_header_offset + info.SpanLength() / 2) / 512 * 512}};
  for (const auto& c : cases) EXPECT_EQ(SeekTarget(info, c.fraction), c.target) << c.fraction;
}

TEST(SegmentReader, PositionsBeforeTheFirstHeaderShowAsZero) {
  auto r = std::make_unique<Reading>("filler_truncated.am4");
  ASSERT_TRUE(r->reader.Read(ReaderKind::kFirst));
  ASSERT_FALSE(r->host.positions.empty());
  EXPECT_EQ(r->host.positions.front(), 0u) << "filler sectors";
  EXPECT_EQ(r->host.positions.back(), 0u) << "the first header";
}

TEST(SegmentReader, OneSegmentFileReadsForwardsAndStops) {
  auto r = std::make_unique<Reading>("cams4_25fps.am4");
  // Keep only the first segment and one sector after it.
  const auto segments = testsupport::WalkSegments(r->file);
  testsupport::Bytes one(r->file.begin(), r->file.begin() + segments[1].offset + 512);
  std::fill(one.end() - 512, one.end(), 0);
  backup::MemorySource source(one.data(), static_cast<uint32_t>(one.size()));
  backup::RecordingInfo info;
  ASSERT_TRUE(backup::ProbeSource(source, info));
  EXPECT_EQ(info.SpanLength(), 0u);
  r->reader.Start(&source, info);
  ASSERT_TRUE(r->reader.Read(ReaderKind::kFirst));
  EXPECT_EQ(r->Pictures(), Range(0, 5));
  EXPECT_FALSE(r->reader.Read(ReaderKind::kForward));
  EXPECT_FALSE(r->reader.Read(ReaderKind::kLast)) << "no segment ends inside a span of 0";
  for (uint32_t p : r->host.positions) EXPECT_EQ(p, 0u);
}

using testsupport::kHeaderDataSectorsAt;
using testsupport::kHeaderPayloadLengthAt;
using testsupport::kHeaderPreviousAt;

struct Damage {
  const char* what;
  int segment, at;
  uint32_t value;  // kOwnPlus: the segment's own sector number + 10
};
constexpr uint32_t kOwnPlus = 0xDEAD;

TEST(SegmentReader, DamagedHeadersNeverTurnForwardReadingBackOrReverseReadingForward) {
  const Damage damages[] = {
      {"data sectors wrapping to the header itself", 1, kHeaderDataSectorsAt, 0x7FFFFF},
      {"data sectors past 4 GiB", 1, kHeaderDataSectorsAt, 0xFFFFFFFF},
      {"no data sectors", 1, kHeaderDataSectorsAt, 0},
      {"payload over 1 MiB", 3, kHeaderPayloadLengthAt, 0x200000},
      {"payload past the end", 3, kHeaderPayloadLengthAt, 0xFFFFFFF0},
      {"previous link pointing forward", 40, kHeaderPreviousAt, kOwnPlus},
      {"previous link to the header itself", 40, kHeaderPreviousAt, 0},
  };
  for (const Damage& d : damages) {
    SCOPED_TRACE(d.what);
    auto r = std::make_unique<Reading>("cams4_25fps.am4");
    const auto segments = testsupport::WalkSegments(r->file);
    const auto& seg = segments[d.segment];
    const uint32_t value = d.value == kOwnPlus ? seg.own + 10 : d.value == 0 && d.at == kHeaderPreviousAt ? seg.own : d.value;
    testsupport::PutLE32(r->file, seg.offset + d.at, value);

    int reads = 0;
    uint32_t last = 0;
    for (bool ok = r->reader.Read(ReaderKind::kFirst); ok && reads < 100; ok = r->reader.Read(ReaderKind::kForward), ++reads) {
      if (reads > 0) EXPECT_GT(r->reader.Current(), last) << "read " << reads;
      last = r->reader.Current();
      r->Pictures();
    }
    EXPECT_LE(reads, 50) << "forward reading ends";
    reads = 0;
    for (bool ok = r->reader.Read(ReaderKind::kLast); ok && reads < 100; ok = r->reader.Read(ReaderKind::kReverse), ++reads) {
      if (reads > 0) EXPECT_LT(r->reader.Current(), last) << "read " << reads;
      last = r->reader.Current();
      r->Pictures();
    }
    EXPECT_LE(reads, 49) << "reverse reading ends";
  }
}

TEST(SegmentReader, ASegmentWithoutParameterSetsOrCutShortFails) {
  auto r = std::make_unique<Reading>("cams4_25fps.am4");
  const auto segments = testsupport::WalkSegments(r->file);
  r->file[segments[2].offset + backup::kParameterAreaLengthAt] = 0;
  ASSERT_TRUE(r->reader.Read(ReaderKind::kFirst));
  ASSERT_TRUE(r->reader.Read(ReaderKind::kForward));
  EXPECT_FALSE(r->reader.Read(ReaderKind::kForward)) << "no parameter sets";

  auto cut = std::make_unique<Reading>("cams4_25fps.am4");
  cut->source = backup::MemorySource(cut->file.data(), static_cast<uint32_t>(segments[5].offset + 1024));
  cut->reader.Start(&cut->source, cut->info);
  ASSERT_TRUE(cut->reader.Read(ReaderKind::kFirst));
  for (int i = 1; i < 5; ++i) ASSERT_TRUE(cut->reader.Read(ReaderKind::kForward));
  EXPECT_FALSE(cut->reader.Read(ReaderKind::kForward)) << "payload cut short";
}

TEST(SegmentReader, AFullVideoQueueDropsTheRestAndAFullAudioQueueIsRefilled) {
  backup::FrameRecord record{};
  const std::vector<uint8_t> filler(PacketQueue::kCapacity - 40 - 50);  // 50 bytes left
  auto video = std::make_unique<Reading>("cams4_25fps.am4");
  ASSERT_TRUE(video->video.Push(&record, filler.data(), static_cast<uint32_t>(filler.size())));
  ASSERT_TRUE(video->reader.Read(ReaderKind::kFirst)) << "a full queue is not a failed read";
  EXPECT_EQ(video->video.EntryCount(), 0u) << "emptied, the rest of the segment dropped";

  auto audio = std::make_unique<Reading>("cams4_25fps.am4");
  ASSERT_TRUE(audio->audio.Push(&record, filler.data(), static_cast<uint32_t>(filler.size())));
  ASSERT_TRUE(audio->reader.Read(ReaderKind::kFirst));
  EXPECT_EQ(audio->video.EntryCount(), 5u) << "the video goes on";
  backup::FrameRecord first;
  std::vector<uint8_t> data(PacketQueue::kCapacity);
  ASSERT_TRUE(audio->audio.Pop(&first, data.data()));
  EXPECT_NE(first.data_length, filler.size()) << "the stale sound went first";
}

TEST(SegmentReader, GroupPlansQueueOneGroupOrTheGroupsLastFirst) {
  // Three groups of five in each segment.
  const struct {
    ReaderKind kind;
    GroupPlan plan;
    std::vector<int> pictures;
  } cases[] = {
      {ReaderKind::kFirst, GroupPlan::kAll, Range(0, 15)},
      {ReaderKind::kFirst, GroupPlan::kFirstOnly, Range(0, 5)},
      {ReaderKind::kFirst, GroupPlan::kLastOnly, Range(10, 15)},
      {ReaderKind::kLast, GroupPlan::kLastFirst, {40, 41, 42, 43, 44, 35, 36, 37, 38, 39, 30, 31, 32, 33, 34}},
  };
  for (const auto& c : cases) {
    auto r = std::make_unique<Reading>("multi_group.am4");
    ASSERT_TRUE(r->reader.Read(c.kind, c.plan));
    EXPECT_EQ(r->Pictures(), c.pictures);
  }
}

TEST(SegmentReader, StepsQueueTheTargetsGroupUpToItFromAnywhereAndStopAtTheEnds) {
  constexpr uint32_t kTicks = 3600;  // a picture at 25 pictures/s
  const struct {
    const char* fixture;
    int shown, direction;
    std::vector<int> pictures;  // empty: the step fails
  } cases[] = {
      {"cams4_25fps.am4", 0, +1, {0, 1}},
      {"cams4_25fps.am4", 4, +1, {5}},                 // into the next segment
      {"cams4_25fps.am4", 5, -1, Range(0, 5)},         // a key picture: the previous segment's last
      {"cams4_25fps.am4", 123, -1, Range(120, 123)},   // walks on from the segment read last
      {"cams4_25fps.am4", 248, +1, Range(245, 250)},
      {"cams4_25fps.am4", 0, -1, {}},                  // the first picture
      {"cams4_25fps.am4", 249, +1, {}},                // the last picture
      {"cams4_25fps.am4", 900, -1, {}},                // not a picture of the file
      {"multi_group.am4", 7, -1, Range(5, 7)},         // groups inside a segment
      {"multi_group.am4", 10, -1, Range(5, 10)},
      {"multi_group.am4", 14, +1, {15}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.fixture) + " " + std::to_string(c.shown) + " " + std::to_string(c.direction));
    auto r = std::make_unique<Reading>(c.fixture);
    ASSERT_TRUE(r->reader.Read(ReaderKind::kFirst));
    r->Pictures();
    EXPECT_EQ(r->reader.ReadStep(c.shown * kTicks, c.direction), !c.pictures.empty());
    EXPECT_EQ(r->Pictures(), c.pictures);
  }
}

TEST(SegmentReader, APictureOfAGivenSegmentIsQueuedFromItsGroupsKeyPictureAndReadingGoesOnFromThere) {
  constexpr uint32_t kTicks = 3600;
  const struct {
    const char* fixture;
    int segment, picture;
    std::vector<int> pictures;  // empty: nothing is queued
  } cases[] = {
      {"cams4_25fps.am4", 24, 123, Range(120, 124)},
      {"cams4_25fps.am4", 0, 0, {0}},
      {"multi_group.am4", 0, 12, Range(10, 13)},  // a later group of the segment
      {"cams4_25fps.am4", 24, 131, {}},           // not in that segment
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.fixture) + " " + std::to_string(c.picture));
    auto r = std::make_unique<Reading>(c.fixture);
    const auto segments = testsupport::WalkSegments(r->file);
    ASSERT_TRUE(r->reader.Read(ReaderKind::kFirst));
    r->Pictures();
    EXPECT_EQ(r->reader.ReadPicture(segments[c.segment].offset, c.picture * kTicks), !c.pictures.empty());
    EXPECT_EQ(r->Pictures(), c.pictures);
  }
  auto r = std::make_unique<Reading>("cams4_25fps.am4");
  ASSERT_TRUE(r->reader.ReadPicture(testsupport::WalkSegments(r->file)[30].offset, 152 * kTicks));
  r->Pictures();
  ASSERT_TRUE(r->reader.Read(ReaderKind::kForward));
  EXPECT_EQ(r->Pictures(), Range(150, 155)) << "reading goes on from the picture's segment";
}

TEST(SegmentReader, AfterAStepReadingGoesOnFromTheTargetsSegment) {
  auto r = std::make_unique<Reading>("cams4_25fps.am4");
  ASSERT_TRUE(r->reader.Read(ReaderKind::kFirst));
  r->Pictures();
  ASSERT_TRUE(r->reader.ReadStep(62 * 3600, +1));
  r->Pictures();
  ASSERT_TRUE(r->reader.Read(ReaderKind::kForward));
  EXPECT_EQ(r->Pictures(), Range(60, 65));
  ASSERT_TRUE(r->reader.Read(ReaderKind::kForward));
  EXPECT_EQ(r->Pictures(), Range(65, 70));
  ASSERT_TRUE(r->reader.ReadStep(66 * 3600, -1));
  r->Pictures();
  ASSERT_TRUE(r->reader.Read(ReaderKind::kReverse));
  EXPECT_EQ(r->Pictures(), Range(65, 70));
  ASSERT_TRUE(r->reader.Read(ReaderKind::kReverse));
  EXPECT_EQ(r->Pictures(), Range(60, 65));
}

TEST(SegmentReader, PlayGoesOnFromThePictureShownEitherWay) {
  constexpr uint32_t kTicks = 3600;
  const struct {
    const char* fixture;
    int shown, direction;
    std::vector<int> queued;  // by the resume
    int skip;                 // pictures the display drops
    std::vector<int> next;    // the read after it, the same way; empty: it fails
  } cases[] = {
      {"multi_group.am4", 0, +1, Range(0, 15), 1, Range(15, 30)},
      {"multi_group.am4", 7, +1, Range(5, 15), 3, Range(15, 30)},  // decoded from its group's key picture
      {"multi_group.am4", 14, +1, {10, 11, 12, 13, 14}, 5, Range(15, 30)},
      {"multi_group.am4", 7, -1, {5, 6, 0, 1, 2, 3, 4}, 0, {}},  // the groups before it, last first
      {"multi_group.am4", 20, -1, Range(15, 20), 0, Range(0, 15)},
      {"cams4_25fps.am4", 123, +1, Range(120, 125), 4, Range(125, 130)},
      {"cams4_25fps.am4", 249, +1, Range(245, 250), 5, {}},
      {"cams4_25fps.am4", 0, -1, {}, 0, {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.fixture) + " " + std::to_string(c.shown) + " " + std::to_string(c.direction));
    auto r = std::make_unique<Reading>(c.fixture);
    ASSERT_TRUE(r->reader.Read(ReaderKind::kFirst));
    r->Pictures();
    int skip = -1;
    ASSERT_TRUE(r->reader.ReadResume(c.shown * kTicks, c.direction, skip));
    EXPECT_EQ(r->Pictures(), c.queued);
    EXPECT_EQ(skip, c.skip);
    EXPECT_EQ(r->reader.Read(c.direction > 0 ? ReaderKind::kForward : ReaderKind::kReverse), !c.next.empty());
    EXPECT_EQ(r->Pictures(), c.next);
  }
  // Play read past the last segment: the walk starts from the segment before.
  auto r = std::make_unique<Reading>("cams4_25fps.am4");
  ASSERT_TRUE(r->reader.Read(ReaderKind::kFirst));
  while (r->reader.Read(ReaderKind::kForward)) r->Pictures();
  int skip = -1;
  ASSERT_TRUE(r->reader.ReadResume(247 * kTicks, -1, skip));
  EXPECT_EQ(r->Pictures(), (std::vector<int>{245, 246}));
  ASSERT_TRUE(r->reader.Read(ReaderKind::kReverse));
  EXPECT_EQ(r->Pictures(), Range(240, 245));
  // A picture not in the file: nothing queued, and reading goes on as before.
  r = std::make_unique<Reading>("cams4_25fps.am4");
  ASSERT_TRUE(r->reader.Read(ReaderKind::kFirst));
  r->Pictures();
  EXPECT_FALSE(r->reader.ReadResume(900 * kTicks, +1, skip));
  EXPECT_EQ(skip, 0);
  EXPECT_TRUE(r->Pictures().empty());
  ASSERT_TRUE(r->reader.Read(ReaderKind::kForward));
  EXPECT_EQ(r->Pictures(), Range(5, 10));
}

}  // namespace
}  // namespace engine
