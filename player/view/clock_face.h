// The clock's composition: which glyph of the digit strip goes to each of
// the eight places hh:mm:ss. Portable.
#pragma once
#include <array>

namespace view {

constexpr int kClockWidth = 84, kClockHeight = 12;
constexpr int kDigitWidth = 9, kColonWidth = 6, kColonX = 90;

struct Glyph {
  int x, width;  // in the glyph strip
};

// Places in the order of the skin's clock rectangles (hour tens first).
std::array<Glyph, 8> ClockGlyphs(int hour, int minute, int second);

}  // namespace view
