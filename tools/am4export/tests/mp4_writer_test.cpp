#include "mp4_writer.h"

#include <gtest/gtest.h>

#include "mp4_box_reader.h"

namespace mp4 {
namespace {

using mp4test::BE;
using mp4test::FindBox;
using mp4test::Words;

// Three video pictures (a key frame, two others, a key frame), 1000 sound
// samples, one cue; chunks interleaved as an export lays them out.
Movie SmallMovie() {
  Movie m;
  Track video{TrackKind::kVideo,
              90000,
              AvcSampleEntry(720, 576, {{0x67, 0x42, 0xC0, 0x1E}}, {{0x68, 0xCE}}),
              720,
              576,
              {{1, 500, 3600, true}, {2, 100, 3600, false}, {1, 450, 3600, true}}};
  Track sound{TrackKind::kSound, 32000, PcmSampleEntry(32000), 0, 0, {{600, 2, 1, true}, {400, 2, 1, true}}};
  Track text{TrackKind::kText, 90000, TextSampleEntry(), 720, 576, {{1, 21, 14400, true}}};
  m.tracks = {video, sound, text};
  m.chunks = {{2, 1}, {0, 3}, {1, 600}, {0, 1}, {1, 400}};
  return m;
}

Bytes WholeFile(const Movie& m) {
  Bytes file = MovieHeader(m);
  file.resize(file.size() + MediaDataSize(m));
  return file;
}

TEST(Mp4Writer, ChunkOffsetsPointIntoMdatInTheOrderTheChunksAreWritten) {
  const Movie m = SmallMovie();
  const Bytes header = MovieHeader(m);
  ASSERT_FALSE(header.empty());
  EXPECT_EQ(MediaDataSize(m), 21u + 500 + 200 + 1200 + 450 + 800);
  const Bytes file = WholeFile(m);
  const auto mdat = FindBox(file, "mdat");
  ASSERT_TRUE(mdat);
  EXPECT_EQ(mdat->body, header.size());
  EXPECT_EQ(mdat->at + mdat->size, file.size());
  const size_t data = header.size();
  EXPECT_EQ(Words(file, *FindBox(file, "moov/trak/mdia/minf/stbl/stco", 2)),
            (std::vector<uint32_t>{1, uint32_t(data)}));
  EXPECT_EQ(Words(file, *FindBox(file, "moov/trak/mdia/minf/stbl/stco", 0)),
            (std::vector<uint32_t>{2, uint32_t(data + 21), uint32_t(data + 21 + 700 + 1200)}));
  EXPECT_EQ(Words(file, *FindBox(file, "moov/trak/mdia/minf/stbl/stco", 1)),
            (std::vector<uint32_t>{2, uint32_t(data + 21 + 700), uint32_t(data + 21 + 700 + 1200 + 450)}));
}

TEST(Mp4Writer, SampleTablesListSizesTimesSyncSamplesAndChunkCounts) {
  const Bytes file = WholeFile(SmallMovie());
  const std::string video = "moov/trak/mdia/minf/stbl/";
  EXPECT_EQ(Words(file, *FindBox(file, video + "stsz")), (std::vector<uint32_t>{0, 4, 500, 100, 100, 450}));
  EXPECT_EQ(Words(file, *FindBox(file, video + "stts")), (std::vector<uint32_t>{1, 4, 3600}));
  EXPECT_EQ(Words(file, *FindBox(file, video + "stss")), (std::vector<uint32_t>{2, 1, 4}));
  EXPECT_EQ(Words(file, *FindBox(file, video + "stsc")), (std::vector<uint32_t>{2, 1, 3, 1, 2, 1, 1}));
  // The sound: one size for all, one duration, no sync table (all are).
  EXPECT_EQ(Words(file, *FindBox(file, video + "stsz", 1)), (std::vector<uint32_t>{2, 1000}));
  EXPECT_EQ(Words(file, *FindBox(file, video + "stts", 1)), (std::vector<uint32_t>{1, 1000, 1}));
  EXPECT_FALSE(FindBox(file, video + "stss", 1));
  EXPECT_EQ(Words(file, *FindBox(file, video + "stsc", 1)), (std::vector<uint32_t>{2, 1, 600, 1, 2, 400, 1}));
}

TEST(Mp4Writer, TracksCarryTheirHandlersTimescalesAndDurations) {
  const Bytes file = WholeFile(SmallMovie());
  const char* handlers[] = {"vide", "soun", "sbtl"};
  const uint32_t timescales[] = {90000, 32000, 90000};
  const uint64_t durations[] = {14400, 1000, 14400};
  for (int t = 0; t < 3; ++t) {
    SCOPED_TRACE(t);
    const auto hdlr = FindBox(file, "moov/trak/mdia/hdlr", t);
    ASSERT_TRUE(hdlr);
    EXPECT_EQ(std::string(file.begin() + hdlr->body + 8, file.begin() + hdlr->body + 12), handlers[t]);
    const auto mdhd = FindBox(file, "moov/trak/mdia/mdhd", t);  // version 1: 64-bit times
    EXPECT_EQ(BE(file, mdhd->body + 20, 4), timescales[t]);
    EXPECT_EQ(BE(file, mdhd->body + 24, 8), durations[t]);
    const auto tkhd = FindBox(file, "moov/trak/tkhd", t);
    EXPECT_EQ(BE(file, tkhd->body + 20, 4), uint64_t(t + 1));                      // track ID
    EXPECT_EQ(BE(file, tkhd->body + 28, 8), durations[t] * 1000 / timescales[t]);  // ms
  }
  EXPECT_EQ(BE(file, FindBox(file, "moov/mvhd")->body + 24, 8), 160u);  // the longest track, in ms
}

TEST(Mp4Writer, SampleEntriesHoldTheParameterSetsThePcmFormatAndTheTextStyle) {
  const Bytes avc = AvcSampleEntry(720, 576, {{0x67, 0x42, 0xC0, 0x1E}}, {{0x68, 0xCE}});
  const auto avcc = FindBox(avc, "avc1");
  ASSERT_TRUE(avcc);
  EXPECT_EQ(BE(avc, 32, 2), 720u);
  EXPECT_EQ(BE(avc, 34, 2), 576u);
  const Bytes expected_avcc = {1, 0x42, 0xC0, 0x1E, 0xFF, 0xE1, 0, 4, 0x67, 0x42, 0xC0, 0x1E, 1, 0, 2, 0x68, 0xCE};
  EXPECT_EQ(Bytes(avc.end() - expected_avcc.size(), avc.end()), expected_avcc);
  EXPECT_EQ(std::string(avc.end() - expected_avcc.size() - 4, avc.end() - expected_avcc.size()), "avcC");

  const Bytes pcm = PcmSampleEntry(32000);
  EXPECT_EQ(std::string(pcm.begin() + 4, pcm.begin() + 8), "sowt");
  EXPECT_EQ(BE(pcm, 24, 2), 1u);   // mono
  EXPECT_EQ(BE(pcm, 26, 2), 16u);  // bits
  EXPECT_EQ(BE(pcm, 32, 4), 32000u << 16);

  EXPECT_EQ(TextSample("2026-03-14 09:26:55"), (Bytes{0,   19,  '2', '0', '2', '6', '-', '0', '3', '-', '1',
                                                      '4', ' ', '0', '9', ':', '2', '6', ':', '5', '5'}));
}

TEST(Mp4Writer, MoreThanFourGibibytesOfDataTakeLargeOffsetsAndALargeMdat) {
  Movie m;
  m.tracks.push_back(
      {TrackKind::kVideo, 90000, AvcSampleEntry(720, 576, {}, {}), 720, 576, {{3, 2000000000u, 3600, true}}});
  m.chunks = {{0, 2}, {0, 1}};
  const Bytes header = MovieHeader(m);
  ASSERT_FALSE(header.empty());
  EXPECT_EQ(BE(header, header.size() - 16, 4), 1u);  // the size is in the large field
  EXPECT_EQ(std::string(header.end() - 12, header.end() - 8), "mdat");
  EXPECT_EQ(BE(header, header.size() - 8, 8), 6000000000u + 16);
  const auto co64 = FindBox(header, "moov/trak/mdia/minf/stbl/co64");
  ASSERT_TRUE(co64);
  EXPECT_EQ(BE(header, co64->body + 4, 4), 2u);
  EXPECT_EQ(BE(header, co64->body + 8, 8), header.size());
  EXPECT_EQ(BE(header, co64->body + 16, 8), header.size() + 4000000000u);
}

TEST(Mp4Writer, AMovieWhoseChunksDoNotCoverItsSamplesExactlyIsRefused) {
  Movie more = SmallMovie();
  more.chunks.back().samples += 1;
  EXPECT_TRUE(MovieHeader(more).empty());
  Movie fewer = SmallMovie();
  fewer.chunks.pop_back();
  EXPECT_TRUE(MovieHeader(fewer).empty());
  Movie stray = SmallMovie();
  stray.chunks.push_back({7, 1});
  EXPECT_TRUE(MovieHeader(stray).empty());
}

}  // namespace
}  // namespace mp4
