// Cutting the recorder's combined picture (a 2 x 2 mosaic of cameras 0 top
// left, 1 top right, 2 bottom left, 3 bottom right) into four camera
// pictures. Portable.
#pragma once
#include <cstddef>
#include <cstdint>

namespace view {

// Bytes of one camera row: half the width, padded to 4 bytes as a DIB row.
int HalfRowBytes(int width, int bits_per_pixel);

// Copies the quarters of a `width` x |height| mosaic whose rows are
// 2 x HalfRowBytes long into out[0..3] (rows of HalfRowBytes). Reads at most
// `source_bytes` and writes at most `out_bytes` into each output; rows that
// do not fit are left out.
void CutQuarters(const uint8_t* source, size_t source_bytes, int width, int height, int bits_per_pixel,
                 uint8_t* const out[4], size_t out_bytes);

// The reverse for one camera: writes its quarter (rows of HalfRowBytes, at
// most `quarter_bytes`) back into the mosaic of at most `whole_bytes`.
void PutQuarter(const uint8_t* quarter, size_t quarter_bytes, int camera, int width, int height,
                int bits_per_pixel, uint8_t* whole, size_t whole_bytes);

}  // namespace view
