// The integer conversion agrees with the BT.601 limited-range formula to one
// step, every pixel taking the chroma of its 2 x 2 block, in both chroma
// layouts, strides honoured and nothing written between rows.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

#include "yuv_to_bgr.h"

namespace {

int Expected(double value) { return std::clamp(static_cast<int>(std::lround(value)), 0, 255); }

struct Case {
  int width, height, chroma_step;
};

class YuvToBgr : public testing::TestWithParam<Case> {};

TEST_P(YuvToBgr, MatchesTheFormulaForEveryPixel) {
  const auto [width, height, step] = GetParam();
  const int y_stride = width + 13, chroma_stride = (width + 1) / 2 * step + 7, dst_stride = width * 3 + 5;
  const int chroma_rows = (height + 1) / 2;
  std::mt19937 random(7);
  std::vector<uint8_t> y(y_stride * height), u(chroma_stride * chroma_rows), v(u.size());
  for (auto* plane : {&y, &u, &v}) {
    for (auto& b : *plane) b = static_cast<uint8_t>(random());
  }
  // Interleaved: U at even bytes of one plane, V after each.
  const uint8_t* v_start = step == 2 ? u.data() + 1 : v.data();
  std::vector<uint8_t> dst(dst_stride * height, 0xEE);

  framix::YuvToBgr({y.data(), u.data(), v_start, y_stride, chroma_stride, step, width, height}, dst.data(),
                   dst_stride);

  int off_by_more = 0;
  for (int row = 0; row < height; ++row) {
    for (int x = 0; x < width; ++x) {
      const int chroma = row / 2 * chroma_stride + x / 2 * step;
      const double l = 1.164383 * (y[row * y_stride + x] - 16);
      const double cu = u[chroma] - 128.0, cv = v_start[chroma] - 128.0;
      const int want[3] = {Expected(l + 2.017232 * cu), Expected(l - 0.391762 * cu - 0.812968 * cv),
                           Expected(l + 1.596027 * cv)};
      const uint8_t* got = &dst[row * dst_stride + x * 3];
      for (int c = 0; c < 3; ++c) off_by_more += std::abs(got[c] - want[c]) > 1;
    }
    for (int pad = width * 3; pad < dst_stride; ++pad) ASSERT_EQ(dst[row * dst_stride + pad], 0xEE) << "row " << row;
  }
  EXPECT_EQ(off_by_more, 0);
}

INSTANTIATE_TEST_SUITE_P(Sizes, YuvToBgr,
                         testing::Values(Case{720, 576, 1}, Case{720, 576, 2}, Case{37, 9, 1}, Case{37, 9, 2},
                                         Case{2, 2, 1}, Case{2, 2, 2}));

}  // namespace
