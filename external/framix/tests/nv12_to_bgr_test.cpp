// The integer conversion agrees with the BT.601 limited-range formula to one
// step, every pixel taking the chroma of its 2 x 2 block, strides honoured.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

#include "nv12_to_bgr.h"

namespace {

int Expected(double value) { return std::clamp(static_cast<int>(std::lround(value)), 0, 255); }

struct Size {
  int width, height;
};

class Nv12ToBgr : public testing::TestWithParam<Size> {};

TEST_P(Nv12ToBgr, MatchesTheFormulaForEveryPixel) {
  const auto [width, height] = GetParam();
  const int y_stride = width + 13, uv_stride = width + 7, dst_stride = width * 3 + 5;
  const int chroma_rows = (height + 1) / 2;
  std::mt19937 random(7);
  std::vector<uint8_t> y(y_stride * height), uv(uv_stride * chroma_rows);
  for (auto& b : y) b = static_cast<uint8_t>(random());
  for (auto& b : uv) b = static_cast<uint8_t>(random());
  std::vector<uint8_t> dst(dst_stride * height, 0xEE);

  framix::Nv12ToBgr({y.data(), uv.data(), y_stride, uv_stride, width, height}, dst.data(), dst_stride);

  int off_by_more = 0;
  for (int row = 0; row < height; ++row) {
    for (int x = 0; x < width; ++x) {
      const double l = 1.164383 * (y[row * y_stride + x] - 16);
      const double u = uv[row / 2 * uv_stride + x / 2 * 2] - 128.0;
      const double v = uv[row / 2 * uv_stride + x / 2 * 2 + 1] - 128.0;
      const int want[3] = {Expected(l + 2.017232 * u), Expected(l - 0.391762 * u - 0.812968 * v),
                           Expected(l + 1.596027 * v)};
      const uint8_t* got = &dst[row * dst_stride + x * 3];
      for (int c = 0; c < 3; ++c) off_by_more += std::abs(got[c] - want[c]) > 1;
    }
    for (int pad = width * 3; pad < dst_stride; ++pad) ASSERT_EQ(dst[row * dst_stride + pad], 0xEE) << "row " << row;
  }
  EXPECT_EQ(off_by_more, 0);
}

INSTANTIATE_TEST_SUITE_P(Sizes, Nv12ToBgr, testing::Values(Size{720, 576}, Size{37, 9}, Size{2, 2}));

}  // namespace
