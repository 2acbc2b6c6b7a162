#include "recording.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "backup_walk.h"
#include "box_builder.h"
#include "seek_cases.h"

namespace backup {
namespace {

using testing::Bytes;

struct SourceOf {
  explicit SourceOf(Bytes b) : bytes(std::move(b)), source(bytes.data(), static_cast<uint32_t>(bytes.size())) {}
  Bytes bytes;
  MemorySource source;
};

int Classify(Bytes file) {
  SourceOf f(std::move(file));
  return ClassifySource(f.source);
}

Bytes Fixture(const char* name) { return testsupport::ReadWholeFile(std::string(FIXTURE_DIR) + "/" + name); }

TEST(MemorySource, SeekAndReadFollowTheFileRules) {
  for (const auto& c : testing::kSeekCases) {
    Bytes data(c.size);
    MemorySource s(data.data(), c.size);
    ASSERT_TRUE(s.Seek(static_cast<int32_t>(c.start), kFromStart));
    EXPECT_EQ(s.Seek(c.distance, c.origin), c.result) << c.distance << " from " << c.origin;
    EXPECT_EQ(s.Position(), c.position) << c.distance << " from " << c.origin;
  }
  Bytes data(1200);
  MemorySource s(data.data(), 1200);
  uint8_t buffer[512];
  ASSERT_TRUE(s.Seek(1000, kFromStart));
  EXPECT_EQ(s.Read(512, buffer), 200u);
  EXPECT_EQ(s.Position(), 1200u);
  EXPECT_EQ(s.Read(512, buffer), 0u);
}

TEST(Recording, KindOfTheFirstMarkedSector) {
  const struct {
    const char* fixture;
    int kind;
  } cases[] = {{"cams4_25fps.am4", 3}, {"filler_truncated.am4", 3}, {"rvde_first.am4", 2}};
  for (const auto& c : cases) {
    EXPECT_EQ(Classify(Fixture(c.fixture)), c.kind) << c.fixture;
  }
  Bytes foreign(4 * 512, 0);
  foreign[512] = 0xFA, foreign[513] = foreign[514] = foreign[515] = 0xFF;
  std::memcpy(&foreign[1024], "rvdx", 4);
  EXPECT_EQ(Classify(foreign), 1) << "FA FF FF FF before a header";
  EXPECT_EQ(Classify(Bytes(3 * 512 + 100, 0)), 0) << "no marker";
  EXPECT_EQ(Classify(Bytes(100, 'r')), 0) << "shorter than a sector";
}

TEST(Recording, ProbeSkipsFillerAndEndsAtTheLastCompleteSegment) {
  const Bytes file = Fixture("filler_truncated.am4");
  const auto walked = testsupport::WalkSegments(file);
  ASSERT_GE(walked.size(), 2u);
  SourceOf f(file);
  RecordingInfo info;
  ASSERT_TRUE(ProbeSource(f.source, info));
  EXPECT_EQ(info.first_header_offset, 7u * 512);
  EXPECT_EQ(info.last_header_offset, walked.back().offset);
  const SegmentTime s = info.start_time, e = info.end_time;
  EXPECT_EQ((std::vector<int>{s.year, s.month, s.day, s.hour, s.minute, s.second}),
            (std::vector<int>{2026, 5, 1, 0, 0, 0}));
  const auto& last = walked.back();
  EXPECT_EQ((std::vector<int>{e.year, e.month, e.day, e.hour, e.minute, e.second}),
            (std::vector<int>{last.year, last.month, last.day, last.hour, last.minute, last.second}));
  EXPECT_EQ(info.video_format, 13u);
}

TEST(Recording, OneSegmentFileHasASpanOfZero) {
  // A header with one data sector: the last sector is data and never examined.
  Bytes file = testing::HeaderSector({}, 1, 100);
  file.resize(1024, 0xEE);
  SourceOf f(file);
  RecordingInfo info;
  ASSERT_TRUE(ProbeSource(f.source, info));
  EXPECT_EQ(info.first_header_offset, 0u);
  EXPECT_EQ(info.last_header_offset, 0u);
  EXPECT_EQ(info.SpanLength(), 0u);
}

TEST(Recording, ProbeRefusesFilesWithoutACompleteSegment) {
  Bytes cut = testing::HeaderSector({}, 4, 100);  // promises 4 data sectors, has 2
  cut.resize(3 * 512);
  Bytes lone_header = testing::HeaderSector({}, 0, 0);  // its only sector is the last one
  const struct {
    const char* what;
    Bytes file;
  } cases[] = {{"no header", Bytes(8 * 512, 0)}, {"cut segment", cut}, {"one sector", lone_header}, {"empty", {}}};
  for (const auto& c : cases) {
    SourceOf f(c.file);
    RecordingInfo info;
    EXPECT_FALSE(ProbeSource(f.source, info)) << c.what;
  }
}

struct Positions : SearchObserver {
  std::vector<uint32_t> seen;
  void OnSearchPosition(uint32_t p) override { seen.push_back(p); }
};

TEST(Recording, HeaderSearchesReportEveryPositionTheyPass) {
  Bytes file(10 * 512, 0);
  std::memcpy(&file[1024], "rvdx", 4);
  std::memcpy(&file[4096], "rvdx", 4);
  SourceOf f(file);
  uint8_t sector[512];
  uint32_t offset = 0;
  Positions forward;
  ASSERT_TRUE(f.source.Seek(1536, kFromStart));
  ASSERT_TRUE(FindHeaderForward(f.source, sector, offset, &forward));
  EXPECT_EQ(offset, 4096u);
  EXPECT_EQ(forward.seen, (std::vector<uint32_t>{1536, 2048, 2560, 3072, 3584, 4096}));
  EXPECT_EQ(f.source.Position(), 4608u);

  Positions backward;
  ASSERT_TRUE(f.source.Seek(3072, kFromStart));
  ASSERT_TRUE(FindHeaderBackward(f.source, sector, offset, &backward));
  EXPECT_EQ(offset, 1024u);
  EXPECT_EQ(backward.seen, (std::vector<uint32_t>{3072, 2560, 2048, 1536, 1024}));

  ASSERT_TRUE(f.source.Seek(512, kFromStart));
  EXPECT_FALSE(FindHeaderBackward(f.source, sector, offset, nullptr)) << "nothing before offset 1024";
  ASSERT_TRUE(f.source.Seek(4608, kFromStart));
  EXPECT_FALSE(FindHeaderForward(f.source, sector, offset, nullptr)) << "nothing after the second header";
}

}  // namespace
}  // namespace backup
