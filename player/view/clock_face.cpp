#include "clock_face.h"

namespace view {

std::array<Glyph, 8> ClockGlyphs(int hour, int minute, int second) {
  const auto digit = [](int d) { return Glyph{kDigitWidth * d, kDigitWidth}; };
  const Glyph colon{kColonX, kColonWidth};
  return {digit(hour / 10 % 10), digit(hour % 10), colon, digit(minute / 10 % 10), digit(minute % 10), colon,
          digit(second / 10 % 10), digit(second % 10)};
}

}  // namespace view
