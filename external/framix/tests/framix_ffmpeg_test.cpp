// framix.dll's pictures agree with ffmpeg's decode of the same stream to at
// least 40 dB. Run by framix_ffmpeg_test.sh, which makes ffmpeg's pictures
// (raw BGR24 frames) and names them in FRAMIX_REFERENCE.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <vector>

#include "decoder_fixture.h"

namespace framixtest {
namespace {

constexpr int kWidth = 720, kHeight = 576;
constexpr size_t kBytes = kWidth * kHeight * 3;

double Psnr(const uint8_t* a, const uint8_t* b, size_t n) {
  double sum = 0;
  for (size_t i = 0; i < n; ++i) {
    const double d = double(a[i]) - b[i];
    sum += d * d;
  }
  return sum == 0 ? 99.0 : 10.0 * std::log10(255.0 * 255.0 / (sum / n));
}

TEST(FramixAgainstFfmpeg, EveryPictureIsWithin40Db) {
  const char* reference_path = std::getenv("FRAMIX_REFERENCE");
  ASSERT_NE(reference_path, nullptr) << "run through framix_ffmpeg_test.sh";
  // Read a picture at a time: the whole reference (hundreds of MB) does not
  // fit a 32-bit process.
  const std::unique_ptr<FILE, int (*)(FILE*)> reference(std::fopen(reference_path, "rb"), std::fclose);
  ASSERT_NE(reference, nullptr);
  const auto frames = FixtureFrames(FIXTURE_DIR "/cams4_25fps.am4");
  ASSERT_EQ(std::fseek(reference.get(), 0, SEEK_END), 0);
  ASSERT_EQ(size_t(std::ftell(reference.get())), frames.size() * kBytes);
  std::rewind(reference.get());
  std::vector<uint8_t> expected(kBytes);

  OpenDecoder decoder(Mode::kSync);
  const auto output = std::make_unique<uint8_t[]>(engine::kPictureBytes);
  double lowest = 99, total = 0;
  for (size_t i = 0; i < frames.size(); ++i) {
    auto params = Params(frames[i].bytes, output.get(), engine::kPictureBytes);
    ASSERT_GT(CODECAPI_DecodeFrameVideo(decoder.handle(), 0, &params), 0) << "picture " << i;
    ASSERT_EQ(params.width, kWidth);
    ASSERT_EQ(params.height, kHeight);
    ASSERT_EQ(std::fread(expected.data(), 1, kBytes, reference.get()), kBytes) << "picture " << i;
    const double db = Psnr(output.get(), expected.data(), kBytes);
    EXPECT_GE(db, 40.0) << "picture " << i;
    lowest = std::min(lowest, db);
    total += db;
  }
  std::printf("%zu pictures: PSNR lowest %.2f dB, mean %.2f dB\n", frames.size(), lowest, total / frames.size());
}

}  // namespace
}  // namespace framixtest
