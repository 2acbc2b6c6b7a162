// Motion in a camera's picture, block by block, against a background that
// follows slow change. Portable: the search tool and the player feed it
// decoded pictures.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

namespace search {

// Brightness samples of a picture, rows top first, `stride` bytes apart.
struct LumaView {
  const uint8_t* pixels;
  int width, height, stride;
};

// The luma of a rectangle of a 24-bit BGR picture (rows top first, `stride`
// bytes apart) at half its width and height, each sample the mean of 2 x 2
// pixels, into `luma`, packed: a quarter of the work for the detector, and
// less noise.
void HalfLumaOfBgr(const uint8_t* bgr, int stride, int x, int y, int width, int height, std::vector<uint8_t>& luma);

constexpr int kBlockPixels = 8;  // a block's side
constexpr int kMinSensitivity = 1, kMaxSensitivity = 10, kDefaultSensitivity = 5;

class MotionDetector {
 public:
  // For pictures of width x height (nothing moves when either is 0);
  // sensitivity 1 (only strong change) to 10 (faint change).
  MotionDetector(int width, int height, int sensitivity);

  // Compares the picture with the background and folds it in. One decision
  // per block, rows top first, 1 where it moved; all 0 for the first
  // picture and for a change of nearly the whole picture at once.
  const std::vector<uint8_t>& Update(const LumaView& picture);

  int Width() const { return width_; }
  int Height() const { return height_; }
  int BlocksAcross() const { return across_; }
  int BlocksDown() const { return down_; }
  bool ChangedAsAWhole() const { return changed_as_a_whole_; }  // of the latest picture

 private:
  int BlockArea(size_t block) const;  // pixels in it: fewer at the right and bottom edges
  void TakeAsBackground(const LumaView& picture);

  const int width_, height_, across_, down_;
  const int min_threshold_;                  // levels a pixel must differ by at least
  std::vector<uint16_t> background_;         // per pixel, in 1/16 levels
  std::vector<uint8_t> previous_;            // per pixel, the latest picture
  std::vector<uint8_t> differences_;         // per pixel, of the latest picture from the background
  std::vector<int> steady_;                  // per block, pictures it has differed and stayed as it is
  std::vector<uint8_t> moved_;
  bool started_ = false, changed_as_a_whole_ = false;
};

}  // namespace search
