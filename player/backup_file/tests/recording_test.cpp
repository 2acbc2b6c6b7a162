#include "recording.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
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
  const CaptureTime s = info.start_time, e = info.end_time;
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

// The searches as a sector at a time reads them: what the block scans must
// find, sector for sector.
int ClassifyBySector(const Bytes& file) {
  for (size_t at = 0; at + 512 <= file.size() && at / 512 < kMaxClassifySectors; at += 512)
    if (const int kind = ClassifySector(&file[at])) return kind;
  return 0;
}

bool ProbeBySector(const Bytes& file, RecordingInfo& info) {
  size_t first = 0;
  while (first + 512 <= file.size() && !IsHeaderSector(&file[first])) first += 512;
  if (first + 512 > file.size() || file.size() < 1024) return false;
  for (int64_t at = (file.size() - 1024) / 512 * 512; at >= 0; at -= 512) {
    const SegmentHeader last = ParseSegmentHeader(&file[at]);
    if (!IsHeaderSector(&file[at]) || !SegmentFits(uint32_t(at), last, file.size())) continue;
    info.first_header_offset = uint32_t(first);
    info.last_header_offset = uint32_t(at);
    info.start_time = HeaderTime(ParseSegmentHeader(&file[first]));
    info.end_time = HeaderTime(last);
    info.video_format = last.video_format;
    return true;
  }
  return false;
}

// A file of `size` zero bytes with headers (numbered in their date word) and
// other marks at the given offsets.
struct Layout {
  const char* what;
  uint32_t size;
  std::vector<std::pair<uint32_t, uint32_t>> headers;  // offset, data sectors
  std::vector<std::pair<uint32_t, const char*>> marks;  // offset, 4 bytes

  Bytes Make() const {
    Bytes file(size, 0);
    uint8_t n = 1;
    for (const auto& [at, data] : headers) {
      Bytes h = testing::HeaderSector({}, data, 0);
      h[40] = n++;  // the year: tells the headers apart
      std::copy(h.begin(), h.begin() + std::min<size_t>(512, size - at), file.begin() + at);
    }
    for (const auto& [at, mark] : marks) std::memcpy(&file[at], mark, 4);
    return file;
  }
};

TEST(Recording, BlockScansFindWhatASectorAtATimeFinds) {
  constexpr uint32_t kMiB = 1 << 20;  // the scans' block
  const Layout layouts[] = {
      {"a recording, then zeros over several blocks", 5 * kMiB, {{0, 3}, {2048, 3}, {4096, 3}}, {}},
      {"headers in a block's last sector", 3 * kMiB + 100, {{kMiB - 512, 1}, {2 * kMiB - 512, 4}}, {}},
      {"headers in a block's first sector", 3 * kMiB, {{kMiB, 1}, {2 * kMiB, 2}}, {}},
      {"the last segment cut short", 2 * kMiB, {{512, 1}, {kMiB, 1}, {2 * kMiB - 2048, 9}}, {}},
      {"the last header in the file's last sector", 2 * kMiB, {{0, 1}, {2 * kMiB - 512, 0}}, {}},
      {"the first header past the first block", 3 * kMiB, {{kMiB + 1536, 2}, {2 * kMiB + 512, 1}}, {}},
      {"a header cut by the end", 2 * kMiB + 300, {{4096, 1}, {2 * kMiB, 0}}, {}},
      {"marks not at a sector start", 2 * kMiB, {{kMiB + 512, 1}}, {{kMiB + 100, "rvdx"}, {20, "RVDE"}}},
      {"another mark before the first header", 3 * kMiB, {{2 * kMiB, 1}}, {{kMiB + 1024, "\xFA\xFF\xFF\xFF"}}},
      {"RVDE first", 2 * kMiB, {{kMiB, 1}}, {{512, "RVDE"}}},
      {"no header", 2 * kMiB + 512, {}, {}},
      {"one segment", 1024, {{0, 1}}, {}},
      {"shorter than two sectors", 700, {{0, 0}}, {}},
  };
  for (const Layout& layout : layouts) {
    const Bytes file = layout.Make();
    SourceOf f(file);
    EXPECT_EQ(ClassifySource(f.source), ClassifyBySector(file)) << layout.what;
    RecordingInfo expected, found;
    const bool probed = ProbeBySector(file, expected);
    ASSERT_EQ(ProbeSource(f.source, found), probed) << layout.what;
    if (!probed) continue;
    EXPECT_EQ(found.first_header_offset, expected.first_header_offset) << layout.what;
    EXPECT_EQ(found.last_header_offset, expected.last_header_offset) << layout.what;
    EXPECT_EQ(found.start_time.year, expected.start_time.year) << layout.what;
    EXPECT_EQ(found.end_time.year, expected.end_time.year) << layout.what;
  }
}

TEST(Recording, AStoppedScanFails) {
  const Bytes file = Layout{"", 3 << 20, {{0, 1}, {(3 << 20) - 1024, 0}}, {}}.Make();
  SourceOf f(file);
  RecordingInfo info;
  const std::atomic<bool> stop{true};
  EXPECT_EQ(ClassifySource(f.source, &stop), 0);
  EXPECT_FALSE(ProbeSource(f.source, info, &stop));
  EXPECT_TRUE(ProbeSource(f.source, info));
}

struct Positions : SearchObserver {
  std::vector<uint32_t> seen;
  size_t limit = SIZE_MAX;  // positions after which the search is ended
  bool OnSearchPosition(uint32_t p) override {
    seen.push_back(p);
    return seen.size() < limit;
  }
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

  Positions stopping;
  stopping.limit = 2;
  ASSERT_TRUE(f.source.Seek(1536, kFromStart));
  EXPECT_FALSE(FindHeaderForward(f.source, sector, offset, &stopping)) << "ended by its observer";
  EXPECT_EQ(stopping.seen, (std::vector<uint32_t>{1536, 2048}));
}

}  // namespace
}  // namespace backup
