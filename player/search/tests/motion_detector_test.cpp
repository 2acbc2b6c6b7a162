#include "motion_detector.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <random>

#include "motion_intervals.h"

namespace search {
namespace {

constexpr int kWidth = 160, kHeight = 120;
const Region kRegion{56, 40, 48, 40};

struct Square {
  int x, y, side;
  uint8_t level;
};

// A textured still scene with noise, a brightness offset and squares.
struct Scene {
  int brightness = 0;
  std::vector<Square> squares;
};

class SceneMaker {
 public:
  explicit SceneMaker(double noise) : noise_(0.0, noise) {}

  std::vector<uint8_t> Picture(const Scene& scene) {
    std::vector<uint8_t> luma(kWidth * kHeight);
    for (int y = 0; y < kHeight; ++y) {
      for (int x = 0; x < kWidth; ++x) {
        double level = 90 + 40 * std::sin(x / 9.0) * std::cos(y / 7.0) + scene.brightness + noise_(random_);
        for (const Square& s : scene.squares)
          if (x >= s.x && x < s.x + s.side && y >= s.y && y < s.y + s.side) level = s.level + noise_(random_);
        luma[y * kWidth + x] = static_cast<uint8_t>(std::clamp(std::lround(level), 0L, 255L));
      }
    }
    return luma;
  }

