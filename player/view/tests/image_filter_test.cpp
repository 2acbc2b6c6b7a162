// The image edit filters on small pictures whose results are worked out by hand.
#include <gtest/gtest.h>

#include <vector>

#include "image_filter.h"

namespace view {
namespace {

// A grey picture (all three colour values of a pixel alike), 3 bytes a pixel.
struct Grey {
  int width, height;
  std::vector<uint8_t> bytes;

  Grey(int w, int h, std::vector<int> values) : width(w), height(h) {
    for (int v : values) bytes.insert(bytes.end(), 3, uint8_t(v));
  }
  FilterPicture Picture() { return {width, -height, 24, bytes.data(), bytes.size()}; }
  std::vector<int> Values() const {
    std::vector<int> out;
    for (size_t i = 0; i < bytes.size(); i += 3) out.push_back(bytes[i]);
    return out;
  }
};

TEST(CFilter, BrightnessAndContrastChangeEveryColourValue) {
  struct Case {
    const char* name;
    bool contrast;
    int step, before, after;
  } const cases[] = {
      {"brighter clamps at 255", false, 3, 254, 255},
      {"brighter", false, 3, 100, 103},
      {"darker clamps at 0", false, -3, 2, 0},
      {"less contrast lifts black", true, -3, 0, 3},
      {"more contrast keeps black", true, 3, 0, 0},
      {"more contrast clamps white", true, 3, 255, 255},
      {"more contrast above grey", true, 3, 200, 201},
      {"division truncates toward zero", true, -3, 129, 129},
      {"less contrast below grey", true, -3, 64, 65},
  };
  const CFilter filter;
  for (const Case& c : cases) {
    Grey g(2, 2, {c.before, c.before, c.before, c.before});
    if (c.contrast) filter.Contrast(g.Picture(), c.step);
    else filter.Brightness(g.Picture(), c.step);
    EXPECT_EQ(g.Values(), std::vector<int>(4, c.after)) << c.name;
  }
}

TEST(CFilter, ThirtyTwoBitPixelsKeepTheirFourthByte) {
  std::vector<uint8_t> bytes = {10, 20, 30, 77, 40, 50, 60, 88};
  CFilter().Brightness({2, 1, 32, bytes.data(), bytes.size()}, 3);
  EXPECT_EQ(bytes, (std::vector<uint8_t>{13, 23, 33, 77, 43, 53, 63, 88}));
}

TEST(CFilter, SharpenAndBlurWorkInPlaceOnRowsOneToHeightLessThree) {
  struct Case {
    const char* name;
    bool blur;
    std::vector<int> before, after;
  } const cases[] = {
      // A bright pixel in row 1; rows 0, 2 and 3 stay. In place: the pixels
      // after it see its new value.
      {"sharpen a spot", false, {0, 0, 0, 0, 100, 0, 0, 0, 0, 0, 0, 0}, {0, 0, 0, 0, 140, 0, 0, 0, 0, 0, 0, 0}},
      {"blur a spot, divided by 19", true, {0, 0, 0, 0, 100, 0, 0, 0, 0, 0, 0, 0},
       {0, 0, 0, 15, 23, 4, 0, 0, 0, 0, 0, 0}},
      // Row 1's first pixel: its up-left neighbour lies before the picture
      // and takes pixel 0 (90), its left one is row 0's last pixel.
      {"sharpen at the picture's first corner", false, {90, 0, 0, 100, 0, 0, 0, 0, 0, 0, 0, 0},
       {90, 0, 0, 131, 0, 0, 0, 0, 0, 0, 0, 0}},
      {"blur at the picture's first corner", true, {90, 0, 0, 100, 0, 0, 0, 0, 0, 0, 0, 0},
       {90, 0, 0, 40, 11, 3, 0, 0, 0, 0, 0, 0}},
      {"a flat picture stays flat when sharpened", false, std::vector<int>(12, 100), std::vector<int>(12, 100)},
  };
  for (const Case& c : cases) {
    Grey g(3, 4, c.before);
    if (c.blur) CFilter().Blur(g.Picture());
    else CFilter().Sharpen(g.Picture());
    EXPECT_EQ(g.Values(), c.after) << c.name;
  }
}

TEST(CFilter, LeavesWhatItCannotFilterUnchanged) {
  // 15 pixels of a ramp, seen as pictures of these sizes.
  struct Case {
    const char* name;
    int width, height, bits;
    bool all_four;  // else only sharpen and blur leave it
  } const cases[] = {
      {"one row", 15, 1, 24, false},   {"two rows", 7, 2, 24, false}, {"three rows", 5, 3, 24, false},
      {"16 bits a pixel", 5, 3, 16, true}, {"no width", 0, 3, 24, true},
      {"larger than its buffer", 4, 4, 24, true},
  };
  std::vector<int> ramp;
  for (int k = 0; k < 15; ++k) ramp.push_back(k * 17);
  const CFilter filter;
  for (const Case& c : cases) {
    for (int op = c.all_four ? 0 : 2; op < 4; ++op) {
      Grey g(15, 1, ramp);
      const std::vector<uint8_t> before = g.bytes;
      const FilterPicture p{c.width, -c.height, c.bits, g.bytes.data(), g.bytes.size()};
      switch (op) {
        case 0: filter.Brightness(p, 3); break;
        case 1: filter.Contrast(p, 3); break;
        case 2: filter.Sharpen(p); break;
        case 3: filter.Blur(p); break;
      }
      EXPECT_EQ(g.bytes, before) << c.name << ", operation " << op;
    }
  }
}

}  // namespace
}  // namespace view
