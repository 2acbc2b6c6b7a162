// The picture ledger: its flags as a table of cases, and its rows for the
// committed 25 pictures/s fixture (groups of 5, one a segment, from
// 09:26:55) with its clock moved and a segment damaged.
#include "ledger.h"

#include <gtest/gtest.h>

#include <map>
#include <sstream>

#include "recording_fixture.h"

namespace am4export {
namespace {

using testfixture::Bytes;
using testfixture::Damaged;
using testfixture::Recording;
using Segments = std::vector<testsupport::WalkedSegment>;

IndexedPicture At(int64_t second, uint32_t millisecond, uint32_t rate = 25, bool after_damage = false) {
  IndexedPicture p{};
  p.second = second;
  p.millisecond = millisecond;
  p.frame_rate = rate;
  p.after_damage = after_damage;
  return p;
}

TEST(LedgerFlags, CaptureTimesThatDoNotRunOnOnePictureAtATimeAreFlagged) {
  struct Case {
    const char* what;
    IndexedPicture previous, picture;
    const char* flags;
  } cases[] = {
      {"the next picture", At(100, 920), At(100, 960), ""},
      {"into the next second", At(100, 960), At(101, 0), ""},
      {"one and a half intervals", At(100, 0), At(100, 60), ""},
      {"a picture left out", At(100, 0), At(100, 80), "gap"},
      {"at 30 pictures/s, 33 or 34 ms", At(100, 966, 30), At(101, 0, 30), ""},
      {"a second left out", At(100, 960), At(102, 0), "gap"},
      {"the same time", At(100, 400), At(100, 400), "repeat"},
      {"back a second", At(101, 0), At(100, 40), "back"},
      {"a second again after damage", At(100, 960), At(100, 0, 25, true), "back|after_damage"},
  };
  for (const Case& c : cases) EXPECT_EQ(FlagsText(PictureFlags(&c.previous, c.picture)), c.flags) << c.what;
  EXPECT_EQ(FlagsText(PictureFlags(nullptr, At(100, 0, 25, true))), "after_damage") << "the export's first picture";
  EXPECT_EQ(FlagsText(PictureFlags(nullptr, At(100, 0))), "");
}

struct Row {
  uint32_t picture, segment_offset;
  std::string capture_time, pts, duration, key, size, sha256, flags;
};

std::vector<Row> Rows(const std::string& text, std::string& header) {
  std::istringstream in(text);
  std::getline(in, header);
  std::vector<Row> rows;
  for (std::string line; std::getline(in, line);) {
    std::vector<std::string> f;
    std::istringstream fields(line);
    for (std::string v; std::getline(fields, v, ',');) f.push_back(v);
    if (f.size() == 8) f.push_back("");  // no flags
    EXPECT_EQ(f.size(), 9u) << line;
    if (f.size() != 9) break;
    rows.push_back({uint32_t(std::stoul(f[0])), uint32_t(std::stoul(f[1])), f[2], f[3], f[4], f[5], f[6], f[7], f[8]});
  }
  return rows;
}

std::string LedgerOf(const Recording& r, FlagCounts& counts) {
  const ExportPlan plan = r.Plan(r.All());
  std::vector<std::string> digests;
  for (uint32_t p = plan.first_picture; p < plan.end_picture; ++p) digests.push_back("d" + std::to_string(p));
  return LedgerText(r.index, plan, digests, counts);
}

TEST(Ledger, EveryPictureHasItsRowOfSourceTimesAndSample) {
  const Recording r(testfixture::Fixture("cams4_25fps.am4"));
  FlagCounts counts;
  std::string header;
  const std::vector<Row> rows = Rows(LedgerOf(r, counts), header);
  EXPECT_EQ(header, "picture,segment_offset,capture_time,pts_s,duration_s,key,size,sha256,flags");
  ASSERT_EQ(rows.size(), 250u);
  for (uint32_t p = 0; p < rows.size(); ++p) {
    SCOPED_TRACE(p);
    const IndexedPicture& picture = r.index.pictures[p];
    EXPECT_EQ(rows[p].picture, p);
    EXPECT_EQ(rows[p].segment_offset, r.index.segments[picture.segment].offset);
    EXPECT_EQ(rows[p].key, p % 5 == 0 ? "1" : "0");
    EXPECT_EQ(rows[p].size, std::to_string(picture.size));
    EXPECT_EQ(rows[p].sha256, "d" + std::to_string(p));
    EXPECT_EQ(rows[p].duration, "0.040000");
    EXPECT_EQ(rows[p].flags, "");
  }
  EXPECT_EQ(rows[0].capture_time, "2026-03-14 09:26:55.000");
  EXPECT_EQ(rows[1].capture_time, "2026-03-14 09:26:55.040");
  EXPECT_EQ(rows[24].capture_time, "2026-03-14 09:26:55.960");
  EXPECT_EQ(rows[25].capture_time, "2026-03-14 09:26:56.000");
  EXPECT_EQ(rows[249].capture_time, "2026-03-14 09:27:04.960");
  EXPECT_EQ(rows[0].pts, "0.000000");
  EXPECT_EQ(rows[249].pts, "9.960000");
  EXPECT_EQ(counts.gap + counts.repeat + counts.back + counts.after_damage, 0u);
}

// Moves the recorder's clock by `seconds` in the headers of segments from `first` on.
void ShiftClock(Bytes& file, const Segments& segments, size_t first, int seconds) {
  for (size_t s = first; s < segments.size(); ++s) {
    uint8_t* time = &file[segments[s].offset + 44];  // second, minute, hour
    const int t = time[2] * 3600 + time[1] * 60 + time[0] + seconds;
    time[0] = static_cast<uint8_t>(t % 60), time[1] = static_cast<uint8_t>(t / 60 % 60);
    time[2] = static_cast<uint8_t>(t / 3600);
  }
}

TEST(Ledger, AClockJumpARepeatedSecondAndASkippedSegmentAreFlaggedWhereTheStampsShowThem) {
  struct Case {
    const char* what;
    std::function<void(Bytes&, const Segments&)> change;
    std::map<uint32_t, std::string> flags;  // by picture; every other picture has none
    FlagCounts counts;
  } cases[] = {
      {"the clock jumps 10 s ahead at picture 100", [](Bytes& f, const Segments& s) { ShiftClock(f, s, 20, 10); },
       {{100, "gap"}},
       {1, 0, 0, 0}},
      // Picture 100 says 09:26:58 again: counted on into :59, the stamp goes
      // back at the next key frame that carries :58 and catches up at :00.
      {"the clock repeats 09:26:58 from picture 100", [](Bytes& f, const Segments& s) { ShiftClock(f, s, 20, -1); },
       {{105, "back"}, {125, "gap"}},
       {1, 0, 1, 0}},
      // Pictures 20-24 are gone: 55.760 to 56.000.
      {"segment 4 is damaged", [](Bytes& f, const Segments& s) { f[s[4].offset + 512 + 4] = 'x'; },
       {{20, "gap|after_damage"}},
       {1, 0, 0, 1}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const Recording r(Damaged("cams4_25fps.am4", c.change));
    FlagCounts counts;
    std::string header;
    const std::vector<Row> rows = Rows(LedgerOf(r, counts), header);
    for (const Row& row : rows) {
      const auto expected = c.flags.find(row.picture);
      EXPECT_EQ(row.flags, expected == c.flags.end() ? "" : expected->second)
          << "picture " << row.picture << " at " << row.capture_time;
    }
    EXPECT_EQ(counts.gap, c.counts.gap);
    EXPECT_EQ(counts.repeat, c.counts.repeat);
    EXPECT_EQ(counts.back, c.counts.back);
    EXPECT_EQ(counts.after_damage, c.counts.after_damage);
  }
}

}  // namespace
}  // namespace am4export
