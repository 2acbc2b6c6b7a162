// auralis.dll expands the recorder's mu-law sound as ffmpeg does and never
// writes more than it is given room for.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "auralis_api.h"
#include "backup_walk.h"
#include "tone.h"

namespace {

constexpr int kKind = 2;
constexpr int kRoom = 163840;  // what the player offers per call

class AudioDecoder : public testing::Test {
 protected:
  void SetUp() override { ASSERT_GE(handle_ = CODECAPI_AudioDecodeInit(kKind), 0); }
  void TearDown() override { EXPECT_GT(CODECAPI_AudioDecodeDeInit(handle_, kKind), 0); }

  std::vector<int16_t> Decode(const std::vector<uint8_t>& input) {
    std::vector<uint8_t> out(kRoom);
    int length = kRoom, spare = 0;
    CODECAPI_AudioDecodeProcess(handle_, kKind, input.data(), static_cast<int>(input.size()), out.data(), &length,
                                &spare);
    std::vector<int16_t> samples(length / 2);
    std::memcpy(samples.data(), out.data(), samples.size() * 2);
    return samples;
  }

  int handle_ = -1;
};

TEST_F(AudioDecoder, ExpandsEveryCodeAsFfmpegDoes) {
  std::vector<uint8_t> codes(256);
  for (int i = 0; i < 256; ++i) codes[i] = static_cast<uint8_t>(i);
  const testsupport::Bytes reference = testsupport::ReadWholeFile(DATA_DIR "/mulaw_all_codes.s16");
  ASSERT_EQ(reference.size(), 512u);
  std::vector<int16_t> expected(256);
  std::memcpy(expected.data(), reference.data(), 512);
  EXPECT_EQ(Decode(codes), expected);
}

TEST_F(AudioDecoder, WritesWholeSamplesWithinTheRoomGivenAndSaysHowMany) {
  const std::vector<uint8_t> input(100, 0x00);
  struct Case {
    int room, written;
  } cases[] = {{0, 0}, {1, 0}, {5, 4}, {6, 6}, {200, 200}, {1000, 200}};
  for (const Case& c : cases) {
    std::vector<uint8_t> out(1100, 0xA5);
    int length = c.room, spare = 0;
    CODECAPI_AudioDecodeProcess(handle_, kKind, input.data(), 100, out.data(), &length, &spare);
    EXPECT_EQ(length, c.written) << "room " << c.room;
    EXPECT_TRUE(std::all_of(out.begin() + c.written, out.end(), [](uint8_t b) { return b == 0xA5; }))
        << "room " << c.room;
    if (c.written >= 2) {
      EXPECT_EQ(out[0] | out[1] << 8, 0x10000 - 32124) << "room " << c.room;
    }
  }
}

TEST_F(AudioDecoder, TheRecordersFirstSecondBecomesItsTone) {
  const auto segments = testsupport::WalkSegments(testsupport::ReadWholeFile(FIXTURE_DIR "/cams4_25fps.am4"));
  std::vector<int16_t> pcm;
  for (const auto& segment : segments) {
    for (const auto& box : segment.boxes) {
      if (box.stream_type != 1 || pcm.size() >= 32000) continue;
      const auto part = Decode(box.payload);
      ASSERT_EQ(part.size(), box.payload.size());
      pcm.insert(pcm.end(), part.begin(), part.end());
    }
  }
  ASSERT_GE(pcm.size(), 32000u);
  pcm.resize(32000);
  EXPECT_NEAR(testsupport::MedianToneFrequency(pcm, 32000, 3200), 400.0, 2.0);
  EXPECT_NEAR(testsupport::Level(pcm), 0.5 * 32768 / 1.41421, 600);
}

TEST(AudioDecoderCalls, FailOnHandlesNotOpenAndLeaveOutputEmpty) {
  EXPECT_EQ(CODECAPI_AudioDecodeInit(7), -1);
  const int handle = CODECAPI_AudioDecodeInit(kKind);
  ASSERT_GE(handle, 0);
  const uint8_t input[4] = {1, 2, 3, 4};
  uint8_t out[8] = {};
  for (int bad : {-1, 16, handle + 1}) {
    int length = 8;
    EXPECT_LT(CODECAPI_AudioDecodeProcess(bad, kKind, input, 4, out, &length, nullptr), 0) << bad;
    EXPECT_EQ(length, 0) << bad;
  }
  EXPECT_GT(CODECAPI_AudioDecodeDeInit(handle, kKind), 0);
  EXPECT_EQ(CODECAPI_AudioDecodeDeInit(handle, kKind), 0);
  int length = 8;
  EXPECT_LT(CODECAPI_AudioDecodeProcess(handle, kKind, input, 4, out, &length, nullptr), 0);
}

}  // namespace
