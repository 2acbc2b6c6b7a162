// Decoded pictures: 24-bit, rows top first, at most 720 x 576. The bitmap
// header mirrors the Windows BITMAPINFOHEADER byte for byte.
#pragma once
#include <cstdint>

namespace engine {

constexpr int kMaxPictureWidth = 720;
constexpr int kMaxPictureHeight = 576;
constexpr uint32_t kPictureBytes = kMaxPictureWidth * kMaxPictureHeight * 3;  // 1,244,160

struct BitmapInfoHeader {
  uint32_t size;  // 40
  int32_t width;
  int32_t height;  // negative: rows top first
  uint16_t planes;
  uint16_t bit_count;
  uint32_t compression;
  uint32_t image_size;
  int32_t x_pels_per_meter, y_pels_per_meter;
  uint32_t colours_used, colours_important;
};
static_assert(sizeof(BitmapInfoHeader) == 40);

struct BitmapInfo {
  BitmapInfoHeader header;
  uint8_t colour[4];  // one colour entry, blue green red reserved
};
static_assert(sizeof(BitmapInfo) == 44);

// A 24-bit uncompressed header for a width x height picture stored top first.
inline BitmapInfoHeader TopDownHeader(int width, int height) {
  return {sizeof(BitmapInfoHeader), width, -height, 1, 24, 0, kPictureBytes, 0, 0, 0, 0};
}

}  // namespace engine
