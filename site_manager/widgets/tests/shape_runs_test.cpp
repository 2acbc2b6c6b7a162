// Runs of opaque pixels that shape a window, and their batches.
#include "shape_runs.h"

#include <gtest/gtest.h>

namespace {

struct Rgb {
  uint8_t r, g, b;
};
constexpr Rgb kKey = {255, 0, 255}, kGrey = {128, 128, 128};

// One row of pixels in the 32-bit layout the region builder reads.
std::vector<uint8_t> Row(std::initializer_list<Rgb> pixels) {
  std::vector<uint8_t> bytes;
  for (Rgb p : pixels) bytes.insert(bytes.end(), {p.b, p.g, p.r, 0});
  return bytes;
}

TEST(ShapeRuns, KeyGreyKeyIsOneRectangle) {
  std::vector<uint8_t> row = Row({kKey, kGrey, kKey});
  EXPECT_EQ(OpaqueRuns(row.data(), 3, 1, row.size()), (std::vector<RunRect>{{1, 0, 2, 1}}));
}

TEST(ShapeRuns, KeyToleratesGreenUpTo16Only) {
  struct Case {
    Rgb pixel;
    bool key;
  } cases[] = {
      {{255, 0, 255}, true},   {{255, 16, 255}, true},  {{255, 17, 255}, false},
      {{254, 0, 255}, false},  {{255, 0, 254}, false},  {{255, 255, 255}, false},
  };
  for (const Case& c : cases) {
    std::vector<uint8_t> row = Row({c.pixel});
    EXPECT_EQ(OpaqueRuns(row.data(), 1, 1, row.size()).empty(), c.key)
        << int(c.pixel.r) << "," << int(c.pixel.g) << "," << int(c.pixel.b);
  }
}

TEST(ShapeRuns, RowsTopFirstWithPaddingAndSeveralRunsPerRow) {
  // Two rows of 4 pixels, each row followed by 8 bytes that are not pixels.
  std::vector<uint8_t> pixels = Row({kGrey, kKey, kGrey, kGrey});
  pixels.resize(24, 0xFF);
  std::vector<uint8_t> second = Row({kKey, kKey, kKey, kGrey});
  pixels.insert(pixels.end(), second.begin(), second.end());
  pixels.resize(48, 0xFF);
  EXPECT_EQ(OpaqueRuns(pixels.data(), 4, 2, 24),
            (std::vector<RunRect>{{0, 0, 1, 1}, {2, 0, 4, 1}, {3, 1, 4, 2}}));
}

TEST(ShapeRuns, OnlyKeyPixelsGiveNoRuns) {
  std::vector<uint8_t> row = Row({kKey, kKey});
  EXPECT_TRUE(OpaqueRuns(row.data(), 2, 1, row.size()).empty());
}

TEST(ShapeRuns, BatchesHoldAtMostAThousandInOrder) {
  for (size_t count : {size_t(0), size_t(1), kRunsPerRegion, kRunsPerRegion + 1, 2 * kRunsPerRegion + 7}) {
    std::vector<RunRect> runs;
    for (size_t i = 0; i < count; ++i) runs.push_back({0, int32_t(i), 1, int32_t(i) + 1});
    std::vector<RunRect> joined;
    for (std::span<const RunRect> batch : RegionBatches(runs)) {
      EXPECT_LE(batch.size(), kRunsPerRegion);
      EXPECT_FALSE(batch.empty());
      joined.insert(joined.end(), batch.begin(), batch.end());
    }
    EXPECT_EQ(joined, runs) << count;
    EXPECT_EQ(RegionBatches(runs).size(), (count + kRunsPerRegion - 1) / kRunsPerRegion);
  }
}

}  // namespace
