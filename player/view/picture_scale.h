// Scaling a camera picture onto the video area with area averaging (every
// source pixel under an output pixel counts, so shrinking does not alias) and
// linear interpolation when enlarging: the quality of a halftone stretch, in
// about half a millisecond a picture. Portable.
#pragma once
#include <cstdint>
#include <memory>
#include <vector>

namespace view {

// Output pixel i of an axis of `to` pixels takes the source pixels
// first[i] .. first[i] + count[i] - 1 with the weights of `weights`
// (kWeightOne in all), from an axis of `from` pixels.
struct ScaleTaps {
  static constexpr int kWeightOne = 256;  // products of 8-bit values fit 16 bits
  int from = 0, to = 0;
  std::vector<int32_t> first, count, weights;  // weights: count[i] entries per output, in order
};
ScaleTaps MakeTaps(int from, int to);

struct SourcePicture {
  const uint8_t* pixels;  // 24-bit, blue green red, rows top first
  int stride;             // bytes from one row to the next (negative: rows bottom first)
  int x, y, width, height;  // the part to scale
};

struct FixedTaps;

class PictureScaler {
 public:
  PictureScaler();
  ~PictureScaler();
  // Scales the source part onto a width x height 24-bit picture (rows top
  // first, `stride` bytes apart).
  void Scale(const SourcePicture& source, uint8_t* out, int stride, int width, int height);

 private:
  ScaleTaps columns_, rows_;
  std::unique_ptr<FixedTaps> across_, down_;  // the same with a fixed number of taps
  std::vector<uint8_t> rows_scaled_;  // the last source rows scaled across
  std::vector<uint16_t> sums_;       // one row being summed across
};

}  // namespace view
