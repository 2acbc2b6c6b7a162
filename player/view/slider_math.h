// Position slider arithmetic: where the thumb goes for a pointer x, how far
// along the track a playback position is, and the seek fraction of a click.
// Portable.
#pragma once
#include <cstdint>

namespace view {

struct Span {
  int left, right;
};

struct ThumbPlacement {
  Span thumb;    // the thumb's left and right
  int fill_end;  // the fill runs from the fill area's left to here
};

// x is the pointer's 16-bit x: one with any of the bits 4096..32768 set (a
// pointer off the window while captured) leaves the thumb where it is.
ThumbPlacement PlaceThumb(Span track, Span thumb, int x);

// Pixels from the track's left for position of total; 0 when total is 0.
int SliderOffset(int track_width, uint32_t position, uint32_t total);

// The seek fraction of x on the track, clamped to 0..1.
double SeekFraction(Span track, int x);

}  // namespace view
