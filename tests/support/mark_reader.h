// Reads the camera and picture marks of test pictures (tools/mosaic).
#pragma once
#include <cstdint>
#include <optional>

#include "picture_mark.h"

namespace testsupport {

enum class PixelFormat { kBgr24, kGray8 };

struct PictureView {
  const uint8_t* pixels;
  int width, height;
  int stride;  // bytes from one row to the next, rows top first
  PixelFormat format;
};

// The mark in the rectangle (x, y, width, height) of the picture, which holds
// one camera quarter at any scale; nothing when it does not read cleanly.
std::optional<mark::Mark> ReadMark(const PictureView& picture, int x, int y, int width, int height);

// The mark of camera `camera`'s quarter of a 2 x 2 mosaic picture.
std::optional<mark::Mark> ReadQuarterMark(const PictureView& picture, int camera);

}  // namespace testsupport
