// Lossless stills as PNG: 8-bit RGB, at the recorded size of a camera's
// quarter or the whole picture, with text chunks that say what the picture
// is. Portable and on its own, so that the player's still export writes the
// same.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace still {

struct PngText {
  std::string keyword;  // 1-79 printable Latin-1 characters
  std::string text;     // UTF-8
};

// A PNG of a `width` x `height` picture given as 24-bit BGR rows (the
// decoder's and DIB's byte order), top row first, `stride` bytes apart.
// Empty when the size is not one a picture can have.
std::vector<uint8_t> EncodePng(const uint8_t* bgr, int width, int height, int stride,
                               const std::vector<PngText>& texts);

// The PNG of camera 1-4's quarter (0: the whole) of a decoded picture:
// packed 24-bit BGR rows, top first, as the decoder delivers them.
std::vector<uint8_t> CameraPng(const uint8_t* bgr, int width, int height, int camera,
                               const std::vector<PngText>& texts);

}  // namespace still
