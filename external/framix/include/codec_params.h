// Blocks passed to the video decoder and to the box conversion. Both hold
// pointers: on x64 they take their natural size and their size field carries
// sizeof.
#pragma once
#include <cstdint>

#include "picture_format.h"

namespace engine {

struct DecodeFrameParams {
  uint32_t size;             // sizeof(DecodeFrameParams)
  uint32_t input_length;     // bytes at input
  const uint8_t* input;      // one frame in start-code form
  uint32_t output_capacity;  // bytes at output: kPictureBytes
  int32_t width;             // set by the decoder
  int32_t height;            // set by the decoder
  uint8_t* output;           // 24-bit picture, rows top first
  BitmapInfoHeader* bitmap_header;
  uint32_t reserved;
};

// Called by the decoder in call-back mode once per completed picture; returns 0.
using DecodeCallback = int (*)(void* user, DecodeFrameParams* block);

}  // namespace engine
