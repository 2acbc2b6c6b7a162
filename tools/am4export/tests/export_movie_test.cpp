// The export's index, range choice, plan and writing, on the committed
// fixtures, damaged copies of them and recordings made in memory.
#include "export_movie.h"

#include <gtest/gtest.h>

#include <climits>
#include <functional>

#include "am4_writer.h"
#include "mp4_box_reader.h"
#include "recording_fixture.h"
#include "mulaw.h"

namespace am4export {
namespace {

using testsupport::Bytes;
using testfixture::Damaged;
using testfixture::Fixture;
using testfixture::Recording;

// A recording made in memory: 4 s at 25 pictures/s from 12:00:00, a key
// frame every `group` pictures, sound throughout; its slices are made up.
Bytes MadeRecording(int group) {
  am4write::ElementaryStream video;
  video.sps = {0x67, 0x42, 0xC0, 0x1E, 0xD9};
  video.pps = {0x68, 0xCE, 0x3C, 0x80};
  for (int i = 0; i < 100; ++i)
    video.pictures.push_back({i % group == 0, {{static_cast<uint8_t>(i % group == 0 ? 0x65 : 0x41), uint8_t(i)}}});
  Bytes audio(4 * am4write::kAudioRate);
  for (size_t i = 0; i < audio.size(); ++i) audio[i] = static_cast<uint8_t>(i * 7);
  am4write::WriterOptions o;
  o.start = {2026, 1, 1, 12, 0, 0};
  Bytes out;
  std::string error;
  EXPECT_TRUE(am4write::WriteBackupFile(o, video, audio, out, error)) << error;
  return out;
}

class VectorSink : public ByteSink {
 public:
  bool Write(const uint8_t* data, size_t n) override {
    bytes.insert(bytes.end(), data, data + n);
    return true;
  }
  Bytes bytes;
};

// The export of `plan` from the recording into `out`; each sample's
// "digest" is its bytes themselves, so that tests can see what was digested.
bool WriteTo(const Recording& r, const ExportPlan& plan, VectorSink& out, std::vector<std::string>& samples) {
  backup::MemorySource source(r.bytes.data(), static_cast<uint32_t>(r.bytes.size()));
  const SampleDigest raw = [](const Bytes& sets, const uint8_t* picture, size_t length) {
    return std::string(sets.begin(), sets.end()) + std::string(reinterpret_cast<const char*>(picture), length);
  };
  return WriteExport(source, r.index, plan, out, raw, samples);
}

bool WriteTo(const Recording& r, const ExportPlan& plan, VectorSink& out) {
  std::vector<std::string> samples;
  return WriteTo(r, plan, out, samples);
}

TEST(ExportIndex, PicturesCarryTheCaptureTimesThatTheDecodeStageStamps) {
  const Recording r(Fixture("cams4_25fps.am4"));
  ASSERT_TRUE(r.probed);
  ASSERT_EQ(r.index.pictures.size(), 250u);
  EXPECT_EQ(r.index.group_starts.size(), 50u);
  EXPECT_EQ(r.index.sounds.size(), 277u);
  EXPECT_TRUE(r.index.damaged.empty());
  const int64_t start = backup::CalendarSeconds({2026, 3, 14, 9, 26, 55});
  for (size_t p = 0; p < r.index.pictures.size(); ++p)
    ASSERT_EQ(r.index.pictures[p].second, start + static_cast<int64_t>(p / 25)) << p;
  for (size_t s = 1; s < r.index.sounds.size(); ++s) ASSERT_LE(r.index.sounds[s - 1].group, r.index.sounds[s].group);
}

TEST(ExportIndex, SoundGoesWithTheGroupWhoseTimeItFallsIn) {
  const Recording r(Fixture("multi_group.am4"));  // three groups in each segment
  ASSERT_EQ(r.index.group_starts.size(), 10u);
  for (const IndexedSound& s : r.index.sounds) {
    ASSERT_LE(r.index.pictures[r.index.group_starts[s.group]].timestamp, s.timestamp);
    if (s.group + 1 < r.index.group_starts.size())
      ASSERT_LT(s.timestamp, r.index.pictures[r.index.group_starts[s.group + 1]].timestamp);
  }
}

TEST(ExportRange, ARangeTakesTheWholeGroupsThatHaveAPictureInIt) {
  const Recording r(MadeRecording(7));  // groups 0-6, 7-13, ... straddle the seconds
  ASSERT_EQ(r.index.group_starts.size(), 15u);
  const int64_t noon = backup::CalendarSeconds({2026, 1, 1, 12, 0, 0});
  struct Case {
    int64_t from, to;
    bool found;
    uint32_t first, count;
  } cases[] = {
      {noon + 1, noon + 2, true, 3, 5},     // pictures 25-49: groups from 21-27 to 49-55
      {noon, noon + 1, true, 0, 4},         // pictures 0-24: up to the group 21-27
      {noon + 3, noon + 60, true, 10, 5},   // from picture 75 (group 70-76) to the end
      {LLONG_MIN, LLONG_MAX, true, 0, 15},  // the whole recording
      {noon - 60, noon, false, 0, 0},       // before it
      {noon + 4, noon + 60, false, 0, 0},   // after it
  };
  for (const Case& c : cases) {
    GroupRange range;
    ASSERT_EQ(SelectGroups(r.index, c.from, c.to, range), c.found) << c.from - noon;
    if (!c.found) continue;
    EXPECT_EQ(range.first, c.first) << c.from - noon;
    EXPECT_EQ(range.count, c.count) << c.from - noon;
  }
}

TEST(ExportPlan, AWholeRecordingHasACueASecondAndItsSoundBackToBack) {
  const Recording r(Fixture("cams4_25fps.am4"));
  const ExportPlan plan = r.Plan(r.All());
  ASSERT_EQ(plan.cues.size(), 10u);
  for (size_t c = 0; c < plan.cues.size(); ++c) {
    EXPECT_EQ(plan.cues[c].duration, 25u * 3600) << c;
    EXPECT_EQ(plan.cues[c].time.second, (55 + c) % 60) << c;
  }
  ASSERT_EQ(plan.sounds.size(), 277u);
  for (const SoundPlacement& s : plan.sounds) ASSERT_EQ(s.pad + s.skip, 0u) << s.sound;
  EXPECT_EQ(plan.source_offset, 0u);
  EXPECT_EQ(plan.source_end, r.bytes.size());
}

TEST(ExportPlan, ARangeBeginsItsSoundAtTheFirstBoxAfterItsFirstPicture) {
  const Recording r(Fixture("cams4_25fps.am4"));
  const ExportPlan plan = r.Plan({10, 20});  // from picture 50, 2 s in
  ASSERT_FALSE(plan.sounds.empty());
  const IndexedSound& first = r.index.sounds[plan.sounds[0].sound];
  EXPECT_EQ(first.timestamp, 56u * 3240);                                // the first box at or after 180000 ticks
  EXPECT_EQ(plan.sounds[0].pad, (56u * 3240 - 180000) * 32000 / 90000);  // 512 samples
  for (size_t s = 1; s < plan.sounds.size(); ++s) ASSERT_EQ(plan.sounds[s].pad + plan.sounds[s].skip, 0u);
  EXPECT_EQ(plan.source_offset, r.index.segments[10].offset);
  EXPECT_EQ(plan.source_end, r.index.segments[29].end);
}

TEST(ExportPlan, SoundWhoseTimestampIsFarOffFollowsOnDirectly) {
  // The timestamp of the segment's first sound box, an hour late.
  const Recording r(Damaged("cams4_25fps.am4", [](Bytes& f, const std::vector<testsupport::WalkedSegment>& s) {
    size_t at = s[3].offset + 512;
    while (f[at + 13] != 1) at += backup::BigEndian32(&f[at]);  // the first box of stream type 1
    const uint32_t late = backup::BigEndian32(&f[at + 20]) + 3600 * 90000;
    for (int i = 0; i < 4; ++i) f[at + 20 + i] = static_cast<uint8_t>(late >> (24 - 8 * i));
  }));
  const ExportPlan plan = r.Plan(r.All());
  for (const SoundPlacement& s : plan.sounds) ASSERT_EQ(s.pad + s.skip, 0u) << s.sound;
}

TEST(ExportIndex, DamagedSegmentsAreSkippedAndCounted) {
  using Segments = std::vector<testsupport::WalkedSegment>;
  struct Case {
    const char* what;
    std::function<void(Bytes&, const Segments&)> damage;
    size_t damaged, pictures;
  } cases[] = {
      {"a box of another type", [](Bytes& f, const Segments& s) { f[s[4].offset + 512 + 4] = 'x'; }, 1, 245},
      {"a payload past the buffer",
       [](Bytes& f, const Segments& s) { testsupport::PutLE32(f, s[4].offset + 36, 2 << 20); }, 1, 245},
      {"no parameter sets", [](Bytes& f, const Segments& s) { f[s[4].offset + 400] = 0; }, 1, 245},
      {"no frame rate", [](Bytes& f, const Segments& s) { testsupport::PutLE32(f, s[4].offset + 52, 0); }, 1, 245},
      {"a NAL unit past its box", [](Bytes& f, const Segments& s) { f[s[4].offset + 512 + 24] = 0x7F; }, 1, 245},
      {"and the next without a key frame",
       [](Bytes& f, const Segments& s) {
         f[s[4].offset + 512 + 4] = 'x';
         f[s[5].offset + 512 + 19] &= ~4;
       },
       2, 240},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const Recording r(Damaged("cams4_25fps.am4", c.damage));
    EXPECT_EQ(r.index.damaged.size(), c.damaged);
    EXPECT_EQ(r.index.pictures.size(), c.pictures);
    const ExportPlan plan = r.Plan(r.All());
    EXPECT_EQ(plan.damaged_segments, c.damaged);
    // Pictures 20-24, the end of the first second, are gone: its cue is shorter.
    EXPECT_EQ(plan.cues[0].duration, 20u * 3600);
    EXPECT_EQ(plan.cues[1].time.second, 56);
    VectorSink out;
    EXPECT_TRUE(WriteTo(r, plan, out));
  }
}

TEST(ExportWrite, AnyDamageGivesAnExportOfExactlyItsPlanOrNone) {
  const Bytes clean = Fixture("multi_group.am4");
  const auto segments = testsupport::WalkSegments(clean);
  uint32_t seed = 16;
  const auto next = [&] { return seed = seed * 1103515245 + 12345, seed >> 8; };
  int exported = 0, damaged = 0;
  for (int round = 0; round < 150; ++round) {
    SCOPED_TRACE(round);
    Bytes file = clean;
    for (int n = 1 + next() % 8; n > 0; --n) {
      // Header fields, the boxes' headers near a segment's start, or anywhere.
      const uint64_t header = segments[next() % segments.size()].offset;
      const uint64_t at = n % 3 == 0   ? header + next() % 512
                          : n % 3 == 1 ? header + 512 + next() % 64
                                       : next() % file.size();
      file[at] = static_cast<uint8_t>(next());
    }
    const Recording r(file);
    if (!r.probed || r.index.group_starts.empty()) continue;
    const ExportPlan plan = r.Plan(r.All());
    ASSERT_FALSE(mp4::MovieHeader(plan.movie).empty());
    VectorSink out;
    ASSERT_TRUE(WriteTo(r, plan, out));
    ASSERT_LE(plan.source_end, r.bytes.size());
    ++exported;
    damaged += plan.damaged_segments > 0;
  }
  EXPECT_GT(exported, 100);  // most damage leaves something to export,
  EXPECT_GT(damaged, 15);    // often with segments skipped
}

TEST(ExportWrite, SamplesAreTheBoxesOwnBytesAndTheExpandedSound) {
  const Recording r(Fixture("cams4_25fps.am4"));
  const ExportPlan plan = r.Plan(r.All());
  VectorSink out;
  ASSERT_TRUE(WriteTo(r, plan, out));
  const Bytes& file = out.bytes;
  EXPECT_EQ(file.size(), mp4::MovieHeader(plan.movie).size() + mp4::MediaDataSize(plan.movie));

  const auto video_chunks = mp4test::Words(file, *mp4test::FindBox(file, "moov/trak/mdia/minf/stbl/stco", 0));
  const auto sound_chunks = mp4test::Words(file, *mp4test::FindBox(file, "moov/trak/mdia/minf/stbl/stco", 1));
  ASSERT_EQ(video_chunks[0], 50u);
  // The second segment's pictures, one after another, as they stand in its boxes.
  const IndexedSegment& segment = r.index.segments[1];
  size_t at = video_chunks[2];
  for (uint32_t p = r.index.group_starts[1]; p < r.index.GroupEnd(1); ++p) {
    const IndexedPicture& picture = r.index.pictures[p];
    const auto* box = &r.bytes[segment.offset + 512 + picture.at];
    ASSERT_TRUE(std::equal(box, box + picture.size, file.begin() + at)) << p;
    at += picture.size;
  }
  // The first sound box, sample by sample.
  const IndexedSound& sound = r.index.sounds[0];
  for (uint32_t i = 0; i < sound.size; ++i) {
    const int16_t expected = auralis::kMuLawTable[r.bytes[r.index.segments[0].offset + 512 + sound.at + i]];
    ASSERT_EQ(static_cast<int16_t>(file[sound_chunks[1] + 2 * i] | file[sound_chunks[1] + 2 * i + 1] << 8), expected);
  }
}

TEST(ExportWrite, KeyFramesOfSegmentsWithOtherParameterSetsCarryThemInBand) {
  // From segment 25 on the picture parameter set ends in another byte.
  const Recording r(Damaged("cams4_25fps.am4", [](Bytes& f, const std::vector<testsupport::WalkedSegment>& s) {
    for (size_t i = 25; i < s.size(); ++i) f[s[i].offset + 511] ^= 0x01;
  }));
  const ExportPlan plan = r.Plan(r.All());
  for (size_t s = 0; s < plan.sets_in_band.size(); ++s) EXPECT_EQ(plan.sets_in_band[s], s >= 25) << s;
  VectorSink out;
  std::vector<std::string> samples;
  ASSERT_TRUE(WriteTo(r, plan, out, samples));
  const Bytes& file = out.bytes;
  const auto chunks = mp4test::Words(file, *mp4test::FindBox(file, "moov/trak/mdia/minf/stbl/stco", 0));
  const auto sizes = mp4test::Words(file, *mp4test::FindBox(file, "moov/trak/mdia/minf/stbl/stsz", 0));
  const IndexedPicture& key = r.index.pictures[r.index.group_starts[25]];
  const backup::ParameterSetStore& sets = r.index.segments[25].sets;
  EXPECT_EQ(sizes[2 + r.index.group_starts[25]], key.size + sets.length);  // a length for each start code
  EXPECT_EQ(sizes[2 + r.index.group_starts[24]], r.index.pictures[r.index.group_starts[24]].size);
  // The sample: the sequence and the picture parameter set, each behind its
  // length, then the frame's own units.
  const size_t at = chunks[1 + 25];
  const size_t sps = mp4test::BE(file, at, 4), pps = mp4test::BE(file, at + 4 + sps, 4);
  EXPECT_EQ(file[at + 4] & 0x1F, 7);
  EXPECT_EQ(file[at + 8 + sps] & 0x1F, 8);
  EXPECT_EQ(8 + sps + pps, sets.length);
  const auto* frame = &r.bytes[r.index.segments[25].offset + 512 + key.at];
  EXPECT_TRUE(std::equal(frame, frame + key.size, file.begin() + at + sets.length));
  // Each picture's digest took exactly its sample's bytes, sets included.
  ASSERT_EQ(samples.size(), r.index.pictures.size());
  const std::string& key_sample = samples[r.index.group_starts[25]];
  EXPECT_EQ(key_sample, std::string(file.begin() + at, file.begin() + at + key_sample.size()));
  for (size_t p = 0; p < samples.size(); ++p) EXPECT_EQ(samples[p].size(), sizes[2 + p]) << p;
}

TEST(ExportWrite, ASourceThatChangedSinceItWasIndexedFailsTheExport) {
  Recording r(Fixture("cams4_25fps.am4"));
  const ExportPlan plan = r.Plan(r.All());
  r.bytes[r.index.segments[30].offset + 512 + 3] ^= 0x10;  // a box size
  VectorSink out;
  EXPECT_FALSE(WriteTo(r, plan, out));
}

}  // namespace
}  // namespace am4export
