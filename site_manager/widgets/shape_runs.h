// The opaque runs of a bitmap that shape a window: every maximal horizontal
// run of pixels that are not the magenta key, as one-row rectangles, in
// rows from the top. Portable.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

struct RunRect {
  int32_t left, top, right, bottom;  // right and bottom exclusive
  bool operator==(const RunRect&) const = default;
};

// Regions are built from at most this many rectangles at a time and united.
constexpr size_t kRunsPerRegion = 1000;

// Magenta with a tolerance of 16 on green only.
constexpr bool IsShapeKey(uint8_t blue, uint8_t green, uint8_t red) {
  return blue == 255 && red == 255 && green <= 16;
}

// pixels: 32 bits a pixel, bytes blue, green, red, unused; rows top first,
// rowBytes apart.
std::vector<RunRect> OpaqueRuns(const uint8_t* pixels, int width, int height, size_t rowBytes);

// The runs cut into consecutive batches of at most kRunsPerRegion.
std::vector<std::span<const RunRect>> RegionBatches(std::span<const RunRect> runs);