 private:
  std::mt19937 random_{7};
  std::normal_distribution<double> noise_;
};

struct Case {
  const char* name;
  double noise;
  std::function<Scene(int picture)> scene;
  int first, last;        // pictures in which the region moved; -1: none
  bool motion_elsewhere;  // blocks outside the region move
};

const Case kCases[] = {
    {"a square entering the region is found from the picture it enters to the last it is in", 4,
     [](int n) {
       Scene s;
       if (n >= 20 && n <= 34) s.squares.push_back({kRegion.x - 24 + (n - 20) * 6, 48, 24, 20});
       return s;
     },
     21, 31, true},
    {"heavy noise alone moves nothing", 16, [](int) { return Scene{}; }, -1, -1, false},
    {"a brightness jump of the whole picture is no motion", 4,
     [](int n) { return Scene{n >= 20 ? 40 : 0, {}}; }, -1, -1, false},
    {"the light of a day changing slowly is no motion", 4, [](int n) { return Scene{n / 2, {}}; }, -1, -1, false},
    {"a square there when the search began is taken in two seconds after it left", 4,
     [](int n) {
       Scene s;
       if (n == 0) s.squares.push_back({kRegion.x + 8, kRegion.y + 8, 24, 20});
       return s;
     },
     1, 50, false},
    {"a square that stops in the region is taken in two seconds later", 4,
     [](int n) {
       Scene s;
       if (n >= 10) s.squares.push_back({std::min(kRegion.x - 24 + (n - 10) * 6, kRegion.x + 8), 48, 24, 20});
       return s;
     },
     11, 64, true},  // it stops at 16; blocks inside the plain square are steady from 15
    {"a square moving just outside the region is not in it", 4,
     [](int n) {
       Scene s;
       if (n >= 10) s.squares.push_back({kRegion.x + kRegion.width + 4, 10 + (n % 20) * 4, 24, 230});
       return s;
     },
     -1, -1, true},
};

void PrintTo(const Case& c, std::ostream* os) { *os << c.name; }

class MotionDetectorCases : public testing::TestWithParam<Case> {};

TEST_P(MotionDetectorCases, FindMotionInTheRegionOnlyWhereThereIs) {
  const Case& c = GetParam();
  SceneMaker maker(c.noise);
  MotionDetector detector(kWidth, kHeight, kDefaultSensitivity);
  const std::vector<int> region = RegionBlocks(kRegion, detector.BlocksAcross(), detector.BlocksDown());
  int first = -1, last = -1;
  bool elsewhere = false;
  for (int n = 0; n < 100; ++n) {
    const std::vector<uint8_t> luma = maker.Picture(c.scene(n));
    const std::vector<uint8_t>& moved = detector.Update({luma.data(), kWidth, kHeight, kWidth});
    if (MovedShare(region, moved) > 0) {
      if (first < 0) first = n;
      last = n;
    }
    for (size_t b = 0; b < moved.size(); ++b)
      elsewhere = elsewhere || (moved[b] && std::find(region.begin(), region.end(), b) == region.end());
  }
  EXPECT_EQ(first, c.first);
  EXPECT_EQ(last, c.last);
  EXPECT_EQ(elsewhere, c.motion_elsewhere);
}

INSTANTIATE_TEST_SUITE_P(Scenes, MotionDetectorCases, testing::ValuesIn(kCases),
                         [](const auto& info) { return "case" + std::to_string(info.index); });

TEST(MotionDetector, AfterAWholeChangeTheNewSceneIsTheBackground) {
  SceneMaker maker(4);
  MotionDetector detector(kWidth, kHeight, kDefaultSensitivity);
  const std::vector<int> region = RegionBlocks(kRegion, detector.BlocksAcross(), detector.BlocksDown());
  for (int n = 0; n < 5; ++n) detector.Update({maker.Picture({}).data(), kWidth, kHeight, kWidth});
  const std::vector<uint8_t> brighter = maker.Picture({50, {}});
  EXPECT_EQ(MovedShare(region, detector.Update({brighter.data(), kWidth, kHeight, kWidth})), 0);
  EXPECT_TRUE(detector.ChangedAsAWhole());
  const std::vector<uint8_t> with_square = maker.Picture({50, {{kRegion.x, kRegion.y, 24, 20}}});
  EXPECT_GT(MovedShare(region, detector.Update({with_square.data(), kWidth, kHeight, kWidth})), 0);
  EXPECT_FALSE(detector.ChangedAsAWhole());
}

TEST(MotionDetector, FaintChangeIsFoundOnlyWhenSensitive) {
  std::vector<uint8_t> still(kWidth * kHeight, 100), faint = still;
  for (int y = 40; y < 72; ++y)
    for (int x = 60; x < 92; ++x) faint[y * kWidth + x] = 120;
  for (const int sensitivity : {1, 10}) {
    MotionDetector detector(kWidth, kHeight, sensitivity);
    detector.Update({still.data(), kWidth, kHeight, kWidth});
    const auto& moved = detector.Update({faint.data(), kWidth, kHeight, kWidth});
    EXPECT_EQ(std::count(moved.begin(), moved.end(), 1) > 0, sensitivity == 10) << sensitivity;
  }
}

TEST(MotionDetector, EdgeBlocksOfOddSizesAndWrongPicturesAreSafe) {
  MotionDetector detector(13, 9, kDefaultSensitivity);
  EXPECT_EQ(detector.BlocksAcross(), 2);
  EXPECT_EQ(detector.BlocksDown(), 2);
  std::vector<uint8_t> dark(13 * 9, 20), bright_corner = dark;
  detector.Update({dark.data(), 13, 9, 13});
  for (int y = 8; y < 9; ++y)
    for (int x = 8; x < 13; ++x) bright_corner[y * 13 + x] = 200;
  EXPECT_EQ(detector.Update({bright_corner.data(), 13, 9, 13}), (std::vector<uint8_t>{0, 0, 0, 1}));
  EXPECT_EQ(detector.Update({dark.data(), 12, 9, 12}), (std::vector<uint8_t>{0, 0, 0, 0})) << "another size";
  MotionDetector empty(0, 9, kDefaultSensitivity);
  EXPECT_TRUE(empty.Update({dark.data(), 0, 9, 13}).empty());
  EXPECT_TRUE(empty.Update({dark.data(), 0, 9, 13}).empty());
}

TEST(MotionDetector, HalfLumaIsTheMeanOf2x2PixelsWithGreenWeighingMost) {
  // Two rows of 7 pixels; the half picture of the 5 x 2 from the second pixel on is 2 x 1.
  const uint8_t b = 255, g = 255, r = 255, _ = 0;
  const uint8_t bgr[2][21] = {{9, 9, 9, b, _, _, b, _, _, _, g, _, _, g, _, _, _, r, 9, 9, 9},
                              {9, 9, 9, b, _, _, b, _, _, _, g, _, _, g, _, _, _, r, 9, 9, 9}};
  std::vector<uint8_t> luma;
  HalfLumaOfBgr(&bgr[0][0], 21, 1, 0, 5, 2, luma);
  EXPECT_EQ(luma, (std::vector<uint8_t>{29, 149}));
}

}  // namespace
}  // namespace search
