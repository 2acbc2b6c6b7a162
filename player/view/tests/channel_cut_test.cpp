#include "channel_cut.h"

#include <gtest/gtest.h>

#include <vector>

namespace view {
namespace {

// Each source pixel's blue byte names its quarter, green its row in it.
std::vector<uint8_t> Mosaic(int width, int height) {
  std::vector<uint8_t> p(size_t(width) * height * 3);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      uint8_t* px = &p[(size_t(y) * width + x) * 3];
      px[0] = uint8_t((y >= height / 2) * 2 + (x >= width / 2));
      px[1] = uint8_t(y % (height / 2));
      px[2] = 7;
    }
  return p;
}

TEST(ChannelCut, EachCameraGetsItsQuarterRowByRow) {
  const int w = 720, h = 480;
  const auto source = Mosaic(w, h);
  std::vector<uint8_t> out[4];
  uint8_t* outs[4];
  for (int i = 0; i < 4; ++i) outs[i] = (out[i].assign(360 * 3 * 240, 0xEE), out[i].data());
  CutQuarters(source.data(), source.size(), w, -h, 24, outs, out[0].size());
  ASSERT_EQ(HalfRowBytes(w, 24), 1080);
  for (int c = 0; c < 4; ++c) {
    for (int row : {0, 1, 239}) {
      const uint8_t* first = &out[c][size_t(row) * 1080];
      const uint8_t* last = first + 1077;
      EXPECT_EQ(first[0], c) << "camera " << c << " row " << row;
      EXPECT_EQ(last[0], c);
      EXPECT_EQ(first[1], row);
    }
  }
}

TEST(ChannelCut, AQuarterPutBackRestoresItsPartOfTheMosaicOnly) {
  const int w = 720, h = 480;
  const auto original = Mosaic(w, h);
  for (int camera = 0; camera < 4; ++camera) {
    std::vector<uint8_t> out[4];
    uint8_t* outs[4];
    for (int i = 0; i < 4; ++i) outs[i] = (out[i].assign(360 * 3 * 240, 0), out[i].data());
    CutQuarters(original.data(), original.size(), w, -h, 24, outs, out[0].size());
    std::vector<uint8_t> edited(original.size(), 0x55);
    PutQuarter(out[camera].data(), out[camera].size(), camera, w, -h, 24, edited.data(), edited.size());
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) {
        const size_t at = (size_t(y) * w + x) * 3;
        const bool own = (y >= h / 2) * 2 + (x >= w / 2) == camera;
        ASSERT_EQ(edited[at], own ? original[at] : 0x55) << "camera " << camera << " at " << x << "," << y;
        ASSERT_EQ(edited[at + 1], own ? original[at + 1] : 0x55);
      }
  }
  std::vector<uint8_t> quarter(360 * 3 * 240, 1), small(1000, 0);
  PutQuarter(quarter.data(), quarter.size(), 3, w, -h, 24, small.data(), small.size());
  EXPECT_EQ(small, std::vector<uint8_t>(1000, 0)) << "camera 3's rows lie past a short buffer";
}

TEST(ChannelCut, NeitherReadsNorWritesPastTheBuffers) {
  const auto source = Mosaic(720, 576);
  std::vector<uint8_t> out[4];
  uint8_t* outs[4];
  for (int i = 0; i < 4; ++i) outs[i] = (out[i].assign(1080 * 10, 0), out[i].data());
  // The header claims more rows than either side holds; sanitizers watch the copies.
  CutQuarters(source.data(), 2160 * 15, 720, 576, 24, outs, out[0].size());
  EXPECT_EQ(out[0][1080 * 7], 0);  // source row 7 reached camera 0
  EXPECT_EQ(out[1][1080 * 7], 1);
  CutQuarters(source.data(), source.size(), 720, 1, 24, outs, out[0].size());  // no rows: nothing
  CutQuarters(source.data(), source.size(), 0, 576, 24, outs, out[0].size());
}

}  // namespace
}  // namespace view
