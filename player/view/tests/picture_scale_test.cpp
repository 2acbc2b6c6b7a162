#include "picture_scale.h"

#include <gtest/gtest.h>

#include <vector>

namespace view {
namespace {

struct Picture {
  int width, height;
  std::vector<uint8_t> bgr;
  SourcePicture Whole() const { return {bgr.data(), width * 3, 0, 0, width, height}; }
};

Picture Filled(int w, int h, uint8_t (*value)(int x, int y, int c)) {
  Picture p{w, h, std::vector<uint8_t>(size_t(w) * h * 3)};
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      for (int c = 0; c < 3; ++c) p.bgr[(size_t(y) * w + x) * 3 + c] = value(x, y, c);
  return p;
}

std::vector<uint8_t> Scaled(const SourcePicture& s, int w, int h) {
  std::vector<uint8_t> out(size_t(w) * h * 3, 0xAB);
  PictureScaler().Scale(s, out.data(), w * 3, w, h);
  return out;
}

TEST(PictureScale, TapsStayInsideTheSourceAndWeighOne) {
  const int sizes[][2] = {{712, 704}, {576, 528}, {356, 704}, {288, 528}, {1, 9}, {9, 1}, {5, 5}, {720, 3}};
  for (auto [from, to] : sizes) {
    const ScaleTaps t = MakeTaps(from, to);
    ASSERT_EQ(int(t.first.size()), to);
    size_t w = 0;
    for (int i = 0; i < to; ++i) {
      EXPECT_GE(t.first[i], 0);
      EXPECT_LE(t.first[i] + t.count[i], from) << from << " -> " << to << " at " << i;
      int sum = 0;
      for (int k = 0; k < t.count[i]; ++k) sum += t.weights[w++];
      EXPECT_EQ(sum, ScaleTaps::kWeightOne);
    }
    EXPECT_EQ(w, t.weights.size());
  }
}

TEST(PictureScale, SameSizeCopiesAndUniformStaysUniform) {
  const Picture p = Filled(5, 3, [](int x, int y, int c) { return uint8_t(x * 40 + y * 10 + c); });
  const auto same = Scaled(p.Whole(), 5, 3);
  for (int i = 0; i < 15; ++i)
    for (int c = 0; c < 3; ++c) EXPECT_EQ(same[i * 3 + c], p.bgr[i * 3 + c]) << "pixel " << i;
  const Picture flat = Filled(712, 576, [](int, int, int c) { return uint8_t(60 + c * 50); });
  for (auto [w, h] : {std::pair{704, 528}, {1408, 1056}, {37, 11}}) {
    const auto out = Scaled(flat.Whole(), w, h);
    for (size_t i = 0; i < out.size(); i += 3) {
      ASSERT_EQ(out[i], 60);
      ASSERT_EQ(out[i + 1], 110);
      ASSERT_EQ(out[i + 2], 160);
    }
  }
}

TEST(PictureScale, ShrinkingAveragesInsteadOfPickingPixels) {
  // Black and white columns at half size: grey, not stripes.
  const Picture stripes = Filled(64, 4, [](int x, int, int) { return uint8_t(x % 2 ? 255 : 0); });
  const auto half = Scaled(stripes.Whole(), 32, 4);
  for (int x = 1; x < 31; ++x) EXPECT_NEAR(half[(32 + x) * 3], 128, 2) << x;
}

TEST(PictureScale, APartIsScaledAloneAndEnlargingInterpolates) {
  // Left half black, right half a ramp: only the right half is taken.
  const Picture p = Filled(8, 2, [](int x, int, int) { return uint8_t(x < 4 ? 0 : (x - 4) * 60); });
  const auto out = Scaled({p.bgr.data(), 8 * 3, 4, 0, 4, 2}, 16, 2);
  EXPECT_EQ(out[0], 0);
  EXPECT_EQ(out[15 * 3], 180);
  for (int x = 1; x < 16; ++x) EXPECT_GE(out[x * 3], out[(x - 1) * 3]) << x;
}

}  // namespace
}  // namespace view
