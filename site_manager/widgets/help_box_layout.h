// Where the help box and its lines go: the text split at each CR LF, a box
// of four or more lines grown by 10 pixels a line beyond three at top and
// bottom, and the lines placed by their count. Portable.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

struct BoxRect {
  int32_t left, top, right, bottom;  // right and bottom exclusive
  bool operator==(const BoxRect&) const = default;
};

struct HelpLine {
  std::u16string_view text;  // without its CR LF
  BoxRect rect;              // drawn vertically centred
};

struct HelpBoxLayout {
  BoxRect box;  // the (grown) box that is tinted
  std::vector<HelpLine> lines;
};

constexpr int kHelpLineHeight = 20;
constexpr uint32_t kHelpBoxColour = 0x78E6FD;  // 0x00BBGGRR
constexpr uint8_t kHelpBoxAlpha = 60;

// No lines for an empty text.
HelpBoxLayout LayOutHelpBox(std::u16string_view text, BoxRect box);
