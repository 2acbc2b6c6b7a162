// Seek and Read cases that every byte source must pass.
#pragma once
#include <cstdint>

#include "byte_source.h"

namespace backup::testing {

struct SeekCase {
  uint32_t size, start;  // file size, position before the seek
  int32_t distance;
  int origin;
  int result;
  uint32_t position;  // after the seek
};

inline constexpr SeekCase kSeekCases[] = {
    {10240, 0, -2048, kFromEnd, 1, 8192},
    {10240, 0, 0, kFromEnd, 1, 10240},     // to the end exactly; a read then gives 0
    {50, 20, 100, kFromStart, 0, 20},      // past the end: refused, position kept
    {50, 20, -21, kFromCurrent, 0, 20},    // before the start
    {50, 20, 30, kFromCurrent, 1, 50},
    {50, 20, 1, kFromEnd, 0, 20},
    {50, 20, -5, 7, 1, 15},                // any other origin is the current position
};

}  // namespace backup::testing
