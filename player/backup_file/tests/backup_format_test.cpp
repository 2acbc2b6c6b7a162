#include "backup_format.h"

#include <gtest/gtest.h>

#include "box_builder.h"

namespace backup {
namespace {

using namespace backup::testing;

const Bytes kSps = {0x67, 0x42, 0xC0, 0x1E, 0xD9};
const Bytes kPps = {0x68, 0xCE, 0x3C, 0x80};
const Bytes kSlice = {0x65, 0x88, 0x84, 0x00, 0x33};

Bytes StoreBytes(const ParameterSetStore& s) { return Bytes(s.bytes, s.bytes + s.length); }

TEST(Sector, KindsByFirstFourBytes) {
  const struct {
    Bytes start;
    int kind;
  } cases[] = {
      {{0xFA, 0xFF, 0xFF, 0xFF}, 1}, {{0xFB, 0xFF, 0xFF, 0xFF}, 1}, {{'R', 'V', 'D', 'E'}, 2},
      {{'r', 'v', 'd', 'x'}, 3},     {{0xFC, 0xFF, 0xFF, 0xFF}, 0}, {{0xFA, 0xFF, 0xFF, 0xFE}, 0},
      {{'R', 'V', 'D', 'X'}, 0},     {{0, 0, 0, 0}, 0},
  };
  for (const auto& c : cases) EXPECT_EQ(ClassifySector(c.start.data()), c.kind);
}

TEST(SegmentHeader, FieldsTimeAndNeighbourOffsets) {
  Bytes s = HeaderSector({}, 7, 3000);
  const uint8_t fields[] = {14, 3, 10, 0, 59, 26, 9, 0};  // 14 March, year byte 10; 09:26:59
  std::memcpy(&s[40], fields, sizeof fields);
  s[8] = 0x7E, s[9] = 0x13;   // previous sector 4990
  s[16] = 0x88, s[17] = 0x13;  // own sector 5000
  s[24] = 0x90, s[25] = 0x13;  // next sector 5008
  s[48] = 15, s[52] = 25;
  const SegmentHeader h = ParseSegmentHeader(s.data());
  EXPECT_EQ(h.data_sectors, 7u);
  EXPECT_EQ(h.payload_length, 3000u);
  EXPECT_EQ(h.video_format, 15u);
  EXPECT_EQ(h.frame_rate, 25u);
  const CaptureTime t = HeaderTime(h);
  EXPECT_EQ((std::vector<int>{t.year, t.month, t.day, t.hour, t.minute, t.second}),
            (std::vector<int>{2006, 3, 14, 9, 26, 59}));
  EXPECT_EQ(PreviousHeaderOffset(1048576, h), 1043456u);
  EXPECT_EQ(NextHeaderOffset(1048576, h), 1048576u + 8 * 512);
  EXPECT_TRUE(SegmentFits(1048576, h, 1048576 + 512 + 7 * 512));
  EXPECT_FALSE(SegmentFits(1048576, h, 1048576 + 512 + 7 * 512 - 1));
  EXPECT_FALSE(SegmentFits(1048576, h, 1000));
}

TEST(ParameterArea, AudioBoxThenVideoBoxWithSpsAndPps) {
  const Bytes area = Concat({Box(1, Bytes(8, 0xFF)), Box(2, Nals({kSps, kPps}))});
  ParameterSetStore store;
  EXPECT_EQ(ScanParameterArea(HeaderSector(area).data(), store), 4 + kSps.size() + 4 + kPps.size());
  EXPECT_EQ(StoreBytes(store), Concat({{0, 0, 0, 1}, kSps, {0, 0, 0, 1}, kPps}));
}

TEST(ParameterArea, ParameterSetFollowedByASliceKeepsOnlyTheSet) {
  // The slice is stepped over by its length plus four; the PPS after it still counts.
  const Bytes area = Box(5, Nals({kSps, kSlice, kPps}));
  ParameterSetStore store;
  EXPECT_EQ(ScanParameterArea(HeaderSector(area).data(), store), 8 + kSps.size() + kPps.size());
  EXPECT_EQ(StoreBytes(store), Concat({{0, 0, 0, 1}, kSps, {0, 0, 0, 1}, kPps}));
}

TEST(ParameterArea, FailedScansLeaveTheStoreAsItWas) {
  Bytes oversized_nal = Box(2, Nals({kSps}));
  oversized_nal[27] = 40;  // the SPS claims 40 bytes, the box holds 5
  Bytes too_long_area = HeaderSector(Box(2, Nals({kSps, kPps})));
  too_long_area[400] = 112;  // would overlap the header's own fields
  Bytes box_past_area = Box(2, Nals({kSps, kPps}));
  Bytes size_zero = Box(2, Nals({kSps}));
  std::fill(size_zero.begin(), size_zero.begin() + 4, 0);
  box_past_area[3] += 1;

  const struct {
    const char* what;
    Bytes sector;
  } cases[] = {
      {"flags 3, not exactly 1", HeaderSector(Box(2, Nals({kSps}), 0, 0, 3))},
      {"type not qbox", HeaderSector(Box(2, Nals({kSps}), 0, 0, 1, "qbix"))},
      {"box size 0", HeaderSector(size_zero)},
      {"box size past the area", HeaderSector(box_past_area)},
      {"parameter set past its box", HeaderSector(oversized_nal)},
      {"area longer than the sector has room for", too_long_area},
      {"sets beyond 100 bytes", HeaderSector(Box(2, Nals({Concat({{0x67}, Bytes(60, 1)}), Concat({{0x68}, Bytes(40, 2)})})))},
      {"no parameter sets at all", HeaderSector(Box(1, Bytes(16, 0xFF)))},
      {"empty area", HeaderSector({})},
  };
  for (const auto& c : cases) {
    ParameterSetStore store;
    ASSERT_EQ(ScanParameterArea(HeaderSector(Box(2, Nals({kSps, kPps}))).data(), store), 17u);
    const Bytes before = StoreBytes(store);
    EXPECT_EQ(ScanParameterArea(c.sector.data(), store), 0u) << c.what;
    EXPECT_EQ(StoreBytes(store), before) << c.what;
  }
}

struct Split {
  std::vector<SplitFrame> frames;
  bool complete;
};

Split SplitAll(const Bytes& payload) {
  Split s;
  s.complete = SplitPayload(payload.data(), static_cast<uint32_t>(payload.size()), [&](const SplitFrame& f) {
    s.frames.push_back(f);
    return true;
  });
  return s;
}

TEST(SplitPayload, FramesOfEachStreamInOrderUnknownStreamsSkipped) {
  const Bytes payload = Concat({Box(2, Nals({kSlice}), 4, 1000), Box(1, Bytes(1152, 0x7F), 0, 1100),
                                Box(9, Bytes(10, 0)), Box(5, Nals({kSlice}), 0, 4600), Box(6, Bytes(4, 0), 0, 4700)});
  const Split s = SplitAll(payload);
  EXPECT_TRUE(s.complete);
  ASSERT_EQ(s.frames.size(), 4u);
  const int expected[4][3] = {{kVideoStream, kKeyFrame, 1000}, {kAudioStream1, kAudioFrame, 1100},
                              {kVideoStream, kOtherFrame, 4600}, {kAudioStream6, kAudioFrame, 4700}};
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(s.frames[i].stream_kind, expected[i][0]);
    EXPECT_EQ(s.frames[i].frame_kind, expected[i][1]);
    EXPECT_EQ(s.frames[i].timestamp, static_cast<uint32_t>(expected[i][2]));
  }
  EXPECT_EQ(s.frames[1].box, payload.data() + 24 + 4 + kSlice.size());
  EXPECT_EQ(s.frames[1].size, 24u + 1152);
}

TEST(SplitPayload, MalformedBoxEndsTheSplitKeepingEarlierFrames) {
  const Bytes good = Box(2, Nals({kSlice}), 4);
  Bytes zero_size = good;
  std::fill(zero_size.begin(), zero_size.begin() + 4, 0);
  Bytes too_big = good;
  too_big[3] += 1;
  const struct {
    const char* what;
    Bytes bad;
  } cases[] = {
      {"foreign box type", Box(2, Nals({kSlice}), 0, 0, 1, "moov")},
      {"box size 0", zero_size},
      {"box size past the payload", too_big},
      {"a piece shorter than a box header", Bytes(10, 0)},
  };
  for (const auto& c : cases) {
    const Split s = SplitAll(Concat({good, good, c.bad}));
    EXPECT_FALSE(s.complete) << c.what;
    EXPECT_EQ(s.frames.size(), 2u) << c.what;
  }
}

TEST(FrameRecord, CarriesTheHeaderWordsAndVideoFrameRate) {
  Bytes s = HeaderSector({});
  const uint8_t fields[] = {14, 3, 30, 0, 59, 26, 9, 0};
  std::memcpy(&s[40], fields, sizeof fields);
  s[52] = 30;
  const SegmentHeader h = ParseSegmentHeader(s.data());
  const Bytes box = Box(2, Nals({kSlice}), 4, 777);
  SplitFrame f;
  ASSERT_TRUE(ReadBox(box.data(), static_cast<uint32_t>(box.size()), 0, f));
  const FrameRecord video = MakeFrameRecord(f, h);
  EXPECT_EQ(video.data_length, box.size());
  EXPECT_EQ(video.date_word, 0x001E030Eu);
  EXPECT_EQ(video.time_word, 0x00091A3Bu);
  EXPECT_EQ(video.frame_rate, 30u);
  const Bytes audio_box = Box(1, Bytes(4, 0));
  ASSERT_TRUE(ReadBox(audio_box.data(), static_cast<uint32_t>(audio_box.size()), 0, f));
  EXPECT_EQ(MakeFrameRecord(f, h).frame_rate, 0u);
}

TEST(ConvertVideoFrame, StartCodesWithParameterSetsInFrontOfKeyFrames) {
  ParameterSetStore store;
  ASSERT_GT(ScanParameterArea(HeaderSector(Box(2, Nals({kSps, kPps}))).data(), store), 0u);
  const Bytes p_slice = {0x41, 0x9A, 0x02};
  const Bytes box = Box(2, Nals({kSlice, p_slice}));
  Bytes out(256);
  const uint32_t n = ConvertVideoFrame(box.data(), static_cast<uint32_t>(box.size()), true, store, out.data(), 256);
  EXPECT_EQ(Bytes(out.begin(), out.begin() + n),
            Concat({StoreBytes(store), {0, 0, 0, 1}, kSlice, {0, 0, 0, 1}, p_slice}));
  const uint32_t m = ConvertVideoFrame(box.data(), static_cast<uint32_t>(box.size()), false, store, out.data(), 256);
  EXPECT_EQ(Bytes(out.begin(), out.begin() + m), Concat({{0, 0, 0, 1}, kSlice, {0, 0, 0, 1}, p_slice}));
}

TEST(ConvertVideoFrame, StopsAtAUnitPastTheBoxOrTheOutput) {
  ParameterSetStore none;
  Bytes overlong = Box(2, Concat({Nals({kSlice}), {0, 0, 0, 99, 0x41}}));
  Bytes out(64);
  uint32_t n = ConvertVideoFrame(overlong.data(), static_cast<uint32_t>(overlong.size()), false, none, out.data(), 64);
  EXPECT_EQ(Bytes(out.begin(), out.begin() + n), Concat({{0, 0, 0, 1}, kSlice}));

  Bytes tail = Box(2, Concat({Nals({kSlice}), {0xAB, 0xCD}}));  // fewer than 4 bytes left: copied as they are
  n = ConvertVideoFrame(tail.data(), static_cast<uint32_t>(tail.size()), false, none, out.data(), 64);
  EXPECT_EQ(Bytes(out.begin(), out.begin() + n), Concat({{0, 0, 0, 1}, kSlice, {0xAB, 0xCD}}));

  const Bytes two = Box(2, Nals({kSlice, kSlice}));
  n = ConvertVideoFrame(two.data(), static_cast<uint32_t>(two.size()), false, none, out.data(), 12);
  EXPECT_EQ(n, 9u) << "only the first unit fits 12 bytes";
}

}  // namespace
}  // namespace backup
