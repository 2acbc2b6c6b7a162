// framix_bench AM4 [ROUNDS]: decode rate of framix.dll (synchronous mode) over
// every picture of a backup file, and of the I420 to BGR conversion alone.
// Prints "framix_pictures_per_s R" and "conversion_pictures_per_s R" lines.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <vector>

#include "decoder_fixture.h"
#include "yuv_to_bgr.h"

namespace {

double Now() {
  LARGE_INTEGER t, f;
  QueryPerformanceCounter(&t);
  QueryPerformanceFrequency(&f);
  return double(t.QuadPart) / double(f.QuadPart);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fputs("usage: framix_bench AM4 [ROUNDS]\n", stderr);
    return 2;
  }
  const int rounds = argc > 2 ? std::atoi(argv[2]) : 1;
  const auto frames = framixtest::FixtureFrames(argv[1]);
  if (frames.empty()) return 1;
  const auto output = std::make_unique<uint8_t[]>(engine::kPictureBytes);

  double best = 0;
  for (int round = 0; round < rounds; ++round) {
    framixtest::OpenDecoder decoder(framixtest::Mode::kSync);
    const double start = Now();
    for (const auto& frame : frames) {
      auto params = framixtest::Params(frame.bytes, output.get(), engine::kPictureBytes);
      if (CODECAPI_DecodeFrameVideo(decoder.handle(), 0, &params) <= 0) {
        std::fputs("framix_bench: decode failed\n", stderr);
        return 1;
      }
    }
    const double rate = frames.size() / (Now() - start);
    if (rate > best) best = rate;
  }
  std::printf("pictures %zu\nframix_pictures_per_s %.1f\n", frames.size(), best);

  // The conversion on its own, over a grey 720 x 576 picture.
  constexpr int kWidth = 720, kHeight = 576, kConversions = 500;
  std::vector<uint8_t> yuv(kWidth * kHeight * 3 / 2, 128);
  const uint8_t* u = yuv.data() + kWidth * kHeight;
  const framix::YuvView view{yuv.data(), u, u + kWidth * kHeight / 4, kWidth, kWidth / 2, 1, kWidth, kHeight};
  const double start = Now();
  for (int i = 0; i < kConversions; ++i) framix::YuvToBgr(view, output.get(), kWidth * 3);
  std::printf("conversion_pictures_per_s %.1f\n", kConversions / (Now() - start));
  return 0;
}
