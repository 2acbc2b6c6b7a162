#include "region_watch.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>

namespace am4search {
namespace {

constexpr int kWidth = 720, kHeight = 576;  // cameras of 360 x 288

// A grey decoded picture with a white square at (x, y) of the mosaic.
class Picture {
 public:
  explicit Picture(int square_x = -1, int square_y = -1) : pixels_(new uint8_t[engine::kPictureBytes]) {
    std::memset(pixels_.get(), 100, engine::kPictureBytes);
    for (int y = square_y; square_x >= 0 && y < square_y + 32; ++y)
      std::memset(pixels_.get() + (y * kWidth + square_x) * 3, 230, 32 * 3);
    entry_.bitmap_info.header = engine::TopDownHeader(kWidth, kHeight);
    entry_.pixels = pixels_.get();
  }
  const engine::PictureEntry& Entry() const { return entry_; }

 private:
  std::unique_ptr<uint8_t[]> pixels_;
  engine::PictureEntry entry_{};
};

TEST(RegionWatch, SeesTheCamerasQuarterAndTheRegionInItsPixels) {
  const Picture still, square(360 + 100, 288 + 40);  // in camera 4 at (100, 40)
  struct Case {
    WatchSettings settings;
    bool moved;
  } cases[] = {
      {{4, std::nullopt, 5}, true},
      {{1, std::nullopt, 5}, false},
      {{3, std::nullopt, 5}, false},
      {{4, search::Region{96, 32, 48, 48}, 5}, true},
      {{4, search::Region{150, 32, 48, 48}, 5}, false},  // beside it
      {{4, search::Region{100, 100, 48, 48}, 5}, false},  // below it
  };
  for (const Case& c : cases) {
    RegionWatch watch(c.settings);
    EXPECT_EQ(watch.Share(still.Entry()), 0) << "the first picture is the background";
    const int share = watch.Share(square.Entry());
    EXPECT_EQ(share > 0, c.moved) << "camera " << c.settings.camera << ", share " << share;
    EXPECT_EQ(watch.Share(square.Entry()) > 0, c.moved) << "it is still there";
  }
}

TEST(RegionWatch, RefusesARegionBeyondTheCamerasPictureForGood) {
  const Picture still;
  RegionWatch watch({1, search::Region{300, 200, 61, 10}, 5});
  EXPECT_EQ(watch.Share(still.Entry()), -1);
  EXPECT_EQ(watch.Refusal(), "the region lies outside camera 1's 360 x 288 picture");
  RegionWatch fits({1, search::Region{300, 200, 60, 88}, 5});
  EXPECT_EQ(fits.Share(still.Entry()), 0);
  EXPECT_EQ(fits.Refusal(), "");
}

TEST(RegionWatch, APictureOfNoUsableSizeIsNotSearched) {
  Picture tiny;
  engine::PictureEntry entry = tiny.Entry();
  entry.bitmap_info.header = engine::TopDownHeader(3, 2);
  RegionWatch watch({1, std::nullopt, 5});
  EXPECT_EQ(watch.Share(entry), -1);
  entry.bitmap_info.header = engine::TopDownHeader(kWidth, kHeight + 2);  // more than the picture buffer
  EXPECT_EQ(watch.Share(entry), -1);
  EXPECT_EQ(watch.Refusal(), "");
}

}  // namespace
}  // namespace am4search
